#pragma once
// Small multi-page TIFF files written with libtiff for tests: every page an
// uncompressed 8-bit grey image in one strip, all its pixels of one value,
// so pages can be told apart by their size or their value when read back.

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
