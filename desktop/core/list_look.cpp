#include "desktop/core/list_look.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/grid_column.h"
#include "platform/grid/grid.h"

#include <QVariant>

#include <initializer_list>
#include <utility>

namespace {

using Values = std::initializer_list<std::pair<int, QVariant>>;

const QString kDateFormat = QStringLiteral("dd/mm/yyyy hh:mm ampm");

void Set(Grid& grid, Values values)
{
    for (const auto& [id, value] : values)
        grid.SetAppearance(id, value);
}

} // namespace

void SetListLook(Grid& grid, ListLook look)
{
    // The numbered values are kept by the grid without effect on it; the
    // two lists of files differ in 65 only.
    switch (look) {
    case ListLook::SearchResults:
    case ListLook::PageDialogFiles:
        Set(grid, {{65, look == ListLook::SearchResults},
                   {103, true},
                   {66, 1},
                   {61, 1},
                   {88, true},
                   {29, 0},
                   {28, true},
                   {169, true},
                   {Grid::kAppearanceSelectionMode, Grid::kSelectWholeRows},
                   {Grid::kAppearanceFixedColumns, 0},
                   {Grid::kAppearanceFixedRows, 1}});
        break;
    case ListLook::ColumnSettings:
        Set(grid, {{Grid::kAppearanceFixedColumns, 1},
                   {Grid::kAppearanceFixedRows, 1},
                   {88, true},
                   {103, false},
                   {61, 1},
                   {28, true}});
        break;
    }
}

void SetColumnDataLook(Grid& grid, int col, int dataType)
{
    if (dataType == Grid::kTypeDate)
        grid.SetColumnFormatAt(col, kDateFormat);
    if (dataType == Grid::kTypeDecimal)
        grid.SetColumnAlignmentAt(col, Grid::kAlignRight);
}

void SetUpCatalogueColumn(Grid& grid, GridColumn& column)
{
    const int at = column.ColumnIndex;
    grid.SetCellText(0, at, column.ColumnName);
    grid.SetColumnWidthAt(at, GridWidthOf(column));
    grid.SetColumnDataTypeAt(at, column.ColumnDatatype);
    SetColumnDataLook(grid, at, column.ColumnDatatype);
}
