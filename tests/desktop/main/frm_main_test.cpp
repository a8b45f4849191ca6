#include "counters/page_counter.h"
#include "desktop/core/column_layout.h"
#include "desktop/core/shell_open.h"
#include "desktop/main/frm_main.h"
#include "desktop/main/size_move_helper.h"
#include "desktop/main/window_placement.h"
#include "platform/grid/grid.h"

#include "fake_shell.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWheelEvent>
#include <QWindow>

#include <functional>

namespace {

using FrmMainTest = MainWindowTest;

// The window's keyboard accelerator of a command (named after it), if any.
QShortcut* ShortcutOf(const frmMain& w, const QAction* action)
{
    return w.findChild<QShortcut*>(action->objectName() + "Key", Qt::FindDirectChildrenOnly);
}

// What a pane shows: its container, also where the pane holds it in a
// scrolling area.
QWidget* PaneContent(const frmMain& w, int id)
{
    QWidget* inside = w.Ui().Pane(id)->widget();
    if (auto* area = qobject_cast<QScrollArea*>(inside))
        return area->widget();
    return inside;
}

// A TIFF page counter that runs `onCount` at every count and answers 1.
class FakeCounter : public counters::IPageCounter {
public:
    explicit FakeCounter(std::function<void()> onCount) : onCount_(std::move(onCount)) {}
    com::HRESULT CountPages(const QString&, std::int32_t& pages) override
    {
        onCount_();
        pages = 1;
        return com::S_OK;
    }

private:
    std::function<void()> onCount_;
};

QStringList Captions(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        out.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

TEST_F(FrmMainTest, MenusCarryTheirCaptionsAndKeys)
{
    frmMain w;
    const QList<QAction*> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "&Edit");
    EXPECT_EQ(top[1]->text(), "&Help");
    EXPECT_EQ(Captions(w.Ui().mnuEdit), QStringList({"&Preferances Ctr+P", "&Export Ctr+E", "-", "E&xit Ctl+X"}));
    EXPECT_EQ(Captions(w.Ui().mnuhelp), QStringList({"Visit Our &website Ctr+W", "&Help Ctr+H", "-", "&About..."}));
    EXPECT_EQ(
        Captions(w.Ui().mnuCtxMenu),
        QStringList({"Open", "Show Contaning Folder", "Print", "-", "Select All Ctr+A", "Invert Selection",
                     "Deselect All Ctr+D", "-", "Check Selection", "UnCheck Selection", "Invert Check Selection"}));

    const std::pair<QAction*, QKeySequence> keys[] = {
        {w.Ui().mnupreferances, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {w.Ui().mnuExport, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {w.Ui().mnuexit, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {w.Ui().mnuWebsite, QKeySequence(Qt::CTRL | Qt::Key_W)},
        {w.Ui().mnuShowHelp, QKeySequence(Qt::CTRL | Qt::Key_H)},
    };
    for (const auto& [action, key] : keys) {
        QShortcut* shortcut = ShortcutOf(w, action);
        ASSERT_NE(shortcut, nullptr) << action->text().toStdString();
        EXPECT_EQ(shortcut->key(), key) << action->text().toStdString();
    }
    EXPECT_EQ(ShortcutOf(w, w.Ui().mnuAbout), nullptr);

    // The keys reach their commands from the window.
    FakeShell fake;
    shell::ScopedHandler use(&fake);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QSignalSpy help(w.Ui().mnuShowHelp, &QAction::triggered);
    QSignalSpy exitSpy(w.Ui().mnuexit, &QAction::triggered);
    QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(help.count(), 1);
    // A disabled command's key does nothing.
    w.Ui().mnuexit->setEnabled(false);
    QTest::keyClick(&w, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(exitSpy.count(), 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(FrmMainTest, PanesControlsAndStatusBar)
{
    frmMain w;
    EXPECT_EQ(w.windowTitle(), "Velmora 3.1");
    const char* titles[] = {nullptr, "Folders", "Options", "Search List", "Advance Search Options"};
    for (int id = 1; id <= 4; ++id) {
        ASSERT_NE(w.Ui().Pane(id), nullptr);
        EXPECT_EQ(w.Ui().Pane(id)->windowTitle(), titles[id]);
    }
    EXPECT_EQ(w.Ui().Pane(1)->widget(), w.Ui().ctlPaneFolder);
    EXPECT_EQ(PaneContent(w, 1), w.Ui().ctlPaneFolder);
    EXPECT_EQ(PaneContent(w, 2), w.Ui().ctlPaneSearch);
    EXPECT_EQ(PaneContent(w, 3), w.Ui().ctlPaneSearchList);
    EXPECT_EQ(PaneContent(w, 4), w.Ui().CtlPaneSearchOptions);
    EXPECT_TRUE(w.tabifiedDockWidgets(w.Ui().Pane(2)).contains(w.Ui().Pane(4)));
    EXPECT_EQ(w.Ui().cmdSearch->text(), "&Search");
    EXPECT_EQ(w.Ui().cmdSplit->text(), "S&plit");
    EXPECT_EQ(w.Ui().cmdAppendTifffile->text(), "&Append Or Insert");
    EXPECT_EQ(w.Ui().cmdDeleteTiffPage->text(), "&Delete");
    EXPECT_GT(w.Ui().cmdAppendTifffile->width(), w.Ui().cmdSplit->width());

    // Start state of the search options: the filters are off and their
    // inputs disabled; both dates are today.
    EXPECT_FALSE(w.Ui().chkSearchByDate->isChecked());
    EXPECT_FALSE(w.Ui().fraDate->isEnabled());
    EXPECT_FALSE(w.Ui().fraSize->isEnabled());
    EXPECT_TRUE(w.Ui().optBtnPeriod->isChecked());
    EXPECT_TRUE(w.Ui().optSizeAt->isChecked());
    w.Ui().chkSearchByDate->click();
    EXPECT_TRUE(w.Ui().fraDate->isEnabled());
    EXPECT_TRUE(w.Ui().optInPeriod->isEnabled());

    QString text;
    w.ShowStatus(text);
    EXPECT_EQ(text, "Status");
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "Status");
    w.ShowStatus(QStringLiteral("3 files"));
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "3 files");
    EXPECT_FALSE(w.Ui().sbPanelDate->text().isEmpty());
    EXPECT_FALSE(w.Ui().sbPanelTime->text().isEmpty());
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(FrmMainTest, HelpOpensTheHelpPageOrSaysItIsMissing)
{
    FakeShell fake;
    shell::ScopedHandler use(&fake);
    QTemporaryDir program;
    frmMain w;
    w.ProgramFolder = program.path();

    w.mnuShowHelp_Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Help Not Found.");
    EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_EQ(boxes[0].title, "Velmora 3.1");
    EXPECT_TRUE(fake.opened.isEmpty());

    // A folder of that name is not the help page.
    ASSERT_TRUE(QDir(program.path()).mkdir("help.html"));
    w.mnuShowHelp_Click();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(fake.opened.isEmpty());
    ASSERT_TRUE(QDir(program.path()).rmdir("help.html"));

    QFile page(program.path() + "/help.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    w.mnuShowHelp_Click();
    EXPECT_EQ(boxes.size(), 2u);
    ASSERT_EQ(fake.opened.size(), 1);
    EXPECT_EQ(fake.opened[0], QUrl::fromLocalFile(program.path() + "/help.html"));

    // The web site and About.
    w.mnuWebsite_Click();
    ASSERT_EQ(fake.opened.size(), 2);
    EXPECT_EQ(fake.opened[1].scheme(), "https");
    w.mnuAbout_Click();
    EXPECT_EQ(modals, std::vector<QString>({"frmAbout"}));
}

TEST_F(FrmMainTest, ShellOpenReportsAFileNothingCanOpen)
{
    FakeShell fake;
    fake.answer = false;
    shell::ScopedHandler use(&fake);
    QTemporaryDir dir;
    const QString file = dir.path() + "/scan #1.tif";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QString verb = "open";
    std::int32_t show = 1;
    ShellOpen(verb, file, QString(), QString(), show);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, OpenWithFailedText(file));
    ASSERT_EQ(fake.opened.size(), 1);
    EXPECT_EQ(fake.opened[0].toLocalFile(), file);
    // A folder that no file manager shows is said the same way.
    verb = "Open";
    ShellOpen(verb, dir.path(), QString(), QString(), show);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, OpenWithFailedText(dir.path()));
    // Other verbs fail silently.
    verb = "edit";
    ShellOpen(verb, file, QString(), QString(), show);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(FrmMainTest, DefaultPlacementAndTheSettingsAreaValues)
{
    TheSettings().SetWindowStateFlag(0);
    {
        frmMain w;
        EXPECT_EQ(w.pos(), QPoint(67, 67)); // 1000 twips
        EXPECT_EQ(w.size(), QSize(700, 403));
        EXPECT_EQ(w.minimumSize(), QSize(700, 403));
    }
    {
        QSettings area = PlacementArea();
        area.setValue("Settings/MainLeft", "1500");
        area.setValue("Settings/MainTop", "3000");
        area.setValue("Settings/MainWidth", "12000");
        area.setValue("Settings/MainHeight", "not a number");
        area.sync();
    }
    frmMain w;
    EXPECT_EQ(w.pos(), QPoint(100, 200));
    EXPECT_EQ(w.size(), QSize(800, 403));
    // The area is only read.
    QSettings area = PlacementArea();
    EXPECT_EQ(area.value("Settings/MainLeft").toString(), "1500");
    EXPECT_EQ(area.value("Settings/MainHeight").toString(), "not a number");
    EXPECT_EQ(area.allKeys().size(), 4);
}

TEST_F(FrmMainTest, RememberedStateAndPlacementAreRestored)
{
    // Defaults: last remembered size with nothing stored -> maximised.
    {
        frmMain w;
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    }
    // A stored placement whose left is 0 is still a stored placement.
    TheSettings().SetLastWindowLeft(0);
    TheSettings().SetLastWindowTop(1500);
    TheSettings().SetLastWindowWidth(11250);
    TheSettings().SetLastWindowHeight(7500);
    TheSettings().SetLastWindowState(0);
    {
        frmMain w;
        EXPECT_EQ(w.windowState(), Qt::WindowNoState);
        EXPECT_EQ(w.geometry(), QRect(0, 100, 750, 500));
    }
    TheSettings().SetWindowStateValue(1);
    {
        frmMain w;
        EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    }
    TheSettings().SetWindowStateValue(0);
    {
        frmMain w;
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    }
    // No state applied at all without the flag.
    TheSettings().SetWindowStateFlag(0);
    {
        frmMain w;
        EXPECT_EQ(w.windowState(), Qt::WindowNoState);
        EXPECT_EQ(w.pos(), QPoint(67, 67));
    }
}

// The frame lies on the screen, title bar and all; its borders may reach
// past the right and bottom edges by a few pixels.
bool FrameOnScreen(const QRect& frame, const QRect& screen)
{
    return screen.adjusted(0, 0, 8, 8).contains(frame);
}

TEST_F(FrmMainTest, APlacementWithNoScreenUnderItIsMovedOntoTheScreen)
{
    TheSettings().SetLastWindowLeft(300000); // 20000 pixels to the right
    TheSettings().SetLastWindowTop(-150000);
    TheSettings().SetLastWindowWidth(11250);
    TheSettings().SetLastWindowHeight(7500);
    const QRect screen = AvailableScreenAreas().first();
    {
        frmMain w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        const QRect frame = w.frameGeometry();
        EXPECT_TRUE(FrameOnScreen(frame, screen)) << frame.x() << "," << frame.y();
        EXPECT_EQ(w.size(), QSize(750, 500));
    }
    // "Maximum" with nothing recorded yet: the window restored from the
    // maximised state can still be dragged and closed by its title.
    TheSettings().SetWindowStateValue(0);
    for (const int left : {0, 300000}) {
        TheSettings().SetLastWindowLeft(left);
        TheSettings().SetLastWindowTop(0);
        TheSettings().SetLastWindowWidth(0);
        TheSettings().SetLastWindowHeight(0);
        frmMain w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        w.showNormal();
        QTest::qWait(20);
        const QRect frame = w.frameGeometry();
        EXPECT_TRUE(FrameOnScreen(frame, screen)) << left << ": " << frame.x() << "," << frame.y();
    }

    const QList<QRect> areas{QRect(0, 0, 1000, 800), QRect(1000, 0, 1000, 800)};
    // Partly visible on the second screen: left alone.
    EXPECT_EQ(FitOntoScreens(QRect(1800, 700, 700, 400), areas), QRect(1800, 700, 700, 400));
    // A sliver of title only: moved back.
    EXPECT_EQ(FitOntoScreens(QRect(1990, 100, 700, 400), areas), QRect(300, 100, 700, 400));
    // The title bar above the screen: moved down onto it.
    EXPECT_EQ(FitOntoScreens(QRect(100, -20, 700, 400), areas), QRect(100, 0, 700, 400));
    // Larger than the screen: shrunk onto it.
    EXPECT_EQ(FitOntoScreens(QRect(-5000, -5000, 3000, 2000), areas), QRect(0, 0, 1000, 800));
}

TEST_F(FrmMainTest, PlacementIsRecordedOnlyWhileTrackingAndWhenTheSizeSettles)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.m_c->SetSettleInterval(200);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(w.ActivationCount, 1);

    // Before the second activation nothing is recorded.
    w.resize(760, 450);
    QTest::qWait(400);
    EXPECT_EQ(OnDisk().LastWindowWidth(), 0);
    EXPECT_FALSE(w.PlacementTracking);

    w.Form_Activate(); // the user comes back to the window
    EXPECT_TRUE(w.PlacementTracking);
    for (int width = 780; width <= 800; width += 5)
        w.resize(width, 460);
    // Not rewritten for every intermediate size...
    EXPECT_EQ(OnDisk().LastWindowWidth(), 0);
    // ...but once the size settles.
    ASSERT_TRUE(QTest::qWaitFor([] { return OnDisk().LastWindowWidth() == 800 * 15; }, 3000));
    const Settings s = OnDisk();
    EXPECT_EQ(s.LastWindowHeight(), 460 * 15);
    // The frame's position, as the start-up places it.
    EXPECT_EQ(s.LastWindowLeft(), w.pos().x() * 15);
    EXPECT_EQ(s.LastWindowState(), 0);
}

TEST_F(FrmMainTest, ClosingRecordsPlacementAndColumnWidthsPerTheFlags)
{
    TheSettings().SetWindowStateFlag(0);
    {
        frmMain w;
        ASSERT_EQ(w.Ui().grdSearchList->ColumnCount(), 8);
        w.Ui().grdSearchList->SetColumnWidthAt(0, 1800);
        w.Ui().grdSearchList->SetColumnWidthAt(1, 255);
        w.Ui().grdSearchList->SetColumnWidthAt(2, 705);
        w.show();
        w.setGeometry(120, 90, 720, 420);
        w.close();
        const Settings s = OnDisk();
        EXPECT_EQ(s.LastWindowState(), 0);
        EXPECT_EQ(s.LastWindowLeft(), w.pos().x() * 15);
        EXPECT_EQ(s.LastWindowTop(), w.pos().y() * 15);
        EXPECT_EQ(s.LastWindowWidth(), 720 * 15);
        EXPECT_EQ(s.LastWindowHeight(), 420 * 15);
        EXPECT_EQ(s.LastGridColWidth(), "1800,255,705,1800,1000,1400,2000,2000");
    }
    TheSettings().SetLastGridColWidthFlag(0);
    TheSettings().SetLastWindowWidth(1234);
    {
        frmMain w;
        w.Ui().grdSearchList->SetColumnCount(1);
        w.show();
        w.showMinimized();
        w.close();
        const Settings s = OnDisk();
        // Minimised: nothing recorded; flag 0: widths kept.
        EXPECT_EQ(s.LastWindowWidth(), 1234);
        EXPECT_EQ(s.LastGridColWidth(), "1800,255,705,1800,1000,1400,2000,2000");
    }
    TheSettings().SetLastGridColWidthFlag(1);
    {
        // A grid without columns does not wipe the saved widths.
        frmMain w;
        w.Ui().grdSearchList->SetColumnCount(0);
        w.show();
        w.showMaximized();
        w.close();
        const Settings s = OnDisk();
        EXPECT_EQ(s.LastWindowState(), 2);
        EXPECT_EQ(s.LastWindowWidth(), 1234);
        EXPECT_EQ(s.LastGridColWidth(), "1800,255,705,1800,1000,1400,2000,2000");
    }
}

TEST_F(FrmMainTest, AClosedWindowOpensAgainWhereItWas)
{
    TheSettings().SetWindowStateFlag(1);
    TheSettings().SetWindowStateValue(2);
    QRect first;
    QPoint firstFrame;
    {
        frmMain w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.showNormal();
        w.setGeometry(160, 120, 720, 420);
        QTest::qWait(20);
        first = w.geometry();
        firstFrame = w.pos();
        w.close();
    }
    frmMain again;
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    // Neither the window nor its frame creeps from one run to the next.
    EXPECT_EQ(again.geometry(), first);
    EXPECT_EQ(again.pos(), firstFrame);
}

TEST_F(FrmMainTest, ClosingDuringASearchCancelsItAndClosesAfterwards)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.show();
    {
        frmMain::SearchRun run(&w);
        EXPECT_TRUE(w.SearchRunning());
        for (QAction* a :
             {w.Ui().mnupreferances, w.Ui().mnuExport, w.Ui().mnuexit, w.Ui().mnuCtxSelectAll, w.Ui().mnuCtxOpen})
            EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
        for (QPushButton* b : {w.Ui().cmdSplit, w.Ui().cmdAppendTifffile, w.Ui().cmdDeleteTiffPage, w.Ui().cmdExport})
            EXPECT_FALSE(b->isEnabled());
        // Search itself stays usable: it is the Cancel button.
        EXPECT_TRUE(w.Ui().cmdSearch->isEnabled());
        w.setGeometry(150, 100, 740, 430);
        EXPECT_FALSE(w.close());
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.CancelRequested);
        EXPECT_TRUE(w.ClosePending());
        // Nothing was recorded while the search was on the stack.
        EXPECT_EQ(OnDisk().LastWindowWidth(), 0);
    }
    EXPECT_TRUE(w.Ui().mnuexit->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 2000));
    EXPECT_EQ(OnDisk().LastWindowWidth(), 740 * 15);
}

TEST_F(FrmMainTest, CommandLineFolderIsShownAndOnlyNamedPathsAreTicked)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    CmdLineFolder = folder;
    CmdLineFiles = {folder + "/a.tif", folder + "/missing.tif"};
    frmMain w;
    EXPECT_EQ(w.SelectedFolder(), folder);
    EXPECT_TRUE(CmdLineFolder.isEmpty());

    // Rows as the search lists them: name and folder.
    // The columns stand where the stored column order puts them.
    Grid& g = *w.Ui().grdSearchList;
    const int sel = GetColumnIndexByKey("Selection");
    const int nameCol = GetColumnIndexByKey("Name");
    const int loc = GetColumnIndexByKey("Location");
    const int pages = GetColumnIndexByKey("Pages");
    g.SetColumnCount(8);
    g.SetRowCount(5);
    g.SetCellText(0, sel, "Selection");
    g.SetCellText(0, nameCol, "Name");
    g.SetCellText(0, loc, "Location");
    g.SetCellText(0, pages, "Pages");
    g.SetColumnDataTypeAt(sel, Grid::kTypeBoolean);
    const QString other = folder + "/sub";
    const QString rows[][2] = {{"a.tif", folder}, {"A.TIF", folder}, {"a.tif", other}, {"b.tif", folder}};
    for (int r = 0; r < 4; ++r) {
        g.SetCellText(r + 1, nameCol, rows[r][0]);
        g.SetCellText(r + 1, loc, rows[r][1]);
        g.SetCellText(r + 1, pages, "3");
    }
    w.TickCommandLineFiles();
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, sel).toInt(), Grid::kChecked);
    for (int r = 2; r <= 4; ++r)
        EXPECT_NE(g.CellAttribute(Grid::kAttrCheckState, r, sel).toInt(), Grid::kChecked) << r;
    // The status bar already counts the pre-ticked row.
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "1 file selected; Total Page count of selected Tiff files: 3");
}

