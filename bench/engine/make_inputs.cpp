// Writes the deterministic inputs of the engine benchmark with libtiff:
//   make_inputs pages.tif N          N bilevel CCITT G4 pages of 1728x2200
//   make_inputs singles FOLDER N     N single-page files FOLDER/sNNNNN.tif
//                                    and FOLDER/list.txt naming them
// Pages look like scanned text: rows of dark word-sized blocks in a
// pattern of ten pages repeated, drawn from a fixed pseudo-random sequence.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1728;
constexpr std::uint32_t kHeight = 2200;
constexpr int kPatterns = 10;

std::vector<std::uint8_t> Page(int pattern)
{
    const std::uint32_t rowBytes = kWidth / 8;
    std::vector<std::uint8_t> bits(std::size_t(rowBytes) * kHeight, 0);
    std::uint32_t state = 12345u + 7919u * static_cast<std::uint32_t>(pattern);
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFF;
    };
    for (std::uint32_t line = 150; line + 40 < kHeight - 150; line += 44) {
        std::uint32_t x = 120 + next() % 40;
        while (x < kWidth - 200) {
            const std::uint32_t w = 20 + next() % 90;
            for (std::uint32_t y = line; y < line + 28; ++y)
                for (std::uint32_t i = x; i < x + w && i < kWidth - 120; ++i)
                    if ((i - x) % 9 < 6 && (y - line) % 14 < 11)
                        bits[y * rowBytes + i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
            x += w + 12 + next() % 10;
        }
    }
    return bits;
}

// The fields of every page: one bilevel G4 strip of kWidth x kHeight.
void SetPageFields(TIFF* t)
{
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kHeight);
}

// Raw G4 strips of the ten patterns, encoded once.
std::vector<std::vector<std::uint8_t>> EncodedPatterns(const std::string& scratch)
{
    TIFF* t = TIFFOpen(scratch.c_str(), "w");
    if (!t)
        std::exit(1);
    for (int p = 0; p < kPatterns; ++p) {
        SetPageFields(t);
        std::vector<std::uint8_t> bits = Page(p);
        TIFFWriteEncodedStrip(t, 0, bits.data(), static_cast<tmsize_t>(bits.size()));
        TIFFWriteDirectory(t);
    }
    TIFFClose(t);
    std::vector<std::vector<std::uint8_t>> raw;
    t = TIFFOpen(scratch.c_str(), "r");
    do {
        const tmsize_t size = static_cast<tmsize_t>(TIFFGetStrileByteCount(t, 0));
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(size));
        TIFFReadRawStrip(t, 0, strip.data(), size);
        raw.push_back(std::move(strip));
    } while (TIFFReadDirectory(t));
    TIFFClose(t);
    std::remove(scratch.c_str());
    return raw;
}

void WritePages(TIFF* t, const std::vector<std::vector<std::uint8_t>>& raw, int first, int count)
{
    for (int i = first; i < first + count; ++i) {
        const auto& strip = raw[static_cast<std::size_t>(i % kPatterns)];
        SetPageFields(t);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 200.0f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 200.0f);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFWriteRawStrip(t, 0, const_cast<std::uint8_t*>(strip.data()), static_cast<tmsize_t>(strip.size()));
        TIFFWriteDirectory(t);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_inputs pages OUT.tif N | make_inputs singles FOLDER N\n");
        return 2;
    }
    const std::string mode = argv[1], target = argv[2];
    const int n = std::atoi(argv[3]);
    const auto raw = EncodedPatterns(target + ".scratch");
    if (mode == "pages") {
        TIFF* t = TIFFOpen(target.c_str(), "w");
        if (!t)
            return 1;
        WritePages(t, raw, 0, n);
        TIFFClose(t);
        return 0;
    }
    std::FILE* list = std::fopen((target + "/list.txt").c_str(), "w");
    if (!list)
        return 1;
    for (int i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "s%05d.tif", i);
        TIFF* t = TIFFOpen((target + "/" + name).c_str(), "w");
        if (!t)
            return 1;
        WritePages(t, raw, i, 1);
        TIFFClose(t);
        std::fprintf(list, "%s\n", name);
    }
    std::fclose(list);
    return 0;
}
