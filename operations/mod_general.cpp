#include "operations/mod_general.h"

#include "operations/error_trap.h"
#include "operations/running_program.h"

namespace {
const ProcedureTraps Trap(ObjectKind::Module, QStringLiteral("modGeneral"));
} // namespace

QString GetFileNameFromPath(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == QLatin1Char('/'))
        --end;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'), end - 1);
    if (end == 0)
        return QString();
    return path.mid(slash + 1, end - slash - 1);
}

QString GetFileExt(const QString& s)
{
    ErrorTrap trap = Trap("GetFileExt");
    try {
        trap.Line(10);
        const qsizetype dot = s.lastIndexOf(QLatin1Char('.'));
        trap.Line(20);
        return dot < 0 ? s : s.mid(dot + 1);
    } catch (...) {
        if (IsCommandLineProgram())
            throw;
        trap.Log();
        return QString();
    }
}

QString ValidateDir(const QString& s)
{
    ErrorTrap trap = Trap("ValidateDir");
    try {
        trap.Line(10);
        if (s.endsWith(QLatin1Char('/')))
            return s;
        trap.Line(30);
        return s + QLatin1Char('/');
    } catch (...) {
        if (IsCommandLineProgram())
            throw;
        trap.Log();
        return QString();
    }
}

std::int16_t HiWord(std::int32_t value) noexcept
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) >> 16);
}
