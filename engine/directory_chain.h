#pragma once
// The chain of image directories of a TIFF file, and the one rule of what
// is a page: every directory the chain reaches is one page. The engine's
// reader and the outside page counter both walk it, so the count a user
// sees is the count every operation acts on.
//
// The walk reads only the file header and the directories themselves (a
// counting walk takes no more than their entry counts and next-directory
// offsets from them); it never reads what the entries point at, so it
// costs in proportion to the directories. It reads no more of a directory
// than its entry count says it takes: the first read takes in 6 bytes (the
// whole of a directory without entries), a second one the rest of it, or
// only its next offset when the entries are not wanted. The walk goes only
// as far as its caller asks; what it has reached does not depend on how far
// it goes on.
// It ends
//   - at a next offset of 0 or one that cannot be read (the file ends);
//   - at a directory that lies (partly) outside the file, or whose entry
//     count cannot be read;
//   - at a directory that overlaps the header or a directory already read
//     (this ends every loop, and keeps what is held below the file's size);
//   - after a directory whose entries the file cuts short (that directory
//     is still a page and counted, with the entries read in full; the
//     engine refuses to write it, as its copy would lose the rest).
// A BigTIFF file (version 43, 64-bit offsets) has no pages: the writer
// cannot carry its layout.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/claimed_bytes.h"

namespace stavren {

class SourceFile;

// One directory reached by the walk.
struct ChainDirectory {
    std::uint64_t offset = 0;     // of its entry count
    std::uint32_t entryCount = 0; // as the directory states it
    bool complete = false;        // every entry lies inside the file
    // When read with its entries: those the file holds in full, 12 bytes
    // each as they stand in the file. Valid until the chain's next step.
    const unsigned char* entries = nullptr;
    std::uint32_t entriesRead = 0;
};

class DirectoryChain {
public:
    // Reads the header of `file`; the walk starts at its first offset.
    explicit DirectoryChain(const SourceFile& file);

    // 0x4949 for a little-endian file, 0x4D4D for anything else.
    std::uint32_t ByteOrder() const { return byteOrder_; }

    // The next directory of the chain, with its entries when
    // `withEntries`; false at its end.
    bool Next(ChainDirectory& dir, bool withEntries = false);

    // The directories reached so far.
    std::int32_t Pages() const { return pages_; }

    // Whether the file is a BigTIFF file (which has no pages here).
    bool IsBigTiff() const { return bigTiff_; }
    // Whether the file begins with a TIFF byte-order mark ("II" or "MM").
    bool HasTiffHeader() const { return tiffHeader_; }

    // Bytes the walk has read from the file so far, header included.
    std::uint64_t BytesRead() const { return bytesRead_; }

    // Walks the chain of the named file: its page count, 0 when the file
    // cannot be read. With `atMost`, the walk stops once it has reached
    // that many pages (a file with more counts `atMost`).
    static std::int32_t CountPages(const SourceFile& file, std::int32_t atMost = 0x7FFFFFFF);

private:
    std::size_t Read(std::uint64_t offset, unsigned char* into, std::size_t length);
    bool NextOffset(std::uint64_t begin, std::uint64_t entriesEnd, std::size_t held);

    const SourceFile& file_;
    std::uint32_t byteOrder_ = 0x4D4D;
    std::uint32_t next_ = 0;
    bool goesOn_ = false;
    bool tiffHeader_ = false;
    bool bigTiff_ = false;
    std::int32_t pages_ = 0;
    std::uint64_t bytesRead_ = 0;
    // The header and every directory read so far.
    ClaimedBytes used_;
    // The bytes of the directory read last.
    std::vector<unsigned char> buffer_;
};

} // namespace stavren
