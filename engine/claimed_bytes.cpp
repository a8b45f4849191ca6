#include "engine/claimed_bytes.h"

#include <algorithm>

namespace stavren {

std::uint64_t* ClaimedBytes::Block(std::uint64_t index, bool make)
{
    if (index >= blocks_.size()) {
        if (!make)
            return nullptr;
        blocks_.resize(index + 1);
    }
    if (!blocks_[index] && make)
        blocks_[index] = std::make_unique<std::uint64_t[]>(kWordsPerBlock);
    return blocks_[index].get();
}

bool ClaimedBytes::Visit(std::uint64_t begin, std::uint64_t end, bool take)
{
    for (std::uint64_t at = begin; at < end;) {
        const std::uint64_t blockEnd = std::min(end, (at / kBlockBytes + 1) * kBlockBytes);
        std::uint64_t* block = Block(at / kBlockBytes, take);
        if (block == nullptr) {
            at = blockEnd;
            continue;
        }
        while (at < blockEnd) {
            const std::uint64_t bit = at % 64;
            const std::uint64_t bits = std::min<std::uint64_t>(64 - bit, blockEnd - at);
            const std::uint64_t mask = (bits == 64 ? ~std::uint64_t(0) : ((std::uint64_t(1) << bits) - 1)) << bit;
            std::uint64_t& word = block[(at % kBlockBytes) / 64];
            if (take)
                word |= mask;
            else if (word & mask)
                return true;
            at += bits;
        }
    }
    return false;
}

bool ClaimedBytes::Claim(std::uint64_t begin, std::uint64_t end)
{
    if (Visit(begin, end, false))
        return false;
    Visit(begin, end, true);
    return true;
}

} // namespace stavren
