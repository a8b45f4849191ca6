#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/frm_main.h"
#include "operations/storage_folder.h"
#include "platform/grid/grid.h"
#include "platform/runtime/run_time_error.h"

#include "main_window_fixture.h"
#include "run_regsvr.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Start-up against a fresh per-user data folder, with the page counters
// registered in the per-user class registry of the test run.
class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_PDF_COUNTER_MODULE)}), 0);
    }

    void SetUp() override
    {
        ASSERT_TRUE(data_.isValid());
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
        ResetStartupState();
        MainWindowTest::ClearPlacementArea();
        SetModalRunner([this](QDialog& d) {
            modals.push_back(d.metaObject()->className());
            return int(QDialog::Accepted);
        });
    }
    void TearDown() override
    {
        SetModalRunner({});
        ResetStartupState();
        qputenv("XDG_DATA_HOME", previousData_);
        GetStorageFolder();
    }

    QString Storage() const { return data_.path() + "/Ostrana Technologies/Velmora 3.1"; }
    QString ErrorLog() const
    {
        QFile f(Storage() + "/Errors.Log");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir data_;
    QByteArray previousData_;
    std::vector<QString> modals;
};

TEST_F(StartupTest, FirstStartShowsTheFirstRunWindowWritesDefaultsAndOpensTheMainWindow)
{
    ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown);
    EXPECT_EQ(modals, std::vector<QString>({"frmProgressDialog"}));
    EXPECT_EQ(StorageFolderWithSeparator, Storage() + "/");
    EXPECT_TRUE(QFile::exists(Storage() + "/Settings/settings.ini"));
    EXPECT_FALSE(QFile::exists(Storage() + "/Testtemp.sys"));
    ASSERT_TRUE(objSettings);
    EXPECT_EQ(TheSettings().WindowStateValue(), 2);
    EXPECT_EQ(TheSettings().LastGridColWidth(), "1800,250,700,1800,1000,1400,2000,2000");

    // The catalogue's eight columns, keyed by caption, with the saved widths.
    ASSERT_TRUE(objGridColumns);
    ASSERT_EQ(objGridColumns->Count(), 8);
    const auto& builtIn = GridColumns::Catalogue();
    const QStringList widths = TheSettings().LastGridColWidth().split(',');
    for (int i = 1; i <= 8; ++i) {
        const auto column = objGridColumns->Item(i);
        const QString caption = QString::fromLatin1(builtIn[i - 1].caption);
        EXPECT_EQ(column->ColumnName, caption);
        EXPECT_EQ(column->ColumnKey, caption);
        EXPECT_EQ(objGridColumns->Item(caption), column);
        EXPECT_EQ(column->ColumnWidth, widths[i - 1].toFloat());
    }
    EXPECT_EQ(objGridColumns->Item("Modified Date")->ColumnWidth, 2000.0f);
    EXPECT_EQ(FilterPatterns, QStringList({"*.tif,*.tiff"}));
    EXPECT_TRUE(PdfPageCounter.IsCreated());
    EXPECT_TRUE(TiffPageCounter.IsCreated());
    std::int32_t pages = 99;
    EXPECT_EQ(TiffPageCounter.CountPages(data_.path() + "/none.tif", pages), com::S_OK);
    EXPECT_LT(pages, 0);

    frmMain* window = MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(window->windowTitle(), "Velmora 3.1");
    EXPECT_EQ(window->SelectedFolder(), QDir::homePath());
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().toStdString();

    // The next start finds the settings file: no first-run window.
    window->close();
    ResetStartupState();
    modals.clear();
    ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown);
    EXPECT_TRUE(modals.empty());
}

