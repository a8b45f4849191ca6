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

    // Reads the entry count and the entries at `offset` of `stream`, in the
    // given byte order. Returns false when not even the count could be read.
    // When the file ends among the entries, the entries read in full are
    // kept and `complete` is set to false.
    bool Read(const SourceFile& stream, std::uint64_t offset, std::uint32_t byteOrder, bool& complete);
    // Frees every entry, from the last to the first.
    void Clear();
};

} // namespace stavren
