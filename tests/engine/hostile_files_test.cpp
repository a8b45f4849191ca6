// Hostile and broken files: no operation crashes, hangs, writes more than
// the inputs justify, or changes an input it reports failing on.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/page_operations.h"
#include "engine/tiff_types.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"

namespace stavren::test {
namespace {

struct Hostile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

std::vector<Hostile> HostileFiles() {
    std::vector<Hostile> files;
    auto page = [](TiffBuilder& b, std::vector<RawEntry> entries) {
        const std::uint32_t d = b.AddDirectory(entries);
        return d;
    };
    {
        files.push_back({"empty", {}});
        files.push_back({"two-bytes", {'I', 'I'}});
        files.push_back({"header-only", {'I', 'I', 42, 0, 8, 0, 0, 0}});
        std::vector<std::uint8_t> big = {'M', 'M', 0, 43, 0, 8, 0, 0, 0, 0, 0, 0, 0, 16};
        big.resize(200, 1);
        files.push_back({"bigtiff", big});
    }
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        const std::uint32_t d = page(b, GreyPage(4, 4, s, 16));
        b.SetFirst(d);
        b.Link(d, d);
        files.push_back({"self-loop", b.bytes});
        const std::uint32_t d2 = page(b, GreyPage(4, 4, s, 16));
        b.Link(d, d2);
        b.Link(d2, d);
        files.push_back({"loop-back", b.bytes});
        b.bytes.resize(d2 + 30);
        files.push_back({"truncated-directory", b.bytes});
    }
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(100, 9));
        b.SetFirst(page(b, GreyPage(10, 10, s, 100)));
        b.bytes.resize(s + 50);
        files.push_back({"truncated-strip", b.bytes});
    }
    const std::vector<std::pair<std::string, RawEntry>> bad = {
        {"strip-count", Field(273, tiff_type::kLong, 0xFFFFFFFFu, 8)},
        {"byte-count-count", Field(279, tiff_type::kLong, 0xFFFFFFFFu, 8)},
        {"ascii-count", Field(270, tiff_type::kAscii, 0xFFFFFFFFu, 8)},
        {"double-count", Field(33550, tiff_type::kDouble, 0x20000000u, 8)},
        {"offset-past-end", Field(282, tiff_type::kRational, 1, 0xFFFFFFF0u)},
        {"exif-self", Field(34665, tiff_type::kLong, 1, 0)}, // patched to the directory below
        {"exif-outside", Field(34665, tiff_type::kIfd, 1, 0x7FFFFFF0u)},
        {"tables-outside", Field(519, tiff_type::kLong, 3, 0xFFFFFF00u)},
        {"interchange-outside", Field(513, tiff_type::kLong, 1, 0xFFFFFF00u)},
        {"tile-count", Field(324, tiff_type::kLong, 0xFFFFFFFFu, 8)},
    };
    for (const auto& [name, entry] : bad) {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(entry);
        std::uint32_t d = page(b, entries);
        if (name == "exif-self")
            b.Set32(d + 2 + 12 * 12 + 8, d);
        b.SetFirst(d);
        // A second, healthy page.
        b.Link(d, page(b, GreyPage(4, 4, s, 16)));
        files.push_back({name, b.bytes});
    }
    {
        // Many pages all naming the same large strip: each page alone is
        // fine, but together they would write far more than the file holds.
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(64 * 1024, 3));
        std::uint32_t previous = 0;
        for (int i = 0; i < 600; ++i) {
            const std::uint32_t d = page(b, GreyPage(256, 256, s, 64 * 1024));
            previous == 0 ? b.SetFirst(d) : b.Link(previous, d);
            previous = d;
        }
        files.push_back({"shared-strip", b.bytes});
    }
    {
        // Huffman table counts that add up beyond the file.
        TiffBuilder b;
        const std::uint32_t t = b.AddBlob(std::vector<std::uint8_t>(16, 0xFF));
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(Longs(520, {t}));
        b.SetFirst(page(b, entries));
        files.push_back({"huffman-counts", b.bytes});
    }
    return files;
}

std::uintmax_t FolderBytes(const std::string& folder) {
    std::uintmax_t total = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            total += e.file_size();
    return total;
}

