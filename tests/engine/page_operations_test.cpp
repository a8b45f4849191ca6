// The file-level page operations, judged by libtiff: every output opens
// cleanly, holds the expected pages in the expected order, and every page
// decodes to the same pixels as its source page.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "engine/byte_order.h"
#include "engine/failure_reason.h"
#include "engine/page_operations.h"
#include "engine/tiff_types.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"
#include "tests/support/file_size_limit.h"

namespace stavren::test {
namespace {

PageSpec Spec(std::uint32_t w, std::uint32_t h, std::uint32_t seed)
{
    PageSpec s;
    s.width = w;
    s.height = h;
    s.seed = seed;
    return s;
}

class PageOperations : public ::testing::Test {
protected:
    void SetUp() override
    {
        // mixed.tif: one large odd-length strip with out-of-line values of every
        // kind; RGB LZW in several strips; deflate tiles.
        PageSpec grey = Spec(301, 97, 1); // 29,197 bytes: copied by the kernel
        grey.description = "an odd-length description";
        grey.extraTags = true;
        PageSpec rgb = Spec(20, 9, 2);
        rgb.samplesPerPixel = 3;
        rgb.compression = 5; // LZW
        rgb.rowsPerStrip = 2;
        rgb.description = "rgb";
        PageSpec tiles = Spec(40, 37, 3);
        tiles.tiled = true;
        tiles.compression = 8; // deflate
        tiles.extraTags = true;
        WriteTiff(mixed, {grey, rgb, tiles});

        // be.tif: big-endian, 16-bit grey in strips and a palette page.
        PageSpec wide = Spec(11, 6, 4);
        wide.bitsPerSample = 16;
        wide.rowsPerStrip = 4;
        wide.extraTags = true;
        PageSpec palette = Spec(10, 10, 5);
        palette.palette = true;
        palette.compression = 32773; // PackBits
        WriteTiff(big, {wide, palette}, true);

        // g4.tif: bilevel fax pages.
        PageSpec fax = Spec(64, 40, 6);
        fax.bitsPerSample = 1;
        fax.compression = 4; // CCITT G4
        PageSpec fax2 = fax;
        fax2.seed = 7;
        fax2.rowsPerStrip = 16;
        WriteTiff(g4, {fax, fax2});

        mixedPages = ReadTiff(mixed);
        bigPages = ReadTiff(big);
        g4Pages = ReadTiff(g4);
        ASSERT_EQ(mixedPages.pages.size(), 3u);
        ASSERT_EQ(bigPages.pages.size(), 2u);
        ASSERT_EQ(g4Pages.pages.size(), 2u);
        ASSERT_TRUE(mixedPages.errors.empty() && mixedPages.warnings.empty());
    }

    ::testing::AssertionResult Holds(const std::string& file, const DecodedFile& source, std::vector<int> picks)
    {
        return HoldsPages(file, Pick({&source}, picks), {&source});
    }

    TempDir dir;
    std::string mixed = dir / "mixed.tif";
    std::string big = dir / "be.tif";
    std::string g4 = dir / "g4.tif";
    DecodedFile mixedPages, bigPages, g4Pages;
};

TEST_F(PageOperations, MergeKeepsEveryPageInOrder)
{
    const std::string out = dir / "merged.tif";
    ASSERT_TRUE(MergeFiles({mixed, dir / "missing.tif", big, g4}, out));
    const std::vector<const DecodedFile*> all = {&mixedPages, &bigPages, &g4Pages};
    EXPECT_TRUE(HoldsPages(out, Pick(all, {0, 1, 2, 3, 4, 5, 6}), all));
    EXPECT_EQ(CountTiffPages(out), 7);
}

TEST_F(PageOperations, MergeIntoOneOfItsInputsReadsItFirst)
{
    ASSERT_TRUE(MergeFiles({big, mixed}, mixed));
    const std::vector<const DecodedFile*> all = {&bigPages, &mixedPages};
    EXPECT_TRUE(HoldsPages(mixed, Pick(all, {0, 1, 2, 3, 4}), all));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "mixed.tif"}));
}

