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
// keys, each width a whole number of twips from 0 to 1,440,000, each
// visibility flag "0" or "1", and all three have one entry per column.
bool ColumnListsAreValid(const ColumnLists& lists, const GridColumns& catalogue);

// The built-in lists (the settings' defaults).
ColumnLists DefaultColumnLists();

// Makes sure the settings hold a valid set of column lists: a short,
// corrupt or inconsistent set is replaced as a whole by the defaults (and
// the settings file rewritten), so that no column is ever lost. True when
// the stored lists were kept.
bool EnsureValidColumnLists(Settings& settings, const GridColumns& catalogue);

// Reorders the catalogue by the order setting: each column named there is
// taken out and put back at its screen position with that position as its
// ColumnIndex; a column that moves takes its width from the width setting
// (the "Selection" column always 250 twips). Columns already in place keep
// their width. Rebuilds ColumnOrderArray. The settings are validated first.
void LoadGridColumns(Settings& settings, GridColumns& catalogue);

// The ColumnIndex of the first catalogue column whose ColumnKey equals key
// exactly; 0 when there is none (or on a failure, which is logged).
int GetColumnIndexByKey(const QString& key);

// `list` with the entry at `from` taken out and put in again at `to`; the
// other entries keep their order. Indices outside the list leave it as it is.
QStringList MoveListEntry(QStringList list, int from, int to);
