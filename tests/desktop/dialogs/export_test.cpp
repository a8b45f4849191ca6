// The export of the file list: the main window's command, the export dialog
// and the file written.

#include "export_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace {

const QByteArray kHeader = "Name,Pages,Location,Size (In KB),Type,Created Date,Modified Date";

QByteArray Row(const QByteArray& name, int r, char sep = ',')
{
    QByteArray out = name;
    for (const char* key : {"Pages", "Location", "Size (In KB)", "Type", "Created Date", "Modified Date"})
        out += sep + QByteArray(key) + ' ' + QByteArray::number(r);
    return out;
}

QDate FixedDay()
{
    return QDate(2026, 12, 8);
}

TEST_F(ExportTest, RefusesAnEmptyListAndAListWithoutTickedRows)
{
    Window().cmdExport_Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No Files Found");
    EXPECT_EQ(boxes[0].title, "Velmora 3.1");
    EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);

    FillList({"a.tif", "b.tif"}, {});
    Window().mnuExport_Click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "No files selected");
    EXPECT_TRUE(modals.empty());
}

TEST_F(ExportTest, CsvHoldsTheHeaderAndTheTickedRowsInGridOrder)
{
    FillList({"a.tif", "b.tif", "c.tif"}, {1, 3});
    onDialog = SaveAs("list", 2);
    EXPECT_TRUE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    EXPECT_EQ(ReadAll(Out("list.csv")), kHeader + "\n" + Row("a.tif", 1) + "\n" + Row("c.tif", 3) + "\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Out("list.csv") + "Exported successfully");
    // The scratch copy is gone, the list itself untouched.
    EXPECT_FALSE(QFile::exists(StorageFolder() + "/Temp.xls"));
    EXPECT_EQ(Window().Ui().grdSearchList->RowCount(), 4);
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(ExportTest, TxtUsesTheChosenSeparatorAndCrAndQuotesAwkwardCellsSoTheyReadBack)
{
    FillList({"semi;colon,comma.tif", "say \"hi\".tif", "two\nlines.tif", "plain.tif"}, {1, 2, 3, 4});
    Grid& g = *Window().Ui().grdSearchList;
    g.SetCellText(4, GetColumnIndexByKey("Location"), "");
    onDialog = SaveAs("list", 0, ";");
    Window().cmdExport_Click();

    const QByteArray expected = QByteArray("Name;Pages;Location;Size (In KB);Type;Created Date;Modified Date\r")
                                + "\"semi;colon,comma.tif\"" + Row("", 1, ';') + "\r" + "\"say \"\"hi\"\".tif\""
                                + Row("", 2, ';') + "\r" + "\"two\nlines.tif\"" + Row("", 3, ';') + "\r"
                                + "plain.tif;Pages 4;;Size (In KB) 4;Type 4;Created Date 4;Modified Date 4\r";
    EXPECT_EQ(ReadAll(Out("list.txt")), expected);

    // Read back with the same separators, every cell is what the grid held.
    Grid back;
    back.SetClipSeparators(";\r");
    back.LoadFromFile(Out("list.txt"), Grid::kFormatDelimited, true);
    ASSERT_EQ(back.RowCount(), 5);
    ASSERT_EQ(back.ColumnCount(), 7);
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(back.CellText(r, 0), g.CellText(r, GetColumnIndexByKey("Name")));
        EXPECT_EQ(back.CellText(r, 2), g.CellText(r, GetColumnIndexByKey("Location")));
    }

    // The next export asks no separator: it must not inherit ";".
    FillList({"a.tif"}, {1});
    onDialog = SaveAs("list.txt", 1);
    Window().cmdExport_Click();
    EXPECT_EQ(ReadAll(Out("list.txt.xls")), kHeader + "\n" + Row("a.tif", 1) + "\n");
}

TEST_F(ExportTest, HiddenColumnsAndTheTickColumnAreLeftOutAndTheUsersOrderKept)
{
    TheSettings().SetColumnReOrder("Pages,Name,Location,Selection,Size (In KB),Type,Created Date,Modified Date");
    TheSettings().SetLastGridColWidth("700,1800,1800,250,1000,1400,2000,2000");
    TheSettings().SetColumnVisibility("1,1,1,1,1,0,1,0");
    FillList({"a.tif", "b.tif"}, {2});
    onDialog = SaveAs("cols", 2);
    Window().cmdExport_Click();
    EXPECT_EQ(ReadAll(Out("cols.csv")), QByteArray("Pages,Name,Location,Size (In KB),Created Date\n")
                                            + "Pages 2,b.tif,Location 2,Size (In KB) 2,Created Date 2\n");
}

TEST_F(ExportTest, CancelOrTheCloseBoxWritesNothingAndSaysNothing)
{
    FillList({"a.tif"}, {1});
    onDialog = [](QDialog& d) { static_cast<dlgSave&>(d).cmdCancel->click(); };
    EXPECT_FALSE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    onDialog = {}; // the runner closes it with the close box
    EXPECT_FALSE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(QDir(outFolder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(modals.size(), 2u);
    EXPECT_EQ(Window().findChildren<dlgSave*>().size(), 1); // one dialog serves every export
}

TEST_F(ExportTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo)
{
    FillList({"a.tif"}, {1});
    {
        QFile f(Out("keep.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    // "No": the dialog stays open; closing it then cancels the export.
    onDialog = SaveAs("keep", 2);
    EXPECT_FALSE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    EXPECT_EQ(ReadAll(Out("keep.csv")), "precious");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Out("keep.csv") + " already exists.\r\nDo you want to replace it?");

    questionAnswer = MsgBoxResult::Yes;
    boxes.clear();
    EXPECT_TRUE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    EXPECT_EQ(ReadAll(Out("keep.csv")), kHeader + "\n" + Row("a.tif", 1) + "\n");
}

TEST_F(ExportTest, OpenAfterExportOpensTheFileAndIsRemembered)
{
    shell::ScopedHandler scoped(&shell);
    FillList({"a.tif"}, {1});
    onDialog = SaveAs("open me", 2, QString(), true);
    EXPECT_TRUE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), Out("open me.csv"));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(OnDisk().IsOpenFileAfterExport(), 1);

    // The next showing starts ticked; a cancelled one still stores the box.
    bool startedTicked = false;
    onDialog = [&](QDialog& d) {
        auto& save = static_cast<dlgSave&>(d);
        startedTicked = save.ChkOpenFile->isChecked();
        save.ChkOpenFile->setChecked(false);
        save.cmdCancel->click();
    };
    Window().cmdExport_Click();
    EXPECT_TRUE(startedTicked);
    EXPECT_EQ(OnDisk().IsOpenFileAfterExport(), 0);
}

TEST_F(ExportTest, AFailedWriteIsReportedAndNotCalledSuccess)
{
    FillList({"a.tif"}, {1});
    onDialog = [this](QDialog& d) {
        auto& save = static_cast<dlgSave&>(d);
        save.SetFolderPath(outFolder + "/missing");
        save.txtFileName->setText("x");
        save.cmdSave->click();
    };
    EXPECT_FALSE(Window().ExportCheckedRows(Window().Ui().grdSearchList));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("Unable to export!\r\n\r\n")) << boxes[0].text.toStdString();
}

// ----- The dialog on its own -----

class ExportDialogTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        dlgSave::TodayProvider = &FixedDay;
        SetModalRunner({});
    }
    void TearDown() override
    {
        dlgSave::TodayProvider = [] { return QDate::currentDate(); };
        ExportTest::TearDown();
    }
    dlgSave dialog;
};