TEST_F(FrmMainTest, WithoutACommandLineTheStartupFolderIsShown)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    TheSettings().SetStartupFolder(folder);
    frmMain w;
    EXPECT_EQ(w.SelectedFolder(), folder);
}

TEST_F(FrmMainTest, SizeMoveHelperReportsOneSizeMovePerBurst)
{
    QWidget window;
    cSizeMoveHelper helper;
    helper.SetSettleInterval(30);
    helper.Attach(&window);
    int enters = 0, exits = 0, sizings = 0;
    QObject::connect(&helper, &cSizeMoveHelper::EnterSizeMove, [&] { ++enters; });
    QObject::connect(&helper, &cSizeMoveHelper::ExitSizeMove, [&] { ++exits; });
    QObject::connect(&helper, &cSizeMoveHelper::Sizing, [&](int&, int&, int& width, int&) {
        ++sizings;
        width = 1; // not applied
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exits == 1; }, 2000));
    enters = exits = sizings = 0;
    for (int i = 0; i < 5; ++i)
        window.resize(300 + i, 200);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(sizings, 5);
    EXPECT_TRUE(helper.InSizeMove());
    ASSERT_TRUE(QTest::qWaitFor([&] { return exits == 1; }, 2000));
    EXPECT_EQ(window.width(), 304);
    helper.Detach();
    window.resize(200, 200);
    QTest::qWait(80);
    EXPECT_EQ(enters, 1);

    // The smallest size of the main window holds for any resize.
    frmMain w;
    w.show();
    w.resize(300, 900);
    EXPECT_EQ(w.size(), QSize(700, 900));
    w.resize(900, 100);
    EXPECT_EQ(w.size(), QSize(900, 403));
}

