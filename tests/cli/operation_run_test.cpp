// The operations over listed files and folders: page numbers as typed,
// output naming, result texts, exit status, and the files a run must never
// destroy.

#include "cli_fixture.h"

#include "cli/command_line_run.h"
#include "cli/mod_master.h"
#include "operations/error_trap.h"
#include "platform/safe_file/private_folder.h"
#include "tests/support/test_user.h"

#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

using V = std::vector<int>;

class OperationRunTest : public CliTest {};

TEST_F(OperationRunTest, InsertPositionsAsTyped)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    MakeTiffIn(QStringLiteral("b.tif"), {4, 5});
    MakeTiffIn(QStringLiteral("c.tif"), {9, 8});

    Result r = Run(QStringLiteral("/i a.tif?2|b.tif /a c.tif"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: File has been successfully appended."));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2, 9, 8, 3}));
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{4, 5, 9, 8}));

    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    EXPECT_EQ(Run(QStringLiteral("/i a.tif /a c.tif?2")).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 9, 8, 2, 3}));

    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    EXPECT_EQ(Run(QStringLiteral("/i a.tif?0 /a c.tif")).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{9, 8, 1, 2, 3}));
}

// Every target gets the pages file's pages as they were when the run
// began, also when the pages file is one of the targets, once or more
// (h.tif is a hard link to a.tif).
TEST_F(OperationRunTest, APagesFileAmongTheTargetsIsInsertedAsItWas)
{
    const struct {
        const char* line;
        const char* folder;
        V a;
    } runs[] = {{"/i a.tif|b.tif /a a.tif", "", {1, 2, 1, 2}},
                {"/i b.tif|a.tif /a a.tif", "", {1, 2, 1, 2}},
                {"/d fold /a fold/a.tif", "fold/", {1, 2, 1, 2}},
                {"/i a.tif|b.tif|./a.tif /a a.tif", "", {1, 2, 1, 2, 1, 2}},
                {"/i a.tif|h.tif|b.tif /a a.tif", "", {1, 2, 1, 2}}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.line);
        const QString folder = QString::fromLatin1(run.folder);
        ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("fold")));
        MakeTiffIn(folder + QStringLiteral("a.tif"), {1, 2});
        MakeTiffIn(folder + QStringLiteral("b.tif"), {3, 4, 5});
        QFile::remove(Work(QStringLiteral("h.tif")));
        ASSERT_EQ(::link(QFile::encodeName(Work(QStringLiteral("a.tif"))).constData(),
                         QFile::encodeName(Work(QStringLiteral("h.tif"))).constData()),
                  0);
        const Result r = Run(QString::fromLatin1(run.line));
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: File has been successfully appended."));
        EXPECT_EQ(PagesIn(folder + QStringLiteral("b.tif")), (V{3, 4, 5, 1, 2}));
        EXPECT_EQ(PagesIn(folder + QStringLiteral("a.tif")), run.a);
        if (QString::fromLatin1(run.line).contains(QStringLiteral("h.tif"))) {
            EXPECT_EQ(PagesIn(QStringLiteral("h.tif")), (V{1, 2, 1, 2}));
        }
    }
}

