#include "search_fixture.h"

#include "desktop/main/frm_loading.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <unistd.h>

namespace {

TEST_F(SearchTest, PatternsMatchWithoutRegardToCaseAndRowsCarryTheFileFacts)
{
    MakeFile("a.tif", 0);
    MakeFile("B.TIF", 1);
    MakeFile("c.Tiff", 1025);
    MakeFile("d.tif.bak");
    MakeFile("e.txt");
    MakeFile("tif");
    MakeFile("x.pdf");
    QDir().mkpath(root + "/folder.tif"); // a folder is not a file
    const QDateTime modified(QDate(2024, 2, 29), QTime(15, 7));
    SetTimes(root + "/c.Tiff", modified, modified);
    Search();

    EXPECT_EQ(Names(), QStringList({"a.tif", "B.TIF", "c.Tiff"}));
    const std::vector<ResultRow> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].location, root);
    EXPECT_EQ(rows[0].size, "0 KB");
    EXPECT_EQ(rows[1].size, "1 KB");
    EXPECT_EQ(rows[2].size, "2 KB");
    EXPECT_EQ(rows[2].modified, "29/02/2024 03:07 PM");
    // Created: the birth time where the file system keeps one, else the
    // last status change; either way today for a file made just now.
    const QRegularExpression stamp("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d (AM|PM)$");
    EXPECT_TRUE(stamp.match(rows[2].created).hasMatch()) << rows[2].created.toStdString();
    EXPECT_TRUE(rows[2].created.startsWith(QDate::currentDate().toString("dd/MM/yyyy")));
    for (const ResultRow& r : rows) {
        EXPECT_FALSE(r.type.isEmpty());
        EXPECT_EQ(r.type, r.type.toLower());
        EXPECT_EQ(r.pages, "3");
    }
    // Each row has the icon of its type.
    const Grid& g = *Window().Ui().grdSearchList;
    EXPECT_TRUE(g.CellAttribute(Grid::kAttrPicture, 1, GetColumnIndexByKey("Name")).isValid());
    EXPECT_EQ(tiff.calls.size(), 3);
    EXPECT_TRUE(pdf.calls.isEmpty());
    EXPECT_EQ(Window().Ui().sbPanelStatus->text(), "0 file selected; Total Page count of selected Tiff files: 0");
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(SearchTest, NamesThatAreNotUtf8AreLoggedAndNotedNotLostSilently)
{
    // Files and a folder whose names no path of this program can spell.
    const auto make = [&](const QByteArray& name, bool folder = false) {
        const QByteArray path = QFile::encodeName(root) + "/" + name;
        if (folder) {
            ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
        } else {
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0600);
            ASSERT_GE(fd, 0);
            ::close(fd);
        }
    };
    MakeFile("good.tif");
    make("bad\xff.tif");
    make("latin\xe9.tif");
    make("notes\xff.txt"); // the pattern would not take it anyway
    make("sub\xfe", true);
    MakeFile("ok/inner.tif");
    frmMain& w = Window();
    Search();
    EXPECT_EQ(Names(), QStringList({"good.tif"}));
    QStringList log = LogLines();
    ASSERT_EQ(log.size(), 2) << log.join('\n').toStdString();
    EXPECT_TRUE(log[0].startsWith("Error 52 (Bad file name or number: " + root + "/bad\\xFF.tif is not valid UTF-8"))
        << log[0].toStdString();
    EXPECT_TRUE(log[1].contains(root + "/latin\\xE9.tif")) << log[1].toStdString();
    EXPECT_TRUE(log[1].contains("in procedure LoadFiles at Line No. 50 of Form frmMain")) << log[1].toStdString();
    EXPECT_FALSE(w.Ui().sbPanelSkipped->isHidden());
    EXPECT_EQ(w.Ui().sbPanelSkipped->text(), "2 file name(s) skipped: not valid UTF-8 (see Errors.Log)");

    // With subfolders the unreachable folder counts too; the others are
    // searched as usual.
    QFile::remove(StorageFolder() + "/Errors.Log");
    Search(QString(), true);
    EXPECT_EQ(Names(), QStringList({"good.tif", "inner.tif"}));
    log = LogLines();
    ASSERT_EQ(log.size(), 3) << log.join('\n').toStdString();
    EXPECT_TRUE(log[2].contains(root + "/sub\\xFE (folder) is not valid UTF-8")) << log[2].toStdString();
    EXPECT_EQ(w.Ui().sbPanelSkipped->text(), "3 file name(s) skipped: not valid UTF-8 (see Errors.Log)");

    // A search without such names takes the note away.
    Search("ok");
    EXPECT_EQ(Names(), QStringList({"inner.tif"}));
    EXPECT_TRUE(w.Ui().sbPanelSkipped->isHidden());
}

