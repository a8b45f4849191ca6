#include "cli/mod_master.h"

#include "cli/command_line_arguments.h"
#include "cli/command_line_run.h"
#include "cli/command_line_windows.h"
#include "cli/help_text.h"
#include "cli/item_parts.h"
#include "cli/page_counter_client.h"
#include "cli/page_engine_client.h"
#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "operations/mod_general.h"
#include "operations/storage_folder.h"
#include "operations/typed_number.h"
#include "platform/message_box/message_box.h"

#include <QFileInfo>

#include <cstdio>

namespace {

const QString kModule = QStringLiteral("modMaster");
const ProcedureTraps Trap(ObjectKind::Module, kModule);

bool IsTiffExtension(const QString& ext)
{
    return ext.compare(QLatin1String("tif"), Qt::CaseInsensitive) == 0
           || ext.compare(QLatin1String("tiff"), Qt::CaseInsensitive) == 0;
}

// The words that make a switch after a "/".
bool IsSwitchWord(QStringView word)
{
    for (const char* w : {"i", "d", "r", "a", "o", "del", "n", "silent"}) {
        if (word.compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool IsExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// Shows the help window, or without a display prints the help text to
// standard output. A missing help text is reported after the window closes
// (or instead of the text). Returns the exit status of the run.
int ShowHelp(CommandLineState& state)
{
    QString text;
    const bool found = ReadHelpText(text);
    const QString missing = QStringLiteral("Help file is missing.");
    SetReportedExitStatus(found ? ExitSuccess : ExitFileFailed);
    const StreamReport standIn = found ? StreamReport{stdout, text.toUtf8()}
                                       : StreamReport{stderr, MsgBoxStreamText(DefaultMsgBoxTitle(), missing)};
    if (ShowHelpWindow(state, standIn)) {
        // The window shows an empty box when the text is missing; say why
        // once it closes.
        if (!state.ResultMessage.isEmpty()) {
            MsgBox(state.ResultMessage, MsgBoxIcon::Information);
            return ExitFileFailed;
        }
        return ExitSuccess;
    }
    if (!found) {
        MsgBox(missing, MsgBoxIcon::Information);
        return ExitFileFailed;
    }
    return WriteReport(standIn) ? ExitSuccess : ExitFileFailed;
}

// The write test failed: the notice window where a display is there, and
// on standard error the notice with the folder that could not be written.
void ReportUnwritableStorageFolder()
{
    const StreamReport report{
        stderr, MsgBoxStreamText(DefaultMsgBoxTitle(), WriteTestNoticeText() + QLatin1Char('\n')
                                                           + QStringLiteral("The storage folder cannot be written: ")
                                                           + StorageFolder())};
    SetReportedExitStatus(ExitRunError);
    ShowNoticeWindow(report);
    WriteReport(report);
}

void WriteToStandardError(const QString& text)
{
    WriteReport({stderr, (text + QLatin1Char('\n')).toUtf8()});
}

// The run stopped on an error. The error log has its line, but no window
// shows it: standard error gets it too (without the time), so that a script
// can tell why. An object that could not be created (429) is named with the
// command that registers it (`registrationHint`).
void ReportRunStopped(const ErrorTrap& trap, const RunTimeError& error, QString (*registrationHint)())
{
    QString text = QStringLiteral("VelmoraCMD: the run stopped on an error: ")
                   + BuildErrorLine(error.number(), error.description(), trap.procedure(), trap.LastLine(),
                                    ErrorLocationText(ObjectKind::Module, kModule, false));
    if (error.number() == rterr::CantCreateObject)
        text += QStringLiteral("\nVelmoraCMD: ") + registrationHint();
    WriteToStandardError(text);
}

// There is no error log without a storage folder: name the folder.
void ReportNoStorageFolder()
{
    WriteToStandardError(StorageFolder().isEmpty()
                             ? QStringLiteral("VelmoraCMD: the run stopped; the storage folder could not be found")
                             : QStringLiteral("VelmoraCMD: the run stopped; the storage folder ") + StorageFolder()
                                   + QStringLiteral(" could not be created"));
}

} // namespace

qsizetype ModMaster::FindSwitch(const QString& switchText) const
{
    const QString& text = state_.CommandText;
    for (qsizetype at = text.indexOf(switchText, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(switchText, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + switchText.size();
        const bool starts = at == 0 || text.at(at - 1).isSpace() || switchText.front().isSpace();
        const bool ends = end == text.size() || text.at(end).isSpace() || switchText.back().isSpace();
        if (starts && ends)
            return at;
    }
    return -1;
}

QString ModMaster::GetInputSwitch()
{
    if (FindSwitch(QStringLiteral("/i ")) >= 0)
        return QStringLiteral("/i ");
    if (FindSwitch(QStringLiteral("/d ")) >= 0) {
        state_.RecurseSubfolders = FindSwitch(QStringLiteral(" /r ")) >= 0;
        return QStringLiteral("/d ");
    }
    return QString();
}

QString ModMaster::SwitchText(PageOperation operation)
{
    switch (operation) {
    case PageOperation::Insert: return QStringLiteral(" /a ");
    case PageOperation::Output: return QStringLiteral(" /o ");
    case PageOperation::Delete: return QStringLiteral(" /del ");
    }
    Q_UNREACHABLE();
}

std::optional<PageOperation> ModMaster::ParseOperation() const
{
    // The first of these that stands in the line wins.
    for (PageOperation operation : {PageOperation::Insert, PageOperation::Output, PageOperation::Delete}) {
        if (FindSwitch(SwitchText(operation)) >= 0)
            return operation;
    }
    return std::nullopt;
}

QString ModMaster::GetOperationSwitch() const
{
    const std::optional<PageOperation> operation = ParseOperation();
    return operation ? SwitchText(*operation) : QString();
}

bool ModMaster::RunCountsPages()
{
    if (GetInputSwitch() == QLatin1String("/d "))
        return true;
    if (!state_.Operation)
        return false; // the line does not validate
    switch (*state_.Operation) {
    case PageOperation::Insert: return true;
    case PageOperation::Output: {
        // Extracting counts the pages to place; splitting one file in two
        // does not.
        const QString argument = OperationArgument(PageOperation::Output);
        return !argument.contains(QLatin1Char('?')) || NumberPart(argument).contains(QLatin1Char('-'));
    }
    case PageOperation::Delete: return false;
    }
    Q_UNREACHABLE();
}

QString ModMaster::OperationArgument(PageOperation operation) const
{
    const QString switchText = SwitchText(operation);
    const qsizetype at = FindSwitch(switchText);
    return at < 0 ? QString() : state_.CommandText.mid(at + switchText.size());
}

QString ModMaster::InputItem(const QString& rawItem, bool numbered)
{
    const QString trimmed = rawItem.trimmed();
    if (trimmed == rawItem)
        return rawItem;
    QString path = numbered ? PathPart(rawItem) : rawItem;
    const bool exists = GetInputSwitch() == QLatin1String("/d ") ? FolderExistsByFind(path) : FileExistsByFind(path);
    return exists ? rawItem : trimmed;
}

bool ModMaster::IsValidFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar c : name) {
        if (forbidden.contains(c))
            return false;
    }
    return true;
}

QString ModMaster::SwitchArgument(const QString& switchText) const
{
    const qsizetype at = FindSwitch(switchText);
    if (at < 0)
        return QString();
    // Paths hold "/" here, so an argument ends at the next switch rather
    // than at the next "/". The argument begins after a blank (the switch
    // text ends with one), so a switch may follow at once.
    const QString rest = state_.CommandText.mid(at + switchText.size());
    for (qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0;
         slash = rest.indexOf(QLatin1Char('/'), slash + 1)) {
        if (slash > 0 && !rest.at(slash - 1).isSpace())
            continue;
        qsizetype end = slash + 1;
        while (end < rest.size() && !rest.at(end).isSpace())
            ++end;
        if (IsSwitchWord(QStringView(rest).mid(slash + 1, end - slash - 1)))
            return rest.left(slash > 0 ? slash - 1 : 0);
    }
    return rest;
}

bool ModMaster::ValidateCmdLine()
{
    ErrorTrap trap = Trap("ValidateCmdLine");
    CommandLineState& s = state_;
    auto fail = [&s](const QString& message) {
        s.ResultMessage = message;
        return false;
    };
    try {
        trap.Line(10);
        const QString inputSwitch = GetInputSwitch();
        if (inputSwitch.isEmpty())
            return fail(QStringLiteral("Invalid command line"));
        trap.Line(20);
        if (!s.Operation)
            return fail(QStringLiteral("Invalid command line"));
        const PageOperation operation = *s.Operation;
        const bool folderInput = inputSwitch == QLatin1String("/d ");

        // A name whose bytes are no text is refused by the check of its
        // kind, never read as the name it looks like.
        const QString badName =
            folderInput ? QStringLiteral("Invalid folder path.") : QStringLiteral("Invalid filename.");
        trap.Line(30);
        // The items keep their blanks until each is taken (InputItem).
        const QString rawList = SwitchArgument(inputSwitch);
        if (rawList.trimmed().isEmpty())
            return fail(QStringLiteral("Invalid filename."));
        trap.Line(40);
        s.InputList = rawList.split(QLatin1Char('|'));

        trap.Line(50);
        QString list; // the one input of an output run, as taken
        switch (operation) {
        case PageOperation::Output: {
            if (s.InputList.size() > 1)
                return fail(QStringLiteral("Invalid filename."));
            list = InputItem(rawList, false);
            QString path = list;
            if (HoldsNoText(path))
                return fail(badName);
            if (folderInput) {
                if (!FolderExistsByFind(path))
                    return fail(QStringLiteral("Invalid folder path."));
            } else {
                if (!IsTiffExtension(GetFileExt(path)))
                    return fail(QStringLiteral("Invalid file formate."));
                if (!FileExistsByFind(path))
                    return fail(QStringLiteral("Inputfile does not exists."));
            }
            break;
        }
        case PageOperation::Insert:
        case PageOperation::Delete:
            trap.Line(60);
            for (const QString& rawItem : s.InputList) {
                if (rawItem.trimmed().isEmpty())
                    return fail(QStringLiteral("Invalid filename."));
                QString path = PathPart(InputItem(rawItem, true));
                if (HoldsNoText(path))
                    return fail(badName);
                if (folderInput) {
                    if (!FolderExistsByFind(path))
                        return fail(QStringLiteral("Invalid folder path."));
                } else {
                    if (!IsTiffExtension(GetFileExt(GetFileNameFromPath(path))))
                        return fail(QStringLiteral("Invalid file type."));
                    if (!FileExistsByFind(path))
                        return fail(path + QStringLiteral(" does not exists."));
                }
            }
            break;
        }

        trap.Line(70);
        if (FindSwitch(QStringLiteral(" /n ")) >= 0) {
            const QString value = SwitchArgument(QStringLiteral(" /n ")).trimmed();
            const QString badNaming = QStringLiteral("Invalid output filename convention.");
            const qsizetype q = value.lastIndexOf(QLatin1Char('?'));
            if (q < 0)
                return fail(badNaming);
            s.NameSeparator = value.mid(q + 1);
            if (s.NameSeparator.size() > 1)
                return fail(badNaming);
            s.NameBase = value.left(q);
            QString withoutMarks = value;
            withoutMarks.remove(QLatin1Char('?'));
            if (!IsValidFileName(withoutMarks) || HoldsNoText(withoutMarks))
                return fail(badNaming);
        }

        trap.Line(80);
        const QString argument = OperationArgument(operation);
        switch (operation) {
        case PageOperation::Delete:
            trap.Line(90);
            if (!IsNumber(argument)) {
                s.DeletePageNumber = -1;
                return fail(QStringLiteral("Invalid Pageno."));
            }
            s.DeletePageNumber = ToLongRounding(argument);
            break;
        case PageOperation::Output: {
            trap.Line(100);
            const QString badRange = QStringLiteral("Invalid output range.");
            if (argument.contains(QLatin1Char('?'))) {
                const QString r = NumberPart(argument);
                if (r.contains(QLatin1Char('-'))) {
                    const QStringList parts = r.split(QLatin1Char('-'));
                    if (parts.size() != 2 || !IsNumber(parts[0]) || !IsNumber(parts[1]))
                        return fail(badRange);
                    trap.Line(110);
                    const std::int32_t first = ToLongRounding(parts[0]);
                    const std::int32_t last = ToLongRounding(parts[1]);
                    // Pages are numbered from 1: a range from page 0 would
                    // reach the engine as a negative index.
                    if (first > last || first < 1)
                        return fail(badRange);
                    if (!folderInput) {
                        trap.Line(120);
                        // Whether the file reaches the range's last page.
                        const std::int32_t pages = s.CountPages(list, last);
                        if (first > pages || last > pages)
                            return fail(badRange);
                    }
                } else if (!IsNumber(r)) {
                    return fail(badRange);
                }
                s.OutputArgument = PathPart(argument);
            } else {
                s.OutputArgument = argument;
            }
            trap.Line(130);
            if (HoldsNoText(s.OutputArgument) || !IsExistingFolder(s.OutputArgument))
                return fail(QStringLiteral("Invalid output path."));
            break;
        }
        case PageOperation::Insert:
            trap.Line(140);
            s.AppendSource = argument;
            if (argument.contains(QLatin1Char('?'))) {
                if (!IsNumber(NumberPart(argument)))
                    return fail(QStringLiteral("Invalid Pageno."));
                s.AppendSource = PathPart(argument);
            }
            trap.Line(150);
            if (HoldsNoText(s.AppendSource))
                return fail(QStringLiteral("Invalid filename."));
            if (!FileExistsByFind(s.AppendSource))
                return fail(s.AppendSource + QStringLiteral(" does not exists."));
            break;
        }
        trap.Line(160);
        return true;
    } catch (...) {
        // The box stays as it is (its text is empty); standard error says why.
        const RunTimeError error = trap.Log();
        WriteToStandardError(QStringLiteral("VelmoraCMD: the command line could not be checked: ")
                             + BuildErrorLine(error.number(), error.description(), trap.procedure(), trap.LastLine(),
                                              ErrorLocationText(ObjectKind::Module, kModule, false)));
        return false;
    }
}

int ModMaster::Main(const QString& commandLine)
{
    ErrorTrap trap = Trap("Main");
    CommandLineState& s = state_;
    // Main creates two objects itself: the page counter, and the page engine
    // once to see that every operation can create it.
    QString (*registrationHint)() = &PageCounterRegistrationHint;
    try {
        trap.Line(10);
        s.CommandText = commandLine;
        trap.Line(20);
        if (!GetStorageFolder()) {
            ReportNoStorageFolder();
            return ExitRunError;
        }
        trap.Line(30);
        s.StorageFolderWithSlash = ValidateDir(StorageFolder());
        trap.Line(40);
        // The storage folder may be unwritable here at any start-up, so the
        // write test always runs.
        if (!CanWriteFile(s.StorageFolderWithSlash + QStringLiteral("Testtemp.sys"))) {
            ReportUnwritableStorageFolder();
            return ExitRunError;
        }
        trap.Line(50);
        if (s.CommandText.isEmpty())
            return ShowHelp(s);
        trap.Line(60);
        if (s.CommandText.startsWith(QLatin1Char('"')))
            s.CommandText.remove(0, 1);
        trap.Line(70);
        if (s.CommandText.endsWith(QLatin1Char('"')))
            s.CommandText.chop(1);
        trap.Line(80);
        s.SilentMode = FindSwitch(QStringLiteral("/silent")) >= 0;
        // The one place the operation switch is read: from here on the run
        // goes by the parsed operation.
        s.Operation = ParseOperation();
        trap.Line(90);
        s.CountPages = RunCountsPages() ? MakeTiffPageCounter() : MakeTiffPageCounterOnFirstUse();
        trap.Line(100);
        if (!ValidateCmdLine()) {
            SetReportedExitStatus(ExitInvalidCommand);
            MsgBox(s.ResultMessage, MsgBoxIcon::Information);
            return ExitInvalidCommand;
        }
        trap.Line(110);
        // Without the page engine every file would fail without a word of
        // why: the run stops here instead, and says how to register it.
        registrationHint = &PageEngineRegistrationHint;
        CheckPageEngine();
        registrationHint = &PageCounterRegistrationHint;
        CommandLineRun run(*this, trap);
        run.Run(*s.Operation);
        trap.Line(120);
        const int status = anyFileFailed_ ? ExitFileFailed : ExitSuccess;
        SetReportedExitStatus(status);
        if (!WriteErrorLog(s, s.ResultMessage))
            return ExitResultLost;
        return status;
    } catch (...) {
        ReportRunStopped(trap, trap.Log(), registrationHint);
        return ExitRunError;
    }
}
