#include "desktop/dialogs/split_page_files.h"

#include "platform/runtime/run_time_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool Exists(const QString& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(FsPath(path), ec));
}

} // namespace

SplitExtractionFolder::SplitExtractionFolder(const QString& outputFolder)
{
    QString base = outputFolder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base.isEmpty() || !QFileInfo(base).isDir())
        return;
    QTemporaryDir dir(base + QStringLiteral("/velmora-split-XXXXXX"));
    if (!dir.isValid())
        return;
    dir.setAutoRemove(false);
    path_ = dir.path();
}

SplitExtractionFolder::~SplitExtractionFolder()
{
    if (!path_.isEmpty())
        QDir().rmdir(path_); // only succeeds when nothing is left in it
}

QString SplitExtractionFolder::PageFile(long long k) const
{
    return path_ + QStringLiteral("/page") + QString::number(k) + QStringLiteral(".tif");
}

int SplitExtractionFolder::FileCount() const
{
    if (path_.isEmpty())
        return 0;
    return static_cast<int>(QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
}

bool SplitExtractionFolder::ReleaseLeftovers(const QString& outputFolder) const
{
    if (path_.isEmpty())
        return true;
    QString out = outputFolder;
    if (!out.endsWith(QLatin1Char('/')))
        out += QLatin1Char('/');
    const QStringList names =
        QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    bool all = true;
    for (const QString& name : names) {
        // QFile::rename never replaces an existing file.
        if (!QFile::rename(path_ + QLatin1Char('/') + name, out + name))
            all = false;
    }
    return all;
}

bool IsOneOf(const QString& path, const QStringList& files)
{
    std::error_code ec;
    const std::filesystem::path p = FsPath(path);
    if (!std::filesystem::exists(p, ec))
        return false;
    for (const QString& file : files) {
        std::error_code ec2;
        if (std::filesystem::equivalent(p, FsPath(file), ec2) && !ec2)
            return true;
    }
    return false;
}

PlaceOutcome PlacePageFile(const QString& page, const QString& target, bool replace,
                           const QStringList& protectedFiles)
{
    if (!QFileInfo(page).isFile())
        return PlaceOutcome::Missing;
    if (Exists(target)) {
        if (!replace || IsOneOf(target, protectedFiles)) {
            if (!QFile::remove(page))
                throw RunTimeError(75);
            return replace ? PlaceOutcome::SourceProtected : PlaceOutcome::KeptExisting;
        }
        // rename() puts the page in place of the old file in one step.
        std::error_code ec;
        std::filesystem::rename(FsPath(page), FsPath(target), ec);
        if (ec)
            throw RunTimeError(75);
        return PlaceOutcome::Moved;
    }
    if (!QFile::rename(page, target))
        throw RunTimeError(75);
    return PlaceOutcome::Moved;
}
