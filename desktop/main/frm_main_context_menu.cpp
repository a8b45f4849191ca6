// frmMain: the result grid's context menu and the tick commands.
//
// The first three items act on the file of the grid's current row (open
// it, open its folder, print it). The others change the ticks of the
// "Selection" column, over all rows or over the grid's selected block, and
// end by showing the totals of the ticked rows in the status bar, so the
// user always sees what a page command would get. Rows whose page count
// reads "Error" are left unticked by Select All and Invert Selection: a
// page command refuses them.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/shell_open.h"
#include "desktop/main/result_rows.h"
#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"
#include "platform/runtime/run_time_error.h"
#include "platform/shell/shell.h"

#if defined(VELMORA_HAVE_PRINT_DIALOG)
#include "desktop/main/dlg_printer.h"

#include <QPrinterInfo>
#endif

#include <cstdint>

namespace {

const QString kError = QStringLiteral("Error");

void Shell(const char* verb, const QString& target)
{
    QString v = QString::fromLatin1(verb);
    std::int32_t showNormal = 1;
    ShellOpen(v, target, QString(), QString(), showNormal);
}

} // namespace

// ===================================================================
// The file of the current row
// ===================================================================

void frmMain::mnuCtxOpen_Click()
{
    ErrorTrap trap = Trap("mnuCtxOpen_Click");
    try {
        trap.Line(10);
        const Grid& g = *ui_.grdSearchList;
        const int row = g.CurrentRow();
        if (row < 1)
            return;
        Shell("open", CollapseSeparators(JoinedPath(g, row)));
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxOpenFolder_Click()
{
    ErrorTrap trap = Trap("mnuCtxOpenFolder_Click");
    try {
        trap.Line(10);
        const Grid& g = *ui_.grdSearchList;
        const int row = g.CurrentRow();
        if (row < 1)
            return;
        const QString folder = g.CellText(row, GetColumnIndexByKey(QStringLiteral("Location")));
        Shell("Open", CollapseSeparators(folder));
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxPrintFile_Click()
{
    ErrorTrap trap = Trap("mnuCtxPrintFile_Click");
    try {
        trap.Line(10);
        const Grid& g = *ui_.grdSearchList;
        const int row = g.CurrentRow();
        if (row < 1)
            return;
        const QString path = JoinedPath(g, row);
        // A file deleted since the search (or a folder) is not printed.
        if (!FileExistsByFind(path))
            return;
        QString printer;
#if defined(VELMORA_HAVE_PRINT_DIALOG)
        // The printer dialog: cancelling it, or any failure while it is set up
        // and shown, ends the command silently. The file goes to the printer
        // chosen there.
        try {
            dlgPrinter dialog(QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName(), this);
            if (RunModal(dialog) != QDialog::Accepted)
                return;
            printer = dialog.PrinterName();
        } catch (...) {
            return;
        }
#endif
        trap.Line(20);
        const QString file = CollapseSeparators(path);
        // lp answers once it has handed the job to the queue or been refused;
        // a refusal is said as a failed open is, and logged.
        trap.Line(30);
        const auto refused = [trap, file](const QString& reason) {
            trap.Log(
                RunTimeError(rterr::DeviceIOError, QStringLiteral("Unable to print \"%1\": %2").arg(file, reason)));
            MsgBox(QStringLiteral("Unable to print \"%1\".\r\n\r\n%2").arg(file, reason), MsgBoxIcon::Information);
        };
        const QString program = QStringLiteral("lp");
        if (!shell::Print(file, printer, [refused, program](const shell::ProgramOutcome& outcome) {
                const QString reason = shell::FailureText(program, outcome);
                if (!reason.isEmpty())
                    refused(reason);
            }))
            refused(shell::FailureText(program, shell::ProgramOutcome()));
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// All rows
// ===================================================================

void frmMain::mnuCtxSelectAll_Click()
{
    SelectAllRows();
}

void frmMain::mnuCtxInvSelect_Click()
{
    mnuInvSelect_Click();
}

void frmMain::mnuCtxDeSelectAll_Click()
{
    DeselectAllRows();
}

void frmMain::SelectAllRows()
{
    ErrorTrap trap = Trap("SelectAllRows");
    try {
        trap.Line(10);
        if (!TickAllRows(*ui_.grdSearchList, Grid::kChecked))
            return;
        UntickErrorRows();
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::UntickErrorRows()
{
    ErrorTrap trap = Trap("UntickErrorRows");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        const int pages = GetColumnIndexByKey(QStringLiteral("Pages"));
        const int selection = SelectionColumn();
        trap.Line(20);
        RedrawOff frozen(g);
        for (int r = 1; r < g.RowCount(); ++r) {
            if (g.CellText(r, pages).compare(kError, Qt::CaseInsensitive) == 0)
                g.SetCellAttribute(Grid::kAttrCheckState, r, selection, false);
        }
    } catch (...) {
        trap.Log();
    }
}

void frmMain::DeselectAllRows()
{
    ErrorTrap trap = Trap("DeselectAllRows");
    try {
        trap.Line(10);
        if (!TickAllRows(*ui_.grdSearchList, Grid::kUnchecked))
            return;
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuInvSelect_Click()
{
    ErrorTrap trap = Trap("mnuInvSelect_Click");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        if (g.RowCount() < 2)
            return;
        trap.Line(20);
        const int pages = GetColumnIndexByKey(QStringLiteral("Pages"));
        const int selection = SelectionColumn();
        trap.Line(30);
        // A damaged row always ends unticked.
        FlipTicks(g, 1, g.RowCount() - 1, selection, [&](int r) { return g.CellText(r, pages) == kError; });
        trap.Line(40);
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// The rows of the grid's selected block
// ===================================================================

void frmMain::mnuCtxCheckSelection_Click()
{
    ErrorTrap trap = Trap("mnuCtxCheckSelection_Click");
    try {
        trap.Line(10);
        if (TickSelectedRows(*ui_.grdSearchList, Grid::kChecked))
            ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxUnCheckSelection_Click()
{
    ErrorTrap trap = Trap("mnuCtxUnCheckSelection_Click");
    try {
        trap.Line(10);
        if (TickSelectedRows(*ui_.grdSearchList, Grid::kUnchecked))
            ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxCheckInvertSelection_Click()
{
    ErrorTrap trap = Trap("mnuCtxCheckInvertSelection_Click");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        int row1 = -1, row2 = -1;
        if (!SelectedRows(g, row1, row2))
            return;
        trap.Line(20);
        // Each row flips on its own; damaged rows are no exception here.
        FlipTicks(g, row1, row2, SelectionColumn(), [](int) { return false; });
        trap.Line(30);
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}
