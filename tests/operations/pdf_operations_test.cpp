// The PDF and image operations of the facade: the arguments they hand to
// the outside servers, and how a missing component shows (a false result
// and, where the method logs, exactly one error line naming it).

#include "operations/img_to_pdf_converter.h"
#include "operations/pdf_to_image_converter.h"
#include "operations/running_program.h"
#include "operations/storage_folder.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/com/com.h"
#include "platform/com/module_support.h"

#include "operations_test_support.h"

#include <gtest/gtest.h>

namespace {

// Every call a fake server receives, as "Method(arg|arg|...)".
QStringList& Calls()
{
    static QStringList calls;
    return calls;
}

std::string Text(const QStringList& list)
{
    return list.join(QLatin1Char('\n')).toStdString();
}

QString Describe(const char* method, const QVariantList& args)
{
    QStringList parts;
    for (const QVariant& a : args)
        parts << QStringLiteral("%1:%2").arg(QString::fromLatin1(a.typeName()), a.toString());
    return QString::fromLatin1(method) + QLatin1Char('(') + parts.join(QLatin1Char('|')) + QLatin1Char(')');
}

} // namespace

class FakeSplitMerge : public com::Object {
    Q_OBJECT
public:
    Q_INVOKABLE void Merge(const QString& files, const QString& target)
    {
        Calls() << Describe("Merge", {files, target});
    }
    Q_INVOKABLE void Split(const QString& source, const QString& range, const QString& name)
    {
        Calls() << Describe("Split", {source, range, name});
    }
    Q_INVOKABLE int GetNumberOfPages(const QString& file, const QString& password)
    {
        Calls() << Describe("GetNumberOfPages", {file, password});
        return 7;
    }
};

class FakeConverter : public com::Object {
    Q_OBJECT
public:
    Q_INVOKABLE void ConvertTiffToPDF(const QString& source, const QString& target)
    {
        Calls() << Describe("ConvertTiffToPDF", {source, target});
    }
    // The literals arrive as the caller typed them (QVariant parameters).
    Q_INVOKABLE void PDFToImage(const QString& pdf, const QString& image, const QVariant& a, const QVariant& b,
                                const QVariant& c, int param, int last)
    {
        Calls() << Describe("PDFToImage", {pdf, image, a, b, c, param, last});
    }
};

