#include "counter_fixtures.h"

#include <QFile>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <tiffio.h>

#include "tests/engine/tiff_builder.h"

#include <algorithm>
#include <vector>

namespace counter_test {

bool WriteTiff(const QString& path, int pages, const char* mode)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode);
    if (!tif)
        return false;
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
            for (std::uint32_t x = 0; x < w; ++x)
                row[x] = static_cast<std::uint8_t>(x * 16 + y + p);
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

bool WriteTagBomb(const QString& path, int directories, int tags, std::uint32_t tagBytes, bool image)
{
    using namespace stavren::test;
    TiffBuilder b;
    std::vector<RawEntry> entries;
    // The block every tag names lies after all the directories.
    const int imageEntries = image ? 9 : 0;
    const std::uint32_t block = 8 + directories * (2 + 12 * (tags + imageEntries) + 4) + 16;
    if (image)
        entries = {Longs(256, {4}),     Longs(257, {4}),  Shorts(258, {8}), Shorts(259, {1}), Shorts(262, {1}),
                   Longs(273, {block}), Shorts(277, {1}), Longs(278, {4}),  Longs(279, {16})};
    for (int t = 0; t < tags; ++t)
        entries.push_back(Field(static_cast<std::uint16_t>(65000 + t), 7, tagBytes, block));
    std::uint32_t previous = 0;
    for (int d = 0; d < directories; ++d) {
        const std::uint32_t dir = b.AddDirectory(entries);
        previous == 0 ? b.SetFirst(dir) : b.Link(previous, dir);
        previous = dir;
    }
    if (b.Size() > block)
        return false;
    if (!WriteText(path, QByteArray(reinterpret_cast<const char*>(b.bytes.data()), b.Size())))
        return false;
    QFile f(path);
    return f.resize(qint64(block) + tagBytes);
}

