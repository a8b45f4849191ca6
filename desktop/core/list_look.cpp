#include "desktop/core/list_look.h"

#include "platform/grid/grid.h"

#include <QVariant>

#include <initializer_list>
#include <utility>

namespace {

using Values = std::initializer_list<std::pair<int, QVariant>>;

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
