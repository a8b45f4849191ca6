#pragma once
// Reads the header and the directory chain of one TIFF file and writes its
// pages into other files.
//
// One directory is one page. The reader keeps its file open for its whole
// life: the page writer reads value and image data from it on demand.
// Hostile files are read defensively: the walk stops at a directory that
// lies (partly) outside the file, that overlaps the header or a directory
// already read (which also ends every loop), and a BigTIFF file has no
// pages. The memory held is bounded by the size of the file.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/ifd_record.h"
#include "engine/source_file.h"

namespace stavren {

class OutputFile;

class TiffReader {
public:
    explicit TiffReader(std::string name);
    ~TiffReader();
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    // 0x4949 for a little-endian file, 0x4D4D for anything else.
    std::uint32_t byteOrder = 0x4D4D;
    // The input file, open from construction to destruction.
    SourceFile stream;
    // The directories in chain order: element i is page i.
    std::vector<IfdRecord> ifds;

    std::int32_t PageCount() const;

    // Reads the directory at `offset` and then the next-directory offset into
    // `offset`. True when the chain goes on.
    bool ReadIfd(SourceFile& in, std::uint32_t& offset);

    // Appends page `pageIndex` to `out` in the byte order `outByteOrder` at
    // the output's current (even) end: its directory, its out-of-line values
    // and its image data, all at new offsets. With `isLast` the page ends the
    // chain; otherwise its next-directory field holds the end of the page,
    // where the next page is to follow. Returns false, having written
    // nothing, when the page is damaged (data outside the file, counts the
    // file cannot hold) or would not fit in the output; returns false also
    // when writing failed (`out` is then failed).
    bool WritePage(OutputFile& out, std::int32_t pageIndex, bool isLast, std::uint32_t outByteOrder);

private:
    // Byte ranges of the header and of every directory read so far, by
    // start (a tree, so that a chain running backwards through a large
    // file costs no more than one running forwards).
    std::map<std::uint64_t, std::uint64_t> used_;
    // Source bytes read or claimed by the pages written so far.
    std::uint64_t planned_ = 0;
    bool Claim(std::uint64_t begin, std::uint64_t end);
};

// Writes the 8-byte header of a new file: the byte-order mark, 42 and the
// offset 8 of the first directory.
void WriteFileHeader(OutputFile& out, std::uint32_t byteOrder);

} // namespace stavren
