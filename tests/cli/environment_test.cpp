// VelmoraCMD must finish wherever a script or a scheduler starts it: with
// no display, with a display nobody sees, with a display that does not
// answer, and with a storage folder it cannot write.

#include "cli_fixture.h"

#include <QFileInfo>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using V = std::vector<int>;

// An X server that completes the connection set-up and then never answers
// (a relay that swallows everything after the set-up reply): it listens on
// the TCP port of a display, gives every client the set-up of one screen,
// and reads whatever comes after without a word.
class SetupOnlyXServer {
public:
    SetupOnlyXServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (display_ = 150; listener_ >= 0 && display_ < 250; ++display_) {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<std::uint16_t>(6000 + display_));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                && ::listen(listener_, 8) == 0) {
                thread_ = std::thread([this] { Serve(); });
                return;
            }
        }
        display_ = -1;
    }
    ~SetupOnlyXServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
    }
    // The display, "127.0.0.1:<n>"; empty when no port was free.
    QString Display() const { return display_ < 0 ? QString() : QStringLiteral("127.0.0.1:%1").arg(display_); }

private:
    static bool ReadAll(int fd, unsigned char* into, std::size_t size)
    {
        for (std::size_t got = 0; got < size;) {
            const ssize_t n = ::read(fd, into + got, size - got);
            if (n <= 0)
                return false;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }
    // The set-up of one 640x480 TrueColor screen, little-endian.
    static std::vector<unsigned char> SetupReply()
    {
        // clang-format off
        return {
            1, 0, 11, 0, 0, 0, 29, 0,                          // success, version 11.0, 29 words follow
            1, 0, 0, 0, 0, 0, 0x20, 0, 0xff, 0xff, 0x1f, 0,    // release, resource ids and mask
            0, 0, 0, 0, 4, 0, 0xff, 0xff,                      // motion buffer, vendor length, request length
            1, 1, 0, 0, 32, 32, 8, 255, 0, 0, 0, 0,            // one screen, one format, orders, keycodes
            'f', 'a', 'k', 'e',                                // vendor
            24, 32, 32, 0, 0, 0, 0, 0,                         // pixmap format
            0, 1, 0, 0, 0x20, 0, 0, 0,                         // screen: root, colormap
            0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0,       // white, black, input masks
            0x80, 2, 0xe0, 1, 170, 0, 127, 0, 1, 0, 1, 0,      // 640x480 pixels, mm, colormaps
            0x21, 0, 0, 0, 0, 0, 24, 1,                        // root visual, depth 24, one depth
            24, 0, 1, 0, 0, 0, 0, 0,                           // the depth: one visual
            0x21, 0, 0, 0, 4, 8, 0, 1,                         // TrueColor, 8 bits, 256 entries
            0, 0, 0xff, 0, 0, 0xff, 0, 0, 0xff, 0, 0, 0, 0, 0, 0, 0, // masks
        };
        // clang-format on
    }
    void Serve()
    {
        std::vector<std::thread> clients;
        while (!stop_) {
            pollfd wait{listener_, POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0)
                continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            clients.emplace_back([this, client] {
                unsigned char head[12];
                if (ReadAll(client, head, sizeof head)) {
                    const bool little = head[0] == 'l';
                    auto word = [&](int at) {
                        return little ? head[at] | head[at + 1] << 8 : head[at] << 8 | head[at + 1];
                    };
                    std::vector<unsigned char> rest(
                        static_cast<std::size_t>(((word(6) + 3) & ~3) + ((word(8) + 3) & ~3)));
                    const std::vector<unsigned char> reply = SetupReply();
                    if (ReadAll(client, rest.data(), rest.size())
                        && ::write(client, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size())) {
                        unsigned char swallowed[4096];
                        while (!stop_) {
                            pollfd in{client, POLLIN, 0};
                            if (::poll(&in, 1, 50) > 0 && ::read(client, swallowed, sizeof swallowed) <= 0)
                                break;
                        }
                    }
                }
                ::close(client);
            });
        }
        for (std::thread& client : clients)
            client.join();
    }

    int listener_ = -1;
    int display_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class EnvironmentTest : public CliTest {
protected:
    // Runs VelmoraCMD with its standard output (`stream` 1) or standard
    // error (2) a pipe that nobody reads any more.
    Result RunIntoClosedPipe(const QStringList& args, int stream)
    {
        Result r;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipe";
            return r;
        }
        ::close(ends[0]);
        const int writeEnd = ends[1];
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(Work());
        p.setChildProcessModifier([writeEnd, stream] { ::dup2(writeEnd, stream); });
        p.start(QStringLiteral(VELMORA_CMD_PATH), args);
        const bool finished = p.waitForFinished(20000);
        ::close(writeEnd);
        if (!finished) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "VelmoraCMD did not finish";
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return r;
    }

    void SetUp() override
    {
        CliTest::SetUp();
        MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    }

    // A run that shows a message, one whose command line is refused and
    // one without a command line all finish, and report on the standard
    // streams.
    void ExpectStandardStreams()
    {
        MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
        Result r = Run(QStringLiteral("/i a.tif /del 1"), 20000);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: successfully deleted pages from file.\n"));
        EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{2, 3}));

        r = Run(QStringLiteral("/i a.tif /del x"), 20000);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: Invalid Pageno.\n"));

        r = Run(QStringList{}, 20000);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("VelmoraCMD - page operations"))) << r.out.left(80).toStdString();
    }

    // A display number nothing listens on, neither on a socket file nor on
    // an abstract socket.
    static QString SilentDisplay()
    {
        QFile sockets(QStringLiteral("/proc/net/unix"));
        const QString listening =
            sockets.open(QIODevice::ReadOnly) ? QString::fromLatin1(sockets.readAll()) : QString();
        for (int n = 197; n < 300; ++n) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (!QFileInfo::exists(socket) && !listening.contains(socket + QLatin1Char('\n')))
                return QStringLiteral(":%1").arg(n);
        }
        return QStringLiteral(":299");
    }
};

