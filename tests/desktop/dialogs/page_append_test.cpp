// The append-pages dialog: its checks, the insert positions it hands to the
// page engine (checked in the files it rewrites), the reports at the end.

#include "desktop/dialogs/frm_append_tiff_file.h"

#include "page_fixture.h"

#include "platform/grid/grid.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class AppendDialogTest : public PageDialogTest {
protected:
    // Shows a dialog over `records` and runs Start with the pages file and,
    // when `at` is not null, the typed page number.
    void Run(frmAppendTiffFile& dlg, const QString& pagesFile, const char* at = nullptr)
    {
        if (!dlg.isVisible())
            dlg.show();
        dlg.txtAppendFile()->setText(pagesFile);
        if (at) {
            dlg.optAtPageNo()->click();
            dlg.txtpageno()->setText(QString::fromLatin1(at));
        } else {
            dlg.OptAppEndFile()->click();
        }
        dlg.cmdAppend()->click();
    }

    // Appends P (pages 91, 92) to a fresh file A (pages 1, 2, 3) at `at`
    // and gives A's pages afterwards.
    std::vector<int> InsertInto3Pages(const char* at)
    {
        frmAppendTiffFile dlg;
        dlg.colSelectedData = {Tiff("a.tif", {1, 2, 3})};
        EXPECT_TRUE(MakeTiff(Path("p.tif"), {91, 92}));
        Run(dlg, Path("p.tif"), at);
        EXPECT_EQ(BoxTexts(), QStringList{"Successfully appended."});
        EXPECT_EQ(PageWidths(Path("p.tif")), (std::vector<int>{91, 92}));
        return PageWidths(Path("a.tif"));
    }
};

TEST_F(AppendDialogTest, LoadsTheFilesWithOnlyTheUsefulColumnsShown)
{
    frmAppendTiffFile dlg;
    EXPECT_EQ(dlg.windowTitle(), "Append, Add or Insert TIFF Files");
    auto first = Record("one.tif", 3);
    first.FileCreDate("01/02/2024 10:00");
    dlg.colSelectedData = {first, Record("two.tif", 12)};
    dlg.show();

    Grid& g = *dlg.vsFilesSetOrder();
    ASSERT_EQ(g.RowCount(), 3);
    ASSERT_EQ(g.ColumnCount(), 9);
    const int name = GetColumnIndexByKey("Name");
    const int pages = GetColumnIndexByKey("Pages");
    const int sel = GetColumnIndexByKey("Selection");
    EXPECT_EQ(g.CellText(1, name), "one.tif");
    EXPECT_EQ(g.CellText(2, pages), "12");
    EXPECT_EQ(g.CellText(1, GetColumnIndexByKey("Location")), files_.path());
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 2, sel).toInt(), Grid::kChecked);
    EXPECT_EQ(g.CellText(0, 8), "Append at");
    EXPECT_EQ(g.CellText(1, 8), "1");
    EXPECT_EQ(g.CurrentRow(), 1);
    QStringList shown;
    for (int c = 0; c < g.ColumnCount(); ++c)
        if (!g.ColumnHiddenAt(c))
            shown << g.CellText(0, c);
    EXPECT_EQ(shown, (QStringList{"Name", "Pages", "Location", "Created Date"}));

    // At the end is chosen, so there is no page number to type yet.
    EXPECT_TRUE(dlg.OptAppEndFile()->isChecked());
    EXPECT_FALSE(dlg.txtpageno()->isEnabled());
    dlg.optAtPageNo()->click();
    EXPECT_TRUE(dlg.txtpageno()->isEnabled());
    EXPECT_TRUE(g.ColumnHiddenAt(8));
    dlg.OptAppEndFile()->click();
    EXPECT_FALSE(dlg.txtpageno()->isEnabled());
}

