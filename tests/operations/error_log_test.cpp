// Storage folder, write test, error log and the error line of the facade.

#include "operations/error_trap.h"
#include "operations/running_program.h"
#include "operations/storage_folder.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/message_box/message_box.h"

#include "operations_test_support.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <vector>

#include <gtest/gtest.h>

namespace {

using ErrorLogTest = DesktopStorageTest;

// True when line ends in "- " and one of the date-and-time texts taken
// around the call that wrote it.
bool EndsWithStamp(const QString& line, const QString& before, const QString& after)
{
    return line.endsWith("- " + before) || line.endsWith("- " + after);
}

} // namespace

TEST_F(ErrorLogTest, StorageFolderLiesUnderTheDataHomeAndIsReusedAsItIs)
{
    const QString expected = (home.path() + "/data") + "/Ostrana Technologies/Velmora 3.1";
    EXPECT_EQ(StorageFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());

    QFile marker(expected + "/keep.txt");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_TRUE(GetStorageFolder());
    EXPECT_EQ(QDir(expected).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"keep.txt"});
}

TEST_F(ErrorLogTest, StorageFolderThatCannotBeCreatedReportsFalse)
{
    // A file where the company folder should be.
    QDir().mkpath((home.path() + "/data"));
    QFile blocker((home.path() + "/data") + "/Ostrana Technologies");
    QDir((home.path() + "/data") + "/Ostrana Technologies").removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(GetStorageFolder());
}

TEST_F(ErrorLogTest, WriteTestLeavesNothingBehind)
{
    const QString probe = StorageFolder() + "/Testtemp.sys";
    EXPECT_TRUE(CanWriteFile(probe));
    EXPECT_FALSE(QFileInfo::exists(probe));
    EXPECT_FALSE(CanWriteFile(StorageFolder() + "/missing/Testtemp.sys"));
    EXPECT_FALSE(CanWriteFile(StorageFolder())); // a folder cannot be written as a file
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(ErrorLogTest, EachLoggedErrorIsOneLineEndingInTheTimestamp)
{
    const QString before = ErrorLogTimestamp();
    ErrorTrap trap("LoadSettings", ObjectKind::ClassModule, "Settings");
    try {
        trap.Line(10);
        trap.Line(20);
        throw RunTimeError(53);
    } catch (...) {
        const RunTimeError e = trap.Log();
        EXPECT_EQ(e.number(), 53);
    }
    const QString after = ErrorLogTimestamp();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(
        "Error 53 (File not found) in procedure LoadSettings at Line No. 20 of Class Module Settings at time- "))
        << lines[0].toStdString();
    EXPECT_TRUE(EndsWithStamp(lines[0], before, after)) << lines[0].toStdString();
    // The stamp holds the date and the time of day.
    EXPECT_TRUE(after.contains(QDate::currentDate().toString("yyyy"))
                || after.contains(QDate::currentDate().toString("yy")));
    EXPECT_TRUE(QRegularExpression("\\d{1,2}:\\d{2}:\\d{2}").match(after).hasMatch()) << after.toStdString();
}

TEST_F(ErrorLogTest, UnnumberedProceduresAndOtherExceptions)
{
    ErrorTrap trap("Main", ObjectKind::Module, "modMaster", false);
    EXPECT_EQ(trap.Message(RunTimeError(13)),
              "Error 13 (Type mismatch) in procedure Main at Line No. 0 of Module modMaster");
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        EXPECT_EQ(trap.Error().number(), rterr::InvalidProcedureCall);
        EXPECT_EQ(trap.Error().description(), "boom");
    }
}

TEST_F(ErrorLogTest, LinesAreAppendedAndBreaksInAMessageAreKept)
{
    LogError("first");
    LogError("two\r\nparts");
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("first- "));
    EXPECT_EQ(lines[1], "two");
    EXPECT_TRUE(lines[2].startsWith("parts- "));
}

