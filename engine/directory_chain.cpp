#include "engine/directory_chain.h"

#include <algorithm>
#include <iterator>

#include "engine/byte_order.h"
#include "engine/source_file.h"

namespace stavren {

namespace {
constexpr std::uint16_t kBigTiffVersion = 43;
// The smallest directory that has a directory after it: the entry count
// and the next offset. A gap narrower than this can hold no directory that
// does not overlap its neighbour, so it may be counted as used.
constexpr std::uint64_t kSmallestDirectory = 2 + 4;
// A page count beyond the signed 32-bit range cannot be reported.
constexpr std::int32_t kMaxPages = 0x7FFFFFFF;
} // namespace

DirectoryChain::DirectoryChain(const SourceFile& file) : file_(file)
{
    unsigned char header[8];
    if (!file_.ReadAt(0, header, sizeof header))
        return;
    byteOrder_ = header[0] == 0x49 && header[1] == 0x49 ? kLittleEndian : kBigEndian;
    // The version is not checked, except that a BigTIFF file would be
    // misread as garbage pages.
    if (Load16(header + 2, byteOrder_) == kBigTiffVersion)
        return;
    next_ = Load32(header + 4, byteOrder_);
    used_.emplace(0, sizeof header);
    goesOn_ = true;
}

bool DirectoryChain::Claim(std::uint64_t begin, std::uint64_t end)
{
    auto after = used_.lower_bound(begin);
    if (after != used_.end() && after->first < end)
        return false;
    if (after != used_.begin() && std::prev(after)->second > begin)
        return false;
    // Join the neighbours the new range (nearly) touches.
    if (after != used_.begin() && begin - std::prev(after)->second < kSmallestDirectory) {
        --after;
        begin = after->first;
        after = used_.erase(after);
    }
    if (after != used_.end() && after->first - end < kSmallestDirectory) {
        end = after->second;
        after = used_.erase(after);
    }
    used_.emplace_hint(after, begin, end);
    return true;
}

bool DirectoryChain::Next(ChainDirectory& dir)
{
    if (!goesOn_ || pages_ == kMaxPages)
        return false;
    goesOn_ = false;
    const std::uint64_t begin = next_;
    unsigned char head[2];
    if (!file_.ReadAt(begin, head, sizeof head))
        return false;
    const std::uint32_t entryCount = Load16(head, byteOrder_);
    const std::uint64_t entriesEnd = begin + 2 + 12ull * entryCount;
    if (!Claim(begin, std::min<std::uint64_t>(entriesEnd + 4, file_.Size())))
        return false;
    dir.offset = begin;
    dir.entryCount = entryCount;
    dir.complete = entriesEnd <= file_.Size();
    ++pages_;
    unsigned char next[4];
    if (dir.complete && file_.ReadAt(entriesEnd, next, sizeof next)) {
        next_ = Load32(next, byteOrder_);
        goesOn_ = next_ != 0;
    }
    return true;
}

std::int32_t DirectoryChain::CountPages(const SourceFile& file)
{
    DirectoryChain chain(file);
    ChainDirectory dir;
    while (chain.Next(dir)) {
    }
    return chain.pages_;
}

} // namespace stavren
