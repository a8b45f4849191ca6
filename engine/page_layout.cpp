#include "engine/page_layout.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "engine/byte_order.h"
#include "engine/ifd_record.h"
#include "engine/tiff_reader.h"
#include "engine/tiff_types.h"

namespace stavren {

namespace {

constexpr std::uint64_t Even(std::uint64_t x)
{
    return x + (x & 1);
}

// Nesting of the carried sub-directories. A sub-image is an image like its
// page: its strips or tiles, tables and sub-directories come along.
enum class Level { kPage, kSubImage, kExifOrGps, kInteroperability };

constexpr bool IsImage(Level level)
{
    return level == Level::kPage || level == Level::kSubImage;
}

// How deeply sub-images may nest below their page, and how many one page may
// carry: pyramids have one level of a dozen or so, previews and masks a few.
constexpr int kMaxSubImageDepth = 8;
constexpr std::size_t kMaxSubImages = 1024;

// Tags of an image whose values are byte streams of their own format.
bool IsByteStream(std::uint16_t tag)
{
    switch (tag) {
    case tiff_tag::kXmp:
    case tiff_tag::kIptc:
    case tiff_tag::kPhotoshop:
    case tiff_tag::kIccProfile: return true;
    default: return false;
    }
}

bool IsOffsetNumberType(std::uint16_t type)
{
    return type == tiff_type::kShort || type == tiff_type::kLong || type == tiff_type::kSShort
           || type == tiff_type::kSLong;
}

bool IsDirectoryPointerType(std::uint16_t type)
{
    return type == tiff_type::kLong || type == tiff_type::kIfd;
}

// Tags whose LONG values are the offsets of directories.
bool IsDirectoryPointerTag(std::uint16_t tag)
{
    switch (tag) {
    case tiff_tag::kSubIfds:
    case tiff_tag::kGlobalParametersIfd:
    case tiff_tag::kExifIfd:
    case tiff_tag::kGpsIfd:
    case tiff_tag::kInteroperabilityIfd: return true;
    default: return false;
    }
}

std::string TagText(std::uint16_t tag)
{
    return "tag " + std::to_string(tag);
}

class Planner {
public:
    Planner(TiffReader& reader, std::uint32_t outOrder, PagePlan& plan)
        : reader_(reader), source_(reader.stream), plan_(plan), outOrder_(outOrder), allowance_(reader.Allowance()),
          limit_(reader.stream.Size() + kPageAllowance),
          // Never past 4 GiB, which no page of a classic file can take, and
          // which keeps every index of the layout within 32 bits.
          holdLimit_(std::min<std::uint64_t>(reader.stream.Size() + kLayoutAllowance, 0xFFFFFFFFull))
    {
    }

    bool PlanPageDirectory(const std::vector<IfdEntry>& entries)
    {
        if (!PlanDirectory(entries, Level::kPage))
            return false;
        for (const PagePiece& tail : pendingTails_)
            plan_.pieces.push_back(tail);
        return true;
    }

    // Whether planning stopped because the copy would take too much, or
    // because the operation had read all it may.
    bool TooLarge() const { return tooLarge_; }
    bool Unread() const { return unread_; }
    // Why planning stopped.
    const std::string& Reason() const { return reason_; }

private:
    // Notes why the page cannot be written (the first reason found); false.
    bool Refuse(const std::string& why)
    {
        if (reason_.empty())
            reason_ = why;
        return false;
    }

    // Counts bytes the copy will take against what one page may take.
    void Grow(std::uint64_t length)
    {
        planned_ += length;
        if (planned_ > limit_ && !tooLarge_) {
            tooLarge_ = true;
            Refuse("its copy would take more than its file's size plus 1 MiB");
        }
    }

    // Counts memory the layout is about to hold against what it may hold;
    // false, the page refused, once that is passed. A list is counted before
    // it is made; a piece may pass the bound by its own few bytes, and
    // planning stops with the entry at hand.
    bool Hold(std::uint64_t bytes)
    {
        held_ += bytes;
        if (held_ <= holdLimit_)
            return !tooLarge_;
        if (!tooLarge_) {
            tooLarge_ = true;
            Refuse("too large to lay out");
        }
        return false;
    }

