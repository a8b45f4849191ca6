// The result grid's context menu: the file of the current row handed to the
// shell, and the tick commands with the totals they leave in the status bar.

#include "commands_fixture.h"
#include "desktop/main/dlg_printer.h"
#include "fake_shell.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>

namespace {

class ContextMenuTest : public CommandsTest {
protected:
    // Selects the block of data rows first..last (whole rows).
    void SelectRows(int first, int last)
    {
        QTableView* view = G().View();
        QAbstractItemModel* model = view->model();
        const QItemSelection block(model->index(first - 1, 0), model->index(last - 1, model->columnCount() - 1));
        view->selectionModel()->select(block, QItemSelectionModel::ClearAndSelect);
    }

    // Ten rows of 2 pages; rows 3 and 7 damaged, one of them spelt in lower case.
    void TenRowsTwoDamaged()
    {
        SetPlainRows(10);
        G().SetCellText(3, Col("Pages"), "Error");
        G().SetCellText(7, Col("Pages"), "ERROR");
    }

    FakeShell fake;
    shell::ScopedHandler useFake{&fake};
};

TEST_F(ContextMenuTest, AllRowCommandsOnAnEmptyGridLeaveTheStatusAlone)
{
    frmMain& w = Window();
    ASSERT_EQ(G().RowCount(), 1);
    w.ShowStatus(QStringLiteral("untouched"));
    w.Ui().mnuCtxSelectAll->trigger();
    w.Ui().mnuCtxInvSelect->trigger();
    w.Ui().mnuCtxDeSelectAll->trigger();
    w.Ui().mnuCtxCheckSelection->trigger();
    w.Ui().mnuCtxUnCheckSelection->trigger();
    w.Ui().mnuCtxCheckInvertSelection->trigger();
    EXPECT_EQ(Status(), "untouched");
    // The header row never gets a tick.
    EXPECT_NE(G().CellAttribute(Grid::kAttrCheckState, 0, Col("Selection")).toInt(), Grid::kChecked);
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

// Select All and Deselect All, reached by their keys in the window.
TEST_F(ContextMenuTest, CtrlASelectsAllButDamagedRowsAndCtrlDClearsThem)
{
    frmMain& w = Window();
    TenRowsTwoDamaged();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // Ctrl with Shift is not Select All.
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Ticks(), "0000000000");

    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Ticks(), "1101110111");
    EXPECT_EQ(Status(), Totals(8, 16));
    // Painting is back on once the damaged rows were looked for.
    EXPECT_EQ(G().RedrawEnabled(), -1);

    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Ticks(), "0000000000");
    EXPECT_EQ(Status(), Totals(0, 0));
}

TEST_F(ContextMenuTest, InvertSelectionFlipsEveryRowButAlwaysUnticksDamagedOnes)
{
    frmMain& w = Window();
    SetPlainRows(5, "4");
    G().SetCellText(2, Col("Pages"), "Error");
    Tick(1);
    Tick(2); // ticked by hand although damaged
    w.Ui().mnuCtxInvSelect->trigger();
    EXPECT_EQ(Ticks(), "00111");
    EXPECT_EQ(Status(), Totals(3, 12));
    // A second inversion flips back, and the damaged row still stays off.
    w.Ui().mnuCtxInvSelect->trigger();
    EXPECT_EQ(Ticks(), "10000");
    EXPECT_EQ(Status(), Totals(1, 4));
}

TEST_F(ContextMenuTest, SelectionCommandsActOnTheSelectedRowsOnly)
{
    frmMain& w = Window();
    SetPlainRows(6, "1");
    G().SetCellText(4, Col("Pages"), "Error");
    Tick(3);
    SelectRows(2, 4);

    w.Ui().mnuCtxCheckInvertSelection->trigger();
    // Row by row, damaged rows included.
    EXPECT_EQ(Ticks(), "010100");
    EXPECT_EQ(Status(), Totals(2, 1));

    w.Ui().mnuCtxCheckSelection->trigger();
    EXPECT_EQ(Ticks(), "011100");
    EXPECT_EQ(Status(), Totals(3, 2));

    Tick(6);
    w.Ui().mnuCtxUnCheckSelection->trigger();
    EXPECT_EQ(Ticks(), "000001");
    EXPECT_EQ(Status(), Totals(1, 1));
}

