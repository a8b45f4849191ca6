// frmMain: the result grid. Its set-up from the column catalogue and the
// column settings, the record of a column moved by the user, the sort
// rules, ticking rows, the right-click trigger and the totals text of the
// ticked rows.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/grid_columns.h"
#include "desktop/core/list_look.h"
#include "desktop/core/program_objects.h"
#include "operations/error_trap.h"
#include "platform/grid/grid.h"
#include "platform/runtime/run_time_error.h"

#include <QCursor>
#include <QMenu>

#include <algorithm>

namespace {

// The hidden state of every column from the visibility list; an entry for
// a column the grid does not have is an error (381).
void ApplyVisibility(Grid& grid, const QStringList& flags)
{
    for (int i = 0; i < flags.size(); ++i)
        grid.SetColumnHiddenAt(i, flags.at(i) != QLatin1String("1"));
}

} // namespace

// ===================================================================
// Set-up
// ===================================================================

void frmMain::PrepareResultGrid()
{
    try {
        ui_.grdSearchList->SetHeaderBarMode(Grid::kHeaderSortMark);
    } catch (...) {
        // The preparation has no error tail; a failure here is ignored.
    }
    // The grid's notifications. BeforeSort hands its order by reference, so
    // it must be connected directly.
    connect(
        ui_.grdSearchList, &Grid::AfterMoveColumn, this,
        [this](int col, int position) { grdSearchList_AfterMoveColumn(col, position); }, Qt::DirectConnection);
    connect(
        ui_.grdSearchList, &Grid::BeforeSort, this,
        [this](int col, int& order) { grdSearchList_BeforeSort(col, order); }, Qt::DirectConnection);
    connect(
        ui_.grdSearchList, &Grid::KeyDown, this, [this](int key, int shift) { grdSearchList_KeyDown(key, shift); },
        Qt::DirectConnection);
    connect(
        ui_.grdSearchList, &Grid::MouseDown, this,
        [this](int button, int shift, int x, int y) { grdSearchList_MouseDown(button, shift, x, y); },
        Qt::DirectConnection);
    connect(
        ui_.grdSearchList, &Grid::MouseUp, this,
        [this](int button, int shift, int x, int y) { grdSearchList_MouseUp(button, shift, x, y); },
        Qt::DirectConnection);
}