TEST_F(OperationRunTest, InsertFailuresAreListed)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1});
    QFile damaged(Work(QStringLiteral("bad.tif")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a tiff");
    damaged.close();
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    // The counter cannot count bad.tif: without a position it fails
    // without a call.
    const Result r = Run(QStringLiteral("/i bad.tif|a.tif /a c.tif"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Following files could not be Appended.\nbad.tif\n"));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 9}));
    EXPECT_EQ(ReadFile(Work(QStringLiteral("bad.tif"))), QByteArray("not a tiff"));
}

TEST_F(OperationRunTest, DeleteOverAFolderAndItsSubfolders)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in/sub")));
    MakeTiff(Work(QStringLiteral("in/a.tif")), {1, 2});
    MakeTiff(Work(QStringLiteral("in/one.TIFF")), {3});
    MakeTiff(Work(QStringLiteral("in/sub/b.tif")), {4, 5, 6});
    const Result r = Run(QStringLiteral("/d in /r /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: ") + Work(QStringLiteral("in/one.TIFF"))
                         + QStringLiteral(": the only page of a file is not deleted\n")
                         + QStringLiteral("Velmora 3.1: Wrong page no in Following files.\n")
                         + Work(QStringLiteral("in/one.TIFF")) + QStringLiteral("\n"));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a.tif"))), (V{2}));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/one.TIFF"))), (V{3}));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/sub/b.tif"))), (V{5, 6}));

    // Without /r the subfolder is left alone.
    EXPECT_EQ(Run(QStringLiteral("/d in /del 1")).exitCode, 1);
    EXPECT_EQ(Pages(Work(QStringLiteral("in/sub/b.tif"))), (V{5, 6}));
}

TEST_F(OperationRunTest, AFolderScanDoesNotFollowLinksToFolders)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in/sub")));
    MakeTiff(Work(QStringLiteral("in/sub/a.tif")), {1, 2, 3});
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("in")), Work(QStringLiteral("in/sub/loop"))));
    const Result r = Run(QStringLiteral("/d in /r /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("in/sub/a.tif"))), (V{2, 3}));
}

TEST_F(OperationRunTest, AFolderScanNeverReadsARunsPrivateFolder)
{
    // A run killed while it extracts into the scanned folder leaves its
    // private folder there, pages and all.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in/sub")));
    MakeTiff(Work(QStringLiteral("in/sub/s.tif")), {1, 2});
    MakeTiffIn(QStringLiteral("big.tif"), ManyPages(3000));
    const QString killed = KilledRunFolder(QStringLiteral("big.tif"), Work(QStringLiteral("in")));
    ASSERT_FALSE(killed.isEmpty());
    const Result r = Run(QStringLiteral("/d in /r /o out"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(Work(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("s1.tif"), QStringLiteral("s2.tif")}));
    EXPECT_TRUE(QFileInfo::exists(killed + QStringLiteral("/page0.tif")));
}

TEST_F(OperationRunTest, NamedPipesAreNeitherListedNorAccepted)
{
    // A pipe called *.tif would block the engine that opens it to read.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/a.tif")), {1, 2});
    ASSERT_EQ(::mkfifo(QFile::encodeName(Work(QStringLiteral("in/pipe.tif"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("in/pipe.tif")), Work(QStringLiteral("in/to-pipe.tif"))));

    Result r = Run(QStringLiteral("/d in /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a.tif"))), (V{2}));

    r = Run(QStringLiteral("/i in/pipe.tif /del 1"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: in/pipe.tif does not exists."));
    r = Run(QStringLiteral("/i in/a.tif /a in/to-pipe.tif"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: in/to-pipe.tif does not exists."));
}

TEST_F(OperationRunTest, AFolderThatCannotBeScannedIsNoSuccess)
{
    // The folder test lets a file pass as a folder; its scan then fails,
    // which is logged, and the folder is listed as failed.
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    const Result r = Run(QStringLiteral("/d a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Wrong page no in Following files.\n") + Work(QStringLiteral("a.tif"))
                         + QLatin1Char('\n'));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2}));
    EXPECT_TRUE(
        QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
            .contains(QStringLiteral(" in procedure LoadFilesFolder at Line No. 10 of Module modMaster at time- ")));
}

TEST_F(OperationRunTest, AFolderTheUserMayWriteButNotListIsAFailureOfEveryOperation)
{
    std::string why;
    if (!EnsureTestUser(why))
        GTEST_SKIP() << why;
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/a.tif")), {1, 2});
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    OpenFoldersToEveryone();
    ASSERT_EQ(::chmod(QFile::encodeName(Work(QStringLiteral("in"))).constData(), 0333), 0);
    RunAs(QString::fromLatin1(kTestUserName));
    const QString folder = Work(QStringLiteral("in"));
    const struct {
        const char* line;
        QString report;
    } runs[] = {
        {"/d in /del 1", QStringLiteral("Wrong page no in Following files.\n") + folder},
        {"/d in /o out", QStringLiteral("Following files couldn't splited.\nError : ") + folder},
        {"/d in /a c.tif", QStringLiteral("Following files could not be Appended.\n") + folder},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.line);
        const Result r = Run(QString::fromLatin1(run.line));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: ") + run.report + QLatin1Char('\n'));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(Work(QStringLiteral("in"))).constData(), 0777), 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a.tif"))), (V{1, 2}));
}