    // The width of the samples of an image whose bytes must turn with the
    // byte order.
    bool SettleSampleUnit(const std::vector<IfdEntry>& entries)
    {
        sampleUnit_ = 1;
        if (reader_.byteOrder == outOrder_)
            return true;
        std::uint32_t bits = 1;
        std::uint32_t compression = 1;
        for (const IfdEntry& e : entries) {
            if (e.tag == tiff_tag::kBitsPerSample) {
                std::vector<std::uint32_t> perSample;
                if (!ReadNumbers(e, perSample))
                    return false; // refused with its reason
                for (std::uint32_t b : perSample)
                    bits = std::max(bits, b);
            } else if (e.tag == tiff_tag::kCompression && e.count >= 1 && IsOffsetNumberType(e.type)) {
                compression =
                    e.type == tiff_type::kShort || e.type == tiff_type::kSShort ? (e.value & 0xFFFF) : e.value;
            }
        }
        if (bits != 16 && bits != 24 && bits != 32 && bits != 64)
            return true;
        if (compression != 1)
            return Refuse(reader_.byteOrder == kBigEndian
                              ? "big-endian samples wider than 8 bits are not rewritten"
                              : "compressed samples wider than 8 bits are not rewritten in the other byte order");
        sampleUnit_ = bits / 8;
        return true;
    }

    // A block the page copies: it must lie in the source file.
    bool Take(std::uint64_t offset, std::uint64_t length) const { return source_.Holds(offset, length); }

    // Counts bytes read for planning against the operation's allowance.
    bool Charge(std::uint64_t length)
    {
        if (allowance_.Take(length))
            return true;
        unread_ = true;
        return Refuse(kUnreadReason);
    }

    // Whether the numbers of `e` can be read: of type SHORT, SSHORT, LONG
    // or SLONG, and inside the file unless they fit its value field.
    bool NumbersReadable(const IfdEntry& e)
    {
        if (!IsOffsetNumberType(e.type))
            return Refuse(TagText(e.tag) + " is of type " + std::to_string(e.type) + ", not a 16- or 32-bit number");
        const std::uint64_t bytes = std::uint64_t(ElementSize(e.type)) * e.count;
        // The array itself is copied by nobody, but it is read: it must lie
        // in the file, which also bounds what reading it takes.
        if (bytes > 4 && !source_.Holds(e.value, bytes))
            return Refuse(TagText(e.tag) + ": values outside the file");
        return true;
    }

    // Calls `use` with each number of such an entry, from its value field
    // or from the source file, read a chunk at a time; stops at the first
    // call that returns false.
    template <typename Use>
    bool ForEachNumber(const IfdEntry& e, Use use)
    {
        if (!NumbersReadable(e))
            return false;
        const std::uint32_t size = ElementSize(e.type);
        const std::uint64_t bytes = std::uint64_t(size) * e.count;
        if (bytes <= 4) {
            unsigned char field[4];
            Store32(field, e.value, kLittleEndian);
            for (std::uint32_t i = 0; i < e.count; ++i)
                if (!use(size == 2 ? Load16(field + 2 * i, kLittleEndian) : Load32(field, kLittleEndian)))
                    return false;
            return true;
        }
        if (!Charge(bytes))
            return false;
        unsigned char chunk[4096];
        std::uint64_t at = e.value;
        std::uint32_t left = e.count;
        while (left > 0) {
            const std::uint32_t n = std::min<std::uint32_t>(left, sizeof chunk / size);
            if (!source_.ReadAt(at, chunk, std::size_t(n) * size))
                return Refuse(TagText(e.tag) + ": values cannot be read");
            for (std::uint32_t i = 0; i < n; ++i)
                if (!use(size == 2 ? Load16(chunk + 2 * i, reader_.byteOrder)
                                   : Load32(chunk + 4 * i, reader_.byteOrder)))
                    return false;
            at += std::uint64_t(n) * size;
            left -= n;
        }
        return true;
    }

