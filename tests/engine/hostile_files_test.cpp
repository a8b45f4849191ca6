// Hostile and broken files: every operation acts on the pages the chain
// holds, writes exactly the pages that can be written, never changes an
// input it reports failing on, and never crashes, hangs or writes more
// than the pages it copies justify. Files whose pages share data are
// valid, and are copied whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/byte_order.h"
#include "engine/failure_reason.h"
#include "engine/page_operations.h"
#include "engine/tiff_types.h"
#include "tests/engine/hostile_files.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"

namespace stavren::test {
namespace {

std::uintmax_t FolderBytes(const std::string& folder)
{
    std::uintmax_t total = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            total += e.file_size();
    return total;
}

// One of this process's I/O counters so far (proc(5)).
std::uint64_t IoCounter(const std::string& name)
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == name + ":")
            return value;
    return 0;
}

// Bytes this process has written so far, by any call (write,
// copy_file_range), into files kept or removed again.
std::uint64_t BytesWritten()
{
    return IoCounter("wchar");
}

// Read calls this process has made so far.
std::uint64_t ReadCalls()
{
    return IoCounter("syscr");
}

// Bytes this process has read so far, by any call (read, pread,
// copy_file_range).
std::uint64_t BytesRead()
{
    return IoCounter("rchar");
}

// The most memory `work` holds: run in a child process, the peak of its
// resident set beyond what it started with.
[[maybe_unused]] std::uint64_t PeakMemoryOf(const std::function<void()>& work)
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    const std::uint64_t start = resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return ~std::uint64_t(0);
    const std::uint64_t peak = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    return peak > start ? peak - start : 0;
}

bool AllOf(const std::vector<bool>& v, std::size_t from = 0)
{
    return std::all_of(v.begin() + static_cast<std::ptrdiff_t>(std::min(from, v.size())), v.end(),
                       [](bool b) { return b; });
}

// The page files an extraction of `pages` should leave.
std::vector<std::string> PageFiles(const std::vector<bool>& writable, std::size_t first, std::size_t last)
{
    std::vector<std::string> names;
    for (std::size_t i = first; i <= last && i < writable.size(); ++i)
        if (writable[i])
            names.push_back("page" + std::to_string(i) + ".tif");
    std::sort(names.begin(), names.end());
    return names;
}

TEST(HostileFiles, OperationsActOnTheCountedPagesAndWriteOnlyWholeOnes)
{
    for (const Hostile& h : HostileFiles()) {
        SCOPED_TRACE(h.name);
        const auto n = static_cast<std::int32_t>(h.writable.size());
        const bool all = AllOf(h.writable);
        TempDir dir;
        const std::string input = dir / "in.tif";
        SaveBytes(input, h.bytes);
        ASSERT_EQ(CountTiffPages(input), n);

        TempDir out;
        EXPECT_EQ(ExtractAllPages(input, out.path), all ? n : -1);
        EXPECT_EQ(out.Files(), PageFiles(h.writable, 0, h.writable.size()));
        for (const std::string& name : out.Files())
            EXPECT_EQ(CountTiffPages(out / name), 1) << name;

        TempDir range;
        const bool firstTwo = n == 0 || (h.writable[0] && (n == 1 || h.writable[1]));
        EXPECT_EQ(ExtractPageRange(input, 0, 1, range.path), firstTwo ? n : -1);
        EXPECT_EQ(range.Files(), PageFiles(h.writable, 0, 1));

        EXPECT_EQ(MergeFiles({input, input}, dir / "merged.tif"), n > 0 && all);
        EXPECT_EQ(CountTiffPages(dir / "merged.tif"), n > 0 && all ? 2 * n : 0);
        EXPECT_EQ(SplitFile(input, 2, dir / "one.tif", dir / "two.tif"), n >= 2 && all);
        EXPECT_EQ(CountTiffPages(dir / "two.tif"), n >= 2 && all ? n - 1 : 0);
        EXPECT_EQ(LoadBytes(input), h.bytes);

        struct Change {
            const char* name;
            bool expected;
            std::int32_t pagesAfter;
        };
        for (const Change& change : {Change{"delete", n >= 2 && AllOf(h.writable, 1), n - 1},
                                     Change{"swap", n >= 2 && all, n}, Change{"insert", n >= 1 && all, 2 * n}}) {
            SaveBytes(input, h.bytes);
            bool changed = false;
            if (change.name == std::string("delete"))
                changed = DeletePage(input, 1);
            else if (change.name == std::string("swap"))
                changed = SwapPages(input, 1, 2);
            else
                changed = InsertPages(input, 1, input);
            EXPECT_EQ(changed, change.expected) << change.name;
            if (changed)
                EXPECT_EQ(CountTiffPages(input), change.pagesAfter) << change.name;
            else
                EXPECT_EQ(LoadBytes(input), h.bytes) << change.name;
            EXPECT_FALSE(FileExists(input + ".tmp")) << change.name;
        }
    }
}