TEST_F(OperationRunTest, AFolderWithoutTiffFilesSucceeds)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("empty")));
    const Result r = Run(QStringLiteral("/d empty /del 1"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: successfully deleted pages from file."));
}

TEST_F(OperationRunTest, ExtractAllPagesWithAndWithoutNaming)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    Result r = Run(QStringLiteral("/i a.tif /o out"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: Successfully extracted all pages."));
    EXPECT_EQ(QDir(Work(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("a1.tif"), QStringLiteral("a2.tif"), QStringLiteral("a3.tif")}));
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(Pages(Work(QStringLiteral("out/a%1.tif").arg(p))), (V{p}));

    EXPECT_EQ(Run(QStringLiteral("/i a.tif /n Scan?_ /o out")).exitCode, 0);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(Pages(Work(QStringLiteral("out/Scan_%1.tif").arg(p))), (V{p}));
}

TEST_F(OperationRunTest, ExtractARange)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    EXPECT_EQ(Run(QStringLiteral("/i a.tif /o out?2-3")).exitCode, 0);
    EXPECT_EQ(QDir(Work(QStringLiteral("out"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("a2.tif"), QStringLiteral("a3.tif")}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/a2.tif"))), (V{2}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/a3.tif"))), (V{3}));
}

TEST_F(OperationRunTest, SplitInTwo)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3, 4, 5});
    EXPECT_EQ(Run(QStringLiteral("/i a.tif /o out?3")).exitCode, 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("out/a1.tif"))), (V{1, 2}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/a2.tif"))), (V{3, 4, 5}));

    const Result r = Run(QStringLiteral("/i a.tif /o out?1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: Error in spliting file."));
}