    // The numbers of such an entry, held as a list.
    bool ReadNumbers(const IfdEntry& e, std::vector<std::uint32_t>& out)
    {
        out.clear();
        if (!NumbersReadable(e) || !Hold(4ull * e.count))
            return false;
        out.reserve(e.count);
        return ForEachNumber(e, [&](std::uint32_t n) {
            out.push_back(n);
            return true;
        });
    }

    // Appends `piece`; its index. Planning goes on to the end of the entry
    // at hand when the piece passes a bound, then stops.
    std::uint32_t AddPiece(const PagePiece& piece)
    {
        Grow(piece.length + (piece.pad ? 1 : 0));
        Hold(sizeof(PagePiece));
        plan_.pieces.push_back(piece);
        return static_cast<std::uint32_t>(plan_.pieces.size() - 1);
    }

    std::uint32_t AddValues(std::uint64_t source, std::uint64_t length, std::uint32_t unit)
    {
        PagePiece piece;
        piece.kind = PagePiece::kValues;
        piece.source = source;
        piece.length = length;
        piece.unit = static_cast<std::uint8_t>(unit);
        piece.pad = true;
        return AddPiece(piece);
    }

    static void PointAt(PlannedEntry& planned, std::uint32_t piece)
    {
        planned.what = PlannedEntry::kPiece;
        planned.value = piece;
    }

    // Strips or tiles named by an offsets entry, with the byte counts entry.
    bool PlanRun(const IfdEntry& offsets, const IfdEntry* counts, PlannedEntry& planned)
    {
        if (!Hold(sizeof(ImageRun)))
            return false;
        ImageRun run;
        if (!ReadNumbers(offsets, run.offsets))
            return false;
        if (counts != nullptr && !ReadNumbers(*counts, run.counts))
            return false;
        // A block without a byte count has 0 bytes; extra counts are unused.
        if (run.counts.size() < run.offsets.size() && !Hold(4ull * run.offsets.size()))
            return false;
        run.counts.resize(run.offsets.size(), 0);
        run.unit = sampleUnit_;
        for (std::size_t k = 0; k < run.offsets.size(); ++k)
            if (!Take(run.offsets[k], run.counts[k]))
                return Refuse("strip or tile data outside the file");
        const auto runIndex = static_cast<std::uint32_t>(plan_.runs.size());
        planned.type = tiff_type::kLong;
        if (run.offsets.empty()) {
            plan_.runs.push_back(std::move(run));
            return true;
        }
        PagePiece piece;
        piece.index = runIndex;
        if (run.offsets.size() == 1) {
            run.inlineBlock = true;
            piece.kind = PagePiece::kRunInline;
            piece.length = run.counts[0];
            piece.pad = true;
            run.piece = AddPiece(piece);
            PointAt(planned, run.piece);
        } else {
            piece.kind = PagePiece::kRunOffsets;
            piece.length = 4ull * run.offsets.size();
            PointAt(planned, AddPiece(piece));
            PagePiece tail;
            tail.kind = PagePiece::kRunTail;
            tail.index = runIndex;
            for (std::uint32_t c : run.counts)
                tail.length += c;
            Grow(tail.length);
            // Held twice: here, and in the pieces once the page is planned.
            Hold(2 * sizeof(PagePiece));
            run.piece = static_cast<std::uint32_t>(pendingTails_.size());
            pendingTails_.push_back(tail);
        }
        plan_.runs.push_back(std::move(run));
        return !tooLarge_;
    }

