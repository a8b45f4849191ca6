#pragma once
// Test fixtures written, and outputs read back, with libtiff: a TIFF
// implementation we did not write, used as the independent judge of what
// the engine produces.

#include <cstdint>
#include <string>
#include <vector>

namespace stavren::test {

// Extra tags the fixtures carry (registered with libtiff for writing and reading).
inline constexpr std::uint32_t kDoublesTag = 33550; // three DOUBLE values
inline constexpr std::uint32_t kLongsTag = 65000;   // LONG array
inline constexpr std::uint32_t kShortTag = 65001;   // one SHORT, inline

struct PageSpec {
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t compression = 1;  // COMPRESSION_NONE
    std::uint32_t rowsPerStrip = 0; // 0: one strip
    bool tiled = false;
    std::uint32_t tileSize = 16;
    std::string description; // ImageDescription when not empty
    bool extraTags = false;  // doubles, longs, short, software, resolution
    bool palette = false;    // palette image with a colour map
    std::uint32_t seed = 1;  // pixel pattern
};

// Writes a TIFF file of the given pages; big-endian when asked.
void WriteTiff(const std::string& path, const std::vector<PageSpec>& pages, bool bigEndian = false);

// What a page shows once decoded: comparable between a source and a copy.
struct DecodedPage {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerSample = 0, samplesPerPixel = 0, photometric = 0, planar = 0;
    std::uint16_t compression = 0;
    std::vector<std::uint8_t> pixels; // every strip or tile, decoded, in order
    std::string description, software;
    float xResolution = 0, yResolution = 0;
    std::vector<double> doubles;
    std::vector<std::uint32_t> longs;
    std::uint16_t shortValue = 0;
    std::vector<std::uint16_t> colormap;
    double exposure = 0;     // from the EXIF directory
    std::string userComment; // from the EXIF directory
    std::vector<std::uint8_t> gpsVersion;
    std::vector<double> gpsLatitude;
    std::vector<std::uint8_t> iccProfile;
    std::vector<DecodedPage> subImages; // from the SubIFDs, nested ones within
    bool operator==(const DecodedPage&) const = default;
};

struct DecodedFile {
    bool opened = false;
    bool bigEndian = false;
    std::vector<DecodedPage> pages;
    std::vector<std::string> errors;   // libtiff errors while reading
    std::vector<std::string> warnings; // libtiff warnings while reading
};

DecodedFile ReadTiff(const std::string& path);

// Reads `output` and `source`: the output must open, produce no libtiff
// error and no warning that reading the source did not also produce.
// Returns the messages that break this rule (empty when all is well).
std::vector<std::string> NewMessages(const DecodedFile& source, const DecodedFile& output);

} // namespace stavren::test
