#include "cli/mod_master.h"

#include "operations/error_trap.h"
#include "operations/storage_folder.h"
#include "operations/system_error.h"
#include "platform/message_box/message_box.h"

#include <cstdio>

namespace {
const ProcedureTraps Trap(ObjectKind::Module, QStringLiteral("modMaster"));
} // namespace

bool WriteErrorLog(CommandLineState& state, const QString& message)
{
    ErrorTrap trap = Trap("WriteErrorLog");
    try {
        trap.Line(10);
        if (!state.SilentMode) {
            // Without a window the box is written to standard error; when
            // nobody can read it there (a closed pipe), the result is lost.
            std::clearerr(stderr);
            MsgBox(message, MsgBoxIcon::Information);
            return std::ferror(stderr) == 0;
        }
        trap.Line(20);
        QString entry = message;
        if (state.LogTimeStamp.isEmpty()) {
            state.LogTimeStamp = ErrorLogTimestamp();
            entry =
                QStringLiteral("CommandLine Excution Time : ") + state.LogTimeStamp + QStringLiteral("\r\n") + entry;
        }
        trap.Line(30);
        // One write of the whole entry to a file opened for appending, so
        // that runs at the same time never interleave their entries. A FIFO
        // or device under the name is refused, never waited on.
        const QByteArray bytes = (entry + QStringLiteral("\r\n")).toUtf8();
        trap.Line(40);
        if (const int error = AppendToLogFile(state.StorageFolderWithSlash + QStringLiteral("Log.txt"), bytes))
            throw SystemError(error);
        trap.Line(50);
        return true;
    } catch (...) {
        trap.Log();
    }
    // The result must not be lost without a word.
    WriteMsgBoxText(DefaultMsgBoxTitle(), QStringLiteral("The result could not be written to ")
                                              + state.StorageFolderWithSlash + QStringLiteral("Log.txt:\n") + message);
    return false;
}
