#pragma once
// A file being written, strictly front to back, with every write checked.
//
// A write that fails, or that would carry the file past the largest offset
// a classic TIFF file can address, marks the file failed; nothing more is
// written to it and Close() reports the failure. An optional shared budget
// bounds the bytes all outputs of one operation may take together.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace stavren {

class SourceFile;

class OutputFile {
public:
    // Offsets in a classic TIFF file are 32-bit.
    static constexpr std::uint64_t kMaxSize = 0xFFFFFFFFull;

    // Creates (or empties) `name`. Failed() tells whether that worked.
    // (The page operations write through OutputTarget instead, which
    // never opens an existing file.)
    // With `exclusive`, an existing file of that name is never touched:
    // creating fails instead.
    explicit OutputFile(const std::string& name, bool exclusive = false, std::uint64_t maxSize = kMaxSize);
    // Writes to the open descriptor `fd` of a file that someone else
    // created and will close (Close() then only flushes).
    OutputFile(int fd, std::string name, std::uint64_t maxSize = kMaxSize);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Bytes that may still be written by every output sharing `budget`.
    void ShareBudget(std::uint64_t* budget) { budget_ = budget; }

    bool Failed() const { return failed_; }
    // The errno value of the first system call that failed, or EFBIG when
    // a write would have passed the size limit or the budget; 0 when none
    // of that happened (the file may still have failed: a damaged page).
    int Error() const { return error_; }
    // The number of bytes written so far, which is the position of the next byte.
    std::uint64_t Position() const { return position_; }
    // Whether `length` more bytes may be written (size limit and budget).
    bool HasRoomFor(std::uint64_t length) const;

    void Write(const void* data, std::size_t length);
    void WriteZeros(std::size_t length);
    // Copies `length` bytes of `source` at `offset`, through `buffer`.
    void CopyFrom(const SourceFile& source, std::uint64_t offset, std::uint64_t length,
                  std::vector<unsigned char>& buffer);
    // Flushes and closes (a borrowed descriptor is only flushed); true when
    // every byte reached the file.
    bool Close();
    // Marks the file failed (e.g. when a page turned out not writable), with
    // `error` as its reason unless it has one.
    void Fail(int error = 0);

    const std::string& Name() const { return name_; }

private:
    bool Reserve(std::uint64_t length);
    // Writes straight to the file, past the pending bytes; a failed write
    // marks the file failed.
    void WriteThrough(const unsigned char* p, std::size_t length);
    void Flush();

    std::string name_;
    int fd_ = -1;
    bool owned_ = true;
    bool failed_ = false;
    int error_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t maxSize_;
    std::uint64_t* budget_ = nullptr;
    // Bytes not yet written (kPendingSize of room, not cleared).
    std::unique_ptr<unsigned char[]> pending_;
    std::size_t pendingSize_ = 0;
};

} // namespace stavren
