// The regsvr tool run as a separate process against the runtime's test
// module, with the registry in a temporary home.

#include "platform/com/class_registry.h"
#include "tests/platform/com/temp_home.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun Regsvr(const TempHome& home, const QStringList& args, const QString& configHome = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", configHome.isEmpty() ? home.path() + "/config" : configHome);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(REGSVR_PATH), args);
    ToolRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

const QString kModule = QStringLiteral(TEST_MODULE_PATH);
const QString kProgId = QStringLiteral("VelmoraTest.Greeter.1");

} // namespace

TEST(Regsvr, RegistersAndUnregistersAModule)
{
    TempHome home;
    const ToolRun reg = Regsvr(home, {kModule});
    EXPECT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    EXPECT_TRUE(reg.out.contains("DllRegisterServer")) << reg.out.toStdString();
    EXPECT_TRUE(reg.out.contains("succeeded"));
    EXPECT_FALSE(com::ClassRegistry::ClsidFromProgId(kProgId).isNull());

    const ToolRun unreg = Regsvr(home, {"-u", kModule});
    EXPECT_EQ(unreg.exitCode, 0) << unreg.err.toStdString();
    EXPECT_TRUE(unreg.out.contains("DllUnregisterServer"));
    EXPECT_TRUE(com::ClassRegistry::Dump().isEmpty());
}

TEST(Regsvr, FailuresExitNonZeroWithAMessage)
{
    TempHome home;
    const ToolRun usage = Regsvr(home, {});
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_TRUE(usage.err.contains("usage"));
    EXPECT_EQ(Regsvr(home, {"-x", kModule}).exitCode, 1);

    const ToolRun missing = Regsvr(home, {home.path() + "/nothing.so"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_TRUE(missing.err.contains("nothing.so"));

    const ToolRun noEntry = Regsvr(home, {QStringLiteral(MODULE_WITHOUT_EXPORTS_PATH)});
    EXPECT_EQ(noEntry.exitCode, 4);
    EXPECT_TRUE(noEntry.err.contains("DllRegisterServer"));

    // A registry that cannot be written (its folder is a file) makes the
    // module's call fail; nothing is written in its place, and the user's
    // registry, holding an earlier registration, is left as it was.
    ASSERT_EQ(Regsvr(home, {kModule}).exitCode, 0);
    const QStringList registered = com::ClassRegistry::Dump();
    ASSERT_FALSE(registered.isEmpty());
    const QString blocked = home.path() + "/blocked";
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ToolRun failed = Regsvr(home, {kModule}, blocked);
    EXPECT_EQ(failed.exitCode, 5);
    EXPECT_TRUE(failed.err.contains("0x80040200")) << failed.err.toStdString();
    EXPECT_TRUE(QFileInfo(blocked).isFile());
    EXPECT_EQ(QFileInfo(blocked).size(), 0);
    qputenv("XDG_CONFIG_HOME", blocked.toUtf8());
    const QStringList atBlocked = com::ClassRegistry::Dump();
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    EXPECT_TRUE(atBlocked.isEmpty());
    EXPECT_EQ(com::ClassRegistry::Dump(), registered);
}