// A page whose strips repeat one block would write far more than its file:
// it is refused before a byte is written, by every kind of operation, for
// the reason a file grown too large fails with.
TEST(HostileFiles, RepeatedDataBeyondTheBudgetIsRefusedUnwritten)
{
    TempDir dir;
    for (const Hostile& h : HostileFiles())
        if (h.name == "one-block-repeated")
            SaveBytes(dir / "in.tif", h.bytes);
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    ClearFailureReason();
    EXPECT_TRUE(FinishesWithin(60, [&] {
        return ExtractAllPages(dir / "in.tif", out) == -1 && !MergeFiles({dir / "in.tif"}, dir / "merged.tif")
               && !InsertPages(dir / "in.tif", 1, dir / "in.tif");
    }));
    EXPECT_EQ(FolderBytes(dir.path), std::filesystem::file_size(dir / "in.tif"));
    EXPECT_FALSE(DeletePage(dir / "in.tif", 1) || SwapPages(dir / "in.tif", 1, 2));
    EXPECT_EQ(ExtractAllPages(dir / "in.tif", out), -1);
    EXPECT_EQ(FailureReason(), EFBIG);
}

// Every page of these files names one 1 MiB block, as a private tag or as
// its strip: each page may be copied, but an operation copying them all
// would write 300 MiB from a file of 1 MiB. It stops at what one operation
// may write (twice its inputs, plus 256 MiB), leaves the input as it was
// and says why: the output would grow too large.
TEST(HostileFiles, PagesNamingOneBlockStopAtTheOperationsBound)
{
    constexpr std::uint64_t kBase = 256ull << 20;
    constexpr std::uint32_t kBlock = 1u << 20;
    TempDir dir;
    const std::string input = dir / "in.tif";
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    for (bool asStrip : {false, true}) {
        SCOPED_TRACE(asStrip ? "strip" : "private tag");
        TiffBuilder b;
        const std::uint32_t block = b.AddBlob(std::vector<std::uint8_t>(kBlock, 5));
        const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        std::vector<std::uint32_t> dirs;
        for (int i = 0; i < 300; ++i) {
            auto entries = asStrip ? GreyPage(1024, 1024, block, kBlock) : GreyPage(4, 4, strip, 16);
            if (!asStrip)
                entries.push_back(Field(65000, tiff_type::kUndefined, kBlock, block));
            dirs.push_back(b.AddDirectory(entries));
            i == 0 ? b.SetFirst(dirs[0]) : b.Link(dirs[dirs.size() - 2], dirs.back());
        }
        b.Save(input);
        struct Operation {
            const char* name;
            std::function<bool()> run;
            std::uint64_t inputBytes;
        };
        std::vector<Operation> operations = {{"delete", [&] { return DeletePage(input, 2); }, b.Size()}};
        if (!asStrip) {
            operations.push_back({"extract", [&] { return ExtractAllPages(input, out) == 300; }, b.Size()});
            operations.push_back({"insert", [&] { return InsertPages(input, 1, input); }, 2ull * b.Size()});
        }
        for (const Operation& operation : operations) {
            ClearFailureReason();
            const std::uint64_t before = BytesWritten();
            EXPECT_FALSE(operation.run()) << operation.name;
            EXPECT_LE(BytesWritten() - before, 2 * operation.inputBytes + kBase) << operation.name;
            EXPECT_EQ(FailureReason(), EFBIG) << operation.name;
            EXPECT_EQ(LoadBytes(input), b.bytes) << operation.name;
        }
    }
}

