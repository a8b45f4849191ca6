#include "operations/trim_null.h"

#include "operations/error_trap.h"
#include "operations/running_program.h"

namespace {
const ProcedureTraps Trap(ObjectKind::Module, QStringLiteral("modMasterLayout"));
} // namespace

QString TrimNull(const QString& s)
{
    ErrorTrap trap = Trap("TrimNull");
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
