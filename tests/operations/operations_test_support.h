#pragma once
// Shared set-up of the operations tests: a Qt application object, the error-log lines, and small
// multi-page TIFF files made with libtiff.

#include "tests/platform/com/temp_home.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <tiffio.h>

#include <vector>

// One QApplication for the whole test program (offscreen platform).
inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "operations_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// The lines of Errors.Log in `folder` (line ends removed); empty when missing.
inline QStringList ErrorLogLines(const QString& folder)
{
    QFile file(folder + "/Errors.Log");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    QStringList lines = text.split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Writes a TIFF file whose page i is an 8-bit grey image of width
// widths[i] and height 4, so pages can be told apart by their widths.
inline bool WriteTiff(const QString& path, const std::vector<int>& widths)
{
    TIFF* tif = TIFFOpen(path.toUtf8().constData(), "w");
    if (!tif)
        return false;
    for (int width : widths) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
        std::vector<unsigned char> row(static_cast<size_t>(width), static_cast<unsigned char>(width));
        for (int y = 0; y < 4; ++y)
            if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) < 0) {
                TIFFClose(tif);
                return false;
            }
        if (!TIFFWriteDirectory(tif)) {
            TIFFClose(tif);
            return false;
        }
    }
    TIFFClose(tif);
    return true;
}

// The page widths of a TIFF file, in order; empty when it cannot be read.
inline std::vector<int> TiffPageWidths(const QString& path)
{
    std::vector<int> widths;
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.toUtf8().constData(), "r");
    if (!tif)
        return widths;
    do {
        uint32_t w = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        widths.push_back(static_cast<int>(w));
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return widths;
}
