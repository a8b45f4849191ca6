#include "engine/control/stavren_windows.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QThread>
#include <QVariant>

#include <dlfcn.h>

namespace stavren_windows {
namespace {

// True inside a GUI application, on its thread.
bool GuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->inherits("QApplication") && QThread::currentThread() == app->thread();
}

// The companion beside this module, loaded once and kept.
QLibrary* Companion()
{
    static QLibrary* library = [] {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(&ShowAboutDialog), &info) || !info.dli_fname)
            return static_cast<QLibrary*>(nullptr);
        const QString folder = QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
        auto* lib = new QLibrary(folder + QStringLiteral("/libStavrenWindows.so"));
        if (!lib->load()) {
            delete lib;
            return static_cast<QLibrary*>(nullptr);
        }
        return lib;
    }();
    return library;
}

template <typename Function>
Function Resolve(const char* name)
{
    QLibrary* lib = Companion();
    return lib ? reinterpret_cast<Function>(lib->resolve(name)) : nullptr;
}

} // namespace

bool ObjectArgument(const QVariant& value, QObject*& object)
{
    object = nullptr;
    if (!value.isValid() || value.isNull())
        return true;
    object = value.value<QObject*>();
    return object != nullptr;
}

void ShowAboutDialog()
{
    if (!GuiThread())
        return;
    if (const auto show = Resolve<ShowAboutFunction>(kShowAbout))
        show();
}

QObject* CreatePropertyPage(QObject* parent, const QString& caption)
{
    if (!GuiThread())
        return nullptr;
    const auto create = Resolve<CreatePageFunction>(kCreatePage);
    return create ? create(parent, caption) : nullptr;
}

void DrawControl(QPainter& painter, const QRect& bounds)
{
    if (const auto draw = Resolve<DrawFunction>(kDraw))
        draw(painter, bounds);
}

QObject* CreateControlWindow(QObject* parent)
{
    if (!GuiThread())
        return nullptr;
    const auto create = Resolve<CreateWindowFunction>(kCreateWindow);
    return create ? create(parent) : nullptr;
}

bool ShowPropertyFrame(QObject* owner, const QString& caption, const QList<QObject*>& pages)
{
    const auto show = GuiThread() ? Resolve<ShowFrameFunction>(kShowFrame) : nullptr;
    if (!show) {
        qDeleteAll(pages);
        return false;
    }
    return show(owner, caption, pages);
}

} // namespace stavren_windows