TEST_F(SearchTest, PagesCellsReadErrorWhenACountFailsAndStayEmptyWhileHidden)
{
    FilterPatterns = QStringList{"*.tif;*.pdf;*.txt"};
    MakeFile("bad.tif");
    MakeFile("empty.tif");
    MakeFile("failing.tif");
    MakeFile("good.tif");
    MakeFile("empty.pdf");
    MakeFile("good.pdf");
    MakeFile("notes.txt");
    tiff.answer = [](const QString& path, std::int32_t& pages) {
        pages = path.endsWith("bad.tif") ? -1 : path.endsWith("empty.tif") ? 0 : 7;
        return path.endsWith("failing.tif") ? com::E_FAIL : com::S_OK;
    };
    pdf.answer = [](const QString& path, std::int32_t& pages) {
        pages = path.endsWith("empty.pdf") ? 0 : 4;
        return com::S_OK;
    };
    Search();
    QStringList cells;
    for (const ResultRow& r : Rows())
        cells.append(r.name + "=" + r.pages);
    EXPECT_EQ(cells, QStringList({"bad.tif=Error", "empty.pdf=Error", "empty.tif=0", "failing.tif=Error", "good.pdf=4",
                                  "good.tif=7", "notes.txt="}));

    // A counter that was never created: every cell reads "Error", and the
    // search still lists every file.
    TiffPageCounter.counter = nullptr;
    Search();
    EXPECT_EQ(Rows()[5].pages, "Error");
    EXPECT_EQ(Rows().size(), 7u);

    // Pages hidden: no counter is called, the cells stay empty.
    TiffPageCounter.counter = &tiff;
    tiff.calls.clear();
    TheSettings().SetColumnVisibility("1,1,0,1,1,1,1,1");
    Search();
    EXPECT_TRUE(tiff.calls.isEmpty());
    for (const ResultRow& r : Rows())
        EXPECT_TRUE(r.pages.isEmpty()) << r.name.toStdString();
}

TEST_F(SearchTest, TheAdvancedOptionsOnTheWindowDecideWhatTheSearchLists)
{
    // Old: 3 KB, modified 33 days ago (always more than a month back),
    // accessed then too. New: 1 KB, modified now, accessed 100 days ago.
    const QDateTime now = QDateTime::currentDateTime();
    SetTimes(MakeFile("old.tif", 2049), now.addDays(-33), now.addDays(-33));
    SetTimes(MakeFile("new.tif", 10), now.addDays(-100), now);
    frmMain& w = Window();
    w.Ui().ChkUseAdvOpt->setChecked(true);

    w.Ui().chkSearchBySize->setChecked(true);
    const auto bySize = [&](const char* least, const char* limit) {
        w.Ui().optSizeAt->setChecked(true);
        w.Ui().cboLeastMost->setCurrentText(least);
        w.Ui().txtSizeLeastMost->setText(limit);
        Search();
        return Names().join(' ');
    };
    EXPECT_EQ(bySize("Most", "1"), "new.tif");
    EXPECT_EQ(bySize("Least", "2"), "old.tif");
    w.Ui().optSizeBtn->setChecked(true);
    w.Ui().txtSizeFrom->setText("2");
    w.Ui().txtSizeTo->setText("3");
    Search();
    EXPECT_EQ(Names().join(' '), "old.tif");
    w.Ui().chkSearchBySize->setChecked(false);

    w.Ui().chkSearchByDate->setChecked(true);
    const auto byDate = [&](const char* kind, const char* n, const char* unit) {
        w.Ui().cboDateRangeType->setCurrentText(kind);
        w.Ui().optInPeriod->setChecked(true);
        w.Ui().txtInPeriod->setText(n);
        w.Ui().cboDateInPeriod->setCurrentText(unit);
        Search();
        return Names().join(' ');
    };
    EXPECT_EQ(byDate("Files Modified", "35", "Day(s)"), "new.tif old.tif");
    EXPECT_EQ(byDate("Files Modified", "1", "Month(s)"), "new.tif");
    EXPECT_EQ(byDate("Files Last Accessed", "35", "Day(s)"), "old.tif");
    w.Ui().optBtnPeriod->setChecked(true);
    w.Ui().dtpDateFrom->setDate(now.date().addDays(-40));
    w.Ui().dtpDateTo->setDate(now.date().addDays(-30));
    w.Ui().cboDateRangeType->setCurrentText("Files Modified");
    Search();
    EXPECT_EQ(Names().join(' '), "old.tif");

    // The whole advanced pane off: every file.
    w.Ui().ChkUseAdvOpt->setChecked(false);
    Search();
    EXPECT_EQ(Names().join(' '), "new.tif old.tif");
}

