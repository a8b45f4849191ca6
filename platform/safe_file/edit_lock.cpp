#include "platform/safe_file/edit_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace safe_file {

EditLock::EditLock(const std::string& path, std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The lock counts only when the name still stands for the file
            // locked; otherwise another run replaced it meanwhile.
            struct stat locked {};
            struct stat named {};
            if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev
                && locked.st_ino == named.st_ino) {
                fd_ = fd;
                return;
            }
            ::close(fd);
            if (std::chrono::steady_clock::now() >= deadline) {
                error_ = EWOULDBLOCK;
                return;
            }
            continue;
        }
        const int error = errno;
        if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS) {
            fd_ = fd; // a file system without locks: nothing to wait for
            return;
        }
        ::close(fd);
        if (error != EWOULDBLOCK && error != EINTR) {
            error_ = error;
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error_ = EWOULDBLOCK;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

EditLock::~EditLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace safe_file
