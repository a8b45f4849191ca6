#pragma once
// mTempFile: temporary-file helpers with their error text.

#include <QString>
#include <cstdint>

// The temporary-files folder with a trailing "/". Raises the system's
// error (SystemError: the error code bitwise Or 10000, description
// ApiErrorText) when the platform gives none.
QString GetTempDir();

// Creates a new, empty, uniquely named file "<first three characters of
// prefix>XXXXXX.tmp" in folder
// (GetTempDir() when empty) and returns its path. Raises the system's error
// (SystemError: the error code bitwise Or 10000, description ApiErrorText)
// when the file cannot be created.
QString MakeTempFileName(const QString& prefix, const QString& folder);

// The system's message text for an error code; empty when it has none.
QString ApiErrorText(std::int32_t errorCode);

// False on every platform.
bool IsWindowsNT() noexcept;
