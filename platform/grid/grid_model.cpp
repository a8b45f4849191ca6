#include "platform/grid/grid_model.h"

#include "platform/grid/grid_sort.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <numeric>

namespace grid_detail {

namespace {

template <class V>
void MoveElement(V& v, std::size_t from, std::size_t to)
{
    if (from < to)
        std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
    else if (to < from)
        std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

Qt::Alignment AlignmentOf(int code)
{
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    if (code >= 0 && code <= 8) {
        const int across = code / 3;
        const int down = code % 3;
        h = across == 0 ? Qt::AlignLeft : across == 1 ? Qt::AlignHCenter : Qt::AlignRight;
        v = down == 0 ? Qt::AlignTop : down == 1 ? Qt::AlignVCenter : Qt::AlignBottom;
    }
    return h | v;
}

} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent)
{
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DataRows();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns();
}

const Cell* GridModel::CellIfAny(int row, int col) const
{
    if (row < 0 || row >= DataRows() || col < 0 || col >= Columns())
        return nullptr;
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= r.size())
        return nullptr;
    return &r[static_cast<std::size_t>(col)];
}

Cell& GridModel::CellForWrite(int row, int col)
{
    Row& r = rows_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= r.size())
        r.resize(static_cast<std::size_t>(col) + 1);
    return r[static_cast<std::size_t>(col)];
}

std::int8_t GridModel::EffectiveCheck(int row, int col) const
{
    const Cell* cell = CellIfAny(row, col);
    const std::int8_t state = cell ? cell->check : kNoCheckBox;
    if (state == kChecked)
        return kChecked;
    if (state == kUnchecked)
        return kUnchecked;
    if (col >= 0 && col < Columns() && ColumnAt(col).dataType == 11)
        return kUnchecked;
    return kNoCheckBox;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int col = index.column();
    if (row >= DataRows() || col >= Columns())
        return {};
    const Cell* cell = CellIfAny(row, col);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return cell ? cell->text : QString();
    case Qt::CheckStateRole: {
        const std::int8_t state = EffectiveCheck(row, col);
        if (state == kNoCheckBox)
            return {};
        return state == kChecked ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::DecorationRole:
        if (cell && cell->extra)
            return cell->extra->picture;
        return {};
    case Qt::ForegroundRole:
        if (cell && cell->extra && cell->extra->foreColor)
            return *cell->extra->foreColor;
        return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(ColumnAt(col).alignment));
    case Qt::BackgroundRole:
        if (col < fixedColumns_)
            return QApplication::palette().button();
        return {};
    default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= Columns())
        return {};
    const Cell& header = ColumnAt(section).header;
    switch (role) {
    case Qt::DisplayRole: return header.text;
    case Qt::DecorationRole: return header.extra ? header.extra->picture : QVariant();
    case Qt::ForegroundRole:
        if (header.extra && header.extra->foreColor)
            return *header.extra->foreColor;
        return {};
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int col = index.column();
    if (editMode_ >= 1 && col >= fixedColumns_ && col < Columns() && ColumnAt(col).dataType != 11
        && EffectiveCheck(index.row(), col) == kNoCheckBox)
        f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    if (index.row() >= DataRows() || index.column() >= Columns())
        return false;
    CellForWrite(index.row(), index.column()).text = value.toString();
    CellsChanged(index.row(), index.column(), index.row(), index.column());
    return true;
}

void GridModel::SetDataRows(int count)
{
    const int n = DataRows();
    if (count > n) {
        beginInsertRows(QModelIndex(), n, count - 1);
        rows_.resize(static_cast<std::size_t>(count));
        endInsertRows();
    } else if (count < n) {
        beginRemoveRows(QModelIndex(), count, n - 1);
        rows_.resize(static_cast<std::size_t>(count));
        endRemoveRows();
    }
}

void GridModel::SetColumns(int count)
{
    const int n = Columns();
    if (count > n) {
        beginInsertColumns(QModelIndex(), n, count - 1);
        columns_.resize(static_cast<std::size_t>(count));
        endInsertColumns();
    } else if (count < n) {
        beginRemoveColumns(QModelIndex(), count, n - 1);
        columns_.resize(static_cast<std::size_t>(count));
        for (Row& r : rows_)
            if (r.size() > static_cast<std::size_t>(count))
                r.resize(static_cast<std::size_t>(count));
        endRemoveColumns();
    }
}

