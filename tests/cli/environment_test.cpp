// VelmoraCMD must finish wherever a script or a scheduler starts it: with
// no display, with a display nobody sees, with a display that does not
// answer, and with a storage folder it cannot write.

#include "cli_fixture.h"

#include <QFileInfo>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace {

using V = std::vector<int>;

class EnvironmentTest : public CliTest {
protected:
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
    const struct {
        const char* platform;
        QString display;
    } conditions[] = {
        {"xcb", silent}, {"linuxfb:fb=/nonexistent/fb0", QString()}, {"eglfs", QString()}, {"vkkhrdisplay", QString()}};
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

    // Help that cannot be written is no success.
    SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    EXPECT_EQ(RunShellWords(QStringLiteral(">/dev/full"), 5000).exitCode, 1);
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
