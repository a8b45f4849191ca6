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
    entries.reserve(readable);
    std::vector<unsigned char> raw(static_cast<std::size_t>(readable) * 12);
    if (readable > 0 && !stream.ReadAt(offset + 2, raw.data(), raw.size()))
        return false;
    for (std::uint32_t i = 0; i < readable; ++i) {
        unsigned char* p = raw.data() + 12 * i;
        IfdEntry e;
        e.tag = Load16(p, byteOrder);
        e.type = Load16(p + 2, byteOrder);
        e.count = Load32(p + 4, byteOrder);
        ConvertValueField(p + 8, e.type, e.count, byteOrder, kLittleEndian);
        e.value = Load32(p + 8, kLittleEndian);
        entries.push_back(e);
    }
    return readable == count;
}

void IfdRecord::Clear()
{
    while (!entries.empty())
        entries.pop_back();
}

} // namespace stavren