TEST_F(ContextMenuTest, OpenAndShowFolderHandTheRowsPathToTheShell)
{
    frmMain& w = Window();
    SetRows({{"first.tif", "/data/scans", "1"}, {"odd #name.tif", "/data/scans/", "1"}, {"top.tif", "/", "1"}});

    // No current row: nothing happens.
    G().View()->setCurrentIndex(QModelIndex());
    ASSERT_LT(G().CurrentRow(), 1);
    w.Ui().mnuCtxOpen->trigger();
    w.Ui().mnuCtxOpenFolder->trigger();
    w.Ui().mnuCtxPrintFile->trigger();
    EXPECT_TRUE(fake.opened.isEmpty());
    EXPECT_TRUE(fake.started.isEmpty());

    G().SetCurrentRow(1);
    w.Ui().mnuCtxOpen->trigger();
    w.Ui().mnuCtxOpenFolder->trigger();
    // A folder that ends in a separator gives a single one before the name,
    // and a '#' stays part of the file name.
    G().SetCurrentRow(2);
    w.Ui().mnuCtxOpen->trigger();
    G().SetCurrentRow(3);
    w.Ui().mnuCtxOpen->trigger();
    w.Ui().mnuCtxOpenFolder->trigger();

    ASSERT_EQ(fake.opened.size(), 5);
    EXPECT_EQ(fake.opened[0], QUrl::fromLocalFile("/data/scans/first.tif"));
    EXPECT_EQ(fake.opened[1], QUrl::fromLocalFile("/data/scans"));
    EXPECT_EQ(fake.opened[2], QUrl::fromLocalFile("/data/scans/odd #name.tif"));
    EXPECT_EQ(fake.opened[2].toLocalFile(), "/data/scans/odd #name.tif");
    EXPECT_EQ(fake.opened[3], QUrl::fromLocalFile("/top.tif"));
    EXPECT_EQ(fake.opened[4], QUrl::fromLocalFile("/"));
    EXPECT_TRUE(fake.started.isEmpty());
}

TEST_F(ContextMenuTest, PrintAsksForThePrinterThenPrintsTheExistingFile)
{
    frmMain& w = Window();
    const QString file = MakeFile("sub/page one.tif");
    SetRows({{"page one.tif", root + "/sub/", "1"}, {"gone.tif", root + "/sub", "1"}, {"sub", root, ""}});

    // A file deleted since the search, and a folder: nothing, no message.
    G().SetCurrentRow(2);
    w.Ui().mnuCtxPrintFile->trigger();
    G().SetCurrentRow(3);
    w.Ui().mnuCtxPrintFile->trigger();
    EXPECT_TRUE(fake.started.isEmpty());
    EXPECT_TRUE(modals.empty());
    EXPECT_TRUE(boxes.empty());

    G().SetCurrentRow(1);
#if defined(VELMORA_HAVE_PRINT_DIALOG)
    // The printer the user chooses is the one the file goes to; the dialog
    // offers printers only.
    SetModalRunner([this](QDialog& d) {
        modals.push_back(d.metaObject()->className());
        auto* dialog = qobject_cast<dlgPrinter*>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        EXPECT_EQ(dialog->cboPrinter->findText("Print to File (PDF)"), -1);
        dialog->cboPrinter->addItems({"Office", "Lab"});
        dialog->cboPrinter->setCurrentIndex(dialog->cboPrinter->findText("Lab"));
        return int(QDialog::Accepted);
    });
#endif
    w.Ui().mnuCtxPrintFile->trigger();
    ASSERT_EQ(fake.started.size(), 1);
    EXPECT_EQ(fake.started[0].first, "lp");
#if defined(VELMORA_HAVE_PRINT_DIALOG)
    EXPECT_EQ(fake.started[0].second, (QStringList{"-d", "Lab", "--", file}));
    ASSERT_EQ(modals.size(), 1u);
    EXPECT_EQ(modals[0], "dlgPrinter");
    // With no printer to choose, Print cannot be pressed.
    const dlgPrinter none({}, QString());
    EXPECT_FALSE(none.cmdPrint->isEnabled());
    EXPECT_TRUE(none.PrinterName().isEmpty());
    const dlgPrinter two({"Office", "Lab"}, "Lab");
    EXPECT_EQ(two.PrinterName(), "Lab");
#else
    EXPECT_EQ(fake.started[0].second, (QStringList{"--", file}));
#endif
#if defined(VELMORA_HAVE_PRINT_DIALOG)

    // Cancelling the printer dialog prints nothing and says nothing.
    SetModalRunner([this](QDialog& d) {
        modals.push_back(d.metaObject()->className());
        return int(QDialog::Rejected);
    });
    w.Ui().mnuCtxPrintFile->trigger();
    EXPECT_EQ(modals.size(), 2u);
    EXPECT_EQ(fake.started.size(), 1);
#endif
    EXPECT_TRUE(boxes.empty());
}