    // The interchange stream of an old-style JPEG image: it points into a
    // strip or tile of the image (its runs from `firstRun` on) when it lies
    // inside one, else it is its own block. A run whose samples turn with
    // the byte order (a sub-image's, say) is not the stream's bytes.
    bool PlanInterchange(const IfdEntry& e, std::uint64_t length, std::size_t firstRun, PlannedEntry& planned)
    {
        const std::uint64_t offset = e.value;
        for (auto r = static_cast<std::uint32_t>(firstRun); r < plan_.runs.size(); ++r) {
            const ImageRun& run = plan_.runs[r];
            if (run.unit != 1)
                continue;
            for (std::uint32_t k = 0; k < run.offsets.size(); ++k) {
                const std::uint64_t begin = run.offsets[k];
                const std::uint64_t end = begin + run.counts[k];
                if (offset >= begin && offset + length <= end) {
                    planned.what = PlannedEntry::kBlock;
                    planned.value = static_cast<std::uint32_t>(plan_.blockRefs.size());
                    plan_.blockRefs.push_back({r, k, offset - begin});
                    return Hold(sizeof(BlockRef));
                }
            }
        }
        // A stream that holds the image's strips (header, tables and the
        // scan data the strips point into) is copied whole, and those
        // strips once more: they take no room of what the page may take.
        if (!Take(offset, length))
            return Refuse("JPEG stream outside the file");
        std::uint64_t inside = 0;
        for (std::size_t r = firstRun; r < plan_.runs.size(); ++r)
            for (std::size_t k = 0; plan_.runs[r].unit == 1 && k < plan_.runs[r].offsets.size(); ++k) {
                const std::uint64_t begin = plan_.runs[r].offsets[k];
                if (begin >= offset && begin + plan_.runs[r].counts[k] <= offset + length)
                    inside += plan_.runs[r].counts[k];
            }
        limit_ += std::min(inside, length);
        PointAt(planned, AddValues(offset, length, 1));
        return true;
    }

    // Old-style JPEG tables: each offset names a quantisation table of 64
    // bytes or a Huffman table of 16 code counts followed by the codes.
    bool PlanTables(const IfdEntry& e, PlannedEntry& planned)
    {
        std::vector<std::uint32_t> offsets;
        if (!ReadNumbers(e, offsets))
            return false;
        if (offsets.empty())
            return Refuse(TagText(e.tag) + " names no JPEG table");
        if (!Hold(sizeof(std::uint64_t) * offsets.size()))
            return false;
        std::vector<std::uint64_t> lengths;
        lengths.reserve(offsets.size());
        for (std::uint32_t offset : offsets) {
            std::uint64_t length = 64;
            if (e.tag != tiff_tag::kJpegQTables) {
                unsigned char codeCounts[16];
                if (!Charge(sizeof codeCounts))
                    return false;
                if (!source_.ReadAt(offset, codeCounts, sizeof codeCounts))
                    return Refuse("JPEG table outside the file");
                length = 16;
                for (unsigned char c : codeCounts)
                    length += c;
            }
            if (!Take(offset, length))
                return Refuse("JPEG table outside the file");
            lengths.push_back(length);
        }
        planned.type = tiff_type::kLong;
        std::uint32_t array = 0;
        if (!PlanOffsetArray(offsets.size(), planned, array))
            return false;
        for (std::size_t i = 0; i < offsets.size() && !tooLarge_; ++i)
            SetOffset(offsets.size(), array, i, AddValues(offsets[i], lengths[i], 1), planned);
        return !tooLarge_;
    }

    // An entry whose values are the offsets of `count` blocks of this page:
    // with more than one it points at a new array of them, whose piece
    // `array` gets. False, with nothing held, when the array would pass
    // what the layout may hold.
    bool PlanOffsetArray(std::size_t count, PlannedEntry& planned, std::uint32_t& array)
    {
        planned.what = PlannedEntry::kPiece;
        if (count < 2)
            return true;
        if (!Hold(4ull * count))
            return false;
        PagePiece piece;
        piece.kind = PagePiece::kRefOffsets;
        piece.length = 4ull * count;
        piece.index = static_cast<std::uint32_t>(plan_.refs.size());
        plan_.refs.resize(plan_.refs.size() + count);
        array = AddPiece(piece);
        planned.value = array;
        return true;
    }

