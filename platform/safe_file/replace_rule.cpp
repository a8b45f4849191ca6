#include "platform/safe_file/replace_rule.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace safe_file {

bool CheckTarget(const std::string& target, Replacement& replacement, int& error)
{
    return CheckTargetAt(AT_FDCWD, target, replacement, error);
}

bool CheckTargetAt(int folderFd, const std::string& target, Replacement& replacement, int& error)
{
    replacement = Replacement{};
    if (::fstatat(folderFd, target.c_str(), &replacement.old, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        error = errno;
        return false;
    }
    const mode_t type = replacement.old.st_mode & S_IFMT;
    if (type == S_IFLNK) {
        replacement.kind = Replacement::Kind::Link;
        return true;
    }
    if (type == S_IFDIR) {
        error = EISDIR;
        return false;
    }
    if (type != S_IFREG) {
        error = EEXIST;
        return false;
    }
    if (::faccessat(folderFd, target.c_str(), W_OK, 0) != 0) {
        error = errno;
        return false;
    }
    replacement.kind = Replacement::Kind::File;
    return true;
}

bool KeepAttributes(int fd, const Replacement& replacement, int& error)
{
    // After the owner: changing the owner clears the set-id bits.
    return KeepOwner(fd, replacement, error) && KeepMode(fd, replacement, error);
}

bool KeepOwner(int fd, const Replacement& replacement, int& error)
{
    if (replacement.kind != Replacement::Kind::File)
        return true;
    const struct stat& old = replacement.old;
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        error = errno;
        return false;
    }
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner may let the file pass to the caller; the group
        // is then kept where the owner may give it.
        if (::geteuid() != old.st_uid) {
            error = EPERM;
            return false;
        }
        // The owner may give a file only to a group of their own. When the
        // group means something (set-group-id, or rights of its own) and
        // cannot be kept, the file is not replaced: it would run with, or
        // open to, another group.
        const mode_t bits = old.st_mode & 07777;
        const bool groupMatters = (bits & S_ISGID) != 0 || ((bits >> 3) & 7) != (bits & 7);
        if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0 && groupMatters) {
            error = EPERM;
            return false;
        }
    }
    return true;
}

bool KeepMode(int fd, const Replacement& replacement, int& error)
{
    if (replacement.kind != Replacement::Kind::File)
        return true;
    if (::fchmod(fd, replacement.old.st_mode & 07777) != 0) {
        error = errno;
        return false;
    }
    return true;
}

} // namespace safe_file