// Directories without image entries are damaged pages: a file of many
// makes no files and costs little: one read a directory, to count them
// or to read them, and a range that needs no count reads no further than
// its end.
TEST(HostileFiles, EmptyDirectoriesMakeNoPageFiles)
{
    TempDir dir;
    SaveBytes(dir / "in.tif", EmptyDirectoryChain(200000));
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    EXPECT_TRUE(FinishesWithin(
        20, [&] { return CountTiffPages(dir / "in.tif") == 200000 && ExtractAllPages(dir / "in.tif", out) == -1; }));
    EXPECT_TRUE(std::filesystem::is_empty(out));

    // Each directory is read as far as its entry count says it goes.
    const std::uint64_t size = std::filesystem::file_size(dir / "in.tif");
    std::uint64_t before = ReadCalls();
    std::uint64_t bytesBefore = BytesRead();
    EXPECT_EQ(CountTiffPages(dir / "in.tif"), 200000);
    EXPECT_LE(ReadCalls() - before, 200000u + 10);
    EXPECT_LE(BytesRead() - bytesBefore, size + 1024);
    before = ReadCalls();
    bytesBefore = BytesRead();
    EXPECT_EQ(ExtractAllPages(dir / "in.tif", out), -1);
    EXPECT_LE(ReadCalls() - before, 200000u + 10);
    EXPECT_LE(BytesRead() - bytesBefore, size + 1024);
    before = ReadCalls();
    EXPECT_FALSE(ExtractPagesInRange(dir / "in.tif", 2, 3, out));
    EXPECT_LE(ReadCalls() - before, 10u);
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

// `pages` pages, each naming 1,024 sub-images without entries: distinct
// directories, one at each byte of a run of zeros, 5 bytes of the file each.
[[maybe_unused]] std::vector<std::uint8_t> PagesOfDistinctEmptySubImages(std::uint32_t pages)
{
    constexpr std::uint32_t kPerPage = 1024;
    TiffBuilder b;
    const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(16, 7));
    const std::uint32_t zeros = b.AddBlob(std::vector<std::uint8_t>(pages * kPerPage + 16, 0));
    std::vector<std::uint32_t> dirs;
    for (std::uint32_t p = 0; p < pages; ++p) {
        std::vector<std::uint64_t> subImages(kPerPage);
        for (std::uint32_t k = 0; k < kPerPage; ++k)
            subImages[k] = zeros + p * kPerPage + k;
        auto entries = GreyPage(4, 4, strip, 16);
        entries.push_back(Longs(tiff_tag::kSubIfds, subImages));
        dirs.push_back(b.AddDirectory(entries));
        if (p > 0)
            b.Link(dirs[p - 1], dirs[p]);
    }
    b.SetFirst(dirs[0]);
    return b.bytes;
}

// One page whose 65,000 EXIF entries all name one directory of 65,535
// rational entries, whose values all lie in one 8-byte block.
std::vector<std::uint8_t> PageNamingOneExifDirectoryOftenOver()
{
    TiffBuilder b;
    const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(16, 7));
    const std::uint32_t value = b.AddBlob({0, 0, 0, 1, 0, 0, 0, 1});
    const std::vector<RawEntry> exif(65535, Field(41000, tiff_type::kRational, 1, value));
    const std::uint32_t at = b.AddDirectory(exif);
    auto entries = GreyPage(4, 4, strip, 16);
    entries.insert(entries.end(), 65000, Longs(tiff_tag::kExifIfd, {at}));
    b.SetFirst(b.AddDirectory(entries));
    return b.bytes;
}

