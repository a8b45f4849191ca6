#pragma once
// Reads the header and the directory chain of one TIFF file and writes its
// pages into other files.
//
// One directory is one page: the pages are those the DirectoryChain walk
// reaches (see directory_chain.h for where it ends), each with its
// entries. A reader reads the chain as far as its operation needs, all of
// it or the first pages only (the same pages either way, the chain checked
// for loops as far as it was walked). The reader keeps its file open for
// its whole life: the page writer reads value and image data from it on
// demand. The entries of all pages are held in one compact list (12 bytes
// an entry, 4 bytes a page), so what the chain holds stays below the size
// of the file however many directories it has; the directories read besides
// the chain are kept within the bound of their cache (directory_cache.h).

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/directory_cache.h"
#include "engine/directory_chain.h"
#include "engine/ifd_entry.h"
#include "engine/read_allowance.h"
#include "engine/source_file.h"

namespace stavren {

class OutputFile;

class TiffReader {
public:
    static constexpr std::int32_t kEveryPage = 0x7FFFFFFF;

    // Opens the file and reads the directories of its first `pagesNeeded`
    // pages: every page by default.
    explicit TiffReader(std::string name, std::int32_t pagesNeeded = kEveryPage);
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    // 0x4949 for a little-endian file, 0x4D4D for anything else.
    std::uint32_t byteOrder = 0x4D4D;
    // The input file, open from construction to destruction.
    SourceFile stream;

    // The pages read: every page of the file unless fewer were asked for.
    std::int32_t PageCount() const;

    // The entries of page `pageIndex` in the order in which they stand in
    // the file (none for a page outside the pages read).
    std::vector<IfdEntry> Entries(std::int32_t pageIndex) const;

    // The page count of the whole file: the pages read and those the rest
    // of the chain reaches, which are counted but not read (no page is read
    // after this).
    std::int32_t CountAllPages();

    // Whether the file is a BigTIFF file, read as having no pages.
    bool IsBigTiff() const { return chain_.IsBigTiff(); }
    bool HasTiffHeader() const { return chain_.HasTiffHeader(); }

    // Why page `pageIndex` is damaged, null when it is not. A damaged page
    // is counted, but never written: its directory is cut short by the end
    // of the file (the entries past the end would be lost from its copy),
    // or it lacks the entries of an image: its size (ImageWidth and
    // ImageLength) and where its data is (strip or tile offsets, or an
    // old-style JPEG stream).
    const char* Damage(std::int32_t pageIndex) const;

    // Makes the reads of this reader count against `allowance` (with what
    // it has read so far), shared by every reader of one operation. Until
    // then a reader has an allowance of its own for its file.
    void ShareReadAllowance(ReadAllowance& allowance);
    ReadAllowance& Allowance() { return *allowance_; }
    // The directories read besides the chain, each once.
    DirectoryCache& Directories() { return directories_; }

    // Appends page `pageIndex` to `out` in the byte order `outByteOrder` at
    // the output's current (even) end: its directory, its out-of-line values
    // and its image data, all at new offsets. With `isLast` the page ends the
    // chain; otherwise its next-directory field holds the end of the page,
    // where the next page is to follow. Returns false, having written
    // nothing, when the page is refused: damaged (no image entries, data
    // outside the file, counts the file cannot hold, an entry that cannot be
    // carried; see Damage), not rewritable into the other byte order, past
    // what the read allowance leaves, or when its copy would take more than
    // its file's size plus kPageAllowance, its layout more memory than
    // kLayoutAllowance leaves (page_layout.h), or not fit in the output
    // (`out` is then failed, with EFBIG as its error); Refusal() then says
    // why. Returns false also when writing failed (`out` is then failed). Pages may share data (every page naming one
    // profile, every strip one block): each copy carries its own.
    bool WritePage(OutputFile& out, std::int32_t pageIndex, bool isLast, std::uint32_t outByteOrder);

    // Why the last page WritePage refused was refused ("no image data");
    // empty when it wrote the page or writing failed for a reason of the
    // system.
    const std::string& Refusal() const { return refusal_; }

private:
    // Reads the next directory of the chain and appends its page. False at
    // the end of the chain.
    bool ReadIfd();
    // Whether page `pageIndex` holds the entries of an image.
    bool HasImage(std::int32_t pageIndex) const;
    // Counts what the chain walk read since it was last counted.
    void ChargeChainReads();

    DirectoryChain chain_;
    // The entries of every page, page after page; page i starts at
    // firstEntry_[i] and ends where page i + 1 starts.
    std::deque<IfdEntry> entries_;
    std::deque<std::uint32_t> firstEntry_;
    // The page whose directory the file cuts short (the chain ends there).
    std::int32_t cutShort_ = -1;
    ReadAllowance ownAllowance_;
    ReadAllowance* allowance_ = &ownAllowance_;
    std::uint64_t chainCharged_ = 0;
    DirectoryCache directories_;
    std::string refusal_;
};

inline constexpr char kNoImageReason[] = "no image data";
inline constexpr char kCutShortReason[] = "directory cut short by the end of the file";

// Writes the 8-byte header of a new file: the byte-order mark, 42 and the
// offset 8 of the first directory.
void WriteFileHeader(OutputFile& out, std::uint32_t byteOrder);

} // namespace stavren