// The rows of a tree that its viewport shows whole.
int VisibleRows(const QTreeView& tree)
{
    const int row = tree.sizeHintForRow(0) > 0 ? tree.sizeHintForRow(0) : tree.fontMetrics().height();
    return tree.viewport()->height() / row;
}

// Drags the main window's dock separator at `from` by `by` with the mouse.
void DragSeparator(QMainWindow& w, QPoint from, QPoint by)
{
    QWindow* window = w.windowHandle();
    QTest::mouseMove(window, from);
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(window, from + by * step / 4);
    QTest::mouseRelease(window, Qt::LeftButton, {}, from + by);
    QCoreApplication::processEvents();
}

TEST_F(FrmMainTest, AtTheSmallestSizeTheTreeAndTheGridTakeWhatTheUserGivesThem)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.resize(700, 403);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    QDir().mkpath(VELMORA_ARTIFACT_DIR);
    const QImage shot = w.grab().toImage();
    ASSERT_TRUE(shot.save(QStringLiteral(VELMORA_ARTIFACT_DIR) + "/main_window_smallest.png"));

    // The tree shows several folders, the grid several rows, and the
    // options keep the size they need.
    QDockWidget* folders = w.Ui().Pane(frmMain::PaneFolders);
    QDockWidget* options = w.Ui().Pane(frmMain::PaneOptions);
    QDockWidget* list = w.Ui().Pane(frmMain::PaneSearchList);
    EXPECT_GE(VisibleRows(*w.Ui().ftvFolder), 5) << w.Ui().ftvFolder->viewport()->height();
    EXPECT_GE(w.Ui().grdSearchList->View()->viewport()->height(),
              5 * w.Ui().grdSearchList->View()->verticalHeader()->defaultSectionSize());
    EXPECT_EQ(w.Ui().ctlPaneSearch->size(), w.Ui().ctlPaneSearch->minimumSize());
    EXPECT_EQ(w.Ui().CtlPaneSearchOptions->size(), w.Ui().CtlPaneSearchOptions->minimumSize());

    // The left/right separator moves: the left column widens by what the
    // user drags, the options keep their size.
    const QSize optionsBefore = w.Ui().ctlPaneSearch->size();
    const int leftBefore = folders->width();
    const QPoint vertical(folders->geometry().right() + (list->geometry().left() - folders->geometry().right()) / 2,
                          folders->geometry().center().y());
    DragSeparator(w, vertical, QPoint(80, 0));
    EXPECT_GE(folders->width(), leftBefore + 60) << leftBefore << " -> " << folders->width();
    EXPECT_EQ(options->width(), folders->width());
    EXPECT_EQ(w.Ui().ctlPaneSearch->size(), optionsBefore);

    // The Folders/Options separator moves too: the tree takes the room.
    const int treeBefore = folders->height();
    const QPoint horizontal(folders->geometry().center().x(),
                            folders->geometry().bottom()
                                + (options->geometry().top() - folders->geometry().bottom()) / 2);
    DragSeparator(w, horizontal, QPoint(0, 40));
    EXPECT_GE(folders->height(), treeBefore + 30) << treeBefore << " -> " << folders->height();
    EXPECT_EQ(w.Ui().ctlPaneSearch->size(), optionsBefore);

    // The picture shows more than one colour where the tree and the grid are.
    const QImage after = w.grab().toImage();
    ASSERT_TRUE(after.save(QStringLiteral(VELMORA_ARTIFACT_DIR) + "/main_window_dragged.png"));
    EXPECT_EQ(after.size(), w.size() * after.devicePixelRatio());
    QSet<QRgb> colours;
    const QRect tree = w.Ui().ftvFolder->rect().translated(w.Ui().ftvFolder->mapTo(&w, QPoint(0, 0)));
    for (int y = tree.top(); y <= tree.bottom(); y += 3)
        for (int x = tree.left(); x <= tree.right(); x += 3)
            colours.insert(after.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
}

