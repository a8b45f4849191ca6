#pragma once
// The grid's table: data rows and column descriptions behind the Grid
// widget. Row numbers here count data rows from 0; the header row (the
// grid's row 0) lives in the column descriptions. A column's number is its
// place on screen: moving a column moves its data.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace grid_detail {

// Check states as the grid reports them.
inline constexpr std::int8_t kNoCheckBox = 0;
inline constexpr std::int8_t kChecked = 1;
inline constexpr std::int8_t kUnchecked = 2;

struct CellExtra {
    QVariant picture;
    std::optional<QColor> foreColor;
};

struct Cell {
    QString text;
    std::unique_ptr<CellExtra> extra;
    std::int8_t check = kNoCheckBox;

    Cell() = default;
    Cell(Cell&&) noexcept = default;
    Cell& operator=(Cell&&) noexcept = default;
};

// A row holds cells up to its last written one; cells beyond are empty.
using Row = std::vector<Cell>;

struct Column {
    Cell header;
    int widthTwips = 1200;
    bool hidden = false;
    int alignment = 9;
    QString format;
    int dataType = 8;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    int DataRows() const { return static_cast<int>(rows_.size()); }
    int Columns() const { return static_cast<int>(columns_.size()); }

    const Cell* CellIfAny(int row, int col) const;
    Cell& CellForWrite(int row, int col);
    Column& ColumnAt(int col) { return columns_[static_cast<std::size_t>(col)]; }
    const Column& ColumnAt(int col) const { return columns_[static_cast<std::size_t>(col)]; }

    // The check state a cell reads: a column of Boolean type shows a box in
    // every data row, unticked until ticked.
    std::int8_t EffectiveCheck(int row, int col) const;

    void SetDataRows(int count);
    void SetColumns(int count);
    void RemoveDataRow(int row);
    void MoveDataRow(int from, int to);
    void MoveColumn(int from, int to);
    // Replaces every data row at once (loading a file).
    void ReplaceRows(std::vector<Row> rows, int columns);

    // Orders the data rows by one column (order 1/2 text ascending and
    // descending, 3/4 numeric ascending and descending). Stable.
    void Sort(int col, int order);

    // Tells the views that cells changed (held back while painting is off).
    void CellsChanged(int row1, int col1, int row2, int col2);
    void HeaderChanged(int col1, int col2);
    void SetQuiet(bool quiet);

    void SetEditMode(int mode) { editMode_ = mode; }
    void SetFixedColumns(int count) { fixedColumns_ = count; }

private:
    std::vector<Row> rows_;
    std::vector<Column> columns_;
    bool quiet_ = false;
    bool dirty_ = false;
    int editMode_ = 0;
    int fixedColumns_ = 0;
};

} // namespace grid_detail
