#include "operations/error_trap.h"

#include "operations/storage_folder.h"

#include <exception>
#include <new>
#include <utility>

QString ErrorLocationText(ObjectKind kind, const QString& objectName, bool atTime)
{
    QString text;
    switch (kind) {
    case ObjectKind::Form: text = QStringLiteral(" of Form "); break;
    case ObjectKind::Module: text = QStringLiteral(" of Module "); break;
    case ObjectKind::ClassModule: text = QStringLiteral(" of Class Module "); break;
    }
    text += objectName;
    if (atTime)
        text += QStringLiteral(" at time");
    return text;
}

QString BuildErrorLine(long number, const QString& description, const QString& procedure, int line,
                       const QString& location)
{
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" (") + description
           + QStringLiteral(") in procedure ") + procedure + QStringLiteral(" at Line No. ") + QString::number(line)
           + location;
}

RunTimeError CurrentRunTimeError() noexcept
{
    const std::exception_ptr p = std::current_exception();
    if (!p)
        return RunTimeError(rterr::InvalidProcedureCall);
    try {
        std::rethrow_exception(p);
    } catch (const RunTimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RunTimeError(rterr::OutOfMemory);
    } catch (const std::exception& e) {
        const QString what = QString::fromLocal8Bit(e.what());
        return what.isEmpty() ? RunTimeError(rterr::InvalidProcedureCall)
                              : RunTimeError(rterr::InvalidProcedureCall, what);
    } catch (...) {
        return RunTimeError(rterr::InvalidProcedureCall);
    }
}

ErrorTrap::ErrorTrap(QString procedure, ObjectKind kind, QString objectName, bool atTime)
    : procedure_(std::move(procedure)), kind_(kind), objectName_(std::move(objectName)), atTime_(atTime)
{
}

QString ErrorTrap::location() const
{
    return ErrorLocationText(kind_, objectName_, atTime_);
}

QString ErrorTrap::Message(long number, const QString& description) const
{
    return BuildErrorLine(number, description, procedure_, line_, location());
}

QString ErrorTrap::Message(const RunTimeError& error) const
{
    return Message(error.number(), error.description());
}

RunTimeError ErrorTrap::Log() const noexcept
{
    RunTimeError error = CurrentRunTimeError();
    Log(error);
    return error;
}

void ErrorTrap::Log(const RunTimeError& error) const noexcept
{
    try {
        LogError(Message(error));
    } catch (...) {
        // The logger never reports its own failures.
    }
}
