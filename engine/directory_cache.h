#pragma once
// The directories a reader has read besides its chain (sub-images, EXIF,
// GPS and private directories), each read from its file once per reader:
// a directory named by many pages, or by many sub-images, is not read
// again for each. What it holds, entries and the upkeep of each directory
// kept (an empty one costs far more memory than its 6 bytes of file), stays
// within kMaxBytes of memory; a directory read beyond that is not kept,
// and is read again whenever it is named.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/ifd_entry.h"

namespace stavren {

struct CachedDirectory {
    std::vector<IfdEntry> entries;
    // The 4 bytes after the entries lie in the file; `next` is their value.
    bool hasNext = false;
    std::uint32_t next = 0;
    // Bytes of the file it takes: entry count, entries and next offset.
    std::uint64_t Size() const { return 2 + 12ull * entries.size() + (hasNext ? 4 : 0); }
};

class DirectoryCache {
public:
    static constexpr std::uint64_t kMaxBytes = 32ull << 20;
    // Memory one directory kept takes beside its entries: its node in the
    // map, the block it shares with its count of owners, and the rounding
    // of its list of entries.
    static constexpr std::uint64_t kPerDirectory = 160;

    // The directory read at `offset`, or null when it is not held.
    std::shared_ptr<const CachedDirectory> Find(std::uint64_t offset) const;
    // Keeps `dir`, read at `offset`, while there is room for it.
    void Keep(std::uint64_t offset, std::shared_ptr<const CachedDirectory> dir);

private:
    std::map<std::uint64_t, std::shared_ptr<const CachedDirectory>> held_;
    std::uint64_t bytes_ = 0;
};

} // namespace stavren
