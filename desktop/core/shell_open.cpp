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
    // open the file instead. Other verbs, and targets that are not files,
    // fail silently.
    if (verb.compare(QStringLiteral("open"), Qt::CaseInsensitive) == 0 && !shell::IsAddress(target)
        && QFileInfo(target).isFile())
        MsgBox(OpenWithFailedText(target), MsgBoxIcon::Information);
}
