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
          limit_(reader.stream.Size() + kPageAllowance)
    {
    }

    bool PlanPageDirectory(const std::vector<IfdEntry>& entries)
    {
        if (!PlanDirectory(entries, Level::kPage))
            return false;
        for (std::uint32_t piece : tails_)
            plan_.pieces.push_back(pendingTails_[piece]);
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
                    return Refuse(TagText(e.tag) + " (bits per sample) cannot be read");
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
        plan_.read += length;
        if (allowance_.Take(length))
            return true;
        unread_ = true;
        return Refuse(kUnreadReason);
    }

    // The numbers of an entry of type SHORT, SSHORT, LONG or SLONG, from its
    // value field or from the source file.
    bool ReadNumbers(const IfdEntry& e, std::vector<std::uint32_t>& out)
    {
        if (!IsOffsetNumberType(e.type))
            return Refuse(TagText(e.tag) + " is of type " + std::to_string(e.type) + ", not a 16- or 32-bit number");
        const std::uint32_t size = ElementSize(e.type);
        const std::uint64_t bytes = std::uint64_t(size) * e.count;
        out.clear();
        if (bytes <= 4) {
            unsigned char field[4];
            Store32(field, e.value, kLittleEndian);
            for (std::uint32_t i = 0; i < e.count; ++i)
                out.push_back(size == 2 ? Load16(field + 2 * i, kLittleEndian) : Load32(field, kLittleEndian));
            return true;
        }
        // The array itself is copied by nobody, but it is read: it must lie
        // in the file, which also bounds the memory it takes.
        if (!source_.Holds(e.value, bytes))
            return Refuse(TagText(e.tag) + ": values outside the file");
        if (!Charge(bytes))
            return false;
        out.reserve(e.count);
        unsigned char chunk[4096];
        std::uint64_t at = e.value;
        std::uint32_t left = e.count;
        while (left > 0) {
            const std::uint32_t n = std::min<std::uint32_t>(left, sizeof chunk / size);
            if (!source_.ReadAt(at, chunk, std::size_t(n) * size))
                return Refuse(TagText(e.tag) + ": values cannot be read");
            for (std::uint32_t i = 0; i < n; ++i)
                out.push_back(size == 2 ? Load16(chunk + 2 * i, reader_.byteOrder)
                                        : Load32(chunk + 4 * i, reader_.byteOrder));
            at += std::uint64_t(n) * size;
            left -= n;
        }
        return true;
    }

    std::uint32_t AddPiece(PagePiece piece)
    {
        Grow(piece.length + (piece.pad ? 1 : 0));
        plan_.pieces.push_back(std::move(piece));
        return static_cast<std::uint32_t>(plan_.pieces.size() - 1);
    }

    std::uint32_t AddValues(std::uint64_t source, std::uint64_t length, std::uint32_t unit)
    {
        PagePiece piece;
        piece.kind = PagePiece::kValues;
        piece.source = source;
        piece.length = length;
        piece.unit = unit;
        piece.pad = true;
        return AddPiece(std::move(piece));
    }

    static PageRef PieceRef(std::uint32_t piece)
    {
        PageRef ref;
        ref.kind = PageRef::kPiece;
        ref.index = piece;
        return ref;
    }

    // Strips or tiles named by an offsets entry, with the byte counts entry.
    bool PlanRun(const IfdEntry& offsets, const IfdEntry* counts, PlannedEntry& planned)
    {
        ImageRun run;
        if (!ReadNumbers(offsets, run.offsets))
            return false;
        if (counts != nullptr && !ReadNumbers(*counts, run.counts))
            return false;
        // A block without a byte count has 0 bytes; extra counts are unused.
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
        planned.literal = false;
        PagePiece piece;
        piece.index = runIndex;
        if (run.offsets.size() == 1) {
            run.inlineBlock = true;
            piece.kind = PagePiece::kRunInline;
            piece.length = run.counts[0];
            piece.pad = true;
            run.piece = AddPiece(std::move(piece));
            planned.ref.kind = PageRef::kRunBlock;
            planned.ref.index = runIndex;
        } else {
            piece.kind = PagePiece::kRunOffsets;
            piece.length = 4ull * run.offsets.size();
            planned.ref = PieceRef(AddPiece(std::move(piece)));
            PagePiece tail;
            tail.kind = PagePiece::kRunTail;
            tail.index = runIndex;
            for (std::uint32_t c : run.counts)
                tail.length += c;
            Grow(tail.length);
            run.piece = static_cast<std::uint32_t>(pendingTails_.size());
            tails_.push_back(run.piece);
            pendingTails_.push_back(std::move(tail));
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
                    planned.literal = false;
                    planned.ref.kind = PageRef::kRunBlock;
                    planned.ref.index = r;
                    planned.ref.block = k;
                    planned.ref.delta = offset - begin;
                    return true;
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
        planned.literal = false;
        planned.ref = PieceRef(AddValues(offset, length, 1));
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
        std::vector<std::uint64_t> lengths;
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
        const std::uint32_t array = PlanOffsetArray(offsets.size(), planned);
        for (std::size_t i = 0; i < offsets.size(); ++i)
            AddOffset(offsets.size(), array, PieceRef(AddValues(offsets[i], lengths[i], 1)), planned);
        return true;
    }

    // An entry whose values are the offsets of `count` blocks of this page:
    // with more than one it points at a new array of them, whose piece is
    // returned.
    std::uint32_t PlanOffsetArray(std::size_t count, PlannedEntry& planned)
    {
        planned.literal = false;
        if (count < 2)
            return 0;
        PagePiece piece;
        piece.kind = PagePiece::kRefOffsets;
        piece.length = 4ull * count;
        const std::uint32_t array = AddPiece(std::move(piece));
        planned.ref = PieceRef(array);
        return array;
    }

    // Gives such an entry the next of its offsets.
    void AddOffset(std::size_t count, std::uint32_t array, const PageRef& ref, PlannedEntry& planned)
    {
        if (count == 1)
            planned.ref = ref;
        else
            plan_.pieces[array].refs.push_back(ref);
    }

    // The directory at `offset`, named by `tag`: its entries and, with
    // `withNext`, its next-directory field, all of which must lie in the
    // file. Read from the file once per operation (the reader keeps it); a
    // directory held already is gone through again from memory.
    std::shared_ptr<const CachedDirectory> ReadDirectoryAt(std::uint64_t offset, bool withNext, std::uint16_t tag)
    {
        const std::string outside = "a directory outside the file (" + TagText(tag) + ")";
        if (auto held = reader_.Directories().Find(offset)) {
            if (withNext && !held->hasNext) {
                Refuse(outside);
                return nullptr;
            }
            plan_.reused += held->Size();
            return held;
        }
        unsigned char head[2];
        if (!source_.ReadAt(offset, head, 2)) {
            Refuse(outside);
            return nullptr;
        }
        const std::uint64_t count = Load16(head, reader_.byteOrder);
        const std::uint64_t size = 2 + 12 * count;
        auto dir = std::make_shared<CachedDirectory>();
        dir->hasNext = source_.Holds(offset + size, 4);
        if (!Take(offset, size) || (withNext && !dir->hasNext)) {
            Refuse(outside);
            return nullptr;
        }
        if (!Charge(dir->Size()))
            return nullptr;
        IfdRecord record;
        unsigned char field[4];
        if (!record.Read(source_, offset, static_cast<std::uint32_t>(count), reader_.byteOrder)
            || (dir->hasNext && !source_.ReadAt(offset + size, field, sizeof field))) {
            Refuse("a directory that cannot be read (" + TagText(tag) + ")");
            return nullptr;
        }
        dir->entries = std::move(record.entries);
        if (dir->hasNext)
            dir->next = Load32(field, reader_.byteOrder);
        reader_.Directories().Keep(offset, dir);
        return dir;
    }

    bool PlanSubDirectory(const IfdEntry& e, Level level, PlannedEntry& planned)
    {
        const auto dir = ReadDirectoryAt(e.value, false, e.tag);
        if (!dir)
            return false;
        planned.literal = false;
        planned.ref = PieceRef(static_cast<std::uint32_t>(plan_.pieces.size()));
        return PlanDirectory(dir->entries, level);
    }

    // An entry whose values are the offsets of directories: the sub-images
    // of an image (SubIFDs), or directories of a private tag of type IFD.
    // Each is carried as a sub-image is, with those its next-directory
    // fields chain to it.
    bool PlanSubImages(const IfdEntry& e, PlannedEntry& planned)
    {
        if (!IsDirectoryPointerType(e.type))
            return Refuse(TagText(e.tag) + " names directories but is of type " + std::to_string(e.type));
        IfdEntry asLongs = e;
        asLongs.type = tiff_type::kLong;
        std::vector<std::uint32_t> offsets;
        if (!ReadNumbers(asLongs, offsets))
            return false;
        if (depth_ == kMaxSubImageDepth)
            return Refuse("sub-images nested more than 8 levels deep");
        const std::uint32_t array = PlanOffsetArray(offsets.size(), planned);
        ++depth_;
        for (std::uint32_t offset : offsets) {
            std::uint32_t head = 0;
            if (!PlanSubImageChain(offset, e.tag, head))
                return false;
            AddOffset(offsets.size(), array, PieceRef(head), planned);
        }
        --depth_;
        return true;
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
                plan_.directories[previous].next = PieceRef(piece);
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

    bool PlanDirectory(const std::vector<IfdEntry>& entries, Level level)
    {
        const bool image = IsImage(level);
        const std::uint32_t outerUnit = sampleUnit_;
        if (image && !SettleSampleUnit(entries))
            return false;
        const std::size_t firstRun = plan_.runs.size();
        const auto dirIndex = static_cast<std::uint32_t>(plan_.directories.size());
        plan_.directories.emplace_back();
        plan_.directories[dirIndex].isPage = level == Level::kPage;
        PagePiece dirPiece;
        dirPiece.kind = PagePiece::kDirectory;
        dirPiece.index = dirIndex;
        const std::uint32_t dirPieceIndex = AddPiece(std::move(dirPiece));

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

        std::vector<PlannedEntry> planned(entries.size());
        std::vector<bool> keep(entries.size(), true);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IfdEntry& e = entries[i];
            planned[i].tag = e.tag;
            planned[i].type = e.type;
            planned[i].count = e.count;
            planned[i].value = e.value;
        }

        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (tooLarge_)
                return false;
            const IfdEntry& e = entries[i];
            PlannedEntry& p = planned[i];
            switch (e.tag) {
            case tiff_tag::kFreeOffsets:
            case tiff_tag::kFreeByteCounts:
                // The free space of the old file: none in the copy. Gone
                // through and never written, so counted as read.
                keep[i] = false;
                if (!Charge(12))
                    return false;
                continue;
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
                    p.raw = true;
                    p.value = SourceField(e);
                }
                continue;
            }
            const std::uint64_t length = std::uint64_t(size) * e.count;
            if (!Take(e.value, length))
                return Refuse(TagText(e.tag) + ": values outside the file");
            p.literal = false;
            p.ref = PieceRef(AddValues(e.value, length, stream ? 1 : SwapUnit(e.type)));
        }

        PlannedDirectory& dir = plan_.directories[dirIndex];
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (keep[i])
                dir.entries.push_back(planned[i]);
        plan_.pieces[dirPieceIndex].length = 2 + 12ull * dir.entries.size() + 4;
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
    std::uint64_t planned_ = 0;
    bool tooLarge_ = false;
    bool unread_ = false;
    std::string reason_;
    int depth_ = 0;
    std::map<std::uint64_t, SubImage> subImages_; // by source offset
    std::uint32_t sampleUnit_ = 1;
    std::vector<PagePiece> pendingTails_;
    std::vector<std::uint32_t> tails_;
};

} // namespace

std::uint64_t PagePlan::Resolve(const PageRef& ref) const
{
    if (ref.kind == PageRef::kPiece)
        return pieces[ref.index].position + ref.delta;
    const ImageRun& run = runs[ref.index];
    std::uint64_t at = pieces[run.piece].position;
    for (std::uint32_t k = 0; k < ref.block && k < run.counts.size(); ++k)
        at += run.counts[k];
    return at + ref.delta;
}

PlanResult PlanPage(TiffReader& reader, std::int32_t pageIndex, std::uint64_t start, std::uint32_t outOrder,
                    PagePlan& plan)
{
    plan = PagePlan{};
    if (!reader.HasImage(pageIndex)) {
        plan.refusal = kNoImageReason;
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
