#include "operations/shell_folders.h"

#include "operations/error_trap.h"

#include <QStandardPaths>

namespace {
const ProcedureTraps Trap(ObjectKind::Module, QStringLiteral("modGetSpecialFolder"));
} // namespace

QString GetSpecialfolder(const int& folderId)
{
    ErrorTrap trap = Trap("GetSpecialfolder");
    try {
        trap.Line(10);
        QStandardPaths::StandardLocation location;
        switch (folderId) {
        case CSIDL_DESKTOP: location = QStandardPaths::DesktopLocation; break;
        case CSIDL_PERSONAL: location = QStandardPaths::DocumentsLocation; break;
        case CSIDL_APPDATA:
        case CSIDL_LOCAL_APPDATA: location = QStandardPaths::GenericDataLocation; break;
        default: return QString();
        }
        trap.Line(20);
        QString path = QStandardPaths::writableLocation(location);
        trap.Line(30);
        while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        return path;
    } catch (...) {
        trap.Log();
        return QString();
    }
}
