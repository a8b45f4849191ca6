#pragma once
// The set-up values the desktop windows give their grids once, in one
// place: each kind of list gets the same values wherever it is built.

class Grid;
class GridColumn;

enum class ListLook {
    SearchResults,   // the main window's result grid
    PageDialogFiles, // the file grids of the append-pages and delete-page dialogs
    ColumnSettings,  // the preferences dialog's column grid
};

// Sets the fixed rows and columns, the selection mode and the values the
// grid only remembers. Header bar, edit mode and columns are the caller's.
void SetListLook(Grid& grid, ListLook look);

// The look a column's data type asks for: dates in the lists' date format,
// decimals aligned right. Other types keep the column as it is.
void SetColumnDataLook(Grid& grid, int col, int dataType);

// Sets up the grid column at a catalogue column's position: its caption,
// its width (GridWidthOf, column_layout.h), its data type and that type's
// look.
void SetUpCatalogueColumn(Grid& grid, GridColumn& column);