TEST_F(SearchTest, AnAdvancedOptionChangedDuringASearchCountsFromTheNextFile)
{
    MakeFile("a.tif", 1024);
    MakeFile("b.tif", 3 * 1024);
    MakeFile("c.tif", 3 * 1024);
    frmMain& w = Window();
    w.Ui().ChkUseAdvOpt->setChecked(true);
    w.Ui().chkSearchBySize->setChecked(true);
    w.Ui().optSizeAt->setChecked(true);
    w.Ui().cboLeastMost->setCurrentText("Most");
    w.Ui().txtSizeLeastMost->setText("5");
    // The limit is lowered while the first file is being counted.
    tiff.answer = [&](const QString& path, std::int32_t& pages) {
        if (path.endsWith("/a.tif"))
            w.Ui().txtSizeLeastMost->setText("2");
        pages = 1;
        return com::S_OK;
    };
    Search();
    EXPECT_EQ(Names(), QStringList({"a.tif"}));
}

TEST_F(SearchTest, SizesBeyond32BitsAreShownInFull)
{
    MakeFile("big.tif", 5LL * 1024 * 1024 * 1024 + 1);
    Search();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].size, "5,242,881 KB");
}

TEST_F(SearchTest, CancelStopsAfterTheFileInHandAndRestoresTheWindow)
{
    for (int i = 0; i < 6; ++i)
        MakeFile(QStringLiteral("top%1.tif").arg(i));
    MakeFile("sub/inner.tif");
    frmMain& w = Window();
    w.show();
    QStringList statesDuringSearch;
    // The user presses Cancel while the third file is being counted.
    tiff.answer = [&](const QString&, std::int32_t& pages) {
        pages = 2;
        if (tiff.calls.size() == 3) {
            statesDuringSearch << w.Ui().cmdSearch->text() << QString::number(w.Ui().ftvFolder->isEnabled())
                               << QString::number(w.Ui().grdSearchList->isHidden());
            w.Ui().cmdSearch->click();
        }
        return com::S_OK;
    };
    Search(QString(), true);
    EXPECT_EQ(statesDuringSearch, QStringList({"&Cancel", "0", "1"}));
    EXPECT_EQ(Names(), QStringList({"top0.tif", "top1.tif", "top2.tif"}));
    EXPECT_EQ(tiff.calls.size(), 3);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Process is terminated.");
    EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);
    // Back to idle.
    EXPECT_EQ(w.Ui().cmdSearch->text(), "&Search");
    EXPECT_TRUE(w.Ui().ftvFolder->isEnabled());
    EXPECT_TRUE(w.Ui().ctlPaneSearchList->isEnabled());
    EXPECT_TRUE(w.Ui().chkSearchSubFolder->isEnabled());
    EXPECT_FALSE(w.Ui().grdSearchList->isHidden());
    EXPECT_EQ(w.Ui().grdSearchList->RedrawEnabled(), -1);
    EXPECT_FALSE(w.SearchRunning());
    EXPECT_TRUE(w.findChildren<frmLoading*>().isEmpty());
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "0 file selected; Total Page count of selected Tiff files: 0");

    // The next search starts afresh: the totals go with the rows it clears.
    w.SelectAllRows();
    ASSERT_EQ(w.Ui().sbPanelStatus->text(), "3 file selected; Total Page count of selected Tiff files: 6");
    QString statusDuringSearch;
    tiff.answer = [&](const QString&, std::int32_t& pages) {
        pages = 2;
        if (statusDuringSearch.isEmpty())
            statusDuringSearch = w.Ui().sbPanelStatus->text();
        return com::S_OK;
    };
    tiff.calls.clear();
    Search(QString(), true);
    EXPECT_EQ(Names().size(), 7);
    EXPECT_EQ(statusDuringSearch, "0 file selected; Total Page count of selected Tiff files: 0");
}

