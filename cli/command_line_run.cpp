#include "cli/command_line_run.h"

#include "cli/command_line_windows.h"
#include "cli/folder_entries.h"
#include "cli/item_parts.h"
#include "operations/file_pattern.h"
#include "operations/mod_general.h"
#include "operations/system_error.h"
#include "operations/typed_number.h"
#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/page_placement.h"
#include "platform/safe_file/private_folder.h"
#include "platform/safe_file/run_mark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const QString kModule = QStringLiteral("modMaster");
const ProcedureTraps Trap(ObjectKind::Module, kModule);
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

// Says on standard error why the operation on `path` failed, when the
// facade knows (the error log has it too): the result names the file only.
void SayWhy(const QString& path, const QString& reason)
{
    if (!reason.isEmpty())
        WriteReport(
            {stderr,
             (QStringLiteral("VelmoraCMD: ") + path + QStringLiteral(": ") + reason + QLatin1Char('\n')).toUtf8()});
}

void SayWhyItFailed(const TiffPdfCommands& facade, const QString& path)
{
    SayWhy(path, facade.LastFailureReason());
}

// A copy of `path` in the temporary folder, removed when it goes; empty
// (with `error`, an errno value, set) when it could not be made whole.
std::unique_ptr<QTemporaryFile> SnapshotOf(const QString& path, int& error)
{
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        error = ENOENT;
        return nullptr;
    }
    auto copy = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/velmora-pages-XXXXXX.tif"));
    const int source = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        error = errno;
        return nullptr;
    }
    error = copy->open() && !copy->fileName().isEmpty() ? 0 : EIO;
    std::vector<char> block(1 << 20);
    while (error == 0) {
        const ssize_t got = ::read(source, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; error == 0 && done < got;) {
            const ssize_t put = ::write(copy->handle(), block.data() + done, static_cast<std::size_t>(got - done));
            if (put > 0)
                done += put;
            else if (put < 0 && errno != EINTR)
                error = errno;
        }
    }
    ::close(source);
    if (error != 0)
        return nullptr;
    return copy;
}

QString PagesMissing(std::int64_t missing)
{
    return missing == 1 ? QStringLiteral("1 page missing")
                        : QStringLiteral("%1 pages missing").arg(static_cast<qint64>(missing));
}

} // namespace

CommandLineRun::CommandLineRun(ModMaster& master, ErrorTrap& mainTrap)
    : master_(master), state_(master.State()), trap_(mainTrap)
{
}

void CommandLineRun::Run(PageOperation operation)
{
    folderInput_ = master_.GetInputSwitch() == QLatin1String("/d ");
    switch (operation) {
    case PageOperation::Insert: RunInsert(); break;
    case PageOperation::Output: RunOutput(); break;
    case PageOperation::Delete: RunDelete(); break;
    }
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
    if (id.exists && !IsSource(id))
        placeRule_.sources.push_back(id);
}

bool CommandLineRun::IsSourceFile(const QString& path) const
{
    // The entry a new file would replace: the final link, if any, is
    // replaced as a name and leaves its target alone.
    return IsSource(safe_file::EntryIdentityOf(Native(path)));
}

bool CommandLineRun::IsSource(const safe_file::FileIdentity& id) const
{
    return id.exists
           && std::any_of(placeRule_.sources.begin(), placeRule_.sources.end(),
                          [&id](const safe_file::FileIdentity& s) { return safe_file::SameFile(id, s); });
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
    trap_.Line(300);
    // The position typed after the file whose pages are inserted; -1 counts
    // as no position.
    std::int32_t sourcePosition = -1;
    const QString argument = master_.OperationArgument(PageOperation::Insert);
    if (argument.contains(QLatin1Char('?')))
        sourcePosition = ToLongRounding(NumberPart(argument));
    const bool hasSourcePosition = sourcePosition != -1;

    // Every file is given the pages file's pages as they were when the run
    // began: a target that is the pages file itself (however its path is
    // spelt) is worked on after all the others. The failures are listed
    // in the order of the files.
    const safe_file::FileIdentity pagesFile = safe_file::IdentityOf(Native(state_.AppendSource));
    auto isPagesFile = [&pagesFile](const QString& path) {
        return safe_file::SameFile(safe_file::IdentityOf(Native(path)), pagesFile);
    };
    std::vector<QString> failed;
    std::vector<std::function<void()>> itself;
    QString source = state_.AppendSource;
    auto insertInto = [&](std::size_t at, const QString& path, std::int16_t position) {
        trap_.Line(340);
        if (source.isEmpty()) {
            failed[at] = path + kCrLf;
            return;
        }
        if (!facade_.AppendFileTiffFile(path, source, position)) {
            failed[at] = path + kCrLf;
            SayWhyItFailed(facade_, path);
        }
    };

    if (folderInput_) {
        trap_.Line(310);
        std::int32_t count = 0;
        LoadFilesFolder(master_.InputItem(state_.InputList.value(0), false), facade_, true, count);
        failed.resize(static_cast<std::size_t>(facade_.colOrderedData.size()));
        std::size_t at = 0;
        for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
            const std::size_t index = at++;
            const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
            const std::int32_t pages = rec.PageCount();
            auto insert = [&, index, path, pages] {
                if (!hasSourcePosition && pages < 0) {
                    failed[index] = path + kCrLf;
                    return;
                }
                trap_.Line(315);
                insertInto(index, path, ToInteger(hasSourcePosition ? sourcePosition : std::int64_t{pages} + 1));
            };
            if (isPagesFile(path))
                itself.push_back(insert);
            else
                insert();
        }
    } else {
        trap_.Line(320);
        failed.resize(static_cast<std::size_t>(state_.InputList.size()));
        std::size_t at = 0;
        for (const QString& rawItem : std::as_const(state_.InputList)) {
            const std::size_t index = at++;
            const QString item = master_.InputItem(rawItem, true);
            const QString path = PathPart(item);
            auto insert = [&, index, item, path] {
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
                        failed[index] = path + kCrLf;
                        return;
                    }
                    position = ToInteger(std::int64_t{pages} + 1);
                }
                insertInto(index, path, position);
            };
            if (isPagesFile(path))
                itself.push_back(insert);
            else
                insert();
        }
    }
    // The pages file reached more than once (listed twice, or under another
    // name of it) is changed by the first of those: the others get a copy
    // of it as it was.
    std::unique_ptr<QTemporaryFile> snapshot;
    if (itself.size() > 1) {
        trap_.Line(345);
        int error = 0;
        snapshot = SnapshotOf(state_.AppendSource, error);
        if (!snapshot) {
            const RunTimeError failure = SystemError(error);
            trap_.Log(failure);
            SayWhy(state_.AppendSource,
                   QStringLiteral("not copied for the files that are the pages file: ") + failure.description());
        }
    }
    for (std::size_t i = 0; i < itself.size(); ++i) {
        if (i == 1)
            source = snapshot ? snapshot->fileName() : QString();
        itself[i]();
    }
    QString failures;
    for (const QString& line : failed)
        failures += line;
    if (folderInput_)
        failures += UnreachedLines(QString());
    trap_.Line(350);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty()
                               ? QStringLiteral("File has been successfully appended.")
                               : QStringLiteral("Following files could not be Appended.") + kCrLf + failures;
}

