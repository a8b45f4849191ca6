#include "platform/safe_file/file_identity.h"

#include <sys/stat.h>

namespace safe_file {

namespace {

FileIdentity FromStat(int result, const struct stat& st)
{
    FileIdentity id;
    if (result == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
    }
    return id;
}

} // namespace

FileIdentity IdentityOf(const std::string& path)
{
    struct stat st {};
    return FromStat(::stat(path.c_str(), &st), st);
}

FileIdentity EntryIdentityOf(const std::string& path)
{
    struct stat st {};
    return FromStat(::lstat(path.c_str(), &st), st);
}

bool SameFile(const FileIdentity& a, const FileIdentity& b)
{
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

} // namespace safe_file
