#include "cli/command_line_run.h"

#include "cli/item_parts.h"
#include "cli/number_conversion.h"
#include "operations/file_pattern.h"
#include "operations/mod_general.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

const QString kModule = QStringLiteral("modMaster");
const QString kCrLf = QStringLiteral("\r\n");

// The file's name up to its last "." (the whole name when it has none).
QString Stem(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QString Identity(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Replaces `to` with `from` in one step (both in the same folder tree).
bool MoveReplacing(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdString()),
                            std::filesystem::path(to.toStdString()), ec);
    return !ec;
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

bool CommandLineRun::SingleFileRun() const
{
    return !folderInput_ || facade_.colOrderedData.size() == 1;
}

bool CommandLineRun::IsSourceFile(const QString& path) const
{
    return sourceFiles_.contains(Identity(path));
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
        LoadFilesFolder(state_.InputList.value(0).trimmed(), facade_, false, count);
        trap_.Line(210);
        for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
            const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
            if (!facade_.DeleteTiffPage(path, ToInteger(state_.DeletePageNumber)))
                failures += path + kCrLf;
        }
    } else {
        trap_.Line(220);
        for (const QString& rawItem : std::as_const(state_.InputList)) {
            const QString item = rawItem.trimmed();
            const QString path = PathPart(item);
            std::int32_t page = state_.DeletePageNumber;
            if (item.contains(QLatin1Char('?')))
                page = ToLong(NumberPart(item));
            trap_.Line(230);
            if (!facade_.DeleteTiffPage(path, ToInteger(page)))
                failures += path + kCrLf;
        }
    }
    trap_.Line(240);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty()
        ? QStringLiteral("successfully deleted pages from file.")
        : QStringLiteral("Wrong page no in Following files.") + kCrLf + failures;
}

