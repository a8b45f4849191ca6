// The directory reader: chain walking, byte orders, and files that are
// broken or hostile.

#include <gtest/gtest.h>

#include "engine/ifd_record.h"
#include "engine/tiff_reader.h"
#include "engine/tiff_types.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"

namespace stavren::test {
namespace {

// A file of `widths.size()` one-strip pages told apart by their width.
TiffBuilder ChainOf(const std::vector<std::uint32_t>& widths, bool big = false)
{
    TiffBuilder b(big);
    std::uint32_t previous = 0;
    for (std::uint32_t w : widths) {
        const std::uint32_t strip = b.AddBlob(std::vector<std::uint8_t>(w, 0x55));
        const std::uint32_t dir = b.AddDirectory(GreyPage(w, 1, strip, w));
        if (previous == 0)
            b.SetFirst(dir);
        else
            b.Link(previous, dir);
        previous = dir;
    }
    return b;
}

std::uint32_t Width(const TiffReader& r, std::size_t page)
{
    return r.Entries(static_cast<std::int32_t>(page)).at(0).value;
}

TEST(TiffReader, ReadsTheChainInOrder)
{
    TempDir dir;
    ChainOf({3, 5, 7}).Save(dir / "a.tif");
    TiffReader r(dir / "a.tif");
    EXPECT_EQ(r.byteOrder, kLittleEndian);
    ASSERT_EQ(r.PageCount(), 3);
    EXPECT_EQ(Width(r, 0), 3u);
    EXPECT_EQ(Width(r, 1), 5u);
    EXPECT_EQ(Width(r, 2), 7u);
    EXPECT_EQ(r.Entries(0).size(), 12u);
}

TEST(TiffReader, BigEndianEntriesEqualTheirLittleEndianTwin)
{
    TempDir dir;
    for (bool big : {false, true}) {
        TiffBuilder b(big);
        const std::uint32_t strip = b.AddBlob({1, 2, 3, 4});
        auto entries = GreyPage(2, 2, strip, 4);
        entries.push_back(Ascii(305, "ab"));         // inline bytes
        entries.push_back(Shorts(65004, {7, 9}));    // inline SHORT pair
        entries.push_back(Shorts(65001, {7}));       // single SHORT
        entries.push_back(Floats(65002, {1.5f}));    // FLOAT, one 32-bit field
        entries.push_back(Shorts(65003, {1, 2, 3})); // offset
        b.SetFirst(b.AddDirectory(entries));
        b.Save(dir / (big ? "be.tif" : "le.tif"));
    }
    TiffReader le(dir / "le.tif");
    TiffReader be(dir / "be.tif");
    EXPECT_EQ(be.byteOrder, kBigEndian);
    ASSERT_EQ(le.PageCount(), 1);
    ASSERT_EQ(be.PageCount(), 1);
    const auto a = le.Entries(0);
    const auto b = be.Entries(0);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].tag, b[i].tag);
        EXPECT_EQ(a[i].type, b[i].type);
        EXPECT_EQ(a[i].count, b[i].count);
        EXPECT_EQ(a[i].value, b[i].value) << "tag " << a[i].tag;
    }
    EXPECT_EQ(b[12].value, std::uint32_t('a') | std::uint32_t('b') << 8);
    EXPECT_EQ(b[13].value, 7u | 9u << 16);
    EXPECT_EQ(b[14].value & 0xFFFF, 7u);
}

TEST(TiffReader, AnyMarkButIIReadsBigEndianAndTheVersionIsNotChecked)
{
    TempDir dir;
    TiffBuilder b(true, 1234);
    const std::uint32_t strip = b.AddBlob({9});
    b.SetFirst(b.AddDirectory(GreyPage(1, 1, strip, 1)));
    for (auto mark : {std::pair<char, char>{'M', 'M'}, {0x49, 0x69}, {0, 0}}) {
        b.bytes[0] = static_cast<std::uint8_t>(mark.first);
        b.bytes[1] = static_cast<std::uint8_t>(mark.second);
        b.Save(dir / "m.tif");
        TiffReader r(dir / "m.tif");
        EXPECT_EQ(r.byteOrder, kBigEndian);
        EXPECT_EQ(r.PageCount(), 1);
    }
}