TEST_F(PageOperations, MergeReportsWhatItCouldNotWrite)
{
    EXPECT_FALSE(MergeFiles({mixed}, dir / "no/such/folder/out.tif"));
    // No input with pages: nothing worth a file.
    EXPECT_FALSE(MergeFiles({dir / "missing.tif"}, dir / "none.tif"));
    EXPECT_FALSE(MergeFiles({}, dir / "none.tif"));
    EXPECT_FALSE(FileExists(dir / "none.tif"));
}

TEST_F(PageOperations, ExtractAllPagesWritesOneFilePerPage)
{
    const std::string folder = dir / "out";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_EQ(ExtractAllPages(mixed, folder), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Holds(ExtractedPageFile(folder, i), mixedPages, {i}));
    EXPECT_EQ(ExtractAllPages(big, folder + "/"), 2); // folder used as given
    EXPECT_TRUE(Holds(folder + "//page1.tif", bigPages, {1}));
    EXPECT_EQ(ExtractAllPages(dir / "missing.tif", folder), 0);
    EXPECT_EQ(ExtractAllPages(g4, dir / "no-such-folder"), -1);
}

TEST_F(PageOperations, ExtractPageRangeClampsToThePagesThere)
{
    const std::string a = dir / "a", b = dir / "b", c = dir / "c";
    for (const auto& f : {a, b, c})
        ASSERT_EQ(mkdir(f.c_str(), 0755), 0);
    EXPECT_EQ(ExtractPageRange(mixed, 2, 4, a), 3);
    EXPECT_EQ(ExtractPageRange(mixed, 5, 7, b), 3);
    EXPECT_EQ(ExtractPageRange(mixed, -2, 0, c), 3);
    auto names = [](const std::string& folder) {
        std::vector<std::string> n;
        for (int i = 0; i < 10; ++i)
            if (FileExists(ExtractedPageFile(folder, i)))
                n.push_back("page" + std::to_string(i) + ".tif");
        return n;
    };
    EXPECT_EQ(names(a), (std::vector<std::string>{"page2.tif"}));
    EXPECT_TRUE(names(b).empty());
    EXPECT_EQ(names(c), (std::vector<std::string>{"page0.tif"}));
    EXPECT_TRUE(Holds(ExtractedPageFile(a, 2), mixedPages, {2}));
    EXPECT_EQ(ExtractPageRange(mixed, 0, 1, dir / "missing"), -1);
}

TEST_F(PageOperations, SplitFileChecksTheCutAndWritesBothParts)
{
    const std::string one = dir / "one.tif", two = dir / "two.tif";
    EXPECT_FALSE(SplitFile(mixed, 1, one, two));
    EXPECT_FALSE(SplitFile(mixed, 4, one, two));
    EXPECT_FALSE(FileExists(one) || FileExists(two));
    ASSERT_TRUE(SplitFile(mixed, 2, one, two));
    EXPECT_TRUE(Holds(one, mixedPages, {0}));
    EXPECT_TRUE(Holds(two, mixedPages, {1, 2}));
    ASSERT_TRUE(SplitFile(g4, 2, one, two));
    EXPECT_TRUE(Holds(one, g4Pages, {0}));
    EXPECT_TRUE(Holds(two, g4Pages, {1}));
    // Writing over the input itself keeps its pages until both parts are done.
    ASSERT_TRUE(SplitFile(mixed, 3, mixed, two));
    EXPECT_TRUE(Holds(mixed, mixedPages, {0, 1}));
    EXPECT_TRUE(Holds(two, mixedPages, {2}));
    // An output that cannot be written: false, and no part is left behind.
    EXPECT_FALSE(SplitFile(big, 2, dir / "three.tif", dir / "none/four.tif"));
    EXPECT_FALSE(FileExists(dir / "three.tif"));
}

