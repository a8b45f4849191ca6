#include "cli/window_platforms.h"

namespace {

bool DrawsNowhere(const QString& name)
{
    // vkkhrdisplay draws Vulkan surfaces only: a box would never show.
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal") || name == QLatin1String("minimalegl")
           || name == QLatin1String("vkkhrdisplay");
}

} // namespace

QStringList WindowPlatforms(const EnvironmentLookup& environment)
{
    QStringList entries;
    for (const QString& entry : environment("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!entry.trimmed().isEmpty())
            entries << entry.trimmed();
    }
    if (entries.isEmpty()) {
        if (environment("XDG_SESSION_TYPE") == QLatin1String("wayland"))
            entries << QStringLiteral("wayland");
        entries << QStringLiteral("xcb");
    }

    QStringList platforms;
    for (const QString& entry : std::as_const(entries)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (DrawsNowhere(name))
            break;
        if (name == QLatin1String("xcb")) {
            if (!environment("DISPLAY").isEmpty())
                platforms << entry;
        } else if (name.startsWith(QLatin1String("wayland"))) {
            if (!environment("WAYLAND_DISPLAY").isEmpty())
                platforms << entry;
        } else {
            platforms << entry; // a screen of its own (framebuffer, VNC, ...)
        }
    }
    return platforms;
}

QStringList WindowPlatforms()
{
    return WindowPlatforms([](const char* name) { return qEnvironmentVariable(name); });
}
