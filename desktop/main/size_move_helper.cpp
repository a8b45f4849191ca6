#include "desktop/main/size_move_helper.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

cSizeMoveHelper::cSizeMoveHelper(QObject* parent) : QObject(parent), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(400);
    connect(settle_, &QTimer::timeout, this, &cSizeMoveHelper::Settled);
}

cSizeMoveHelper::~cSizeMoveHelper()
{
    Detach();
}

void cSizeMoveHelper::SetSettleInterval(int ms)
{
    settle_->setInterval(ms);
}

void cSizeMoveHelper::Attach(QWidget* window)
{
    Detach();
    window_ = window;
    if (window)
        window->installEventFilter(this);
}

void cSizeMoveHelper::Detach()
{
    if (window_)
        window_->removeEventFilter(this);
    window_.clear();
    settle_->stop();
    inSizeMove_ = false;
    active_ = false;
}

bool cSizeMoveHelper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_.data())
        return false;
    switch (event->type()) {
    case QEvent::Resize: SizeOrMove(true); break;
    case QEvent::Move: SizeOrMove(false); break;
    case QEvent::WindowActivate:
        active_ = true;
        emit Activate(false);
        break;
    case QEvent::WindowDeactivate:
        active_ = false;
        emit Deactivate();
        break;
    case QEvent::Destroy: Detach(); break;
    default: break;
    }
    return false;
}

void cSizeMoveHelper::SizeOrMove(bool sized)
{
    if (!inSizeMove_) {
        inSizeMove_ = true;
        emit EnterSizeMove();
    }
    const QRect r(window_->pos(), window_->size());
    int left = r.left(), top = r.top(), width = r.width(), height = r.height();
    if (sized)
        emit Sizing(left, top, width, height);
    else
        emit Moving(left, top, width, height);
    settle_->start();
}

void cSizeMoveHelper::Settled()
{
    if (!inSizeMove_)
        return;
    emit ExitSizeMove();
    inSizeMove_ = false;
}