TEST_F(PageOperations, DeletePage)
{
    const auto before = LoadBytes(g4);
    EXPECT_FALSE(DeletePage(g4, 0));
    EXPECT_FALSE(DeletePage(g4, 3));
    EXPECT_EQ(LoadBytes(g4), before);
    ASSERT_TRUE(DeletePage(mixed, 3));
    EXPECT_TRUE(Holds(mixed, mixedPages, {0, 1}));
    ASSERT_TRUE(DeletePage(mixed, 1));
    EXPECT_TRUE(Holds(mixed, mixedPages, {1}));
    const auto single = LoadBytes(mixed);
    EXPECT_FALSE(DeletePage(mixed, 1)); // the only page stays
    EXPECT_EQ(LoadBytes(mixed), single);
    ASSERT_TRUE(DeletePage(big, 1));
    EXPECT_TRUE(Holds(big, bigPages, {1})); // and now little-endian
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "mixed.tif"}));
}

TEST_F(PageOperations, SwapPages)
{
    EXPECT_TRUE(SwapPages(dir / "missing.tif", 99, 99));
    EXPECT_FALSE(FileExists(dir / "missing.tif"));
    EXPECT_FALSE(SwapPages(mixed, 0, 2));
    EXPECT_FALSE(SwapPages(mixed, 1, 4));
    ASSERT_TRUE(SwapPages(mixed, 3, 1));
    EXPECT_TRUE(Holds(mixed, mixedPages, {2, 1, 0}));
    ASSERT_TRUE(SwapPages(big, 1, 2));
    EXPECT_TRUE(Holds(big, bigPages, {1, 0}));
}

TEST_F(PageOperations, InsertPagesAtEveryKindOfPosition)
{
    const std::vector<const DecodedFile*> both = {&mixedPages, &g4Pages};
    // Pages 0-2 are the input's, 3-4 the inserted ones.
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {-5, {3, 4, 0, 1, 2}},
        {0, {3, 4, 0, 1, 2}},
        {1, {3, 4, 0, 1, 2}},
        {2, {0, 3, 4, 1, 2}},
        {4, {0, 1, 2, 3, 4}},
        {99, {0, 1, 2, 3, 4}},
        {std::numeric_limits<std::int32_t>::min(), {3, 4, 0, 1, 2}},
        {std::numeric_limits<std::int32_t>::max(), {0, 1, 2, 3, 4}}};
    for (const auto& [at, order] : cases) {
        const std::string input = dir / ("insert" + std::to_string(at) + ".tif");
        SaveBytes(input, LoadBytes(mixed));
        ASSERT_TRUE(InsertPages(input, at, g4)) << at;
        EXPECT_TRUE(HoldsPages(input, Pick(both, order), both)) << at;
    }
}

TEST_F(PageOperations, InsertPagesNeverLosesTheInput)
{
    // A missing input is created with the inserted pages.
    ASSERT_TRUE(InsertPages(dir / "new.tif", 1, g4));
    EXPECT_TRUE(Holds(dir / "new.tif", g4Pages, {0, 1}));
    // Nothing to insert: the input stays as it was.
    const auto before = LoadBytes(mixed);
    EXPECT_FALSE(InsertPages(mixed, 1, dir / "missing.tif"));
    EXPECT_EQ(LoadBytes(mixed), before);
    // An existing input whose pages cannot be read is not replaced.
    SaveBytes(dir / "junk.tif", {'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f', 'f'});
    EXPECT_FALSE(InsertPages(dir / "junk.tif", 1, g4));
    EXPECT_EQ(LoadBytes(dir / "junk.tif").size(), 10u);
    // Inserting a file into itself doubles it.
    ASSERT_TRUE(InsertPages(g4, 2, g4));
    EXPECT_TRUE(Holds(g4, g4Pages, {0, 0, 1, 1}));
}