// The inputs of the Options pane and of the Advance Search Options pane.
std::vector<QWidget*> OptionsInputs(const frmMain& w)
{
    return {w.Ui().chkSearchSubFolder, w.Ui().ChkUseAdvOpt,      w.Ui().cmdSearch,        w.Ui().cmdExport,
            w.Ui().cmdSplit,           w.Ui().cmdAppendTifffile, w.Ui().cmdDeleteTiffPage};
}
std::vector<QWidget*> AdvancedInputs(const frmMain& w)
{
    return {w.Ui().chkSearchByDate, w.Ui().cboDateRangeType, w.Ui().optInPeriod,  w.Ui().txtInPeriod,
            w.Ui().cboDateInPeriod, w.Ui().optBtnPeriod,     w.Ui().dtpDateFrom,  w.Ui().dtpDateTo,
            w.Ui().chkSearchBySize, w.Ui().optSizeAt,        w.Ui().cboLeastMost, w.Ui().txtSizeLeastMost,
            w.Ui().optSizeBtn,      w.Ui().txtSizeFrom,      w.Ui().txtSizeTo};
}

// What of an input must show for it to be usable: a box with its caption,
// a field of the width it asks for (a box row may stretch much wider).
QRect UsablePart(QWidget* input, QWidget* in)
{
    return QRect(input->mapTo(in, QPoint(0, 0)), input->sizeHint().boundedTo(input->size()));
}

