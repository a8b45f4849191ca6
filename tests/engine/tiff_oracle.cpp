#include "tests/engine/tiff_oracle.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <tiffio.h>

namespace stavren::test {

namespace {

const TIFFFieldInfo kExtraFields[] = {
    {kDoublesTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("TestDoubles")},
    {kLongsTag, -1, -1, TIFF_LONG, FIELD_CUSTOM, 1, 1, const_cast<char*>("TestLongs")},
    {kShortTag, 1, 1, TIFF_SHORT, FIELD_CUSTOM, 1, 0, const_cast<char*>("TestShort")},
};

TIFFExtendProc parentExtender = nullptr;

void ExtendTags(TIFF* tif)
{
    TIFFMergeFieldInfo(tif, kExtraFields, sizeof kExtraFields / sizeof kExtraFields[0]);
    if (parentExtender)
        parentExtender(tif);
}

void RegisterTags()
{
    static const bool once = [] {
        parentExtender = TIFFSetTagExtender(ExtendTags);
        return true;
    }();
    (void)once;
}

std::vector<std::string>* errorSink = nullptr;
std::vector<std::string>* warningSink = nullptr;

std::string Format(const char* module, const char* fmt, va_list ap)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, ap);
    return std::string(module ? module : "") + ": " + text;
}

void OnError(const char* module, const char* fmt, va_list ap)
{
    if (errorSink)
        errorSink->push_back(Format(module, fmt, ap));
}

void OnWarning(const char* module, const char* fmt, va_list ap)
{
    if (warningSink)
        warningSink->push_back(Format(module, fmt, ap));
}

// Collects libtiff's messages for as long as it lives.
class MessageCapture {
public:
    MessageCapture(std::vector<std::string>& errors, std::vector<std::string>& warnings)
    {
        errorSink = &errors;
        warningSink = &warnings;
        oldError_ = TIFFSetErrorHandler(OnError);
        oldWarning_ = TIFFSetWarningHandler(OnWarning);
    }
    ~MessageCapture()
    {
        TIFFSetErrorHandler(oldError_);
        TIFFSetWarningHandler(oldWarning_);
        errorSink = warningSink = nullptr;
    }

private:
    TIFFErrorHandler oldError_;
    TIFFErrorHandler oldWarning_;
};

std::uint8_t Sample(const PageSpec& spec, std::uint32_t x, std::uint32_t y, std::uint32_t s)
{
    return static_cast<std::uint8_t>(x * 7 + y * 13 + spec.seed * 31 + s * 101 + (x * y) % 5);
}

// Fills `buffer` with the rows [row0, row0 + rows) of columns [col0, col0 + cols).
std::vector<std::uint8_t> Pixels(const PageSpec& spec, std::uint32_t col0, std::uint32_t cols, std::uint32_t row0,
                                 std::uint32_t rows)
{
    const std::uint32_t spp = spec.samplesPerPixel;
    std::vector<std::uint8_t> out;
    if (spec.bitsPerSample == 1) {
        const std::uint32_t rowBytes = (cols + 7) / 8;
        out.assign(std::size_t(rowBytes) * rows, 0);
        for (std::uint32_t y = 0; y < rows; ++y)
            for (std::uint32_t x = 0; x < cols; ++x)
                if (Sample(spec, col0 + x, row0 + y, 0) & 0x10)
                    out[y * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        return out;
    }
    const std::uint32_t bytes = spec.bitsPerSample / 8;
    for (std::uint32_t y = 0; y < rows; ++y)
        for (std::uint32_t x = 0; x < cols; ++x)
            for (std::uint32_t s = 0; s < spp; ++s)
                for (std::uint32_t b = 0; b < bytes; ++b)
                    out.push_back(static_cast<std::uint8_t>(Sample(spec, col0 + x, row0 + y, s) + b * 3));
    return out;
}

void Check(bool ok, const std::string& what)
{
    if (!ok)
        throw std::runtime_error("libtiff fixture: " + what);
}

void WritePage(TIFF* tif, const PageSpec& spec)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, spec.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, spec.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    if (spec.samplesPerPixel >= 3)
        photometric = PHOTOMETRIC_RGB;
    else if (spec.palette)
        photometric = PHOTOMETRIC_PALETTE;
    else if (spec.bitsPerSample == 1)
        photometric = PHOTOMETRIC_MINISWHITE;
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    if (spec.samplesPerPixel == 2 || spec.samplesPerPixel == 4) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (spec.palette) {
        const std::uint32_t n = 1u << spec.bitsPerSample;
        std::vector<std::uint16_t> r(n), g(n), b(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            r[i] = static_cast<std::uint16_t>(i * 257);
            g[i] = static_cast<std::uint16_t>((n - 1 - i) * 257);
            b[i] = static_cast<std::uint16_t>((i * 37 % n) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (!spec.description.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, spec.description.c_str());
    if (spec.extraTags) {
        TIFFSetField(tif, TIFFTAG_SOFTWARE, "abc");
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, 150.5f);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        const double doubles[] = {28.5, -0.125, 1e300};
        TIFFSetField(tif, kDoublesTag, 3, doubles);
        const std::uint32_t longs[] = {1, 2, 3, 0xFFFFFFF0u, 5};
        TIFFSetField(tif, kLongsTag, 5, longs);
        TIFFSetField(tif, kShortTag, 7);
    }
    if (spec.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, spec.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, spec.tileSize);
        const std::uint32_t tilesAcross = (spec.width + spec.tileSize - 1) / spec.tileSize;
        const std::uint32_t tilesDown = (spec.height + spec.tileSize - 1) / spec.tileSize;
        for (std::uint32_t ty = 0; ty < tilesDown; ++ty)
            for (std::uint32_t tx = 0; tx < tilesAcross; ++tx) {
                // Tiles are full size; the part outside the image is padding.
                std::vector<std::uint8_t> data =
                    Pixels(spec, tx * spec.tileSize, spec.tileSize, ty * spec.tileSize, spec.tileSize);
                Check(TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx * spec.tileSize, ty * spec.tileSize, 0, 0),
                                           data.data(), static_cast<tmsize_t>(data.size()))
                          >= 0,
                      "tile");
            }
    } else {
        const std::uint32_t rps = spec.rowsPerStrip == 0 ? spec.height : spec.rowsPerStrip;
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rps);
        for (std::uint32_t row = 0, strip = 0; row < spec.height; row += rps, ++strip) {
            const std::uint32_t rows = std::min(rps, spec.height - row);
            std::vector<std::uint8_t> data = Pixels(spec, 0, spec.width, row, rows);
            Check(TIFFWriteEncodedStrip(tif, strip, data.data(), static_cast<tmsize_t>(data.size())) >= 0, "strip");
        }
    }
    Check(TIFFWriteDirectory(tif) == 1, "directory");
}

