#include "platform/grid/grid.h"

#include "platform/grid/delimited_text.h"
#include "platform/grid/grid_model.h"
#include "platform/grid/grid_view.h"
#include "platform/runtime/run_time_error.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QSaveFile>
#include <QVBoxLayout>

#include <algorithm>

using grid_detail::Cell;
using grid_detail::CellExtra;
using grid_detail::GridModel;
using grid_detail::GridView;

namespace {

// Limits that keep a wrong count or a hostile file from taking all memory.
constexpr int kMaxRows = 10'000'000;
constexpr int kMaxColumns = 16'384;
constexpr qint64 kMaxLoadBytes = 512LL * 1024 * 1024;
constexpr int kDefaultWidthTwips = 1200;

[[noreturn]] void RaiseInvalidValue()
{
    throw RunTimeError(rterr::InvalidPropertyValue, QStringLiteral("Invalid property value"));
}

std::int8_t CheckFromValue(const QVariant& value)
{
    int n = 0;
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool() ? grid_detail::kChecked : grid_detail::kUnchecked;
    } else if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return grid_detail::kChecked;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return grid_detail::kUnchecked;
        bool ok = false;
        n = s.toInt(&ok);
        if (!ok)
            throw RunTimeError(rterr::TypeMismatch);
    } else {
        bool ok = false;
        n = value.toInt(&ok);
        if (!ok)
            throw RunTimeError(rterr::TypeMismatch);
    }
    if (n == 1 || n == -1)
        return grid_detail::kChecked; // -1 is True as a number
    if (n == 0)
        return grid_detail::kNoCheckBox;
    return grid_detail::kUnchecked;
}

QVariant PictureFromValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QPixmap:
    case QMetaType::QIcon:
    case QMetaType::QImage: return value;
    default: throw RunTimeError(rterr::TypeMismatch);
    }
}

int ColorToNumber(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor NumberToColor(long n)
{
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

} // namespace

Grid::Grid(QWidget* parent) : QWidget(parent), model_(new GridModel(this)), view_(new GridView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);

    view_->setModel(model_);
    view_->setSortingEnabled(false);
    view_->setWordWrap(false);
    view_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectItems);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = view_->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetHeaderBarMode(0);

    connect(header, &QHeaderView::sectionClicked, this, &Grid::OnHeaderClicked);
    connect(header, &QHeaderView::sectionMoved, this, &Grid::OnSectionMoved);
    connect(header, &QHeaderView::sectionResized, this, &Grid::OnSectionResized);
}

Grid::~Grid() = default;

QTableView* Grid::View() const
{
    return view_;
}

// ---- checks and conversions ---------------------------------------------

int Grid::CheckRow(int row) const
{
    if (row < 0 || row >= RowCount())
        throw RunTimeError(rterr::InvalidIndexValue, QStringLiteral("Invalid row value"));
    return row;
}

int Grid::CheckDataRow(int row) const
{
    if (row < 1 || row >= RowCount())
        throw RunTimeError(rterr::InvalidIndexValue, QStringLiteral("Invalid row value"));
    return row;
}

int Grid::CheckColumn(int col) const
{
    if (col < 0 || col >= ColumnCount())
        throw RunTimeError(rterr::InvalidIndexValue, QStringLiteral("Invalid column value"));
    return col;
}

int Grid::TwipsToPixels(int twips) const
{
    int dpi = view_->logicalDpiX();
    if (dpi <= 0)
        dpi = 96;
    return static_cast<int>(static_cast<long long>(twips) * dpi * 2 / 1440 + 1) / 2;
}

int Grid::PixelsToTwips(int pixels) const
{
    int dpi = view_->logicalDpiX();
    if (dpi <= 0)
        dpi = 96;
    return static_cast<int>((static_cast<long long>(pixels) * 1440 * 2 / dpi + 1) / 2);
}

// ---- rows and columns ---------------------------------------------------