TEST_F(EnvironmentTest, PlatformsThatDrawNowhereCountAsNoDisplay)
{
    // A modal window there would wait for a click that never comes.
    for (const char* platform : {"offscreen", "minimal", "offscreen;xcb"}) {
        SCOPED_TRACE(platform);
        SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        SetEnvironment(QStringLiteral("DISPLAY"), SilentDisplay());
        ExpectStandardStreams();
    }
}

TEST_F(EnvironmentTest, ADisplayThatDoesNotAnswerFallsBackToStandardStreams)
{
    // A stale DISPLAY (cron, an ssh session that has ended) must not abort
    // the run.
    SetEnvironment(QStringLiteral("DISPLAY"), SilentDisplay());
    ExpectStandardStreams();
    SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    ExpectStandardStreams();

    UnsetEnvironment(QStringLiteral("DISPLAY"));
    SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;xcb"));
    SetEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), Work());
    SetEnvironment(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("no-compositor"));
    ExpectStandardStreams();
}

TEST_F(EnvironmentTest, ADisplayThatCannotShowTheResultLeavesItOnStandardError)
{
    // Something that accepts X connections and never answers (a stopped
    // server looks the same): nobody takes the connections it is offered.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    int display = 150;
    for (;; ++display) {
        ASSERT_LT(display, 250) << "no free port for a silent display";
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(6000 + display));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
    }
    ASSERT_EQ(::listen(listener, 8), 0);

    // Screen platforms without their screen: no frame buffer, no DRM device.
    QFile kms(Work(QStringLiteral("kms.json")));
    ASSERT_TRUE(kms.open(QIODevice::WriteOnly));
    kms.write("{\"device\": \"/nonexistent/card0\"}\n");
    kms.close();
    SetEnvironment(QStringLiteral("QT_QPA_EGLFS_INTEGRATION"), QStringLiteral("eglfs_kms"));
    SetEnvironment(QStringLiteral("QT_QPA_EGLFS_KMS_CONFIG"), kms.fileName());
    const QString silent = QStringLiteral("127.0.0.1:%1").arg(display);
    const SetupOnlyXServer setupOnly;
    ASSERT_FALSE(setupOnly.Display().isEmpty()) << "no free port for a display that answers only its set-up";
    const struct {
        const char* platform;
        QString display;
    } conditions[] = {{"xcb", silent},
                      {"xcb", setupOnly.Display()},
                      {"linuxfb:fb=/nonexistent/fb0", QString()},
                      {"eglfs", QString()},
                      {"vkkhrdisplay", QString()}};
    for (const auto& condition : conditions) {
        SCOPED_TRACE(condition.platform);
        SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(condition.platform));
        SetEnvironment(QStringLiteral("DISPLAY"), condition.display);
        MakeTiffIn(QStringLiteral("f.tif"), {1, 2, 3});
        // The work is done, the result reaches standard error and the run
        // ends with its own status, well within 5 s.
        Result r = Run(QStringLiteral("/i f.tif /del 2"), 5000);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.err.endsWith(QStringLiteral("Velmora 3.1: successfully deleted pages from file.\n")))
            << r.err.toStdString();
        EXPECT_EQ(PagesIn(QStringLiteral("f.tif")), (V{1, 3}));
        if (condition.display.isEmpty()) {
            // A refused line and the help text alike.
            r = Run(QStringLiteral("/silent /i f.tif /del x"), 5000);
            EXPECT_EQ(r.exitCode, 2);
            EXPECT_TRUE(r.err.endsWith(QStringLiteral("Velmora 3.1: Invalid Pageno.\n"))) << r.err.toStdString();
            r = Run(QStringList{}, 5000);
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(r.out.startsWith(QStringLiteral("VelmoraCMD - page operations")))
                << r.out.left(80).toStdString();
        }
    }
    ::close(listener);

    // Help that cannot be written is no success, nor is a result that
    // cannot be: neither ends the program by a signal.
    SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    EXPECT_EQ(RunShellWords(QStringLiteral(">/dev/full"), 5000).exitCode, 1);
    EXPECT_EQ(RunIntoClosedPipe({}, 1).exitCode, 1);
    MakeTiffIn(QStringLiteral("f.tif"), {1, 2, 3});
    EXPECT_EQ(RunIntoClosedPipe(QStringLiteral("/i f.tif /del 2").split(QLatin1Char(' ')), 2).exitCode, 4);
    EXPECT_EQ(PagesIn(QStringLiteral("f.tif")), (V{1, 3}));
}

