// The delete-page dialog: its one check, the page it has the engine remove
// (checked in the rewritten files), and the reports at the end.

#include "desktop/dialogs/frm_delete_tiffpage.h"

#include "page_fixture.h"

#include "platform/grid/grid.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class DeleteDialogTest : public PageDialogTest {
protected:
    // Runs Delete on the last page, or on the typed page when `at` is set.
    void Run(frmDeleteTiffpage& dlg, const char* at = nullptr)
    {
        if (!dlg.isVisible())
            dlg.show();
        if (at) {
            dlg.optDelAtPageNo()->click();
            dlg.txtpageno()->setText(QString::fromLatin1(at));
        } else {
            dlg.OptDelEndFile()->click();
        }
        dlg.cmdDelete()->click();
    }

    // Deletes from a fresh 3-page file (pages 1, 2, 3); its pages afterwards.
    std::vector<int> DeleteFrom3Pages(const char* at)
    {
        frmDeleteTiffpage dlg;
        dlg.colSelectedData = {Tiff("a.tif", {1, 2, 3})};
        Run(dlg, at);
        return PageWidths(Path("a.tif"));
    }
};

TEST_F(DeleteDialogTest, LoadsWithTheLastPageChosen)
{
    frmDeleteTiffpage dlg;
    EXPECT_EQ(dlg.windowTitle(), "Delete page from TIF Files");
    dlg.colSelectedData = {Record("one.tif", 3)};
    dlg.show();
    Grid& g = *dlg.vsFilesSetOrder();
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.CellText(0, 8), "Delete at");
    EXPECT_EQ(g.CellText(1, 8), "0");
    EXPECT_TRUE(g.ColumnHiddenAt(8));
    EXPECT_EQ(g.CellText(1, GetColumnIndexByKey("Pages")), "3");
    EXPECT_TRUE(dlg.OptDelEndFile()->isChecked());
    EXPECT_FALSE(dlg.txtpageno()->isEnabled());
    dlg.optDelAtPageNo()->click();
    EXPECT_TRUE(dlg.txtpageno()->isEnabled());
    QTest::keyClicks(dlg.txtpageno(), "x4-y2");
    EXPECT_EQ(dlg.txtpageno()->text(), "42");
}

TEST_F(DeleteDialogTest, AnEmptyPageNumberIsRefusedOnlyWhenOneIsAskedFor)
{
    frmDeleteTiffpage dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2, 3})};
    Run(dlg, "");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Please enter page no.");
    EXPECT_EQ(boxes[0].title, "Velmora 3.1");
    EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(dlg.cmdDelete()->isEnabled());

    // With the last page chosen the (empty) box is not looked at.
    boxes.clear();
    Run(dlg);
    EXPECT_EQ(BoxTexts(), QStringList{"Successfully deleted pages."});
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2}));
}

TEST_F(DeleteDialogTest, DeletesTheLastOrTheTypedPage)
{
    EXPECT_EQ(DeleteFrom3Pages(nullptr), (std::vector<int>{1, 2}));
    EXPECT_EQ(DeleteFrom3Pages("1"), (std::vector<int>{2, 3}));
    EXPECT_EQ(DeleteFrom3Pages("2"), (std::vector<int>{1, 3}));
    // Beyond the last page: the last page.
    EXPECT_EQ(DeleteFrom3Pages("7"), (std::vector<int>{1, 2}));
    EXPECT_EQ(DeleteFrom3Pages("99999999999"), (std::vector<int>{1, 2}));
    EXPECT_EQ(BoxTexts(), QStringList(5, "Successfully deleted pages."));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(FolderEntries(), QStringList{"a.tif"});
}

TEST_F(DeleteDialogTest, PageZeroIsRefusedAndReported)
{
    EXPECT_EQ(DeleteFrom3Pages("0"), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("Tiff pages from below file(s) couldn't deleted\r\n"));
    EXPECT_TRUE(reports[0].contains("\r\n\r\n" + ReportLine(Path("a.tif")) + "\r\n\r\n")) << reports[0].toStdString();
}

TEST_F(DeleteDialogTest, AFileIsNeverLeftWithoutPages)
{
    // Two files, one of a single page: the other changes, the single page
    // stays and the file is listed.
    frmDeleteTiffpage dlg;
    dlg.colSelectedData = {Tiff("one.tif", {4}), Tiff("three.tif", {1, 2, 3}), Damaged("bad.tif")};
    Run(dlg);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("Velmora Converesion error\r\n"));
    EXPECT_TRUE(reports[0].contains("\r\n\r\n" + Path("one.tif") + " (the only page of a file is not deleted)\r\n"
                                    + Path("bad.tif") + " (not a TIFF file)\r\n\r\n"))
        << reports[0].toStdString();
    EXPECT_EQ(PageWidths(Path("one.tif")), std::vector<int>{4});
    EXPECT_EQ(PageWidths(Path("three.tif")), (std::vector<int>{1, 2}));
    EXPECT_EQ(FolderEntries(), (QStringList{"bad.tif", "one.tif", "three.tif"}));
    EXPECT_TRUE(dlg.cmdDelete()->isEnabled());
    EXPECT_EQ(dlg.ProgressBar1()->value(), 0);
}

TEST_F(DeleteDialogTest, ASecondRunWorksFromThePagesTheFileHasNow)
{
    CreatePageCounters();
    ASSERT_TRUE(TiffPageCounter.IsCreated());
    frmDeleteTiffpage dlg;
    dlg.colSelectedData = {Tiff("a.tif", {1, 2, 3, 4})};
    Run(dlg);
    Run(dlg);
    EXPECT_EQ(PageWidths(Path("a.tif")), (std::vector<int>{1, 2}));
    // The grid still shows 4; page 3 is beyond the file now: its last page.
    Run(dlg, "3");
    EXPECT_EQ(PageWidths(Path("a.tif")), std::vector<int>{1});
    EXPECT_EQ(BoxTexts(), QStringList(3, "Successfully deleted pages."));
    // And the single page that is left is kept.
    Run(dlg);
    EXPECT_EQ(PageWidths(Path("a.tif")), std::vector<int>{1});
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(DeleteDialogTest, PageToDeleteStaysWithinTheEnginesPageNumbers)
{
    using P = std::optional<std::int16_t>;
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(true, 3, 0), P(3));
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(false, 3, 2), P(2));
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(false, 3, 9), P(3));
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(false, 3, 0), P(0));
    // Without a count the last page cannot be named.
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(true, -1, 0), std::nullopt);
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(false, -1, 2), P(2));
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(false, -1, 40000), std::nullopt);
    EXPECT_EQ(frmDeleteTiffpage::PageToDelete(true, 40000, 0), std::nullopt);
}

TEST_F(DeleteDialogTest, AGridThatCannotBeSetUpIsLoggedUnderThisForm)
{
    objGridColumns.reset();
    frmDeleteTiffpage dlg;
    dlg.show();
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines[0].contains("in procedure InitFiles at Line No. 10 of Form frmDeleteTiffpage at time- "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("in procedure FillGrid at Line No. 10 of Form frmDeleteTiffpage at time- "));
}

} // namespace
