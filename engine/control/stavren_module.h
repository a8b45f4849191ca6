#pragma once
// The Stavren module: its module object, the class factories of the
// control and its property page, and the module's exports
//   DllRegisterServer, DllUnregisterServer, DllGetClassObject,
//   DllCanUnloadNow, DllGetTypeLibrary, DllGetVersionRecord.

#include "platform/com/module_support.h"

// The module object: object and lock counts, and the class factories.
class CStavrenModule : public com::Module {
public:
    CStavrenModule();
};

// The one module object of the loaded module.
CStavrenModule& StavrenModule();