// Every value of a tag as numbers, whatever its type (empty when absent).
std::vector<double> Numbers(TIFF* tif, std::uint32_t tag)
{
    const TIFFField* field = TIFFFieldWithTag(tif, tag);
    if (field == nullptr)
        return {};
    std::uint32_t count = 0;
    const void* data = nullptr;
    alignas(8) unsigned char single[8] = {};
    if (TIFFFieldPassCount(field)) {
        std::uint32_t n = 0; // large enough for a 16- or 32-bit count
        if (!TIFFGetField(tif, tag, &n, &data))
            return {};
        count = TIFFFieldSetGetCountSize(field) == 2 ? (n & 0xFFFF) : n;
    } else if (TIFFFieldReadCount(field) == 1) {
        if (!TIFFGetField(tif, tag, single))
            return {};
        data = single;
        count = 1;
    } else {
        if (!TIFFGetField(tif, tag, &data))
            return {};
        count = static_cast<std::uint32_t>(std::max(0, TIFFFieldReadCount(field)));
    }
    const int size = TIFFFieldSetGetSize(field);
    const TIFFDataType type = TIFFFieldDataType(field);
    const bool real = type == TIFF_FLOAT || type == TIFF_DOUBLE || type == TIFF_RATIONAL || type == TIFF_SRATIONAL;
    std::vector<double> out;
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::uint32_t i = 0; i < count && p != nullptr; ++i, p += size) {
        if (real && size == 4) {
            float f;
            std::memcpy(&f, p, 4);
            out.push_back(f);
        } else if (real && size == 8) {
            double d;
            std::memcpy(&d, p, 8);
            out.push_back(d);
        } else {
            std::uint64_t v = 0;
            std::memcpy(&v, p, static_cast<std::size_t>(std::min(size, 8)));
            out.push_back(static_cast<double>(v));
        }
    }
    return out;
}

std::string Text(TIFF* tif, std::uint32_t tag)
{
    const char* text = nullptr;
    return TIFFGetField(tif, tag, &text) && text ? std::string(text) : std::string();
}

