#include "platform/safe_file/private_folder.h"

#include "platform/safe_file/stale_debris.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace safe_file {

namespace {

constexpr char kKeptPrefix[] = "velmora-split-";

// Renames without ever replacing what stands under the new name.
int RenameNoReplace(int fromFd, const char* from, int toFd, const char* to)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a new link fails on any existing name.
    if (::linkat(fromFd, from, toFd, to, 0) != 0)
        return errno;
    ::unlinkat(fromFd, from, 0);
    return 0;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool IsLivePrivateFolder(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (!IsPrivateFolderName(BaseName(path).c_str()))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool live = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
    // Held by a run when this new open of it cannot take the lock.
    if (live)
        live = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return live;
}

PrivateFolder::PrivateFolder(const std::string& parent) : parent_(parent)
{
    while (parent_.size() > 1 && parent_.back() == '/')
        parent_.pop_back();
    if (parent_.empty()) {
        error_ = ENOENT;
        return;
    }
    SweepStaleDebris(parent_);
    std::string pattern = parent_ + "/" + kPrivateFolderPrefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error_ = errno;
        return;
    }
    fd_ = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        ::rmdir(pattern.c_str());
        return;
    }
    // Held while this run uses it: no other run takes it for debris.
    (void)::flock(fd_, LOCK_EX | LOCK_NB);
    path_ = pattern;
}

PrivateFolder::~PrivateFolder()
{
    Finish();
}

std::size_t PrivateFolder::FileCount() const
{
    return fd_ >= 0 ? EntriesOf(fd_).size() : 0;
}

bool PrivateFolder::ReleaseLeftovers()
{
    if (fd_ < 0)
        return true;
    const std::vector<std::string> names = EntriesOf(fd_);
    if (names.empty())
        return true;
    const int parentFd = ::open(parent_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            (void)RenameNoReplace(fd_, name.c_str(), parentFd, name.c_str());
    }
    ::close(parentFd);
    return FileCount() == 0;
}

std::string PrivateFolder::Finish()
{
    if (fd_ < 0)
        return std::string();
    std::string kept;
    if (::rmdir(path_.c_str()) != 0) {
        const std::string name = BaseName(path_);
        const std::string visible = kKeptPrefix + name.substr(std::strlen(kPrivateFolderPrefix));
        const int parentFd = ::open(parent_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd >= 0 && RenameNoReplace(parentFd, name.c_str(), parentFd, visible.c_str()) == 0)
            kept = parent_ + "/" + visible;
        else
            kept = path_;
        if (parentFd >= 0)
            ::close(parentFd);
    }
    ::close(fd_);
    fd_ = -1;
    return kept;
}

} // namespace safe_file
