#include "cli/window_system_reach.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <xcb/xcb.h>

namespace {

// Qt's plugins for the platform: libq<name>*.so in its platforms folder.
bool PluginInstalled(const QString& name)
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libq") + name + QStringLiteral("*.so")}, QDir::Files).isEmpty();
}

bool WaylandAnswers()
{
    QString socketPath = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    if (!socketPath.startsWith(QLatin1Char('/')))
        socketPath = qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + socketPath;
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

} // namespace

WindowSystemProbe::WindowSystemProbe(const QString& platformEntry)
{
    const QString name = platformEntry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    if (name == QLatin1String("xcb")) {
        if (!PluginInstalled(name))
            return;
        connection_ = xcb_connect(nullptr, nullptr);
        answers_ = connection_ && xcb_connection_has_error(connection_) == 0;
    } else if (name.startsWith(QLatin1String("wayland"))) {
        answers_ = PluginInstalled(QStringLiteral("wayland")) && WaylandAnswers();
    } else {
        answers_ = !name.isEmpty() && PluginInstalled(name);
    }
}

WindowSystemProbe::~WindowSystemProbe()
{
    if (connection_)
        xcb_disconnect(connection_);
}
