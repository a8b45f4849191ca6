#include "cli/command_line_run.h"

#include "cli/command_line_windows.h"
#include "cli/folder_entries.h"
#include "cli/item_parts.h"
#include "operations/file_pattern.h"
#include "operations/m_temp_file.h"
#include "operations/mod_general.h"
#include "operations/typed_number.h"
#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/private_folder.h"
#include "platform/safe_file/staged_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>

namespace {

const QString kModule = QStringLiteral("modMaster");
const QString kCrLf = QStringLiteral("\r\n");

// The file's name up to its last "." (the whole name when it has none).
QString Stem(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The 0-based page index of an engine page file name ("page" & index &
// ext, without regard to case); -1 for any other name. The engine numbers
// pages without a limit of digits.
std::int32_t EnginePageIndex(const QString& name, const QString& ext)
{
    static const QLatin1String kPage("page");
    if (name.size() <= kPage.size() + ext.size() || !name.startsWith(kPage, Qt::CaseInsensitive)
        || !name.endsWith(ext, Qt::CaseInsensitive))
        return -1;
    const QStringView digits = QStringView(name).mid(kPage.size(), name.size() - kPage.size() - ext.size());
    std::int64_t index = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        index = index * 10 + (c.unicode() - '0');
        if (index > std::numeric_limits<std::int32_t>::max())
            return -1;
    }
    return static_cast<std::int32_t>(index);
}

std::pair<dev_t, ino_t> Key(const safe_file::FileIdentity& id)
{
    return {id.device, id.inode};
}

// Says on standard error why the operation on `path` failed, when the
// facade knows (the error log has it too): the result names the file only.
void SayWhyItFailed(const TiffPdfCommands& facade, const QString& path)
{
    if (!facade.LastFailureReason().isEmpty())
        WriteReport({stderr, (QStringLiteral("VelmoraCMD: ") + path + QStringLiteral(": ") + facade.LastFailureReason()
                              + QLatin1Char('\n'))
                                 .toUtf8()});
}

} // namespace

CommandLineRun::CommandLineRun(ModMaster& master, ErrorTrap& mainTrap)
    : master_(master), state_(master.State()), trap_(mainTrap)
{
}

void CommandLineRun::Run(const QString& operationSwitch)
{
    folderInput_ = master_.GetInputSwitch() == QLatin1String("/d ");
    if (operationSwitch == QLatin1String(" /a "))
        RunInsert();
    else if (operationSwitch == QLatin1String(" /o "))
        RunOutput();
    else
        RunDelete();
}

QString CommandLineRun::UnreachedLines(const QString& prefix) const
{
    QString lines;
    for (const QStringList* paths : {&unreachableFiles_, &unscannedFolders_}) {
        for (const QString& path : *paths)
            lines += prefix + path + kCrLf;
    }
    return lines;
}

qsizetype CommandLineRun::FilesFound() const
{
    return facade_.colOrderedData.size() + unreachableFiles_.size();
}

void CommandLineRun::AddSourceFile(const QString& path)
{
    const safe_file::FileIdentity id = safe_file::IdentityOf(Native(path));
    if (id.exists)
        sourceFiles_.insert(Key(id));
}

bool CommandLineRun::IsSourceFile(const QString& path) const
{
    // The entry a new file would replace: the final link, if any, is
    // replaced as a name and leaves its target alone.
    const safe_file::FileIdentity id = safe_file::EntryIdentityOf(Native(path));
    return id.exists && sourceFiles_.count(Key(id)) > 0;
}

QString CommandLineRun::NamePrefix(const QString& sourceFileName, bool forceSourcePrefix) const
{
    if (!forceSourcePrefix && !state_.NameBase.isEmpty())
        return state_.NameBase + state_.NameSeparator;
    return Stem(sourceFileName) + state_.NameSeparator;
}

void CommandLineRun::RunDelete()
{
    QString failures;
    trap_.Line(200);
    if (folderInput_) {
        std::int32_t count = 0;
        LoadFilesFolder(master_.InputItem(state_.InputList.value(0), false), facade_, false, count);
        trap_.Line(210);
        for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
            const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
            if (!facade_.DeleteTiffPage(path, ToInteger(state_.DeletePageNumber))) {
                failures += path + kCrLf;
                SayWhyItFailed(facade_, path);
            }
        }
        failures += UnreachedLines(QString());
    } else {
        trap_.Line(220);
        for (const QString& rawItem : std::as_const(state_.InputList)) {
            const QString item = master_.InputItem(rawItem, true);
            const QString path = PathPart(item);
            std::int32_t page = state_.DeletePageNumber;
            if (item.contains(QLatin1Char('?')))
                page = ToLongRounding(NumberPart(item));
            trap_.Line(230);
            if (!facade_.DeleteTiffPage(path, ToInteger(page))) {
                failures += path + kCrLf;
                SayWhyItFailed(facade_, path);
            }
        }
    }
    trap_.Line(240);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty() ? QStringLiteral("successfully deleted pages from file.")
                                              : QStringLiteral("Wrong page no in Following files.") + kCrLf + failures;
}