TEST_F(ExportDialogTest, EveryShowingStartsAfreshFromTheStoredExportLocation)
{
    dialog.show();
    EXPECT_EQ(dialog.FolderPath(), QDir::homePath());
    dialog.txtFileName->setText("changed");
    dialog.cboFileType->setCurrentIndex(0);
    dialog.cmdCancel->click();
    EXPECT_EQ(dialog.filename(), "//Cancelled//");

    TheSettings().SetExportLocation(outFolder);
    dialog.show();
    EXPECT_EQ(dialog.txtFileName->text(), "2026_12_08_Data");
    EXPECT_EQ(dialog.cboFileType->currentIndex(), 1);
    EXPECT_TRUE(dialog.txtColSaperator->isHidden());
    EXPECT_EQ(dialog.FolderPath(), outFolder);
}

TEST_F(ExportDialogTest, ValidatesNameAndSeparator)
{
    dialog.show();
    dialog.SetFolderPath(outFolder);
    dialog.txtFileName->clear();
    dialog.cmdSave->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Please specify file name.");
    EXPECT_TRUE(dialog.isVisible());

    dialog.txtFileName->setText("n");
    dialog.cboFileType->setCurrentIndex(0);
    dialog.txtColSaperator->clear();
    dialog.cmdSave->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Please enter column saperator.");
    EXPECT_TRUE(dialog.isVisible());

    // With a type that asks no separator an empty box does not matter.
    dialog.cboFileType->setCurrentIndex(2);
    dialog.cmdSave->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.filename(), outFolder + "/n.csv");
    EXPECT_EQ(dialog.ColumnSaperator(), "");
}

TEST_F(ExportDialogTest, BuildsTheFileNameFromFolderNameAndType)
{
    struct Case {
        QString typed;
        int type;
        QString file;
    } cases[] = {
        {"report.txt", 0, "report.txt"}, {"report.TXT", 0, "report.txt"}, {"report.txt", 2, "report.txt.csv"},
        {"report", 3, "report.doc"},     {"a.b.xls", 1, "a.b.xls"},
    };
    for (const Case& c : cases) {
        dialog.show();
        dialog.SetFolderPath(outFolder + "/");
        dialog.txtFileName->setText(c.typed);
        dialog.cboFileType->setCurrentIndex(c.type);
        dialog.cmdSave->click();
        EXPECT_EQ(dialog.filename(), outFolder + "/" + c.file) << c.typed.toStdString();
    }
}

TEST_F(ExportDialogTest, FileNameBoxDropsReservedCharactersTypedOrPasted)
{
    dialog.show();
    dialog.txtFileName->clear();
    dialog.txtFileName->setFocus();
    QTest::keyClicks(dialog.txtFileName, "a|b\\c/d*e:f?g<h>i\"j.k");
    EXPECT_EQ(dialog.txtFileName->text(), "abcdefghij.k");

    QApplication::clipboard()->setText("../../etc/x");
    dialog.txtFileName->clear();
    dialog.txtFileName->paste();
    if (QApplication::clipboard()->text() == "../../etc/x") {
        EXPECT_EQ(dialog.txtFileName->text(), "....etcx");
    }

    // The quote cannot be a column separator: it is the quoting character.
    dialog.cboFileType->setCurrentIndex(0);
    dialog.txtColSaperator->clear();
    QTest::keyClicks(dialog.txtColSaperator, "\"");
    EXPECT_EQ(dialog.txtColSaperator->text(), "");
    QTest::keyClicks(dialog.txtColSaperator, ";");
    EXPECT_EQ(dialog.txtColSaperator->text(), ";");
}

} // namespace
