#include "platform/com/class_registry.h"
#include "platform/com/com.h"
#include "platform/counters/page_counter.h"
#include "platform/runtime/run_time_error.h"

#include "counter_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace counter_test;

namespace {

int RunRegsvr(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VELMORA_REGSVR), args);
    if (!p.waitForFinished(30000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

long CreationError(const QUuid& clsid)
{
    try {
        com::CreateInstance(clsid);
    } catch (const RunTimeError& e) {
        return e.number();
    }
    return 0;
}

// A counter object with its interface, as the programs hold it.
struct Counter {
    com::Ptr<com::Object> object;
    counters::IPageCounter* counter = nullptr;

    Counter(const QUuid& clsid, const QUuid& iid)
        : object(com::CreateInstance(clsid)), counter(com::QueryInterface<counters::IPageCounter>(object, iid))
    {
    }
    std::int32_t Count(const QString& path) const
    {
        std::int32_t pages = 12345;
        EXPECT_EQ(counter->CountPages(path, pages), com::S_OK);
        return pages;
    }
};

class CountersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "counters_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        config_ = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_PDF_COUNTER_MODULE)}), 0);
    }
    static void TearDownTestSuite()
    {
        delete config_;
        config_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString File(const QString& name) const { return dir_.filePath(name); }

    static QTemporaryDir* config_;
    QTemporaryDir dir_;
};

QTemporaryDir* CountersTest::config_ = nullptr;

TEST_F(CountersTest, RegistrationMakesTheClassesCreatableByClsidOnly)
{
    const QString tiffModule = QStringLiteral(VELMORA_COUNTERS_MODULE);
    const QString pdfModule = QStringLiteral(VELMORA_PDF_COUNTER_MODULE);
    const std::pair<QUuid, QString> classes[] = {{counters::CLSID_TiffPageCounter, tiffModule},
                                                 {counters::CLSID_PdfPageCounter, pdfModule}};
    for (const auto& [clsid, module] : classes) {
        const auto entry = com::ClassRegistry::FindClass(clsid);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(QFileInfo(entry->modulePath).canonicalFilePath(), QFileInfo(module).canonicalFilePath());
        EXPECT_TRUE(entry->progId.isEmpty());
    }

    // Each class answers its own interface only.
    const com::Ptr<com::Object> tiff = com::CreateInstance(counters::CLSID_TiffPageCounter);
    const com::Ptr<com::Object> pdf = com::CreateInstance(counters::CLSID_PdfPageCounter);
    EXPECT_NE(com::QueryInterface<counters::IPageCounter>(tiff, counters::IID_ITiffPageCounter), nullptr);
    EXPECT_EQ(com::QueryInterface<counters::IPageCounter>(tiff, counters::IID_IPdfPageCounter), nullptr);
    EXPECT_NE(com::QueryInterface<counters::IPageCounter>(pdf, counters::IID_IPdfPageCounter), nullptr);
    EXPECT_EQ(com::QueryInterface<counters::IPageCounter>(pdf, counters::IID_ITiffPageCounter), nullptr);

    // Each module registers and unregisters its own class only.
    ASSERT_EQ(RunRegsvr({QStringLiteral("-u"), tiffModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_TiffPageCounter), 429);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 0);
    ASSERT_EQ(RunRegsvr({QStringLiteral("-u"), pdfModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 429);
    ASSERT_EQ(RunRegsvr({tiffModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_TiffPageCounter), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 429);
    ASSERT_EQ(RunRegsvr({pdfModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 0);
}

// Both programs load the TIFF counter at start-up; qpdf and what it
// pulls in (its TLS stack) must not come along.
TEST_F(CountersTest, TheTiffCounterModuleDoesNotLoadQpdf)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(VELMORA_COUNTERS_MODULE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    ASSERT_TRUE(libraries.contains(QStringLiteral("libc.so"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("qpdf"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("gnutls"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("libssl"))) << libraries.toStdString();
}

TEST_F(CountersTest, TiffCountsInEveryByteOrderWithOneObject)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    ASSERT_NE(tiff.counter, nullptr);
    ASSERT_TRUE(WriteTiff(File("one.tif"), 1));
    ASSERT_TRUE(WriteTiff(File("seven.tif"), 7));
    ASSERT_TRUE(WriteTiff(File("big-endian.tif"), 5, "wb"));
    ASSERT_TRUE(WriteTiff(File("bigtiff.tif"), 3, "w8"));
    ASSERT_TRUE(WriteTiff(File("ünï cödé #1.TIFF"), 2));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(tiff.Count(File("one.tif")), 1);
        EXPECT_EQ(tiff.Count(File("seven.tif")), 7);
        EXPECT_EQ(tiff.Count(File("big-endian.tif")), 5);
        EXPECT_EQ(tiff.Count(File("bigtiff.tif")), 3);
        EXPECT_EQ(tiff.Count(File("ünï cödé #1.TIFF")), 2);
    }
}

TEST_F(CountersTest, TiffFilesThatCannotBeCountedAreNegative)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    ASSERT_TRUE(WriteText(File("text.tif"), "This is not an image.\n"));
    ASSERT_TRUE(WriteText(File("header.tif"), QByteArray("II*\0", 4)));
    ASSERT_TRUE(WriteText(File("empty.tif"), QByteArray()));
    ASSERT_TRUE(WriteText(File("far.tif"), QByteArray("II*\0\xff\xff\xff\x7f", 8)));
    ASSERT_TRUE(WritePdf(File("doc.pdf"), 2));
    EXPECT_LT(tiff.Count(File("text.tif")), 0);
    EXPECT_LT(tiff.Count(File("header.tif")), 0);
    EXPECT_LT(tiff.Count(File("empty.tif")), 0);
    EXPECT_LT(tiff.Count(File("far.tif")), 0);
    EXPECT_LT(tiff.Count(File("missing.tif")), 0);
    EXPECT_LT(tiff.Count(File("doc.pdf")), 0);
    EXPECT_LT(tiff.Count(dir_.path()), 0);
    EXPECT_LT(tiff.Count(QString()), 0);

    // A chain cut short inside its third directory.
    ASSERT_TRUE(WriteTiff(File("cut.tif"), 3));
    const auto dirs = DirectoryOffsets(File("cut.tif"));
    ASSERT_EQ(dirs.size(), 3u);
    ASSERT_TRUE(Truncate(File("cut.tif"), dirs[2] + 2));
    EXPECT_LT(tiff.Count(File("cut.tif")), 0);

    // The counter still works after all that.
    ASSERT_TRUE(WriteTiff(File("fine.tif"), 4));
    EXPECT_EQ(tiff.Count(File("fine.tif")), 4);
}

TEST_F(CountersTest, DirectoryLoopsAndFifosEndPromptly)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    const Counter pdf(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);

    ASSERT_TRUE(WriteTiff(File("loop.tif"), 3));
    auto dirs = DirectoryOffsets(File("loop.tif"));
    ASSERT_EQ(dirs.size(), 3u);
    ASSERT_TRUE(LinkDirectory(File("loop.tif"), dirs[2], dirs[0])); // third points back to first
    ASSERT_TRUE(WriteTiff(File("self.tif"), 1));
    dirs = DirectoryOffsets(File("self.tif"));
    ASSERT_EQ(dirs.size(), 1u);
    ASSERT_TRUE(LinkDirectory(File("self.tif"), dirs[0], dirs[0]));
    ASSERT_EQ(::mkfifo(QFile::encodeName(File("pipe.tif")).constData(), 0600), 0);

    QElapsedTimer timer;
    timer.start();
    EXPECT_LT(tiff.Count(File("loop.tif")), 0);
    EXPECT_LT(tiff.Count(File("self.tif")), 0);
    EXPECT_LT(tiff.Count(File("pipe.tif")), 0);
    EXPECT_LE(pdf.Count(File("pipe.tif")), 0);
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(CountersTest, PdfCountsAndFailures)
{
    const Counter pdf(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);
    ASSERT_NE(pdf.counter, nullptr);
    ASSERT_TRUE(WritePdf(File("three.pdf"), 3));
    ASSERT_TRUE(WritePdf(File("one.pdf"), 1));
    EXPECT_EQ(pdf.Count(File("three.pdf")), 3);
    EXPECT_EQ(pdf.Count(File("one.pdf")), 1);

    // A wrong cross-reference position is repaired by scanning the file.
    QFile f(File("three.pdf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    f.close();
    const qsizetype at = bytes.lastIndexOf("startxref");
    ASSERT_GT(at, 0);
    QByteArray damaged = bytes.left(at) + "startxref\n9999999\n%%EOF\n";
    ASSERT_TRUE(WriteText(File("moved-xref.pdf"), damaged));
    EXPECT_EQ(pdf.Count(File("moved-xref.pdf")), 3);

    ASSERT_TRUE(WriteText(File("text.pdf"), "hello\n"));
    ASSERT_TRUE(WriteText(File("header.pdf"), bytes.left(15)));
    ASSERT_TRUE(WriteTiff(File("image.tif"), 2));
    EXPECT_LE(pdf.Count(File("text.pdf")), 0);
    EXPECT_LE(pdf.Count(File("header.pdf")), 0);
    EXPECT_LE(pdf.Count(File("image.tif")), 0);
    EXPECT_LE(pdf.Count(File("missing.pdf")), 0);
    EXPECT_LE(pdf.Count(dir_.path()), 0);
    EXPECT_EQ(pdf.Count(File("one.pdf")), 1);
}

// Real TIFF files that nobody here wrote (scripts/fetch-test-files.sh):
// the count must agree with tiffinfo's list of directories.
TEST_F(CountersTest, RealFilesAgreeWithTiffinfo)
{
    const QString root = QStringLiteral(VELMORA_TESTDATA_DIR);
    if (!QDir(root).exists()) GTEST_SKIP() << "no test files in " << root.toStdString();
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    QDirIterator it(root, {QStringLiteral("*.tif"), QStringLiteral("*.tiff")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int compared = 0;
    while (it.hasNext() && compared < 60) {
        const QString path = it.next();
        QProcess info;
        info.start(QStringLiteral("tiffinfo"), {path});
        if (!info.waitForFinished(30000)) continue;
        const QByteArray err = info.readAllStandardError();
        if (info.exitCode() != 0 || !err.isEmpty()) continue; // a file tiffinfo has doubts about
        const int dirs = QString::fromUtf8(info.readAllStandardOutput()).count(QStringLiteral("TIFF Directory at offset"));
        EXPECT_EQ(tiff.Count(path), dirs) << path.toStdString();
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no readable test files";
}

} // namespace