TEST(HostileFiles, NoOperationCrashesOrWritesUnboundedOutput) {
    for (const Hostile& h : HostileFiles()) {
        SCOPED_TRACE(h.name);
        TempDir dir;
        const std::string input = dir / "in.tif";
        SaveBytes(input, h.bytes);
        const std::string out = dir / "out";
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        const std::int32_t n = CountTiffPages(input);
        EXPECT_GE(n, 0);

        const std::int32_t all = ExtractAllPages(input, out);
        EXPECT_TRUE(all == n || all == -1);
        const std::int32_t range = ExtractPageRange(input, 0, 1, out);
        EXPECT_TRUE(range == n || range == -1);
        const bool merged = MergeFiles({input, input}, dir / "merged.tif");
        const bool split = SplitFile(input, 2, dir / "one.tif", dir / "two.tif");
        EXPECT_EQ(LoadBytes(input), h.bytes);
        // Bounded: the inputs' size a few times over, whatever they claim.
        EXPECT_LE(FolderBytes(dir.path), 20 * h.bytes.size() + (4u << 20));
        EXPECT_TRUE(!merged || CountTiffPages(dir / "merged.tif") == 2 * n);
        EXPECT_TRUE(!split || CountTiffPages(dir / "two.tif") == n - 1);

        for (const auto& change : {std::string("delete"), std::string("swap"), std::string("insert")}) {
            SaveBytes(input, h.bytes);
            bool changed = false;
            if (change == "delete")
                changed = DeletePage(input, 1);
            else if (change == "swap")
                changed = SwapPages(input, 1, 2);
            else
                changed = InsertPages(input, 1, input);
            if (!changed)
                EXPECT_EQ(LoadBytes(input), h.bytes) << change;
            else
                EXPECT_GT(CountTiffPages(input), 0) << change;
            EXPECT_FALSE(FileExists(input + ".tmp")) << change;
        }
    }
}

TEST(HostileFiles, PagesSharingDataCannotFillTheDisk) {
    TempDir dir;
    for (const Hostile& h : HostileFiles())
        if (h.name == "shared-strip")
            SaveBytes(dir / "in.tif", h.bytes);
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    ASSERT_EQ(CountTiffPages(dir / "in.tif"), 600);
    // 600 pages of 64 KiB each would be 39 MB from a 150 KB file.
    EXPECT_EQ(ExtractAllPages(dir / "in.tif", out), -1);
    EXPECT_LT(FolderBytes(out), 4u << 20);
    EXPECT_FALSE(MergeFiles({dir / "in.tif"}, dir / "merged.tif"));
    EXPECT_FALSE(FileExists(dir / "merged.tif"));
}

// A FIFO whose other end nobody opens, named as an input, as an output, or
// in the way of a temporary sibling: opening it must not wait for a partner.
TEST(HostileFiles, AFifoNeverMakesAnOperationWait) {
    TempDir dir;
    TiffBuilder b;
    const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
    const std::uint32_t d = b.AddDirectory(GreyPage(4, 4, s, 16));
    b.SetFirst(d);
    b.Link(d, b.AddDirectory(GreyPage(4, 4, s, 16)));
    const std::string good = dir / "good.tif";
    b.Save(good);
    const std::string pipe = dir / "pipe.tif";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((good + ".tmp").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((dir / "page0.tif").c_str(), 0644), 0);

    EXPECT_TRUE(FinishesWithin(60, [&] { return CountTiffPages(pipe) == 0; }));
    EXPECT_TRUE(FinishesWithin(60, [&] { return ExtractAllPages(pipe, dir.path) == 0; }));
    EXPECT_TRUE(FinishesWithin(60, [&] { return !MergeFiles({good}, pipe); }));
    // page0.tif cannot be written; page1.tif is.
    EXPECT_TRUE(FinishesWithin(60, [&] {
        return ExtractAllPages(good, dir.path) == -1 && CountTiffPages(dir / "page1.tif") == 1;
    }));
    // The FIFO good.tif.tmp is passed over for good.tif.tmp.tmp.
    EXPECT_TRUE(FinishesWithin(60, [&] { return DeletePage(good, 1) && CountTiffPages(good) == 1; }));
}

} // namespace
} // namespace stavren::test
