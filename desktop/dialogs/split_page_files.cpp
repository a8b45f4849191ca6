#include "desktop/dialogs/split_page_files.h"

#include "operations/system_error.h"
#include "platform/safe_file/file_identity.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

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

// Dropped pages and kept files, and no page named after a refused move:
// the desktop rule.
safe_file::PlaceRule Rule(bool replace, const ProtectedFiles& protectedFiles)
{
    safe_file::PlaceRule rule;
    rule.replace = replace;
    rule.dropKeptOut = true;
    rule.stopAtFailure = true;
    rule.sources = protectedFiles;
    return rule;
}

} // namespace

ProtectedFiles IdentitiesOf(const QStringList& files)
{
    ProtectedFiles identities;
    for (const QString& file : files)
        identities.push_back(safe_file::IdentityOf(Native(file)));
    return identities;
}

SplitExtractionFolder::SplitExtractionFolder(const QString& outputFolder) : folder_(Native(FolderOf(outputFolder)))
{
    if (folder_.Valid())
        path_ = QFile::decodeName(QByteArray::fromStdString(folder_.Path()));
}

int SplitExtractionFolder::FileCount() const
{
    return static_cast<int>(folder_.FileCount());
}

PlaceOutcome SplitExtractionFolder::Place(const QString& name, const QString& target, bool replace,
                                          const ProtectedFiles& protectedFiles)
{
    int error = 0;
    switch (safe_file::PlaceOut(folder_, Native(name), Native(target), Rule(replace, protectedFiles), error)) {
    case safe_file::Placed::Missing: return PlaceOutcome::Missing;
    case safe_file::Placed::Moved: return PlaceOutcome::Moved;
    case safe_file::Placed::KeptOut: return PlaceOutcome::KeptExisting;
    case safe_file::Placed::SourceKept: return PlaceOutcome::SourceProtected;
    case safe_file::Placed::Failed: break;
    }
    throw SystemError(error);
}

safe_file::PagePlacement SplitExtractionFolder::PlacePages(long long first, long long last, long long engineCount,
                                                           const std::function<QString(long long)>& nameOf,
                                                           bool replace, const ProtectedFiles& protectedFiles)
{
    return safe_file::PlacePages(
        folder_, first, last, engineCount, [&nameOf](std::int64_t k) { return Native(nameOf(k)); },
        Rule(replace, protectedFiles));
}

QStringList SplitExtractionFolder::ReleaseLeftovers()
{
    std::vector<std::string> released;
    folder_.ReleaseLeftovers(&released);
    QStringList moved;
    for (const std::string& name : released)
        moved << QFile::decodeName(QByteArray::fromStdString(name));
    QCollator byNumber;
    byNumber.setNumericMode(true);
    std::sort(moved.begin(), moved.end(), byNumber);
    return moved;
}

QString SplitExtractionFolder::Finish()
{
    return QFile::decodeName(QByteArray::fromStdString(folder_.Finish()));
}

bool IsOneOf(const QString& path, const ProtectedFiles& files)
{
    const safe_file::FileIdentity entry = safe_file::EntryIdentityOf(Native(path));
    return entry.exists && std::any_of(files.begin(), files.end(), [&entry](const safe_file::FileIdentity& file) {
               return safe_file::SameFile(entry, file);
           });
}
