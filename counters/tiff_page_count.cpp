#include "counters/tiff_page_count.h"

#include "engine/directory_chain.h"
#include "engine/source_file.h"

namespace counters {

std::int32_t CountTiffFilePages(const char* path)
{
    return CountTiffFilePagesUpTo(path, 0x7FFFFFFF);
}

std::int32_t CountTiffFilePagesUpTo(const char* path, std::int32_t atMost)
{
    if (path == nullptr || *path == 0)
        return -1;
    const stavren::SourceFile file(path);
    const std::int32_t pages = stavren::DirectoryChain::CountPages(file, atMost < 1 ? 1 : atMost);
    return pages > 0 ? pages : -1;
}

} // namespace counters
