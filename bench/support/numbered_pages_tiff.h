#pragma once
// The benchmarks' TIFF input files: pages of one mid-grey, each marked as a
// page of a multi-page document and numbered, written with libtiff.

#include <QFile>
#include <QString>

#include <tiffio.h>

#include <cstdint>
#include <vector>

// Writes `pages` pages of width x height 8-bit grey pixels to `path`; false
// when the file cannot be created.
inline bool WriteNumberedPagesTiff(const QString& path, int pages, int width, int height)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width), 0x80);
    for (int p = 0; p < pages; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, p, pages);
        for (int y = 0; y < height; ++y)
            TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return true;
}
