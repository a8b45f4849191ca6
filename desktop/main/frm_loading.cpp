#include "desktop/main/frm_loading.h"

#include "desktop/main/ani_cursor.h"
#include "operations/storage_folder.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

frmLoading::frmLoading(QWidget* owner) : QWidget(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("frmLoading"));
    setWindowTitle(QString::fromUtf16(kApplicationTitle));
    setFixedSize(320, 64);

    pnlStatus_ = new QLabel(this);
    pnlStatus_->setObjectName(QStringLiteral("pnlStatus"));
    pnlStatus_->setAlignment(Qt::AlignCenter);
    pnlStatus_->setGeometry(kCursorLeft + 32 + 8, 8, width() - (kCursorLeft + 32 + 8) - 8, height() - 16);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &frmLoading::Timer1_Timer);

    // Load: the busy cursor (a cursor that does not load leaves the window
    // without animation), then the count 0.
    Cursor().LoadFromResource(101, false, 0, false);
    UpdateStatus(0);
    timer_->start();
}

frmLoading::~frmLoading() = default;

cAniCursor& frmLoading::Cursor()
{
    if (!cursor_)
        cursor_ = std::make_unique<cAniCursor>();
    return *cursor_;
}

void frmLoading::UpdateStatus(std::int32_t n)
{
    pnlStatus_->setText(QStringLiteral("Please wait.Loading...files (") + QString::number(n) + QStringLiteral(")"));
}

void frmLoading::PlaceOver(const QRect& over, const QRect& keepClear)
{
    over_ = over;
    keepClear_ = keepClear;
    Place();
}

QSize frmLoading::ExpectedFrameSize() const
{
    const QSize frame = frameGeometry().size();
    if (frame != size())
        return frame;
    // Not framed yet: a title bar of about two lines and thin borders.
    const int title = 2 * fontMetrics().height();
    return size() + QSize(8, title + 4);
}

void frmLoading::Place()
{
    if (over_.isNull())
        return;
    placedFrame_ = ExpectedFrameSize();
    QRect area;
    if (const QScreen* screen = QGuiApplication::screenAt(over_.center()))
        area = screen->availableGeometry();
    move(PlaceFrame(placedFrame_, over_, keepClear_, area).topLeft());
}

QRect frmLoading::PlaceFrame(const QSize& size, const QRect& over, const QRect& keepClear, const QRect& area)
{
    const auto onArea = [&](QRect r) {
        if (area.isEmpty())
            return r;
        r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width() + 1)));
        r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height() + 1)));
        return r;
    };
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(over.center());
    placed = onArea(placed);
    if (keepClear.isEmpty())
        return placed;
    constexpr int kGap = 8;
    const QRect clear = keepClear.adjusted(-kGap, -kGap, kGap, kGap);
    if (!placed.intersects(clear))
        return placed;
    // Beside the rectangle to keep clear, on whichever side is nearest;
    // a place on the screen before one partly off it.
    const QRect candidates[] = {
        placed.translated(clear.right() + 1 - placed.left(), 0),
        placed.translated(clear.left() - 1 - placed.right(), 0),
        placed.translated(0, clear.bottom() + 1 - placed.top()),
        placed.translated(0, clear.top() - 1 - placed.bottom()),
    };
    const QRect* best = nullptr;
    bool bestOnArea = false;
    for (const QRect& c : candidates) {
        const bool fits = area.isEmpty() || area.contains(c);
        const int distance = (c.topLeft() - placed.topLeft()).manhattanLength();
        if (!best || (fits && !bestOnArea)
            || (fits == bestOnArea && distance < (best->topLeft() - placed.topLeft()).manhattanLength())) {
            best = &c;
            bestOnArea = fits;
        }
    }
    return *best;
}

QString frmLoading::StatusText() const
{
    return pnlStatus_->text();
}

bool frmLoading::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The window system frames the window after it is first shown; the
    // place is worked out again for the frame it really has.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)
        && isVisible() && !over_.isNull() && ExpectedFrameSize() != placedFrame_)
        Place();
    return handled;
}

void frmLoading::paintEvent(QPaintEvent* event)
{
    // The window's background has been painted already, so the frame is
    // drawn without one.
    QWidget::paintEvent(event);
    QPainter painter(this);
    Cursor().Draw(&painter, kCursorLeft, kCursorTop);
}

// The next frame replaces the previous one: the repaint clears the frame's
// rectangle to the window's colour before drawing.
void frmLoading::Timer1_Timer()
{
    Cursor().Step();
    const QSize size = Cursor().FrameSize();
    update(QRect(QPoint(kCursorLeft, kCursorTop), size.isEmpty() ? QSize(32, 32) : size));
}
