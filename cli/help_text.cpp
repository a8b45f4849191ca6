#include "cli/help_text.h"

#include "cli/program_folder.h"

#include <QFile>

QString HelpFilePath()
{
    return ProgramFolder() + QStringLiteral("/Velmora-CommandLine-Help.txt");
}

bool ReadHelpText(QString& text)
{
    QFile file(HelpFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(file.readAll());
    return true;
}
