// libFuzzer target over the outside TIFF page counter's count: the bytes
// become a file, which the counter counts; the count must be the one the
// page engine's reader reaches (the counter answers -1 for a file without
// pages), or the grid would show a count the operations do not act on.
// A reader that reads only the first pages must agree with it too.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "counters/tiff_page_count.h"
#include "engine/tiff_reader.h"

namespace {

// Never destroyed: the exit handler that removes the file needs its name.
const std::string& WorkFile()
{
    static const std::string& file = *new std::string([] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/counter-fuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            std::abort();
        ::close(fd);
        std::atexit([] { ::unlink(WorkFile().c_str()); });
        return pattern;
    }());
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = WorkFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::int32_t counted = counters::CountTiffFilePages(path.c_str());
    const stavren::TiffReader whole(path);
    const std::int32_t pages = whole.PageCount();
    if (counted != (pages > 0 ? pages : -1))
        std::abort();
    // A reader asked for the first pages only holds those pages of the
    // whole walk, entry for entry, and counts the rest to the same total.
    stavren::TiffReader first(path, 2);
    if (first.PageCount() != std::min(pages, 2))
        std::abort();
    for (std::int32_t i = 0; i < first.PageCount(); ++i) {
        const auto a = first.Entries(i);
        const auto b = whole.Entries(i);
        if (a.size() != b.size())
            std::abort();
        for (std::size_t k = 0; k < a.size(); ++k)
            if (a[k].tag != b[k].tag || a[k].type != b[k].type || a[k].count != b[k].count || a[k].value != b[k].value)
                std::abort();
    }
    if (first.CountAllPages() != pages)
        std::abort();
    return 0;
}
