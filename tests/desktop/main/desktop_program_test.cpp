// The desktop program itself, started as a user would start it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sys/resource.h>

// A write past the file size limit fails like any other write; it must not
// end the program (the signal such a write raises would, silently).
TEST(DesktopProgram, AWritePastTheFileSizeLimitDoesNotEndIt)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setChildProcessModifier([] {
        const struct rlimit none {
            0, 0
        }; // the start-up write test already passes it
        ::setrlimit(RLIMIT_FSIZE, &none);
    });
    program.start(QStringLiteral(VELMORA_DESKTOP_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // It reports the failed write test and waits for the user; give it the
    // time the signal would take to end it.
    if (program.waitForFinished(2000)) {
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by signal";
    } else {
        program.kill();
        program.waitForFinished(10000);
    }
}
