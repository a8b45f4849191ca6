#include "tests/engine/control/tiff_fixture.h"

#include "tests/support/grey_tiff.h"

#include <tiffio.h>

#include <vector>

namespace {

void Silent(const char*, const char*, va_list)
{
}

struct Quiet {
    Quiet() : error(TIFFSetErrorHandler(Silent)), warning(TIFFSetWarningHandler(Silent)) {}
    ~Quiet()
    {
        TIFFSetErrorHandler(error);
        TIFFSetWarningHandler(warning);
    }
    TIFFErrorHandler error;
    TIFFErrorHandler warning;
};

constexpr std::uint32_t kSide = 8;

} // namespace

bool WriteMarkedTiff(const QString& path, const QList<int>& markers)
{
    Quiet quiet;
    std::vector<UniformGreyPage> pages;
    for (int marker : markers)
        pages.push_back({kSide, kSide, static_cast<std::uint8_t>(marker)});
    return WriteGreyTiff(path.toUtf8().constData(), pages);
}

QList<int> ReadMarkers(const QString& path)
{
    Quiet quiet;
    TIFF* tif = TIFFOpen(path.toUtf8().constData(), "r");
    if (!tif)
        return {};
    QList<int> markers;
    do {
        uint32_t width = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        std::vector<unsigned char> row(static_cast<size_t>(TIFFScanlineSize(tif)) + 1);
        if (width == 0 || TIFFReadScanline(tif, row.data(), 0, 0) != 1) {
            markers.append(-1);
            continue;
        }
        markers.append(row[0]);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return markers;
}
