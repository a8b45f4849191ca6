// libFuzzer target over the page engine: the bytes become a file, which is
// read, counted, and put through every operation. Every file lives in a
// private temporary folder that is emptied after each run.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/page_operations.h"

namespace {

// Removes everything in `dir` (files, and folders one level down).
void Empty(const std::string& dir)
{
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            Empty(path);
            ::rmdir(path.c_str());
        } else {
            ::unlink(path.c_str());
        }
    }
    ::closedir(d);
}

// Never destroyed: the exit handler that removes the folder needs its name.
const std::string& WorkDir()
{
    static const std::string& dir = *new std::string([] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/engine-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        std::atexit([] {
            Empty(WorkDir());
            ::rmdir(WorkDir().c_str());
        });
        return pattern;
    }());
    return dir;
}

void Save(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace stavren;
    const std::string& dir = WorkDir();
    const std::string in = dir + "/in.tif";
    const std::string other = dir + "/other.tif";
    const std::string pages = dir + "/pages";
    Save(in, data, size);
    Save(other, data, size);
    ::mkdir(pages.c_str(), 0755);

    const std::int32_t n = CountTiffPages(in);
    CanOpenFile(in);
    ExtractAllPages(in, pages);
    // The range the command line asks for, which reads no further than
    // its end, succeeds exactly when the counting one does.
    const bool inRange = ExtractPagesInRange(in, 1, 3, pages);
    if (inRange != (ExtractPageRange(in, 1, 3, pages) > 0))
        std::abort();
    MergeFiles({in, other, in}, dir + "/merged.tif");
    // Outputs are read back: what the engine writes must itself be readable.
    CountTiffPages(dir + "/merged.tif");
    ExtractAllPages(dir + "/merged.tif", pages);
    SplitFile(in, 2, dir + "/one.tif", dir + "/two.tif");
    SplitFile(other, n, other, dir + "/two.tif");
    DeletePage(in, n);
    SwapPages(in, 1, n > 1 ? n - 1 : 2);
    InsertPages(in, 2, other);
    InsertPages(other, 1, other);
    CountTiffPages(in);
    Empty(dir);
    return 0;
}
