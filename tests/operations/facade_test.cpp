// The operation facade end to end against the registered page-engine
// control, and its file-existence test.

#include "operations/running_program.h"
#include "operations/storage_folder.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/com/com.h"

#include "operations_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMetaMethod>
#include <QProgressBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

using Widths = std::vector<int>;

class FacadeTest : public DesktopStorageTest {
protected:
    QTemporaryDir work;
    QString a, b, c, out;

    void SetUp() override
    {
#ifndef STAVREN_MODULE_PATH
        GTEST_SKIP() << "the Stavren module is not part of this build";
#else
        DesktopStorageTest::SetUp();
        if (HasFatalFailure())
            return;
        QLibrary module(QStringLiteral(STAVREN_MODULE_PATH));
        ASSERT_TRUE(module.load()) << module.errorString().toStdString();
        auto reg = reinterpret_cast<com::DllRegisterServerFn>(module.resolve("DllRegisterServer"));
        ASSERT_NE(reg, nullptr);
        ASSERT_EQ(reg(), com::S_OK);

        a = work.filePath("a.tif");
        b = work.filePath("b.tif");
        c = work.filePath("c.tif");
        out = work.filePath("out");
        ASSERT_TRUE(WriteTiff(a, {11, 12, 13}));
        ASSERT_TRUE(WriteTiff(b, {21, 22}));
        ASSERT_TRUE(WriteTiff(c, {31}));
        ASSERT_TRUE(QDir().mkpath(out));
#endif
    }
    void TearDown() override
    {
        TiffPdfCommands::SetProgressCallback({});
        DesktopStorageTest::TearDown();
    }
    QStringList OutputNames() const
    {
        return QDir(out).entryList(QDir::Files, QDir::Name);
    }
};

clsColSetOrderGrid Record(const QString& path, bool trailingSeparator)
{
    const QFileInfo info(path);
    clsColSetOrderGrid record;
    record.filename(info.fileName());
    record.FileLocation(info.absolutePath() + (trailingSeparator ? "/" : ""));
    return record;
}

