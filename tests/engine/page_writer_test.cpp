// The page writer: byte-exact layout of written pages, and what is carried,
// converted or left out.

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "engine/byte_order.h"
#include "engine/output_file.h"
#include "engine/tiff_reader.h"
#include "engine/tiff_types.h"
#include "tests/engine/test_support.h"
#include "tests/engine/tiff_builder.h"

namespace stavren::test {
namespace {

std::uint32_t At32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return Load32(b.data() + at, kLittleEndian);
}
std::uint16_t At16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return Load16(b.data() + at, kLittleEndian);
}

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(seed + i * 7);
    return v;
}

// Writes the given pages of `source` into `output` as one file.
bool WriteAll(const std::string& source, const std::string& output, std::uint32_t order = kLittleEndian)
{
    TiffReader reader(source);
    OutputFile out(output);
    WriteFileHeader(out, order);
    bool ok = true;
    for (std::int32_t i = 0; i < reader.PageCount(); ++i)
        ok = reader.WritePage(out, i, i + 1 == reader.PageCount(), order) && ok;
    return out.Close() && ok;
}

// The output's entries of the directory at `dir`, by tag.
struct Entry {
    std::uint16_t type;
    std::uint32_t count, value;
};
std::map<std::uint16_t, Entry> EntriesAt(const std::vector<std::uint8_t>& b, std::uint32_t dir)
{
    std::map<std::uint16_t, Entry> m;
    const std::uint16_t n = At16(b, dir);
    for (std::uint16_t i = 0; i < n; ++i) {
        const std::size_t e = dir + 2 + 12u * i;
        m[At16(b, e)] = {At16(b, e + 2), At32(b, e + 4), At32(b, e + 8)};
    }
    return m;
}

TEST(PageWriter, LaysOutTheWorkedExampleByteForByte)
{
    TempDir dir;
    TiffBuilder b;
    const std::vector<std::uint8_t> strip = Pattern(1001, 3);
    // Directory first, the strip after it, as many writers do not.
    const std::uint32_t d = b.AddDirectory(GreyPage(1001, 1, 0, 1001));
    b.SetFirst(d);
    const std::uint32_t s = b.AddBlob(strip);
    b.Set32(d + 2 + 12 * 5 + 8, s);
    b.Save(dir / "in.tif");

    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    ASSERT_EQ(out.size(), 1176u);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 8),
              (std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}));
    EXPECT_EQ(At16(out, 8), 12);
    auto e = EntriesAt(out, 8);
    EXPECT_EQ(e[273].type, tiff_type::kLong);
    EXPECT_EQ(e[273].value, 158u);
    EXPECT_EQ(e[282].value, 1160u);
    EXPECT_EQ(e[283].value, 1168u);
    EXPECT_EQ(At32(out, 154), 0u); // the only page ends the chain
    EXPECT_TRUE(std::equal(strip.begin(), strip.end(), out.begin() + 158));
    EXPECT_EQ(out[1159], 0);
    EXPECT_EQ(At32(out, 1160), 72u);
    EXPECT_EQ(At32(out, 1164), 1u);
}

TEST(PageWriter, ChainsPagesAtTheirEvenEnds)
{
    TempDir dir;
    TiffBuilder b;
    std::uint32_t previous = 0;
    for (std::uint32_t w : {5u, 8u, 3u}) {
        const std::uint32_t s = b.AddBlob(Pattern(w, 1));
        const std::uint32_t d = b.AddDirectory(GreyPage(w, 1, s, w));
        if (previous == 0)
            b.SetFirst(d);
        else
            b.Link(previous, d);
        previous = d;
    }
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    // Page 1 at 8: 158 + even(5) + 16 = 180; page 2: 180 + 150 + 8 + 16 = 354.
    EXPECT_EQ(At32(out, 154), 180u);
    EXPECT_EQ(At32(out, 180 + 146), 354u);
    EXPECT_EQ(At32(out, 354 + 146), 0u);
    EXPECT_EQ(out.size(), 354u + 150 + 4 + 16);
    const DecodedFile got = ReadTiff(dir / "out.tif");
    EXPECT_TRUE(got.errors.empty() && got.warnings.empty());
    EXPECT_EQ(got.pages.size(), 3u);
}

