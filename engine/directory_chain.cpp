#include "engine/directory_chain.h"

#include <algorithm>

#include "engine/byte_order.h"
#include "engine/source_file.h"

namespace stavren {

namespace {
constexpr std::uint16_t kBigTiffVersion = 43;
// A page count beyond the signed 32-bit range cannot be reported.
constexpr std::int32_t kMaxPages = 0x7FFFFFFF;
// The first read of a directory: its entry count and 4 bytes more, which
// are its next offset when it has no entries. Every directory that has a
// directory after it takes at least this much.
constexpr std::size_t kFirstRead = 2 + 4;
} // namespace

DirectoryChain::DirectoryChain(const SourceFile& file) : file_(file), buffer_(kFirstRead)
{
    unsigned char header[8];
    if (Read(0, header, sizeof header) != sizeof header)
        return;
    byteOrder_ = header[0] == 0x49 && header[1] == 0x49 ? kLittleEndian : kBigEndian;
    tiffHeader_ = header[0] == header[1] && (header[0] == 0x49 || header[0] == 0x4D);
    // The version is not checked, except that a BigTIFF file would be
    // misread as garbage pages.
    if (Load16(header + 2, byteOrder_) == kBigTiffVersion) {
        bigTiff_ = true;
        return;
    }
    next_ = Load32(header + 4, byteOrder_);
    used_.Claim(0, sizeof header);
    goesOn_ = true;
}

std::size_t DirectoryChain::Read(std::uint64_t offset, unsigned char* into, std::size_t length)
{
    const std::size_t got = file_.ReadUpTo(offset, into, length);
    bytesRead_ += got;
    return got;
}

bool DirectoryChain::Next(ChainDirectory& dir, bool withEntries)
{
    if (!goesOn_ || pages_ == kMaxPages)
        return false;
    goesOn_ = false;
    const std::uint64_t begin = next_;
    const std::uint64_t inFile = begin < file_.Size() ? file_.Size() - begin : 0;
    // No further than the file goes: a read past its end would cost one
    // more call to find nothing there.
    std::size_t held =
        Read(begin, buffer_.data(), static_cast<std::size_t>(std::min<std::uint64_t>(inFile, kFirstRead)));
    if (held < 2)
        return false;
    const std::uint32_t entryCount = Load16(buffer_.data(), byteOrder_);
    const std::uint64_t entriesEnd = begin + 2 + 12ull * entryCount;
    if (!used_.Claim(begin, std::min<std::uint64_t>(entriesEnd + 4, file_.Size())))
        return false;
    dir.offset = begin;
    dir.entryCount = entryCount;
    dir.complete = entriesEnd <= file_.Size();
    dir.entries = nullptr;
    dir.entriesRead = 0;
    ++pages_;
    if (withEntries) {
        // The rest of the directory, as far as the file goes, in one more read.
        const auto whole = static_cast<std::size_t>(std::min<std::uint64_t>(entriesEnd + 4 - begin, inFile));
        if (whole > held) {
            if (buffer_.size() < whole)
                buffer_.resize(whole);
            held += Read(begin + held, buffer_.data() + held, whole - held);
        }
        // The entries the file holds in full; none when the file gave fewer
        // bytes than its size promised.
        const std::uint32_t inFull =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(entryCount, inFile > 2 ? (inFile - 2) / 12 : 0));
        dir.entries = buffer_.data() + 2;
        dir.entriesRead = held >= 2 + 12ull * inFull ? inFull : 0;
    }
    if (dir.complete)
        goesOn_ = NextOffset(begin, entriesEnd, held);
    return true;
}

// Takes the next offset of the directory at `begin`, whose entries end at
// `entriesEnd`, from the `held` bytes read of it, or reads it alone when
// they stop short of it. False when the chain ends there.
bool DirectoryChain::NextOffset(std::uint64_t begin, std::uint64_t entriesEnd, std::size_t held)
{
    const auto at = static_cast<std::size_t>(entriesEnd - begin);
    unsigned char alone[4];
    const unsigned char* field = buffer_.data() + at;
    if (held < at + 4) {
        if (Read(entriesEnd, alone, sizeof alone) != sizeof alone)
            return false;
        field = alone;
    }
    next_ = Load32(field, byteOrder_);
    return next_ != 0;
}

std::int32_t DirectoryChain::CountPages(const SourceFile& file, std::int32_t atMost)
{
    DirectoryChain chain(file);
    ChainDirectory dir;
    while (chain.Pages() < atMost && chain.Next(dir)) {
    }
    return chain.Pages();
}

} // namespace stavren
