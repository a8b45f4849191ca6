#pragma once
// PdfToImageConverter: the pages of a PDF to image files through the outside
// pdfimg library (pdf_libraries.h). Nothing in the programs creates it.

#include <QString>

#include <cstdint>

class PdfToImageConverter {
public:
    // Converts every page of strPDF into a folder named after the PDF (its
    // name without extension) under outputFolder. With highQuality the
    // extra rendering properties are set as well.
    bool ConvertPDFToImage(const QString& strPDF, const QString& outputFolder, bool highQuality = false);
};