QScrollArea* ScrollAreaOf(QWidget* content)
{
    return qobject_cast<QScrollArea*>(content->parentWidget()->parentWidget());
}

// The inputs whose usable part does not lie inside the visible part of the
// pane that shows `content`.
QStringList OutOfView(QWidget* content, const std::vector<QWidget*>& inputs)
{
    const QWidget* viewport = ScrollAreaOf(content)->viewport();
    QStringList out;
    for (QWidget* input : inputs) {
        const QRect at = UsablePart(input, content).translated(content->pos());
        if (!viewport->isVisible() || !viewport->rect().contains(at))
            out.append(input->objectName());
    }
    return out;
}

// Scrolls the pane as far as its scroll bars go towards the input.
void ScrollTo(QWidget* content, QWidget* input)
{
    QScrollArea* area = ScrollAreaOf(content);
    const QRect at = UsablePart(input, content);
    const QSize view = area->viewport()->size();
    QScrollBar* h = area->horizontalScrollBar();
    QScrollBar* v = area->verticalScrollBar();
    h->setValue(std::min(std::max(h->value(), at.right() + 1 - view.width()), at.left()));
    v->setValue(std::min(std::max(v->value(), at.bottom() + 1 - view.height()), at.top()));
}

TEST_F(FrmMainTest, EveryOptionShowsInALargeWindowAndScrollsIntoViewAtTheSmallestSize)
{
    TheSettings().SetWindowStateFlag(0);
    // A window as large as a maximised one on a small laptop screen: both
    // option panes show whole, whichever is in front.
    frmMain w;
    w.resize(1280, 760);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    EXPECT_EQ(OutOfView(w.Ui().ctlPaneSearch, OptionsInputs(w)).join(' ').toStdString(), "");
    w.Ui().Pane(frmMain::PaneAdvancedOptions)->raise();
    QTest::qWait(20);
    EXPECT_EQ(OutOfView(w.Ui().CtlPaneSearchOptions, AdvancedInputs(w)).join(' ').toStdString(), "");

    // Made as small as it gets: the left column keeps half the window for
    // the options, each input can be scrolled into view, and a wheel over a
    // drop-down or a date box scrolls the pane instead of changing the
    // filter.
    w.resize(700, 403);
    QTest::qWait(50);
    w.Ui().Pane(frmMain::PaneOptions)->raise();
    QTest::qWait(20);
    EXPECT_GE(w.Ui().Pane(frmMain::PaneOptions)->width(),
              (w.Ui().Pane(frmMain::PaneFolders)->width() + w.Ui().Pane(frmMain::PaneSearchList)->width()) / 2 - 1);
    for (QWidget* input : OptionsInputs(w)) {
        ScrollTo(w.Ui().ctlPaneSearch, input);
        EXPECT_EQ(OutOfView(w.Ui().ctlPaneSearch, {input}).join(' ').toStdString(), "");
    }
    w.Ui().Pane(frmMain::PaneAdvancedOptions)->raise();
    QTest::qWait(20);
    for (QWidget* input : AdvancedInputs(w)) {
        ScrollTo(w.Ui().CtlPaneSearchOptions, input);
        EXPECT_EQ(OutOfView(w.Ui().CtlPaneSearchOptions, {input}).join(' ').toStdString(), "");
    }
    w.Ui().chkSearchByDate->click();
    w.Ui().chkSearchBySize->click();
    QScrollBar* bar = ScrollAreaOf(w.Ui().CtlPaneSearchOptions)->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const auto wheelOver = [&](QWidget* input) {
        const int before = bar->value();
        const QPointF at(input->width() / 2.0, input->height() / 2.0);
        QWheelEvent wheel(at, input->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(input, &wheel);
        return bar->value() - before;
    };
    for (QWidget* input :
         std::initializer_list<QWidget*>{w.Ui().cboDateRangeType, w.Ui().dtpDateFrom, w.Ui().cboLeastMost}) {
        ScrollTo(w.Ui().CtlPaneSearchOptions, input);
        bar->setValue(std::max(0, bar->value() - 20));
        const char* value = input == w.Ui().dtpDateFrom ? "date" : "currentText";
        const std::string before = input->property(value).toString().toStdString();
        EXPECT_GT(wheelOver(input), 0) << input->objectName().toStdString();
        EXPECT_EQ(input->property(value).toString().toStdString(), before) << input->objectName().toStdString();
    }
}

// A smaller window gives the options back no more room than the user had
// left them: separators the user moved stay where they were put.
TEST_F(FrmMainTest, ASmallerWindowKeepsThePaneSizesTheUserChose)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.resize(1200, 760);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    QDockWidget* folders = w.Ui().Pane(frmMain::PaneFolders);
    QDockWidget* options = w.Ui().Pane(frmMain::PaneOptions);
    QDockWidget* list = w.Ui().Pane(frmMain::PaneSearchList);
    w.resizeDocks({folders, list}, {200, 1000}, Qt::Horizontal);
    w.resizeDocks({folders, options}, {500, 150}, Qt::Vertical);
    QTest::qWait(50);
    const int left = folders->width();
    const int high = options->height();
    ASSERT_LT(left, 260);

    w.resize(1100, 740);
    QTest::qWait(50);
    EXPECT_LE(folders->width(), left);
    EXPECT_LE(options->height(), high);
}

