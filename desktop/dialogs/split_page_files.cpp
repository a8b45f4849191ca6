#include "desktop/dialogs/split_page_files.h"

#include "operations/m_temp_file.h"
#include "platform/runtime/run_time_error.h"
#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/staged_file.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string>

namespace {

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString FolderOf(const QString& outputFolder)
{
    QString base = outputFolder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

} // namespace

SplitExtractionFolder::SplitExtractionFolder(const QString& outputFolder) : folder_(Native(FolderOf(outputFolder)))
{
    if (folder_.Valid())
        path_ = QFile::decodeName(QByteArray::fromStdString(folder_.Path()));
}

QString SplitExtractionFolder::PageFile(long long k) const
{
    return path_ + QStringLiteral("/page") + QString::number(k) + QStringLiteral(".tif");
}

int SplitExtractionFolder::FileCount() const
{
    return static_cast<int>(folder_.FileCount());
}

QStringList SplitExtractionFolder::ReleaseLeftovers()
{
    if (!IsValid())
        return {};
    const auto entries = [this] {
        QDir dir(path_);
        QCollator byNumber;
        byNumber.setNumericMode(true);
        QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
        std::sort(names.begin(), names.end(), byNumber);
        return names;
    };
    const QStringList before = entries();
    if (before.isEmpty())
        return {};
    folder_.ReleaseLeftovers();
    const QStringList after = entries();
    QStringList moved;
    for (const QString& name : before)
        if (!after.contains(name))
            moved << name;
    return moved;
}

QString SplitExtractionFolder::Finish()
{
    return QFile::decodeName(QByteArray::fromStdString(folder_.Finish()));
}

bool IsOneOf(const QString& path, const QStringList& files)
{
    const safe_file::FileIdentity entry = safe_file::EntryIdentityOf(Native(path));
    if (!entry.exists)
        return false;
    for (const QString& file : files)
        if (safe_file::SameFile(entry, safe_file::IdentityOf(Native(file))))
            return true;
    return false;
}

PlaceOutcome PlacePageFile(const QString& page, const QString& target, bool replace, const QStringList& protectedFiles)
{
    if (!QFileInfo(page).isFile())
        return PlaceOutcome::Missing;
    if (safe_file::EntryIdentityOf(Native(target)).exists && (!replace || IsOneOf(target, protectedFiles))) {
        if (!QFile::remove(page))
            throw RunTimeError(rterr::PathFileAccessError);
        return replace ? PlaceOutcome::SourceProtected : PlaceOutcome::KeptExisting;
    }
    int error = 0;
    if (!safe_file::PlaceFile(Native(page), Native(target), error))
        throw SystemError(error);
    return PlaceOutcome::Moved;
}