// A pyramid: every page carries reduced copies of itself as sub-images,
// listed and also chained one to the next as some writers do; the tiled one
// has a sub-image of its own. Extraction, deletion and insertion keep every
// sub-image of every page, its tags and its data, in both byte orders.
TEST_F(PageOperations, SubImagesTravelWithTheirPages)
{
    const std::string pyramid = dir / "pyramid.tif";
    const std::string other = dir / "other.tif";
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        TiffBuilder b(bigEndian);
        const auto grey = [&](std::uint32_t side, std::vector<std::uint64_t> strips, std::uint32_t stripBytes) {
            std::vector<RawEntry> entries = GreyPage(side, side, 0, 0);
            entries[5] = Longs(273, strips);
            entries[7] = Longs(278, {side / static_cast<std::uint32_t>(strips.size())});
            entries[8] = Longs(279, std::vector<std::uint64_t>(strips.size(), stripBytes));
            return entries;
        };
        const auto subImages = [](std::vector<std::uint64_t> offsets) {
            RawEntry e = Longs(tiff_tag::kSubIfds, std::move(offsets));
            e.type = tiff_type::kIfd;
            return e;
        };
        const auto blob = [&](std::size_t n, int seed) {
            std::vector<std::uint8_t> v(n);
            for (std::size_t i = 0; i < n; ++i)
                v[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
            return b.AddBlob(v);
        };
        std::vector<std::uint32_t> pages;
        for (int p = 0; p < 3; ++p) {
            const std::uint32_t smallest = b.AddDirectory(grey(2, {blob(4, 10 * p + 1)}, 4));
            auto tiled = grey(4, {0}, 0);
            tiled.erase(tiled.begin() + 5); // no strips: one 16 x 16 tile
            tiled.erase(tiled.begin() + 6, tiled.begin() + 8);
            for (const RawEntry& e : {Longs(322, {16}), Longs(323, {16}), Longs(324, {blob(256, 10 * p + 2)}),
                                      Longs(325, {256}), subImages({smallest})})
                tiled.push_back(e);
            std::sort(tiled.begin(), tiled.end(), [](const RawEntry& x, const RawEntry& y) { return x.tag < y.tag; });
            const std::uint32_t quarter = b.AddDirectory(tiled);
            const std::uint32_t half = b.AddDirectory(grey(8, {blob(32, 10 * p + 3), blob(32, 10 * p + 4)}, 32));
            b.Link(half, quarter);
            auto page = grey(16, {blob(256, 10 * p + 5)}, 256);
            page.push_back(subImages({half, quarter}));
            pages.push_back(b.AddDirectory(page));
            p == 0 ? b.SetFirst(pages[0]) : b.Link(pages[pages.size() - 2], pages.back());
        }
        b.Save(pyramid);
        b.Save(other);
        const DecodedFile source = ReadTiff(pyramid);
        ASSERT_EQ(source.pages.size(), 3u);
        ASSERT_EQ(source.pages[2].subImages.size(), 2u);
        ASSERT_EQ(source.pages[2].subImages[1].subImages.size(), 1u);
        ASSERT_EQ(source.pages[2].subImages[1].subImages[0].pixels.size(), 4u);

        const std::string out = dir / "out";
        std::filesystem::remove_all(out);
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        ASSERT_EQ(ExtractAllPages(pyramid, out), 3);
        EXPECT_TRUE(Holds(ExtractedPageFile(out, 1), source, {1}));
        ASSERT_TRUE(DeletePage(pyramid, 2));
        EXPECT_TRUE(Holds(pyramid, source, {0, 2}));
        ASSERT_TRUE(InsertPages(pyramid, 2, other));
        EXPECT_TRUE(Holds(pyramid, source, {0, 0, 1, 2, 2}));

        // The chain is kept: the first sub-image's next directory is the second.
        const auto bytes = LoadBytes(pyramid);
        const auto at16 = [&](std::size_t at) { return Load16(bytes.data() + at, kLittleEndian); };
        const auto at32 = [&](std::size_t at) { return Load32(bytes.data() + at, kLittleEndian); };
        const std::uint32_t first = at32(4);
        std::uint32_t array = 0;
        for (std::uint16_t i = 0; i < at16(first); ++i)
            if (at16(first + 2 + 12 * i) == tiff_tag::kSubIfds)
                array = at32(first + 2 + 12 * i + 8);
        ASSERT_NE(array, 0u);
        EXPECT_EQ(at32(at32(array) + 2 + 12 * at16(at32(array))), at32(array + 4));
    }
}