TEST(PageWriter, SeveralStripsFollowTheValueDataBackToBack)
{
    TempDir dir;
    TiffBuilder b;
    const auto s0 = Pattern(10, 1), s1 = Pattern(20, 2), s2 = Pattern(31, 3);
    const std::uint32_t o0 = b.AddBlob(s0), o1 = b.AddBlob(s1), o2 = b.AddBlob(s2);
    std::vector<RawEntry> entries = {Longs(256, {61}),  Longs(257, {1}),   Shorts(258, {8}),
                                     Shorts(259, {1}),  Shorts(262, {1}),  Shorts(273, {o0, o1, o2}),
                                     Shorts(277, {1}),  Longs(278, {1}),   Shorts(279, {10, 20, 31}),
                                     Ascii(305, "abc"), Ascii(270, "abcd")};
    b.SetFirst(b.AddDirectory(entries));
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    auto e = EntriesAt(out, 8);
    const std::uint32_t dataStart = 8 + 2 + 12 * 11 + 4;                           // 146
    EXPECT_EQ(e[273].type, tiff_type::kLong);                                      // SHORT offsets become LONG
    EXPECT_EQ(e[273].value, dataStart);                                            // 3 new offsets, 12 bytes
    EXPECT_EQ(e[279].value, dataStart + 12);                                       // 3 SHORT counts, 6 bytes
    EXPECT_EQ(e[305].value & 0xFFFFFF, std::uint32_t('a' | 'b' << 8 | 'c' << 16)); // 4 bytes: inline
    EXPECT_EQ(e[270].value, dataStart + 18);                                       // 5 bytes: out of line
    const std::uint32_t S = dataStart + 18 + 6;                                    // 5 bytes + pad byte
    EXPECT_EQ(out[dataStart + 18 + 5], 0);
    EXPECT_EQ(At32(out, dataStart), S);
    EXPECT_EQ(At32(out, dataStart + 4), S + 10);
    EXPECT_EQ(At32(out, dataStart + 8), S + 30);
    EXPECT_TRUE(std::equal(s2.begin(), s2.end(), out.begin() + S + 30));
    EXPECT_EQ(out.size(), S + 61 + 1); // 61 bytes of strips, one pad byte
}