int Grid::RowCount() const
{
    return model_->DataRows() + 1;
}

void Grid::SetRowCount(int rows)
{
    if (rows < 1 || rows > kMaxRows)
        RaiseInvalidValue();
    model_->SetDataRows(rows - 1);
}

int Grid::ColumnCount() const
{
    return model_->Columns();
}

void Grid::SetColumnCount(int columns)
{
    if (columns < 0 || columns > kMaxColumns)
        RaiseInvalidValue();
    const int before = ColumnCount();
    model_->SetColumns(columns);
    if (sortColumn_ >= columns)
        sortColumn_ = -1;
    if (currentColumn_ >= columns)
        currentColumn_ = std::max(0, columns - 1);
    if (columns > before)
        ApplyColumnLayout();
}

QString Grid::CellText(int row, int col) const
{
    CheckRow(row);
    CheckColumn(col);
    if (row == 0)
        return model_->ColumnAt(col).header.text;
    const Cell* cell = model_->CellIfAny(row - 1, col);
    return cell ? cell->text : QString();
}

void Grid::SetCellText(int row, int col, const QString& text)
{
    CheckRow(row);
    CheckColumn(col);
    if (row == 0) {
        model_->ColumnAt(col).header.text = text;
        model_->HeaderChanged(col, col);
        return;
    }
    model_->CellForWrite(row - 1, col).text = text;
    model_->CellsChanged(row - 1, col, row - 1, col);
}

QVariant Grid::CellAttribute(int attribute, int row, int col) const
{
    CheckRow(row);
    CheckColumn(col);
    const Cell* cell = row == 0 ? &model_->ColumnAt(col).header : model_->CellIfAny(row - 1, col);
    switch (attribute) {
    case kAttrCheckState:
        if (row == 0)
            return int(cell->check);
        return int(model_->EffectiveCheck(row - 1, col));
    case kAttrPicture: return cell && cell->extra ? cell->extra->picture : QVariant();
    case kAttrForeColor:
        if (cell && cell->extra && cell->extra->foreColor)
            return ColorToNumber(*cell->extra->foreColor);
        return ColorToNumber(view_->palette().color(QPalette::Text));
    default: RaiseInvalidValue();
    }
}

void Grid::SetCellAttribute(int attribute, int row, int col, const QVariant& value)
{
    SetCellAttribute(attribute, row, col, row, col, value);
}

void Grid::SetCellAttribute(int attribute, int row1, int col1, int row2, int col2, const QVariant& value)
{
    CheckRow(row1);
    CheckRow(row2);
    CheckColumn(col1);
    CheckColumn(col2);
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);

    // Convert once, before any cell changes, so a bad value changes nothing.
    std::int8_t check = 0;
    QVariant picture;
    QColor color;
    switch (attribute) {
    case kAttrCheckState: check = CheckFromValue(value); break;
    case kAttrPicture: picture = PictureFromValue(value); break;
    case kAttrForeColor: {
        if (value.typeId() == QMetaType::QColor) {
            color = value.value<QColor>();
            break;
        }
        bool ok = false;
        const long n = value.toString().trimmed().toLong(&ok);
        if (!ok)
            throw RunTimeError(rterr::TypeMismatch);
        color = NumberToColor(n);
        break;
    }
    default: RaiseInvalidValue();
    }

    for (int r = row1; r <= row2; ++r) {
        for (int c = col1; c <= col2; ++c) {
            Cell& cell = r == 0 ? model_->ColumnAt(c).header : model_->CellForWrite(r - 1, c);
            switch (attribute) {
            case kAttrCheckState: cell.check = check; break;
            case kAttrPicture:
                if (!picture.isValid() && !cell.extra)
                    break;
                if (!cell.extra)
                    cell.extra = std::make_unique<CellExtra>();
                cell.extra->picture = picture;
                break;
            case kAttrForeColor:
                if (!cell.extra)
                    cell.extra = std::make_unique<CellExtra>();
                cell.extra->foreColor = color;
                break;
            }
        }
    }
    if (row1 == 0)
        model_->HeaderChanged(col1, col2);
    if (row2 >= 1)
        model_->CellsChanged(std::max(row1, 1) - 1, col1, row2 - 1, col2);
}