    // Gives such an entry its offset `k`: that of piece `piece`.
    void SetOffset(std::size_t count, std::uint32_t array, std::size_t k, std::uint32_t piece, PlannedEntry& planned)
    {
        if (count == 1)
            planned.value = piece;
        else
            plan_.refs[plan_.pieces[array].index + k] = piece;
    }

    // The directory at `offset`, named by `tag`: its entries and, with
    // `withNext`, its next-directory field, all of which must lie in the
    // file. Read from the file once per reader while its cache has room
    // (directory_cache.h); a directory held already is gone through again
    // from memory.
    std::shared_ptr<const CachedDirectory> ReadDirectoryAt(std::uint64_t offset, bool withNext, std::uint16_t tag)
    {
        const auto outside = [&] {
            Refuse("a directory outside the file (" + TagText(tag) + ")");
            return nullptr;
        };
        if (auto held = reader_.Directories().Find(offset)) {
            if (withNext && !held->hasNext)
                return outside();
            plan_.reused += held->Size();
            return held;
        }
        // The entry count and the 4 bytes after it in one read: the whole of
        // a directory without entries.
        unsigned char head[6];
        const std::size_t got = source_.ReadUpTo(offset, head, sizeof head);
        if (got < 2)
            return outside();
        const std::uint32_t count = Load16(head, reader_.byteOrder);
        const std::uint64_t size = 2 + 12ull * count;
        const bool hasNext = source_.Holds(offset + size, 4);
        if (!Take(offset, size) || (withNext && !hasNext))
            return outside();
        const std::uint64_t whole = size + (hasNext ? 4 : 0);
        if (!Charge(whole))
            return nullptr;
        // The rest of it in one more read.
        std::vector<unsigned char> rest;
        const unsigned char* bytes = head;
        if (whole > got) {
            rest.resize(static_cast<std::size_t>(whole));
            std::memcpy(rest.data(), head, got);
            if (!source_.ReadAt(offset + got, rest.data() + got, static_cast<std::size_t>(whole - got))) {
                Refuse("a directory that cannot be read (" + TagText(tag) + ")");
                return nullptr;
            }
            bytes = rest.data();
        }
        IfdRecord record;
        record.Parse(bytes + 2, count, reader_.byteOrder);
        auto dir = std::make_shared<CachedDirectory>();
        dir->entries = std::move(record.entries);
        dir->hasNext = hasNext;
        if (hasNext)
            dir->next = Load32(bytes + size, reader_.byteOrder);
        reader_.Directories().Keep(offset, dir);
        return dir;
    }

    bool PlanSubDirectory(const IfdEntry& e, Level level, PlannedEntry& planned)
    {
        const auto dir = ReadDirectoryAt(e.value, false, e.tag);
        if (!dir)
            return false;
        PointAt(planned, static_cast<std::uint32_t>(plan_.pieces.size()));
        return PlanDirectory(dir->entries, level);
    }

    // An entry whose values are the offsets of directories: the sub-images
    // of an image (SubIFDs), or directories of a private tag of type IFD.
    // Each is carried as a sub-image is, with those its next-directory
    // fields chain to it. The offsets are read a chunk at a time, as they
    // are planned, and never held.
    bool PlanSubImages(const IfdEntry& e, PlannedEntry& planned)
    {
        if (!IsDirectoryPointerType(e.type))
            return Refuse(TagText(e.tag) + " names directories but is of type " + std::to_string(e.type));
        IfdEntry asLongs = e;
        asLongs.type = tiff_type::kLong;
        if (!NumbersReadable(asLongs))
            return false;
        if (depth_ == kMaxSubImageDepth)
            return Refuse("sub-images nested more than 8 levels deep");
        std::uint32_t array = 0;
        if (!PlanOffsetArray(e.count, planned, array))
            return false;
        ++depth_;
        std::size_t k = 0;
        const bool plannedAll = ForEachNumber(asLongs, [&](std::uint32_t offset) {
            std::uint32_t head = 0;
            if (!PlanSubImageChain(offset, e.tag, head))
                return false;
            SetOffset(e.count, array, k++, head, planned);
            return true;
        });
        --depth_;
        return plannedAll;
    }