TEST_F(AppendDialogTest, PageNumberBoxTakesOnlyDigits)
{
    frmAppendTiffFile dlg;
    dlg.show();
    dlg.optAtPageNo()->click();
    QTest::keyClicks(dlg.txtpageno(), "1a-2 .3");
    EXPECT_EQ(dlg.txtpageno()->text(), "123");
    QTest::keyClick(dlg.txtpageno(), Qt::Key_Backspace);
    EXPECT_EQ(dlg.txtpageno()->text(), "12");
    dlg.txtpageno()->selectAll();
    dlg.txtpageno()->insert("7x"); // a paste of text with a letter is refused
    EXPECT_EQ(dlg.txtpageno()->text(), "12");
}

TEST_F(AppendDialogTest, ChecksThePagesFileAndThePageNumberInOrder)
{
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2, 3})};
    ASSERT_TRUE(MakeTiff(Path("SCAN.TIF"), {91}));
    QFile::copy(Path("SCAN.TIF"), Path("scan.tiff.bak"));
    dlg.show();

    struct Case {
        QString file;
        const char* at;
        QString message;
    };
    const std::vector<Case> cases = {
        {Path("scan.tiff.bak"), nullptr, "Specifiled file formate is not valid."},
        {files_.path() + "/noext", nullptr, "Specifiled file formate is not valid."},
        {QString(), nullptr, "Specifiled file formate is not valid."},
        // The format is judged before existence.
        {Path("missing.txt"), nullptr, "Specifiled file formate is not valid."},
        {Path("missing.tif"), nullptr, "Specified file not exists or invalid filename."},
        {files_.path(), nullptr, "Specifiled file formate is not valid."},
        {Path("SCAN.TIF"), "", "Please enter page no."},
    };
    for (const Case& c : cases) {
        boxes.clear();
        Run(dlg, c.file, c.at);
        ASSERT_EQ(boxes.size(), 1u) << c.file.toStdString();
        EXPECT_EQ(boxes[0].text, c.message) << c.file.toStdString();
        EXPECT_EQ(boxes[0].title, "Velmora 3.1");
        EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);
        EXPECT_TRUE(dlg.cmdAppend()->isEnabled());
    }
    // Nothing was touched by a refused run.
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(modals.empty());

    // An upper-case extension is a TIFF file too.
    boxes.clear();
    Run(dlg, Path("SCAN.TIF"));
    EXPECT_EQ(BoxTexts(), QStringList{"Successfully appended."});
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 3, 91}));
}

TEST_F(AppendDialogTest, InsertsAtTheEndOrBeforeTheTypedPage)
{
    EXPECT_EQ(InsertInto3Pages(nullptr), (std::vector<int>{1, 2, 3, 91, 92}));
    boxes.clear();
    EXPECT_EQ(InsertInto3Pages("2"), (std::vector<int>{1, 91, 92, 2, 3}));
    boxes.clear();
    EXPECT_EQ(InsertInto3Pages("1"), (std::vector<int>{91, 92, 1, 2, 3}));
    boxes.clear();
    EXPECT_EQ(InsertInto3Pages("0"), (std::vector<int>{91, 92, 1, 2, 3}));
    boxes.clear();
    EXPECT_EQ(InsertInto3Pages("4"), (std::vector<int>{1, 2, 3, 91, 92}));
    boxes.clear();
    // A number beyond the last page means after it, even one that no
    // 16-bit page number could hold.
    EXPECT_EQ(InsertInto3Pages("9"), (std::vector<int>{1, 2, 3, 91, 92}));
    boxes.clear();
    EXPECT_EQ(InsertInto3Pages("99999999999999"), (std::vector<int>{1, 2, 3, 91, 92}));
    EXPECT_EQ(FolderEntries(), (QStringList{"a.tif", "p.tif"}));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join("\n").toStdString();
}

