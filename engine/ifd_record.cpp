#include "engine/ifd_record.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/source_file.h"

namespace stavren {

bool IfdRecord::Read(const SourceFile& stream, std::uint64_t offset, std::uint32_t count, std::uint32_t byteOrder)
{
    // Never reserve more entries than the file can hold.
    const std::uint64_t available = stream.Size() > offset + 2 ? (stream.Size() - offset - 2) / 12 : 0;
    const std::uint32_t readable = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, available));
    std::vector<unsigned char> raw(static_cast<std::size_t>(readable) * 12);
    if (readable > 0 && !stream.ReadAt(offset + 2, raw.data(), raw.size()))
        return false;
    Parse(raw.data(), readable, byteOrder);
    return readable == count;
}

void IfdRecord::Parse(const unsigned char* raw, std::uint32_t count, std::uint32_t byteOrder)
{
    entries.reserve(entries.size() + count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* p = raw + 12 * i;
        IfdEntry e;
        e.tag = Load16(p, byteOrder);
        e.type = Load16(p + 2, byteOrder);
        e.count = Load32(p + 4, byteOrder);
        unsigned char field[4];
        std::memcpy(field, p + 8, sizeof field);
        ConvertValueField(field, e.type, e.count, byteOrder, kLittleEndian);
        e.value = Load32(field, kLittleEndian);
        entries.push_back(e);
    }
}

void IfdRecord::Clear()
{
    while (!entries.empty())
        entries.pop_back();
}

} // namespace stavren
