#include "cli/window_system_reach.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

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

// How long an X server may take to accept a connection, answer it and
// answer a first request.
constexpr std::chrono::milliseconds kAnswerLimit{2000};

// The connection to the X server of DISPLAY, once the server has answered
// (its setup reply and a first round trip), within `limit`; nullptr when
// it has not, with `abandoned` set when the attempt still goes on. xcb
// waits for those answers without a limit, and a stopped server, or
// anything else that accepts the connection and stays silent (at once or
// after the setup), would hold the run for ever. So
// the connection is made on a thread of its own; one still waiting when the
// limit has passed is left to itself and disconnects whatever it gets later.
xcb_connection_t* ConnectWithin(std::chrono::milliseconds limit, bool& abandoned)
{
    struct Attempt {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        xcb_connection_t* connection = nullptr;
    };
    const auto attempt = std::make_shared<Attempt>();
    std::thread([attempt] {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        // The set-up reply alone does not show that the server answers
        // requests: one round trip must come back too.
        if (xcb_connection_has_error(connection) == 0)
            std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        const std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            xcb_disconnect(connection);
            return;
        }
        attempt->connection = connection;
        attempt->finished = true;
        attempt->done.notify_one();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    if (!attempt->done.wait_for(lock, limit, [&attempt] { return attempt->finished; })) {
        attempt->abandoned = abandoned = true;
        return nullptr;
    }
    return attempt->connection;
}

} // namespace

WindowSystemProbe::WindowSystemProbe(const QString& platformEntry)
{
    const QString name = platformEntry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    if (name == QLatin1String("xcb")) {
        if (!PluginInstalled(name))
            return;
        connection_ = ConnectWithin(kAnswerLimit, stillWaiting_);
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