TEST_F(AppendDialogTest, EveryListedFileIsWorkedAndFailuresAreReportedTogether)
{
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2}), Damaged("bad.tif"), Tiff("c.tif", {5}), Damaged("worse.tif")};
    ASSERT_TRUE(MakeTiff(Path("p.tif"), {91}));
    Run(dlg, Path("p.tif"), "2");

    EXPECT_TRUE(boxes.empty()) << "no success message after failures";
    ASSERT_EQ(reports.size(), 1u);
    const QString list = Path("bad.tif") + " (not a TIFF file)\r\n" + Path("worse.tif") + " (not a TIFF file)\r\n";
    EXPECT_TRUE(reports[0].contains("Velmora Converesion error\r\n")) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains("Following file(s) couldn't appended\r\n"));
    EXPECT_TRUE(reports[0].contains("\r\n\r\n" + list + "\r\n\r\n")) << reports[0].toStdString();
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 91, 2}));
    EXPECT_EQ(PageWidths(Path("c.tif")), (std::vector<int>{5, 91}));

    // The damaged files are left as they were.
    QFile bad(Path("bad.tif"));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), QByteArray("not a tiff at all"));
    EXPECT_EQ(FolderEntries(), (QStringList{"a.tif", "bad.tif", "c.tif", "p.tif", "worse.tif"}));

    // The dialog is ready for another run.
    EXPECT_TRUE(dlg.cmdAppend()->isEnabled());
    EXPECT_EQ(dlg.ProgressBar1()->value(), 0);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(AppendDialogTest, AnUnreadablePagesFileFailsEveryFile)
{
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2})};
    Damaged("p.tif");
    Run(dlg, Path("p.tif"));
    ASSERT_EQ(reports.size(), 1u);
    // The report blames the pages file, beside each file it could not go into.
    EXPECT_TRUE(reports[0].contains(Path("a.tif") + " (p.tif: not a TIFF file)\r\n")) << reports[0].toStdString();
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2}));
}

TEST_F(AppendDialogTest, ThePagesFileAmongTheListedFilesIsGivenItsOriginalPages)
{
    // The pages file is listed first; the other files must still receive
    // its two pages, not the four it holds once it was appended to itself.
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2}), Tiff("b.tif", {5, 6, 7}), Tiff("c.tif", {8})};
    Run(dlg, Path("a.tif"));
    EXPECT_EQ(BoxTexts(), QStringList{"Successfully appended."});
    EXPECT_EQ(PageWidths(Path("b.tif")), (std::vector<int>{5, 6, 7, 1, 2}));
    EXPECT_EQ(PageWidths(Path("c.tif")), (std::vector<int>{8, 1, 2}));
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(FolderEntries(), (QStringList{"a.tif", "b.tif", "c.tif"}));

    // Named another way, it is still the same file.
    boxes.clear();
    frmAppendTiffFile again;
    again.colSelectedData = {Record("a.tif", 4), Record("b.tif", 5)};
    Run(again, files_.path() + "/./a.tif", "2");
    EXPECT_EQ(PageWidths(Path("b.tif")), (std::vector<int>{5, 1, 2, 1, 2, 6, 7, 1, 2}));
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 1, 2, 1, 2, 2, 1, 2}));
}

TEST_F(AppendDialogTest, ASecondRunAtTheEndUsesThePagesTheFileHasNow)
{
    CreatePageCounters();
    ASSERT_TRUE(TiffPageCounter.IsCreated());
    frmAppendTiffFile dlg;
    // The main window's count is out of date already.
    auto a = Tiff("a.tif", {1, 2, 3});
    a.PageCount(1);
    dlg.colSelectedData = {a};
    ASSERT_TRUE(MakeTiff(Path("p.tif"), {91}));
    Run(dlg, Path("p.tif"));
    Run(dlg, Path("p.tif"));
    EXPECT_EQ(BoxTexts(), (QStringList{"Successfully appended.", "Successfully appended."}));
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 3, 91, 91}));
    // A typed number beyond the pages the file has now appends too.
    Run(dlg, Path("p.tif"), "6");
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 3, 91, 91, 91}));
}

