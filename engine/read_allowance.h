#pragma once
// What laying out the pages of one operation may read: four times the size
// of its input files plus 64 MiB, shared by all of them. It counts the bytes
// read from the files (the directories of their chains, sub-directories,
// tables and offset arrays) and the directory entries gone through that are
// never written: those of a directory gone through again from memory for a
// page that is then refused, and entries left out of every copy. A sound
// file needs about its own size; a hostile one whose pages all name the
// same large tables would otherwise make the work grow with pages times
// size. Once it is spent, every page left to write is refused.

#include <cstdint>

namespace stavren {

class ReadAllowance {
public:
    static constexpr std::uint64_t kBase = 64ull << 20;
    static constexpr std::uint64_t kPerInputByte = 4;

    // An allowance for no input yet: the base alone.
    ReadAllowance() = default;

    // Adds the share of an input file of `fileSize` bytes.
    void AddInput(std::uint64_t fileSize);
    // Counts `bytes`; false once the allowance is spent (and from then on).
    bool Take(std::uint64_t bytes);
    bool Spent() const { return spent_; }

private:
    std::uint64_t left_ = kBase;
    bool spent_ = false;
};

} // namespace stavren
