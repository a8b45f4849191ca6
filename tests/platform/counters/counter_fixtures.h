#pragma once
// Files for the counter tests: TIFF files written with libtiff (and then
// damaged on purpose), PDF files written with qpdf.

#include <QString>

#include <cstdint>

namespace counter_test {

// A TIFF file of `pages` small grey pages. mode: "w" little-endian,
// "wb" big-endian, "w8" BigTIFF.
bool WriteTiff(const QString& path, int pages, const char* mode = "w");

// Offsets of the image directories of a little-endian classic TIFF file,
// in chain order (stops at 64).
std::vector<std::uint32_t> DirectoryOffsets(const QString& path);

// Points the next-directory field of the directory at `dir` to `target`.
bool LinkDirectory(const QString& path, std::uint32_t dir, std::uint32_t target);

// Cuts the file to `size` bytes.
bool Truncate(const QString& path, qint64 size);

bool WriteText(const QString& path, const QByteArray& bytes);

// A PDF file of `pages` empty pages.
bool WritePdf(const QString& path, int pages);

} // namespace counter_test
