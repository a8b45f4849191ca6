#include "operations/file_pattern.h"

#include "operations/error_trap.h"
#include "operations/running_program.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// "*" and "?" are the only wildcards; every other character, brackets
// included, stands for itself.
QRegularExpression CompileSpec(const QString& spec)
{
    QString rx;
    rx.reserve(spec.size() * 2 + 8);
    rx += QStringLiteral("\\A(?:");
    for (const QChar c : spec) {
        if (c == QLatin1Char('*'))
            rx += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    rx += QStringLiteral(")\\z");
    return QRegularExpression(rx, QRegularExpression::CaseInsensitiveOption
                                      | QRegularExpression::DotMatchesEverythingOption);
}

bool MatchSpec(const QString& name, const QString& spec)
{
    if (spec == QLatin1String("*.*") || spec == QLatin1String("*"))
        return true;
    // Patterns repeat for every file of a search: keep the compiled forms.
    thread_local QHash<QString, QRegularExpression> cache;
    auto it = cache.constFind(spec);
    if (it == cache.constEnd()) {
        if (cache.size() > 256)
            cache.clear();
        it = cache.insert(spec, CompileSpec(spec));
    }
    return it->match(name).hasMatch();
}

// A procedure of the main window, shared with the command-line program.
const ProcedureTraps Trap(ObjectKind::Form, QStringLiteral("frmMain"));

} // namespace

bool PathMatchSpec(const QString& name, const QString& pattern)
{
    const QStringList specs = pattern.split(QLatin1Char(';'));
    for (const QString& raw : specs) {
        const QString spec = raw.trimmed();
        if (spec.isEmpty())
            continue;
        if (MatchSpec(name, spec))
            return true;
    }
    return false;
}

bool IsFileMatchWithFilterPattern(const QString& name, const QStringList& patterns)
{
    ErrorTrap trap = Trap("IsFileMatchWithFilterPattern");
    try {
        trap.Line(10);
        for (qsizetype i = 0; i < patterns.size(); ++i) {
            trap.Line(20);
            if (PathMatchSpec(name, patterns[i]))
                return true;
        }
        return false;
    } catch (...) {
        if (!IsCommandLineProgram())
            trap.Log();
        return false;
    }
}
