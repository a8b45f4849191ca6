#include "platform/skin/window_handle.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <limits>

namespace {

constexpr char kHandleProperty[] = "_velmora_window_handle";

struct HandleTable {
    QHash<std::int32_t, QPointer<QWidget>> widgets;
    std::int32_t next = 1;
};

HandleTable& Table()
{
    static HandleTable table;
    return table;
}

} // namespace

std::int32_t WindowHandleOf(QWidget* widget)
{
    if (!widget)
        return 0;
    HandleTable& table = Table();
    const QVariant known = widget->property(kHandleProperty);
    if (known.isValid()) {
        const std::int32_t handle = known.toInt();
        auto it = table.widgets.constFind(handle);
        if (it != table.widgets.constEnd() && it->data() == widget)
            return handle;
    }
    if (table.next == std::numeric_limits<std::int32_t>::max())
        return 0; // handles are never reused; this many windows is not a real run
    const std::int32_t handle = table.next++;
    table.widgets.insert(handle, widget);
    widget->setProperty(kHandleProperty, handle);
    QObject::connect(widget, &QObject::destroyed, [handle] { Table().widgets.remove(handle); });
    return handle;
}

QWidget* WidgetFromWindowHandle(std::int32_t handle)
{
    if (handle <= 0)
        return nullptr;
    const HandleTable& table = Table();
    auto it = table.widgets.constFind(handle);
    return it == table.widgets.constEnd() ? nullptr : it->data();
}
