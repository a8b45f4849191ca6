#include "run_time_error.h"

#include <utility>

RunTimeError::RunTimeError(long number, QString description)
    : number_(number), description_(std::move(description)), utf8_(description_.toUtf8())
{
}

RunTimeError::RunTimeError(long number) : RunTimeError(number, StandardDescription(number))
{
}

QString RunTimeError::StandardDescription(long number)
{
    switch (number) {
    case rterr::InvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case rterr::Overflow: return QStringLiteral("Overflow");
    case rterr::OutOfMemory: return QStringLiteral("Out of memory");
    case rterr::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case rterr::DivisionByZero: return QStringLiteral("Division by zero");
    case rterr::TypeMismatch: return QStringLiteral("Type mismatch");
    case rterr::BadFileName: return QStringLiteral("Bad file name or number");
    case rterr::FileNotFound: return QStringLiteral("File not found");
    case rterr::DeviceIOError: return QStringLiteral("Device I/O error");
    case rterr::FileAlreadyExists: return QStringLiteral("File already exists");
    case rterr::DiskFull: return QStringLiteral("Disk full");
    case rterr::InputPastEndOfFile: return QStringLiteral("Input past end of file");
    case rterr::PermissionDenied: return QStringLiteral("Permission denied");
    case rterr::PathFileAccessError: return QStringLiteral("Path/File access error");
    case rterr::PathNotFound: return QStringLiteral("Path not found");
    case rterr::ObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case rterr::ObjectRequired: return QStringLiteral("Object required");
    case rterr::CantCreateObject: return QStringLiteral("ActiveX component can't create object");
    case rterr::ObjectDoesntSupport: return QStringLiteral("Object doesn't support this property or method");
    case rterr::AutomationError: return QStringLiteral("Automation error");
    case rterr::ArgumentNotOptional: return QStringLiteral("Argument not optional");
    case rterr::WrongArgumentCount: return QStringLiteral("Wrong number of arguments or invalid property assignment");
    default: return QString();
    }
}