void CommandLineRun::RunInsert()
{
    QString failures;
    trap_.Line(300);
    // The position typed after the file whose pages are inserted; -1 counts
    // as no position.
    std::int32_t sourcePosition = -1;
    const qsizetype opAt = state_.CommandText.indexOf(QLatin1String(" /a "), 0, Qt::CaseInsensitive);
    const QString argument = state_.CommandText.mid(opAt + 4);
    if (argument.contains(QLatin1Char('?')))
        sourcePosition = ToLong(NumberPart(argument));
    const bool hasSourcePosition = sourcePosition != -1;

    auto insertInto = [&](const QString& path, std::int32_t position) {
        trap_.Line(340);
        if (!facade_.AppendFileTiffFile(path, state_.AppendSource, ToInteger(position)))
            failures += path + kCrLf;
    };

    if (folderInput_) {
        trap_.Line(310);
        std::int32_t count = 0;
        LoadFilesFolder(state_.InputList.value(0).trimmed(), facade_, true, count);
        for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData)) {
            const QString path = ValidateDir(rec.FileLocation()) + rec.FileName();
            if (!hasSourcePosition && rec.PageCount() < 0) {
                failures += path + kCrLf;
                continue;
            }
            insertInto(path, hasSourcePosition ? sourcePosition : rec.PageCount() + 1);
        }
    } else {
        trap_.Line(320);
        for (const QString& rawItem : std::as_const(state_.InputList)) {
            const QString item = rawItem.trimmed();
            const QString path = PathPart(item);
            std::int32_t position;
            if (item.contains(QLatin1Char('?'))) {
                trap_.Line(330);
                position = ToLong(NumberPart(item)) + 1;
            } else if (hasSourcePosition) {
                position = sourcePosition;
            } else {
                trap_.Line(335);
                const std::int32_t pages = state_.CountPages(path);
                if (pages < 0) {
                    failures += path + kCrLf;
                    continue;
                }
                position = pages + 1;
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
    const qsizetype opAt = state_.CommandText.indexOf(QLatin1String(" /o "), 0, Qt::CaseInsensitive);
    const QString argument = state_.CommandText.mid(opAt + 4);
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
        first = ToLong(parts.value(0));
        last = ToLong(parts.value(1));
    } else if (isSplit) {
        splitPage = ToLong(r);
    }

    if (!folderInput_) {
        trap_.Line(420);
        const QString path = state_.InputList.value(0).trimmed();
        sourceFiles_.insert(Identity(path));
        const QString fileName = GetFileNameFromPath(path);
        bool ok;
        if (isSplit)
            ok = SplitOne(path, ToInteger(splitPage), NamePrefix(fileName, false));
        else
            ok = ExtractOne(path, fileName, isRange, first, last, false);
        trap_.Line(430);
        master_.anyFileFailed_ = !ok;
        state_.ResultMessage = ok ? QStringLiteral("Successfully extracted all pages.")
                                  : QStringLiteral("Error in spliting file.");
        return;
    }

    trap_.Line(440);
    std::int32_t count = 0;
    LoadFilesFolder(state_.InputList.value(0).trimmed(), facade_, true, count);
    for (const clsColSetOrderGrid& rec : std::as_const(facade_.colOrderedData))
        sourceFiles_.insert(Identity(ValidateDir(rec.FileLocation()) + rec.FileName()));
    const bool severalFiles = facade_.colOrderedData.size() > 1;

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
    trap_.Line(460);
    master_.anyFileFailed_ = !failures.isEmpty();
    state_.ResultMessage = failures.isEmpty()
        ? QStringLiteral("Successfully extracted all pages.")
        : QStringLiteral("Following files couldn't splited.") + kCrLf + failures;
}

bool CommandLineRun::SplitOne(const QString& path, std::int16_t page, const QString& prefix)
{
    const QString folder = ValidateDir(state_.OutputArgument);
    // The two parts must never take the place of a file this run reads.
    if (IsSourceFile(folder + prefix + QStringLiteral("1.tif"))
        || IsSourceFile(folder + prefix + QStringLiteral("2.tif")))
        return false;
    return facade_.SplitTiffFiles(path, page, state_.OutputArgument, prefix);
}

bool CommandLineRun::ExtractOne(const QString& path, const QString& fileName, bool range,
                                std::int32_t first, std::int32_t last, bool forceSourcePrefix)
{
    // The engine names its page files page<index>.tif. Writing them into a
    // private folder keeps them from replacing a user's own files of those
    // names; the renaming then moves them into the output folder.
    QTemporaryDir extractFolder(ValidateDir(state_.OutputArgument) + QStringLiteral(".velmora-XXXXXX"));
    if (!extractFolder.isValid())
        return false;
    bool ok;
    if (range) {
        ok = facade_.ExtractTIFFpagesbyRange(path, ToInteger(first - 1), ToInteger(last - 1),
                                             extractFolder.path());
    } else {
        ok = facade_.ExtractAllTIFFpages(path, extractFolder.path());
    }
    if (!ok)
        return false;
    const std::int32_t pages = state_.CountPages(path);
    return RenamePageFiles(QStringLiteral(".tif"), pages, state_.OutputArgument, fileName,
                           range ? ToInteger(first) : std::int16_t(-1),
                           range ? ToInteger(last) : std::int16_t(-1), forceSourcePrefix,
                           extractFolder.path());
}

bool CommandLineRun::RenamePageFiles(const QString& ext, std::int32_t pageCount,
                                     const QString& outputFolder, const QString& sourceFileName,
                                     std::int16_t first, std::int16_t last, bool forceSourcePrefix,
                                     const QString& extractFolder)
{
    try {
        const QString d = ValidateDir(outputFolder);
        const QString prefix = NamePrefix(sourceFileName, forceSourcePrefix);
        // The engine's names, found without regard to case.
        QHash<QString, QString> extracted;
        const QStringList names = QDir(extractFolder).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : names)
            extracted.insert(name.toLower(), name);

        std::int32_t from = first;
        std::int32_t to = last;
        if (first == -1 && last == -1) {
            from = 1;
            to = pageCount;
            // Every page the engine extracted gets its final name, also when
            // the counter saw fewer pages (or could not count the file): the
            // private folder goes away afterwards and would take them along.
            const QRegularExpression pageName(QStringLiteral("^page(\\d{1,6})%1$")
                                                  .arg(QRegularExpression::escape(ext.toLower())));
            for (const QString& key : extracted.keys()) {
                const QRegularExpressionMatch m = pageName.match(key);
                if (m.hasMatch())
                    to = std::max(to, m.captured(1).toInt() + 1);
            }
        }

        bool allMoved = true;
        for (std::int32_t p = from; p <= to; ++p) {
            const QString old = QStringLiteral("page%1%2").arg(p - 1).arg(ext).toLower();
            const auto found = extracted.constFind(old);
            if (found == extracted.constEnd())
                continue; // past the last page of the file
            const QString target = d + prefix + QString::number(p) + ext;
            if (IsSourceFile(target)) {
                allMoved = false;
                continue;
            }
            if (!MoveReplacing(ValidateDir(extractFolder) + found.value(), target))
                allMoved = false;
        }
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
    QFileInfoList subfolders;
    try {
        trap.Line(10);
        static const QStringList patterns{QStringLiteral("*.tiff"), QStringLiteral("*.tif")};
        const QDir dir(folder.trimmed());
        if (!dir.exists())
            throw RunTimeError(76);
        const QString canonical = dir.canonicalPath();
        if (visited.contains(canonical))
            return;
        visited.insert(canonical);

        trap.Line(20);
        // Regular files only: a named pipe or a device called *.tif would
        // block the page engine that opens it.
        const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QFileInfo& file : files) {
            trap.Line(30);
            if (!file.isFile() || !IsFileMatchWithFilterPattern(file.fileName(), patterns))
                continue;
            ++fileCount;
            clsColSetOrderGrid rec;
            rec.FileName(file.fileName());
            rec.FileLocation(file.absolutePath());
            rec.FileExt(GetFileExt(file.fileName()));
            trap.Line(40);
            const std::int32_t pages = state_.CountPages(ValidateDir(rec.FileLocation()) + rec.FileName());
            rec.PageCount(keepPageCounts ? pages : 0);
            facade.colOrderedData.append(rec);
        }
        trap.Line(50);
        if (state_.RecurseSubfolders) {
            subfolders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden
                                               | QDir::NoSymLinks,
                                           QDir::Name);
        }
    } catch (...) {
        trap.Log();
        // The run goes on with the other folders, but it must not end as a
        // success.
        master_.scanFailed_ = true;
        return;
    }
    for (const QFileInfo& sub : std::as_const(subfolders))
        ScanFolder(sub.absoluteFilePath(), facade, keepPageCounts, fileCount, visited);
}