void CommandLineRun::RunInsert()
{
    QString failures;
    trap_.Line(300);
    // The position typed after the file whose pages are inserted; -1 counts
    // as no position.
    std::int32_t sourcePosition = -1;
    const QString argument = master_.OperationArgument(QStringLiteral(" /a "));
    if (argument.contains(QLatin1Char('?')))
        sourcePosition = ToLongRounding(NumberPart(argument));
    const bool hasSourcePosition = sourcePosition != -1;

    auto insertInto = [&](const QString& path, std::int16_t position) {
        trap_.Line(340);
        if (!facade_.AppendFileTiffFile(path, state_.AppendSource, position)) {
            failures += path + kCrLf;
            SayWhyItFailed(facade_, path);
        }
    };

    if (folderInput_) {
        trap_.Line(310);
        std::int32_t count = 0;
        LoadFilesFolder(master_.InputItem(state_.InputList.value(0), false), facade_, true, count);
        for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
            const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
            if (!hasSourcePosition && rec.PageCount() < 0) {
                failures += path + kCrLf;
                continue;
            }
            trap_.Line(315);
            insertInto(path, ToInteger(hasSourcePosition ? sourcePosition : std::int64_t{rec.PageCount()} + 1));
        }
        failures += UnreachedLines(QString());
    } else {
        trap_.Line(320);
        for (const QString& rawItem : std::as_const(state_.InputList)) {
            const QString item = master_.InputItem(rawItem, true);
            const QString path = PathPart(item);
            std::int16_t position;
            if (item.contains(QLatin1Char('?'))) {
                trap_.Line(330);
                position = ToInteger(std::int64_t{ToLongRounding(NumberPart(item))} + 1);
            } else if (hasSourcePosition) {
                trap_.Line(333);
                position = ToInteger(sourcePosition);
            } else {
                trap_.Line(335);
                const std::int32_t pages = state_.CountPages(path, kAllPages);
                if (pages < 0) {
                    failures += path + kCrLf;
                    continue;
                }
                position = ToInteger(std::int64_t{pages} + 1);
            }
            insertInto(path, position);
        }
    }
    trap_.Line(350);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty()
                               ? QStringLiteral("File has been successfully appended.")
                               : QStringLiteral("Following files could not be Appended.") + kCrLf + failures;
}

void CommandLineRun::RunOutput()
{
    trap_.Line(400);
    const QString argument = master_.OperationArgument(QStringLiteral(" /o "));
    const bool hasMark = argument.contains(QLatin1Char('?'));
    const QString r = NumberPart(argument);
    const bool isRange = hasMark && r.contains(QLatin1Char('-'));
    const bool isSplit = hasMark && !isRange;
    std::int32_t first = -1;
    std::int32_t last = -1;
    std::int32_t splitPage = 0;
    trap_.Line(410);
    if (isRange) {
        const QStringList parts = r.split(QLatin1Char('-'));
        first = ToLongRounding(parts.value(0));
        last = ToLongRounding(parts.value(1));
    } else if (isSplit) {
        splitPage = ToLongRounding(r);
    }

    if (!folderInput_) {
        trap_.Line(420);
        const QString path = master_.InputItem(state_.InputList.value(0), false);
        AddSourceFile(path);
        const QString fileName = GetFileNameFromPath(path);
        bool ok;
        if (isSplit)
            ok = SplitOne(path, ToInteger(splitPage), NamePrefix(fileName, false));
        else
            ok = ExtractOne(path, fileName, isRange, first, last, false);
        FinishExtractFolder();
        trap_.Line(430);
        master_.anyFileFailed_ = !ok;
        state_.ResultMessage =
            ok ? QStringLiteral("Successfully extracted all pages.") : QStringLiteral("Error in spliting file.");
        return;
    }

    trap_.Line(440);
    std::int32_t count = 0;
    LoadFilesFolder(master_.InputItem(state_.InputList.value(0), false), facade_, true, count);
    for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData))
        AddSourceFile(ValidateDir(rec.FileLocation()) + rec.FileName());
    const bool severalFiles = FilesFound() > 1;

    QString failures;
    for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
        trap_.Line(450);
        const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
        bool ok;
        if (isSplit)
            ok = SplitOne(path, ToInteger(splitPage), Stem(rec.FileName()));
        else
            ok = ExtractOne(path, rec.FileName(), isRange, first, last, severalFiles);
        if (!ok)
            failures += QStringLiteral("Error : ") + path + kCrLf;
    }
    failures += UnreachedLines(QStringLiteral("Error : "));
    FinishExtractFolder();
    trap_.Line(460);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty() ? QStringLiteral("Successfully extracted all pages.")
                                              : QStringLiteral("Following files couldn't splited.") + kCrLf + failures;
}

