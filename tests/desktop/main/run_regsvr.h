#pragma once
// Runs the program's registration tool (regsvr) with `args`, as the
// install does, registering a module (or with "-u" unregistering it) in the
// test run's class registry. Its exit code; -1 when it did not finish
// normally within 30 seconds.

#include <QProcess>
#include <QStringList>

inline int RunRegsvr(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VELMORA_REGSVR), args);
    if (!p.waitForFinished(30000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