// A private tag of type IFD names a directory of its own: it comes along
// with its page, re-laid with its values and the strip it names, through
// extraction, deletion and insertion, in both byte orders.
TEST_F(PageOperations, APrivateDirectoryTravelsWithItsPage)
{
    constexpr std::uint16_t kPrivate = 50001;
    const std::string file = dir / "private.tif";
    const std::vector<std::uint8_t> note = {'a', ' ', 'p', 'r', 'i', 'v', 'a', 't', 'e', ' ', 'n', 'o', 't', 'e', 0};
    // Whether page `page` of `path` carries the private directory whole.
    const auto carried = [&](const std::string& path, int page) -> ::testing::AssertionResult {
        const auto bytes = LoadBytes(path);
        const auto at16 = [&](std::size_t at) { return Load16(bytes.data() + at, kLittleEndian); };
        const auto at32 = [&](std::size_t at) { return Load32(bytes.data() + at, kLittleEndian); };
        std::uint32_t d = at32(4);
        for (int k = 0; k < page; ++k)
            d = at32(d + 2 + 12 * at16(d));
        std::map<std::uint16_t, std::pair<std::uint16_t, std::uint32_t>> entries; // tag: type, value
        const auto read = [&](std::uint32_t at) {
            entries.clear();
            for (std::uint16_t i = 0; i < at16(at); ++i)
                entries[at16(at + 2 + 12 * i)] = {at16(at + 4 + 12 * i), at32(at + 10 + 12 * i)};
        };
        read(d);
        if (entries.count(kPrivate) == 0 || entries[kPrivate].first != tiff_type::kIfd)
            return ::testing::AssertionFailure() << "no private directory on page " << page;
        if (entries[50002] != std::make_pair(tiff_type::kLong, std::uint32_t{123456}))
            return ::testing::AssertionFailure() << "the private LONG is not there";
        read(entries[kPrivate].second);
        const std::uint32_t text = entries[270].second;
        const std::uint32_t strip = entries[273].second;
        if (!std::equal(note.begin(), note.end(), bytes.begin() + text) || entries[40000].second != 7
            || std::count(bytes.begin() + strip, bytes.begin() + strip + 16, 99) != 16)
            return ::testing::AssertionFailure() << "the private directory lost its values";
        return ::testing::AssertionSuccess();
    };
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        TiffBuilder b(bigEndian);
        const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(16, 99));
        const std::uint32_t own = b.AddDirectory({Longs(256, {4}), Longs(257, {4}), Bytes(270, tiff_type::kAscii, note),
                                                  Longs(273, {strip}), Longs(279, {16}), Shorts(40000, {7})});
        std::vector<std::uint32_t> pages;
        for (int p = 0; p < 3; ++p) {
            auto entries = GreyPage(4, 4, b.AddBlob(std::vector<std::uint8_t>(16, static_cast<std::uint8_t>(p))), 16);
            if (p == 1) {
                entries.push_back(Field(kPrivate, tiff_type::kIfd, 1, own));
                entries.push_back(Longs(50002, {123456}));
            }
            pages.push_back(b.AddDirectory(entries));
            p == 0 ? b.SetFirst(pages[0]) : b.Link(pages[pages.size() - 2], pages.back());
        }
        b.Save(file);
        const DecodedFile source = ReadTiff(file);

        const std::string out = dir / "out";
        std::filesystem::remove_all(out);
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        ASSERT_EQ(ExtractAllPages(file, out), 3);
        EXPECT_TRUE(carried(ExtractedPageFile(out, 1), 0));
        ASSERT_TRUE(DeletePage(file, 1));
        EXPECT_TRUE(carried(file, 0));
        ASSERT_TRUE(InsertPages(file, 2, file));
        EXPECT_TRUE(Holds(file, source, {1, 1, 2, 2}));
        EXPECT_TRUE(carried(file, 0));
        EXPECT_TRUE(carried(file, 1));
    }
}