TEST_F(SearchTest, TheWindowComesBackAfterAFailureInsideTheSearch)
{
    MakeFile("a.tif");
    frmMain& w = Window();
    // A grid that lost its columns makes filling a row fail.
    w.Ui().grdSearchList->SetColumnCount(2);
    Search();
    ASSERT_FALSE(LogLines().isEmpty());
    EXPECT_TRUE(LogLines().first().contains("in procedure LoadFiles")) << LogLines().first().toStdString();
    EXPECT_EQ(w.Ui().cmdSearch->text(), "&Search");
    EXPECT_TRUE(w.Ui().ftvFolder->isEnabled());
    EXPECT_FALSE(w.Ui().grdSearchList->isHidden());
    EXPECT_FALSE(w.SearchRunning());
    EXPECT_TRUE(w.findChildren<frmLoading*>().isEmpty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SearchTest, TheLoadingWindowCountsTheRowsAndStartsOnlyFromIdle)
{
    MakeFile("a.tif");
    MakeFile("b.tif");
    frmMain& w = Window();
    w.show();
    QString seen;
    int nested = 0;
    tiff.answer = [&](const QString& path, std::int32_t& pages) {
        pages = 1;
        if (path.endsWith("b.tif")) {
            const QList<frmLoading*> loading = w.findChildren<frmLoading*>();
            if (loading.size() == 1)
                seen = loading[0]->StatusText();
            // Choosing a pattern or a folder meanwhile starts nothing.
            w.cboFilterPattern_Click();
            w.ftvFolder_SelectionChange();
            nested = static_cast<int>(tiff.calls.size());
        }
        return com::S_OK;
    };
    Search();
    EXPECT_EQ(seen, "Please wait.Loading...files (1)");
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(tiff.calls.size(), 2);
}

} // namespace

namespace {

TEST_F(SearchTest, ClosingTheWindowDuringARealSearchClosesItOnceTheSearchHasUnwound)
{
    for (int i = 0; i < 5; ++i)
        MakeFile(QStringLiteral("f%1.tif").arg(i));
    // Owned by nobody but itself, as the program's main window is.
    QPointer<frmMain> w = new frmMain;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    bool closedAtOnce = true;
    tiff.answer = [&](const QString&, std::int32_t& pages) {
        pages = 1;
        if (tiff.calls.size() == 2) {
            // The close box, pressed while the search yields.
            closedAtOnce = w->close();
            EXPECT_TRUE(w->CancelRequested);
            EXPECT_FALSE(w->Ui().mnuexit->isEnabled());
        }
        return com::S_OK;
    };
    ASSERT_TRUE(w->SelectFolder(root));
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(tiff.calls.size(), 2);
    // A search stopped by closing says nothing.
    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 2000));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

} // namespace

namespace {

TEST_F(SearchTest, ALongWalkThroughFoldersWithoutFilesStillHearsCancel)
{
    // Many folders without a single file, then one file at the very end.
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/empty/d%1").arg(i, 5, 10, QLatin1Char('0'))));
    MakeFile("empty/zz/last.tif");
    frmMain& w = Window();
    w.show();
    // Cancel is pressed a moment after the walk has started.
    QTimer::singleShot(30, &w, [&w] {
        if (w.SearchRunning())
            w.Ui().cmdSearch->click();
    });
    Search("empty", true);
    EXPECT_TRUE(Names().isEmpty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Process is terminated.");
}

} // namespace
