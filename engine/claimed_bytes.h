#pragma once
// Which bytes of a file are taken already: by its header and by every
// directory the chain has reached. One bit per byte, in blocks made only
// where a directory lies, so that a chain of millions of directories holds
// at most an eighth of the bytes they span (and a file of one page, one
// block), whatever their order in the file.

#include <cstdint>
#include <memory>
#include <vector>

namespace stavren {

class ClaimedBytes {
public:
    // Takes [begin, end); false, with nothing taken, when any byte of it is
    // taken already.
    bool Claim(std::uint64_t begin, std::uint64_t end);

private:
    // Bytes of the file per block of bits.
    static constexpr std::uint64_t kBlockBytes = 1u << 15;
    static constexpr std::uint64_t kWordsPerBlock = kBlockBytes / 64;

    std::uint64_t* Block(std::uint64_t index, bool make);
    // Whether any byte of [begin, end) is taken; with `take`, takes them.
    bool Visit(std::uint64_t begin, std::uint64_t end, bool take);

    std::vector<std::unique_ptr<std::uint64_t[]>> blocks_;
};

} // namespace stavren