// Decodes the current directory; `back` makes it current again after a
// visit to one of its sub-directories.
DecodedPage DecodePage(TIFF* tif, const std::function<void()>& back, int depth = 0)
{
    DecodedPage page;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &page.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &page.samplesPerPixel);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &page.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &page.compression);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &page.xResolution);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &page.yResolution);
    page.description = Text(tif, TIFFTAG_IMAGEDESCRIPTION);
    page.software = Text(tif, TIFFTAG_SOFTWARE);
    page.doubles = Numbers(tif, kDoublesTag);
    for (double v : Numbers(tif, kLongsTag))
        page.longs.push_back(static_cast<std::uint32_t>(v));
    std::uint16_t* maps[3] = {};
    if (page.photometric == PHOTOMETRIC_PALETTE && page.bitsPerSample <= 16
        && TIFFGetField(tif, TIFFTAG_COLORMAP, &maps[0], &maps[1], &maps[2]))
        for (auto* map : maps)
            page.colormap.insert(page.colormap.end(), map, map + (1u << page.bitsPerSample));
    std::uint32_t iccBytes = 0;
    const void* icc = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccBytes, &icc) && icc != nullptr)
        page.iccProfile.assign(static_cast<const std::uint8_t*>(icc), static_cast<const std::uint8_t*>(icc) + iccBytes);
    const std::vector<double> shortValue = Numbers(tif, kShortTag);
    if (!shortValue.empty())
        page.shortValue = static_cast<std::uint16_t>(shortValue[0]);

    if (TIFFIsTiled(tif)) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::max<tmsize_t>(TIFFTileSize(tif), 1)));
        for (std::uint32_t t = 0; t < TIFFNumberOfTiles(tif); ++t) {
            const tmsize_t got = TIFFReadEncodedTile(tif, t, buffer.data(), static_cast<tmsize_t>(buffer.size()));
            if (got > 0)
                page.pixels.insert(page.pixels.end(), buffer.begin(), buffer.begin() + got);
        }
    } else {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::max<tmsize_t>(TIFFStripSize(tif), 1)));
        for (std::uint32_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            const tmsize_t got = TIFFReadEncodedStrip(tif, s, buffer.data(), static_cast<tmsize_t>(buffer.size()));
            if (got > 0)
                page.pixels.insert(page.pixels.end(), buffer.begin(), buffer.begin() + got);
        }
    }

    toff_t exif = 0;
    if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &exif) && TIFFReadEXIFDirectory(tif, exif)) {
        const std::vector<double> exposure = Numbers(tif, EXIFTAG_EXPOSURETIME);
        if (!exposure.empty())
            page.exposure = exposure[0];
        for (double c : Numbers(tif, EXIFTAG_USERCOMMENT))
            page.userComment.push_back(static_cast<char>(c));
        back();
    }
    toff_t gps = 0;
    if (TIFFGetField(tif, TIFFTAG_GPSIFD, &gps) && TIFFReadGPSDirectory(tif, gps)) {
        for (double v : Numbers(tif, GPSTAG_VERSIONID))
            page.gpsVersion.push_back(static_cast<std::uint8_t>(v));
        page.gpsLatitude = Numbers(tif, GPSTAG_LATITUDE);
        back();
    }
    std::uint16_t subCount = 0;
    std::uint64_t* subOffsets = nullptr;
    if (depth < 8 && TIFFGetField(tif, TIFFTAG_SUBIFD, &subCount, &subOffsets) && subOffsets != nullptr) {
        // The array belongs to the directory, which the visits replace.
        const std::vector<std::uint64_t> offsets(subOffsets, subOffsets + subCount);
        for (std::uint64_t offset : offsets) {
            DecodedPage sub;
            if (TIFFSetSubDirectory(tif, offset))
                sub = DecodePage(
                    tif, [&] { TIFFSetSubDirectory(tif, offset); }, depth + 1);
            page.subImages.push_back(std::move(sub));
            back();
        }
    }
    return page;
}

} // namespace

void WriteTiff(const std::string& path, const std::vector<PageSpec>& pages, bool bigEndian)
{
    RegisterTags();
    TIFF* tif = TIFFOpen(path.c_str(), bigEndian ? "wb" : "wl");
    Check(tif != nullptr, "open " + path);
    for (const PageSpec& spec : pages)
        WritePage(tif, spec);
    TIFFClose(tif);
}

DecodedFile ReadTiff(const std::string& path)
{
    RegisterTags();
    DecodedFile file;
    MessageCapture capture(file.errors, file.warnings);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr)
        return file;
    file.opened = true;
    file.bigEndian = TIFFIsBigEndian(tif);
    tdir_t index = 0;
    do {
        file.pages.push_back(DecodePage(tif, [&] { TIFFSetDirectory(tif, index); }));
        ++index;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return file;
}

std::vector<std::string> NewMessages(const DecodedFile& source, const DecodedFile& output)
{
    std::vector<std::string> bad;
    if (!output.opened)
        bad.push_back("output does not open");
    for (const std::string& e : output.errors)
        if (std::find(source.errors.begin(), source.errors.end(), e) == source.errors.end())
            bad.push_back("error: " + e);
    for (const std::string& w : output.warnings)
        if (std::find(source.warnings.begin(), source.warnings.end(), w) == source.warnings.end())
            bad.push_back("warning: " + w);
    return bad;
}

} // namespace stavren::test
