#include "desktop/core/shell_open.h"

#include "platform/message_box/message_box.h"
#include "platform/shell/shell.h"

#include <QFileInfo>

QString OpenWithFailedText(const QString& file)
{
    return QStringLiteral("No program is available to open \"%1\".").arg(file);
}

void ShellOpen(QString& verb, const QVariant& file, const QVariant& parameters, const QVariant& directory,
               std::int32_t& showCommand)
{
    // Working folder and show mode have no counterpart when a file is
    // handed to the desktop's default handler; the parameters name the
    // printer of "printto".
    (void)directory;
    (void)showCommand;

    const QString target = file.toString();
    if (shell::Execute(verb, target, parameters.toString()))
        return;
    // Where an Open-With choice would be offered, say that nothing could
    // open the file instead; a folder that no file manager shows is said
    // the same way. Other verbs, and targets that are neither, fail
    // silently.
    const bool opening = verb.compare(QStringLiteral("open"), Qt::CaseInsensitive) == 0
                         || verb.compare(QStringLiteral("explore"), Qt::CaseInsensitive) == 0;
    const QFileInfo info(target);
    if (opening && !shell::IsAddress(target) && (info.isFile() || info.isDir()))
        MsgBox(OpenWithFailedText(target), MsgBoxIcon::Information);
}
