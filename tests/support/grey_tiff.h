#pragma once
// Small multi-page TIFF files written with libtiff for tests: every page an
// uncompressed 8-bit grey image in one strip, all its pixels of one value,
// so pages can be told apart by their size or their value when read back;
// and the page widths of a TIFF file read back.

#include <tiffio.h>

#include <cstdint>
#include <vector>

struct UniformGreyPage {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t value;
};

// Writes `pages` in order to `path` (UTF-8); false when the file cannot be
// written.
inline bool WriteGreyTiff(const char* path, const std::vector<UniformGreyPage>& pages)
{
    TIFF* tif = TIFFOpen(path, "w");
    if (!tif)
        return false;
    for (const UniformGreyPage& page : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
        std::vector<unsigned char> row(page.width, page.value);
        for (std::uint32_t y = 0; y < page.height; ++y)
            if (TIFFWriteScanline(tif, row.data(), y, 0) != 1) {
                TIFFClose(tif);
                return false;
            }
        if (TIFFWriteDirectory(tif) != 1) {
            TIFFClose(tif);
            return false;
        }
    }
    TIFFClose(tif);
    return true;
}

// The widths of the pages of the TIFF file at `path` (an encoded file
// name), in order; empty when it cannot be opened. libtiff's messages are
// switched off.
inline std::vector<int> ReadPageWidths(const char* path)
{
    std::vector<int> widths;
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path, "r");
    if (!tif)
        return widths;
    do {
        std::uint32_t width = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        widths.push_back(static_cast<int>(width));
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return widths;
}