TEST_F(ErrorLogTest, AnUnwritableLogLosesTheLineSilently)
{
    ASSERT_TRUE(QDir().mkpath(StorageFolder() + "/Errors.Log"));
    std::vector<QString> shown;
    SetMsgBoxHandler([&](const MsgBoxRequest& r) {
        shown.push_back(r.text);
        return MsgBoxResult::OK;
    });
    TiffPdfCommands facade;
    EXPECT_FALSE(facade.DeleteTiffPage("/nowhere/a.tif", 1)); // control not registered
    LogError("direct");
    SetMsgBoxHandler({});
    // Nothing is shown, no window opens, and the line goes nowhere else.
    EXPECT_TRUE(shown.empty()) << shown.front().toStdString();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_TRUE(QFileInfo(StorageFolder() + "/Errors.Log").isDir());
    EXPECT_EQ(QDir(StorageFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{"Errors.Log"});
    EXPECT_TRUE(QDir(StorageFolder() + "/Errors.Log").isEmpty());
}

// With the page-engine control not registered, each method fails to create
// it and logs one line naming itself and the creation statement.
TEST_F(ErrorLogTest, DesktopFacadeLogsTheCreationStatementOfEachMethod)
{
    QTemporaryDir out;
    TiffPdfCommands facade;
    const struct {
        const char* method;
        int line;
        std::function<bool()> call;
    } cases[] = {
        {"AppendFileTiffFile", 60, [&] { return facade.AppendFileTiffFile("/x/a.tif", "/x/b.tif", 1); }},
        {"DeleteTiffPage", 20, [&] { return facade.DeleteTiffPage("/x/a.tif", 1); }},
        {"SplitTiffFiles", 90, [&] { return facade.SplitTiffFiles("/x/a.tif", 2, out.path(), "p"); }},
        {"ExtractTIFFpagesbyRange", 90, [&] { return facade.ExtractTIFFpagesbyRange("/x/a.tif", 0, 1, out.path()); }},
        {"ExtractAllTIFFpages", 90, [&] { return facade.ExtractAllTIFFpages("/x/a.tif", out.path()); }},
    };
    int expectedLines = 0;
    for (const auto& c : cases) {
        const QString before = ErrorLogTimestamp();
        EXPECT_FALSE(c.call()) << c.method;
        const QString after = ErrorLogTimestamp();
        const QStringList lines = Lines();
        ASSERT_EQ(lines.size(), ++expectedLines) << c.method;
        const QString prefix = QString("Error 429 (ActiveX component can't create object) in procedure %1 "
                                       "at Line No. %2 of Class Module TiffPdfCommands at time- ")
                                   .arg(c.method)
                                   .arg(c.line);
        EXPECT_TRUE(lines.last().startsWith(prefix)) << lines.last().toStdString();
        EXPECT_TRUE(EndsWithStamp(lines.last(), before, after)) << lines.last().toStdString();
    }
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(ErrorLogTest, CommandLineFacadeLogsOnlySplitAndExtractWithItsOwnNumbers)
{
    SelectRunningProgram(RunningProgram::CommandLine);
    QTemporaryDir out;
    TiffPdfCommands facade;
    EXPECT_FALSE(facade.AppendFileTiffFile("/x/a.tif", "/x/b.tif", 1));
    EXPECT_FALSE(facade.DeleteTiffPage("/x/a.tif", 1));
    EXPECT_TRUE(Lines().isEmpty());

    EXPECT_FALSE(facade.SplitTiffFiles("/x/a.tif", 2, out.path(), "p"));
    EXPECT_FALSE(facade.ExtractTIFFpagesbyRange("/x/a.tif", 0, 1, out.path()));
    EXPECT_FALSE(facade.ExtractAllTIFFpages("/x/a.tif", out.path()));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(
        lines[0].contains("in procedure SplitTiffFiles at Line No. 0 of Class Module TiffPdfCommands at time- "));
    EXPECT_TRUE(lines[1].contains("in procedure ExtractTIFFpagesbyRange at Line No. 40 of Class Module"));
    EXPECT_TRUE(lines[2].contains("in procedure ExtractAllTIFFpages at Line No. 40 of Class Module"));
}

// Refused inputs fail before the control would be created (which, not
// registered here, would log); CombineOrderTiff never logs.
TEST_F(ErrorLogTest, RefusedInputsAndCombineFailWithoutLogging)
{
    QTemporaryDir out;
    TiffPdfCommands facade;
    EXPECT_FALSE(facade.AppendFileTiffFile("/x/a.tif", "/x/b.tif", -1));
    EXPECT_FALSE(facade.AppendFileTiffFile("", "/x/b.tif", 1));
    EXPECT_FALSE(facade.AppendFileTiffFile("/x/a.tif", "", 1));
    clsColSetOrderGrid record;
    record.filename("a.tif");
    facade.colOrderedData.append(record);
    EXPECT_FALSE(facade.CombineOrderTiff()); // no output name
    EXPECT_EQ(facade.FileProccessed, 0);
    facade.FileNameToSave = out.filePath("merged.tif");
    EXPECT_FALSE(facade.CombineOrderTiff()); // no control
    EXPECT_FALSE(QFileInfo::exists(facade.FileNameToSave));
    EXPECT_TRUE(Lines().isEmpty());
}
