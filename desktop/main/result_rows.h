#pragma once
// The rows of the main window's result grid as its commands read and change
// them: a row's tick (its "Selection" cell), the grid's selected block, a
// row's file, and the record a page command hands on. Columns are found by
// their keys in the column catalogue (GetColumnIndexByKey); row 0 is the
// header row.

#include "operations/cls_col_set_order_grid.h"
#include "platform/grid/grid.h"

#include <QList>
#include <QString>
#include <QStringList>

// The position of the "Selection" column.
int SelectionColumn();

// True when the row's cell in column `selection` is ticked.
bool IsTicked(const Grid& g, int row, int selection);

// Sets the tick of every data row to `state` in one block operation; false
// (nothing done) when the grid has no data rows.
bool TickAllRows(Grid& g, int state);

// The first and last row of the grid's selected block; false when either
// is below 0.
bool SelectedRows(const Grid& g, int& first, int& last);

// The ticks of the selected block's rows set to `state` in one block
// operation; false (nothing done) when there is no block.
bool TickSelectedRows(Grid& g, int state);

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

// Ticks the rows whose folder and name make one of `paths` (absolute,
// clean paths; the folder and name columns found by their header texts).
// False when no row was ticked.
bool TickRowsOfFiles(Grid& g, const QStringList& paths);

// The row's folder and name joined by a separator, as typed in the grid.
QString JoinedPath(const Grid& g, int row);

// Every doubled separator replaced by a single one (repeated, so that a run
// of three or more collapses too).
QString CollapseSeparators(QString path);

// The records of the ticked rows, in row order, into `records`, and their
// rows into `rows`. False at the first ticked row whose page count reads
// "Error"; the records gathered so far are then of no use.
bool GatherTickedRecords(const Grid& g, RecordCollection& records, QList<int>& rows);

// Switches a grid's painting off for as long as it lives; painting comes
// back on however the work ends, so a failure never leaves the grid frozen.
class RedrawOff {
public:
    explicit RedrawOff(Grid& g);
    ~RedrawOff();
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    Grid& grid_;
};