namespace {

const QUuid kFakeSplitMergeClsid{QStringLiteral("{6A0B7E52-1D43-4B8E-9C11-0F1E2D3C4B5A}")};
const QUuid kFakeConverterClsid{QStringLiteral("{6A0B7E52-1D43-4B8E-9C11-0F1E2D3C4B5B}")};

com::Module& FakeModule()
{
    static com::Module module;
    return module;
}

class PdfOperationsTest : public DesktopStorageTest {
protected:
    void SetUp() override
    {
        DesktopStorageTest::SetUp();
        Calls().clear();
    }
    void TearDown() override
    {
        com::RevokeClassObject(kFakeSplitMergeClsid);
        com::RevokeClassObject(kFakeConverterClsid);
        DesktopStorageTest::TearDown();
    }
    void InstallFakes()
    {
        static com::SimpleClassFactory<FakeSplitMerge> splitMerge(FakeModule());
        static com::SimpleClassFactory<FakeConverter> converter(FakeModule());
        ASSERT_TRUE(
            com::RegisterClassObject(kFakeSplitMergeClsid, QStringLiteral("PdfPages.SplitMerge.1"), &splitMerge));
        ASSERT_TRUE(
            com::RegisterClassObject(kFakeConverterClsid, QStringLiteral("PdfConvert.Converter.1"), &converter));
    }
};

TEST_F(PdfOperationsTest, MissingComponentsGiveFalseAndOneLogLineEach)
{
    TiffPdfCommands f;
    QString password;
    EXPECT_FALSE(f.ConvertPDFToImage(QStringLiteral("a.pdf"), QStringLiteral("a.png")));
    ExpectOneLogLine(QStringLiteral("ConvertPDFToImage"));
    EXPECT_FALSE(f.ConverImageToTiff(QStringLiteral("a.png"), QStringLiteral("a.tif"), 4));
    ExpectOneLogLine(QStringLiteral("ConverImageToTiff"));
    EXPECT_FALSE(
        f.UpdatePdfMetaData(QStringLiteral("a.pdf"), QString(), QStringLiteral("Title=x"), QStringLiteral("b.pdf")));
    ExpectOneLogLine(QStringLiteral("UpdatePdfMetaData"));
    EXPECT_EQ(f.GetNoOfPagesFromPDF(QStringLiteral("a.pdf"), password), 0);
    ExpectOneLogLine(QStringLiteral("GetNoOfPagesFromPDF"));
    EXPECT_EQ(f.GetPdfMetaData(QStringLiteral("a.pdf"), QString()), QStringLiteral("False"));
    ExpectOneLogLine(QStringLiteral("GetPdfMetaData"));
    EXPECT_FALSE(f.AppendPdfFile(QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QString(), QStringLiteral("c.pdf")));
    ExpectOneLogLine(QStringLiteral("AppendPdfFile"));
    f.FileNameToSave = home.path() + QStringLiteral("/all.pdf");
    EXPECT_FALSE(f.CombineOrderPdf());
    ExpectOneLogLine(QStringLiteral("CombineOrderPdf"));
    EXPECT_FALSE(f.SplitPDFFiles(QStringLiteral("a.pdf"), QStringLiteral("1-2"), home.path(), QStringLiteral("part")));
    ExpectOneLogLine(QStringLiteral("SplitPDFFiles"));
    EXPECT_FALSE(ImgToPdfConverter().Convert_EachTiffToPDFbyOne(QStringLiteral("a.tif"), QStringLiteral("a.pdf")));
    ExpectOneLogLine(QStringLiteral("Convert_EachTiffToPDFbyOne"), QStringLiteral("ImgToPdfConverter"));
    EXPECT_FALSE(PdfToImageConverter().ConvertPDFToImage(QStringLiteral("a.pdf"), home.path()));
    ExpectOneLogLine(QStringLiteral("ConvertPDFToImage"), QStringLiteral("PdfToImageConverter"));
}

TEST_F(PdfOperationsTest, PreconditionsFailWithoutTouchingAComponent)
{
    TiffPdfCommands f;
    QString empty;
    EXPECT_FALSE(f.ConvertPDFToImage(QString(), QStringLiteral("a.png")));
    EXPECT_FALSE(f.ConverImageToTiff(QStringLiteral("a.png"), QString(), 1));
    EXPECT_FALSE(f.UpdatePdfMetaData(QStringLiteral("a.pdf"), QString(), QString(), QStringLiteral("b.pdf")));
    EXPECT_FALSE(f.CombineOrderPdf());
    EXPECT_FALSE(f.Convert_EachTiffToPDFx(empty));
    EXPECT_FALSE(f.Convert_EachTiffToPDFbyOne(QString(), QStringLiteral("a.pdf")));
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(PdfOperationsTest, CommandLineVariantsUseThePageServerAndLogOnlyTheSplit)
{
    SelectRunningProgram(RunningProgram::CommandLine);
    TiffPdfCommands f;
    f.colOrderedData = {FileRecord(QStringLiteral("/in"), QStringLiteral("x.pdf")),
                        FileRecord(QStringLiteral("/in/"), QStringLiteral("y.pdf"))};
    f.FileNameToSave = QStringLiteral("/out/all.pdf");
    QString src = QStringLiteral("a.pdf"), range = QStringLiteral("1-3"), name = QStringLiteral("part");

    // Not installed: false, and only SplitPDFFiles writes a line.
    EXPECT_FALSE(f.AppendPdfFile(QStringLiteral("a.pdf|b.pdf"), QStringLiteral("c.pdf")));
    EXPECT_FALSE(f.CombineOrderPdf());
    EXPECT_FALSE(f.MergeConvert_TiffToPdfx());
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(f.SplitPDFFiles(src, range, name));
    ExpectOneLogLine(QStringLiteral("SplitPDFFiles"));

    InstallFakes();
    EXPECT_TRUE(f.CombineOrderPdf());
    EXPECT_EQ(f.FileProccessed, 2);
    EXPECT_TRUE(f.AppendPdfFile(QStringLiteral("a.pdf|b.pdf"), QStringLiteral("c.pdf")));
    EXPECT_TRUE(f.MergeConvert_TiffToPdfx());
    EXPECT_TRUE(f.SplitPDFFiles(src, range, name));
    EXPECT_EQ(Text(Calls()), Text(QStringList{
                                 QStringLiteral("Merge(QString:/in/x.pdf|/in/y.pdf|QString:/out/all.pdf)"),
                                 QStringLiteral("Merge(QString:a.pdf|b.pdf|QString:c.pdf)"),
                                 QStringLiteral("ConvertTiffToPDF(QString:/in/x.pdf|/in/y.pdf|QString:/out/all.pdf)"),
                                 QStringLiteral("Split(QString:a.pdf|QString:1-3|QString:part)"),
                             }));
}

TEST_F(PdfOperationsTest, ConvertersHandTheServerTheDesignedArguments)
{
    InstallFakes();
    TiffPdfCommands f;
    QString password = QStringLiteral("secret");
    EXPECT_EQ(f.GetNoOfPagesFromPDF(QStringLiteral("a.pdf"), password), 7);
    EXPECT_TRUE(f.ConvertPDFToImage(QStringLiteral("a.pdf"), QStringLiteral("a.png"), 3));

    f.colOrderedData = {FileRecord(QStringLiteral("/in"), QStringLiteral("scan.one.tif"))};
    QString out = QStringLiteral("/out");
    EXPECT_TRUE(f.Convert_EachTiffToPDFx(out));
    EXPECT_EQ(Text(Calls()),
              Text(QStringList{
                  QStringLiteral("GetNumberOfPages(QString:a.pdf|QString:)"),
                  QStringLiteral("PDFToImage(QString:a.pdf|QString:a.png|short:100|short:100|short:0|int:3|int:0)"),
                  QStringLiteral("ConvertTiffToPDF(QString:/in/scan.one.tif|QString:/out/scan.Pdf)"),
              }));

    // A name without "." has no stem: the conversion stops through its
    // error path.
    f.colOrderedData = {FileRecord(QStringLiteral("/in"), QStringLiteral("noext"))};
    EXPECT_FALSE(f.Convert_EachTiffToPDFx(out));
    ExpectOneLogLine(QStringLiteral("Convert_EachTiffToPDFx"));
}

} // namespace

#include "pdf_operations_test.moc"
