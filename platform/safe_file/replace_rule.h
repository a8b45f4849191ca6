#pragma once
// What may stand under a name that a new file is about to take, and what
// the new file keeps of the one it replaces.
//
//   nothing            the new file simply takes the name;
//   a symbolic link    the link is replaced as a name: nothing is ever
//                      written through it, wherever it points;
//   a regular file     replaced only when the caller may write it
//                      (access W_OK); the new file keeps its permission
//                      bits, owner and group, and a replacement that could
//                      not keep owner and group is refused unless the
//                      caller owns the file and the group has no rights of
//                      its own (no set-group-id bit, the same rights as
//                      others);
//   anything else      (a folder, FIFO, device, socket) is refused.

#include <string>
#include <sys/stat.h>

namespace safe_file {

struct Replacement {
    enum class Kind { Nothing, Link, File };
    Kind kind = Kind::Nothing;
    struct stat old {}; // the status of the link or file found
};

// Looks at `target` and says what a new file there would replace. False
// with `error` (an errno value) when the rule above refuses it.
bool CheckTarget(const std::string& target, Replacement& replacement, int& error);
// The same for the entry `name` of the open folder `folderFd` (or
// AT_FDCWD).
bool CheckTargetAt(int folderFd, const std::string& name, Replacement& replacement, int& error);

// Gives the open new file `fd` the owner, group and permission bits of the
// regular file it is to replace (nothing for the other kinds). False with
// `error` when they cannot be kept and the caller does not own the file or
// the group has rights of its own, or when the permission bits cannot be
// set. For a file that is still to
// be written: KeepOwner before the writes and KeepMode after the last one,
// since a write by anyone but root clears the set-id bits.
bool KeepAttributes(int fd, const Replacement& replacement, int& error);
bool KeepOwner(int fd, const Replacement& replacement, int& error);
bool KeepMode(int fd, const Replacement& replacement, int& error);

} // namespace safe_file
