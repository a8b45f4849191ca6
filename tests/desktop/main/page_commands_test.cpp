// The page commands of the main window: the checks before a dialog opens,
// the records handed over, and the page counts filled in for a hidden
// Pages column.

#include "commands_fixture.h"

#include "desktop/dialogs/frm_append_tiff_file.h"
#include "desktop/dialogs/frm_delete_tiffpage.h"
#include "desktop/dialogs/frm_split_option_tiff.h"

#include <QPushButton>

namespace {

const QString kAppendDamaged = "You have selected damaged or corrupted file(s). Please de-select file(s)";
const QString kOtherDamaged = "You have selected have damaged or corrupted files.";

// What a command showed: the dialog's class, whether it had an owner, and
// the records (and action) it was given.
struct ShownDialog {
    QString kind;
    bool owned = false;
    RecordCollection records;
    std::int32_t action = -1;
};

class PageCommandsTest : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        SetModalRunner([this](QDialog& d) {
            ShownDialog shown{d.metaObject()->className(), d.parentWidget() != nullptr, {}, -1};
            if (auto* append = qobject_cast<frmAppendTiffFile*>(&d))
                shown.records = append->colSelectedData;
            else if (auto* remove = qobject_cast<frmDeleteTiffpage*>(&d))
                shown.records = remove->colSelectedData;
            else if (auto* split = qobject_cast<frmSplitOption_Tiff*>(&d)) {
                shown.records = split->objColdata;
                shown.action = split->CommandAction;
            }
            dialogs.push_back(shown);
            return int(QDialog::Rejected);
        });
    }

    // The three buttons, clicked as the user does.
    void ClickAll()
    {
        frmMain& w = Window();
        w.Ui().cmdAppendTifffile->click();
        w.Ui().cmdDeleteTiffPage->click();
        w.Ui().cmdSplit->click();
    }

    // Hides the Pages column (before the window is built).
    void HidePagesColumn()
    {
        QStringList flags = TheSettings().ColumnVisibility().split(',');
        flags[TheSettings().ColumnReOrder().split(',').indexOf("Pages")] = "0";
        TheSettings().SetColumnVisibility(flags.join(','));
    }

    static QList<std::int32_t> PageCounts(const RecordCollection& records)
    {
        QList<std::int32_t> out;
        for (const clsColSetOrderGrid& r : records)
            out.append(r.PageCount());
        return out;
    }

    std::vector<ShownDialog> dialogs;
};

