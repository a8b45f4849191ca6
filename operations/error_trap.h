#pragma once
// The error tail of a procedure.
//
// A procedure that traps run-time errors takes one ErrorTrap naming itself
// and the object it belongs to, marks each statement as it starts with
// Line(10), Line(20), ... and, in its catch block, hands the trapped error to
// the trap, which builds the error line
//
//   Error <n> (<description>) in procedure <P> at Line No. <L> of Module <X> at time
//
// and appends it to "Errors.Log" through LogError. The logged statement number
// is that of the last Line() call before the error; a procedure that never
// numbers its statements logs 0.
//
// Two ways in:
// - ProcedureTraps: every trapped procedure takes its trap from the one its
//   object (Form, Module or Class Module) defines once, `Trap("Name")`.
// - Trapped: wraps the body when the error tail only logs and returns a fixed
//   value.
//
//     const ProcedureTraps Trap(ObjectKind::Module, QStringLiteral("modGeneral"));
//
//     bool Foo()
//     {
//         ErrorTrap trap = Trap("Foo");
//         try {
//             trap.Line(10);
//             // ...
//             trap.Line(20);
//             // ...
//             return true;
//         } catch (...) {
//             trap.Log(); // or trap.Error() to inspect without logging
//             return false;
//         }
//     }
//
//     bool Bar()
//     {
//         return Trapped(Trap("Bar"), false, [&](ErrorTrap& trap) {
//             trap.Line(10);
//             // ...
//             return true;
//         });
//     }
//
// Log() never throws; it may be called only inside a catch block (it reads
// the exception in flight). Any exception is accepted: a RunTimeError keeps
// its number and description, std::bad_alloc becomes 7 "Out of memory", any
// other exception 5 "Invalid procedure call or argument" (or its own text).

#include "platform/runtime/run_time_error.h"

#include <QString>

#include <utility>

enum class ObjectKind { Form, Module, ClassModule };

// " of Form X", " of Module X" or " of Class Module X", with " at time"
// appended when atTime is set.
QString ErrorLocationText(ObjectKind kind, const QString& objectName, bool atTime = true);

// "Error N (description) in procedure P at Line No. L" + location.
QString BuildErrorLine(long number, const QString& description, const QString& procedure, int line,
                       const QString& location);

// The run-time error view of the exception currently being handled
// (inside a catch block); 5 outside one.
RunTimeError CurrentRunTimeError() noexcept;

// The trap of one procedure, as ProcedureTraps makes it.
class ErrorTrap {
public:
    ErrorTrap(QString procedure, ObjectKind kind, QString objectName, bool atTime = true);

    // Statement `number` has started.
    void Line(int number) noexcept { line_ = number; }
    // The statement number an error logged now would name.
    int LastLine() const noexcept { return line_; }

    const QString& procedure() const noexcept { return procedure_; }
    QString location() const;

    // The error line for a given error at the current statement number.
    QString Message(const RunTimeError& error) const;
    QString Message(long number, const QString& description) const;

    // Inside a catch block: the trapped error, without logging it.
    RunTimeError Error() const noexcept { return CurrentRunTimeError(); }
    // Inside a catch block: logs the trapped error and returns it.
    RunTimeError Log() const noexcept;
    // Logs a given error (for callers that caught it themselves).
    void Log(const RunTimeError& error) const noexcept;

private:
    QString procedure_;
    ObjectKind kind_;
    QString objectName_;
    bool atTime_;
    int line_ = 0;
};

// The usual error tail around a procedure's body: body(trap) numbers its
// statements on the trap and gives the result; an error anywhere in it is
// logged once and gives `failed`.
template <typename Result, typename Body>
Result Trapped(ErrorTrap trap, Result failed, Body body)
{
    try {
        return body(trap);
    } catch (...) {
        trap.Log();
        return failed;
    }
}

// The traps of one object's procedures, naming the object once (atTime
// false leaves " at time" off its lines).
class ProcedureTraps {
public:
    ProcedureTraps(ObjectKind kind, QString objectName, bool atTime = true)
        : kind_(kind), objectName_(std::move(objectName)), atTime_(atTime)
    {
    }

    ErrorTrap operator()(const QString& procedure) const { return ErrorTrap(procedure, kind_, objectName_, atTime_); }
    ErrorTrap operator()(const char* procedure) const { return (*this)(QString::fromLatin1(procedure)); }

private:
    ObjectKind kind_;
    QString objectName_;
    bool atTime_;
};
