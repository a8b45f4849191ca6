#include "platform/grid/grid_view.h"

#include "platform/grid/grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace grid_detail {

int KeyCodeOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // 65-90
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key; // 48-57
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space: return 32;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int ShiftMaskOf(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= 1;
    if (modifiers & Qt::ControlModifier)
        mask |= 2;
    if (modifiers & Qt::AltModifier)
        mask |= 4;
    return mask;
}

int ButtonCodeOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

void CheckDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant check = index.data(Qt::CheckStateRole);
    if (!check.isValid() || !index.data(Qt::DisplayRole).toString().isEmpty()
        || index.data(Qt::DecorationRole).isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // A box alone: draw the cell's background and selection, then the box
    // in the middle, so that it stays whole in a narrow column.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QStyleOptionViewItem box = option;
    box.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect boxRect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, widget);
    box.rect = QRect(QPoint(0, 0), boxRect.size());
    box.rect.moveCenter(option.rect.center());
    box.state = option.state & ~QStyle::State_HasFocus;
    box.state |= check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

GridView::GridView(Grid* grid) : QTableView(grid), grid_(grid)
{
    setItemDelegate(new CheckDelegate(this));
    viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    RaiseEvent([&] { emit grid_->KeyDown(KeyCodeOf(event->key()), ShiftMaskOf(event->modifiers())); });
    // Space belongs to the windows (ticking rows); the view must not turn
    // it into a change of the selection.
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::Pressed(QMouseEvent* event)
{
    const QPoint inGrid = viewport()->mapTo(grid_, event->position().toPoint());
    RaiseEvent([&] {
        emit grid_->MouseDown(ButtonCodeOf(event->button()), ShiftMaskOf(event->modifiers()), inGrid.x(), inGrid.y());
    });
    if (event->button() == Qt::LeftButton && grid_->EditMode() == 2) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            grid_->ToggleCheckAt(index.row(), index.column());
    }
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    grid_->NoteMouse(viewport(), event->position().toPoint());
    // The view moves the current cell first, so that the handlers of the
    // press see the cell that was clicked.
    QTableView::mousePressEvent(event);
    Pressed(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    grid_->NoteMouse(viewport(), event->position().toPoint());
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.data(Qt::CheckStateRole).isValid()) {
        // The second click of a double click on a box counts as a click.
        QTableView::mousePressEvent(event);
        Pressed(event);
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    Pressed(event);
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    grid_->NoteMouse(viewport(), event->position().toPoint());
    QTableView::mouseReleaseEvent(event);
    const QPoint inGrid = viewport()->mapTo(grid_, event->position().toPoint());
    RaiseEvent([&] {
        emit grid_->MouseUp(ButtonCodeOf(event->button()), ShiftMaskOf(event->modifiers()), inGrid.x(), inGrid.y());
    });
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    grid_->NoteMouse(viewport(), event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void GridView::leaveEvent(QEvent* event)
{
    grid_->ForgetMouse();
    QTableView::leaveEvent(event);
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* header = horizontalHeader()->viewport();
    if (watched == header) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(event);
            grid_->NoteMouse(header, me->position().toPoint());
            const QPoint inGrid = header->mapTo(grid_, me->position().toPoint());
            const int button = ButtonCodeOf(me->button());
            const int shift = ShiftMaskOf(me->modifiers());
            if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
                RaiseEvent([&] { emit grid_->MouseDown(button, shift, inGrid.x(), inGrid.y()); });
            else if (event->type() == QEvent::MouseButtonRelease)
                RaiseEvent([&] { emit grid_->MouseUp(button, shift, inGrid.x(), inGrid.y()); });
            break;
        }
        case QEvent::Leave: grid_->ForgetMouse(); break;
        default: break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        grid_->currentColumn_ = current.column();
}

} // namespace grid_detail
