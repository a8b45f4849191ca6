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

void frmLoading::PlaceOver(const QRect& ownerFrame)
{
    QRect placed(QPoint(0, 0), frameGeometry().size());
    placed.moveCenter(ownerFrame.center());
    if (const QScreen* screen = QGuiApplication::screenAt(ownerFrame.center())) {
        const QRect area = screen->availableGeometry();
        placed.moveLeft(
            std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - placed.width() + 1)));
        placed.moveTop(std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - placed.height() + 1)));
    }
    move(placed.topLeft());
}

QString frmLoading::StatusText() const
{
    return pnlStatus_->text();
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