// Files whose every directory, sub-directory or offset takes a few bytes of
// the file and would be held in a far larger form: an operation on any of
// them holds less than twice its inputs plus a base (16 MiB for the chain
// alone; 64 MiB for the others, as the sub-directories a reader keeps
// take up to 32 MiB). A page whose layout would hold more than its file
// plus 64 MiB is refused before it is held.
TEST(HostileFiles, ManyDirectoriesOrOffsetsHoldLittleMoreThanTwiceTheFile)
{
    TempDir dir;
    const std::string input = dir / "in.tif";
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    constexpr std::uint64_t kBase = 64u << 20;
#if !defined(__SANITIZE_ADDRESS__) // whose own memory hides what the engine holds
    {
        constexpr std::uint32_t kCount = 2000000;
        std::vector<std::uint8_t> chain = {'I', 'I', 42, 0, 8, 0, 0, 0};
        chain.resize(8 + 6ull * kCount, 0);
        for (std::uint32_t k = 0; k + 1 < kCount; ++k)
            Store32(chain.data() + 8 + 6 * k + 2, 8 + 6 * (k + 1), kLittleEndian);
        SaveBytes(input, chain);
    }
    std::uint64_t size = std::filesystem::file_size(input);
    EXPECT_LE(PeakMemoryOf([&] { ExtractAllPages(input, out); }), 2 * size + (16u << 20));
    EXPECT_LE(PeakMemoryOf([&] { DeletePage(input, 2); }), 2 * size + (16u << 20));

    SaveBytes(input, PagesOfDistinctEmptySubImages(1024));
    size = std::filesystem::file_size(input);
    EXPECT_LE(PeakMemoryOf([&] { DeletePage(input, 2); }), 2 * size + kBase);

    {
        TiffBuilder b;
        const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(16, 7));
        const std::uint32_t empty = b.AddBlob(std::vector<std::uint8_t>(6, 0));
        auto entries = GreyPage(4, 4, strip, 16);
        entries.push_back(Longs(tiff_tag::kSubIfds, std::vector<std::uint64_t>(6000000, empty)));
        b.SetFirst(b.AddDirectory(entries));
        b.Save(input);
    }
    size = std::filesystem::file_size(input);
    EXPECT_LE(PeakMemoryOf([&] { ExtractAllPages(input, out); }), 2 * size + kBase);
    EXPECT_TRUE(FileExists(ExtractedPageFile(out, 0)));
#endif

    SaveBytes(input, PageNamingOneExifDirectoryOftenOver());
    std::filesystem::resize_file(input, kBase);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(PeakMemoryOf([&] { ExtractAllPages(input, dir.path); }), 2 * kBase + kBase);
#endif
    ClearFailureReason();
    EXPECT_EQ(ExtractAllPages(input, dir.path), -1);
    EXPECT_EQ(FailureText(), "page 1: too large to lay out");
    EXPECT_FALSE(FileExists(dir / "page0.tif"));
}

// Whatever the pages name, and however often, an operation reads the
// directories, tables and offsets of its files at most four times their size
// plus 64 MiB; beyond that it reads only the data it copies, which it
// writes.
TEST(HostileFiles, OperationsReadInProportionToTheirInputs)
{
    constexpr std::uint64_t kBase = 64ull << 20;
    for (const Hostile& h : HostileFiles()) {
        SCOPED_TRACE(h.name);
        TempDir dir;
        const std::string input = dir / "in.tif";
        const std::string out = dir / "out";
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        const std::uint64_t size = h.bytes.size();
        struct Operation {
            const char* name;
            std::function<void()> run;
            std::uint64_t inputBytes;
        };
        const std::vector<Operation> operations = {
            {"extract", [&] { ExtractAllPages(input, out); }, size},
            {"range", [&] { ExtractPageRange(input, 0, 1, out); }, size},
            {"split", [&] { SplitFile(input, 2, dir / "one.tif", dir / "two.tif"); }, size},
            {"merge",
             [&] {
                 MergeFiles({input, input}, dir / "merged.tif");
             },
             2 * size},
            {"delete", [&] { DeletePage(input, 1); }, size},
            {"swap", [&] { SwapPages(input, 1, 2); }, size},
            {"insert", [&] { InsertPages(input, 1, input); }, 2 * size},
        };
        for (const Operation& operation : operations) {
            SaveBytes(input, h.bytes);
            const std::uint64_t read = BytesRead();
            const std::uint64_t written = BytesWritten();
            operation.run();
            EXPECT_LE(BytesRead() - read, 4 * operation.inputBytes + kBase + (BytesWritten() - written))
                << operation.name;
        }
    }
}

