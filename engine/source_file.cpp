#include "engine/source_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stavren {

SourceFile::SourceFile(const std::string& name)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer that may never
    // come (it is then refused below); reads of a regular file ignore it.
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        openError_ = errno;
        return;
    }
    struct stat st {};
    // Only regular files are read: a folder, a pipe or a device has no pages.
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        openError_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

SourceFile::~SourceFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SourceFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const
{
    return fd_ >= 0 && ReadUpTo(offset, buffer, length) == length;
}

std::size_t SourceFile::ReadUpTo(std::uint64_t offset, void* buffer, std::size_t length) const
{
    if (fd_ < 0)
        return 0;
    auto* p = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, p + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace stavren
