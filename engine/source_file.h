#pragma once
// A file opened for reading, read only by absolute position.

#include <cstddef>
#include <cstdint>
#include <string>

namespace stavren {

class SourceFile {
public:
    explicit SourceFile(const std::string& name);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Why the file could not be opened (an errno value; EINVAL for a file
    // that is no regular file), 0 when it is open.
    int OpenError() const { return openError_; }
    int Descriptor() const { return fd_; }
    // Size of the file when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads exactly `length` bytes at `offset`; false when the file holds fewer.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
    // Reads up to `length` bytes at `offset`: the number read, fewer where
    // the file ends (or a read fails) first.
    std::size_t ReadUpTo(std::uint64_t offset, void* buffer, std::size_t length) const;
    // Whether the range [offset, offset + length) lies inside the file.
    bool Holds(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && length <= size_ - offset; }

private:
    int fd_ = -1;
    int openError_ = 0;
    std::uint64_t size_ = 0;
};

} // namespace stavren
