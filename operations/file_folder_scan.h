#pragma once
// FileFolderScan: existence tests and folder creation.
//
// The existence tests look at the one name they are given: "*" and "?"
// are characters of that name, never wildcards.

#include <QString>

// True when path (not blank) names an existing regular file (or a link to
// one): folders, named pipes, sockets and devices are not files here.
// Never fails.
bool FileExistsByFind(const QString& path);

// True when path (not blank) names an existing entry, file or folder. One
// trailing "/" is removed from the caller's variable first (the change is
// visible to the caller). Never fails.
bool FolderExistsByFind(QString& path);

// True exactly when MakeSurePath(path) is.
bool CreateFolderPath(const QString& path) noexcept;

// Creates every missing folder of path (parents first); true when the whole
// path then exists as folders. Errors give false.
bool MakeSurePath(const QString& path) noexcept;
