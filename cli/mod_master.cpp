#include "cli/mod_master.h"

#include "cli/command_line_run.h"
#include "cli/frm_help_dialog.h"
#include "cli/item_parts.h"
#include "cli/number_conversion.h"
#include "cli/page_counter_client.h"
#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "operations/frm_vista_err_dlg.h"
#include "operations/mod_general.h"
#include "operations/storage_folder.h"
#include "platform/message_box/message_box.h"

#include <QApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kModule = QStringLiteral("modMaster");

bool IsTiffExtension(const QString& ext)
{
    return ext.compare(QLatin1String("tif"), Qt::CaseInsensitive) == 0
        || ext.compare(QLatin1String("tiff"), Qt::CaseInsensitive) == 0;
}

bool IsExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString ModMaster::GetInputSwitch()
{
    const QString& text = state_.CommandText;
    if (text.contains(QLatin1String("/i "), Qt::CaseInsensitive))
        return QStringLiteral("/i ");
    if (text.contains(QLatin1String("/d "), Qt::CaseInsensitive)) {
        state_.RecurseSubfolders = text.contains(QLatin1String(" /r "), Qt::CaseInsensitive);
        return QStringLiteral("/d ");
    }
    return QString();
}

QString ModMaster::GetOperationSwitch() const
{
    const QString& text = state_.CommandText;
    for (const char* op : {" /a ", " /o ", " /del "}) {
        if (text.contains(QLatin1String(op), Qt::CaseInsensitive))
            return QString::fromLatin1(op);
    }
    return QString();
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
    // Paths hold "/" here, so an argument ends at the next switch rather
    // than at the next "/".
    static const QRegularExpression nextSwitch(
        QStringLiteral("\\s/(i|d|r|a|o|del|n|silent)(?=\\s|$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString& text = state_.CommandText;
    const qsizetype at = text.indexOf(switchText, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + switchText.size());
    const QRegularExpressionMatch m = nextSwitch.match(rest);
    return m.hasMatch() ? rest.left(m.capturedStart()) : rest;
}

bool ModMaster::ValidateCmdLine()
{
    ErrorTrap trap(QStringLiteral("ValidateCmdLine"), ObjectKind::Module, kModule);
    RunState& s = state_;
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
        const QString opSwitch = GetOperationSwitch();
        if (opSwitch.isEmpty())
            return fail(QStringLiteral("Invalid command line"));
        const bool folderInput = inputSwitch == QLatin1String("/d ");

        trap.Line(30);
        const QString list = SwitchArgument(inputSwitch).trimmed();
        if (list.isEmpty())
            return fail(QStringLiteral("Invalid filename."));
        trap.Line(40);
        s.InputList = list.split(QLatin1Char('|'));

        trap.Line(50);
        if (opSwitch == QLatin1String(" /o ")) {
            if (s.InputList.size() > 1)
                return fail(QStringLiteral("Invalid filename."));
            QString path = list;
            if (folderInput) {
                if (!FolderExistsByFind(path))
                    return fail(QStringLiteral("Invalid folder path."));
            } else {
                if (!IsTiffExtension(GetFileExt(path)))
                    return fail(QStringLiteral("Invalid file formate."));
                if (!FileExistsByFind(path))
                    return fail(QStringLiteral("Inputfile does not exists."));
            }
        } else {
            trap.Line(60);
            for (const QString& rawItem : s.InputList) {
                const QString item = rawItem.trimmed();
                if (item.isEmpty())
                    return fail(QStringLiteral("Invalid filename."));
                QString path = PathPart(item);
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
        }

        trap.Line(70);
        if (s.CommandText.contains(QLatin1String(" /n "), Qt::CaseInsensitive)) {
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
            if (!IsValidFileName(withoutMarks))
                return fail(badNaming);
        }

        trap.Line(80);
        const qsizetype opAt = s.CommandText.indexOf(opSwitch, 0, Qt::CaseInsensitive);
        const QString argument = s.CommandText.mid(opAt + opSwitch.size());
        if (opSwitch == QLatin1String(" /del ")) {
            trap.Line(90);
            if (!IsNumber(argument)) {
                s.DeletePageNumber = -1;
                return fail(QStringLiteral("Invalid Pageno."));
            }
            s.DeletePageNumber = ToLong(argument);
        } else if (opSwitch == QLatin1String(" /o ")) {
            trap.Line(100);
            const QString badRange = QStringLiteral("Invalid output range.");
            if (argument.contains(QLatin1Char('?'))) {
                const QString r = NumberPart(argument);
                if (r.contains(QLatin1Char('-'))) {
                    const QStringList parts = r.split(QLatin1Char('-'));
                    if (parts.size() != 2 || !IsNumber(parts[0]) || !IsNumber(parts[1]))
                        return fail(badRange);
                    trap.Line(110);
                    const std::int32_t first = ToLong(parts[0]);
                    const std::int32_t last = ToLong(parts[1]);
                    // Pages are numbered from 1: a range from page 0 would
                    // reach the engine as a negative index.
                    if (first > last || first < 1)
                        return fail(badRange);
                    if (!folderInput) {
                        trap.Line(120);
                        const std::int32_t pages = s.CountPages(list);
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
            if (!IsExistingFolder(s.OutputArgument))
                return fail(QStringLiteral("Invalid output path."));
        } else {
            trap.Line(140);
            s.AppendSource = argument;
            if (argument.contains(QLatin1Char('?'))) {
                if (!IsNumber(NumberPart(argument)))
                    return fail(QStringLiteral("Invalid Pageno."));
                s.AppendSource = PathPart(argument);
            }
            trap.Line(150);
            if (!FileExistsByFind(s.AppendSource))
                return fail(s.AppendSource + QStringLiteral(" does not exists."));
        }
        trap.Line(160);
        return true;
    } catch (...) {
        trap.Log();
        return false;
    }
}

int ModMaster::Main(const QString& commandLine)
{
    ErrorTrap trap(QStringLiteral("Main"), ObjectKind::Module, kModule);
    RunState& s = state_;
    try {
        trap.Line(10);
        s.CommandText = commandLine;
        trap.Line(20);
        if (!GetStorageFolder())
            return ExitRunError;
        trap.Line(30);
        s.StorageFolderWithSlash = ValidateDir(StorageFolder());
        trap.Line(40);
        // The storage folder may be unwritable here at any start-up, so the
        // write test always runs.
        if (!CanWriteFile(s.StorageFolderWithSlash + QStringLiteral("Testtemp.sys"))) {
            if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
                FrmVistaErrDlg dlg;
                dlg.exec();
            } else {
                MsgBox(FrmVistaErrDlg::NoticeText(), MsgBoxIcon::Critical);
            }
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
        s.SilentMode = s.CommandText.contains(QLatin1String("/silent"), Qt::CaseInsensitive);
        trap.Line(90);
        s.CountPages = counterOverride_ ? counterOverride_ : MakeTiffPageCounter();
        trap.Line(100);
        if (!ValidateCmdLine()) {
            MsgBox(s.ResultMessage, MsgBoxIcon::Information);
            return ExitInvalidCommand;
        }
        trap.Line(110);
        CommandLineRun run(*this, trap);
        run.Run(GetOperationSwitch());
        trap.Line(120);
        WriteErrorLog(s, s.ResultMessage);
        return anyFileFailed_ || scanFailed_ ? ExitFileFailed : ExitSuccess;
    } catch (...) {
        trap.Log();
        return ExitRunError;
    }
}
