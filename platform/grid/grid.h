#pragma once
// Grid: the table control of the desktop windows (result list, column
// settings, the file lists of the page dialogs, the export's scratch grid).
//
// Numbering: row 0 is the header row and holds the column captions; data
// rows are 1 to RowCount() - 1. Columns are numbered from 0 and a column's
// number is its position on screen: when a column moves (by the user's
// header drag or by SetColumnPositionAt), its cells move with it, so
// CellText(row, position) always reads what is shown at that position.
// Widths are in twips (1440 per inch), converted to pixels with the
// screen's logical DPI. A hidden column keeps its position and its width.
//
// The members keep the control's names: a property is a getter Name(...)
// and a setter SetName(..., value); the row move (dispatch number 124) is
// SetRowPositionAt; the control's events are Qt signals. Files are UTF-8.
//
// Members that get an invalid row, column or value raise RunTimeError
// (381 for a row or column outside the grid, 380 for a value the member
// does not take, 5 for a format it does not know, 53/75 for files).

#include <QString>
#include <QVariant>
#include <QWidget>

class QTableView;

namespace grid_detail {
class GridModel;
class GridView;
} // namespace grid_detail

class Grid : public QWidget {
    Q_OBJECT
public:
    // Attributes of CellAttribute.
    static constexpr int kAttrPicture = 3;    // QPixmap, QIcon or QImage shown in the cell
    static constexpr int kAttrCheckState = 5; // reads 1 ticked, 2 unticked, 0 no box
    static constexpr int kAttrForeColor = 7;  // text colour as 0x00BBGGRR

    // Check states.
    static constexpr int kChecked = 1;
    static constexpr int kUnchecked = 2;

    // Column data types (variant type codes).
    static constexpr int kTypeDate = 7;
    static constexpr int kTypeText = 8;
    static constexpr int kTypeBoolean = 11;
    static constexpr int kTypeDecimal = 14;

    // Alignments: 0-2 left, 3-5 centre, 6-8 right (top, middle, bottom); 9 general.
    static constexpr int kAlignLeft = 1;
    static constexpr int kAlignCenter = 4;
    static constexpr int kAlignRight = 7;

    // Sort orders.
    static constexpr int kSortTextAscending = 1;
    static constexpr int kSortTextDescending = 2;
    static constexpr int kSortNumericAscending = 3;
    static constexpr int kSortNumericDescending = 4;

    // Header bar modes.
    static constexpr int kHeaderSortMoveMark = 7; // sort with mark, drag to move
    static constexpr int kHeaderSortMark = 5;     // sort with mark
    static constexpr int kHeaderSort = 1;         // sort only

    // Save and load format: delimited text following ClipSeparators.
    static constexpr int kFormatDelimited = 5;

    // The widest column, in twips (1000 inches).
    static constexpr int kMaxColumnWidthTwips = 1'440'000;

    explicit Grid(QWidget* parent = nullptr);
    ~Grid() override;

    // Rows including the header row. 1 drops every data row; n + 1 appends
    // one empty row.
    int RowCount() const;
    void SetRowCount(int rows);
    // Columns; adding or dropping happens at the end.
    int ColumnCount() const;
    void SetColumnCount(int columns);

    QString CellText(int row, int col) const;
    void SetCellText(int row, int col, const QString& text);

    // Attribute 5 reads 1 when ticked and 2 when unticked (0: the cell shows
    // no box); writing True or 1 ticks, False or 2 clears, 0 removes the box
    // (a Boolean column still shows it, unticked). Attribute 3 is the
    // picture (an empty QVariant removes it), attribute 7 the text colour.
    QVariant CellAttribute(int attribute, int row, int col) const;
    void SetCellAttribute(int attribute, int row, int col, const QVariant& value);
    // The same over the block of rows row1..row2 and columns col1..col2.
    void SetCellAttribute(int attribute, int row1, int col1, int row2, int col2, const QVariant& value);

    int ColumnAlignmentAt(int col) const;
    // col -1 sets every column.
    void SetColumnAlignmentAt(int col, int alignment);
    int ColumnWidthAt(int col) const;
    // Width in twips; -1 gives the default width.
    void SetColumnWidthAt(int col, int twips);
    int ColumnPositionAt(int col) const;
    // Moves column col to position p; the columns between shift by one.
    void SetColumnPositionAt(int col, int position);
    QString ColumnFormatAt(int col) const;
    void SetColumnFormatAt(int col, const QString& format);
    int ColumnDataTypeAt(int col) const;
    // 7 date, 8 text, 11 Boolean (check boxes), 14 decimal.
    void SetColumnDataTypeAt(int col, int dataType);
    bool ColumnHiddenAt(int col) const;
    void SetColumnHiddenAt(int col, bool hidden);

