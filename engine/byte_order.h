#pragma once
// Reading and writing numbers in either TIFF byte order, one byte at a time.

#include <cstddef>
#include <cstdint>

#include "engine/tiff_types.h"

namespace stavren {

inline std::uint16_t Load16(const unsigned char* p, std::uint32_t order)
{
    return order == kLittleEndian ? static_cast<std::uint16_t>(p[0] | (p[1] << 8))
                                  : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t Load32(const unsigned char* p, std::uint32_t order)
{
    if (order == kLittleEndian)
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
               | (std::uint32_t(p[3]) << 24);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

inline void Store16(unsigned char* p, std::uint16_t v, std::uint32_t order)
{
    if (order == kLittleEndian) {
        p[0] = static_cast<unsigned char>(v);
        p[1] = static_cast<unsigned char>(v >> 8);
    } else {
        p[0] = static_cast<unsigned char>(v >> 8);
        p[1] = static_cast<unsigned char>(v);
    }
}

inline void Store32(unsigned char* p, std::uint32_t v, std::uint32_t order)
{
    for (int i = 0; i < 4; ++i) {
        const int shift = order == kLittleEndian ? 8 * i : 8 * (3 - i);
        p[i] = static_cast<unsigned char>(v >> shift);
    }
}

// Reverses every `unit`-byte group of data[0..size) (size a multiple of unit).
inline void ReverseUnits(unsigned char* data, std::size_t size, std::uint32_t unit)
{
    if (unit < 2)
        return;
    for (std::size_t at = 0; at + unit <= size; at += unit)
        for (std::uint32_t i = 0, j = unit - 1; i < j; ++i, --j) {
            const unsigned char t = data[at + i];
            data[at + i] = data[at + j];
            data[at + j] = t;
        }
}

// The value field of an entry as its 4 bytes stand in a file of byte order
// `from`, turned into the form they take in a file of order `to`: every
// element that fits is converted by its own size and keeps its place; a field
// that holds an offset, or an entry of an unknown type, is one 32-bit number.
inline void ConvertValueField(unsigned char bytes[4], std::uint16_t type, std::uint32_t count, std::uint32_t from,
                              std::uint32_t to)
{
    if (from == to)
        return;
    const std::uint32_t size = ElementSize(type);
    if (size != 0 && FitsInline(type, count))
        ReverseUnits(bytes, 4, SwapUnit(type));
    else
        ReverseUnits(bytes, 4, 4);
}

} // namespace stavren