void GridModel::RemoveDataRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void GridModel::MoveDataRow(int from, int to)
{
    if (from == to)
        return;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    MoveElement(rows_, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    endMoveRows();
}

void GridModel::MoveColumn(int from, int to)
{
    if (from == to)
        return;
    beginMoveColumns(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    MoveElement(columns_, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    const std::size_t low = static_cast<std::size_t>(std::min(from, to));
    const std::size_t high = static_cast<std::size_t>(std::max(from, to));
    for (Row& r : rows_) {
        if (r.size() <= low)
            continue; // nothing written in the moved range
        if (r.size() <= high)
            r.resize(high + 1);
        MoveElement(r, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    }
    endMoveColumns();
}

void GridModel::ReplaceRows(std::vector<Row> rows, int columns)
{
    beginResetModel();
    rows_ = std::move(rows);
    if (columns > Columns())
        columns_.resize(static_cast<std::size_t>(columns));
    endResetModel();
}

void GridModel::Sort(int col, int order)
{
    const std::size_t n = rows_.size();
    if (n < 2 || col < 0 || col >= Columns())
        return;
    const bool descending = order == 2 || order == 4;
    const bool numeric = order == 3 || order == 4;
    const Column& column = ColumnAt(col);

    enum class Kind { Text, Natural, Number, Date, Check };
    Kind kind = Kind::Text;
    if (column.dataType == 7)
        kind = Kind::Date;
    else if (column.dataType == 11)
        kind = Kind::Check;
    else if (numeric)
        kind = column.dataType == 14 ? Kind::Number : Kind::Natural;

    // Keys are read once per row; rows without a value of the kind (an
    // empty cell, "Error" in a number column, no date) always go last.
    std::vector<char> missing(n, 0);
    std::vector<double> numbers;
    std::vector<std::int64_t> dates;
    std::vector<QString> texts;
    if (kind == Kind::Number || kind == Kind::Check)
        numbers.resize(n);
    if (kind == Kind::Date)
        dates.resize(n);
    if (kind == Kind::Text || kind == Kind::Natural)
        texts.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int row = static_cast<int>(i);
        const Cell* cell = CellIfAny(row, col);
        static const QString empty;
        const QString& text = cell ? cell->text : empty;
        switch (kind) {
        case Kind::Number:
            if (auto v = grid_sort::LeadingNumber(text))
                numbers[i] = *v;
            else
                missing[i] = 1;
            break;
        case Kind::Date:
            if (auto v = grid_sort::DateValue(text, column.format))
                dates[i] = *v;
            else
                missing[i] = 1;
            break;
        case Kind::Check: numbers[i] = EffectiveCheck(row, col) == kChecked ? 0 : 1; break;
        case Kind::Text:
        case Kind::Natural:
            if (text.isEmpty())
                missing[i] = 1;
            else
                texts[i] = text.toCaseFolded();
            break;
        }
    }

    auto compare = [&](std::size_t a, std::size_t b) -> int {
        switch (kind) {
        case Kind::Number:
        case Kind::Check: return numbers[a] < numbers[b] ? -1 : numbers[b] < numbers[a] ? 1 : 0;
        case Kind::Date: return dates[a] < dates[b] ? -1 : dates[b] < dates[a] ? 1 : 0;
        case Kind::Text: return texts[a].compare(texts[b]);
        case Kind::Natural: return grid_sort::NaturalCompare(texts[a], texts[b]);
        }
        return 0;
    };

    std::vector<std::size_t> order_(n);
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        if (missing[a] != missing[b])
            return missing[a] == 0;
        if (missing[a])
            return false;
        const int r = compare(a, b);
        return descending ? r > 0 : r < 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(n);
    std::vector<Row> sorted;
    sorted.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        newRowOf[order_[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[order_[i]]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from) {
        if (idx.isValid() && idx.row() < static_cast<int>(n))
            to.append(index(newRowOf[static_cast<std::size_t>(idx.row())], idx.column()));
        else
            to.append(QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridModel::CellsChanged(int row1, int col1, int row2, int col2)
{
    if (quiet_) {
        dirty_ = true;
        return;
    }
    if (row1 < 0 || col1 < 0 || row2 >= DataRows() || col2 >= Columns() || row1 > row2 || col1 > col2)
        return;
    emit dataChanged(index(row1, col1), index(row2, col2));
}

void GridModel::HeaderChanged(int col1, int col2)
{
    if (quiet_) {
        dirty_ = true;
        return;
    }
    emit headerDataChanged(Qt::Horizontal, col1, col2);
}

void GridModel::SetQuiet(bool quiet)
{
    if (quiet_ == quiet)
        return;
    quiet_ = quiet;
    if (!quiet_ && dirty_) {
        dirty_ = false;
        if (DataRows() > 0 && Columns() > 0)
            emit dataChanged(index(0, 0), index(DataRows() - 1, Columns() - 1));
        if (Columns() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, Columns() - 1);
    }
}

} // namespace grid_detail
