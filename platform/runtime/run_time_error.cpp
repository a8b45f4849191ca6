#include "run_time_error.h"

#include <utility>

RunTimeError::RunTimeError(long number, QString description)
    : number_(number), description_(std::move(description)), utf8_(description_.toUtf8())
{
}

RunTimeError::RunTimeError(long number) : RunTimeError(number, StandardDescription(number)) {}

QString RunTimeError::StandardDescription(long number)
{
    switch (number) {
    case 5: return QStringLiteral("Invalid procedure call or argument");
    case 6: return QStringLiteral("Overflow");
    case 7: return QStringLiteral("Out of memory");
    case 9: return QStringLiteral("Subscript out of range");
    case 11: return QStringLiteral("Division by zero");
    case 13: return QStringLiteral("Type mismatch");
    case 52: return QStringLiteral("Bad file name or number");
    case 53: return QStringLiteral("File not found");
    case 57: return QStringLiteral("Device I/O error");
    case 58: return QStringLiteral("File already exists");
    case 61: return QStringLiteral("Disk full");
    case 62: return QStringLiteral("Input past end of file");
    case 70: return QStringLiteral("Permission denied");
    case 75: return QStringLiteral("Path/File access error");
    case 76: return QStringLiteral("Path not found");
    case 91: return QStringLiteral("Object variable or With block variable not set");
    case 424: return QStringLiteral("Object required");
    case 429: return QStringLiteral("ActiveX component can't create object");
    case 438: return QStringLiteral("Object doesn't support this property or method");
    case 440: return QStringLiteral("Automation error");
    case 449: return QStringLiteral("Argument not optional");
    case 450: return QStringLiteral("Wrong number of arguments or invalid property assignment");
    default: return QString();
    }
}
