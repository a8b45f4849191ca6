#include "engine/page_layout.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "engine/byte_order.h"
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

class Planner {
public:
    Planner(const TiffReader& reader, std::uint32_t outOrder, PagePlan& plan, std::uint64_t wasted)
        : reader_(reader), source_(reader.stream), plan_(plan), outOrder_(outOrder),
          allowance_(ReadAllowance(reader.stream.Size(), wasted)), limit_(reader.stream.Size() + kPageAllowance)
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

    // Whether planning stopped because the copy would take too much.
    bool TooLarge() const { return tooLarge_; }

private:
    // Counts bytes the copy will take against what one page may take.
    void Grow(std::uint64_t length)
    {
        planned_ += length;
        if (planned_ > limit_)
            tooLarge_ = true;
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
                    return false;
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
            return false;
        sampleUnit_ = bits / 8;
        return true;
    }

    // What planning may still read: a few times the file, less what was
    // read for pages that were not written.
    static std::uint64_t ReadAllowance(std::uint64_t fileSize, std::uint64_t wasted)
    {
        const std::uint64_t whole = 4 * fileSize + (1u << 20);
        return wasted < whole ? whole - wasted : 0;
    }

    // A block the page copies: it must lie in the source file.
    bool Take(std::uint64_t offset, std::uint64_t length) const { return source_.Holds(offset, length); }

    // Counts bytes read for planning against the allowance.
    bool Charge(std::uint64_t length)
    {
        plan_.read += length;
        return plan_.read <= allowance_;
    }