TEST_F(OperationRunTest, FolderOutputNamesPagesAfterEachSource)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("two")));
    MakeTiff(Work(QStringLiteral("two/x.tif")), {1, 2});
    MakeTiff(Work(QStringLiteral("two/y.tif")), {3});
    EXPECT_EQ(Run(QStringLiteral("/d two /n Scan?_ /o out")).exitCode, 0);
    EXPECT_EQ(QDir(Work(QStringLiteral("out"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("x_1.tif"), QStringLiteral("x_2.tif"), QStringLiteral("y_1.tif")}));

    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("one")));
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out1")));
    MakeTiff(Work(QStringLiteral("one/z.tif")), {7, 8});
    EXPECT_EQ(Run(QStringLiteral("/d one /n Scan?_ /o out1")).exitCode, 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("out1/Scan_1.tif"))), (V{7}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out1/Scan_2.tif"))), (V{8}));

    // Split parts over a folder are named stem1/stem2, with no separator.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out2")));
    EXPECT_EQ(Run(QStringLiteral("/d two /n Scan?_ /o out2?2")).exitCode, 1);
    EXPECT_EQ(Pages(Work(QStringLiteral("out2/x1.tif"))), (V{1}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out2/x2.tif"))), (V{2}));
}

TEST_F(OperationRunTest, FolderOutputListsEveryFailedFile)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/p.tif")), {1});
    MakeTiff(Work(QStringLiteral("in/q.tif")), {2});
    const Result r = Run(QStringLiteral("/d in /o out?2"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Following files couldn't splited.\nError : ")
                         + Work(QStringLiteral("in/p.tif")) + QStringLiteral("\nError : ")
                         + Work(QStringLiteral("in/q.tif")) + QStringLiteral("\n"));
}

TEST_F(OperationRunTest, ExtractionNeverReplacesAUsersOwnPageFiles)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    MakeTiff(Work(QStringLiteral("out/page0.tif")), {42});
    MakeTiff(Work(QStringLiteral("out/page1.tif")), {43});
    EXPECT_EQ(Run(QStringLiteral("/i a.tif /n page?_ /o out")).exitCode, 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("out/page0.tif"))), (V{42}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/page1.tif"))), (V{43}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/page_1.tif"))), (V{1}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/page_2.tif"))), (V{2}));

    // Base "Page" with no separator makes final names that are the engine's
    // own names of other pages; no page is lost.
    MakeTiffIn(QStringLiteral("b.tif"), {5, 6, 7});
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out2")));
    EXPECT_EQ(Run(QStringLiteral("/i b.tif /n Page? /o out2")).exitCode, 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("out2/Page1.tif"))), (V{5}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out2/Page2.tif"))), (V{6}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out2/Page3.tif"))), (V{7}));
    EXPECT_EQ(
        QDir(Work(QStringLiteral("out2"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 3);
}

TEST_F(OperationRunTest, APageNameNeverReplacesASourceOfTheRun)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/a.tif")), {1, 2});
    MakeTiff(Work(QStringLiteral("in/a1.tif")), {9});
    const Result r = Run(QStringLiteral("/d in /o in"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Error : ") + Work(QStringLiteral("in/a.tif"))));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a1.tif"))), (V{9}));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a.tif"))), (V{1, 2}));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a2.tif"))), (V{2}));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/a11.tif"))), (V{9}));
}

TEST_F(OperationRunTest, ARunTimeErrorStopsTheRunAndIsLogged)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    MakeTiffIn(QStringLiteral("b.tif"), {4, 5});
    MakeTiffIn(QStringLiteral("c.tif"), {6, 7});
    const Result r = Run(QStringList{QStringLiteral("/i"), QStringLiteral("b.tif|a.tif?x|c.tif"),
                                     QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{5}));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2, 3}));
    EXPECT_EQ(PagesIn(QStringLiteral("c.tif")), (V{6, 7}));
    const QString log = QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")));
    static const QRegularExpression line(QStringLiteral(
        "^Error 13 \\(Type mismatch\\) in procedure Main at Line No\\. 230 of Module modMaster at time- .+\r\n$"));
    EXPECT_TRUE(line.match(log).hasMatch()) << log.toStdString();

    // No window shows the log line: standard error has it, for this run and
    // for every other that stops.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("fold")));
    MakeTiff(Work(QStringLiteral("fold/f.tif")), {1, 2});
    const struct {
        const char* line;
        const char* error;
    } runs[] = {
        {"/i b.tif|a.tif?x|c.tif /del 1", "Error 13 (Type mismatch) in procedure Main at Line No. 230"},
        {"/i a.tif /del 70000", "Error 6 (Overflow) in procedure Main at Line No. 230"},
        {"/d fold /o out?1-40000", "Error 6 (Overflow) in procedure Main at Line No. 450"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.line);
        const Result stopped = Run(QString::fromLatin1(run.line));
        EXPECT_EQ(stopped.exitCode, 3);
        // The run's last words say why it stopped (a file refused before
        // may have had its line).
        EXPECT_TRUE(stopped.err.endsWith(QStringLiteral("VelmoraCMD: the run stopped on an error: ")
                                         + QString::fromLatin1(run.error) + QStringLiteral(" of Module modMaster\n")))
            << stopped.err.toStdString();
    }
    // An error inside the check of the line leaves its box empty, as it
    // was; standard error says why.
    const Result unchecked = Run(QStringLiteral("/i a.tif /del 99999999999"));
    EXPECT_EQ(unchecked.exitCode, 2);
    EXPECT_TRUE(unchecked.err.startsWith(QStringLiteral(
        "VelmoraCMD: the command line could not be checked: Error 6 (Overflow) in procedure ValidateCmdLine")))
        << unchecked.err.toStdString();
}

