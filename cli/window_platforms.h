#pragma once
// Where VelmoraCMD may show its windows. A window nobody can see would wait
// for ever for a click, so only window systems a user looks at count:
// platforms that draw nowhere (offscreen, minimal, vkkhrdisplay) count as
// no display.

#include <QString>
#include <QStringList>

#include <functional>

// Reads one environment variable ("" when unset).
using EnvironmentLookup = std::function<QString(const char* name)>;

// The platform entries (as QT_QPA_PLATFORM writes them, options included)
// that Qt would try, in order, and that may show a window: xcb only with
// DISPLAY set, wayland only with WAYLAND_DISPLAY set. Without
// QT_QPA_PLATFORM Qt tries xcb, or wayland and then xcb in a Wayland
// session. The list ends at the first platform that draws nowhere, since
// Qt would start on that one. Empty: no display.
QStringList WindowPlatforms(const EnvironmentLookup& environment);
// The same for this process's environment.
QStringList WindowPlatforms();
