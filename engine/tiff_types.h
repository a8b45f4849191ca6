#pragma once
// Field types and the tag numbers the page engine treats specially.

#include <cstdint>

namespace stavren {

inline constexpr std::uint32_t kLittleEndian = 0x4949; // "II"
inline constexpr std::uint32_t kBigEndian = 0x4D4D;    // "MM"

namespace tiff_type {
inline constexpr std::uint16_t kByte = 1;
inline constexpr std::uint16_t kAscii = 2;
inline constexpr std::uint16_t kShort = 3;
inline constexpr std::uint16_t kLong = 4;
inline constexpr std::uint16_t kRational = 5;
inline constexpr std::uint16_t kSByte = 6;
inline constexpr std::uint16_t kUndefined = 7;
inline constexpr std::uint16_t kSShort = 8;
inline constexpr std::uint16_t kSLong = 9;
inline constexpr std::uint16_t kSRational = 10;
inline constexpr std::uint16_t kFloat = 11;
inline constexpr std::uint16_t kDouble = 12;
inline constexpr std::uint16_t kIfd = 13;
inline constexpr std::uint16_t kLong8 = 16;
inline constexpr std::uint16_t kSLong8 = 17;
inline constexpr std::uint16_t kIfd8 = 18;
} // namespace tiff_type

namespace tiff_tag {
inline constexpr std::uint16_t kImageWidth = 256;
inline constexpr std::uint16_t kImageLength = 257;
inline constexpr std::uint16_t kBitsPerSample = 258;
inline constexpr std::uint16_t kCompression = 259;
inline constexpr std::uint16_t kFreeOffsets = 288;
inline constexpr std::uint16_t kFreeByteCounts = 289;
inline constexpr std::uint16_t kStripOffsets = 273;
inline constexpr std::uint16_t kStripByteCounts = 279;
inline constexpr std::uint16_t kTileOffsets = 324;
inline constexpr std::uint16_t kTileByteCounts = 325;
inline constexpr std::uint16_t kSubIfds = 330;
inline constexpr std::uint16_t kGlobalParametersIfd = 400;
inline constexpr std::uint16_t kJpegInterchangeFormat = 513;
inline constexpr std::uint16_t kJpegInterchangeFormatLength = 514;
inline constexpr std::uint16_t kJpegQTables = 519;
inline constexpr std::uint16_t kJpegDcTables = 520;
inline constexpr std::uint16_t kJpegAcTables = 521;
inline constexpr std::uint16_t kXmp = 700;
inline constexpr std::uint16_t kIptc = 33723;
inline constexpr std::uint16_t kPhotoshop = 34377;
inline constexpr std::uint16_t kIccProfile = 34675;
inline constexpr std::uint16_t kExifIfd = 34665;
inline constexpr std::uint16_t kGpsIfd = 34853;
inline constexpr std::uint16_t kInteroperabilityIfd = 40965;
} // namespace tiff_tag

// Bytes per element of a field type; 0 for a type this engine does not know.
constexpr std::uint32_t ElementSize(std::uint16_t type)
{
    switch (type) {
    case tiff_type::kByte:
    case tiff_type::kAscii:
    case tiff_type::kSByte:
    case tiff_type::kUndefined: return 1;
    case tiff_type::kShort:
    case tiff_type::kSShort: return 2;
    case tiff_type::kLong:
    case tiff_type::kSLong:
    case tiff_type::kFloat:
    case tiff_type::kIfd: return 4;
    case tiff_type::kRational:
    case tiff_type::kSRational:
    case tiff_type::kDouble:
    case tiff_type::kLong8:
    case tiff_type::kSLong8:
    case tiff_type::kIfd8: return 8;
    default: return 0;
    }
}

// Width of the numbers that make up one element, i.e. the unit whose bytes
// are reversed when the byte order changes (a RATIONAL is two 4-byte
// numbers). 1 for byte data, 0 for an unknown type.
constexpr std::uint32_t SwapUnit(std::uint16_t type)
{
    switch (type) {
    case tiff_type::kRational:
    case tiff_type::kSRational: return 4;
    default: return ElementSize(type);
    }
}

// Whether `count` elements of a known type fit in an entry's 4-byte value field.
constexpr bool FitsInline(std::uint16_t type, std::uint32_t count)
{
    return static_cast<std::uint64_t>(ElementSize(type)) * count <= 4;
}

} // namespace stavren