TEST_F(OperationRunTest, APositionPastTheIntegerRangeOverflowsWhereItIsComputed)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    const Result r =
        Run({QStringLiteral("/i"), QStringLiteral("a.tif?2147483647"), QStringLiteral("/a"), QStringLiteral("c.tif")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2}));
    // The position is the page number plus one: the overflow belongs to the
    // statement that works it out, not to the call that would use it.
    EXPECT_TRUE(QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
                    .startsWith(QStringLiteral(
                        "Error 6 (Overflow) in procedure Main at Line No. 330 of Module modMaster at time- ")));
}

TEST_F(OperationRunTest, FilesWhoseNamesAreNoTextFailInsteadOfBeingPassedOver)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/good.tif")), {1, 2});
    // "x", the byte 0xFF (no UTF-8), ".tif", and a folder named alike.
    MakeTiff(Work(QStringLiteral("made.tif")), {5, 6});
    const QByteArray in = QFile::encodeName(Work(QStringLiteral("in")));
    ASSERT_EQ(
        ::rename(QFile::encodeName(Work(QStringLiteral("made.tif"))).constData(), (in + "/x\xff.tif").constData()), 0);
    const QString shown = Work(QStringLiteral("in/x")) + QChar(0xFFFD) + QStringLiteral(".tif");
    const auto badFileBytes = [&] {
        QFile f;
        const int fd = ::open((in + "/x\xff.tif").constData(), O_RDONLY);
        if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return QByteArray();
        return f.readAll();
    };
    const QByteArray before = badFileBytes();
    ASSERT_FALSE(before.isEmpty());

    Result r = Run(QStringLiteral("/d in /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Wrong page no in Following files.\n") + shown + QStringLiteral("\n"));
    EXPECT_EQ(Pages(Work(QStringLiteral("in/good.tif"))), (V{2}));

    r = Run(QStringLiteral("/d in /o out"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Following files couldn't splited.\nError : ") + shown
                         + QStringLiteral("\n"));
    EXPECT_EQ(QDir(Work(QStringLiteral("out"))).entryList(QDir::Files), QStringList{QStringLiteral("good1.tif")});
    EXPECT_EQ(badFileBytes(), before);

    // A subfolder whose name is no text cannot be scanned: the run does not
    // end as a success, and the log says why.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in2")));
    MakeTiff(Work(QStringLiteral("in2/ok.tif")), {3, 4});
    ASSERT_EQ(::mkdir((QFile::encodeName(Work(QStringLiteral("in2"))) + "/sub\xff").constData(), 0700), 0);
    r = Run(QStringLiteral("/d in2 /r /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Wrong page no in Following files.\n")
                         + Work(QStringLiteral("in2/sub")) + QChar(0xFFFD) + QLatin1Char('\n'));
    EXPECT_EQ(Pages(Work(QStringLiteral("in2/ok.tif"))), (V{4}));
    EXPECT_TRUE(QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
                    .contains(QStringLiteral(" in procedure LoadFilesFolder at Line No. ")));
}