    // The sub-image at `offset` (named by `tag`) and those its
    // next-directory fields chain to it; `head` gets the piece of its
    // directory. A sub-image reached again is not planned twice: its copy is
    // named instead, unless it is still being planned (the trees lead back
    // into themselves).
    bool PlanSubImageChain(std::uint64_t offset, std::uint16_t tag, std::uint32_t& head)
    {
        constexpr std::uint32_t kNone = ~std::uint32_t(0);
        std::vector<std::uint64_t> chain;
        std::uint32_t previous = kNone; // directory of the last sub-image planned
        for (std::uint64_t at = offset;;) {
            const auto known = subImages_.find(at);
            const bool planned = known != subImages_.end();
            if (planned && known->second.open)
                return Refuse("sub-images that lead back into themselves");
            if (!planned && at == 0)
                return Refuse("a sub-image at offset 0");
            if (!planned && subImages_.size() == kMaxSubImages)
                return Refuse("more than 1,024 sub-images");
            const auto piece = planned ? known->second.piece : static_cast<std::uint32_t>(plan_.pieces.size());
            if (previous == kNone) {
                head = piece;
            } else {
                plan_.directories[previous].chained = true;
                plan_.directories[previous].next = piece;
            }
            if (planned)
                break;
            const auto dir = ReadDirectoryAt(at, true, tag);
            if (!dir)
                return false;
            subImages_.emplace(at, SubImage{piece, true});
            chain.push_back(at);
            previous = static_cast<std::uint32_t>(plan_.directories.size());
            if (!PlanDirectory(dir->entries, Level::kSubImage))
                return false;
            if (dir->next == 0)
                break;
            at = dir->next;
        }
        for (std::uint64_t at : chain)
            subImages_[at].open = false;
        return true;
    }

    static bool IsFreeSpace(std::uint16_t tag)
    {
        return tag == tiff_tag::kFreeOffsets || tag == tiff_tag::kFreeByteCounts;
    }

