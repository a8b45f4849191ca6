#include "operations/file_folder_scan.h"

#include <QDir>
#include <QFileInfo>

bool FileExistsByFind(const QString& path)
{
    try {
        if (path.trimmed().isEmpty())
            return false;
        // Only regular files (or links to them) count: a named pipe or a
        // device would block whoever opens it to read.
        return QFileInfo(path).isFile();
    } catch (...) {
        return false;
    }
}

bool FolderExistsByFind(QString& path)
{
    try {
        if (path.trimmed().isEmpty())
            return false;
        // The root folder keeps its "/": without it no path would be left.
        if (path.endsWith(QLatin1Char('/')) && path.size() > 1)
            path.chop(1);
        // Any entry counts, files included (the test does not look at the
        // folder bit); a dangling link does not.
        return QFileInfo::exists(path);
    } catch (...) {
        return false;
    }
}

bool CreateFolderPath(const QString& path) noexcept
{
    return MakeSurePath(path);
}

bool MakeSurePath(const QString& path) noexcept
{
    try {
        if (path.isEmpty())
            return false;
        QString full = path;
        if (!full.endsWith(QLatin1Char('/')))
            full += QLatin1Char('/');
        if (!QDir().mkpath(full))
            return false;
        return QFileInfo(full).isDir();
    } catch (...) {
        return false;
    }
}
