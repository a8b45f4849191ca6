#pragma once
// The run-time error that procedures raise and that error tails trap:
// a number and a description, as a late-bound caller sees them.

#include <QByteArray>
#include <QString>
#include <exception>

class RunTimeError : public std::exception {
public:
    RunTimeError(long number, QString description);
    // An error with the standard description of its number
    // (6 "Overflow", 13 "Type mismatch", 429, 438, ...).
    explicit RunTimeError(long number);

    long number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    // The standard description of a run-time error number; an empty text
    // for numbers without one.
    static QString StandardDescription(long number);

private:
    long number_;
    QString description_;
    QByteArray utf8_;
};

namespace rterr {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long OutOfMemory = 7;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long DivisionByZero = 11;
inline constexpr long TypeMismatch = 13;
inline constexpr long BadFileName = 52;
inline constexpr long FileNotFound = 53;
inline constexpr long DeviceIOError = 57;
inline constexpr long FileAlreadyExists = 58;
inline constexpr long DiskFull = 61;
inline constexpr long InputPastEndOfFile = 62;
inline constexpr long PermissionDenied = 70;
inline constexpr long PathFileAccessError = 75;
inline constexpr long PathNotFound = 76;
inline constexpr long ObjectNotSet = 91;
inline constexpr long InvalidFileFormat = 321;
inline constexpr long InvalidPropertyValue = 380;
inline constexpr long InvalidIndexValue = 381;
inline constexpr long ObjectRequired = 424;
inline constexpr long CantCreateObject = 429;
inline constexpr long ObjectDoesntSupport = 438;
inline constexpr long AutomationError = 440;
inline constexpr long ArgumentNotOptional = 449;
inline constexpr long WrongArgumentCount = 450;
inline constexpr long EntryPointNotFound = 453;
} // namespace rterr
