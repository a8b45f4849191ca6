#pragma once
// The layout of one page in an output file, worked out in full before a
// byte of it is written.
//
// A page is laid out as: its directory; then the out-of-line data of its
// entries in entry order (value arrays, a single strip or tile, the
// JPEG interchange stream, the old-style JPEG tables, the EXIF, GPS and
// Interoperability sub-directories and the sub-images, each directory
// followed by its own out-of-line data), every block starting on an even
// offset; then, for the page and each sub-image of several strips or tiles,
// those blocks back to back; then one pad byte when the end is odd.
//
// Sub-images (the SubIFDs of a page: reduced resolutions, masks, previews)
// are images of their own and are carried like the page, nested ones too,
// and so are the directories their next-directory fields chain to them. One
// that is reached twice from one page (listed and chained, as some writers
// do) is carried once and named by both; one that leads back to itself is
// damage.
//
// Directories named by a tag of type IFD (and the other directory tags,
// wherever they stand) are carried as sub-images are, within the same
// limits. The only entries left out are FreeOffsets and FreeByteCounts: the
// free space of the old file, of which the copy has none. Any other entry
// that cannot be carried makes the page damaged: one of an unknown type
// (its value field might be an offset), a directory named by a 64-bit
// offset (IFD8), image offsets or a JPEG stream outside an image, a second
// JPEG stream.
//
// The values of XMP, IPTC, Photoshop resources and colour profiles are byte
// streams whatever numeric type their writer declared: their bytes are
// copied as they stand, never turned as numbers.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/ifd_entry.h"

namespace stavren {

class TiffReader;

// A place in a block of a run: `delta` bytes into its block `block`.
struct BlockRef {
    std::uint32_t run = 0;
    std::uint32_t block = 0;
    std::uint64_t delta = 0;
};

// One entry of a planned directory: 16 bytes held for the 12 it writes.
struct PlannedEntry {
    enum Value : std::uint8_t {
        kField,    // `value`: the value field (little-endian form), turned for the output
        kRawField, // `value`: the field's bytes as they stand
        kPiece,    // the new offset of piece `value`
        kBlock,    // the new offset of the place plan.blockRefs[value]
    };
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t value = 0;
    Value what = kField;
};

struct PlannedDirectory {
    // Its entries: plan.entries[firstEntry, firstEntry + entryCount).
    std::size_t firstEntry = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t next = 0; // piece of the next sub-image's directory, when chained
    bool isPage = false;    // the page's own directory (has the chain field)
    bool chained = false;   // a sub-image that the next one follows
};

// The image blocks (strips or tiles) named by one offsets entry.
struct ImageRun {
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> counts;
    bool inlineBlock = false; // one block, laid out in entry order
    std::uint32_t unit = 1;   // sample width whose bytes turn with the byte order
    std::uint32_t piece = 0;  // the piece holding the block(s)
};

struct PagePiece {
    enum Kind : std::uint8_t {
        kDirectory,  // `index`: the directory
        kValues,     // `length` bytes at `source`, numbers of `unit` bytes
        kRunInline,  // the single block of run `index`
        kRunOffsets, // 4-byte new offsets of every block of run `index`
        kRefOffsets, // 4-byte new offsets of the pieces plan.refs[index...], length / 4 of them
        kRunTail,    // every block of run `index`, back to back
    };
    Kind kind = kValues;
    std::uint8_t unit = 1;
    bool pad = false; // followed by a 0 byte when it ends odd
    std::uint32_t index = 0;
    std::uint64_t source = 0;
    std::uint64_t length = 0;   // bytes this piece takes (without padding)
    std::uint64_t position = 0; // output offset, set by the layout
};

// The layout of one page. Its lists grow at their ends without moving what
// they hold (a list that doubled as it grew would, for a moment, hold three
// times its elements).
struct PagePlan {
    std::deque<PlannedDirectory> directories; // [0] is the page's directory
    std::deque<PlannedEntry> entries;         // of every directory
    std::deque<ImageRun> runs;
    std::deque<PagePiece> pieces; // in output order
    std::deque<std::uint32_t> refs;
    std::vector<BlockRef> blockRefs;
    std::uint64_t start = 0;
    std::uint64_t end = 0;          // even end of the page
    std::uint64_t nextFieldPos = 0; // position of the chain field
    // Bytes of directories read for earlier pages and gone through again
    // from memory.
    std::uint64_t reused = 0;
    // Why the page cannot be written, when it cannot.
    std::string refusal;

    // New output offset of a place in a block.
    std::uint64_t Resolve(const BlockRef& ref) const;
    // New output offset of what `e` points at (kPiece or kBlock).
    std::uint64_t Resolve(const PlannedEntry& e) const;
};

// A page's copy, sub-images and tables included, takes at most the size of
// its file plus this much: re-laid tables (offsets grown from 16 to 32
// bits, a table named twice) and strips that name one small block. A page
// that would take more names its data far more often than a sound file
// does (one block repeated thousands of times). Strips that lie inside an
// old-style JPEG interchange stream are carried twice, in the stream and as
// strips, and count once.
inline constexpr std::uint64_t kPageAllowance = 1u << 20;

// What the layout of one page holds in memory while it is planned and
// written (its directories, entries, pieces, runs and offset arrays) stays
// below the size of its file plus this much. Each planned entry takes a
// little more than the 12 bytes it writes, each offset of a sub-image or
// table the 4 it writes, the value of an entry 32 bytes however small: a
// page whose layout would pass the bound (a directory of thousands of
// small values named over and over) is refused before it is held.
inline constexpr std::uint64_t kLayoutAllowance = 64ull << 20;

enum class PlanResult {
    kPlanned,
    kDamaged,  // no image entries, a block outside the source file, counts
               // or types that cannot be read, an entry or a sub-image that
               // cannot be carried; or it cannot be carried into the other
               // byte order
    kTooLarge, // its copy would pass its file's size plus kPageAllowance,
               // or its layout what kLayoutAllowance leaves
    kUnread,   // the operation's read allowance was spent first
};

inline constexpr char kUnreadReason[] = "not read, the operation has read all its files allow (four times their size "
                                        "plus 64 MiB)";

// Plans page `pageIndex` of `reader` for an output of byte order `outOrder`
// whose page starts at the even offset `start`.
//
// Samples of 16, 24, 32 or 64 bits are stored in the file's byte order, so
// the uncompressed image data of such a page is turned sample by sample
// when the byte order changes. Compressed samples of those sizes would have
// to be decoded and encoded again to be turned: such a page is not written
// rather than written with other pixel values.
//
// Blocks may be shared: pages of a file may all name one block, the strips
// of a page may all name one block, and each reference carries its own
// copy. What one page writes is bounded above; what all pages of an
// operation write, by the output (its size limit and budget). What
// planning reads (offset and count arrays, tables, sub-directories) counts
// against the reader's read allowance (read_allowance.h), shared by the
// operation. A sub-directory is read from the file once per reader and
// gone through again from memory when it is named again (`plan.reused`):
// the page writer counts that too when the page is then not written. Once the allowance is spent, pages are refused
// unplanned. `plan.refusal` says why a page was not planned.
PlanResult PlanPage(TiffReader& reader, std::int32_t pageIndex, std::uint64_t start, std::uint32_t outOrder,
                    PagePlan& plan);

} // namespace stavren
