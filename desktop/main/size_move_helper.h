#pragma once
// cSizeMoveHelper: watches one top-level window and turns its size and move
// changes into plain events.
//
// The window system here tells a program neither when the user starts or
// ends dragging a window nor the rectangle being dragged. The helper
// therefore treats a burst of move and resize events as one size/move: the
// first event of a burst raises EnterSizeMove, each resize raises Sizing
// (and each move Moving) with the window's current rectangle, and
// ExitSizeMove follows once no further change has come for the settle
// interval. What a handler returns in the Moving/Sizing arguments is not
// applied: the window's minimum size is a property of the window itself.
//
// NoFullDrag is kept as a property only. Showing or hiding window contents
// while dragging is a desktop-wide setting with no portable switch, and an
// application must not change a setting that belongs to every program, so
// the helper never touches it.

#include <QObject>
#include <QPointer>
#include <QRect>

class QTimer;
class QWidget;

class cSizeMoveHelper : public QObject {
    Q_OBJECT
public:
    explicit cSizeMoveHelper(QObject* parent = nullptr);
    ~cSizeMoveHelper() override;

    bool NoFullDrag() const { return noFullDrag_; }
    void SetNoFullDrag(bool bState) { noFullDrag_ = bState; }
    bool Active() const { return active_; }
    bool InSizeMove() const { return inSizeMove_; }

    // Detaches from any earlier window, then watches `window`.
    void Attach(QWidget* window);
    void Detach();
    QWidget* AttachedWindow() const { return window_.data(); }

    // Quiet time that ends a size/move burst, in milliseconds (default 400).
    void SetSettleInterval(int ms);

signals:
    void EnterSizeMove();
    void ExitSizeMove();
    void Activate(bool byClick);
    void Deactivate();
    void Moving(int& lLeft, int& lTop, int& lWidth, int& lHeight);
    void Sizing(int& lLeft, int& lTop, int& lWidth, int& lHeight);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SizeOrMove(bool sized);
    void Settled();

    QPointer<QWidget> window_;
    QTimer* settle_ = nullptr;
    bool noFullDrag_ = false;
    bool active_ = false;
    bool inSizeMove_ = false;
};
