#include "tests/engine/hostile_files.h"

#include <algorithm>

#include "engine/tiff_types.h"
#include "tests/engine/tiff_builder.h"

namespace stavren::test {

namespace {

// Chains `dirs` in order, the first from the header.
void Chain(TiffBuilder& b, const std::vector<std::uint32_t>& dirs)
{
    b.SetFirst(dirs.front());
    for (std::size_t i = 1; i < dirs.size(); ++i)
        b.Link(dirs[i - 1], dirs[i]);
}

// Three pages; the middle one built from `middle`.
Hostile ThreeWithMiddle(const std::string& name, const std::vector<RawEntry>& middle, bool middleWritable)
{
    TiffBuilder b;
    const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
    Chain(b, {b.AddDirectory(GreyPage(4, 4, s, 16)), b.AddDirectory(middle), b.AddDirectory(GreyPage(4, 4, s, 16))});
    return {name, b.bytes, {true, middleWritable, true}};
}

std::vector<RawEntry> Without(std::vector<RawEntry> entries, std::uint16_t tag)
{
    std::erase_if(entries, [tag](const RawEntry& e) { return e.tag == tag; });
    return entries;
}

} // namespace

std::vector<Hostile> HostileFiles()
{
    std::vector<Hostile> files;
    files.push_back({"empty", {}, {}});
    files.push_back({"two-bytes", {'I', 'I'}, {}});
    files.push_back({"header-only", {'I', 'I', 42, 0, 8, 0, 0, 0}, {}});
    files.push_back({"first-offset-zero", {'I', 'I', 42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}});
    {
        std::vector<std::uint8_t> big = {'M', 'M', 0, 43, 0, 8, 0, 0, 0, 0, 0, 0, 0, 16};
        big.resize(200, 1);
        files.push_back({"bigtiff", big, {}});
    }
    {
        // Version 41 is read like 42.
        TiffBuilder b(false, 41);
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        Chain(b, {b.AddDirectory(GreyPage(4, 4, s, 16)), b.AddDirectory(GreyPage(4, 4, s, 16))});
        files.push_back({"version-41", b.bytes, {true, true}});
    }
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        const std::uint32_t d = b.AddDirectory(GreyPage(4, 4, s, 16));
        b.SetFirst(d);
        b.Link(d, d);
        files.push_back({"self-loop", b.bytes, {true}});
        const std::uint32_t d2 = b.AddDirectory(GreyPage(4, 4, s, 16));
        b.Link(d, d2);
        b.Link(d2, d);
        files.push_back({"loop-back", b.bytes, {true, true}});
        // Cut after the second directory's width and length entries.
        b.bytes.resize(d2 + 30);
        files.push_back({"cut-in-entries", b.bytes, {true, false}});
    }
    {
        // Every image entry is there; the file ends in the last one, a
        // private entry after them.
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        const std::vector<RawEntry> entries = {Longs(256, {4}), Longs(257, {4}), Shorts(258, {8}), Shorts(262, {1}),
                                               Longs(273, {s}), Longs(278, {4}), Longs(279, {16}), Longs(65000, {1})};
        const std::uint32_t d1 = b.AddDirectory(GreyPage(4, 4, s, 16));
        const std::uint32_t d2 = b.AddDirectory(entries);
        Chain(b, {d1, d2});
        b.bytes.resize(d2 + 2 + 12 * entries.size() - 5);
        files.push_back({"cut-in-last-entry", b.bytes, {true, false}});
    }
    {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        const std::uint32_t d1 = b.AddDirectory(GreyPage(4, 4, s, 16));
        const std::uint32_t d2 = b.AddDirectory(GreyPage(4, 4, s, 16));
        const std::uint32_t d3 = b.AddDirectory(GreyPage(4, 4, s, 16));
        Chain(b, {d1, d2, d3});
        b.Link(d3, d1 + 14); // into the middle of the first directory
        files.push_back({"next-into-directory", b.bytes, {true, true, true}});
        b.Link(d3, 0);
        b.Link(d2, b.Size() + 100);
        files.push_back({"next-past-end", b.bytes, {true, true}});
    }
    files.push_back(ThreeWithMiddle("empty-middle-directory", {}, false));
    {
        const std::vector<RawEntry> grey = GreyPage(4, 4, 8, 16); // strip at the header: not read
        files.push_back(ThreeWithMiddle("no-image-length", Without(grey, tiff_tag::kImageLength), false));
        files.push_back(ThreeWithMiddle("no-image-width", Without(grey, tiff_tag::kImageWidth), false));
        files.push_back(ThreeWithMiddle("no-strip-offsets", Without(grey, tiff_tag::kStripOffsets), false));
    }
    {
        // More directories than a 16-bit count, all empty: every one a
        // page, none writable.
        files.push_back({"70000-empty-directories", EmptyDirectoryChain(70000), std::vector<bool>(70000, false)});
    }
    {
        // The strip, after the directory, is cut in half.
        TiffBuilder b;
        const std::uint32_t d = b.AddDirectory(GreyPage(10, 10, 0, 100));
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(100, 9));
        b.Set32(d + 2 + 12 * 5 + 8, s); // StripOffsets
        b.SetFirst(d);
        b.bytes.resize(s + 50);
        files.push_back({"truncated-strip", b.bytes, {false}});
    }
    struct Bad {
        std::string name;
        RawEntry entry;
        bool writable;
    };
    const std::vector<Bad> bad = {
        {"strip-count", Field(273, tiff_type::kLong, 0xFFFFFFFFu, 8), false},
        {"byte-count-count", Field(279, tiff_type::kLong, 0xFFFFFFFFu, 8), false},
        {"ascii-count", Field(270, tiff_type::kAscii, 0xFFFFFFFFu, 8), false},
        {"double-count", Field(33550, tiff_type::kDouble, 0x20000000u, 8), false},
        {"offset-past-end", Field(282, tiff_type::kRational, 1, 0xFFFFFFF0u), false},
        {"exif-self", Field(34665, tiff_type::kLong, 1, 0), false}, // patched to the directory below
        {"exif-outside", Field(34665, tiff_type::kIfd, 1, 0x7FFFFFF0u), false},
        {"sub-image-self", Field(330, tiff_type::kIfd, 1, 0), false}, // patched: the page is its own sub-image
        {"sub-image-outside", Field(330, tiff_type::kIfd, 1, 0x7FFFFFF0u), false},
        {"tables-outside", Field(519, tiff_type::kLong, 3, 0xFFFFFF00u), false},
        {"interchange-outside", Field(513, tiff_type::kLong, 1, 0xFFFFFF00u), false},
        {"tile-count", Field(324, tiff_type::kLong, 0xFFFFFFFFu, 8), false},
    };
    for (const Bad& item : bad) {
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(item.entry);
        const std::uint32_t d = b.AddDirectory(entries);
        if (item.name == "exif-self" || item.name == "sub-image-self")
            b.Set32(d + 2 + 12 * 12 + 8, d);
        // A second, healthy page.
        Chain(b, {d, b.AddDirectory(GreyPage(4, 4, s, 16))});
        files.push_back({item.name, b.bytes, {item.writable, true}});
    }
    {
        // Huffman table counts that add up beyond the file.
        TiffBuilder b;
        const std::uint32_t t = b.AddBlob(std::vector<std::uint8_t>(16, 0xFF));
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        auto entries = GreyPage(4, 4, s, 16);
        entries.push_back(Longs(520, {t}));
        b.SetFirst(b.AddDirectory(entries));
        files.push_back({"huffman-counts", b.bytes, {false}});
    }
    {
        // One page whose 4,096 strips all name one 64 KiB block: 256 MiB
        // from a file of 80 KB, far more than any page of it may carry.
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(64 * 1024, 3));
        const std::vector<std::uint64_t> offsets(4096, s), counts(4096, 64 * 1024);
        std::vector<RawEntry> entries = {Longs(256, {1024}), Longs(257, {256 * 4096}), Shorts(258, {8}),
                                         Shorts(259, {1}),   Shorts(262, {1}),         Longs(273, offsets),
                                         Shorts(277, {1}),   Longs(278, {256}),        Longs(279, counts)};
        b.SetFirst(b.AddDirectory(entries));
        files.push_back({"one-block-repeated", b.bytes, {false}});
    }
    {
        // One page whose 1,900 strips name one 4 KiB block (7.8 MB from a
        // file of 26 KB), followed by 1,100 empty directories: pages that
        // are never written give the one that is no more room.
        TiffBuilder b;
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(4096, 3));
        const std::vector<std::uint64_t> offsets(1900, s), counts(1900, 4096);
        const std::uint32_t d =
            b.AddDirectory({Longs(256, {1024}), Longs(257, {4 * 1900}), Shorts(258, {8}), Shorts(262, {1}),
                            Longs(273, offsets), Longs(278, {4}), Longs(279, counts)});
        std::vector<std::uint32_t> dirs = {d};
        for (int i = 0; i < 1100; ++i)
            dirs.push_back(b.AddDirectory({}));
        Chain(b, dirs);
        files.push_back({"fanout-behind-empty-directories", b.bytes, std::vector<bool>(1101, false)});
    }
    {
        // Three sub-image directories of 65,535 entries, each 12 bytes after
        // the last, so that they overlap but for a few entries: every one of
        // 60 pages names 2.4 MB of directories from a file of 0.8 MB. Their
        // entries are of an unknown type (and their next fields read 0).
        constexpr std::uint32_t kEntries = 65535, kSubImages = 3;
        TiffBuilder b;
        std::vector<std::uint8_t> region(2 + 12 * (kEntries + kSubImages) + 4, 0);
        for (std::uint32_t k = 0; k < kSubImages; ++k)
            region[12 * k] = region[12 * k + 1] = 0xFF;
        const std::uint32_t at = b.AddBlob(region);
        std::vector<std::uint64_t> subImages;
        for (std::uint32_t k = 0; k < kSubImages; ++k)
            subImages.push_back(at + 12 * k);
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        std::vector<std::uint32_t> dirs;
        for (int i = 0; i < 60; ++i) {
            auto entries = GreyPage(4, 4, s, 16);
            entries.push_back(Longs(tiff_tag::kSubIfds, subImages));
            dirs.push_back(b.AddDirectory(entries));
        }
        Chain(b, dirs);
        files.push_back({"overlapping-sub-images", b.bytes, std::vector<bool>(60, false)});
    }
    {
        // 100 such directories, more than a reader keeps: each of the first
        // 100 pages names one of them, each of 500 more the last one, which
        // is read again for every page.
        constexpr std::uint32_t kEntries = 65535, kSubImages = 100;
        TiffBuilder b;
        std::vector<std::uint8_t> region(2 + 12 * (kEntries + kSubImages) + 4, 0);
        for (std::uint32_t k = 0; k < kSubImages; ++k)
            region[12 * k] = region[12 * k + 1] = 0xFF;
        const std::uint32_t at = b.AddBlob(region);
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        std::vector<std::uint32_t> dirs;
        for (std::uint32_t i = 0; i < 600; ++i) {
            auto entries = GreyPage(4, 4, s, 16);
            entries.push_back(Longs(tiff_tag::kSubIfds, {at + 12 * std::min(i, kSubImages - 1)}));
            dirs.push_back(b.AddDirectory(entries));
        }
        Chain(b, dirs);
        files.push_back({"sub-images-beyond-what-is-kept", b.bytes, std::vector<bool>(600, false)});
    }
    {
        // 150 pages naming one EXIF directory of 65,535 entries of an
        // unknown type, which cannot be carried.
        TiffBuilder b;
        std::vector<std::uint8_t> exif(2 + 12 * 65535 + 4, 0);
        exif[0] = exif[1] = 0xFF;
        const std::uint32_t at = b.AddBlob(exif);
        const std::uint32_t s = b.AddBlob(std::vector<std::uint8_t>(16, 9));
        std::vector<std::uint32_t> dirs;
        for (int i = 0; i < 150; ++i) {
            auto entries = GreyPage(4, 4, s, 16);
            entries.push_back(Longs(tiff_tag::kExifIfd, {at}));
            dirs.push_back(b.AddDirectory(entries));
        }
        Chain(b, dirs);
        files.push_back({"shared-exif", b.bytes, std::vector<bool>(150, false)});
    }
    return files;
}

} // namespace stavren::test
