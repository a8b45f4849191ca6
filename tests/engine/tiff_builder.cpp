#include "tests/engine/tiff_builder.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace stavren::test {

namespace {
std::uint32_t SizeOf(std::uint16_t type)
{
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7: return 1;
    case 3:
    case 8: return 2;
    case 4:
    case 9:
    case 11:
    case 13: return 4;
    case 5:
    case 10:
    case 12:
    case 16:
    case 17:
    case 18: return 8;
    default: return 0;
    }
}
} // namespace

RawEntry Shorts(std::uint16_t tag, std::vector<std::uint64_t> v)
{
    RawEntry e{tag, 3, static_cast<std::uint32_t>(v.size()), std::move(v), {}, false, 0};
    return e;
}
RawEntry Longs(std::uint16_t tag, std::vector<std::uint64_t> v)
{
    RawEntry e{tag, 4, static_cast<std::uint32_t>(v.size()), std::move(v), {}, false, 0};
    return e;
}
RawEntry Ascii(std::uint16_t tag, const std::string& text)
{
    std::vector<std::uint8_t> b(text.begin(), text.end());
    b.push_back(0);
    return Bytes(tag, 2, std::move(b));
}
RawEntry Bytes(std::uint16_t tag, std::uint16_t type, std::vector<std::uint8_t> v)
{
    RawEntry e;
    e.tag = tag;
    e.type = type;
    e.count = static_cast<std::uint32_t>(v.size());
    e.bytes = std::move(v);
    return e;
}
RawEntry Rationals(std::uint16_t tag, std::vector<std::pair<std::uint32_t, std::uint32_t>> v)
{
    RawEntry e;
    e.tag = tag;
    e.type = 5;
    e.count = static_cast<std::uint32_t>(v.size());
    for (auto [n, d] : v) {
        e.numbers.push_back(n);
        e.numbers.push_back(d);
    }
    return e;
}
RawEntry Doubles(std::uint16_t tag, std::vector<double> v)
{
    RawEntry e;
    e.tag = tag;
    e.type = 12;
    e.count = static_cast<std::uint32_t>(v.size());
    for (double d : v) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        e.numbers.push_back(bits);
    }
    return e;
}
RawEntry Floats(std::uint16_t tag, std::vector<float> v)
{
    RawEntry e;
    e.tag = tag;
    e.type = 11;
    e.count = static_cast<std::uint32_t>(v.size());
    for (float f : v) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        e.numbers.push_back(bits);
    }
    return e;
}
RawEntry Field(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t field)
{
    RawEntry e;
    e.tag = tag;
    e.type = type;
    e.count = count;
    e.offsetOnly = true;
    e.field = field;
    return e;
}

TiffBuilder::TiffBuilder(bool bigEndian, std::uint16_t version) : big_(bigEndian)
{
    bytes.push_back(bigEndian ? 'M' : 'I');
    bytes.push_back(bigEndian ? 'M' : 'I');
    Put16(version);
    Put32(0);
}

void TiffBuilder::Put16(std::uint16_t v)
{
    bytes.resize(bytes.size() + 2);
    Set16(Size() - 2, v);
}
void TiffBuilder::Put32(std::uint32_t v)
{
    bytes.resize(bytes.size() + 4);
    Set32(Size() - 4, v);
}
void TiffBuilder::Set16(std::uint32_t at, std::uint16_t v)
{
    bytes[at + (big_ ? 1 : 0)] = static_cast<std::uint8_t>(v);
    bytes[at + (big_ ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
}
void TiffBuilder::Set32(std::uint32_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + (big_ ? 3 - i : i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void TiffBuilder::Align()
{
    if (bytes.size() & 1)
        bytes.push_back(0);
}
std::uint32_t TiffBuilder::AddBlob(const std::vector<std::uint8_t>& data)
{
    Align();
    const std::uint32_t at = Size();
    bytes.insert(bytes.end(), data.begin(), data.end());
    return at;
}

// The bytes of an entry's values, in the builder's byte order.
static std::vector<std::uint8_t> ValueBytes(const RawEntry& e, bool big)
{
    std::vector<std::uint8_t> out;
    if (!e.numbers.empty()) {
        const std::uint32_t unit = e.type == 5 || e.type == 10 ? 4 : SizeOf(e.type);
        for (std::uint64_t n : e.numbers)
            for (std::uint32_t i = 0; i < unit; ++i)
                out.push_back(static_cast<std::uint8_t>(n >> (8 * (big ? unit - 1 - i : i))));
    } else {
        out = e.bytes;
    }
    return out;
}

std::uint32_t TiffBuilder::AddDirectory(const std::vector<RawEntry>& entries)
{
    Align();
    const std::uint32_t dir = Size();
    Put16(static_cast<std::uint16_t>(entries.size()));
    std::vector<std::uint32_t> fieldAt;
    for (const RawEntry& e : entries) {
        Put16(e.tag);
        Put16(e.type);
        Put32(e.count);
        fieldAt.push_back(Size());
        Put32(0);
    }
    Put32(0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RawEntry& e = entries[i];
        if (e.offsetOnly) {
            Set32(fieldAt[i], e.field);
            continue;
        }
        std::vector<std::uint8_t> v = ValueBytes(e, big_);
        if (v.size() <= 4) {
            std::memcpy(bytes.data() + fieldAt[i], v.data(), v.size());
        } else {
            Align();
            Set32(fieldAt[i], Size());
            bytes.insert(bytes.end(), v.begin(), v.end());
        }
    }
    return dir;
}

std::uint32_t TiffBuilder::NextField(std::uint32_t dir) const
{
    const std::uint32_t n = big_ ? (bytes[dir] << 8 | bytes[dir + 1]) : (bytes[dir] | bytes[dir + 1] << 8);
    return dir + 2 + 12 * n;
}

void TiffBuilder::Save(const std::string& path) const
{
    SaveBytes(path, bytes);
}

std::vector<RawEntry> GreyPage(std::uint32_t width, std::uint32_t height, std::uint32_t strip, std::uint32_t stripBytes)
{
    return {Longs(256, {width}),      Longs(257, {height}),      Shorts(258, {8}),          Shorts(259, {1}),
            Shorts(262, {1}),         Longs(273, {strip}),       Shorts(277, {1}),          Longs(278, {height}),
            Longs(279, {stripBytes}), Rationals(282, {{72, 1}}), Rationals(283, {{72, 1}}), Shorts(296, {2})};
}

std::vector<std::uint8_t> EmptyDirectoryChain(int count)
{
    TiffBuilder b;
    std::uint32_t previous = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t d = b.AddDirectory({});
        previous == 0 ? b.SetFirst(d) : b.Link(previous, d);
        previous = d;
    }
    return b.bytes;
}

void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> LoadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace stavren::test
