#include "cli/program_folder.h"

#include <QFileInfo>

QString ProgramFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}
