#include "engine/control/stavren_module.h"

#include "engine/control/stavren_ctrl.h"
#include "engine/control/stavren_ids.h"
#include "engine/control/stavren_prop_page.h"
#include "engine/control/stavren_type_library.h"
#include "engine/control/stavren_version_record.h"
#include "platform/com/bitmap_resource.h"
#include "platform/com/type_library.h"

#include <QFile>

#include <array>
#include <cstddef>
#include <type_traits>

namespace {

// A class factory that also writes and removes its class's registry keys.
class RegisteringFactory {
public:
    virtual bool UpdateRegistry(bool registering, const QString& modulePath) = 0;

protected:
    ~RegisteringFactory() = default;
};

class CStavrenCtrlFactory final : public com::SimpleClassFactory<CStavrenCtrl>, public RegisteringFactory {
public:
    using SimpleClassFactory::SimpleClassFactory;

    bool UpdateRegistry(bool registering, const QString& modulePath) override
    {
        const QString progId = QString::fromLatin1(stavren_ids::kCtrlProgId);
        if (!registering)
            return com::UnregisterClass(stavren_ids::kCtrlClsid, progId);
        com::ControlRegistration reg;
        reg.clsid = stavren_ids::kCtrlClsid;
        reg.progId = progId;
        reg.userTypeName = QString::fromLatin1(stavren_ids::kCtrlTypeName);
        reg.typeLib = stavren_ids::kLibId;
        reg.version = QStringLiteral("1.0");
        reg.miscStatus = stavren_ids::kMiscStatus;
        reg.toolboxBitmapId = stavren_ids::kToolboxBitmap;
        reg.threadingModel = QStringLiteral("Apartment");
        return com::RegisterControl(reg, modulePath);
    }
};

class CStavrenPropPageFactory final : public com::SimpleClassFactory<CStavrenPropPage>, public RegisteringFactory {
public:
    using SimpleClassFactory::SimpleClassFactory;

    bool UpdateRegistry(bool registering, const QString& modulePath) override
    {
        // The page is registered by class identifier only, without a
        // threading model.
        if (!registering)
            return com::UnregisterClass(stavren_ids::kPropPageClsid);
        return com::RegisterPlainClass(stavren_ids::kPropPageClsid, QString::fromLatin1(stavren_ids::kPropPageTypeName),
                                       modulePath);
    }
};

CStavrenModule g_module;
CStavrenCtrlFactory g_ctrlFactory(g_module);
CStavrenPropPageFactory g_propPageFactory(g_module);

std::array<RegisteringFactory*, 2> Factories()
{
    return {&g_ctrlFactory, &g_propPageFactory};
}

} // namespace

CStavrenModule::CStavrenModule() = default;

CStavrenModule& StavrenModule()
{
    return g_module;
}

namespace {

// Both factories join the module once they are built (they are defined
// after the module object in this file, so they are built after it).
const bool g_classesAdded = [] {
    g_module.AddClass(stavren_ids::kCtrlClsid, &g_ctrlFactory);
    g_module.AddClass(stavren_ids::kPropPageClsid, &g_propPageFactory);
    return true;
}();

} // namespace

extern "C" Q_DECL_EXPORT com::HRESULT DllRegisterServer()
{
    try {
        const QString path = g_module.Path();
        if (com::Failed(com::RegisterTypeLib(StavrenTypeLibrary(), path)))
            return com::SELFREG_E_TYPELIB;
        bool ok = true;
        for (RegisteringFactory* f : Factories())
            ok = f->UpdateRegistry(true, path) && ok;
        return ok ? com::S_OK : com::SELFREG_E_CLASS;
    } catch (...) {
        return com::SELFREG_E_CLASS;
    }
}

extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()
{
    try {
        if (com::Failed(com::UnregisterTypeLib(StavrenTypeLibrary())))
            return com::SELFREG_E_TYPELIB;
        bool ok = true;
        for (RegisteringFactory* f : Factories())
            ok = f->UpdateRegistry(false, {}) && ok;
        return ok ? com::S_OK : com::SELFREG_E_CLASS;
    } catch (...) {
        return com::SELFREG_E_CLASS;
    }
}

extern "C" Q_DECL_EXPORT com::HRESULT DllGetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv)
{
    return g_module.GetClassObject(clsid, iid, ppv);
}

extern "C" Q_DECL_EXPORT com::HRESULT DllCanUnloadNow()
{
    return g_module.CanUnloadNow();
}

extern "C" Q_DECL_EXPORT const com::TypeLibrary* DllGetTypeLibrary()
{
    return &StavrenTypeLibrary();
}

extern "C" Q_DECL_EXPORT const com::VersionRecord* DllGetVersionRecord()
{
    return &StavrenVersionRecord();
}

// Bitmap 1, the toolbox bitmap the registry value ToolboxBitmap32 names
// ("<module path>, 1"), embedded in the module.
extern "C" Q_DECL_EXPORT const unsigned char* DllGetBitmap(int id, std::size_t* size)
{
    static_assert(std::is_same_v<decltype(&DllGetBitmap), com::DllGetBitmapFn>);
    if (size == nullptr)
        return nullptr;
    *size = 0;
    if (id != stavren_ids::kToolboxBitmap)
        return nullptr;
    static const QByteArray bitmap = [] {
        QFile file(QStringLiteral(":/Stavren/BITMAP/1"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    *size = static_cast<std::size_t>(bitmap.size());
    return bitmap.isEmpty() ? nullptr : reinterpret_cast<const unsigned char*>(bitmap.constData());
}
