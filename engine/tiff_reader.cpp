#include "engine/tiff_reader.h"

#include <algorithm>
#include <iterator>

#include "engine/byte_order.h"

namespace stavren {

namespace {
constexpr std::uint16_t kBigTiffVersion = 43;
}

TiffReader::TiffReader(std::string name) : stream(name) {
    unsigned char header[8];
    if (!stream.ReadAt(0, header, sizeof header))
        return;
    byteOrder = header[0] == 0x49 && header[1] == 0x49 ? kLittleEndian : kBigEndian;
    // The version is not checked, except that a BigTIFF file (whose offsets
    // are 64-bit) would be misread as garbage pages: it has none here.
    if (Load16(header + 2, byteOrder) == kBigTiffVersion)
        return;
    std::uint32_t offset = Load32(header + 4, byteOrder);
    used_.emplace(0, sizeof header);
    while (ReadIfd(stream, offset)) {
    }
}

TiffReader::~TiffReader() {
    while (!ifds.empty()) {
        ifds.back().Clear();
        ifds.pop_back();
    }
}

std::int32_t TiffReader::PageCount() const {
    return static_cast<std::int32_t>(ifds.size());
}

bool TiffReader::Claim(std::uint64_t begin, std::uint64_t end) {
    const auto it = used_.lower_bound(begin);
    if (it != used_.end() && it->first < end)
        return false;
    if (it != used_.begin() && std::prev(it)->second > begin)
        return false;
    used_.emplace_hint(it, begin, end);
    return true;
}

bool TiffReader::ReadIfd(SourceFile& in, std::uint32_t& offset) {
    // A page count beyond the signed 32-bit range cannot be reported.
    if (ifds.size() >= 0x7FFFFFFF)
        return false;
    unsigned char head[2];
    if (!in.ReadAt(offset, head, 2))
        return false;
    const std::uint64_t entryCount = Load16(head, byteOrder);
    const std::uint64_t begin = offset;
    const std::uint64_t end = std::min<std::uint64_t>(begin + 2 + 12 * entryCount + 4, in.Size());
    // A directory that overlaps the header or a directory already read ends
    // the chain: this stops every loop and keeps the entries held in memory
    // below the size of the file.
    if (!Claim(begin, end))
        return false;
    IfdRecord record;
    bool complete = false;
    if (!record.Read(in, begin, byteOrder, complete))
        return false;
    ifds.push_back(std::move(record));
    if (!complete)
        return false;
    unsigned char next[4];
    if (!in.ReadAt(begin + 2 + 12 * entryCount, next, 4))
        return false;
    offset = Load32(next, byteOrder);
    return offset != 0;
}

} // namespace stavren
