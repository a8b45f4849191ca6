#pragma once
// The per-user storage folder shared by both programs, the start-up write
// test and the error log "Errors.Log".

#include <QString>

// Company name and application title, shared by both programs.
inline constexpr char16_t kCompanyName[] = u"Ostrana Technologies";
inline constexpr char16_t kApplicationTitle[] = u"Velmora 3.1";

// The storage folder without a trailing "/": the per-user data folder
// (GenericDataLocation) + "/Ostrana Technologies/Velmora 3.1". Empty until
// GetStorageFolder has run.
const QString& StorageFolder() noexcept;
// Sets the storage folder directly (start-up normally uses GetStorageFolder).
void SetStorageFolder(const QString& folder);

// Sets StorageFolder (re-reading the per-user data folder each time, so the
// XDG variables in force are honoured) and makes sure the folder exists with
// all its parents. True when it exists or was created. Never throws; shows
// "Unable to get file storage folder path" when the path cannot be built.
bool GetStorageFolder() noexcept;

// The notice shown when the write test fails.
QString WriteTestNoticeText();

// True when a file of that path can be created and written (a small
// name/value record is written); the file is deleted again. Anything but a
// regular file under that name (a link, a FIFO, a folder) fails the test.
// No log line. Never throws.
bool CanWriteFile(const QString& path) noexcept;

// Appends message + "- " + the local date and time and a line end to
// StorageFolder() + "/Errors.Log" in a single write to a file opened for
// appending and closed again. Any failure (no storage folder yet, no rights,
// disk full) loses the line silently. Never throws.
void LogError(const QString& message) noexcept;

// Appends `bytes` to a log file of the storage folder in one write,
// creating the file when missing. Never blocks and never follows a link:
// a link, FIFO, device or folder under the name is refused, and so is a
// file with more than one name (a hard link). 0, or the errno value of the
// failure.
int AppendToLogFile(const QString& path, const QByteArray& bytes) noexcept;

// The date-and-time text LogError appends: the locale's short date, a blank
// and its long time (without a time-zone name).
QString ErrorLogTimestamp();