TEST_F(FrmMainTest, ActivatingAPaneMovesTheFocusIntoIt)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.resize(900, 600);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Ui().cmdSearch->setFocus();
    // A click on a pane's title.
    const auto clickTitle = [&](int id) {
        QDockWidget* dock = w.Ui().Pane(id);
        QTest::mouseClick(dock, Qt::LeftButton, {}, QPoint(dock->width() / 3, 4));
        QCoreApplication::processEvents();
    };
    clickTitle(frmMain::PaneSearchList);
    EXPECT_TRUE(w.Ui().grdSearchList->View()->hasFocus())
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    clickTitle(frmMain::PaneFolders);
    EXPECT_TRUE(w.Ui().ftvFolder->hasFocus());
    // Not the folders while a search runs.
    w.Ui().grdSearchList->setFocus();
    {
        frmMain::SearchRun run(&w);
        clickTitle(frmMain::PaneFolders);
        EXPECT_FALSE(w.Ui().ftvFolder->hasFocus());
    }
}

TEST_F(FrmMainTest, TheStartupFolderIsInViewOnceTheTreeHasListedItsFolder)
{
    QTemporaryDir dir;
    const QString base = QDir(dir.path()).canonicalPath();
    // Many folders before the chosen one, so that it lies far down.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(QDir(base).mkdir(QStringLiteral("d%1").arg(i, 3, 10, QLatin1Char('0'))));
    const QString chosen = base + "/d250";
    TheSettings().SetStartupFolder(chosen);
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.resize(800, 500);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.SelectedFolder(), chosen);
    const auto inView = [&] {
        const QRect row = w.Ui().ftvFolder->visualRect(w.Ui().ftvFolder->currentIndex());
        return row.isValid() && w.Ui().ftvFolder->viewport()->rect().contains(row);
    };
    // Once the listing of the chosen folder's parent has arrived.
    const auto listed = [&] {
        return w.Ui().ftvFolderModel->rowCount(w.Ui().ftvFolder->currentIndex().parent()) >= 300;
    };
    ASSERT_TRUE(QTest::qWaitFor(listed, 10000));
    QTest::qWait(100);
    EXPECT_TRUE(inView()) << w.Ui().ftvFolder->visualRect(w.Ui().ftvFolder->currentIndex()).y();

    // Once the user works the tree, it is left where the user put it.
    QTest::mouseClick(w.Ui().ftvFolder->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    w.Ui().ftvFolder->scrollToTop();
    emit w.Ui().ftvFolderModel->directoryLoaded(base);
    EXPECT_FALSE(inView());
}

