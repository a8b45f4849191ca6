#pragma once
// Files for the counter tests: TIFF files written with libtiff (and then
// damaged on purpose), PDF files written with qpdf.

#include <QString>

#include <cstdint>
#include <vector>

namespace counter_test {

// A TIFF file of `pages` small grey pages. mode: "w" little-endian,
// "wb" big-endian, "w8" BigTIFF.
bool WriteTiff(const QString& path, int pages, const char* mode = "w");

// A TIFF file of `directories` directories, each with `tags` private tags
// of `tagBytes` bytes that all name one block: a sparse file, `tagBytes`
// long, that takes a few kilobytes of disk. The directories hold no image,
// unless `image` (a 4 x 4 grey image whose strip is the block's start).
bool WriteTagBomb(const QString& path, int directories, int tags, std::uint32_t tagBytes, bool image = false);

// A TIFF file of `count` directories without entries.
bool WriteEmptyDirectories(const QString& path, int count);

bool WriteText(const QString& path, const QByteArray& bytes);

// A PDF file of `pages` empty pages.
bool WritePdf(const QString& path, int pages);

// A PDF file whose page tree has fanOut[0] children under the root, each
// with fanOut[1] children, and so on; the last level are pages. With
// `loop`, the last intermediate node lists the root among its children.
bool WritePdfTree(const QString& path, const std::vector<int>& fanOut, bool loop = false);

// A PDF file whose page tree lists one page `times` times (compressed: a
// few kilobytes).
bool WritePdfListingOnePage(const QString& path, int times);

// A PDF file of one page whose catalog and page tree lie in an object
// stream that inflates to `inflated` bytes (the objects, then blanks):
// about inflated / 1000 bytes on disk.
bool WritePdfObjectStreamBomb(const QString& path, std::uint64_t inflated);

// A PDF file of one page whose cross-reference stream inflates to
// `inflated` bytes (its rows, then zeros).
bool WritePdfXrefStreamBomb(const QString& path, std::uint64_t inflated);

// A sparse PDF file of `size` bytes (a few kilobytes on disk): a page tree
// at its start and, after a hole, a trailer whose cross-reference position
// is wrong, so that the table can only be rebuilt by reading the file.
bool WriteSparsePdfWithBrokenXref(const QString& path, std::int64_t size);

} // namespace counter_test