TEST_F(PageOperations, RewritesGoThroughAFreeTemporarySibling)
{
    // A user's file of the old ending is nothing of ours; a live run's
    // temporary file is passed over.
    SaveBytes(mixed + ".tmp", {'k', 'e', 'e', 'p'});
    SaveBytes(mixed + ".velmora.tmp", {'I', 'I', 42, 0});
    const int live = open((mixed + ".velmora.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    EXPECT_EQ(TempSiblingName(mixed), mixed + ".velmora-2.tmp");
    EXPECT_EQ(TempSiblingName(g4), g4 + ".velmora.tmp");
    ASSERT_TRUE(DeletePage(mixed, 2));
    close(live);
    EXPECT_TRUE(Holds(mixed, mixedPages, {0, 2}));
    EXPECT_EQ(LoadBytes(mixed + ".tmp"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(LoadBytes(mixed + ".velmora.tmp"), (std::vector<std::uint8_t>{'I', 'I', 42, 0}));
    EXPECT_FALSE(FileExists(mixed + ".velmora-2.tmp"));
    // One a killed run left behind is removed and taken, not stepped over.
    const struct timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (mixed + ".velmora.tmp").c_str(), hourAgo, 0), 0);
    ASSERT_TRUE(SwapPages(mixed, 1, 2));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "mixed.tif", "mixed.tif.tmp"}));
    // A folder of that name is no file, and is not replaced either.
    ASSERT_EQ(mkdir((g4 + ".velmora.tmp").c_str(), 0755), 0);
    ASSERT_TRUE(SwapPages(g4, 1, 2));
    EXPECT_TRUE(Holds(g4, g4Pages, {1, 0}));
    EXPECT_FALSE(CanOpenFile(g4 + ".velmora.tmp"));
    EXPECT_TRUE(CanOpenFile(g4));
    EXPECT_FALSE(CanOpenFile(dir / "missing.tif"));
}

// Names of 252 to 255 bytes leave no room for the temporary ending; the
// change goes through a shorter name in the same folder.
TEST_F(PageOperations, FilesWithTheLongestNamesAreChangedInPlace)
{
    for (std::size_t length : {252u, 255u}) {
        const std::string input = dir / (std::string(length - 4, 'n') + ".tif");
        SaveBytes(input, LoadBytes(mixed));
        ASSERT_TRUE(DeletePage(input, 1)) << length;
        EXPECT_TRUE(Holds(input, mixedPages, {1, 2})) << length;
        ASSERT_TRUE(InsertPages(input, 1, g4)) << length;
        EXPECT_EQ(CountTiffPages(input), 4) << length;
        ASSERT_EQ(unlink(input.c_str()), 0);
    }
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "mixed.tif"}));
}