TEST(TiffReader, FilesWithoutPages)
{
    TempDir dir;
    EXPECT_EQ(TiffReader(dir / "missing.tif").PageCount(), 0);
    SaveBytes(dir / "empty.tif", {});
    EXPECT_EQ(TiffReader(dir / "empty.tif").PageCount(), 0);
    SaveBytes(dir / "two.tif", {'I', 'I'});
    EXPECT_EQ(TiffReader(dir / "two.tif").PageCount(), 0);
    EXPECT_EQ(TiffReader(dir.path).PageCount(), 0); // a folder

    // BigTIFF: version 43, 64-bit offsets; read as a file without pages.
    std::vector<std::uint8_t> big = {'I', 'I', 43, 0, 8, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
    big.resize(64, 0);
    big[16] = 1; // something that would parse as a directory
    SaveBytes(dir / "big.tif", big);
    EXPECT_EQ(TiffReader(dir / "big.tif").PageCount(), 0);

    // A first directory offset of 0, or one inside the header.
    TiffBuilder b = ChainOf({4});
    b.SetFirst(0);
    b.Save(dir / "zero.tif");
    EXPECT_EQ(TiffReader(dir / "zero.tif").PageCount(), 0);
    b.SetFirst(2);
    b.Save(dir / "header.tif");
    EXPECT_EQ(TiffReader(dir / "header.tif").PageCount(), 0);
}

TEST(TiffReader, LoopsEndAtTheDirectoryAlreadyRead)
{
    TempDir dir;
    TiffBuilder self = ChainOf({4});
    const std::uint32_t first = 8 + 4;
    self.Link(first, first);
    self.Save(dir / "self.tif");
    EXPECT_EQ(TiffReader(dir / "self.tif").PageCount(), 1);

    TiffBuilder back = ChainOf({4, 6, 8});
    back.Save(dir / "back.tif");
    {
        TiffReader r(dir / "back.tif");
        ASSERT_EQ(r.PageCount(), 3);
    }
    // Point the third directory back at the second.
    const std::uint32_t d1 = back.bytes[4] | back.bytes[5] << 8;
    const std::uint32_t d2 = back.bytes[back.NextField(d1)] | back.bytes[back.NextField(d1) + 1] << 8;
    const std::uint32_t d3 = back.bytes[back.NextField(d2)] | back.bytes[back.NextField(d2) + 1] << 8;
    back.Link(d3, d2);
    back.Save(dir / "back.tif");
    EXPECT_EQ(TiffReader(dir / "back.tif").PageCount(), 3);
}

TEST(TiffReader, DirectoriesMayNotOverlap)
{
    TempDir dir;
    TiffBuilder b = ChainOf({4});
    const std::uint32_t d1 = 12;
    // The next directory starts inside the first one's entries.
    b.Link(d1, d1 + 14);
    b.Save(dir / "overlap.tif");
    EXPECT_EQ(TiffReader(dir / "overlap.tif").PageCount(), 1);
}

// A directory the file cuts short is a page, counted, and damaged: the
// entries past the end would be lost from its copy.
TEST(TiffReader, TruncatedDirectoryIsADamagedPage)
{
    TempDir dir;
    TiffBuilder b = ChainOf({4, 6});
    const std::uint32_t d1 = 12;
    const std::uint32_t d2 = b.bytes[b.NextField(d1)] | b.bytes[b.NextField(d1) + 1] << 8;
    // End the file in the middle of the second directory's sixth entry.
    b.bytes.resize(d2 + 2 + 12 * 5 + 7);
    b.Save(dir / "cut.tif");
    TiffReader r(dir / "cut.tif");
    ASSERT_EQ(r.PageCount(), 2);
    EXPECT_EQ(r.Entries(1).size(), 5u);
    EXPECT_EQ(Width(r, 1), 6u);
    EXPECT_EQ(r.Damage(0), nullptr);
    EXPECT_STREQ(r.Damage(1), "directory cut short by the end of the file");
    // One directory read by itself keeps the entries read in full.
    IfdRecord record;
    EXPECT_FALSE(record.Read(r.stream, d2 + 2, 12, kLittleEndian));
    EXPECT_EQ(record.entries.size(), 5u);
    record.Clear();
    EXPECT_TRUE(record.entries.empty());

    // A huge entry count in a small file holds only what the file has.
    TiffBuilder h;
    h.SetFirst(8);
    h.Put16(65535);
    h.bytes.resize(8 + 2 + 12 * 3);
    h.Save(dir / "count.tif");
    TiffReader c(dir / "count.tif");
    ASSERT_EQ(c.PageCount(), 1);
    EXPECT_EQ(c.Entries(0).size(), 3u);
    EXPECT_STREQ(c.Damage(0), "directory cut short by the end of the file");
}

TEST(TiffReader, AChainRunningBackwardsThroughTheFileIsReadInLinearTime)
{
    // A million empty directories, each pointing at the one just before it
    // in the file. Keeping the directories read in a sorted array made every
    // one of them move the whole array: hours for a 6 MB file.
    TempDir dir;
    constexpr std::uint32_t kCount = 1000000;
    TiffBuilder b;
    b.SetFirst(8 + 6 * (kCount - 1));
    for (std::uint32_t k = 0; k < kCount; ++k) {
        b.Put16(0);
        b.Put32(k == 0 ? 0 : 8 + 6 * (k - 1));
    }
    b.Save(dir / "backwards.tif");
    EXPECT_TRUE(FinishesWithin(60, [&] { return TiffReader(dir / "backwards.tif").PageCount() == int(kCount); }));
}

} // namespace
} // namespace stavren::test