TEST_F(OperationRunTest, WithoutTheCounterOrTheEngineRegisteredTheRunStops)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    QProcess unreg;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
    unreg.setProcessEnvironment(env);
    unreg.start(QStringLiteral(REGSVR_PATH), {QStringLiteral("-u"), QStringLiteral(COUNTERS_MODULE_PATH)});
    ASSERT_TRUE(unreg.waitForFinished(30000));
    ASSERT_EQ(unreg.exitCode(), 0);
    // An insert counts pages: the counter is created at start-up and the run
    // stops before any file is touched.
    Result r = Run(QStringLiteral("/i a.tif /a c.tif"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2}));
    EXPECT_TRUE(QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
                    .startsWith(QStringLiteral(
                        "Error 429 (ActiveX component can't create object) in procedure Main at Line No. 90 ")));
    // Standard error also says what to do about it.
    EXPECT_EQ(r.err.toStdString(),
              "VelmoraCMD: the run stopped on an error: Error 429 (ActiveX component can't create object) in procedure "
              "Main at Line No. 90 of Module modMaster\n"
              "VelmoraCMD: the TIFF page counter is not registered for this user; register it with: " REGSVR_PATH
              " " COUNTERS_MODULE_PATH "\n");

    // A run that counts no pages never creates the counter.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("split")));
    r = Run(QStringLiteral("/i a.tif /o split?2"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("split/a2.tif")), (V{2}));
    r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{2}));

    // Without the page engine no operation can work on a file: the run
    // stops before the first, and says so the same way.
    for (const QStringList& args : {QStringList{QStringLiteral(COUNTERS_MODULE_PATH)},
                                    QStringList{QStringLiteral("-u"), QStringLiteral(STAVREN_MODULE_PATH)}}) {
        unreg.start(QStringLiteral(REGSVR_PATH), args);
        ASSERT_TRUE(unreg.waitForFinished(30000));
        ASSERT_EQ(unreg.exitCode(), 0);
    }
    QFile::remove(Storage() + QStringLiteral("/Errors.Log"));
    for (const char* line : {"/i a.tif /del 1", "/i a.tif /a c.tif", "/i a.tif /o out"}) {
        SCOPED_TRACE(line);
        r = Run(QString::fromLatin1(line));
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.err.toStdString(),
                  "VelmoraCMD: the run stopped on an error: Error 429 (ActiveX component can't create object) in "
                  "procedure Main at Line No. 110 of Module modMaster\n"
                  "VelmoraCMD: the page engine is not registered for this user; register it with: " REGSVR_PATH
                  " " STAVREN_MODULE_PATH "\n");
    }
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{2}));
    EXPECT_EQ(QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
                  .count(QStringLiteral("Error 429 (ActiveX component can't create object) in procedure Main at "
                                        "Line No. 110 of Module modMaster at time- ")),
              3);
}

// Every page the engine extracted reaches the output folder, also when the
// page counter saw fewer pages or none: the private extraction folder is
// removed afterwards and would take the rest along.
TEST(RenamePageFiles, AllPagesFollowTheExtractedFilesNotOnlyTheCount)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    ModMaster master;
    ErrorTrap trap(QStringLiteral("Main"), ObjectKind::Module, QStringLiteral("modMaster"));
    CommandLineRun run(master, trap);
    for (const std::int32_t counted : {-1, 1}) {
        SCOPED_TRACE(counted);
        const QString out = work.filePath(QStringLiteral("out%1").arg(counted));
        ASSERT_TRUE(QDir().mkpath(out));
        safe_file::PrivateFolder extract(QFile::encodeName(out).toStdString());
        ASSERT_TRUE(extract.Valid());
        for (int k = 0; k < 3; ++k) {
            QFile f(QString::fromStdString(extract.Path()) + QStringLiteral("/page%1.tif").arg(k));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::number(k));
        }
        EXPECT_TRUE(run.RenamePageFiles(QStringLiteral(".tif"), counted, out, QStringLiteral("scan.tif"), -1, -1, false,
                                        extract));
        extract.Finish();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                  (QStringList{QStringLiteral("scan1.tif"), QStringLiteral("scan2.tif"), QStringLiteral("scan3.tif")}));
        QFile third(out + QStringLiteral("/scan3.tif"));
        ASSERT_TRUE(third.open(QIODevice::ReadOnly));
        EXPECT_EQ(third.readAll(), QByteArray("2"));
    }
}

} // namespace
