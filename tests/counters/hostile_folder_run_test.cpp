// VelmoraCMD run over a folder of hostile files, as a user would run it:
// every file is counted (TiffPageCounter) and its pages extracted (the
// page engine). Files whose tags name gigabytes, and a file of 200,000
// empty directories, are refused within little memory and time.

#include "counter_fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

using namespace counter_test;

namespace {

struct MeasuredRun {
    int exitCode = -1;
    long peakKiB = 0;
    qint64 ms = 0;
};

// Runs `program` with `args` and `env`, with its standard streams to
// /dev/null; its exit code, peak resident memory and time.
MeasuredRun RunMeasured(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    std::vector<std::string> argStore{QFile::encodeName(program).toStdString()};
    for (const QString& a : args)
        argStore.push_back(a.toStdString());
    std::vector<std::string> envStore;
    for (const QString& e : env.toStringList())
        envStore.push_back(e.toStdString());
    std::vector<char*> argv, envp;
    for (std::string& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    MeasuredRun run;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.ms = timer.elapsed();
    run.peakKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(HostileFolderRun, BombsAreRefusedWithinLittleMemoryAndTime)
{
    QTemporaryDir home, work;
    ASSERT_TRUE(home.isValid() && work.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    for (const char* module : {VELMORA_STAVREN_MODULE, VELMORA_COUNTERS_MODULE}) {
        QProcess reg;
        reg.setProcessEnvironment(env);
        reg.start(QStringLiteral(VELMORA_REGSVR), {QString::fromUtf8(module)});
        ASSERT_TRUE(reg.waitForFinished(30000));
        ASSERT_EQ(reg.exitCode(), 0);
    }

    const QString in = work.filePath(QStringLiteral("in"));
    const QString out = work.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(in) && QDir().mkpath(out));
    constexpr std::uint32_t k60MB = 60 * 1000 * 1000;
    ASSERT_TRUE(WriteTagBomb(in + QStringLiteral("/tags.tif"), 1, 60, k60MB));
    ASSERT_TRUE(WriteTagBomb(in + QStringLiteral("/image-tags.tif"), 1, 60, k60MB, true));
    ASSERT_TRUE(WriteTagBomb(in + QStringLiteral("/shared.tif"), 1000, 1, k60MB));
    ASSERT_TRUE(WriteEmptyDirectories(in + QStringLiteral("/empty.tif"), 200000));

    const MeasuredRun run =
        RunMeasured(QStringLiteral(VELMORA_CMD_PATH),
                    {QStringLiteral("/silent"), QStringLiteral("/d"), in, QStringLiteral("/o"), out}, env);
    EXPECT_EQ(run.exitCode, 1); // every file failed
    EXPECT_LT(run.peakKiB, 256 * 1024);
    EXPECT_LT(run.ms, 20000);
    EXPECT_TRUE(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

} // namespace
