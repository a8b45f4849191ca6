#pragma once
// Builds TIFF files byte by byte, for layouts libtiff will not write:
// hand-made directories, hostile chains and counts, old-style JPEG tables.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace stavren::test {

struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    // The values as numbers (element by element, in the builder's byte
    // order when written), or, when `offsetOnly`, the raw value field.
    std::vector<std::uint64_t> numbers;
    std::vector<std::uint8_t> bytes; // for byte types
    bool offsetOnly = false;
    std::uint32_t field = 0;
};

RawEntry Shorts(std::uint16_t tag, std::vector<std::uint64_t> v);
RawEntry Longs(std::uint16_t tag, std::vector<std::uint64_t> v);
RawEntry Ascii(std::uint16_t tag, const std::string& text); // NUL added
RawEntry Bytes(std::uint16_t tag, std::uint16_t type, std::vector<std::uint8_t> v);
RawEntry Rationals(std::uint16_t tag, std::vector<std::pair<std::uint32_t, std::uint32_t>> v);
RawEntry Doubles(std::uint16_t tag, std::vector<double> v);
RawEntry Floats(std::uint16_t tag, std::vector<float> v);
// An entry whose value field is given as is (an offset, or anything).
RawEntry Field(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t field);

class TiffBuilder {
public:
    // Writes the header: byte-order mark, `version`, first offset 0 (set later).
    explicit TiffBuilder(bool bigEndian = false, std::uint16_t version = 42);

    std::vector<std::uint8_t> bytes;

    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes.size()); }
    void Put16(std::uint16_t v);
    void Put32(std::uint32_t v);
    void Set16(std::uint32_t at, std::uint16_t v);
    void Set32(std::uint32_t at, std::uint32_t v);
    void Align();
    // Appends raw bytes (at an even offset) and returns their offset.
    std::uint32_t AddBlob(const std::vector<std::uint8_t>& data);
    // Appends a directory (at an even offset), its out-of-line values after
    // it in entry order. Returns its offset; the next field stays 0.
    std::uint32_t AddDirectory(const std::vector<RawEntry>& entries);
    // Offset of the next-directory field of the directory at `dir`.
    std::uint32_t NextField(std::uint32_t dir) const;
    void SetFirst(std::uint32_t dir) { Set32(4, dir); }
    void Link(std::uint32_t dir, std::uint32_t next) { Set32(NextField(dir), next); }
    void Save(const std::string& path) const;

private:
    bool big_;
};

// A one-strip, 8-bit grey page of width x height at `strip`, with the usual tags.
std::vector<RawEntry> GreyPage(std::uint32_t width, std::uint32_t height, std::uint32_t strip,
                               std::uint32_t stripBytes);

// A file of `count` directories without entries, chained one after another.
std::vector<std::uint8_t> EmptyDirectoryChain(int count);

void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> LoadBytes(const std::string& path);

} // namespace stavren::test