TEST(PageWriter, BigEndianSourceComesOutLittleEndianWithTheSameValues)
{
    TempDir dir;
    TiffBuilder b(true);
    const auto strip = Pattern(6, 9);
    const std::uint32_t s = b.AddBlob(strip);
    auto entries = GreyPage(3, 2, s, 6);
    entries[5] = Shorts(273, {s}); // SHORT strip offset
    entries.push_back(Ascii(305, "ab"));
    entries.push_back(Shorts(65001, {7, 9}));
    entries.push_back(Shorts(65002, {1, 2, 3}));
    entries.push_back(Floats(65003, {1.5f}));
    entries.push_back(Doubles(65004, {28.5, -3.25}));
    entries.push_back(Longs(65005, {0x01020304, 5}));
    entries.push_back(Bytes(65006, tiff_type::kUndefined, {1, 2, 3, 4, 5, 6, 7}));
    // Byte streams that writers declare LONG: IPTC, and Photoshop's
    // resources inline. Their bytes are no numbers to turn.
    const std::vector<std::uint8_t> iptc = {0x1C, 2, 0, 0, 2, 0, 4, 0x1C, 2, 5, 0, 1};
    RawEntry iptcEntry = Bytes(tiff_tag::kIptc, tiff_type::kLong, iptc);
    iptcEntry.count = 3;
    RawEntry photoshop = Bytes(tiff_tag::kPhotoshop, tiff_type::kLong, {'8', 'B', 'I', 'M'});
    photoshop.count = 1;
    entries.push_back(iptcEntry);
    entries.push_back(photoshop);
    b.SetFirst(b.AddDirectory(entries));
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    ASSERT_EQ(out[0], 'I');
    auto e = EntriesAt(out, 8);
    EXPECT_EQ(e[273].type, tiff_type::kLong);
    EXPECT_TRUE(std::equal(strip.begin(), strip.end(), out.begin() + e[273].value));
    EXPECT_EQ(e[305].value, std::uint32_t('a' | 'b' << 8));
    EXPECT_EQ(e[65001].value, 7u | 9u << 16);
    EXPECT_EQ(At16(out, e[65002].value + 4), 3);
    float f;
    std::uint32_t bits = e[65003].value;
    std::memcpy(&f, &bits, 4);
    EXPECT_EQ(f, 1.5f);
    double d;
    std::memcpy(&d, out.data() + e[65004].value + 8, 8);
    EXPECT_EQ(d, -3.25);
    EXPECT_EQ(At32(out, e[65005].value), 0x01020304u);
    EXPECT_EQ(out[e[65006].value + 6], 7);
    EXPECT_EQ(e[tiff_tag::kIptc].type, tiff_type::kLong);
    EXPECT_TRUE(std::equal(iptc.begin(), iptc.end(), out.begin() + e[tiff_tag::kIptc].value));
    EXPECT_EQ(e[tiff_tag::kPhotoshop].value, Load32(reinterpret_cast<const unsigned char*>("8BIM"), kLittleEndian));
    EXPECT_EQ(e[282].value % 2, 0u);
    EXPECT_EQ(At32(out, e[282].value), 72u);
}

TEST(PageWriter, WritesBigEndianWhenAsked)
{
    TempDir dir;
    PageSpec spec;
    spec.width = 9;
    spec.height = 5;
    spec.rowsPerStrip = 2;
    spec.extraTags = true;
    WriteTiff(dir / "in.tif", {spec});
    TiffReader reader(dir / "in.tif");
    OutputFile out(dir / "out.tif");
    WriteFileHeader(out, kBigEndian);
    ASSERT_TRUE(reader.WritePage(out, 0, true, kBigEndian));
    ASSERT_TRUE(out.Close());
    const DecodedFile source = ReadTiff(dir / "in.tif");
    const DecodedFile got = ReadTiff(dir / "out.tif");
    EXPECT_TRUE(got.bigEndian);
    EXPECT_TRUE(NewMessages(source, got).empty());
    ASSERT_EQ(got.pages.size(), 1u);
    EXPECT_EQ(got.pages[0], source.pages[0]);
}

// The free space of the old file is the one thing left out of a copy; an
// entry that might point into the old file and cannot be followed (an
// unknown type, a directory named by a 64-bit offset) makes the page
// damaged rather than vanish from it.
TEST(PageWriter, LeavesOutOnlyTheFreeSpaceOfTheSource)
{
    TempDir dir;
    TiffBuilder b;
    const std::uint32_t s = b.AddBlob(Pattern(4, 1));
    const std::uint32_t junk = b.AddBlob(Pattern(40, 2));
    auto entries = GreyPage(4, 1, s, 4);
    entries.push_back(Longs(tiff_tag::kFreeOffsets, {junk}));
    entries.push_back(Longs(tiff_tag::kFreeByteCounts, {40}));
    entries.push_back(Longs(65012, {1})); // kept
    b.SetFirst(b.AddDirectory(entries));
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    auto e = EntriesAt(LoadBytes(dir / "out.tif"), 8);
    for (std::uint16_t tag : {tiff_tag::kFreeOffsets, tiff_tag::kFreeByteCounts})
        EXPECT_EQ(e.count(tag), 0u) << tag;
    EXPECT_EQ(e.count(65012), 1u);
    EXPECT_EQ(e.size(), 13u);

    for (const RawEntry& bad : {Field(65010, 99, 10, junk), Field(65011, tiff_type::kIfd8, 1, junk)}) {
        TiffBuilder d;
        const std::uint32_t strip = d.AddBlob(Pattern(4, 1));
        auto page = GreyPage(4, 1, strip, 4);
        page.push_back(bad);
        d.SetFirst(d.AddDirectory(page));
        d.Save(dir / "in.tif");
        TiffReader reader(dir / "in.tif");
        OutputFile out(dir / "out.tif");
        WriteFileHeader(out, kLittleEndian);
        EXPECT_FALSE(reader.WritePage(out, 0, true, kLittleEndian)) << bad.tag;
        EXPECT_EQ(out.Position(), 8u) << bad.tag;
        EXPECT_NE(reader.Refusal().find("tag " + std::to_string(bad.tag)), std::string::npos) << reader.Refusal();
        // A write that fails leaves no reason of the page refused before.
        out.Fail();
        EXPECT_FALSE(reader.WritePage(out, 0, true, kLittleEndian));
        EXPECT_EQ(reader.Refusal(), "") << bad.tag;
    }
}