// Two changes of one file at once: the second waits for the first and then
// works on what the first left, so neither change is lost.
TEST_F(PageOperations, AnInPlaceChangeWaitsForAnotherRunChangingTheFile)
{
    const int other = open(mixed.c_str(), O_RDONLY);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    std::atomic<bool> done{false};
    bool deleted = false;
    std::thread run([&] {
        deleted = DeletePage(mixed, 1);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(done);
    // The other run replaces the file with its own change, then lets go.
    SaveBytes(dir / "changed.tif", LoadBytes(mixed));
    ASSERT_TRUE(SwapPages(dir / "changed.tif", 1, 3));
    ASSERT_EQ(rename((dir / "changed.tif").c_str(), mixed.c_str()), 0);
    close(other);
    run.join();
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(Holds(mixed, mixedPages, {1, 0}));
}

TEST_F(PageOperations, InPlaceChangesKeepThePermissionBits)
{
    ASSERT_EQ(chmod(mixed.c_str(), 0640), 0);
    ASSERT_TRUE(DeletePage(mixed, 1));
    struct stat st {};
    ASSERT_EQ(stat(mixed.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A write that fails half way (here: the file size limit, as a full disk
// would) leaves the input as it was and no temporary file behind.
TEST_F(PageOperations, FailedWritesLeaveTheInputUntouched)
{
    const auto before = LoadBytes(mixed);
    FileSizeLimit limit;
    ASSERT_TRUE(limit.Limit(1000)); // every output passes it half way
    // Each failure carries the system's reason.
    std::vector<int> reasons;
    const auto reasonOf = [&](bool result) {
        reasons.push_back(FailureReason());
        ClearFailureReason();
        return result;
    };
    ClearFailureReason();
    const bool deleted = reasonOf(DeletePage(mixed, 1));
    const bool swapped = reasonOf(SwapPages(mixed, 1, 3));
    const bool inserted = reasonOf(InsertPages(mixed, 2, g4));
    // A missing file is made, so its absence is no reason.
    const bool created = reasonOf(InsertPages(dir / "new.tif", 1, g4));
    const bool merged = reasonOf(MergeFiles({mixed, g4}, dir / "merged.tif"));
    const bool split = reasonOf(SplitFile(mixed, 2, dir / "one.tif", dir / "two.tif"));
    const std::string out = dir / "out";
    mkdir(out.c_str(), 0755);
    limit.Limit(100); // below every page
    const std::int32_t extracted = ExtractAllPages(mixed, out);
    reasonOf(true);
    limit.Restore();
    EXPECT_EQ(reasons, std::vector<int>(7, EFBIG));
    EXPECT_FALSE(DeletePage(mixed, 9));
    EXPECT_EQ(FailureReason(), 0); // a page number is no system failure
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(swapped);
    EXPECT_FALSE(inserted);
    EXPECT_FALSE(created);
    EXPECT_FALSE(merged);
    EXPECT_FALSE(split);
    EXPECT_EQ(extracted, -1);
    EXPECT_EQ(LoadBytes(mixed), before);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "mixed.tif", "out"}));
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(PageOperations, AFailedWriteLeavesAnExistingOutputAsItWas)
{
    // Outputs that replace a file of the user's are written aside first.
    const std::string merged = dir / "merged.tif";
    const std::string one = dir / "one.tif";
    ASSERT_TRUE(MergeFiles({g4}, merged));
    ASSERT_TRUE(MergeFiles({big}, one));
    const auto mergedBefore = LoadBytes(merged);
    const auto oneBefore = LoadBytes(one);
    FileSizeLimit limit;
    ASSERT_TRUE(limit.Limit(1000));
    const bool mergedOk = MergeFiles({mixed, g4}, merged);
    const bool splitOk = SplitFile(mixed, 2, one, dir / "two.tif");
    limit.Restore();
    EXPECT_FALSE(mergedOk);
    EXPECT_FALSE(splitOk);
    EXPECT_EQ(LoadBytes(merged), mergedBefore);
    EXPECT_EQ(LoadBytes(one), oneBefore);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"be.tif", "g4.tif", "merged.tif", "mixed.tif", "one.tif"}));
}

TEST_F(PageOperations, DamagedPagesAreNeverWritten)
{
    // Page 2 of 3 has its strip beyond the end of the file.
    TiffBuilder b;
    std::uint32_t previous = 0;
    for (std::uint32_t k = 0; k < 3; ++k) {
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(8, static_cast<std::uint8_t>(k * 40)));
        const std::uint32_t d = b.AddDirectory(GreyPage(8, 1, k == 1 ? 100000 : s, 8));
        previous == 0 ? b.SetFirst(d) : b.Link(previous, d);
        previous = d;
    }
    const std::string damaged = dir / "damaged.tif";
    b.Save(damaged);
    const DecodedFile source = ReadTiff(damaged);
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    EXPECT_EQ(ExtractAllPages(damaged, out), -1);
    EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, 0), Pick({&source}, {0}), {&source}));
    EXPECT_FALSE(FileExists(ExtractedPageFile(out, 1)));
    EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, 2), Pick({&source}, {2}), {&source}));
    EXPECT_EQ(ExtractPageRange(damaged, 1, 1, out), -1);
    EXPECT_EQ(ExtractPageRange(damaged, 2, 2, out), 3);

    const auto before = LoadBytes(damaged);
    EXPECT_FALSE(SwapPages(damaged, 1, 3));
    EXPECT_FALSE(DeletePage(damaged, 1));
    EXPECT_FALSE(InsertPages(damaged, 1, g4));
    EXPECT_FALSE(InsertPages(g4, 1, damaged));
    EXPECT_FALSE(MergeFiles({g4, damaged}, dir / "merged.tif"));
    EXPECT_FALSE(FileExists(dir / "merged.tif"));
    EXPECT_FALSE(SplitFile(damaged, 3, dir / "one.tif", dir / "two.tif"));
    EXPECT_EQ(LoadBytes(damaged), before);
    // Deleting the damaged page itself is what repairs the file.
    ASSERT_TRUE(DeletePage(damaged, 2));
    EXPECT_TRUE(HoldsPages(damaged, Pick({&source}, {0, 2}), {&source}));
}

