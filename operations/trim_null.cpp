#include "operations/trim_null.h"

#include "operations/error_trap.h"
#include "operations/running_program.h"

QString TrimNull(const QString& s)
{
    ErrorTrap trap(QStringLiteral("TrimNull"), ObjectKind::Module, QStringLiteral("modMasterLayout"));
    try {
        trap.Line(10);
        const qsizetype nul = s.indexOf(QChar(u'\0'));
        trap.Line(20);
        return nul < 0 ? s : s.left(nul);
    } catch (...) {
        // The command-line program has no trap here: the error reaches the caller.
        if (IsCommandLineProgram())
            throw;
        trap.Log();
        return QString();
    }
}
