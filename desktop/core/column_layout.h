#pragma once
// The column layout of the result grid: the working copies of the three
// column settings, the order of the column catalogue, and finding a column's
// position by its key.
//
// The layout lives in three places kept in step: the settings
// (ColumnReOrder, LastGridColWidth, ColumnVisibility: comma-separated,
// entry i belongs to the column at screen position i), the working copies
// below, and the catalogue objGridColumns together with the grid itself.
// After LoadGridColumns the catalogue item at collection position i + 1 is
// the column shown at position i, and its ColumnIndex is i.

#include <QString>
#include <QStringList>

class GridColumn;
class GridColumns;
class Settings;

// Working copies: ColumnReOrder, LastGridColWidth and ColumnVisibility
// split at ",". Whoever changes one of those settings rebuilds its copy.
extern QStringList ColumnOrderArray;
extern QStringList ColumnWidthArray;
extern QStringList ColumnVisibleArray;

// The three stored column lists, as one unit.
struct ColumnLists {
    QString order;      // ColumnReOrder
    QString widths;     // LastGridColWidth
    QString visibility; // ColumnVisibility
};

// True when the three lists describe every catalogue column exactly once
// and agree with each other: the order is a permutation of the catalogue's
// keys, each width a column width (column_width.h), each visibility flag
// "0" or "1", and all three have one entry per column.
bool ColumnListsAreValid(const ColumnLists& lists, const GridColumns& catalogue);

// The built-in lists (the settings' defaults).
ColumnLists DefaultColumnLists();

// The built-in width of the catalogue column with that key; 0 when none.
float BuiltInColumnWidth(const QString& key);

// The width the grid gives a catalogue column, in whole twips. A width
// that is no column width (column_width.h) is replaced by the column's
// built-in width, in the catalogue too, with one line in the error log:
// nothing stored can spoil the grid's set-up.
int GridWidthOf(GridColumn& column);

// Gives the catalogue's columns, in collection order, the widths of a width
// list: run-time error 9 when the list runs out, 13 at an entry that is no
// column width (the columns before it have theirs by then).
void TakeColumnWidths(GridColumns& catalogue, const QStringList& widths);

// Makes sure the settings hold a valid set of column lists, list by list,
// so that no column is ever lost: an order that does not name every column
// once brings back the built-in set of all three; otherwise a bad width
// list is replaced by the columns' built-in widths in the stored order, and
// a bad visibility list by all columns shown. Each replaced list writes one
// line to the error log (and the settings file is rewritten). True when
// the stored lists were kept.
bool EnsureValidColumnLists(Settings& settings, const GridColumns& catalogue);

// Reorders the catalogue by the order setting: each column named there is
// taken out and put back at its screen position with that position as its
// ColumnIndex; a column that moves takes its width from the width setting
// (the "Selection" column always 250 twips). Columns already in place keep
// their width. Rebuilds ColumnOrderArray. The settings are validated first.
void LoadGridColumns(Settings& settings, GridColumns& catalogue);
// The same for the run's settings and catalogue (program_objects.h); when
// either is missing, the error (91) is logged and nothing changes.
void LoadGridColumns();

// The ColumnIndex of the first catalogue column whose ColumnKey equals key
// exactly; 0 when there is none (or on a failure, which is logged).
int GetColumnIndexByKey(const QString& key);

// `list` with the entry at `from` taken out and put in again at `to`; the
// other entries keep their order. Indices outside the list leave it as it is.
QStringList MoveListEntry(QStringList list, int from, int to);