int Grid::ColumnAlignmentAt(int col) const
{
    return model_->ColumnAt(CheckColumn(col)).alignment;
}

void Grid::SetColumnAlignmentAt(int col, int alignment)
{
    if (alignment < 0 || alignment > 9)
        RaiseInvalidValue();
    if (col == -1) {
        for (int c = 0; c < ColumnCount(); ++c)
            model_->ColumnAt(c).alignment = alignment;
        if (ColumnCount() > 0)
            model_->CellsChanged(0, 0, RowCount() - 2, ColumnCount() - 1);
        return;
    }
    model_->ColumnAt(CheckColumn(col)).alignment = alignment;
    model_->CellsChanged(0, col, RowCount() - 2, col);
}

int Grid::ColumnWidthAt(int col) const
{
    return model_->ColumnAt(CheckColumn(col)).widthTwips;
}

void Grid::SetColumnWidthAt(int col, int twips)
{
    CheckColumn(col);
    if (twips == -1)
        twips = kDefaultWidthTwips;
    if (twips < 0 || twips > kMaxColumnWidthTwips)
        RaiseInvalidValue();
    model_->ColumnAt(col).widthTwips = twips;
    ApplyColumnLayout(col);
}

int Grid::ColumnPositionAt(int col) const
{
    return CheckColumn(col);
}

void Grid::SetColumnPositionAt(int col, int position)
{
    CheckColumn(col);
    CheckColumn(position);
    if (col == position)
        return;
    model_->MoveColumn(col, position);
    if (sortColumn_ == col) {
        sortColumn_ = position;
    } else if (sortColumn_ >= 0) {
        if (col < sortColumn_ && sortColumn_ <= position)
            --sortColumn_;
        else if (position <= sortColumn_ && sortColumn_ < col)
            ++sortColumn_;
    }
    ApplyColumnLayout();
}

QString Grid::ColumnFormatAt(int col) const
{
    return model_->ColumnAt(CheckColumn(col)).format;
}

void Grid::SetColumnFormatAt(int col, const QString& format)
{
    model_->ColumnAt(CheckColumn(col)).format = format;
    model_->CellsChanged(0, col, RowCount() - 2, col);
}

int Grid::ColumnDataTypeAt(int col) const
{
    return model_->ColumnAt(CheckColumn(col)).dataType;
}

void Grid::SetColumnDataTypeAt(int col, int dataType)
{
    CheckColumn(col);
    if (dataType < 0)
        RaiseInvalidValue();
    model_->ColumnAt(col).dataType = dataType;
    model_->CellsChanged(0, col, RowCount() - 2, col);
}

bool Grid::ColumnHiddenAt(int col) const
{
    return model_->ColumnAt(CheckColumn(col)).hidden;
}

void Grid::SetColumnHiddenAt(int col, bool hidden)
{
    model_->ColumnAt(CheckColumn(col)).hidden = hidden;
    ApplyColumnLayout(col);
}