TEST_F(PageCommandsTest, AnEmptyGridRefusesEveryCommand)
{
    ASSERT_EQ(G().RowCount(), 1);
    ClickAll();
    ASSERT_EQ(boxes.size(), 3u);
    for (const MsgBoxRequest& box : boxes) {
        EXPECT_EQ(box.text, "Please Select Files.");
        EXPECT_EQ(box.icon, MsgBoxIcon::Information);
        EXPECT_EQ(box.buttons, MsgBoxButtons::OK);
        EXPECT_EQ(box.title, "Velmora 3.1");
    }
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(PageCommandsTest, NothingTickedGivesEachCommandsOwnMessage)
{
    // An unticked damaged row is no obstacle.
    SetRows({{"a.tif", root, "3"}, {"b.tif", root, "Error"}});
    ClickAll();
    EXPECT_EQ(BoxTexts(), (QStringList{"Please Select File.", "Please Select File.", "Please select files."}));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(PageCommandsTest, ATickedDamagedRowStopsTheCommandWithoutADialog)
{
    SetRows({{"a.tif", root, "3", true}, {"b.tif", root, "Error", true}, {"c.tif", root, "5", true}});
    ClickAll();
    EXPECT_EQ(BoxTexts(), (QStringList{kAppendDamaged, kOtherDamaged, kOtherDamaged}));
    EXPECT_TRUE(dialogs.empty());

    // Once the user unticks it, the other rows go through.
    boxes.clear();
    Tick(2, false);
    ClickAll();
    EXPECT_TRUE(boxes.empty()) << BoxTexts().join('|').toStdString();
    ASSERT_EQ(dialogs.size(), 3u);
    for (const ShownDialog& d : dialogs)
        EXPECT_EQ(PageCounts(d.records), (QList<std::int32_t>{3, 5}));
}

TEST_F(PageCommandsTest, RecordsFollowTheGridRowOrderWithEveryMember)
{
    SetRows({{"b.tif", "/scans/b", "12", true, "12 KB", "tiff image", "01/01/2024 09:00 AM", "02/01/2024 10:00 AM"},
             {"d.tif", "/scans/d", "4", false},
             {"a.tif", "/scans/a", "", true, "1,024 KB", "tiff image", "05/05/2023 01:00 PM", "06/05/2023 02:00 PM"},
             {"c.tif", "/scans/c", "n/a", true, "3 KB", "TIF file", "07/07/2022 03:00 AM", "08/07/2022 04:00 AM"}});
    // Sort by name, descending: the rows now read d, c, b, a.
    G().SetCurrentColumn(Col("Name"));
    G().SetSortOrder(Grid::kSortTextDescending);
    ASSERT_EQ(G().CellText(1, Col("Name")), "d.tif");

    ClickAll();
    EXPECT_TRUE(boxes.empty()) << BoxTexts().join('|').toStdString();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].kind, "frmAppendTiffFile");
    EXPECT_EQ(dialogs[1].kind, "frmDeleteTiffpage");
    EXPECT_EQ(dialogs[2].kind, "frmSplitOption_Tiff");
    EXPECT_EQ(dialogs[2].action, 2);
    for (const ShownDialog& d : dialogs) {
        SCOPED_TRACE(d.kind.toStdString());
        EXPECT_FALSE(d.owned);
        ASSERT_EQ(d.records.size(), 3);
        const clsColSetOrderGrid& c = d.records[0];
        EXPECT_EQ(c.filename(), "c.tif");
        EXPECT_EQ(c.FileLocation(), "/scans/c");
        EXPECT_EQ(c.FileSize(), "3 KB");
        EXPECT_EQ(c.FileType(), "TIF file");
        EXPECT_EQ(c.FileCreDate(), "07/07/2022 03:00 AM");
        EXPECT_EQ(c.FileModDate(), "08/07/2022 04:00 AM");
        EXPECT_EQ(c.Range(), "");
        EXPECT_EQ(c.FileExt(), "");
        EXPECT_EQ(d.records[1].filename(), "b.tif");
        EXPECT_EQ(d.records[1].FileSize(), "12 KB");
        EXPECT_EQ(d.records[2].filename(), "a.tif");
        EXPECT_EQ(d.records[2].FileSize(), "1,024 KB");
        // A page count that is not a number (or is missing) becomes 0.
        EXPECT_EQ(PageCounts(d.records), (QList<std::int32_t>{0, 12, 0}));
    }
}

TEST_F(PageCommandsTest, AHiddenPagesColumnIsCountedForTheTickedRowsFirst)
{
    HidePagesColumn();
    tiff.answer = [](const QString&, std::int32_t& pages) {
        pages = 7;
        return com::S_OK;
    };
    pdf.answer = [](const QString&, std::int32_t& pages) {
        pages = 4;
        return com::S_OK;
    };
    Window();
    SetRows({{"SCAN.TIF", root + "/", "", true},
             {"notes.txt", root, "", true},
             {"other.tif", root, "", false},
             {"report.Pdf", root + "/docs", "", true}});

    Window().Ui().cmdAppendTifffile->click();
    EXPECT_TRUE(boxes.empty()) << BoxTexts().join('|').toStdString();
    // Only the ticked TIFF and PDF files are counted, each by its full path.
    EXPECT_EQ(tiff.calls, QStringList{root + "/SCAN.TIF"});
    EXPECT_EQ(pdf.calls, QStringList{root + "/docs/report.Pdf"});
    EXPECT_EQ(G().CellText(1, Col("Pages")), "7");
    EXPECT_EQ(G().CellText(2, Col("Pages")), "");
    EXPECT_EQ(G().CellText(3, Col("Pages")), "");
    EXPECT_EQ(G().CellText(4, Col("Pages")), "4");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(PageCounts(dialogs[0].records), (QList<std::int32_t>{7, 0, 4}));
}