    // The numbers of an entry of type SHORT, SSHORT, LONG or SLONG, from its
    // value field or from the source file.
    bool ReadNumbers(const IfdEntry& e, std::vector<std::uint32_t>& out)
    {
        if (!IsOffsetNumberType(e.type))
            return false;
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
        if (!source_.Holds(e.value, bytes) || !Charge(bytes))
            return false;
        out.reserve(e.count);
        unsigned char chunk[4096];
        std::uint64_t at = e.value;
        std::uint32_t left = e.count;
        while (left > 0) {
            const std::uint32_t n = std::min<std::uint32_t>(left, sizeof chunk / size);
            if (!source_.ReadAt(at, chunk, std::size_t(n) * size))
                return false;
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
                return false;
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
            return false;
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
        if (!ReadNumbers(e, offsets) || offsets.empty())
            return false;
        std::vector<std::uint64_t> lengths;
        for (std::uint32_t offset : offsets) {
            std::uint64_t length = 64;
            if (e.tag != tiff_tag::kJpegQTables) {
                unsigned char codeCounts[16];
                if (!Charge(sizeof codeCounts) || !source_.ReadAt(offset, codeCounts, sizeof codeCounts))
                    return false;
                length = 16;
                for (unsigned char c : codeCounts)
                    length += c;
            }
            if (!Take(offset, length))
                return false;
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

    // Reads the directory at `offset`, and with `next` its next-directory
    // field as well; all of it must lie in the file.
    bool ReadDirectoryAt(std::uint64_t offset, IfdRecord& record, std::uint32_t* next)
    {
        unsigned char head[2];
        if (!source_.ReadAt(offset, head, 2))
            return false;
        const std::uint64_t count = Load16(head, reader_.byteOrder);
        const std::uint64_t size = 2 + 12 * count + (next != nullptr ? 4 : 0);
        if (!Take(offset, size) || !Charge(size))
            return false;
        if (!record.Read(source_, offset, static_cast<std::uint32_t>(count), reader_.byteOrder))
            return false;
        unsigned char field[4];
        if (next != nullptr) {
            if (!source_.ReadAt(offset + 2 + 12 * count, field, sizeof field))
                return false;
            *next = Load32(field, reader_.byteOrder);
        }
        return true;
    }

    bool PlanSubDirectory(const IfdEntry& e, Level level, PlannedEntry& planned)
    {
        IfdRecord record;
        if (!ReadDirectoryAt(e.value, record, nullptr))
            return false;
        planned.literal = false;
        planned.ref = PieceRef(static_cast<std::uint32_t>(plan_.pieces.size()));
        return PlanDirectory(record.entries, level);
    }

    // The SubIFDs entry of an image: one directory offset per sub-image.
    bool PlanSubImages(const IfdEntry& e, PlannedEntry& planned)
    {
        IfdEntry asLongs = e;
        if (e.type == tiff_type::kIfd)
            asLongs.type = tiff_type::kLong;
        std::vector<std::uint32_t> offsets;
        if (asLongs.type != tiff_type::kLong || !ReadNumbers(asLongs, offsets) || depth_ == kMaxSubImageDepth)
            return false;
        const std::uint32_t array = PlanOffsetArray(offsets.size(), planned);
        ++depth_;
        for (std::uint32_t offset : offsets) {
            std::uint32_t head = 0;
            if (!PlanSubImageChain(offset, head))
                return false;
            AddOffset(offsets.size(), array, PieceRef(head), planned);
        }
        --depth_;
        return true;
    }

    // The sub-image at `offset` and those its next-directory fields chain
    // to it; `head` gets the piece of its directory. A sub-image reached
    // again is not planned twice: its copy is named instead, unless it is
    // still being planned (the trees lead back into themselves).
    bool PlanSubImageChain(std::uint64_t offset, std::uint32_t& head)
    {
        constexpr std::uint32_t kNone = ~std::uint32_t(0);
        std::vector<std::uint64_t> chain;
        std::uint32_t previous = kNone; // directory of the last sub-image planned
        for (std::uint64_t at = offset;;) {
            const auto known = subImages_.find(at);
            const bool planned = known != subImages_.end();
            if (planned && known->second.open)
                return false;
            if (!planned && (at == 0 || subImages_.size() == kMaxSubImages))
                return false;
            const auto piece = planned ? known->second.piece : static_cast<std::uint32_t>(plan_.pieces.size());
            if (previous == kNone) {
                head = piece;
            } else {
                plan_.directories[previous].chained = true;
                plan_.directories[previous].next = PieceRef(piece);
            }
            if (planned)
                break;
            IfdRecord record;
            std::uint32_t next = 0;
            if (!ReadDirectoryAt(at, record, &next))
                return false;
            subImages_.emplace(at, SubImage{piece, true});
            chain.push_back(at);
            previous = static_cast<std::uint32_t>(plan_.directories.size());
            if (!PlanDirectory(record.entries, Level::kSubImage))
                return false;
            if (next == 0)
                break;
            at = next;
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
            case tiff_tag::kGlobalParametersIfd: keep[i] = false; continue;
            case tiff_tag::kSubIfds:
                if (!image || e.count == 0) {
                    keep[i] = false;
                    continue;
                }
                if (!PlanSubImages(e, p))
                    return false;
                continue;
            case tiff_tag::kStripOffsets:
            case tiff_tag::kTileOffsets:
                if (!image) {
                    keep[i] = false;
                    continue;
                }
                if (!PlanRun(e, e.tag == tiff_tag::kStripOffsets ? stripCounts : tileCounts, p))
                    return false;
                continue;
            case tiff_tag::kJpegInterchangeFormat:
                // One stream per image: a second entry is left out.
                if (!image || e.count != 1 || !IsOffsetNumberType(e.type) || interchangePlanned) {
                    keep[i] = false;
                    continue;
                }
                // Strips and tiles come before it in a sorted directory, so
                // a stream inside one of them is found.
                if (!PlanInterchange(e, interchangeLength, firstRun, p))
                    return false;
                interchangePlanned = true;
                continue;
            case tiff_tag::kJpegQTables:
            case tiff_tag::kJpegDcTables:
            case tiff_tag::kJpegAcTables:
                if (!image || !IsOffsetNumberType(e.type)) {
                    keep[i] = false;
                    continue;
                }
                if (!PlanTables(e, p))
                    return false;
                continue;
            case tiff_tag::kExifIfd:
            case tiff_tag::kGpsIfd:
                if (image && e.count == 1 && IsDirectoryPointerType(e.type)) {
                    if (!PlanSubDirectory(e, Level::kExifOrGps, p))
                        return false;
                } else {
                    keep[i] = false;
                }
                continue;
            case tiff_tag::kInteroperabilityIfd:
                if (level == Level::kExifOrGps && e.count == 1 && IsDirectoryPointerType(e.type)) {
                    if (!PlanSubDirectory(e, Level::kInteroperability, p))
                        return false;
                } else {
                    keep[i] = false;
                }
                continue;
            default: break;
            }
            const std::uint32_t size = ElementSize(e.type);
            // An entry of unknown size may hold an offset we cannot follow,
            // and any other directory pointer names data that is not carried.
            if (size == 0 || e.type == tiff_type::kIfd || e.type == tiff_type::kIfd8) {
                keep[i] = false;
                continue;
            }
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
                return false;
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

    const TiffReader& reader_;
    const SourceFile& source_;
    PagePlan& plan_;
    std::uint32_t outOrder_;
    std::uint64_t allowance_;
    std::uint64_t limit_;
    std::uint64_t planned_ = 0;
    bool tooLarge_ = false;
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

PlanResult PlanPage(const TiffReader& reader, std::int32_t pageIndex, std::uint64_t start, std::uint32_t outOrder,
                    PagePlan& plan, std::uint64_t wasted)
{
    plan = PagePlan{};
    if (!reader.HasImage(pageIndex))
        return PlanResult::kDamaged;
    plan.start = start;
    Planner planner(reader, outOrder, plan, wasted);
    if (!planner.PlanPageDirectory(reader.ifds[static_cast<std::size_t>(pageIndex)].entries))
        return planner.TooLarge() ? PlanResult::kTooLarge : PlanResult::kDamaged;
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