bool CommandLineRun::SplitOne(const QString& path, std::int16_t page, const QString& prefix)
{
    const QString folder = ValidateDir(state_.OutputArgument);
    // The two parts must never take the place of a file this run reads.
    if (IsSourceFile(folder + prefix + QStringLiteral("1.tif"))
        || IsSourceFile(folder + prefix + QStringLiteral("2.tif")))
        return false;
    const bool split = facade_.SplitTiffFiles(path, page, state_.OutputArgument, prefix);
    if (!split)
        SayWhyItFailed(facade_, path);
    return split;
}

void CommandLineRun::FinishExtractFolder()
{
    // Empty by now (a file that left pages in it had it kept already), so
    // it goes; anything else put there stays in a kept folder.
    if (extractFolder_)
        extractFolder_->Finish();
    extractFolder_.reset();
}

bool CommandLineRun::ExtractOne(const QString& path, const QString& fileName, bool range, std::int32_t first,
                                std::int32_t last, bool forceSourcePrefix)
{
    // The engine names its page files page<index>.tif. Writing them into a
    // private folder keeps them from replacing a user's own files of those
    // names; the renaming then moves them into the output folder. Pages that
    // find no final name join the output folder under the engine's names
    // (never over a file), or stay in a kept folder: none is ever deleted.
    // One folder serves the files of the run one after another, each
    // finding it empty.
    if (!extractFolder_) {
        extractFolder_.emplace(Native(state_.OutputArgument));
        if (!extractFolder_->Valid()) {
            trap_.Log(SystemError(extractFolder_->Error()));
            extractFolder_.reset();
            return false;
        }
    }
    safe_file::PrivateFolder& extractFolder = *extractFolder_;
    const QString extractPath = QFile::decodeName(QByteArray::fromStdString(extractFolder.Path()));
    bool ok;
    if (range) {
        ok = facade_.ExtractTIFFpagesbyRange(path, ToInteger(first - 1), ToInteger(last - 1), extractPath);
    } else {
        ok = facade_.ExtractAllTIFFpages(path, extractPath);
    }
    if (!ok)
        SayWhyItFailed(facade_, path);
    // The pages written are renamed also when another page failed. Every
    // page the engine wrote gets its final name whatever the count, so the
    // file need not be read again to count its pages.
    bool emptied = false;
    if (!RenamePageFiles(QStringLiteral(".tif"), 0, state_.OutputArgument, fileName,
                         range ? ToInteger(first) : std::int16_t(-1), range ? ToInteger(last) : std::int16_t(-1),
                         forceSourcePrefix, extractPath, &emptied))
        ok = false;
    if (!emptied && !extractFolder.ReleaseLeftovers()) {
        // Pages that could go nowhere: the folder is kept with them.
        ok = false;
        extractFolder.Finish();
        extractFolder_.reset();
    }
    return ok;
}