    bool PlanDirectory(const std::vector<IfdEntry>& entries, Level level)
    {
        const bool image = IsImage(level);
        const std::uint32_t outerUnit = sampleUnit_;
        if (image && !SettleSampleUnit(entries))
            return false;
        // The free space of the old file: none in the copy. Its entries are
        // left out.
        const auto kept = static_cast<std::uint32_t>(
            entries.size()
            - static_cast<std::size_t>(
                std::count_if(entries.begin(), entries.end(), [](const IfdEntry& e) { return IsFreeSpace(e.tag); })));
        if (!Hold(sizeof(PlannedDirectory) + sizeof(PlannedEntry) * std::uint64_t(kept)))
            return false;
        const std::size_t firstRun = plan_.runs.size();
        const auto dirIndex = static_cast<std::uint32_t>(plan_.directories.size());
        const std::size_t firstEntry = plan_.entries.size();
        plan_.directories.emplace_back();
        plan_.directories[dirIndex].firstEntry = firstEntry;
        plan_.directories[dirIndex].entryCount = kept;
        plan_.directories[dirIndex].isPage = level == Level::kPage;
        // Appending never moves an element of the list: `p` below stays
        // where it is while the directories it names are planned.
        plan_.entries.resize(firstEntry + kept);
        PagePiece dirPiece;
        dirPiece.kind = PagePiece::kDirectory;
        dirPiece.index = dirIndex;
        const std::uint32_t dirPieceIndex = AddPiece(dirPiece);

        bool interchangePlanned = false;
        const IfdEntry* stripCounts = nullptr;
        const IfdEntry* tileCounts = nullptr;
        std::uint64_t interchangeLength = 0;
        for (const IfdEntry& e : entries) {
            if (e.tag == tiff_tag::kStripByteCounts)
                stripCounts = &e;
            else if (e.tag == tiff_tag::kTileByteCounts)
                tileCounts = &e;
            else if (e.tag == tiff_tag::kJpegInterchangeFormatLength && e.count == 1 && IsOffsetNumberType(e.type))
                interchangeLength =
                    e.type == tiff_type::kShort || e.type == tiff_type::kSShort ? (e.value & 0xFFFF) : e.value;
        }

        std::size_t slot = firstEntry;
        for (const IfdEntry& e : entries) {
            if (tooLarge_)
                return false;
            if (IsFreeSpace(e.tag)) {
                // Gone through and never written, so counted as read.
                if (!Charge(12))
                    return false;
                continue;
            }
            PlannedEntry& p = plan_.entries[slot++];
            p.tag = e.tag;
            p.type = e.type;
            p.count = e.count;
            p.value = e.value;
            switch (e.tag) {
            case tiff_tag::kStripOffsets:
            case tiff_tag::kTileOffsets:
                if (!image)
                    return Refuse(TagText(e.tag) + " (strip or tile offsets) outside an image");
                if (!PlanRun(e, e.tag == tiff_tag::kStripOffsets ? stripCounts : tileCounts, p))
                    return false;
                continue;
            case tiff_tag::kJpegInterchangeFormat:
                if (!image)
                    return Refuse(TagText(e.tag) + " (JPEG stream) outside an image");
                if (e.count != 1 || !IsOffsetNumberType(e.type))
                    return Refuse(TagText(e.tag) + " (JPEG stream) is not one offset");
                if (interchangePlanned)
                    return Refuse("a second JPEG stream (" + TagText(e.tag) + ")");
                // Strips and tiles come before it in a sorted directory, so
                // a stream inside one of them is found.
                if (!PlanInterchange(e, interchangeLength, firstRun, p))
                    return false;
                interchangePlanned = true;
                continue;
            case tiff_tag::kJpegQTables:
            case tiff_tag::kJpegDcTables:
            case tiff_tag::kJpegAcTables:
                if (!image)
                    return Refuse(TagText(e.tag) + " (JPEG tables) outside an image");
                if (!PlanTables(e, p))
                    return false;
                continue;
            case tiff_tag::kExifIfd:
            case tiff_tag::kGpsIfd:
                if (image && e.count == 1 && IsDirectoryPointerType(e.type)) {
                    if (!PlanSubDirectory(e, Level::kExifOrGps, p))
                        return false;
                    continue;
                }
                break;
            case tiff_tag::kInteroperabilityIfd:
                if (level == Level::kExifOrGps && e.count == 1 && IsDirectoryPointerType(e.type)) {
                    if (!PlanSubDirectory(e, Level::kInteroperability, p))
                        return false;
                    continue;
                }
                break;
            default: break;
            }
            // Other directories (sub-images, private directories named by a
            // tag of type IFD, directory tags where they are not expected)
            // are carried as sub-images are; an entry that names nothing is
            // kept as it is.
            if (e.type == tiff_type::kIfd8)
                return Refuse(TagText(e.tag)
                              + " names a directory by a 64-bit offset, which a classic file cannot hold");
            if (e.type == tiff_type::kIfd || IsDirectoryPointerTag(e.tag)) {
                if (e.count > 0 && !PlanSubImages(e, p))
                    return false;
                continue;
            }
            const std::uint32_t size = ElementSize(e.type);
            // An entry of unknown size may hold an offset that cannot be
            // followed: it cannot be carried.
            if (size == 0)
                return Refuse(TagText(e.tag) + " is of an unknown type (" + std::to_string(e.type) + ")");
            const bool stream = image && IsByteStream(e.tag);
            if (FitsInline(e.type, e.count)) {
                if (stream) {
                    p.what = PlannedEntry::kRawField;
                    p.value = SourceField(e);
                }
                continue;
            }
            const std::uint64_t length = std::uint64_t(size) * e.count;
            if (!Take(e.value, length))
                return Refuse(TagText(e.tag) + ": values outside the file");
            PointAt(p, AddValues(e.value, length, stream ? 1 : SwapUnit(e.type)));
        }

        plan_.pieces[dirPieceIndex].length = 2 + 12ull * kept + 4;
        Grow(plan_.pieces[dirPieceIndex].length);
        sampleUnit_ = outerUnit;
        return !tooLarge_;
    }

