#include "tests/engine/control/tiff_fixture.h"

#include <tiffio.h>

#include <vector>

namespace {

void Silent(const char*, const char*, va_list) {}

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

constexpr int kSide = 8;

} // namespace

bool WriteMarkedTiff(const QString& path, const QList<int>& markers)
{
    Quiet quiet;
    TIFF* tif = TIFFOpen(path.toUtf8().constData(), "w");
    if (!tif)
        return false;
    bool ok = true;
    for (int marker : markers) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kSide);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kSide);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kSide);
        std::vector<unsigned char> row(kSide, static_cast<unsigned char>(marker));
        for (int y = 0; y < kSide && ok; ++y)
            ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    return ok;
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
