#include "platform/safe_file/staged_file.h"

#include "platform/safe_file/temporary_name.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace safe_file {

namespace {

// Makes a rename in the folder of `path` durable. A file system that
// cannot flush folders only loses the durability, not the rename.
void SyncFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

int SyncAndClose(int fd, bool sync)
{
    int error = 0;
    if (sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

} // namespace

StagedFile::StagedFile(std::string target, Staging staging) : target_(std::move(target))
{
    if (staging == Staging::InPrivateFolder) {
        // Made in the folder as it is now, and removed from that folder on
        // failure, wherever it has been moved meanwhile: a failed file never
        // stays behind there. Never over anything, never through a link.
        const std::size_t slash = target_.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
        name_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
        folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd_ < 0) {
            error_ = errno;
            return;
        }
        fd_ = ::openat(folderFd_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            direct_ = true;
            return;
        }
        const int error = errno;
        CloseFolder();
        if (error != EEXIST) {
            error_ = error;
            return;
        }
    }
    if (!CheckTarget(target_, replacement_, error_))
        return;
    // A replacement starts private: it takes the old file's owner here and
    // its permission bits in Commit.
    fd_ = CreateTemporarySibling(target_, Replaces() ? 0600 : 0666, temp_);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    KeepOwner(fd_, replacement_, error_);
}

StagedFile::~StagedFile()
{
    if (!done_)
        Discard();
}

void StagedFile::Fail(int error)
{
    if (error_ == 0)
        error_ = error != 0 ? error : EIO;
}

bool StagedFile::Commit()
{
    if (done_)
        return false;
    // The bits after the last write: a write clears the set-id bits.
    if (!Ok() || !KeepMode(fd_, replacement_, error_)) {
        Discard();
        return false;
    }
    // The file under its final name is no run's debris.
    if (!direct_)
        UnmarkTemporaryFile(fd_);
    const int closeError = SyncAndClose(fd_, Replaces());
    fd_ = -1;
    if (closeError != 0) {
        Fail(closeError);
        Discard();
        return false;
    }
    if (direct_) {
        direct_ = false; // it is in place: nothing to remove any more
        CloseFolder();
        done_ = true;
        return true;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
        Discard();
        return false;
    }
    if (Replaces())
        SyncFolderOf(target_);
    done_ = true;
    return true;
}

void StagedFile::Discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    // The name was free before this file took it.
    if (direct_)
        ::unlinkat(folderFd_, name_.c_str(), 0);
    direct_ = false;
    CloseFolder();
    done_ = true;
}

void StagedFile::CloseFolder()
{
    if (folderFd_ >= 0)
        ::close(folderFd_);
    folderFd_ = -1;
}

bool PlaceFileAt(int fromFd, const std::string& from, int toFd, const std::string& target, int& error)
{
    Replacement replacement;
    if (!CheckTargetAt(toFd, target, replacement, error))
        return false;
    const bool replaces = replacement.kind == Replacement::Kind::File;
    if (replaces) {
        const int fd = ::openat(fromFd, from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            return false;
        }
        if (!KeepAttributes(fd, replacement, error)) {
            ::close(fd);
            return false;
        }
        if (const int e = SyncAndClose(fd, true); e != 0) {
            error = e;
            return false;
        }
    }
    if (::renameat(fromFd, from.c_str(), toFd, target.c_str()) != 0) {
        error = errno;
        return false;
    }
    if (replaces) {
        if (toFd == AT_FDCWD)
            SyncFolderOf(target);
        else
            (void)::fsync(toFd);
    }
    return true;
}

bool PlaceFileIfFreeAt(int fromFd, const std::string& from, int toFd, const std::string& target, int& error)
{
    if (::renameat2(fromFd, from.c_str(), toFd, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    error = errno;
    return false;
}

} // namespace safe_file
