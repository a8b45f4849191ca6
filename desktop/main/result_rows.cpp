#include "desktop/main/result_rows.h"

#include "desktop/core/column_layout.h"
#include "operations/mod_general.h"

#include <QDir>

namespace {

const QString kError = QStringLiteral("Error");

// The page count of a "Pages" cell: its number when it holds one that fits,
// else 0 (an empty cell, "Error", text).
std::int32_t PageCountOf(const QString& cell)
{
    bool ok = false;
    const std::int32_t value = cell.trimmed().toInt(&ok);
    return ok ? value : 0;
}

// The record of one grid row.
clsColSetOrderGrid RecordOfRow(const Grid& g, int row)
{
    clsColSetOrderGrid record;
    record.filename(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Name"))));
    record.FileLocation(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Location"))));
    record.FileSize(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Size (In KB)"))));
    record.FileType(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Type"))));
    record.FileCreDate(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Created Date"))));
    record.FileModDate(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Modified Date"))));
    record.PageCount(PageCountOf(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Pages")))));
    return record;
}

// The position of the column whose header reads `caption`; -1 when none.
int HeaderColumn(const Grid& grid, const QString& caption)
{
    if (grid.RowCount() < 1)
        return -1;
    for (int c = 0; c < grid.ColumnCount(); ++c)
        if (grid.CellText(0, c) == caption)
            return c;
    return -1;
}

} // namespace

int SelectionColumn()
{
    return GetColumnIndexByKey(QStringLiteral("Selection"));
}

bool IsTicked(const Grid& g, int row, int selection)
{
    return g.CellAttribute(Grid::kAttrCheckState, row, selection).toInt() == Grid::kChecked;
}

bool TickAllRows(Grid& g, int state)
{
    if (g.RowCount() < 2)
        return false;
    const int selection = SelectionColumn();
    g.SetCellAttribute(Grid::kAttrCheckState, 1, selection, g.RowCount() - 1, selection, state);
    return true;
}

bool SelectedRows(const Grid& g, int& first, int& last)
{
    int col1 = -1;
    int col2 = -1;
    g.GetSelectedRange(first, col1, last, col2);
    return first >= 0 && last >= 0;
}

bool TickSelectedRows(Grid& g, int state)
{
    int row1 = -1, row2 = -1;
    if (!SelectedRows(g, row1, row2))
        return false;
    const int selection = SelectionColumn();
    g.SetCellAttribute(Grid::kAttrCheckState, row1, selection, row2, selection, state);
    return true;
}

bool TickRowsOfFiles(Grid& g, const QStringList& paths)
{
    const int nameCol = HeaderColumn(g, QStringLiteral("Name"));
    const int locationCol = HeaderColumn(g, QStringLiteral("Location"));
    const int selectionCol = HeaderColumn(g, QStringLiteral("Selection"));
    if (nameCol < 0 || locationCol < 0 || selectionCol < 0)
        return false;
    bool ticked = false;
    for (int row = 1; row < g.RowCount(); ++row) {
        const QString location = g.CellText(row, locationCol);
        const QString name = g.CellText(row, nameCol);
        if (location.isEmpty() || name.isEmpty())
            continue;
        const QString path = QDir::cleanPath(ValidateDir(location) + name);
        if (paths.contains(path)) {
            g.SetCellAttribute(Grid::kAttrCheckState, row, selectionCol, Grid::kChecked);
            ticked = true;
        }
    }
    return ticked;
}

QString JoinedPath(const Grid& g, int row)
{
    return g.CellText(row, GetColumnIndexByKey(QStringLiteral("Location"))) + QLatin1Char('/')
           + g.CellText(row, GetColumnIndexByKey(QStringLiteral("Name")));
}

QString CollapseSeparators(QString path)
{
    while (path.contains(QLatin1String("//")))
        path.replace(QLatin1String("//"), QLatin1String("/"));
    return path;
}

bool GatherTickedRecords(const Grid& g, RecordCollection& records, QList<int>& rows)
{
    const int selection = SelectionColumn();
    const int pages = GetColumnIndexByKey(QStringLiteral("Pages"));
    for (int r = 1; r < g.RowCount(); ++r) {
        if (!IsTicked(g, r, selection))
            continue;
        if (g.CellText(r, pages) == kError)
            return false;
        records.append(RecordOfRow(g, r));
        rows.append(r);
    }
    return true;
}

RedrawOff::RedrawOff(Grid& g) : grid_(g)
{
    grid_.SetRedrawEnabled(0);
}

RedrawOff::~RedrawOff()
{
    grid_.SetRedrawEnabled(-1);
}