TEST_F(AppendDialogTest, TheDialogCannotBeClosedWhileARunYields)
{
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1}), Tiff("b.tif", {2})};
    ASSERT_TRUE(MakeTiff(Path("p.tif"), {91}));
    dlg.show();
    bool busyDuringRun = false;
    // Runs while the run lets queued messages through after the first file.
    QMetaObject::invokeMethod(
        &dlg,
        [&] {
            busyDuringRun = !dlg.cmdAppend()->isEnabled();
            dlg.cmdCancel()->click();
            dlg.reject();
        },
        Qt::QueuedConnection);
    Run(dlg, Path("p.tif"));
    EXPECT_TRUE(busyDuringRun);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(BoxTexts(), QStringList{"Successfully appended."});
    EXPECT_EQ(PageWidths(Path("b.tif")), (std::vector<int>{2, 91}));
    // Once the run has reported, Cancel closes it.
    dlg.cmdCancel()->click();
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(AppendDialogTest, SortingTheListDuringARunNeitherRepeatsNorSkipsAFile)
{
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1}), Tiff("b.tif", {2})};
    ASSERT_TRUE(MakeTiff(Path("p.tif"), {91}));
    dlg.show();
    // The list is sorted by name, descending, while the run lets queued
    // messages through after the first file.
    Grid& g = *dlg.vsFilesSetOrder();
    bool locked = false;
    QMetaObject::invokeMethod(
        &dlg,
        [&] {
            locked = !g.isEnabled();
            g.SetCurrentRow(1);
            g.SetCurrentColumn(GetColumnIndexByKey("Name"));
            g.SetSortOrder(Grid::kSortTextDescending);
        },
        Qt::QueuedConnection);
    Run(dlg, Path("p.tif"));
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 91}));
    EXPECT_EQ(PageWidths(Path("b.tif")), (std::vector<int>{2, 91}));
    EXPECT_EQ(BoxTexts(), QStringList{"Successfully appended."});
    EXPECT_TRUE(locked);
    EXPECT_TRUE(g.isEnabled());
}

TEST_F(AppendDialogTest, InsertPositionStaysWithinTheEnginesPageNumbers)
{
    using P = std::optional<std::int16_t>;
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(true, 3, 0), P(4));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(false, 3, 2), P(2));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(false, 3, 0), P(0));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(false, 3, 40000), P(4));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(true, 0, 0), P(1));
    // Unknown count: at the end asks for the highest page number.
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(true, -1, 0), P(32767));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(false, -1, 5), P(5));
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(false, -1, 70000), P(32767));
    // A file too long for 16-bit page numbers is not worked on.
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(true, 32767, 0), std::nullopt);
    EXPECT_EQ(frmAppendTiffFile::InsertPosition(true, 32766, 0), P(32767));
}

TEST_F(AppendDialogTest, BrowsingKeepsTheTextWhenCancelled)
{
    frmAppendTiffFile dlg;
    dlg.show();
    dlg.txtAppendFile()->setText("kept.tif");
    ASSERT_TRUE(MakeTiff(Path("chosen.tif"), {1}));
    QStringList filters;
    QString title;
    SetModalRunner([&](QDialog& d) {
        auto* fd = qobject_cast<QFileDialog*>(&d);
        title = d.windowTitle();
        filters = fd ? fd->nameFilters() : QStringList();
        return int(QDialog::Rejected);
    });
    dlg.cmdbrowse()->click();
    EXPECT_EQ(dlg.txtAppendFile()->text(), "kept.tif");
    EXPECT_EQ(title, "Open File");
    EXPECT_EQ(filters, QStringList{"TIFF Files (*.tiff *.tif)"});

    SetModalRunner([&](QDialog& d) {
        auto* fd = qobject_cast<QFileDialog*>(&d);
        fd->setOption(QFileDialog::DontUseNativeDialog);
        fd->selectFile(Path("chosen.tif"));
        return int(QDialog::Accepted);
    });
    dlg.cmdbrowse()->click();
    EXPECT_EQ(dlg.txtAppendFile()->text(), Path("chosen.tif"));
}

TEST_F(AppendDialogTest, AGridThatCannotBeSetUpIsLoggedUnderThisForm)
{
    objGridColumns.reset();
    frmAppendTiffFile dlg;
    dlg.colSelectedData = {Record("a.tif", 1)};
    dlg.show();
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines[0].startsWith("Error 91 ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("in procedure InitFiles at Line No. 10 of Form frmAppendTiffFile- "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("in procedure FillGrid at Line No. 10 of Form frmAppendTiffFile- "))
        << lines[1].toStdString();
}

} // namespace