// The colour in the middle of a widget as it shows on screen.
QRgb MiddleColour(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

TEST_F(FrmMainTest, TheSkinShowsDisabledInputsAsDisabledAndFollowsAFloatingPane)
{
    TheSettings().SetWindowStateFlag(0);
    frmMain w;
    w.resize(1000, 640);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_FALSE(w.styleSheet().isEmpty()); // the skin is applied
    // Where there is room the options show whole, and the tree has the rest.
    QTest::qWait(20);
    const QWidget* viewport = w.Ui().ctlPaneSearch->parentWidget();
    EXPECT_GE(viewport->height(), w.Ui().ctlPaneSearch->height());
    EXPECT_GE(viewport->width(), w.Ui().ctlPaneSearch->width());
    EXPECT_GT(w.Ui().ftvFolder->height(), w.Ui().ctlPaneSearch->height());
    w.Ui().Pane(frmMain::PaneAdvancedOptions)->raise();
    QTest::qWait(20);
    // The date and size inputs start disabled: they must not look like the
    // enabled ones.
    ASSERT_FALSE(w.Ui().txtInPeriod->isEnabled());
    w.Ui().chkSearchBySize->click();
    ASSERT_TRUE(w.Ui().txtSizeLeastMost->isEnabled());
    EXPECT_NE(MiddleColour(w.Ui().txtInPeriod), MiddleColour(w.Ui().txtSizeLeastMost));
    EXPECT_NE(MiddleColour(w.Ui().dtpDateFrom), qRgb(255, 255, 255));
    EXPECT_NE(MiddleColour(w.Ui().cboDateInPeriod), MiddleColour(w.Ui().cboLeastMost));

    // A floating pane keeps the skin's colours: its empty space shows the
    // window colour of the skin, as the docked pane does.
    QDockWidget* options = w.Ui().Pane(frmMain::PaneOptions);
    options->raise();
    QTest::qWait(20);
    // A spot of the pane that no control covers: between two buttons.
    const QPoint spare(w.Ui().cmdSplit->geometry().right() + 3, w.Ui().cmdSplit->geometry().center().y());
    const QRgb docked = w.grab().toImage().pixel(w.Ui().fraCommand->mapTo(&w, spare));
    EXPECT_EQ(docked, qRgb(0xf3, 0xf6, 0xfa)) << std::hex << docked;
    options->setFloating(true);
    options->resize(options->widget()->sizeHint() + QSize(40, 60));
    options->show();
    QTest::qWait(50);
    const QImage floating = options->grab().toImage();
    const QRgb floated = floating.pixel(w.Ui().fraCommand->mapTo(options, spare));
    EXPECT_EQ(floated, docked) << std::hex << floated << " vs " << docked;
}

TEST_F(FrmMainTest, TheLoadingWindowShowsOverTheListAndLeavesTheCancelButtonFree)
{
    TheSettings().SetWindowStateFlag(0);
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    QFile(folder + "/a.tif").open(QIODevice::WriteOnly);
    FilterPatterns = QStringList{QStringLiteral("*.tif,*.tiff")};
    frmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.SelectFolder(folder));
    const QRect screen = AvailableScreenAreas().first();
    // The smallest window, a middling one, and the whole screen.
    for (const QSize size : {QSize(700, 403), QSize(900, 650), QSize()}) {
        if (size.isValid())
            w.resize(size);
        else
            w.showMaximized();
        QTest::qWait(50);
        // Looked at while the search shows it: when a file is counted.
        QRect seen;
        QRect cancel;
        FakeCounter counter([&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "frmLoading" && top->isVisible())
                    seen = top->frameGeometry();
            cancel = QRect(w.Ui().cmdSearch->mapToGlobal(QPoint(0, 0)), w.Ui().cmdSearch->size());
            EXPECT_EQ(w.Ui().cmdSearch->text(), "&Cancel");
        });
        TiffPageCounter.counter = &counter;
        w.cmdSearch_Click();
        TiffPageCounter.counter = nullptr;
        ASSERT_TRUE(seen.isValid()) << size.width();
        // The Cancel button stays free to click, and the window shows over
        // the list being filled, on the screen.
        EXPECT_FALSE(seen.intersects(cancel))
            << size.width() << ": " << seen.x() << "," << seen.y() << " " << seen.width() << "x" << seen.height()
            << " vs " << cancel.x() << "," << cancel.y();
        const QWidget* list = w.Ui().Pane(frmMain::PaneSearchList);
        EXPECT_TRUE(seen.intersects(QRect(list->mapToGlobal(QPoint(0, 0)), list->size()))) << size.width();
        EXPECT_TRUE(screen.contains(seen)) << size.width();
    }
}

} // namespace