// Forty pages naming one 64 KiB colour profile (in the file once): every
// copy carries the profile, and every page decodes as before.
TEST(PagesSharingData, AProfileNamedByEveryPageIsCopiedWithEachPage)
{
    TempDir dir;
    TiffBuilder b;
    std::vector<std::uint8_t> profile(64 * 1024);
    for (std::size_t i = 0; i < profile.size(); ++i)
        profile[i] = static_cast<std::uint8_t>(i * 7);
    const std::uint32_t icc = b.AddBlob(profile);
    std::vector<std::uint32_t> dirs;
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, static_cast<std::uint8_t>(i)));
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(Field(34675, tiff_type::kUndefined, 64 * 1024, icc));
        dirs.push_back(b.AddDirectory(entries));
    }
    b.SetFirst(dirs[0]);
    for (std::size_t i = 1; i < dirs.size(); ++i)
        b.Link(dirs[i - 1], dirs[i]);
    const std::string in = dir / "in.tif";
    b.Save(in);
    const DecodedFile source = ReadTiff(in);
    ASSERT_EQ(source.pages.size(), 40u);
    ASSERT_EQ(source.pages[7].iccProfile, profile);
    std::vector<int> all;
    for (int i = 0; i < 40; ++i)
        all.push_back(i);

    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    ASSERT_EQ(ExtractAllPages(in, out), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, i), Pick({&source}, {i}), {&source}));
    ASSERT_TRUE(MergeFiles({in, in}, dir / "merged.tif"));
    std::vector<int> twice = all;
    twice.insert(twice.end(), all.begin(), all.end());
    EXPECT_TRUE(HoldsPages(dir / "merged.tif", Pick({&source}, twice), {&source}));

    ASSERT_TRUE(SwapPages(in, 1, 40));
    std::swap(all.front(), all.back());
    EXPECT_TRUE(HoldsPages(in, Pick({&source}, all), {&source}));
    ASSERT_TRUE(DeletePage(in, 2));
    all.erase(all.begin() + 1);
    EXPECT_TRUE(HoldsPages(in, Pick({&source}, all), {&source}));
}

// One page whose 100 strips all name one 256-byte block, and 100 pages
// that all name one 16 KiB strip: valid files, copied whole.
TEST(PagesSharingData, StripsNamingOneBlockAreCopiedWhole)
{
    TempDir dir;
    std::vector<std::uint8_t> block(256);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i);
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(block);
        const std::vector<std::uint64_t> offsets(100, s), counts(100, 256);
        b.SetFirst(
            b.AddDirectory({Longs(256, {16}), Longs(257, {1600}), Shorts(258, {8}), Shorts(259, {1}), Shorts(262, {1}),
                            Longs(273, offsets), Shorts(277, {1}), Longs(278, {16}), Longs(279, counts)}));
        b.Save(dir / "strips.tif");
    }
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16 * 1024, 5));
        std::uint32_t previous = 0;
        for (int i = 0; i < 100; ++i) {
            const std::uint32_t d = b.AddDirectory(GreyPage(128, 128, s, 16 * 1024));
            previous == 0 ? b.SetFirst(d) : b.Link(previous, d);
            previous = d;
        }
        b.Save(dir / "pages.tif");
    }
    const DecodedFile strips = ReadTiff(dir / "strips.tif");
    ASSERT_EQ(strips.pages.size(), 1u);
    ASSERT_EQ(strips.pages[0].pixels.size(), 100u * 256);
    const std::string out = dir / "out";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    ASSERT_EQ(ExtractAllPages(dir / "strips.tif", out), 1);
    EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, 0), strips.pages, {&strips}));

    const DecodedFile pages = ReadTiff(dir / "pages.tif");
    ASSERT_EQ(pages.pages.size(), 100u);
    ASSERT_EQ(ExtractAllPages(dir / "pages.tif", out), 100);
    EXPECT_TRUE(HoldsPages(ExtractedPageFile(out, 99), Pick({&pages}, {99}), {&pages}));
    ASSERT_TRUE(InsertPages(dir / "pages.tif", 50, dir / "strips.tif"));
    EXPECT_EQ(CountTiffPages(dir / "pages.tif"), 101);
}

// A FIFO whose other end nobody opens, named as an input, as an output, or
// in the way of a temporary sibling: opening it must not wait for a partner.
TEST(HostileFiles, AFifoNeverMakesAnOperationWait)
{
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
    EXPECT_TRUE(FinishesWithin(
        60, [&] { return ExtractAllPages(good, dir.path) == -1 && CountTiffPages(dir / "page1.tif") == 1; }));
    // The FIFO good.tif.tmp is passed over for good.tif.tmp.tmp.
    EXPECT_TRUE(FinishesWithin(60, [&] { return DeletePage(good, 1) && CountTiffPages(good) == 1; }));
}

} // namespace
} // namespace stavren::test