bool CommandLineRun::RenamePageFiles(const QString& ext, std::int32_t /*pageCount*/, const QString& outputFolder,
                                     const QString& sourceFileName, std::int16_t first, std::int16_t last,
                                     bool forceSourcePrefix, const QString& extractFolder, bool* emptied)
{
    if (emptied)
        *emptied = false;
    ErrorTrap trap(QStringLiteral("RenamePageFiles"), ObjectKind::Module, kModule);
    try {
        trap.Line(10);
        const QString d = ValidateDir(outputFolder);
        const QString prefix = NamePrefix(sourceFileName, forceSourcePrefix);
        // Every page file the engine wrote, by 0-based index, found without
        // regard to case. All of them get their final names, also when the
        // counter saw fewer pages (or could not count the file).
        std::map<std::int32_t, QString> extracted;
        const std::optional<std::vector<FolderEntry>> entries = ListFolderEntries(extractFolder);
        if (!entries)
            return false;
        // Whether every entry leaves the folder.
        bool allTaken = true;
        for (const FolderEntry& entry : *entries) {
            const std::int32_t index = EnginePageIndex(entry.name, ext);
            if (entry.kind == FolderEntry::Kind::File && entry.reachable && index >= 0)
                extracted.emplace(index, entry.name);
            else
                allTaken = false;
        }
        const bool allPages = first == -1 && last == -1;

        bool allMoved = true;
        for (const auto& [k, name] : extracted) {
            trap.Line(20);
            if (!allPages && (k < first - 1 || k > last - 1)) {
                allTaken = false;
                continue;
            }
            const QString target = d + prefix + QString::number(static_cast<qint64>(k) + 1) + ext;
            const std::string page = Native(ValidateDir(extractFolder) + name);
            // A free name can be no source file and replaces nothing: the
            // page simply takes it. A taken one goes by the rules.
            if (safe_file::PlaceFileIfFree(page, Native(target)))
                continue;
            if (IsSourceFile(target)) {
                allMoved = false;
                continue;
            }
            trap.Line(30);
            int error = 0;
            if (!safe_file::PlaceFile(page, Native(target), error)) {
                trap.Log(SystemError(error));
                allMoved = false;
            }
        }
        if (emptied)
            *emptied = allTaken && allMoved;
        return allMoved;
    } catch (...) {
        return false;
    }
}

void CommandLineRun::LoadFilesFolder(const QString& folder, TiffPdfCommands& facade, bool keepPageCounts,
                                     std::int32_t& fileCount)
{
    QSet<QString> visited;
    ScanFolder(folder, facade, keepPageCounts, fileCount, visited);
}

void CommandLineRun::ScanFolder(const QString& folder, TiffPdfCommands& facade, bool keepPageCounts,
                                std::int32_t& fileCount, QSet<QString>& visited)
{
    ErrorTrap trap(QStringLiteral("LoadFilesFolder"), ObjectKind::Module, kModule);
    QStringList subfolders;
    try {
        trap.Line(10);
        static const QStringList patterns{QStringLiteral("*.tiff"), QStringLiteral("*.tif")};
        const QDir dir(folder);
        if (!dir.exists())
            throw RunTimeError(rterr::PathNotFound);
        const QString canonical = dir.canonicalPath();
        if (visited.contains(canonical))
            return;
        visited.insert(canonical);

        trap.Line(20);
        const QString location = dir.absolutePath();
        const std::optional<std::vector<FolderEntry>> entries = ListFolderEntries(location);
        if (!entries)
            throw RunTimeError(rterr::PathNotFound);
        for (const FolderEntry& entry : *entries) {
            trap.Line(30);
            // Regular files only: a named pipe or a device called *.tif
            // would block the page engine that opens it.
            if (entry.kind != FolderEntry::Kind::File || !IsFileMatchWithFilterPattern(entry.name, patterns))
                continue;
            ++fileCount;
            const QString path = ValidateDir(location) + entry.name;
            if (!entry.reachable) {
                // Its name is no text, so no operation can reach it: the
                // run reports it as failed rather than pass over it.
                unreachableFiles_ << path;
                continue;
            }
            clsColSetOrderGrid rec;
            rec.FileName(entry.name);
            rec.FileLocation(location);
            rec.FileExt(GetFileExt(entry.name));
            trap.Line(40);
            const std::int32_t pages = state_.CountPages(path, kAllPages);
            rec.PageCount(keepPageCounts ? pages : 0);
            facade.colOrderedData.append(rec);
        }
        trap.Line(50);
        if (state_.RecurseSubfolders) {
            for (const FolderEntry& entry : *entries) {
                if (entry.kind != FolderEntry::Kind::Folder)
                    continue;
                trap.Line(60);
                if (!entry.reachable) {
                    // Nothing in it can be reached: a folder that cannot
                    // be scanned.
                    trap.Log(RunTimeError(rterr::PathNotFound));
                    unscannedFolders_ << ValidateDir(location) + entry.name;
                    continue;
                }
                subfolders << ValidateDir(location) + entry.name;
            }
        }
    } catch (...) {
        trap.Log();
        // The run goes on with the other folders; this one is reported
        // with the failed files, since what it holds was not reached.
        unscannedFolders_ << QDir(folder).absolutePath();
        return;
    }
    for (const QString& sub : std::as_const(subfolders))
        ScanFolder(sub, facade, keepPageCounts, fileCount, visited);
}
