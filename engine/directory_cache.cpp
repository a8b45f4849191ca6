#include "engine/directory_cache.h"

namespace stavren {

std::shared_ptr<const CachedDirectory> DirectoryCache::Find(std::uint64_t offset) const
{
    const auto found = held_.find(offset);
    return found == held_.end() ? nullptr : found->second;
}

void DirectoryCache::Keep(std::uint64_t offset, std::shared_ptr<const CachedDirectory> dir)
{
    const std::uint64_t size = kPerDirectory + sizeof(IfdEntry) * dir->entries.capacity();
    if (size > kMaxBytes - bytes_)
        return;
    if (held_.emplace(offset, std::move(dir)).second)
        bytes_ += size;
}

} // namespace stavren
