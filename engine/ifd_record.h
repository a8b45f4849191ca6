#pragma once
// One image file directory: the entries of one page.

#include <cstdint>
#include <vector>

#include "engine/ifd_entry.h"

namespace stavren {

class SourceFile;

class IfdRecord {
public:
    // The entries in the order in which they stand in the file.
    std::vector<IfdEntry> entries;

    // Reads the `count` entries of the directory at `offset` of `stream`
    // (whose entry count the caller has read already), in the given byte
    // order. True when all of them were read; when the file ends among
    // them, the entries read in full are kept.
    bool Read(const SourceFile& stream, std::uint64_t offset, std::uint32_t count, std::uint32_t byteOrder);
    // Takes the `count` entries of `raw` (12 bytes each, as they stand in a
    // file of the given byte order).
    void Parse(const unsigned char* raw, std::uint32_t count, std::uint32_t byteOrder);
    // Frees every entry, from the last to the first.
    void Clear();
};

} // namespace stavren