TEST_F(PageCommandsTest, FilesThatCannotBeCountedBecomeDamagedRows)
{
    HidePagesColumn();
    tiff.answer = [](const QString&, std::int32_t& pages) {
        pages = -1;
        return com::S_OK;
    };
    pdf.answer = [](const QString&, std::int32_t& pages) {
        pages = 0;
        return com::S_OK;
    };
    Window();
    SetRows({{"broken.tiff", root, "", true}, {"empty.pdf", root, "", true}});
    Window().Ui().cmdSplit->click();
    EXPECT_EQ(G().CellText(1, Col("Pages")), "Error");
    EXPECT_EQ(G().CellText(2, Col("Pages")), "Error");
    EXPECT_EQ(BoxTexts(), QStringList{kOtherDamaged});
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(PageCommandsTest, AFailingCounterEndsTheRefreshButNotTheCommand)
{
    HidePagesColumn();
    tiff.answer = [](const QString&, std::int32_t&) { return com::E_NOINTERFACE; };
    Window();
    SetRows({{"a.tif", root, "", true}, {"b.tif", root, "", true}});
    Window().Ui().cmdDeleteTiffPage->click();
    // The first failure stops the counting: the second file is not asked.
    EXPECT_EQ(tiff.calls.size(), 1);
    EXPECT_EQ(G().CellText(1, Col("Pages")), "");
    EXPECT_EQ(G().CellText(2, Col("Pages")), "");
    const QStringList log = LogLines();
    ASSERT_EQ(log.size(), 1) << log.join('\n').toStdString();
    EXPECT_TRUE(log[0].contains("in procedure GetPageCount")) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains("of Form frmMain")) << log[0].toStdString();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(PageCounts(dialogs[0].records), (QList<std::int32_t>{0, 0}));
}

TEST_F(PageCommandsTest, AfterTheDialogTheRowsItWasGivenShowTheirFilesAsTheyAreNow)
{
    MakeFile("grown.tif", 10);
    MakeFile("gone.tif", 10);
    MakeFile("untouched.tif", 10);
    Window();
    SetRows({{"grown.tif", root, "2", true}, {"gone.tif", root, "2", true}, {"untouched.tif", root, "2", false}});
    // The dialog changes the files: one grows to 3 pages and 3,000 bytes
    // with a new date, one is removed.
    const QDateTime changed(QDate(2023, 11, 5), QTime(16, 45));
    SetModalRunner([&](QDialog&) {
        MakeFile("grown.tif", 3000);
        SetTimes(root + "/grown.tif", changed, changed);
        QFile::remove(root + "/gone.tif");
        tiff.answer = [](const QString&, std::int32_t& pages) {
            pages = 3;
            return com::S_OK;
        };
        return int(QDialog::Accepted);
    });
    Window().Ui().cmdDeleteTiffPage->click();

    EXPECT_EQ(G().CellText(1, Col("Size (In KB)")), "3 KB");
    EXPECT_EQ(G().CellText(1, Col("Modified Date")), "05/11/2023 04:45 PM");
    EXPECT_EQ(G().CellText(1, Col("Pages")), "3");
    EXPECT_EQ(tiff.calls, QStringList{root + "/grown.tif"});
    // A file that has gone keeps its row as it was; an unticked row is not
    // looked at.
    EXPECT_EQ(G().CellText(2, Col("Size (In KB)")), "1 KB");
    EXPECT_EQ(G().CellText(2, Col("Pages")), "2");
    EXPECT_EQ(G().CellText(3, Col("Modified Date")), "03/04/2024 11:30 PM");
    EXPECT_EQ(Status(), Totals(2, 5));
}

} // namespace
