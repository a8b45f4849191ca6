// frmMain: the page commands of the Options pane (Split, Append Or Insert,
// Delete) hand the ticked rows to their operation dialogs.
//
// None of them touches a file itself. Each checks the grid, brings the page
// counts of the ticked rows up to date (GetPageCount), turns every ticked
// row into one record, in grid row order, and shows a new dialog with those
// records modally. A ticked row whose page count reads "Error" stops the
// command: the user has to untick it first. When the dialog closes, the rows
// it was given show their files as they are now.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/main/result_rows.h"
#include "operations/cls_col_set_order_grid.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"
#include "platform/runtime/run_time_error.h"

#include "desktop/dialogs/frm_append_tiff_file.h"
#include "desktop/dialogs/frm_delete_tiffpage.h"
#include "desktop/dialogs/frm_split_option_tiff.h"

#include <memory>

namespace {

const QString kNoRows = QStringLiteral("Please Select Files.");
const QString kError = QStringLiteral("Error");

void Inform(const QString& text)
{
    MsgBox(text, MsgBoxIcon::Information, MsgBoxButtons::OK, QStringLiteral("Velmora 3.1"));
}

// After a page command the rows it was given show their files as they are
// now (the dialog is modal: the rows have not moved meanwhile).
void RefreshRows(frmMain& window, const QList<int>& rows)
{
    for (int row : rows)
        window.RefreshResultRow(row);
    window.ShowStatus(window.getSelectedFileinfo());
}

// Append and Delete: the same hand-off to different dialogs.
template <class Dialog>
void RunFilesDialog(frmMain& window, ErrorTrap& trap, const QString& damagedMessage)
{
    trap.Line(10);
    if (window.Ui().grdSearchList->RowCount() < 2) {
        Inform(kNoRows);
        return;
    }
    trap.Line(20);
    auto dialog = std::make_unique<Dialog>();
    trap.Line(30);
    window.GetPageCount();
    trap.Line(40);
    RecordCollection records;
    QList<int> rows;
    if (!GatherTickedRecords(*window.Ui().grdSearchList, records, rows)) {
        Inform(damagedMessage);
        return;
    }
    trap.Line(50);
    if (records.isEmpty()) {
        Inform(QStringLiteral("Please Select File."));
        return;
    }
    trap.Line(60);
    dialog->colSelectedData = std::move(records);
    RunModal(*dialog);
    trap.Line(70);
    RefreshRows(window, rows);
}

} // namespace

void frmMain::cmdAppendTifffile_Click()
{
    ErrorTrap trap = Trap("cmdAppendTifffile_Click");
    try {
        RunFilesDialog<frmAppendTiffFile>(
            *this, trap, QStringLiteral("You have selected damaged or corrupted file(s). Please de-select file(s)"));
    } catch (...) {
        trap.Log();
    }
}

void frmMain::cmdDeleteTiffPage_Click()
{
    ErrorTrap trap = Trap("cmdDeleteTiffPage_Click");
    try {
        RunFilesDialog<frmDeleteTiffpage>(*this, trap,
                                          QStringLiteral("You have selected have damaged or corrupted files."));
    } catch (...) {
        trap.Log();
    }
}

void frmMain::cmdSplit_Click()
{
    ErrorTrap trap = Trap("cmdSplit_Click");
    try {
        trap.Line(10);
        if (ui_.grdSearchList->RowCount() < 2) {
            Inform(kNoRows);
            return;
        }
        trap.Line(20);
        std::int32_t action = 2;
        ShowSplitDialog(action);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::ShowSplitDialog(std::int32_t& action)
{
    ErrorTrap trap = Trap("ShowSplitDialog");
    try {
        trap.Line(10);
        GetPageCount();
        trap.Line(20);
        // Only the TIFF split (2) has a dialog.
        if (action != 2)
            return;
        auto dialog = std::make_unique<frmSplitOption_Tiff>();
        dialog->CommandAction = action;
        trap.Line(30);
        RecordCollection records;
        QList<int> rows;
        if (!GatherTickedRecords(*ui_.grdSearchList, records, rows)) {
            Inform(QStringLiteral("You have selected have damaged or corrupted files."));
            return;
        }
        trap.Line(40);
        if (records.isEmpty()) {
            Inform(QStringLiteral("Please select files."));
            return;
        }
        trap.Line(50);
        dialog->objColdata = std::move(records);
        RunModal(*dialog);
        trap.Line(60);
        RefreshRows(*this, rows);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::GetPageCount()
{
    ErrorTrap trap = Trap("GetPageCount");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));
        const int pages = GetColumnIndexByKey(QStringLiteral("Pages"));
        trap.Line(20);
        if (pages < 0 || pages >= ColumnVisibleArray.size())
            throw RunTimeError(rterr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        bool numeric = false;
        const double shown = ColumnVisibleArray.at(pages).trimmed().toDouble(&numeric);
        if (!numeric)
            throw RunTimeError(rterr::TypeMismatch);
        // The search counted the pages itself while the column was shown.
        if (shown != 0)
            return;

        trap.Line(30);
        const int selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        const int name = GetColumnIndexByKey(QStringLiteral("Name"));
        const int location = GetColumnIndexByKey(QStringLiteral("Location"));
        for (int r = 1; r < g.RowCount(); ++r) {
            trap.Line(40);
            if (g.CellAttribute(Grid::kAttrCheckState, r, selection).toInt() != Grid::kChecked)
                continue;
            const QString fileName = g.CellText(r, name);
            const QString extension = GetFileExt(fileName).toUpper();
            const QString path = ValidateDir(g.CellText(r, location)) + fileName;
            const bool tiff = extension == QLatin1String("TIF") || extension == QLatin1String("TIFF");
            const bool pdf = extension == QLatin1String("PDF");
            if (!tiff && !pdf)
                continue;
            trap.Line(50);
            std::int32_t count = 0;
            const com::HRESULT hr =
                tiff ? TiffPageCounter.CountPages(path, count) : PdfPageCounter.CountPages(path, count);
            // A failed call ends the refresh; the rows not reached yet keep
            // their cells.
            if (hr < 0)
                throw RunTimeError(hr, QStringLiteral("Automation error"));
            trap.Line(60);
            const bool countable = tiff ? count >= 0 : count > 0;
            g.SetCellText(r, pages, countable ? QString::number(count) : kError);
        }
    } catch (...) {
        trap.Log();
    }
}
