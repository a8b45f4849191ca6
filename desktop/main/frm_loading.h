#pragma once
// frmLoading: the small window shown beside the main window while a folder
// search runs: an animated busy cursor and the running count of files found.

#include <QWidget>

#include <cstdint>
#include <memory>

class QLabel;
class QTimer;
class cAniCursor;

class frmLoading : public QWidget {
    Q_OBJECT
public:
    // Owned by the window that runs the search (a tool window of it).
    explicit frmLoading(QWidget* owner = nullptr);
    ~frmLoading() override;

    // Shows "Please wait.Loading...files (" n ")" centred in the status box.
    void UpdateStatus(std::int32_t n);

    // Puts the window in the middle of `over` (screen coordinates), on the
    // screen that shows it and clear of `keepClear`, which stays visible
    // and clickable (an empty rectangle keeps nothing clear). The place is
    // worked out again once the window system has given the window its
    // frame.
    void PlaceOver(const QRect& over, const QRect& keepClear = QRect());

    // Where a window frame of `size` goes: centred on `over`, moved onto
    // `area` (when it is not empty), then moved the shortest way off
    // `keepClear` plus a gap, keeping on `area` when it can.
    static QRect PlaceFrame(const QSize& size, const QRect& over, const QRect& keepClear, const QRect& area);

    // The status box, its text, the animation timer and the cursor object
    // (created on first use).
    QLabel* pnlStatus() const { return pnlStatus_; }
    QString StatusText() const;
    QTimer* Timer1() const { return timer_; }
    cAniCursor& Cursor();

    // Where the cursor's frames are drawn.
    static constexpr int kCursorLeft = 16;
    static constexpr int kCursorTop = 16;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Timer1_Timer();
    // The frame's size as the window system will draw it: the real one once
    // known, else the window with room for a title bar.
    QSize ExpectedFrameSize() const;
    void Place();

    QLabel* pnlStatus_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<cAniCursor> cursor_;
    // The last placement asked for, and the frame size it was worked out for.
    QRect over_;
    QRect keepClear_;
    QSize placedFrame_;
};
