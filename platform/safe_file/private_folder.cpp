#include "platform/safe_file/private_folder.h"

#include "platform/safe_file/run_mark.h"
#include "platform/safe_file/stale_debris.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
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

void Close(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Makes a new folder closed to everyone else, under a private folder's name
// of six random letters or digits, in the open folder `parentFd`; an errno
// value, or 0 with its name in `name`.
int MakeFolder(int parentFd, std::string& name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
            const auto now =
                static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
            for (std::size_t i = 0; i < sizeof random; ++i)
                random[i] = static_cast<unsigned char>((now >> (i * 7)) ^ static_cast<unsigned>(::getpid() + attempt));
        }
        name = kPrivateFolderPrefix;
        for (const unsigned char r : random)
            name += letters[r % (sizeof letters - 1)];
        if (::mkdirat(parentFd, name.c_str(), 0700) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
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
    bool live = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0 && HasRunMark(fd, true);
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
    // Held from here on: every later step is taken in this folder.
    parentFd_ = ::open(parent_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd_ < 0) {
        error_ = errno;
        return;
    }
    SweepStaleDebrisAt(parentFd_, parent_);
    error_ = MakeFolder(parentFd_, name_);
    if (error_ != 0) {
        Close(parentFd_);
        return;
    }
    fd_ = ::openat(parentFd_, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        ::unlinkat(parentFd_, name_.c_str(), AT_REMOVEDIR);
        Close(parentFd_);
        return;
    }
    // Held while this run uses it: no other run takes it for debris.
    (void)::flock(fd_, LOCK_EX | LOCK_NB);
    // Marked before anything else is put there.
    error_ = WriteRunMark(fd_);
    if (error_ != 0) {
        Close(fd_);
        ::unlinkat(parentFd_, name_.c_str(), AT_REMOVEDIR);
        Close(parentFd_);
        return;
    }
    path_ = parent_ + "/" + name_;
}

PrivateFolder::~PrivateFolder()
{
    Finish();
}

std::vector<std::string> PrivateFolder::Files() const
{
    std::vector<std::string> names;
    if (fd_ < 0)
        return names;
    for (std::string& name : EntriesOf(fd_))
        if (name != kRunMarkName)
            names.push_back(std::move(name));
    return names;
}

std::size_t PrivateFolder::FileCount() const
{
    return Files().size();
}

bool PrivateFolder::ReleaseLeftovers(std::vector<std::string>* moved)
{
    if (fd_ < 0)
        return true;
    const std::vector<std::string> names = Files();
    if (names.empty())
        return true;
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)
            && RenameNoReplace(fd_, name.c_str(), parentFd_, name.c_str()) == 0 && moved)
            moved->push_back(name);
    }
    return FileCount() == 0;
}

bool PrivateFolder::AtItsPath() const
{
    struct stat held {};
    struct stat named {};
    return fd_ >= 0 && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && held.st_dev == named.st_dev
           && held.st_ino == named.st_ino;
}

std::string PrivateFolder::ParentPathNow() const
{
    // Still under the name it was made under: that name, as the caller
    // spelt it.
    struct stat held {};
    struct stat named {};
    if (::fstat(parentFd_, &held) == 0 && ::stat(parent_.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino)
        return parent_;
    char where[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(parentFd_);
    const ssize_t length = ::readlink(link.c_str(), where, sizeof where - 1);
    if (length <= 0 || where[0] != '/')
        return parent_;
    return std::string(where, static_cast<std::size_t>(length));
}

std::string PrivateFolder::Finish()
{
    if (fd_ < 0)
        return std::string();
    std::string kept;
    if (Files().empty()) {
        ::unlinkat(fd_, kRunMarkName, 0);
        if (::unlinkat(parentFd_, name_.c_str(), AT_REMOVEDIR) != 0)
            kept = ParentPathNow() + "/" + name_; // something came in meanwhile
    } else {
        const std::string visible = kKeptPrefix + name_.substr(std::strlen(kPrivateFolderPrefix));
        if (RenameNoReplace(parentFd_, name_.c_str(), parentFd_, visible.c_str()) == 0)
            kept = ParentPathNow() + "/" + visible;
        else
            kept = ParentPathNow() + "/" + name_;
        // Unmarked, no run takes the pages in it for debris.
        ::unlinkat(fd_, kRunMarkName, 0);
    }
    Close(fd_);
    Close(parentFd_);
    return kept;
}

} // namespace safe_file
