#pragma once
// The table view inside Grid: turns key and mouse input into the grid's
// KeyDown/MouseDown/MouseUp events, toggles check boxes on a click when
// editing allows it, and draws a cell that holds only a check box with the
// box centred.

#include <QStyledItemDelegate>
#include <QTableView>

class Grid;

namespace grid_detail {

// Platform-neutral key code of a Qt key (the codes the desktop windows
// test: 32 Space, 48-57 digits, 65-90 letters, 13 Enter, 27 Escape, ...);
// 0 for keys without one.
int KeyCodeOf(int qtKey);
// 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMaskOf(Qt::KeyboardModifiers modifiers);
// 1 left, 2 right, 4 middle.
int ButtonCodeOf(Qt::MouseButton button);

// Raises one of the grid's events. A handler that lets an error escape
// must not unwind through Qt's event handling: the error ends the handler
// and nothing else.
template <class F>
void RaiseEvent(F&& raise)
{
    try {
        raise();
    } catch (...) {
    }
}

class CheckDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class GridView : public QTableView {
public:
    explicit GridView(Grid* grid);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void Pressed(QMouseEvent* event);
    Grid* grid_;
};

} // namespace grid_detail