void CommandLineRun::RunOutput()
{
    trap_.Line(400);
    const QString argument = master_.OperationArgument(PageOperation::Output);
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
    // The pages the engine will write: those of the file (up to the range's
    // end) as the engine's own walk of the chain counts them just before;
    // a folder scan's count may be stale by now.
    const std::int32_t pages = state_.CountPages(path, range ? last : kAllPages);
    bool ok;
    if (range) {
        ok = facade_.ExtractTIFFpagesbyRange(path, ToInteger(first - 1), ToInteger(last - 1), extractPath);
    } else {
        ok = facade_.ExtractAllTIFFpages(path, extractPath);
    }
    if (!ok) {
        // The engine writes by path: a folder moved away fails it for a
        // reason that is not the input file's.
        if (extractFolder.AtItsPath())
            SayWhyItFailed(facade_, path);
        else
            SayWhy(state_.OutputArgument, QStringLiteral("the folder was moved or removed while pages were written"));
    }
    // The pages written are renamed also when another page failed.
    std::int64_t missing = 0;
    if (!RenamePageFiles(QStringLiteral(".tif"), pages, state_.OutputArgument, fileName,
                         range ? ToInteger(first) : std::int16_t(-1), range ? ToInteger(last) : std::int16_t(-1),
                         forceSourcePrefix, extractFolder, &missing)) {
        // Pages the engine reported written but that are gone (taken away
        // meanwhile): said here, as the engine said nothing.
        if (ok && missing > 0)
            SayWhy(path, PagesMissing(missing));
        ok = false;
    }
    if (!extractFolder.ReleaseLeftovers()) {
        // Pages that could go nowhere: the folder is kept with them.
        ok = false;
        extractFolder.Finish();
        extractFolder_.reset();
    }
    return ok;
}

bool CommandLineRun::RenamePageFiles(const QString& ext, std::int32_t pageCount, const QString& /*outputFolder*/,
                                     const QString& sourceFileName, std::int16_t first, std::int16_t last,
                                     bool forceSourcePrefix, safe_file::PrivateFolder& extractFolder,
                                     std::int64_t* missing)
{
    if (missing)
        *missing = 0;
    ErrorTrap trap = Trap("RenamePageFiles");
    try {
        trap.Line(10);
        const QString prefix = NamePrefix(sourceFileName, forceSourcePrefix);
        const bool allPages = first == -1 && last == -1;
        // Every page file the engine wrote in the range gets its final
        // name, also past the count; a page of the count that is not there
        // fails the file. A final name that is one of the run's sources is
        // never replaced, and a page that finds no name stays where it is.
        trap.Line(20);
        const safe_file::PagePlacement placed = safe_file::PlacePages(
            extractFolder, allPages ? 0 : std::int64_t{first} - 1,
            allPages ? safe_file::kLastPage : std::int64_t{last} - 1, pageCount,
            [&](std::int64_t k) { return Native(prefix + QString::number(static_cast<qint64>(k) + 1) + ext); },
            placeRule_);
        if (placed.failed > 0) {
            trap.Line(30);
            trap.Log(SystemError(placed.error));
        }
        if (placed.missing > 0) {
            trap.Line(40);
            trap.Log(RunTimeError(rterr::FileNotFound, PagesMissing(placed.missing)));
        }
        if (missing)
            *missing = placed.missing;
        return placed.Complete();
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
    ErrorTrap trap = Trap("LoadFilesFolder");
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
                // A run's private folder (live, or left by a killed run)
                // holds no input.
                if (safe_file::IsRunFolder(Native(ValidateDir(location) + entry.name)))
                    continue;
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
