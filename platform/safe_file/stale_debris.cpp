#include "platform/safe_file/stale_debris.h"

#include "platform/safe_file/run_mark.h"
#include "platform/safe_file/temporary_name.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace safe_file {

namespace {

std::timespec Now()
{
    std::timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return t;
}

const std::timespec kRunStart = Now();

// Changed a clear second before this run started: file times come from a
// coarser clock than the one read here, and a run that is just starting
// elsewhere is given the benefit of the doubt.
bool ClearlyBeforeThisRun(const std::timespec& t)
{
    const std::timespec& start = RunStart();
    return t.tv_sec < start.tv_sec - 1 || (t.tv_sec == start.tv_sec - 1 && t.tv_nsec < start.tv_nsec);
}

// Opens the entry when it is debris of the expected kind and locks it; the
// descriptor, or -1.
int OpenIfStale(int folderFd, const std::string& name, bool folder)
{
    struct stat st {};
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    const bool kindFits = folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    if (!kindFits || st.st_uid != ::geteuid() || !ClearlyBeforeThisRun(st.st_mtim))
        return -1;
    const int fd = ::openat(folderFd, name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino
        || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The entries of the open folder `fd` that a run leaves there, in `names`;
// false when it holds anything else (a folder, another user's file, a name
// a run never creates): then it is not only a run's.
bool ListRunFiles(int fd, std::vector<std::string>& names)
{
    names = EntriesOf(fd);
    for (const std::string& name : names) {
        struct stat st {};
        if (!IsRunFileName(name) || ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)
            || st.st_uid != ::geteuid())
            return false;
    }
    return true;
}

// Whether the open file begins as every file the programs write through a
// temporary sibling does: with a TIFF header.
bool BeginsAsTiff(int fd)
{
    unsigned char head[4] = {};
    if (::pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head))
        return false;
    static const unsigned char little[4] = {'I', 'I', 42, 0};
    static const unsigned char big[4] = {'M', 'M', 0, 42};
    return std::memcmp(head, little, 4) == 0 || std::memcmp(head, big, 4) == 0;
}

} // namespace

bool IsPrivateFolderName(const char* name)
{
    const std::size_t prefix = std::strlen(kPrivateFolderPrefix);
    if (std::strncmp(name, kPrivateFolderPrefix, prefix) != 0 || std::strlen(name) != prefix + 6)
        return false;
    for (const char* c = name + prefix; *c; ++c)
        if (!((*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')))
            return false;
    return true;
}

std::vector<std::string> EntriesOf(int fd)
{
    std::vector<std::string> names;
    const int listFd = ::dup(fd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent* e = ::readdir(dir))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    ::closedir(dir);
    return names;
}

const std::timespec& RunStart()
{
    return kRunStart;
}

bool RemoveStaleFile(int folderFd, const std::string& name)
{
    const int fd = OpenIfStale(folderFd, name, false);
    if (fd < 0)
        return false;
    // A file of the user's that merely has such a name keeps it.
    if (!BeginsAsTiff(fd) && !IsMarkedTemporaryFile(fd)) {
        ::close(fd);
        return false;
    }
    const bool removed = ::unlinkat(folderFd, name.c_str(), 0) == 0 || errno == ENOENT;
    ::close(fd);
    return removed;
}

bool RemoveStaleFolder(int folderFd, const std::string& name)
{
    const int fd = OpenIfStale(folderFd, name, true);
    if (fd < 0)
        return false;
    // A run's folder is closed to everyone else, carries the run's mark and
    // holds only what a run creates there: a user's folder that merely has
    // such a name keeps all that is in it.
    struct stat own {};
    std::vector<std::string> names;
    if (::fstat(fd, &own) != 0 || (own.st_mode & 077) != 0 || !HasRunMark(fd, true) || !ListRunFiles(fd, names)) {
        ::close(fd);
        return false;
    }
    // The mark goes last: a sweep cut short leaves a folder still marked.
    for (const std::string& file : names)
        if (file != kRunMarkName)
            (void)::unlinkat(fd, file.c_str(), 0); // a link goes as a name
    (void)::unlinkat(fd, kRunMarkName, 0);
    const bool removed = ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
    ::close(fd);
    return removed;
}

bool SweepStaleDebrisAt(int folderFd, const std::string& folder)
{
    struct stat st {};
    if (::fstat(folderFd, &st) != 0)
        return false;
    // By name and identity: a folder removed and made again may come back
    // under the same inode.
    static std::mutex mutex;
    static std::set<std::tuple<dev_t, ino_t, std::string>> swept;
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string name = folder;
        while (name.size() > 1 && name.back() == '/')
            name.pop_back();
        if (!swept.insert({st.st_dev, st.st_ino, name}).second)
            return true;
    }
    const int listFd = ::dup(folderFd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    ::rewinddir(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_type != DT_DIR && e->d_type != DT_REG && e->d_type != DT_UNKNOWN)
            continue;
        if (IsPrivateFolderName(e->d_name) && e->d_type != DT_REG)
            RemoveStaleFolder(folderFd, e->d_name);
        else if (IsTemporaryName(e->d_name) && e->d_type != DT_DIR)
            RemoveStaleFile(folderFd, e->d_name);
    }
    ::closedir(dir);
    return true;
}

} // namespace safe_file