void frmMain::InitFiles()
{
    ErrorTrap trap = Trap("InitFiles");
    try {
        trap.Line(10);
        LoadGridColumns();

        trap.Line(20);
        Grid& g = *ui_.grdSearchList;
        SetListLook(g, ListLook::SearchResults);
        g.SetHeaderBarMode(Grid::kHeaderSortMoveMark);
        g.SetEditMode(0);
        g.SetRowCount(1);

        trap.Line(30);
        GridColumns& catalogue = TheGridColumns();
        g.SetColumnCount(catalogue.Count());
        trap.Line(40);
        g.SetColumnAlignmentAt(-1, Grid::kAlignLeft);

        trap.Line(50);
        for (const GridColumns::ColumnPtr& column : catalogue)
            SetUpCatalogueColumn(g, *column);

        trap.Line(60);
        ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));
        ApplyVisibility(g, ColumnVisibleArray);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::RefreshGrid()
{
    ErrorTrap trap = Trap("RefreshGrid");
    try {
        trap.Line(10);
        LoadGridColumns();

        trap.Line(20);
        Settings& s = TheSettings();
        ColumnWidthArray = s.LastGridColWidth().split(QLatin1Char(','));
        ColumnOrderArray = s.ColumnReOrder().split(QLatin1Char(','));

        trap.Line(30);
        GridColumns& catalogue = TheGridColumns();
        TakeColumnWidths(catalogue, ColumnWidthArray);

        trap.Line(40);
        Grid& g = *ui_.grdSearchList;
        for (const GridColumns::ColumnPtr& column : catalogue) {
            int found = -1;
            for (int c = 0; c < g.ColumnCount(); ++c) {
                if (g.CellText(0, c) == column->ColumnName) {
                    found = c;
                    break;
                }
            }
            if (found < 0)
                continue;
            const int at = column->ColumnIndex;
            g.SetColumnPositionAt(found, at);
            g.SetColumnWidthAt(at, GridWidthOf(*column));
            SetColumnDataLook(g, at, column->ColumnDatatype);
        }

        trap.Line(50);
        ColumnVisibleArray = s.ColumnVisibility().split(QLatin1Char(','));
        ApplyVisibility(g, ColumnVisibleArray);
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// A column moved by the user
// ===================================================================

void frmMain::grdSearchList_AfterMoveColumn(int col, int position)
{
    if (col == position)
        return;
    ErrorTrap trap = Trap("grdSearchList_AfterMoveColumn");
    try {
        trap.Line(10);
        Settings& s = TheSettings();
        Grid& g = *ui_.grdSearchList;
        // The stored lists must describe the columns before the move, or
        // moving their entries would mix them up; repair them first.
        EnsureValidColumnLists(s, TheGridColumns());

        QStringList captions;
        for (int c = 0; c < g.ColumnCount(); ++c)
            captions.append(g.CellText(0, c));
        s.SetColumnReOrder(captions.join(QLatin1Char(',')));

        trap.Line(20);
        const QStringList widths = MoveListEntry(s.LastGridColWidth().split(QLatin1Char(',')), col, position);
        s.SetLastGridColWidth(widths.join(QLatin1Char(',')));
        ColumnWidthArray = widths;

        trap.Line(30);
        TakeColumnWidths(TheGridColumns(), widths);

        trap.Line(40);
        const QStringList flags = MoveListEntry(s.ColumnVisibility().split(QLatin1Char(',')), col, position);
        s.SetColumnVisibility(flags.join(QLatin1Char(',')));
        ColumnVisibleArray = flags;

        trap.Line(50);
        LoadGridColumns();
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// Sorting
// ===================================================================

void frmMain::grdSearchList_BeforeSort(int col, int& order)
{
    ErrorTrap trap = Trap("grdSearchList_BeforeSort");
    try {
        trap.Line(10);
        // A request of the other kind becomes the same direction of the
        // right kind, so that a second click still reverses the order.
        const bool descending = order == Grid::kSortTextDescending || order == Grid::kSortNumericDescending;
        const int numeric = descending ? Grid::kSortNumericDescending : Grid::kSortNumericAscending;
        const int text = descending ? Grid::kSortTextDescending : Grid::kSortTextAscending;
        const bool known = order >= Grid::kSortTextAscending && order <= Grid::kSortNumericDescending;
        if (col == GetColumnIndexByKey(QStringLiteral("Name"))) {
            trap.Line(20);
            // File names sort by the value of their digit runs when the
            // user asks for it ("scan2" before "scan10"), else as text.
            if (known)
                order = TheSettings().SortbyNumeric() != 0 ? numeric : text;
        }
        trap.Line(30);
        if (known
            && (col == GetColumnIndexByKey(QStringLiteral("Pages"))
                || col == GetColumnIndexByKey(QStringLiteral("Size (In KB)"))))
            order = numeric;
    } catch (...) {
        trap.Log();
    }
}

void frmMain::SortAfterSearch()
{
    Grid& g = *ui_.grdSearchList;
    if (g.ColumnCount() == 0)
        return;
    int col = std::clamp(g.CurrentColumn(), 0, g.ColumnCount() - 1);
    // Sorting by a column nobody sees would look like no sort at all.
    if (g.ColumnHiddenAt(col))
        col = GetColumnIndexByKey(QStringLiteral("Name"));
    g.SortByColumn(col, TheSettings().SortbyNumeric() != 0 ? Grid::kSortNumericAscending : Grid::kSortTextAscending);
}

// ===================================================================
// Ticking, the right-click trigger, the totals
// ===================================================================

void frmMain::grdSearchList_KeyDown(int keyCode, int /*shift*/)
{
    if (keyCode != 32)
        return;
    ErrorTrap trap = Trap("grdSearchList_KeyDown");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        int row1 = -1, col1 = -1, row2 = -1, col2 = -1;
        g.GetSelectedRange(row1, col1, row2, col2);
        if (row1 < 0 || row2 < 0)
            return;
        trap.Line(20);
        const int selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        for (int r = row1; r <= row2; ++r) {
            const bool ticked = g.CellAttribute(Grid::kAttrCheckState, r, selection).toInt() == Grid::kChecked;
            g.SetCellAttribute(Grid::kAttrCheckState, r, selection, !ticked);
        }
        // The status bar shows what a page command would get, as after
        // every other change of ticks.
        trap.Line(30);
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::grdSearchList_MouseDown(int button, int /*shift*/, int /*x*/, int /*y*/)
{
    ErrorTrap trap = Trap("grdSearchList_MouseDown");
    try {
        trap.Line(10);
        Grid& g = *ui_.grdSearchList;
        // Only a left click in the Selection column can toggle a box.
        const bool toggles = g.CurrentColumn() == GetColumnIndexByKey(QStringLiteral("Selection")) && button == 1;
        g.SetEditMode(toggles ? 2 : 0);
        trap.Line(20);
        if (button == 2 && g.MouseColumn() >= 0 && g.MouseRow() >= 1)
            ui_.mnuCtxMenu->popup(QCursor::pos());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::grdSearchList_MouseUp(int /*button*/, int /*shift*/, int /*x*/, int /*y*/)
{
    ShowStatus(getSelectedFileinfo());
}

QString frmMain::getSelectedFileinfo()
{
    ErrorTrap trap = Trap("getSelectedFileinfo");
    try {
        trap.Line(10);
        const Grid& g = *ui_.grdSearchList;
        const int selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        const int name = GetColumnIndexByKey(QStringLiteral("Name"));
        const int pages = GetColumnIndexByKey(QStringLiteral("Pages"));
        std::int64_t count = 0;
        std::int64_t total = 0;
        trap.Line(20);
        for (int r = 1; r < g.RowCount(); ++r) {
            if (g.CellAttribute(Grid::kAttrCheckState, r, selection).toInt() != Grid::kChecked)
                continue;
            const QString fileName = g.CellText(r, name);
            const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
            const QString extension = dot < 0 ? QString() : fileName.mid(dot).toLower();
            bool numeric = false;
            const std::int64_t value = g.CellText(r, pages).trimmed().toLongLong(&numeric);
            if (extension != QLatin1String(".pdf"))
                total += numeric ? value : 0;
            ++count;
        }
        return QString::number(count) + QStringLiteral(" file selected; Total Page count of selected Tiff files: ")
               + QString::number(total);
    } catch (...) {
        trap.Log();
        return QString();
    }
}