bool WriteEmptyDirectories(const QString& path, int count)
{
    const std::vector<std::uint8_t> bytes = stavren::test::EmptyDirectoryChain(count);
    return WriteText(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

bool WriteText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
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

namespace {

// A PDF file of the given objects (numbered from 1; object 1 the catalog),
// with a correct cross-reference table.
bool WriteRawPdf(const QString& path, const std::vector<QByteArray>& objects)
{
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(qulonglong(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(qulonglong(objects.size() + 1)) + "\n0000000000 65535 f \n";
    for (qsizetype at : offsets)
        pdf += QByteArray::number(qlonglong(at)).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(qulonglong(objects.size() + 1)) + " /Root 1 0 R >>\n";
    pdf += "startxref\n" + QByteArray::number(qlonglong(xref)) + "\n%%EOF\n";
    return WriteText(path, pdf);
}

QByteArray Ref(std::size_t object)
{
    return QByteArray::number(qulonglong(object)) + " 0 R";
}

} // namespace

bool WritePdfTree(const QString& path, const std::vector<int>& fanOut, bool loop)
{
    // Objects: 1 catalog, 2 the root node; then level by level.
    std::vector<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R >>"};
    std::vector<std::size_t> level = {2};
    std::vector<std::vector<std::size_t>> kidsOf(1);
    std::size_t next = 3;
    std::vector<std::pair<std::size_t, std::size_t>> parents; // (object, parent) below the root
    for (std::size_t depth = 0; depth < fanOut.size(); ++depth) {
        std::vector<std::size_t> below;
        for (std::size_t node : level) {
            std::vector<std::size_t> kids;
            for (int k = 0; k < fanOut[depth]; ++k) {
                kids.push_back(next);
                parents.emplace_back(next, node);
                below.push_back(next++);
            }
            kidsOf.resize(std::max(kidsOf.size(), node + 1));
            kidsOf[node] = kids;
        }
        level = below;
    }
    std::vector<QByteArray> body(next, QByteArray());
    std::vector<std::size_t> parentOf(next, 0);
    for (auto [object, parent] : parents)
        parentOf[object] = parent;
    kidsOf.resize(next);
    if (loop && !parents.empty()) {
        // The last node above the pages lists the root as well.
        const std::size_t last = parentOf[parents.back().first];
        kidsOf[last].push_back(2);
    }
    for (std::size_t object = 2; object < next; ++object) {
        if (kidsOf[object].empty() && object != 2) {
            body[object] = "<< /Type /Page /Parent " + Ref(parentOf[object]) + " /MediaBox [0 0 612 792] >>";
            continue;
        }
        QByteArray kids;
        for (std::size_t kid : kidsOf[object])
            kids += Ref(kid) + " ";
        body[object] = "<< /Type /Pages /Kids [" + kids + "] /Count 1"
                       + (object == 2 ? QByteArray() : " /Parent " + Ref(parentOf[object])) + " >>";
    }
    for (std::size_t object = 2; object < next; ++object)
        objects.push_back(body[object]);
    return WriteRawPdf(path, objects);
}

bool WritePdfListingOnePage(const QString& path, int times)
{
    try {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFObjectHandle pages = pdf.getRoot().getKey("/Pages");
        QPDFObjectHandle page =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        page.replaceKey("/Parent", pages);
        pages.replaceKey("/Kids", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>(times, page)));
        pages.replaceKey("/Count", QPDFObjectHandle::newInteger(times));
        const QByteArray name = QFile::encodeName(path);
        QPDFWriter writer(pdf, name.constData());
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.setCompressStreams(true);
        writer.write();
        return true;
    } catch (...) {
        return false;
    }
}

namespace {

// `head`, then `fill` repeated up to `inflated` bytes in all, deflated.
QByteArray Deflated(const QByteArray& head, char fill, std::uint64_t inflated)
{
    Pl_Buffer out("deflated");
    Pl_Flate flate("deflate", &out, Pl_Flate::a_deflate);
    flate.write(reinterpret_cast<const unsigned char*>(head.constData()), std::size_t(head.size()));
    const std::vector<unsigned char> chunk(1u << 20, static_cast<unsigned char>(fill));
    for (std::uint64_t left = inflated - std::min<std::uint64_t>(inflated, std::uint64_t(head.size())); left > 0;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(left, chunk.size()));
        flate.write(chunk.data(), n);
        left -= n;
    }
    flate.finish();
    auto buffer = out.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

// One row of a cross-reference stream with /W [1 4 2].
QByteArray XrefRow(int type, std::uint32_t second, std::uint16_t third)
{
    const char row[7] = {char(type),   char(second >> 24), char(second >> 16), char(second >> 8),
                         char(second), char(third >> 8),   char(third)};
    return QByteArray(row, 7);
}

void AppendStream(QByteArray& pdf, int object, const QByteArray& dictionary, const QByteArray& data)
{
    pdf += QByteArray::number(object) + " 0 obj\n<< " + dictionary + " /Length " + QByteArray::number(data.size())
           + " >>\nstream\n" + data + "\nendstream\nendobj\n";
}

const QByteArray kCatalog = "<< /Type /Catalog /Pages 2 0 R >>";
const QByteArray kPages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
const QByteArray kPage = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";

} // namespace

bool WritePdfObjectStreamBomb(const QString& path, std::uint64_t inflated)
{
    try {
        // Objects 1 to 3 in the object stream 4; 5 is the cross-reference stream.
        const QByteArray bodies = kCatalog + "\n" + kPages + "\n" + kPage + "\n";
        const QByteArray header = "1 0 2 " + QByteArray::number(kCatalog.size() + 1) + " 3 "
                                  + QByteArray::number(kCatalog.size() + kPages.size() + 2) + " ";
        QByteArray pdf = "%PDF-1.5\n";
        const auto stream = std::uint32_t(pdf.size());
        AppendStream(pdf, 4, "/Type /ObjStm /N 3 /First " + QByteArray::number(header.size()) + " /Filter /FlateDecode",
                     Deflated(header + bodies, ' ', inflated));
        const auto xref = std::uint32_t(pdf.size());
        const QByteArray rows = XrefRow(0, 0, 65535) + XrefRow(2, 4, 0) + XrefRow(2, 4, 1) + XrefRow(2, 4, 2)
                                + XrefRow(1, stream, 0) + XrefRow(1, xref, 0);
        AppendStream(pdf, 5, "/Type /XRef /Size 6 /W [1 4 2] /Root 1 0 R", rows);
        pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return WriteText(path, pdf);
    } catch (...) {
        return false;
    }
}

bool WritePdfXrefStreamBomb(const QString& path, std::uint64_t inflated)
{
    try {
        QByteArray pdf = "%PDF-1.5\n";
        QByteArray rows = XrefRow(0, 0, 65535);
        int object = 1;
        for (const QByteArray& body : {kCatalog, kPages, kPage}) {
            rows += XrefRow(1, std::uint32_t(pdf.size()), 0);
            pdf += QByteArray::number(object++) + " 0 obj\n" + body + "\nendobj\n";
        }
        rows += XrefRow(1, std::uint32_t(pdf.size()), 0);
        const auto xref = std::uint32_t(pdf.size());
        AppendStream(pdf, 4, "/Type /XRef /Size 5 /W [1 4 2] /Root 1 0 R /Filter /FlateDecode",
                     Deflated(rows, '\0', inflated));
        pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return WriteText(path, pdf);
    } catch (...) {
        return false;
    }
}

bool WriteSparsePdfWithBrokenXref(const QString& path, std::int64_t size)
{
    const QByteArray head = "%PDF-1.4\n1 0 obj\n" + kCatalog + "\nendobj\n2 0 obj\n" + kPages + "\nendobj\n3 0 obj\n"
                            + kPage + "\nendobj\n";
    const QByteArray tail = "\ntrailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n999999999\n%%EOF\n";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(head) != head.size())
        return false;
    return f.seek(size - tail.size()) && f.write(tail) == tail.size();
}

} // namespace counter_test