TEST_F(EnvironmentTest, WithoutADisplayNoWindowLibraryIsLoaded)
{
    // The loader names every library it maps; none of the window system's
    // may be among them when nothing can be shown.
    SetEnvironment(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    MakeTiffIn(QStringLiteral("b.tif"), {4, 5});
    const QList<QStringList> lines{
        {QStringLiteral("/i"), QStringLiteral("b.tif"), QStringLiteral("/o"), QStringLiteral("out")},
        {QStringLiteral("/i"), QStringLiteral("a.tif"), QStringLiteral("/silent"), QStringLiteral("/a"),
         QStringLiteral("b.tif")},
        {QStringLiteral("/d"), QStringLiteral("."), QStringLiteral("/o"), QStringLiteral("out?1-2")},
        {QStringLiteral("/i"), QStringLiteral("a.tif"), QStringLiteral("/del"), QStringLiteral("x")},
        {},
    };
    for (const QStringList& line : lines) {
        SCOPED_TRACE(line.join(QLatin1Char(' ')).toStdString());
        const Result r = Run(line);
        ASSERT_NE(r.exitCode, -1);
        ASSERT_TRUE(r.err.contains(QStringLiteral("libQt6Core"))) << "the loader reported nothing";
        for (const char* library : {"libQt6Widgets", "libQt6Gui", "libX11", "libxcb", "libEGL"})
            EXPECT_FALSE(r.err.contains(QLatin1String(library))) << library;
    }
}

TEST_F(EnvironmentTest, AStorageFolderThatCannotBeCreatedIsNamed)
{
    QFile file(Work(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SetEnvironment(QStringLiteral("XDG_DATA_HOME"), Work(QStringLiteral("file/data")));
    const Result r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: the run stopped; the storage folder ")
                         + Work(QStringLiteral("file/data"))
                         + QStringLiteral("/Ostrana Technologies/Velmora 3.1 could not be created\n"));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2, 3}));
}

TEST_F(EnvironmentTest, AFailedWriteTestNamesTheStorageFolder)
{
    // A folder where the test file should go: nobody, root included, can
    // write that file.
    ASSERT_TRUE(QDir().mkpath(Storage() + QStringLiteral("/Testtemp.sys")));
    const Result r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 3);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.err.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral(
                            "Velmora 3.1: Needed Admin Permission :Cann't run without adminstrator rights in Vista\""));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(": ") + Storage())) << lines[1].toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{1, 2, 3}));
}

} // namespace
