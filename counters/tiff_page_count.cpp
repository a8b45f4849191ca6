#include "counters/tiff_page_count.h"

#include "engine/directory_chain.h"
#include "engine/source_file.h"

namespace counters {

std::int32_t CountTiffFilePages(const char* path)
{
    if (path == nullptr || *path == 0)
        return -1;
    const stavren::SourceFile file(path);
    const std::int32_t pages = stavren::DirectoryChain::CountPages(file);
    return pages > 0 ? pages : -1;
}

} // namespace counters
