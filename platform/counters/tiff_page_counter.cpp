#include "platform/counters/tiff_page_counter.h"

#include "platform/counters/regular_file.h"

#include <QFile>

#include <tiffio.h>

#include <bit>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace counters {

namespace {

// Swallows every message of the handle (and stops libtiff from passing it
// on to the process-wide handlers).
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// No single allocation of a directory read may exceed this.
constexpr tmsize_t kMaxSingleAlloc = 64 * 1024 * 1024;

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

// Directories of a sound file do not overlap, so together they are no
// larger than the file. Counting what each directory occupies stops a file
// whose directories overlap from making libtiff read the same bytes over
// and over.
class DirectoryBudget {
public:
    DirectoryBudget(int fd, TIFF* tif) : fd_(fd), tif_(tif)
    {
        struct stat st {};
        left_ = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }

    // Charges the current directory; false when the budget is spent.
    bool Charge()
    {
        const bool big = TIFFIsBigTIFF(tif_);
        const std::uint64_t offset = TIFFCurrentDirOffset(tif_);
        unsigned char raw[8] = {};
        const int width = big ? 8 : 2;
        if (::pread(fd_, raw, static_cast<std::size_t>(width), static_cast<off_t>(offset)) != width) return false;
        // The file's byte order is the host's unless libtiff swaps.
        const bool littleFile = (std::endian::native == std::endian::little) != (TIFFIsByteSwapped(tif_) != 0);
        std::uint64_t entries = 0;
        for (int i = 0; i < width; ++i) {
            const int at = littleFile ? width - 1 - i : i;
            entries = (entries << 8) | raw[at];
        }
        const std::uint64_t limit = big ? (std::uint64_t(1) << 40) : 0xFFFF;
        if (entries > limit) return false;
        const std::uint64_t size = big ? 8 + 20 * entries + 8 : 2 + 12 * entries + 4;
        if (size > left_) return false;
        left_ -= size;
        return true;
    }

private:
    int fd_;
    TIFF* tif_;
    std::uint64_t left_ = 0;
};

} // namespace

void* TiffPageCounter::QueryInterface(const QUuid& iid)
{
    if (iid == IID_ITiffPageCounter) return static_cast<IPageCounter*>(this);
    return com::Object::QueryInterface(iid);
}

com::HRESULT TiffPageCounter::CountPages(const QString& path, std::int32_t& pages)
{
    try {
        pages = Count(path);
    } catch (...) {
        pages = -1;
    }
    return com::S_OK;
}

std::int32_t TiffPageCounter::Count(const QString& path)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0) return -1;

    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) {
        ::close(fd);
        return -1;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAlloc);

    // "D": strip and tile tables are not read; "m": no memory mapping (a
    // file cut short under a mapping would kill the process).
    const QByteArray name = QFile::encodeName(path);
    TIFF* tif = TIFFFdOpenExt(fd, name.constData(), "rDm", options.get());
    if (!tif) {
        ::close(fd);
        return -1;
    }
    // The first directory was read by the open. Each further one must read
    // cleanly; libtiff refuses a directory it has already visited.
    DirectoryBudget budget(fd, tif);
    std::int32_t count = budget.Charge() ? 1 : -1;
    while (count > 0 && !TIFFLastDirectory(tif)) {
        if (count >= kMaxPages || !TIFFReadDirectory(tif) || !budget.Charge()) {
            count = -1;
            break;
        }
        ++count;
    }
    TIFFClose(tif); // closes fd as well
    return count;
}

} // namespace counters
