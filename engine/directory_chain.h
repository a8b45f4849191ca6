#pragma once
// The chain of image directories of a TIFF file, and the one rule of what
// is a page: every directory the chain reaches is one page. The engine's
// reader and the outside page counter both walk it, so the count a user
// sees is the count every operation acts on.
//
// The walk reads only the file header and the directories themselves (a
// counting walk takes no more than their entry counts and next-directory
// offsets from them); it never reads what the entries point at, so it
// costs in proportion to the directories. One read takes in a whole
// directory of common size: its entry count, entries and next offset. The walk goes only as far as its
// caller asks; what it has reached does not depend on how far it goes on.
// It ends
//   - at a next offset of 0 or one that cannot be read (the file ends);
//   - at a directory that lies (partly) outside the file, or whose entry
//     count cannot be read;
//   - at a directory that overlaps the header or a directory already read
//     (this ends every loop, and keeps what is held below the file's size);
//   - after a directory whose entries the file cuts short (that directory
//     is still a page, holding the entries read in full).
// A BigTIFF file (version 43, 64-bit offsets) has no pages: the writer
// cannot carry its layout.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

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

    // Walks the chain of the named file: its page count, 0 when the file
    // cannot be read. With `atMost`, the walk stops once it has reached
    // that many pages (a file with more counts `atMost`).
    static std::int32_t CountPages(const SourceFile& file, std::int32_t atMost = 0x7FFFFFFF);

private:
    bool Claim(std::uint64_t begin, std::uint64_t end);
    bool NextOffset(std::uint64_t begin, std::uint64_t entriesEnd, std::size_t held);

    const SourceFile& file_;
    std::uint32_t byteOrder_ = 0x4D4D;
    std::uint32_t next_ = 0;
    bool goesOn_ = false;
    std::int32_t pages_ = 0;
    // Byte ranges of the header and of every directory read so far, by
    // start; ranges closer than the smallest directory are merged, so a
    // file of directories packed one after another holds one range.
    std::map<std::uint64_t, std::uint64_t> used_;
    // The bytes of the directory read last.
    std::vector<unsigned char> buffer_;
};

} // namespace stavren
