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

// Every doubled separator replaced by a single one (repeated, so that a
// run of three or more collapses too).
QString CollapseSeparators(QString path)
{
    while (path.contains(QLatin1String("//")))
        path.replace(QLatin1String("//"), QLatin1String("/"));
    return path;
}

// The row's folder and name joined by a separator, as typed in the grid.
QString JoinedPath(const Grid& g, int row)
{
    return g.CellText(row, GetColumnIndexByKey(QStringLiteral("Location"))) + QLatin1Char('/')
           + g.CellText(row, GetColumnIndexByKey(QStringLiteral("Name")));
}

void Shell(const char* verb, const QString& target)
{
    QString v = QString::fromLatin1(verb);
    std::int32_t showNormal = 1;
    ShellOpen(v, target, QString(), QString(), showNormal);
}

bool IsTicked(const Grid& g, int row, int selection)
{
    return g.CellAttribute(Grid::kAttrCheckState, row, selection).toInt() == Grid::kChecked;
}

int SelectionColumn()
{
    return GetColumnIndexByKey(QStringLiteral("Selection"));
}

// Sets the tick of every data row to `state` in one block operation; false
// (nothing done) when the grid has no data rows.
bool TickAllRows(Grid& g, int state)
{
    if (g.RowCount() < 2)
        return false;
    const int selection = SelectionColumn();
    g.SetCellAttribute(Grid::kAttrCheckState, 1, selection, g.RowCount() - 1, selection, state);
    return true;
}

// The first and last row of the grid's selected block; false when either
// is below 0.
bool SelectedRows(const Grid& g, int& first, int& last)
{
    int col1 = -1;
    int col2 = -1;
    g.GetSelectedRange(first, col1, last, col2);
    return first >= 0 && last >= 0;
}

// Flips the tick of rows first to last; a row for which `untick(row)`
// holds ends unticked whatever it was.
template <class Untick>
void FlipTicks(Grid& g, int first, int last, int selection, Untick untick)
{
    for (int r = first; r <= last; ++r) {
        const bool off = untick(r) || IsTicked(g, r, selection);
        g.SetCellAttribute(Grid::kAttrCheckState, r, selection, off ? Grid::kUnchecked : Grid::kChecked);
    }
}

// Switches a grid's painting off for as long as it lives; painting comes
// back on however the work ends, so a failure never leaves the grid frozen.
class RedrawOff {
public:
    explicit RedrawOff(Grid& g) : grid_(g) { grid_.SetRedrawEnabled(0); }
    ~RedrawOff() { grid_.SetRedrawEnabled(-1); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    Grid& grid_;
};

// Check Selection and UnCheck Selection: the ticks of the selected rows set
// to `state` in one block operation, then the totals.
void TickSelectedRows(frmMain& window, int state)
{
    Grid& g = *window.grdSearchList;
    int row1 = -1, row2 = -1;
    if (!SelectedRows(g, row1, row2))
        return;
    const int selection = SelectionColumn();
    g.SetCellAttribute(Grid::kAttrCheckState, row1, selection, row2, selection, state);
    window.ShowStatus(window.getSelectedFileinfo());
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
        const Grid& g = *grdSearchList;
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
        const Grid& g = *grdSearchList;
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
        const Grid& g = *grdSearchList;
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
        if (!TickAllRows(*grdSearchList, Grid::kChecked))
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
        Grid& g = *grdSearchList;
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
        if (!TickAllRows(*grdSearchList, Grid::kUnchecked))
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
        Grid& g = *grdSearchList;
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
        TickSelectedRows(*this, Grid::kChecked);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxUnCheckSelection_Click()
{
    ErrorTrap trap = Trap("mnuCtxUnCheckSelection_Click");
    try {
        trap.Line(10);
        TickSelectedRows(*this, Grid::kUnchecked);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::mnuCtxCheckInvertSelection_Click()
{
    ErrorTrap trap = Trap("mnuCtxCheckInvertSelection_Click");
    try {
        trap.Line(10);
        Grid& g = *grdSearchList;
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