QStringList CombineScratchFolders()
{
    return QDir(QDir::tempPath()).entryList({"velmora-combine-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

// The facade calls the control's methods by name: each name it uses must
// be a method the control offers for calling.
TEST_F(FacadeTest, EveryMethodTheFacadeCallsIsOnTheControl)
{
    const com::Ptr<com::Object> control = com::CreateObject(QString::fromUtf16(kPageEngineProgId));
    const QMetaObject* meta = control->metaObject();
    for (const char* name : kPageEngineMethods) {
        bool offered = false;
        for (int i = com::Object::staticMetaObject.methodCount(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            offered = offered || (method.name() == name && method.access() == QMetaMethod::Public);
        }
        EXPECT_TRUE(offered) << name;
    }
}

TEST_F(FacadeTest, AppendInsertsBeforeTheGivenPage)
{
    TiffPdfCommands facade;
    EXPECT_TRUE(facade.AppendFileTiffFile(a, b, 2));
    EXPECT_EQ(TiffPageWidths(a), (Widths{11, 21, 22, 12, 13}));
    EXPECT_TRUE(facade.AppendFileTiffFile(c, b, 0)); // 0 puts them first
    EXPECT_EQ(TiffPageWidths(c), (Widths{21, 22, 31}));
    EXPECT_FALSE(facade.AppendFileTiffFile(a, b, -1));
    EXPECT_EQ(TiffPageWidths(a), (Widths{11, 21, 22, 12, 13}));
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(FacadeTest, DeleteRemovesTheOneBasedPage)
{
    TiffPdfCommands facade;
    EXPECT_TRUE(facade.DeleteTiffPage(a, 2));
    EXPECT_EQ(TiffPageWidths(a), (Widths{11, 13}));
    EXPECT_FALSE(facade.DeleteTiffPage(a, 9)); // the control answers False: no log line
    EXPECT_EQ(TiffPageWidths(a), (Widths{11, 13}));
    EXPECT_TRUE(Lines().isEmpty());
}

// A page the engine refuses says why: in the error log, under the calling
// procedure, and to the caller, beside the method's own False.
TEST_F(FacadeTest, ARefusedPageLeavesItsReasonInTheLog)
{
    // Two pages; the second a directory without entries.
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    const auto put16 = [&](int v) { bytes.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto put32 = [&](int v) { put16(v & 0xFFFF), put16(v >> 16); };
    const auto entry = [&](int tag, int type, int value) { put16(tag), put16(type), put32(1), put32(value); };
    put16(5);
    entry(256, 4, 1);
    entry(257, 4, 1);
    entry(258, 3, 8);
    entry(273, 4, 8 + 66 + 6);
    entry(279, 4, 1);
    put32(8 + 66); // the second directory
    put16(0);
    put32(0);
    bytes.append('\x7F');
    const QString damaged = work.filePath("damaged.tif");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    TiffPdfCommands facade;
    EXPECT_FALSE(facade.DeleteTiffPage(damaged, 1));
    EXPECT_EQ(facade.LastFailureReason(), QStringLiteral("page 2: no image data"));
    ExpectOneLogLine("DeleteTiffPage", "TiffPdfCommands",
                     "Error 321 (page 2: no image data) in procedure DeleteTiffPage at Line No. 40");
    EXPECT_TRUE(facade.DeleteTiffPage(damaged, 2));
    EXPECT_TRUE(facade.LastFailureReason().isEmpty());
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(FacadeTest, SplitNamesThePartsAfterThePrefixOnly)
{
    TiffPdfCommands facade;
    EXPECT_TRUE(facade.SplitTiffFiles(a, 3, out, "part"));
    EXPECT_EQ(OutputNames(), (QStringList{"part1.tif", "part2.tif"}));
    EXPECT_EQ(TiffPageWidths(out + "/part1.tif"), (Widths{11, 12}));
    EXPECT_EQ(TiffPageWidths(out + "/part2.tif"), (Widths{13}));
    EXPECT_EQ(TiffPageWidths(a), (Widths{11, 12, 13})); // the source is untouched

    QDir(out).removeRecursively();
    QDir().mkpath(out);
    EXPECT_TRUE(facade.SplitTiffFiles(a, 2, out + "/", "")); // empty prefix, folder with separator
    EXPECT_EQ(OutputNames(), (QStringList{"1.tif", "2.tif"}));
    EXPECT_EQ(TiffPageWidths(out + "/2.tif"), (Widths{12, 13}));
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(FacadeTest, ExtractWritesTheEngineNamedPageFiles)
{
    TiffPdfCommands facade;
    EXPECT_TRUE(facade.ExtractTIFFpagesbyRange(a, 1, 2, out));
    EXPECT_EQ(OutputNames(), (QStringList{"page1.tif", "page2.tif"}));
    EXPECT_EQ(TiffPageWidths(out + "/page1.tif"), (Widths{12}));

    QDir(out).removeRecursively();
    QDir().mkpath(out);
    EXPECT_TRUE(facade.ExtractAllTIFFpages(a, out));
    EXPECT_EQ(OutputNames(), (QStringList{"page0.tif", "page1.tif", "page2.tif"}));
    EXPECT_EQ(TiffPageWidths(out + "/page2.tif"), (Widths{13}));

    // A file that is not there fails with the system's reason.
    EXPECT_FALSE(facade.ExtractAllTIFFpages(work.filePath("missing.tif"), out));
    const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
    EXPECT_EQ(facade.LastFailureReason(), missing);
    ASSERT_EQ(Lines().size(), 1);
    EXPECT_TRUE(Lines()[0].contains("(" + missing + ") in procedure ExtractAllTIFFpages")) << Lines()[0].toStdString();
}

TEST_F(FacadeTest, CombineMergesTheRecordsInOrderThroughAPrivateFolder)
{
    // A temporary folder of this test's own, so that other tests running at
    // the same time cannot add scratch folders to the count.
    QTemporaryDir privateTemp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", privateTemp.path().toUtf8());
    struct RestoreTmp {
        QByteArray value;
        ~RestoreTmp() { value.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", value); }
    } restore{savedTmp};
    const QStringList scratchBefore = CombineScratchFolders();
    ASSERT_TRUE(scratchBefore.isEmpty());
    QProgressBar bar;
    bar.setRange(0, 10);
    TiffPdfCommands::SetProgressCallback([&bar](int value) { bar.setValue(value); });

    TiffPdfCommands facade;
    facade.colOrderedData = {Record(a, false), Record(b, true), Record(c, false)};
    facade.FileNameToSave = out + "/merged.tif";
    EXPECT_TRUE(facade.CombineOrderTiff());
    EXPECT_EQ(facade.FileProccessed, 3);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(TiffPageWidths(facade.FileNameToSave), (Widths{11, 12, 13, 21, 22, 31}));
    EXPECT_EQ(OutputNames(), QStringList{"merged.tif"});
    EXPECT_EQ(CombineScratchFolders(), scratchBefore);
    const QString programFolder = QCoreApplication::applicationDirPath();
    EXPECT_FALSE(QFileInfo::exists(programFolder + "/test_stavren1.tif"));
    EXPECT_FALSE(QFileInfo::exists(programFolder + "/test_stavren2.tif"));

    // Without a progress callback the merge runs all the same; an existing
    // output is replaced.
    TiffPdfCommands::SetProgressCallback({});
    facade.colOrderedData = {Record(c, true), Record(b, false)};
    EXPECT_TRUE(facade.CombineOrderTiff());
    EXPECT_EQ(TiffPageWidths(facade.FileNameToSave), (Widths{31, 21, 22}));
}

TEST_F(FacadeTest, CombineWithOneRecordMergesNothing)
{
    TiffPdfCommands facade;
    facade.colOrderedData = {Record(a, false)};
    facade.FileNameToSave = out + "/merged.tif";
    EXPECT_TRUE(facade.CombineOrderTiff());
    EXPECT_EQ(facade.FileProccessed, 1);
    EXPECT_TRUE(OutputNames().isEmpty());
}

TEST(FacadeFileExists, FindsRegularVisibleFilesOnly)
{
    QTemporaryDir dir;
    const auto touch = [&](const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly);
    };
    ASSERT_TRUE(touch("Scan.TIF"));
    ASSERT_TRUE(touch(".hidden.tif"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tif"));

    EXPECT_TRUE(TiffPdfCommands::FileExists(dir.filePath("Scan.TIF")));
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.filePath("scan.tif"))); // names are case-sensitive
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.filePath(".hidden.tif")));
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.filePath("folder.tif")));
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.path()));
    EXPECT_FALSE(TiffPdfCommands::FileExists(""));
    // Wildcards act as a pattern, matched without regard to case.
    EXPECT_TRUE(TiffPdfCommands::FileExists(dir.filePath("*.tif")));
    EXPECT_TRUE(TiffPdfCommands::FileExists(dir.filePath("s?an.*")));
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.filePath("folder*")));
    EXPECT_FALSE(TiffPdfCommands::FileExists(dir.filePath("missing/*.tif")));
}
