// Real files written by programs nobody here wrote (unpacked from Debian
// packages by scripts/fetch-test-files.sh): every operation keeps every
// page decoding to the same pixels. Skipped when the files are absent,
// failed when the run requires them (tests/support/real_test_files.h).

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "engine/page_operations.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"
#include "tests/support/real_test_files.h"

namespace stavren::test {
namespace {

const std::string kRoot = VELMORA_TESTDATA_DIR;
const std::string kSkimage = kRoot + "/usr/lib/python3/dist-packages/skimage/data/";
const std::string kR = kRoot + "/usr/lib/R/site-library/";

const std::vector<std::string>& RealFileNames()
{
    static const std::vector<std::string> files = {
        kSkimage + "_blobs_3d_fiji_skeleton.tif", // 30 pages, big-endian
        kSkimage + "multipage.tif",
        kSkimage + "multipage_rgb.tif", // 64-bit float samples
        kSkimage + "chessboard_GRAY_U16.tif",
        kSkimage + "chessboard_GRAY_U16B.tif", // big-endian 16-bit samples
        kR + "stars/tif/L7_ETMs.tif",          // tiles, GeoTIFF DOUBLE tags
        kR + "terra/ex/elev.tif",
        kR + "rgdal/pictures/cea.tif", // directory after the image data
        kR + "tiff/img/Rlogo.tiff",    // big-endian LZW
    };
    return files;
}

class RealFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& f : RealFileNames())
            if (!std::filesystem::exists(f))
                VELMORA_MISSING_TEST_FILES("real test files not fetched (scripts/fetch-test-files.sh): " + f);
        for (const std::string& f : RealFileNames()) {
            const std::string copy = dir / std::filesystem::path(f).filename().string();
            std::filesystem::copy_file(f, copy);
            copies.push_back(copy);
            decoded.push_back(ReadTiff(copy));
            ASSERT_TRUE(decoded.back().opened) << f;
            ASSERT_FALSE(decoded.back().pages.empty()) << f;
        }
        for (const DecodedFile& d : decoded)
            sources.push_back(&d);
    }

    std::vector<int> Range(std::size_t n)
    {
        std::vector<int> v;
        for (std::size_t i = 0; i < n; ++i)
            v.push_back(static_cast<int>(i));
        return v;
    }

    TempDir dir;
    std::vector<std::string> copies;
    std::vector<DecodedFile> decoded;
    std::vector<const DecodedFile*> sources;
};

TEST_F(RealFiles, CountsAndMergesEveryPage)
{
    std::size_t total = 0;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(CountTiffPages(copies[i]), static_cast<std::int32_t>(decoded[i].pages.size())) << copies[i];
        total += decoded[i].pages.size();
    }
    EXPECT_EQ(decoded[0].pages.size(), 30u);
    const std::string merged = dir / "merged.out";
    ASSERT_TRUE(MergeFiles(copies, merged));
    EXPECT_TRUE(HoldsPages(merged, Pick(sources, Range(total)), sources));
}

TEST_F(RealFiles, ExtractsAndSplitsEveryFile)
{
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const std::string folder = dir / ("pages" + std::to_string(i));
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        const auto n = static_cast<std::int32_t>(decoded[i].pages.size());
        ASSERT_EQ(ExtractAllPages(copies[i], folder), n) << copies[i];
        for (std::int32_t p = 0; p < n; ++p)
            EXPECT_TRUE(HoldsPages(ExtractedPageFile(folder, p), Pick({&decoded[i]}, {p}), {&decoded[i]}));
        if (n >= 2) {
            ASSERT_TRUE(SplitFile(copies[i], 2, dir / "one.out", dir / "two.out"));
            EXPECT_TRUE(HoldsPages(dir / "one.out", Pick({&decoded[i]}, {0}), {&decoded[i]}));
            std::vector<int> rest;
            for (int p = 1; p < n; ++p)
                rest.push_back(p);
            EXPECT_TRUE(HoldsPages(dir / "two.out", Pick({&decoded[i]}, rest), {&decoded[i]}));
        }
    }
}

TEST_F(RealFiles, RearrangesPagesInPlace)
{
    // Build one file of every page, then insert, delete and swap in it.
    std::size_t total = 0;
    for (const DecodedFile& d : decoded)
        total += d.pages.size();
    const std::string work = dir / "work.out";
    ASSERT_TRUE(MergeFiles(copies, work));
    std::vector<int> order = Range(total);

    // Insert the tiled GeoTIFF (5 pages, after the first 31 pages of the
    // merge) again before page 3.
    std::vector<int> tiled;
    std::size_t first = 0;
    for (std::size_t i = 0; i < 5; ++i)
        first += decoded[i].pages.size();
    for (std::size_t k = 0; k < decoded[5].pages.size(); ++k)
        tiled.push_back(static_cast<int>(first + k));
    ASSERT_TRUE(InsertPages(work, 3, copies[5]));
    order.insert(order.begin() + 2, tiled.begin(), tiled.end());
    EXPECT_TRUE(HoldsPages(work, Pick(sources, order), sources));

    ASSERT_TRUE(DeletePage(work, 1));
    order.erase(order.begin());
    ASSERT_TRUE(SwapPages(work, 2, static_cast<std::int32_t>(order.size())));
    std::swap(order[1], order.back());
    EXPECT_TRUE(HoldsPages(work, Pick(sources, order), sources));
}

} // namespace
} // namespace stavren::test
