#include "counter_fixtures.h"

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <tiffio.h>

#include <vector>

namespace counter_test {

bool WriteTiff(const QString& path, int pages, const char* mode)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode);
    if (!tif) return false;
    const std::uint32_t w = 16, h = 8;
    std::vector<std::uint8_t> row(w);
    for (int p = 0; p < pages; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, p, pages);
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) row[x] = static_cast<std::uint8_t>(x * 16 + y + p);
            if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) {
                TIFFClose(tif);
                return false;
            }
        }
        if (!TIFFWriteDirectory(tif)) {
            TIFFClose(tif);
            return false;
        }
    }
    TIFFClose(tif);
    return true;
}

namespace {

std::uint32_t Le32(const QByteArray& b, qint64 at)
{
    if (at < 0 || at + 4 > b.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::uint16_t Le16(const QByteArray& b, qint64 at)
{
    if (at < 0 || at + 2 > b.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

std::vector<std::uint32_t> DirectoryOffsets(const QString& path)
{
    const QByteArray b = ReadAll(path);
    std::vector<std::uint32_t> dirs;
    std::uint32_t off = Le32(b, 4);
    while (off != 0 && dirs.size() < 64) {
        dirs.push_back(off);
        off = Le32(b, off + 2 + 12 * qint64(Le16(b, off)));
    }
    return dirs;
}

bool LinkDirectory(const QString& path, std::uint32_t dir, std::uint32_t target)
{
    QByteArray b = ReadAll(path);
    const qint64 field = dir + 2 + 12 * qint64(Le16(b, dir));
    if (field + 4 > b.size()) return false;
    for (int i = 0; i < 4; ++i) b[field + i] = static_cast<char>((target >> (8 * i)) & 0xFF);
    return WriteText(path, b);
}

bool Truncate(const QString& path, qint64 size)
{
    QFile f(path);
    return f.resize(size);
}

bool WriteText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

bool WritePdf(const QString& path, int pages)
{
    try {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFPageDocumentHelper doc(pdf);
        for (int i = 0; i < pages; ++i) {
            QPDFObjectHandle page = pdf.makeIndirectObject(
                QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
            doc.addPage(QPDFPageObjectHelper(page), false);
        }
        const QByteArray name = QFile::encodeName(path); // the writer keeps the pointer
        QPDFWriter writer(pdf, name.constData());
        writer.write();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace counter_test
