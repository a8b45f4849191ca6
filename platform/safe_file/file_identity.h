#pragma once
// Which file a name stands for: its device and inode. Two names are the
// same file when these agree, however the paths are spelt (links to
// folders, bind mounts, "..", hard links).

#include <string>
#include <sys/types.h>

namespace safe_file {

struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

// The file a path leads to, links followed all the way.
FileIdentity IdentityOf(const std::string& path);

// The entry a path names: links on the way are followed, a link at the end
// is itself the entry. This is what a rename to that path would replace.
FileIdentity EntryIdentityOf(const std::string& path);

// True when both exist and are one file.
bool SameFile(const FileIdentity& a, const FileIdentity& b);

} // namespace safe_file
