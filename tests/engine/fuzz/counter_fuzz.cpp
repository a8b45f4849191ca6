// libFuzzer target over the outside TIFF page counter's count: the bytes
// become a file, which the counter counts; the count must be the one the
// page engine's reader reaches (the counter answers -1 for a file without
// pages), or the grid would show a count the operations do not act on.

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
    const std::int32_t pages = stavren::TiffReader(path).PageCount();
    if (counted != (pages > 0 ? pages : -1))
        std::abort();
    return 0;
}
