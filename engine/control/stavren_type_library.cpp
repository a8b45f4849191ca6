#include "engine/control/stavren_type_library.h"

#include "engine/control/stavren_ctrl.h"
#include "engine/control/stavren_ids.h"

namespace {

com::TypeLibrary Build()
{
    com::TypeLibrary lib;
    lib.name = QStringLiteral("STAVRENLib");
    lib.libid = stavren_ids::kLibId;
    lib.major = stavren_ids::kLibMajor;
    lib.minor = stavren_ids::kLibMinor;
    lib.lcid = 0;
    lib.helpFile = QStringLiteral("Stavren.hlp");
    lib.helpString = QStringLiteral("Stavren ActiveX Control module");

    com::InterfaceInfo dispatch;
    dispatch.name = QStringLiteral("_DStavren");
    dispatch.iid = stavren_ids::kDispatchIid;
    dispatch.helpString = QStringLiteral("Dispatch interface for Stavren Control");
    dispatch.hidden = true;
    // Members, DISPIDs, parameter names and types as the control declares them.
    dispatch.members = com::DescribeDispatchMembers(CStavrenCtrl::staticMetaObject);

    com::InterfaceInfo events;
    events.name = QStringLiteral("_DStavrenEvents");
    events.iid = stavren_ids::kEventsIid;
    events.helpString = QStringLiteral("Event interface for Stavren Control");

    lib.interfaces = {dispatch, events};

    com::CoClassInfo control;
    control.name = QStringLiteral("Stavren");
    control.clsid = stavren_ids::kCtrlClsid;
    control.helpString = QStringLiteral("Stavren Control");
    control.control = true;
    control.defaultInterface = dispatch.name;
    control.defaultSource = events.name;
    lib.coclasses = {control};
    return lib;
}

} // namespace

const com::TypeLibrary& StavrenTypeLibrary()
{
    static const com::TypeLibrary lib = Build();
    return lib;
}
