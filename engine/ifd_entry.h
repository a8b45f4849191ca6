#pragma once
// One 12-byte directory entry of a TIFF file.

#include <cstdint>

namespace stavren {

// All fields are host numbers whatever the byte order of the file they came
// from. `value` holds the 4 bytes of the value field as they would stand in
// a little-endian file: value & 0xFF is the first byte. When the values fit
// in 4 bytes they are those values; otherwise it is the offset of the value
// data in the file the entry was read from.
struct IfdEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t value = 0;
};

} // namespace stavren
