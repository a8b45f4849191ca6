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

    // Puts the window in the middle of the owner's frame `ownerFrame`, kept
    // on the screen that shows the owner.
    void PlaceOver(const QRect& ownerFrame);

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
    void paintEvent(QPaintEvent* event) override;

private:
    void Timer1_Timer();

    QLabel* pnlStatus_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<cAniCursor> cursor_;
};