TEST_F(StartupTest, ACorruptColumnLayoutFallsBackToTheDefaultsInsteadOfEndingStartUp)
{
    ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown);
    MainWindow()->close();
    // A damaged width list in the settings file (the setter rewrites it).
    TheSettings().SetLastGridColWidth("10,20,x,40,50,60,70,80");
    TheSettings().SetColumnReOrder("Name,Pages");
    ResetStartupState();

    ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown);
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(TheSettings().LastGridColWidth(), "1800,250,700,1800,1000,1400,2000,2000");
    EXPECT_EQ(TheSettings().ColumnReOrder(),
              "Name,Selection,Pages,Location,Size (In KB),Type,Created Date,Modified Date");
    ASSERT_EQ(objGridColumns->Count(), 8);
    EXPECT_EQ(objGridColumns->Item("Modified Date")->ColumnWidth, 2000.0f);
}

TEST_F(StartupTest, NoStoredWidthListStopsStartUpOrSpoilsTheGrid)
{
    ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown);
    MainWindow()->close();
    ResetStartupState();
    // A comma-decimal locale: a fraction in the plain notation is still a
    // width; values that are no widths fall back, once logged each.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::pair<const char*, int> lists[] = {
        {"1800.5,250,700,1800,1000,1400,2000,2000", 1800},   {"1800,nan,700,1800,1000,1400,2000,2000", 1800},
        {"-1800,250,700,1800,1000,1400,2000,2000", 1800},    {"inf,250,700,1800,1000,1400,2000,2000", 1800},
        {"99999999,250,700,1800,1000,1400,2000,2000", 1800}, {"1700,250,700,1800,1000,1400,2000", 1800},
    };
    for (const auto& [list, firstWidth] : lists) {
        {
            Settings writer;
            ASSERT_TRUE(writer.LoadSettings());
            writer.SetLastGridColWidth(QString::fromLatin1(list));
        }
        QFile::remove(Storage() + "/Errors.Log");
        ASSERT_EQ(Main(QString()), StartupOutcome::MainWindowShown) << list;
        frmMain* window = MainWindow();
        ASSERT_NE(window, nullptr) << list;
        const Grid& g = *window->Ui().grdSearchList;
        ASSERT_EQ(g.ColumnCount(), 8) << list;
        for (int c = 0; c < 8; ++c)
            EXPECT_FALSE(g.CellText(0, c).isEmpty()) << list << " column " << c;
        EXPECT_EQ(g.ColumnDataTypeAt(GetColumnIndexByKey("Selection")), Grid::kTypeBoolean) << list;
        EXPECT_EQ(g.ColumnWidthAt(0), firstWidth) << list;
        EXPECT_EQ(g.ColumnWidthAt(1), 250) << list;
        const bool valid = QString::fromLatin1(list).startsWith("1800.5");
        const QStringList log = ErrorLog().split("\r\n", Qt::SkipEmptyParts);
        EXPECT_EQ(log.size(), valid ? 0 : 1) << list << "\n" << ErrorLog().toStdString();
        window->close();
        ResetStartupState();
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(StartupTest, AnUnwritableStorageFolderEndsBehindTheNotice)
{
    // A folder where the test file would go makes the write test fail.
    ASSERT_TRUE(QDir().mkpath(Storage() + "/Testtemp.sys"));
    EXPECT_EQ(Main(QString()), StartupOutcome::NoticeShown);
    EXPECT_EQ(modals, std::vector<QString>({"FrmVistaErrDlg"}));
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_FALSE(objSettings);
}

TEST_F(StartupTest, UnregisteredPageCountersEndStartUpWithALogLine)
{
    ASSERT_EQ(RunRegsvr({"-u", QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
    const StartupOutcome outcome = Main(QString());
    ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
    EXPECT_EQ(outcome, StartupOutcome::NoWindow);
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(ErrorLog().startsWith("Error 429 ")) << ErrorLog().toStdString();
    EXPECT_TRUE(ErrorLog().contains("in procedure Main at Line No. 140 of Module modMasterLayout at time"))
        << ErrorLog().toStdString();
}

TEST_F(StartupTest, AStorageFolderThatCannotBeMadeIsNamedWhenTheProgramEnds)
{
    // A file where the per-user data folder should be.
    const QString blocker = data_.path() + "/not-a-folder";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_DATA_HOME", blocker.toUtf8());
    EXPECT_EQ(Main(QString()), StartupOutcome::NoStorageFolder);
    EXPECT_EQ(MainWindow(), nullptr);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", blocker);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VELMORA_DESKTOP_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(
        said.contains("the storage folder " + blocker + "/Ostrana Technologies/Velmora 3.1 could not be created"))
        << said.toStdString();
    EXPECT_FALSE(said.contains("Errors.Log")) << said.toStdString();
}

TEST_F(StartupTest, CommandLineFolderIsShownAndEmptiedAfterwards)
{
    QTemporaryDir scans;
    const QString folder = QDir(scans.path()).canonicalPath();
    const QString line = folder + "/a.tif|/elsewhere/b.tif";
    ASSERT_EQ(Main(line), StartupOutcome::MainWindowShown);
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(MainWindow()->SelectedFolder(), folder);
    EXPECT_TRUE(CmdLineFolder.isEmpty());
    EXPECT_EQ(CmdLineFiles, QStringList({folder + "/a.tif", "/elsewhere/b.tif"}));
}

TEST(ValidateCmdLineTest, OnlyTheFirstPathsFolderDecides)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    ResetStartupState();

    QString line = d + "/a.tif|/no/such/dir/b.tif";
    EXPECT_TRUE(ValidateCmdLine(line));
    EXPECT_EQ(CmdLineFolder, d);
    EXPECT_EQ(CmdLineFiles, QStringList({d + "/a.tif", "/no/such/dir/b.tif"}));

    // A first path whose folder is missing records nothing, whatever follows.
    ResetStartupState();
    line = "/no/such/dir/a.tif|" + d + "/b.tif";
    EXPECT_FALSE(ValidateCmdLine(line));
    EXPECT_TRUE(CmdLineFolder.isEmpty());
    EXPECT_TRUE(CmdLineFiles.isEmpty());

    // Quotes are kept, so the folder is not found.
    line = "\"" + d + "/a.tif\"";
    EXPECT_FALSE(ValidateCmdLine(line));
    // No folder part at all.
    line = "a.tif";
    EXPECT_FALSE(ValidateCmdLine(line));
    EXPECT_TRUE(CmdLineFolder.isEmpty());
    // A file in the root.
    line = "/x.tif";
    EXPECT_TRUE(ValidateCmdLine(line));
    EXPECT_EQ(CmdLineFolder, "/");
    ResetStartupState();
}

TEST(GridColumnsStartupTest, SavedWidthsApplyOnlyWithOneEntryPerColumn)
{
    const auto& builtIn = GridColumns::Catalogue();
    for (const QString& list : {QString("1,2,3,4,5,6,7"), QString("1,2,3,4,5,6,7,8,9"), QString()}) {
        GridColumns columns;
        BuildGridColumns(columns, list);
        ASSERT_EQ(columns.Count(), 8);
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(columns.Item(i)->ColumnWidth, builtIn[i - 1].width) << list.toStdString();
    }
    GridColumns columns;
    EXPECT_TRUE(BuildGridColumns(columns, "10,20,30,40,50,60,70,80"));
    EXPECT_EQ(columns.Item(8)->ColumnWidth, 80.0f);

    // Either decimal notation, whatever the locale; a list with an entry
    // that is no width keeps every built-in width and raises nothing.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    GridColumns fractions;
    EXPECT_TRUE(BuildGridColumns(fractions, "1800.5,250,700,1800,1000,1400,2000,2000"));
    EXPECT_EQ(fractions.Item(1)->ColumnWidth, 1800.5f);
    for (const char* list : {"10,20,x,40,50,60,70,80", "10,nan,30,40,50,60,70,80", "10,20,30,-inf,50,60,70,80",
                             "-10,20,30,40,50,60,70,80", "10,20,30,40,50,60,70,9e9"}) {
        GridColumns bad;
        EXPECT_FALSE(BuildGridColumns(bad, list)) << list;
        ASSERT_EQ(bad.Count(), 8);
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(bad.Item(i)->ColumnWidth, builtIn[i - 1].width) << list;
    }
    QLocale::setDefault(QLocale::system());
}

} // namespace