// An old-style JPEG page: interchange stream and tables, in a page of two strips.
TEST(PageWriter, CarriesTheInterchangeStreamAndOldJpegTables)
{
    TempDir dir;
    for (bool big : {false, true}) {
        TiffBuilder b(big);
        const auto stream = Pattern(33, 5);
        const auto q0 = Pattern(64, 1), q1 = Pattern(64, 2);
        std::vector<std::uint8_t> huff(16, 0);
        huff[0] = 2;
        huff[3] = 1;
        for (int i = 0; i < 3; ++i)
            huff.push_back(static_cast<std::uint8_t>(0xA0 + i));
        const auto s0 = Pattern(12, 7), s1 = Pattern(12, 8);
        const std::uint32_t os = b.AddBlob(stream), oq0 = b.AddBlob(q0), oq1 = b.AddBlob(q1);
        const std::uint32_t oh = b.AddBlob(huff), o0 = b.AddBlob(s0), o1 = b.AddBlob(s1);
        std::vector<RawEntry> entries = {Longs(256, {4}),  Longs(257, {2}),     Shorts(258, {8, 8, 8}),
                                         Shorts(259, {6}), Shorts(262, {6}),    Longs(273, {o0, o1}),
                                         Shorts(277, {3}), Longs(278, {1}),     Longs(279, {12, 12}),
                                         Longs(513, {os}), Longs(514, {33}),    Longs(519, {oq0, oq1}),
                                         Longs(520, {oh}), Longs(521, {oh, oh})};
        b.SetFirst(b.AddDirectory(entries));
        b.Save(dir / "in.tif");
        ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
        const auto out = LoadBytes(dir / "out.tif");
        auto e = EntriesAt(out, 8);
        EXPECT_TRUE(std::equal(stream.begin(), stream.end(), out.begin() + e[513].value));
        EXPECT_EQ(e[514].value, 33u);
        EXPECT_TRUE(std::equal(q0.begin(), q0.end(), out.begin() + At32(out, e[519].value)));
        EXPECT_TRUE(std::equal(q1.begin(), q1.end(), out.begin() + At32(out, e[519].value + 4)));
        EXPECT_TRUE(std::equal(huff.begin(), huff.end(), out.begin() + e[520].value));
        EXPECT_TRUE(std::equal(huff.begin(), huff.end(), out.begin() + At32(out, e[521].value + 4)));
        EXPECT_TRUE(std::equal(s1.begin(), s1.end(), out.begin() + At32(out, e[273].value + 4)));
        // Nothing points back into the source's layout.
        EXPECT_NE(e[513].value, os);
    }
}

