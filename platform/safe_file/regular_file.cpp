#include "platform/safe_file/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safe_file {

int OpenRegular(const std::string& path, int flags, mode_t mode)
{
    const bool truncate = (flags & O_TRUNC) != 0;
    const int fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (const int status = ::fcntl(fd, F_GETFL); status >= 0)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    // An empty file needs no truncation; on some file systems (ext4) a
    // truncation to nothing also makes the close flush the file's new data
    // to the disk, which a short-lived file such as the write test's should
    // not cost.
    if (truncate && st.st_size > 0 && ::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace safe_file
