#pragma once
// The chain of image directories of a TIFF file, and the one rule of what
// is a page: every directory the chain reaches is one page. The engine's
// reader and the outside page counter both walk it, so the count a user
// sees is the count every operation acts on.
//
// The walk reads only the file header, each directory's entry count and
// its next-directory offset; it never reads what the entries point at, so
// it costs in proportion to the directories. It ends
//   - at a next offset of 0 or one that cannot be read (the file ends);
//   - at a directory that lies (partly) outside the file, or whose entry
//     count cannot be read;
//   - at a directory that overlaps the header or a directory already read
//     (this ends every loop, and keeps what is held below the file's size);
//   - after a directory whose entries the file cuts short (that directory
//     is still a page, holding the entries read in full).
// A BigTIFF file (version 43, 64-bit offsets) has no pages: the writer
// cannot carry its layout.

#include <cstdint>
#include <map>

namespace stavren {

class SourceFile;

// One directory reached by the walk.
struct ChainDirectory {
    std::uint64_t offset = 0;     // of its entry count
    std::uint32_t entryCount = 0; // as the directory states it
    bool complete = false;        // every entry lies inside the file
};

class DirectoryChain {
public:
    // Reads the header of `file`; the walk starts at its first offset.
    explicit DirectoryChain(const SourceFile& file);

    // 0x4949 for a little-endian file, 0x4D4D for anything else.
    std::uint32_t ByteOrder() const { return byteOrder_; }

    // The next directory of the chain; false at its end.
    bool Next(ChainDirectory& dir);

    // Walks the whole chain of the named file: its page count, 0 when the
    // file cannot be read.
    static std::int32_t CountPages(const SourceFile& file);

private:
    bool Claim(std::uint64_t begin, std::uint64_t end);

    const SourceFile& file_;
    std::uint32_t byteOrder_ = 0x4D4D;
    std::uint32_t next_ = 0;
    bool goesOn_ = false;
    std::int32_t pages_ = 0;
    // Byte ranges of the header and of every directory read so far, by
    // start; ranges closer than the smallest directory are merged, so a
    // file of directories packed one after another holds one range.
    std::map<std::uint64_t, std::uint64_t> used_;
};

} // namespace stavren