TEST(PageWriter, InterchangeStreamInsideTheSingleStripPointsIntoItsCopy)
{
    TempDir dir;
    TiffBuilder b;
    const auto strip = Pattern(50, 4);
    const std::uint32_t s = b.AddBlob(strip);
    auto entries = GreyPage(50, 1, s, 50);
    entries.push_back(Longs(513, {s + 10}));
    entries.push_back(Longs(514, {20}));
    b.SetFirst(b.AddDirectory(entries));
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    auto e = EntriesAt(out, 8);
    EXPECT_EQ(e[513].value, e[273].value + 10);
    EXPECT_EQ(out.size(), 8 + 2 + 12 * 14 + 4 + 50 + 16u); // the stream is not copied twice
}

// The stream holds the strip: header and tables first, then the scan data
// the strip points into. Both are carried, and the page is not taken for
// one that claims more data than its file holds.
TEST(PageWriter, InterchangeStreamHoldingTheStripIsCarriedWhole)
{
    TempDir dir;
    TiffBuilder b;
    constexpr std::uint32_t kScan = 2u << 20; // the copy takes twice its file
    const auto stream = Pattern(kScan + 20, 6);
    const std::uint32_t at = b.AddBlob(stream);
    auto entries = GreyPage(kScan, 1, at + 20, kScan);
    entries.push_back(Longs(513, {at}));
    entries.push_back(Longs(514, {kScan + 20}));
    b.SetFirst(b.AddDirectory(entries));
    b.Save(dir / "in.tif");
    ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));
    const auto out = LoadBytes(dir / "out.tif");
    auto e = EntriesAt(out, 8);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), out.begin() + e[513].value));
    EXPECT_TRUE(std::equal(stream.begin() + 20, stream.end(), out.begin() + e[273].value));

    // A stream that lies in a sub-image's 16-bit strip of a big-endian file
    // keeps its own bytes, not those samples turned to little-endian.
    TiffBuilder big(true);
    const auto samples = Pattern(32, 9);
    const std::uint32_t wide = big.AddBlob(samples);
    auto sub = GreyPage(4, 4, wide, 32);
    sub[2] = Shorts(258, {16});
    const std::uint32_t subImage = big.AddDirectory(sub);
    auto page = GreyPage(4, 4, big.AddBlob(Pattern(16, 3)), 16);
    page.push_back(Field(330, tiff_type::kIfd, 1, subImage));
    page.push_back(Longs(513, {wide + 4}));
    page.push_back(Longs(514, {16}));
    big.SetFirst(big.AddDirectory(page));
    big.Save(dir / "big.tif");
    ASSERT_TRUE(WriteAll(dir / "big.tif", dir / "big-out.tif"));
    const auto bigOut = LoadBytes(dir / "big-out.tif");
    auto be = EntriesAt(bigOut, 8);
    EXPECT_TRUE(std::equal(samples.begin() + 4, samples.begin() + 20, bigOut.begin() + be[513].value));
}