TEST_F(PageOperations, AnExtractedPageFileMayNameTheInputItself)
{
    const std::string input = dir / "page0.tif";
    SaveBytes(input, LoadBytes(mixed));
    EXPECT_EQ(ExtractAllPages(input, dir.path), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Holds(ExtractedPageFile(dir.path, i), mixedPages, {i})) << i;
}

// Samples wider than a byte are stored in the file's byte order. Written
// into a little-endian file they are turned when uncompressed (the fixture
// be.tif above has such a page); compressed, they could only be turned by
// decoding, so such a page is refused rather than given other pixels.
TEST_F(PageOperations, WideCompressedSamplesOfABigEndianFileAreNotCorrupted)
{
    PageSpec wide = Spec(9, 4, 8);
    wide.bitsPerSample = 16;
    wide.compression = 5; // LZW
    PageSpec narrow = Spec(9, 4, 9);
    narrow.compression = 5;
    const std::string input = dir / "wide.tif";
    WriteTiff(input, {narrow, wide}, true);
    const DecodedFile source = ReadTiff(input);
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    EXPECT_EQ(ExtractAllPages(input, out), -1);
    EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, 0), Pick({&source}, {0}), {&source}));
    EXPECT_FALSE(FileExists(ExtractedPageFile(out, 1)));
    const auto before = LoadBytes(input);
    EXPECT_FALSE(SwapPages(input, 1, 2));
    EXPECT_EQ(LoadBytes(input), before);
    // A little-endian file's wide compressed pages are carried as they are.
    WriteTiff(input, {narrow, wide}, false);
    const DecodedFile little = ReadTiff(input);
    ASSERT_TRUE(SwapPages(input, 1, 2));
    EXPECT_TRUE(HoldsPages(input, Pick({&little}, {1, 0}), {&little}));
}

TEST(PageFileNames, FollowTheFixedPatterns)
{
    EXPECT_EQ(ExtractedPageFile("C:\\out", 11), "C:\\out/page11.tif");
    EXPECT_EQ(ExtractedPageFile("/tmp/x/", 0), "/tmp/x//page0.tif");
    EXPECT_EQ(TempSiblingName("/no/such/dir/a.tif"), "/no/such/dir/a.tif.velmora.tmp");
}

} // namespace
} // namespace stavren::test
