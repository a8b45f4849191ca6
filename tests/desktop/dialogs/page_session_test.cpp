// Page commands one after the other in one session, with the real page
// engine and page counters: each command works on the files as they are
// after the one before, and the grid shows them so.

#include "desktop/dialogs/frm_append_tiff_file.h"
#include "desktop/dialogs/frm_split_option_tiff.h"
#include "platform/grid/grid.h"

#include "page_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class PageSessionTest : public PageDialogTest {
protected:
    void SetUp() override
    {
        PageDialogTest::SetUp();
        CreatePageCounters();
        FilterPatterns = QStringList{QStringLiteral("*.tif,*.tiff")};
        TheSettings().SetWindowStateFlag(0);
        folder = QDir(files_.path()).canonicalPath();
        out = folder + "/out";
        ASSERT_TRUE(QDir().mkpath(out + "/.keep"));
    }

    QString Cell(frmMain& w, int row, const char* key)
    {
        return w.Ui().grdSearchList->CellText(row, GetColumnIndexByKey(QString::fromLatin1(key)));
    }
    int RowOf(frmMain& w, const QString& name)
    {
        for (int r = 1; r < w.Ui().grdSearchList->RowCount(); ++r)
            if (Cell(w, r, "Name") == name)
                return r;
        return -1;
    }

    QString folder;
    QString out;
};

TEST_F(PageSessionTest, ASplitAfterAnAppendSplitsEveryPageAndTheGridShowsTheFileAsItIsNow)
{
    ASSERT_TRUE(MakeTiff(folder + "/a.tif", {1, 2, 3}));
    ASSERT_TRUE(MakeTiff(folder + "/p.tif", {91, 92}));
    // The dialogs are driven as the user drives them.
    SetModalRunner([this](QDialog& d) {
        modals.push_back(d.metaObject()->className());
        d.show();
        if (auto* append = qobject_cast<frmAppendTiffFile*>(&d)) {
            append->txtAppendFile()->setText(folder + "/p.tif");
            append->OptAppEndFile()->click();
            append->cmdAppend()->click();
        } else if (auto* split = qobject_cast<frmSplitOption_Tiff*>(&d)) {
            split->OptSplitMathod[0]->setChecked(true);
            split->txtseparator[0]->setText("_");
            split->txtOutputFolder->setText(out);
            split->cmdOk->click();
        }
        d.hide();
        return int(QDialog::Accepted);
    });

    frmMain w;
    ASSERT_TRUE(w.SelectFolder(folder));
    const int row = RowOf(w, "a.tif");
    ASSERT_GT(row, 0);
    EXPECT_EQ(Cell(w, row, "Pages"), "3");
    w.Ui().grdSearchList->SetCellAttribute(Grid::kAttrCheckState, row, GetColumnIndexByKey("Selection"), true);

    w.Ui().cmdAppendTifffile->click();
    ASSERT_EQ(PageWidths(folder + "/a.tif"), (std::vector<int>{1, 2, 3, 91, 92}));
    // The row shows the file as it is now.
    EXPECT_EQ(Cell(w, row, "Pages"), "5");
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "1 file selected; Total Page count of selected Tiff files: 5");

    w.Ui().cmdSplit->click();
    EXPECT_EQ(modals, (std::vector<QString>{"frmAppendTiffFile", "frmSplitOption_Tiff"}));
    QStringList texts;
    for (const MsgBoxRequest& b : boxes)
        texts << b.text;
    EXPECT_EQ(texts, (QStringList{"Successfully appended.", "Split completed"}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name),
              (QStringList{"a_1.tif", "a_2.tif", "a_3.tif", "a_4.tif", "a_5.tif"}));
    const int widths[] = {1, 2, 3, 91, 92};
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(PageWidths(out + QStringLiteral("/a_%1.tif").arg(c)), std::vector<int>{widths[c - 1]}) << c;
}

} // namespace