TEST(PageWriter, CarriesExifGpsAndInteroperabilityDirectories)
{
    TempDir dir;
    for (bool big : {false, true}) {
        TiffBuilder b(big);
        const auto strip = Pattern(16, 2);
        const std::uint32_t s = b.AddBlob(strip);
        const std::uint32_t interop = b.AddDirectory({Ascii(1, "R98"), Bytes(2, 7, {'0', '1', '0', '0'})});
        const std::uint32_t exif = b.AddDirectory(
            {Rationals(33434, {{1, 4}}), Bytes(37510, 7, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'e', 'l', 'l', 'o'}),
             Field(40965, tiff_type::kLong, 1, interop)});
        const std::uint32_t gps =
            b.AddDirectory({Bytes(0, 1, {2, 3, 0, 0}), Ascii(1, "N"), Rationals(2, {{51, 1}, {30, 1}, {1234, 100}})});
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(Field(34665, tiff_type::kLong, 1, exif));
        entries.push_back(Field(34853, tiff_type::kIfd, 1, gps));
        b.SetFirst(b.AddDirectory(entries));
        b.Save(dir / "in.tif");
        ASSERT_TRUE(WriteAll(dir / "in.tif", dir / "out.tif"));

        const DecodedFile source = ReadTiff(dir / "in.tif");
        const DecodedFile got = ReadTiff(dir / "out.tif");
        EXPECT_TRUE(NewMessages(source, got).empty());
        ASSERT_EQ(got.pages.size(), 1u);
        EXPECT_EQ(got.pages[0].exposure, 0.25);
        EXPECT_EQ(got.pages[0].userComment.substr(8), "hello");
        EXPECT_EQ(got.pages[0].gpsVersion, (std::vector<std::uint8_t>{2, 3, 0, 0}));
        EXPECT_EQ(got.pages[0].gpsLatitude, (std::vector<double>{51, 30, 12.34}));
        EXPECT_EQ(got.pages[0], source.pages[0]);

        // The Interoperability directory inside EXIF came along too.
        const auto out = LoadBytes(dir / "out.tif");
        const std::uint32_t newExif = EntriesAt(out, 8)[34665].value;
        const std::uint32_t newInterop = EntriesAt(out, newExif)[40965].value;
        auto i = EntriesAt(out, newInterop);
        EXPECT_EQ(i[1].value, std::uint32_t('R' | '9' << 8 | '8' << 16));
        EXPECT_EQ(At32(out, newInterop + 2 + 12 * 2), 0u);
    }
}

TEST(PageWriter, ADamagedPageIsNotWrittenAtAll)
{
    TempDir dir;
    const std::vector<std::vector<RawEntry>> damaged = {
        GreyPage(4, 1, 4000, 4),                                             // strip past the end
        GreyPage(4, 1, 8, 0xFFFFFFF0u),                                      // strip longer than the file
        {Longs(256, {4}), Field(270, tiff_type::kAscii, 0xFFFFFFFFu, 8)},    // value count
        {Longs(256, {4}), Field(282, tiff_type::kRational, 1, 0xFFFFFF00u)}, // value offset
        {Longs(256, {4}), Field(273, tiff_type::kLong, 0xFFFFFFFFu, 8)},     // strip count
        {Longs(256, {4}), Field(34665, tiff_type::kLong, 1, 0xFFFF0000u)},   // EXIF outside
    };
    for (std::size_t k = 0; k < damaged.size(); ++k) {
        TiffBuilder b;
        b.bytes.resize(64, 0);
        b.SetFirst(b.AddDirectory(damaged[k]));
        b.Save(dir / "in.tif");
        TiffReader reader(dir / "in.tif");
        ASSERT_EQ(reader.PageCount(), 1);
        OutputFile out(dir / "out.tif");
        WriteFileHeader(out, kLittleEndian);
        EXPECT_FALSE(reader.WritePage(out, 0, true, kLittleEndian)) << k;
        EXPECT_EQ(out.Position(), 8u) << k;
    }
}

TEST(PageWriter, AnOutputThatWouldPassItsOffsetLimitFailsCleanly)
{
    TempDir dir;
    TiffBuilder b;
    const std::uint32_t s = b.AddBlob(Pattern(1001, 3));
    b.SetFirst(b.AddDirectory(GreyPage(1001, 1, s, 1001)));
    b.Save(dir / "in.tif");
    TiffReader reader(dir / "in.tif");
    // The same check guards the 4 GiB limit of real outputs.
    OutputFile out(dir / "out.tif", false, 1175);
    WriteFileHeader(out, kLittleEndian);
    EXPECT_FALSE(reader.WritePage(out, 0, true, kLittleEndian));
    EXPECT_EQ(out.Position(), 8u);
    OutputFile fits(dir / "fits.tif", false, 1176);
    WriteFileHeader(fits, kLittleEndian);
    EXPECT_TRUE(reader.WritePage(fits, 0, true, kLittleEndian));
    EXPECT_TRUE(fits.Close());
    EXPECT_EQ(OutputFile::kMaxSize, 0xFFFFFFFFull);
}

} // namespace
} // namespace stavren::test