void Grid::ApplyColumnLayout()
{
    QHeaderView* header = view_->horizontalHeader();
    // The header never keeps an order of its own: position = column number.
    {
        const QSignalBlocker block(header);
        for (int v = 0; v < header->count(); ++v) {
            const int visual = header->visualIndex(v);
            if (visual != v)
                header->moveSection(visual, v);
        }
    }
    for (int c = 0; c < ColumnCount(); ++c)
        ApplyColumnLayout(c);
    if (sortColumn_ >= 0 && sortColumn_ < ColumnCount())
        header->setSortIndicator(sortColumn_, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void Grid::ApplyColumnLayout(int col)
{
    QHeaderView* header = view_->horizontalHeader();
    const grid_detail::Column& column = model_->ColumnAt(col);
    applyingLayout_ = true;
    if (column.hidden) {
        header->setSectionHidden(col, true);
        header->resizeSection(col, TwipsToPixels(column.widthTwips));
    } else {
        header->setSectionHidden(col, false);
        header->resizeSection(col, TwipsToPixels(column.widthTwips));
    }
    applyingLayout_ = false;
}

// ---- sorting ------------------------------------------------------------

void Grid::SetSortOrder(int order)
{
    if (order == 0)
        return;
    if (order < 1 || order > 4)
        RaiseInvalidValue();
    if (ColumnCount() == 0)
        return;
    SortBy(std::clamp(CurrentColumn(), 0, ColumnCount() - 1), order);
}

void Grid::SortBy(int col, int order)
{
    model_->Sort(col, order);
    sortColumn_ = col;
    sortDescending_ = order == 2 || order == 4;
    view_->horizontalHeader()->setSortIndicator(col, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void Grid::OnHeaderClicked(int col)
{
    if (!(headerBarMode_ & 1) || col < 0 || col >= ColumnCount())
        return;
    const int type = model_->ColumnAt(col).dataType;
    const bool numeric = type == kTypeDecimal || type == kTypeDate;
    const bool descending = sortColumn_ == col && !sortDescending_;
    SortByColumn(col, numeric ? (descending ? kSortNumericDescending : kSortNumericAscending)
                              : (descending ? kSortTextDescending : kSortTextAscending));
}

void Grid::SortByColumn(int col, int order)
{
    CheckColumn(col);
    grid_detail::RaiseEvent([&] { emit BeforeSort(col, order); });
    if (order >= 1 && order <= 4) {
        SortBy(col, order);
    } else if (sortColumn_ >= 0) {
        // No sort: the header flipped its mark on the click; put it back.
        view_->horizontalHeader()->setSortIndicator(sortColumn_,
                                                    sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

// ---- header drags and resizes -------------------------------------------

void Grid::OnSectionMoved(int /*logical*/, int oldVisual, int newVisual)
{
    // The header moved only its picture of the column; move the column
    // itself, so that numbers stay positions, and put the header back in
    // order.
    QHeaderView* header = view_->horizontalHeader();
    {
        const QSignalBlocker block(header);
        header->moveSection(newVisual, oldVisual);
    }
    if (oldVisual == newVisual)
        return;
    SetColumnPositionAt(oldVisual, newVisual);
    grid_detail::RaiseEvent([&] { emit AfterMoveColumn(oldVisual, newVisual); });
}

void Grid::OnSectionResized(int logical, int /*oldSize*/, int newSize)
{
    if (applyingLayout_ || logical < 0 || logical >= ColumnCount() || newSize <= 0)
        return;
    grid_detail::Column& column = model_->ColumnAt(logical);
    if (column.hidden)
        return;
    column.widthTwips = PixelsToTwips(newSize);
}

// ---- painting, modes, current cell ------------------------------------

int Grid::RedrawEnabled() const
{
    return redraw_;
}

void Grid::SetRedrawEnabled(int redraw)
{
    redraw_ = redraw;
    if (redraw == 0) {
        model_->SetQuiet(true);
        view_->setUpdatesEnabled(false);
    } else {
        model_->SetQuiet(false);
        view_->setUpdatesEnabled(true);
        view_->viewport()->update();
    }
}

int Grid::HeaderBarMode() const
{
    return headerBarMode_;
}

void Grid::SetHeaderBarMode(int mode)
{
    if (mode < 0 || mode > 7)
        RaiseInvalidValue();
    headerBarMode_ = mode;
    QHeaderView* header = view_->horizontalHeader();
    header->setSectionsClickable(mode & 1);
    header->setSectionsMovable(mode & 2);
    header->setSortIndicatorShown(mode & 4);
}

int Grid::EditMode() const
{
    return editMode_;
}

void Grid::SetEditMode(int mode)
{
    if (mode < 0 || mode > 2)
        RaiseInvalidValue();
    editMode_ = mode;
    model_->SetEditMode(mode);
    QAbstractItemView::EditTriggers triggers = QAbstractItemView::NoEditTriggers;
    if (mode >= 1)
        triggers = QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;
    if (mode == 2)
        triggers |= QAbstractItemView::DoubleClicked;
    view_->setEditTriggers(triggers);
}

int Grid::CurrentRow() const
{
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.row() + 1 : -1;
}

void Grid::SetCurrentRow(int row)
{
    CheckDataRow(row);
    const int col = ColumnCount() > 0 ? std::clamp(CurrentColumn(), 0, ColumnCount() - 1) : 0;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (view_->selectionBehavior() == QAbstractItemView::SelectRows)
        flags |= QItemSelectionModel::Rows;
    view_->selectionModel()->setCurrentIndex(model_->index(row - 1, col), flags);
}

int Grid::CurrentColumn() const
{
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.column() : currentColumn_;
}

void Grid::SetCurrentColumn(int col)
{
    CheckColumn(col);
    currentColumn_ = col;
    const QModelIndex current = view_->currentIndex();
    if (current.isValid()) {
        QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
        if (view_->selectionBehavior() == QAbstractItemView::SelectRows)
            flags |= QItemSelectionModel::Rows;
        view_->selectionModel()->setCurrentIndex(model_->index(current.row(), col), flags);
    }
}

int Grid::MouseRow() const
{
    return mouseRow_;
}

int Grid::MouseColumn() const
{
    return mouseColumn_;
}

void Grid::NoteMouse(QWidget* area, const QPoint& pos)
{
    QHeaderView* header = view_->horizontalHeader();
    if (area == header->viewport()) {
        mouseRow_ = 0;
        mouseColumn_ = header->logicalIndexAt(pos.x());
        return;
    }
    const int r = view_->rowAt(pos.y());
    mouseRow_ = r < 0 ? -1 : r + 1;
    mouseColumn_ = view_->columnAt(pos.x());
}

void Grid::ForgetMouse()
{
    mouseRow_ = -1;
    mouseColumn_ = -1;
}

void Grid::GetSelectedRange(int& row1, int& col1, int& row2, int& col2) const
{
    row1 = col1 = row2 = col2 = -1;
    const QItemSelection selection = view_->selectionModel()->selection();
    bool any = false;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid())
            continue;
        if (!any) {
            row1 = range.top();
            row2 = range.bottom();
            col1 = range.left();
            col2 = range.right();
            any = true;
        } else {
            row1 = std::min(row1, range.top());
            row2 = std::max(row2, range.bottom());
            col1 = std::min(col1, range.left());
            col2 = std::max(col2, range.right());
        }
    }
    if (!any) {
        const QModelIndex current = view_->currentIndex();
        if (!current.isValid())
            return;
        row1 = row2 = current.row();
        col1 = col2 = current.column();
    }
    ++row1;
    ++row2;
}

void Grid::ToggleCheckAt(int dataRow, int col)
{
    const std::int8_t state = model_->EffectiveCheck(dataRow, col);
    if (state == grid_detail::kNoCheckBox)
        return;
    model_->CellForWrite(dataRow, col).check =
        state == grid_detail::kChecked ? grid_detail::kUnchecked : grid_detail::kChecked;
    model_->CellsChanged(dataRow, col, dataRow, col);
}

// ---- rows ---------------------------------------------------------------

void Grid::RemoveRow(int row)
{
    CheckDataRow(row);
    model_->RemoveDataRow(row - 1);
}

void Grid::SetRowPositionAt(int row, int position)
{
    CheckDataRow(row);
    CheckDataRow(position);
    model_->MoveDataRow(row - 1, position - 1);
}

// ---- files --------------------------------------------------------------

QString Grid::ClipSeparators() const
{
    return clipSeparators_;
}

void Grid::SetClipSeparators(const QString& separators)
{
    clipSeparators_ = separators;
}

void Grid::SaveToFile(const QString& path, int format, bool withHeader) const
{
    if (format != kFormatDelimited)
        throw RunTimeError(rterr::InvalidProcedureCall);
    if (path.isEmpty())
        throw RunTimeError(rterr::PathFileAccessError);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw RunTimeError(rterr::PathNotFound);

    const delimited_text::Separators sep = delimited_text::FromClipSeparators(clipSeparators_);
    QString text;
    QStringList fields;
    for (int r = withHeader ? 0 : 1; r < RowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < ColumnCount(); ++c)
            fields.append(CellText(r, c));
        delimited_text::AppendRecord(text, fields, sep);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw RunTimeError(rterr::PathFileAccessError);
    const QByteArray bytes = text.toUtf8();
    // The flush is checked before the commit: commit() does not report bytes
    // still buffered that could not be written (disk full, size limit), and
    // would put a cut-off file in the old one's place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        throw RunTimeError(rterr::PathFileAccessError);
    }
    if (!file.commit())
        throw RunTimeError(rterr::PathFileAccessError);
}

void Grid::LoadFromFile(const QString& path, int format, bool withHeader)
{
    if (format != kFormatDelimited)
        throw RunTimeError(rterr::InvalidProcedureCall);
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw RunTimeError(rterr::FileNotFound);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError(rterr::PathFileAccessError);
    if (file.size() > kMaxLoadBytes)
        throw RunTimeError(rterr::OutOfMemory);
    const QString text = QString::fromUtf8(file.readAll());
    file.close();

    std::vector<QStringList> records;
    if (!delimited_text::Parse(text, delimited_text::FromClipSeparators(clipSeparators_),
                               static_cast<std::size_t>(kMaxRows), static_cast<std::size_t>(kMaxColumns), records))
        throw RunTimeError(rterr::OutOfMemory);

    int columns = ColumnCount();
    for (const QStringList& rec : records)
        columns = std::max(columns, static_cast<int>(rec.size()));

    std::size_t first = 0;
    QStringList captions;
    if (withHeader && !records.empty()) {
        captions = records.front();
        first = 1;
    }
    std::vector<grid_detail::Row> rows;
    rows.reserve(records.size() - first);
    for (std::size_t i = first; i < records.size(); ++i) {
        grid_detail::Row row(static_cast<std::size_t>(records[i].size()));
        for (qsizetype c = 0; c < records[i].size(); ++c)
            row[static_cast<std::size_t>(c)].text = records[i][c];
        rows.push_back(std::move(row));
    }
    model_->ReplaceRows(std::move(rows), columns);
    if (withHeader && first == 1) {
        for (int c = 0; c < ColumnCount(); ++c)
            model_->ColumnAt(c).header.text = c < captions.size() ? captions.at(c) : QString();
        if (ColumnCount() > 0)
            model_->HeaderChanged(0, ColumnCount() - 1);
    }
    ApplyColumnLayout();
}

// ---- set-up values ------------------------------------------------------

void Grid::SetAppearance(int id, const QVariant& value)
{
    switch (id) {
    case kAppearanceFixedColumns: {
        const int fixed = std::max(0, value.toInt());
        model_->SetFixedColumns(fixed);
        if (ColumnCount() > 0)
            model_->CellsChanged(0, 0, RowCount() - 2, ColumnCount() - 1);
        break;
    }
    case kAppearanceSelectionMode:
        view_->setSelectionBehavior(value.toInt() == kSelectWholeRows ? QAbstractItemView::SelectRows
                                                                      : QAbstractItemView::SelectItems);
        break;
    default: break;
    }
}
