// The PDF and image operations when the outside library is installed but
// refuses the file (its opening function answers handle 0): each answers
// False with one error-log line, and nothing further is asked of the
// library. The refusing stand-ins lie in this test program's own folder.

#include "operations/img_to_pdf_converter.h"
#include "operations/pdf_to_image_converter.h"
#include "operations/tiff_pdf_commands.h"

#include "operations_test_support.h"

#include <QLibrary>

#include <gtest/gtest.h>

namespace {

// The calls the stand-in under `name` has received so far, one per line.
QStringList CallsOf(const char* name)
{
    QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/lib") + QString::fromLatin1(name)
                     + QStringLiteral(".so"));
    using CallsFn = const char* (*)();
    const auto calls = reinterpret_cast<CallsFn>(library.resolve("fakeOutsideCalls"));
    if (!calls)
        return {QStringLiteral("<stand-in not loaded>")};
    return QString::fromLatin1(calls()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class PdfRefusalTest : public DesktopStorageTest {
protected:
    // Exactly one new log line, from `procedure` of `object`, naming the
    // refusing function.
    void ExpectOneLine(const QString& procedure, const QString& object, const QString& function)
    {
        ExpectOneLogLine(procedure, object, "Error 5 (" + function + " refused");
    }
};

TEST_F(PdfRefusalTest, EveryOperationAnswersFalseWithOneLogLine)
{
    const QString out = home.path() + QStringLiteral("/out.pdf");
    TiffPdfCommands f;
    f.FileNameToSave = out;
    f.colOrderedData = {FileRecord(home.path(), QStringLiteral("a.pdf")),
                        FileRecord(home.path(), QStringLiteral("b.pdf"))};
    EXPECT_FALSE(f.CombineOrderPdf());
    ExpectOneLine(QStringLiteral("CombineOrderPdf"), QStringLiteral("TiffPdfCommands"),
                  QStringLiteral("pdfCreateMerge"));
    EXPECT_EQ(f.FileProccessed, 0);
    EXPECT_FALSE(f.AppendPdfFile(QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QString(), out));
    ExpectOneLine(QStringLiteral("AppendPdfFile"), QStringLiteral("TiffPdfCommands"), QStringLiteral("pdfCreateMerge"));
    EXPECT_FALSE(f.SplitPDFFiles(QStringLiteral("a.pdf"), QStringLiteral("1-2"), home.path(), QStringLiteral("part")));
    ExpectOneLine(QStringLiteral("SplitPDFFiles"), QStringLiteral("TiffPdfCommands"), QStringLiteral("pdfOpenSplit"));
    // The merge library was reached, and given nothing after its refusals.
    EXPECT_EQ(CallsOf("pdfsm"), (QStringList{"pdfCreateMerge", "pdfCreateMerge", "pdfOpenSplit"}));

    ImgToPdfConverter images;
    images.FileNameToSave = out;
    images.colOrderedData = f.colOrderedData;
    EXPECT_FALSE(images.MergeConvert_TiffToPdfx());
    ExpectOneLine(QStringLiteral("MergeConvert_TiffToPdfx"), QStringLiteral("ImgToPdfConverter"),
                  QStringLiteral("imgCreate"));
    EXPECT_EQ(images.FileProccessed, 0);
    EXPECT_FALSE(images.Convert_EachTiffToPDFbyOne(QStringLiteral("a.tif"), out));
    ExpectOneLine(QStringLiteral("Convert_EachTiffToPDFbyOne"), QStringLiteral("ImgToPdfConverter"),
                  QStringLiteral("imgCreate"));
    EXPECT_FALSE(images.ConverImageToPdf(QStringLiteral("a.png"), out, QStringLiteral("title")));
    ExpectOneLine(QStringLiteral("ConverImageToPdf"), QStringLiteral("ImgToPdfConverter"), QStringLiteral("imgCreate"));
    EXPECT_EQ(CallsOf("imgpdf"), (QStringList{"imgCreate", "imgCreate", "imgCreate"}));

    EXPECT_FALSE(PdfToImageConverter().ConvertPDFToImage(QStringLiteral("a.pdf"), home.path()));
    ExpectOneLine(QStringLiteral("ConvertPDFToImage"), QStringLiteral("PdfToImageConverter"),
                  QStringLiteral("pdfOpen"));
    EXPECT_EQ(CallsOf("pdfimg"), QStringList{"pdfOpen"});
}

} // namespace
