#include "engine/output_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "engine/source_file.h"

namespace stavren {

namespace {
constexpr std::size_t kPendingSize = 64 * 1024;
// A block that fits the pending bytes joins the rest of its page there and
// goes out with it in one write: for a page of a scan (some 50 KiB) that is
// cheaper than the kernel's file-to-file copy between two writes. Larger
// blocks are copied by the kernel.
constexpr std::uint64_t kKernelCopyMin = kPendingSize + 1;
} // namespace

OutputFile::OutputFile(const std::string& name, bool exclusive, std::uint64_t maxSize) : name_(name), maxSize_(maxSize)
{
    // O_NONBLOCK: an existing FIFO of that name with no reader fails at
    // once instead of waiting for one; it is cleared again for the writes.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (exclusive ? O_EXCL : O_TRUNC);
    fd_ = ::open(name.c_str(), flags, 0666);
    if (fd_ < 0)
        Fail(errno);
    if (const int status = fd_ >= 0 ? ::fcntl(fd_, F_GETFL) : -1; status >= 0)
        ::fcntl(fd_, F_SETFL, status & ~O_NONBLOCK);
    pending_.reset(new unsigned char[kPendingSize]);
}

OutputFile::OutputFile(int fd, std::string name, std::uint64_t maxSize)
    : name_(std::move(name)), fd_(fd), owned_(false), failed_(fd < 0), maxSize_(maxSize)
{
    pending_.reset(new unsigned char[kPendingSize]);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0 && owned_)
        ::close(fd_);
}

void OutputFile::Fail(int error)
{
    failed_ = true;
    if (error_ == 0)
        error_ = error;
}

bool OutputFile::HasRoomFor(std::uint64_t length) const
{
    if (failed_ || length > maxSize_ - std::min(position_, maxSize_) || position_ > maxSize_)
        return false;
    return budget_ == nullptr || length <= *budget_;
}

bool OutputFile::Reserve(std::uint64_t length)
{
    if (!HasRoomFor(length)) {
        Fail(failed_ ? 0 : EFBIG);
        return false;
    }
    position_ += length;
    if (budget_ != nullptr)
        *budget_ -= length;
    return true;
}

void OutputFile::WriteThrough(const unsigned char* p, std::size_t length)
{
    while (length > 0 && !failed_) {
        const ssize_t put = ::write(fd_, p, length);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            Fail(put < 0 ? errno : 0);
            break;
        }
        p += put;
        length -= static_cast<std::size_t>(put);
    }
}

void OutputFile::Flush()
{
    WriteThrough(pending_.get(), pendingSize_);
    pendingSize_ = 0;
}

void OutputFile::Write(const void* data, std::size_t length)
{
    if (length == 0 || !Reserve(length))
        return;
    const auto* p = static_cast<const unsigned char*>(data);
    if (pendingSize_ + length > kPendingSize) {
        Flush();
        if (length >= kPendingSize) {
            WriteThrough(p, length);
            return;
        }
    }
    std::memcpy(pending_.get() + pendingSize_, p, length);
    pendingSize_ += length;
}

void OutputFile::WriteZeros(std::size_t length)
{
    static const unsigned char zeros[16] = {};
    while (length > 0 && !failed_) {
        const std::size_t n = std::min(length, sizeof zeros);
        Write(zeros, n);
        length -= n;
    }
}

void OutputFile::CopyFrom(const SourceFile& source, std::uint64_t offset, std::uint64_t length,
                          std::vector<unsigned char>& buffer)
{
    if (failed_ || length == 0)
        return;
    if (!source.Holds(offset, length)) {
        failed_ = true;
        return;
    }
    if (!HasRoomFor(length)) {
        Fail(EFBIG);
        return;
    }
    // Large blocks are copied by the kernel, file to file, without passing
    // through this process; where it cannot (another file system, an old
    // kernel), the buffered copy below takes over.
    static std::atomic<bool> kernelCopy{true};
    if (kernelCopy && length >= kKernelCopyMin) {
        Flush();
        while (length > 0 && !failed_) {
            loff_t in = static_cast<loff_t>(offset);
            const ssize_t n = ::copy_file_range(source.Descriptor(), &in, fd_, nullptr,
                                                static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 30)), 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernelCopy = false;
                break;
            }
            if (n <= 0) {
                Fail(n < 0 ? errno : 0);
                return;
            }
            Reserve(static_cast<std::uint64_t>(n));
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::uint64_t>(n);
        }
    }
    // A block that fits the pending bytes is read straight in among them.
    if (length <= kPendingSize - pendingSize_) {
        const std::size_t n = static_cast<std::size_t>(length);
        if (!source.ReadAt(offset, pending_.get() + pendingSize_, n)) {
            failed_ = true;
            return;
        }
        if (Reserve(n))
            pendingSize_ += n;
        return;
    }
    while (length > 0 && !failed_) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        if (!source.ReadAt(offset, buffer.data(), n)) {
            failed_ = true;
            return;
        }
        Write(buffer.data(), n);
        offset += n;
        length -= n;
    }
}

bool OutputFile::Close()
{
    if (fd_ < 0)
        return false;
    if (!failed_)
        Flush();
    if (owned_ && ::close(fd_) != 0)
        Fail(errno);
    fd_ = -1;
    return !failed_;
}

} // namespace stavren