    // Sorts the data rows by the current column: 1 text ascending,
    // 2 text descending, 3 numeric ascending, 4 numeric descending; 0 does
    // nothing. Numbers sort by the number a cell begins with ("12 KB" as
    // 12), text columns in numeric order by the value of their digit runs,
    // dates by their value, text without regard to case; cells without such
    // a value (empty, "Error") stay at the bottom in either direction.
    void SetSortOrder(int order);
    // Sorts the data rows by `col` the way a header click does: BeforeSort
    // is raised first with `order`, its handler may change it, and the
    // order it leaves is applied (one outside 1 to 4 sorts nothing). Any
    // column may be given, whatever the header bar mode.
    void SortByColumn(int col, int order);

    // 0 stops painting (and holds back change notices), -1 paints again.
    int RedrawEnabled() const;
    void SetRedrawEnabled(int redraw);

    int HeaderBarMode() const;
    void SetHeaderBarMode(int mode);
    // 0 nothing can be edited; 1 cells are edited from the keyboard;
    // 2 as 1, and a left click on a check box toggles it.
    int EditMode() const;
    void SetEditMode(int mode);

    int CurrentRow() const; // -1 when there is no current data row
    void SetCurrentRow(int row);
    int CurrentColumn() const;
    void SetCurrentColumn(int col);
    // The cell under the mouse pointer at the last mouse event: row 0 on
    // the header, -1 when none.
    int MouseRow() const;
    int MouseColumn() const;
    // The selected block (the current cell when nothing is selected);
    // all -1 when there is neither.
    void GetSelectedRange(int& row1, int& col1, int& row2, int& col2) const;

    // Writes the cells (all columns, hidden ones too) as delimited text;
    // withHeader includes row 0. The file is replaced only when it was
    // written completely.
    void SaveToFile(const QString& path, int format, bool withHeader) const;
    // Reads such a file: with withHeader the first record becomes row 0;
    // the records replace the data rows; columns are added when a record
    // has more fields than the grid has columns.
    void LoadFromFile(const QString& path, int format, bool withHeader);
    void RemoveRow(int row);
    // First character: column separator, second: row separator; an empty
    // text means the defaults (comma, line feed).
    QString ClipSeparators() const;
    void SetClipSeparators(const QString& separators);

    // Moves data row `row` to position `position`.
    void SetRowPositionAt(int row, int position);

    // The set-up values each grid gets once, by their dispatch number.
    // Fixed columns (shaded, not editable) and the selection mode
    // (kSelectWholeRows selects whole rows) act here; the grid always has
    // one header row, whatever its fixed rows say. Any other number is
    // accepted and has no effect.
    static constexpr int kAppearanceFixedRows = 11;
    static constexpr int kAppearanceFixedColumns = 12;
    static constexpr int kAppearanceSelectionMode = 32;
    static constexpr int kSelectWholeRows = 3;
    void SetAppearance(int id, const QVariant& value);

    // The view inside (for focus and tests).
    QTableView* View() const;

signals:
    // A header drag moved the column at `col` to `position`.
    void AfterMoveColumn(int col, int position);
    // Raised before a header click sorts by `col`; `order` (1 to 4) may be
    // changed by a directly connected handler.
    void BeforeSort(int col, int& order);
    // keyCode: the platform-neutral key code (32 Space, 65-90 letters, ...);
    // shift: 1 Shift, 2 Ctrl, 4 Alt.
    void KeyDown(int keyCode, int shift);
    // button: 1 left, 2 right, 4 middle; x, y in pixels within the grid.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);

private:
    friend class grid_detail::GridView;

    int CheckRow(int row) const;
    int CheckDataRow(int row) const;
    int CheckColumn(int col) const;
    void ApplyColumnLayout();
    void ApplyColumnLayout(int col);
    int TwipsToPixels(int twips) const;
    int PixelsToTwips(int pixels) const;
    void SortBy(int col, int order);
    void OnHeaderClicked(int col);
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    void OnSectionResized(int logical, int oldSize, int newSize);
    void NoteMouse(QWidget* area, const QPoint& pos);
    void ForgetMouse();
    void ToggleCheckAt(int dataRow, int col);

    grid_detail::GridModel* model_;
    grid_detail::GridView* view_;
    int redraw_ = -1;
    int headerBarMode_ = 0;
    int editMode_ = 0;
    int currentColumn_ = 0;
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    bool applyingLayout_ = false;
    QString clipSeparators_;
    int mouseRow_ = -1;
    int mouseColumn_ = -1;
};