    // The 4 bytes of an entry's value field as they stand in the source
    // file (the reader holds them in their little-endian form).
    std::uint32_t SourceField(const IfdEntry& e) const
    {
        unsigned char field[4];
        Store32(field, e.value, kLittleEndian);
        ConvertValueField(field, e.type, e.count, kLittleEndian, reader_.byteOrder);
        return Load32(field, kLittleEndian);
    }

    struct SubImage {
        std::uint32_t piece; // of its directory
        bool open;           // still being planned
    };

    TiffReader& reader_;
    const SourceFile& source_;
    PagePlan& plan_;
    std::uint32_t outOrder_;
    ReadAllowance& allowance_;
    std::uint64_t limit_;
    std::uint64_t holdLimit_;
    std::uint64_t planned_ = 0;
    std::uint64_t held_ = 0;
    bool tooLarge_ = false;
    bool unread_ = false;
    std::string reason_;
    int depth_ = 0;
    std::map<std::uint64_t, SubImage> subImages_; // by source offset
    std::uint32_t sampleUnit_ = 1;
    std::deque<PagePiece> pendingTails_;
};

} // namespace

std::uint64_t PagePlan::Resolve(const BlockRef& ref) const
{
    const ImageRun& run = runs[ref.run];
    std::uint64_t at = pieces[run.piece].position;
    for (std::uint32_t k = 0; k < ref.block && k < run.counts.size(); ++k)
        at += run.counts[k];
    return at + ref.delta;
}

std::uint64_t PagePlan::Resolve(const PlannedEntry& e) const
{
    return e.what == PlannedEntry::kBlock ? Resolve(blockRefs[e.value]) : pieces[e.value].position;
}

PlanResult PlanPage(TiffReader& reader, std::int32_t pageIndex, std::uint64_t start, std::uint32_t outOrder,
                    PagePlan& plan)
{
    plan = PagePlan{};
    if (const char* damage = reader.Damage(pageIndex)) {
        plan.refusal = damage;
        return PlanResult::kDamaged;
    }
    if (reader.Allowance().Spent()) {
        plan.refusal = kUnreadReason;
        return PlanResult::kUnread;
    }
    plan.start = start;
    Planner planner(reader, outOrder, plan);
    if (!planner.PlanPageDirectory(reader.Entries(pageIndex))) {
        plan.refusal = planner.Reason();
        return planner.TooLarge() ? PlanResult::kTooLarge
               : planner.Unread() ? PlanResult::kUnread
                                  : PlanResult::kDamaged;
    }
    // The tails were planned apart: make run pieces index the final list.
    std::uint64_t dataCursor = start;
    std::uint32_t tailIndex = 0;
    const std::size_t firstTail =
        plan.pieces.size()
        - static_cast<std::size_t>(std::count_if(plan.pieces.begin(), plan.pieces.end(),
                                                 [](const PagePiece& p) { return p.kind == PagePiece::kRunTail; }));
    for (ImageRun& run : plan.runs)
        if (!run.inlineBlock && !run.offsets.empty())
            run.piece = static_cast<std::uint32_t>(firstTail + tailIndex++);
    for (PagePiece& piece : plan.pieces) {
        piece.position = dataCursor;
        dataCursor += piece.length;
        if (piece.pad)
            dataCursor = Even(dataCursor);
    }
    plan.nextFieldPos = start + plan.pieces[0].length - 4;
    plan.end = Even(dataCursor);
    return PlanResult::kPlanned;
}

} // namespace stavren
