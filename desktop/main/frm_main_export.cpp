// frmMain: export of the file list.
//
// The ticked rows of the result grid are copied into the hidden grid
// vsDummyGrid (through a scratch file in the storage folder, so the copy
// holds exactly what the grid saves), the export dialog asks for the file,
// the tick column and the hidden columns are dropped, and the rest is saved
// as delimited text. Cells that hold the separator, a quote or a line break
// are written quoted, so the file reads back cell for cell.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/shell_open.h"
#include "desktop/dialogs/dlg_save.h"
#include "desktop/main/result_rows.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/storage_folder.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"

#include <QFile>

namespace {

const QString kTitle = QStringLiteral("Velmora 3.1");

// The export dialog: created at the first export and kept (as a child of
// the main window) for the rest of the run.
dlgSave* ExportDialog(frmMain* window)
{
    if (auto* dialog = window->findChild<dlgSave*>(QStringLiteral("dlgSave"), Qt::FindDirectChildrenOnly))
        return dialog;
    return new dlgSave(window);
}

} // namespace

void frmMain::mnuExport_Click()
{
    cmdExport_Click();
}

void frmMain::cmdExport_Click()
{
    if (SearchRunning())
        return;
    ErrorTrap trap = Trap("cmdExport_Click");
    try {
        trap.Line(10);
        if (ui_.grdSearchList->RowCount() < 2) {
            MsgBox(QStringLiteral("No Files Found"), MsgBoxIcon::Information, MsgBoxButtons::OK, kTitle);
            return;
        }
        trap.Line(20);
        const int selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        int ticked = 0;
        for (int row = 1; row < ui_.grdSearchList->RowCount(); ++row) {
            if (IsTicked(*ui_.grdSearchList, row, selection))
                ++ticked;
        }
        trap.Line(30);
        if (ticked == 0) {
            MsgBox(QStringLiteral("No files selected"), MsgBoxIcon::Information, MsgBoxButtons::OK, kTitle);
            return;
        }
        trap.Line(40);
        ExportCheckedRows(ui_.grdSearchList);
    } catch (...) {
        trap.Log();
    }
}

bool frmMain::ExportCheckedRows(Grid* grid)
{
    if (!grid)
        return false;
    dlgSave* dialog = ExportDialog(this);
    // A failure before the dialog has been answered is always reported,
    // whatever an earlier export chose.
    dialog->Setfilename(QString());
    dialog->SetColumnSaperator(QString());
    try {
        // 1-2. Copy the whole list into the scratch grid through the
        // scratch file, read back with the separators it was written with.
        const QString scratch = ValidateDir(StorageFolder()) + QStringLiteral("Temp.xls");
        grid->SaveToFile(scratch, Grid::kFormatDelimited, true);
        ui_.vsDummyGrid->SetRowCount(1);
        ui_.vsDummyGrid->SetColumnCount(grid->ColumnCount());
        ui_.vsDummyGrid->SetRedrawEnabled(0);
        ui_.vsDummyGrid->SetClipSeparators(grid->ClipSeparators());
        ui_.vsDummyGrid->LoadFromFile(scratch, Grid::kFormatDelimited, true);
        // The copy must match the list row for row, or the rows dropped
        // below would be the wrong ones.
        if (ui_.vsDummyGrid->RowCount() != grid->RowCount() || ui_.vsDummyGrid->ColumnCount() != grid->ColumnCount())
            throw RunTimeError(rterr::InvalidProcedureCall,
                               QStringLiteral("The file list could not be copied for the export."));

        // 3. Keep the ticked rows only, in the grid's order.
        const int selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        int removed = 0;
        for (int row = 1; row < grid->RowCount(); ++row) {
            if (!IsTicked(*grid, row, selection)) {
                ui_.vsDummyGrid->RemoveRow(row - removed);
                ++removed;
            }
        }

        // 4. The scratch file has served its purpose.
        QFile::remove(scratch);

        // 5-6. Ask for the target.
        RunModal(*dialog);
        if (dialog->filename().isEmpty())
            dialog->Setfilename(dlgSave::CancelledName());
        if (dialog->filename() == dlgSave::CancelledName())
            return false;

        // 7. Drop the tick column and the hidden columns; the others keep
        // the order the user gave them.
        for (int col = grid->ColumnCount() - 1; col >= 0; --col) {
            if (grid->CellText(0, col) == QLatin1String("Selection") || grid->ColumnHiddenAt(col)) {
                ui_.vsDummyGrid->SetColumnPositionAt(col, ui_.vsDummyGrid->ColumnCount() - 1);
                ui_.vsDummyGrid->SetColumnCount(ui_.vsDummyGrid->ColumnCount() - 1);
            }
        }

        // 8-9. Save with the grid's default separators, or with the chosen
        // column separator and CR between rows.
        ui_.vsDummyGrid->SetClipSeparators(QString());
        const QString target = dialog->filename();
        const QString separator = dialog->ColumnSaperator();
        if (separator.isEmpty()) {
            ui_.vsDummyGrid->SaveToFile(target, Grid::kFormatDelimited, true);
        } else {
            const QString remembered = ui_.vsDummyGrid->ClipSeparators();
            ui_.vsDummyGrid->SetClipSeparators(separator + QLatin1Char('\r'));
            ui_.vsDummyGrid->SaveToFile(target, Grid::kFormatDelimited, true);
            ui_.vsDummyGrid->SetClipSeparators(remembered);
        }

        // 10. Open it, or say it is done.
        if (dialog->OpenFile()) {
            QString verb = QStringLiteral("open");
            std::int32_t show = 1;
            ShellOpen(verb, target, QString(), QString(), show);
        } else {
            MsgBox(target + QStringLiteral("Exported successfully"), MsgBoxIcon::Information, MsgBoxButtons::OK,
                   kTitle);
        }
        return true;
    } catch (...) {
        if (dialog->filename() != dlgSave::CancelledName()) {
            const RunTimeError error = CurrentRunTimeError();
            MsgBox(QStringLiteral("Unable to export!\r\n\r\n") + error.description(), MsgBoxIcon::Information,
                   MsgBoxButtons::OK, kTitle);
        }
        return false;
    }
}
