// Appending one page of a reader to an output file.

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/byte_order.h"
#include "engine/output_file.h"
#include "engine/page_layout.h"
#include "engine/tiff_reader.h"

namespace stavren {

namespace {

// Raw bytes stream from source to output through this many bytes at a time
// (large blocks are copied by the kernel instead, see OutputFile::CopyFrom);
// a multiple of 8, so that numbers never straddle two chunks. 64 KiB needs
// a sixteenth of the system calls of 4 KiB and keeps memory flat.
constexpr std::size_t kCopyBufferSize = 64 * 1024;

void WriteDirectory(OutputFile& out, const PagePlan& plan, const PlannedDirectory& dir, std::uint32_t nextOffset,
                    std::uint32_t order)
{
    std::vector<unsigned char> bytes(2 + 12 * std::size_t(dir.entryCount) + 4);
    unsigned char* p = bytes.data();
    Store16(p, static_cast<std::uint16_t>(dir.entryCount), order);
    p += 2;
    for (std::size_t i = dir.firstEntry; i < dir.firstEntry + dir.entryCount; ++i) {
        const PlannedEntry& e = plan.entries[i];
        Store16(p, e.tag, order);
        Store16(p + 2, e.type, order);
        Store32(p + 4, e.count, order);
        if (e.what == PlannedEntry::kField || e.what == PlannedEntry::kRawField) {
            Store32(p + 8, e.value, kLittleEndian);
            if (e.what == PlannedEntry::kField)
                ConvertValueField(p + 8, e.type, e.count, kLittleEndian, order);
        } else {
            Store32(p + 8, static_cast<std::uint32_t>(plan.Resolve(e)), order);
        }
        p += 12;
    }
    Store32(p, nextOffset, order);
    out.Write(bytes.data(), bytes.size());
}

// Copies numbers of `unit` bytes, turning them from one byte order into the other.
void CopyNumbers(OutputFile& out, const SourceFile& source, std::uint64_t offset, std::uint64_t length,
                 std::uint32_t unit, std::vector<unsigned char>& buffer)
{
    const std::size_t chunk = buffer.size() / unit * unit;
    while (length > 0 && !out.Failed()) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, chunk));
        if (!source.ReadAt(offset, buffer.data(), n)) {
            out.Fail();
            return;
        }
        ReverseUnits(buffer.data(), n, unit);
        out.Write(buffer.data(), n);
        offset += n;
        length -= n;
    }
}

// Writes 4-byte offsets produced one by one, a buffer at a time.
template <typename Next>
void WriteOffsets(OutputFile& out, std::size_t count, std::uint32_t order, std::vector<unsigned char>& buffer,
                  Next next)
{
    std::size_t filled = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Store32(buffer.data() + filled, static_cast<std::uint32_t>(next(i)), order);
        filled += 4;
        if (filled == buffer.size()) {
            out.Write(buffer.data(), filled);
            filled = 0;
        }
    }
    out.Write(buffer.data(), filled);
}

void PadToEven(OutputFile& out)
{
    if (out.Position() & 1)
        out.WriteZeros(1);
}

} // namespace

void WriteFileHeader(OutputFile& out, std::uint32_t byteOrder)
{
    unsigned char header[8];
    header[0] = header[1] = byteOrder == kLittleEndian ? 0x49 : 0x4D;
    Store16(header + 2, 42, byteOrder);
    Store32(header + 4, 8, byteOrder);
    out.Write(header, sizeof header);
}

bool TiffReader::WritePage(OutputFile& out, std::int32_t pageIndex, bool isLast, std::uint32_t outByteOrder)
{
    refusal_.clear();
    if (out.Failed() || (out.Position() & 1))
        return false;
    PagePlan plan;
    const std::uint32_t order = outByteOrder == kLittleEndian ? kLittleEndian : kBigEndian;
    const PlanResult planned = PlanPage(*this, pageIndex, out.Position(), order, plan);
    if (planned != PlanResult::kPlanned || !out.HasRoomFor(plan.end - plan.start)) {
        // Directories gone through again for a page that is not written
        // were work for nothing: they count as read.
        allowance_->Take(plan.reused);
        refusal_ =
            planned == PlanResult::kPlanned
                ? "its copy would pass what this operation may write (twice its files plus 256 MiB, 4 GiB a file)"
                : plan.refusal;
        // A page past what it or the output may take is refused for the
        // reason a file grown past its size limit fails with.
        if (planned == PlanResult::kPlanned || planned == PlanResult::kTooLarge)
            out.Fail(EFBIG);
        return false;
    }

    // `nextFieldPos` holds the chain field; the end of the page is known
    // before it is written, so the field is written once, in order.
    const std::uint64_t nextFieldPos = plan.nextFieldPos;
    const bool swap = order != byteOrder;
    // One buffer for every page this thread writes: made (and cleared) once,
    // not once per page.
    static thread_local std::vector<unsigned char> CopyBuffer(kCopyBufferSize);
    auto copyBlock = [&](const ImageRun& run, std::size_t k) {
        if (swap && run.unit > 1)
            CopyNumbers(out, stream, run.offsets[k], run.counts[k], run.unit, CopyBuffer);
        else
            out.CopyFrom(stream, run.offsets[k], run.counts[k], CopyBuffer);
    };

    for (const PagePiece& piece : plan.pieces) {
        if (out.Failed())
            break;
        // The layout and the writing must agree byte for byte.
        if (out.Position() != piece.position) {
            out.Fail();
            break;
        }
        switch (piece.kind) {
        case PagePiece::kDirectory: {
            const PlannedDirectory& dir = plan.directories[piece.index];
            if (dir.isPage && out.Position() + piece.length - 4 != nextFieldPos)
                out.Fail();
            std::uint64_t next = 0;
            if (dir.isPage && !isLast)
                next = plan.end;
            else if (dir.chained)
                next = plan.pieces[dir.next].position;
            WriteDirectory(out, plan, dir, static_cast<std::uint32_t>(next), order);
            break;
        }
        case PagePiece::kValues:
            if (swap && piece.unit > 1)
                CopyNumbers(out, stream, piece.source, piece.length, piece.unit, CopyBuffer);
            else
                out.CopyFrom(stream, piece.source, piece.length, CopyBuffer);
            break;
        case PagePiece::kRunInline: {
            const ImageRun& run = plan.runs[piece.index];
            copyBlock(run, 0);
            break;
        }
        case PagePiece::kRunOffsets: {
            const ImageRun& run = plan.runs[piece.index];
            std::uint64_t at = plan.pieces[run.piece].position;
            WriteOffsets(out, run.offsets.size(), order, CopyBuffer, [&](std::size_t k) {
                const std::uint64_t here = at;
                at += run.counts[k];
                return here;
            });
            break;
        }
        case PagePiece::kRefOffsets:
            WriteOffsets(out, static_cast<std::size_t>(piece.length / 4), order, CopyBuffer,
                         [&](std::size_t k) { return plan.pieces[plan.refs[piece.index + k]].position; });
            break;
        case PagePiece::kRunTail: {
            const ImageRun& run = plan.runs[piece.index];
            for (std::size_t k = 0; k < run.offsets.size() && !out.Failed(); ++k)
                copyBlock(run, k);
            break;
        }
        }
        if (piece.pad)
            PadToEven(out);
    }
    PadToEven(out);
    return !out.Failed() && out.Position() == plan.end;
}

} // namespace stavren
