#pragma once
// ImgToPdfConverter: images and TIFF files to PDF through the outside imgpdf
// library (pdf_libraries.h). Nothing in the programs creates it.

#include "operations/cls_col_set_order_grid.h"

#include <QString>

#include <cstdint>

class ImgToPdfConverter {
public:
    std::int16_t FileProccessed = 0;
    RecordCollection colOrderedData;
    QString FileNameToSave;

    // Every record's file, in order, as pages of the PDF FileNameToSave.
    bool MergeConvert_TiffToPdfx();
    // One file to one PDF; false when a name is empty.
    bool Convert_EachTiffToPDFbyOne(const QString& SrcFilePath, const QString& OutputPath);
    // One image to one PDF with up to three document texts (items 3, 2, 1).
    bool ConverImageToPdf(const QString& imagePath, const QString& pdfPath, const QString& text1 = QString(),
                          const QString& text2 = QString(), const QString& text3 = QString());
};