#if defined(VELMORA_HAVE_PRINT_DIALOG)
// lp itself, as a script on the search path: it writes its arguments to a
// file and answers with `status` and `said` on standard error.
void InstallLp(const QString& folder, int status, const QString& said)
{
    QFile lp(folder + "/lp");
    ASSERT_TRUE(lp.open(QIODevice::WriteOnly));
    lp.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1/args\"\nprintf '%s\\n' '%2' >&2\nexit %3\n")
                 .arg(folder, said)
                 .arg(status)
                 .toUtf8());
    lp.close();
    lp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(ContextMenuTest, APrintJobTheQueueRefusesIsSaidAndLogged)
{
    frmMain& w = Window();
    const QString file = MakeFile("page.tif");
    SetRows({{"page.tif", root, "1"}});
    G().SetCurrentRow(1);
    SetModalRunner([](QDialog& d) {
        if (auto* dialog = qobject_cast<dlgPrinter*>(&d)) {
            dialog->cboPrinter->addItem("PrinterB");
            dialog->cboPrinter->setCurrentIndex(dialog->cboPrinter->findText("PrinterB"));
        }
        return int(QDialog::Accepted);
    });
    // The real shell, with an lp of our own.
    shell::ScopedHandler system(nullptr);
    const QString bin = root + "/.bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + path);
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });

    const QString refusal = QStringLiteral("lp: Destination \"PrinterB\" is not accepting jobs.");
    InstallLp(bin, 1, refusal);
    w.Ui().mnuCtxPrintFile->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes.empty(); }, 5000));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Unable to print \"%1\".\r\n\r\n%2").arg(file, refusal));
    EXPECT_EQ(boxes[0].icon, MsgBoxIcon::Information);
    const QStringList log = LogLines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Error 57 (Unable to print \"%1\": %2)").arg(file, refusal)))
        << log[0].toStdString();
    EXPECT_TRUE(log[0].contains("in procedure mnuCtxPrintFile_Click at Line No. 30 of Form frmMain"))
        << log[0].toStdString();
    QFile args(bin + "/args");
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), QStringLiteral("-d\nPrinterB\n--\n%1\n").arg(file));

    // A job the queue takes says nothing, whatever lp adds on the side.
    InstallLp(bin, 0, QStringLiteral("lp: a remark"));
    args.close();
    ASSERT_TRUE(args.remove());
    w.Ui().mnuCtxPrintFile->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&args] { return args.exists(); }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(LogLines().size(), 1);
}
#endif

} // namespace
