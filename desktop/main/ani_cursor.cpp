#include "desktop/main/ani_cursor.h"

#include "platform/runtime/run_time_error.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>

#include <cerrno>

// Registers the embedded resources of this library; must run outside any
// namespace.
static void InitDesktopMainResources()
{
    Q_INIT_RESOURCE(desktop_main);
}

const char* const cAniCursor::kResourcePath = ":/CUSTOM/2001";

namespace {

// Error code base of a cursor that cannot be loaded.
constexpr long kLoadErrorBase = 10000;
// The code a malformed cursor file reports ("the data is invalid").
constexpr long kInvalidData = 13;

} // namespace

cAniCursor::cAniCursor() = default;

cAniCursor::~cAniCursor()
{
    Destroy();
}

quintptr cAniCursor::hCursor() const
{
    return file_ ? reinterpret_cast<quintptr>(&*file_) : 0;
}

bool cAniCursor::Load(const QByteArray& bytes, bool bNotAnimated, QString* error)
{
    AniCursorFile parsed;
    if (!ani_cursor_file::Parse(bytes, &parsed, error))
        return false;
    file_ = std::move(parsed);
    if (!bNotAnimated)
        CountFrames();
    return true;
}

bool cAniCursor::LoadFromFile(const QString& sFileName, bool bMapSysColours, bool bNotAnimated)
{
    Q_UNUSED(bMapSysColours);
    Destroy();
    QFile file(sFileName);
    long code = 0;
    QString description;
    if (!file.open(QIODevice::ReadOnly)) {
        code = file.error() == QFileDevice::OpenError && !file.exists() ? ENOENT : EACCES;
        description = file.errorString();
    } else {
        // Read at most one byte more than a cursor file may hold, so that a
        // huge or endless file (a device) is refused without reading it all.
        const QByteArray bytes = file.read(ani_cursor_file::kMaxFileBytes + 1);
        QString reason;
        if (Load(bytes, bNotAnimated, &reason))
            return true;
        code = kInvalidData;
        description = QStringLiteral("The file is not a valid animated cursor (%1).").arg(reason);
    }
    throw RunTimeError(kLoadErrorBase | code, description);
}

bool cAniCursor::LoadFromResource(int resourceNumber, bool bMapSysColours, quintptr hInstance, bool bNotAnimated)
{
    Q_UNUSED(resourceNumber);
    Q_UNUSED(bMapSysColours);
    Q_UNUSED(hInstance);
    Destroy();
    static const bool registered = (InitDesktopMainResources(), true);
    Q_UNUSED(registered);
    QFile resource(QString::fromLatin1(kResourcePath));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    return Load(resource.readAll(), bNotAnimated, nullptr);
}

void cAniCursor::CountFrames()
{
    if (file_)
        frameCount_ = file_->StepCount();
}

void cAniCursor::SetFrame(int iFrame)
{
    if (iFrame < 0 || iFrame >= frameCount_)
        throw RunTimeError(rterr::SubscriptOutOfRange);
    frame_ = iFrame;
    RefreshWindows();
}

void cAniCursor::Step()
{
    ++frame_;
    if (frame_ < 0 || frame_ >= frameCount_)
        frame_ = 0;
    RefreshWindows();
}

QImage cAniCursor::CurrentImage() const
{
    if (!file_ || file_->sequence.isEmpty())
        return QImage();
    const int step = frame_ < file_->StepCount() ? frame_ : 0;
    return file_->frames.at(file_->sequence.at(step));
}

QSize cAniCursor::FrameSize() const
{
    return CurrentImage().size();
}

QCursor cAniCursor::CurrentCursor() const
{
    const QImage image = CurrentImage();
    if (image.isNull())
        return QCursor();
    const int step = frame_ < file_->StepCount() ? frame_ : 0;
    const QPoint hot = file_->hotSpots.at(file_->sequence.at(step));
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}

void cAniCursor::Draw(QPainter* hDC, int lLeft, int lTop, int lWidth, int lHeight, const QColor& lBackColor) const
{
    const QImage image = CurrentImage();
    if (!hDC || image.isNull())
        return;
    QRect target(lLeft, lTop, image.width(), image.height());
    if (lWidth != 0 && lHeight != 0)
        target.setSize(QSize(lWidth, lHeight));
    if (lBackColor.isValid())
        hDC->fillRect(target, lBackColor);
    hDC->drawImage(target, image);
}

void cAniCursor::SetAsDefaultCursor(QWidget* lhWnd, bool bState)
{
    if (!lhWnd)
        return;
    if (bState) {
        WindowEntry* chosen = nullptr;
        WindowEntry* lastFree = nullptr;
        for (WindowEntry& entry : windows_) {
            if (entry.window == lhWnd) {
                chosen = &entry;
                break;
            }
            if (!entry.window)
                lastFree = &entry;
        }
        if (!chosen) {
            if (lastFree) {
                chosen = lastFree;
                *chosen = WindowEntry();
            } else {
                windows_.emplace_back();
                chosen = &windows_.back();
            }
        }
        if (chosen->remembers)
            return;
        chosen->window = lhWnd;
        chosen->remembers = true;
        if (lhWnd->testAttribute(Qt::WA_SetCursor))
            chosen->previous = lhWnd->cursor();
        else
            chosen->previous.reset();
        lhWnd->setCursor(CurrentCursor());
        return;
    }
    for (WindowEntry& entry : windows_) {
        if (entry.window == lhWnd) {
            if (entry.remembers)
                RestoreWindow(entry);
            return;
        }
    }
}

void cAniCursor::RestoreWindow(WindowEntry& entry)
{
    if (entry.window) {
        if (entry.previous)
            entry.window->setCursor(*entry.previous);
        else
            entry.window->unsetCursor();
    }
    entry = WindowEntry();
}

void cAniCursor::RefreshWindows()
{
    if (windows_.empty() || !file_)
        return;
    const QCursor cursor = CurrentCursor();
    for (WindowEntry& entry : windows_) {
        if (entry.window && entry.remembers)
            entry.window->setCursor(cursor);
    }
}

void cAniCursor::Destroy()
{
    if (!file_)
        return;
    for (WindowEntry& entry : windows_) {
        if (entry.remembers)
            RestoreWindow(entry);
    }
    windows_.clear();
    file_.reset();
    frame_ = 0;
    frameCount_ = 0;
}
