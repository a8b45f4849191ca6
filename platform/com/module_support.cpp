#include "platform/com/module_support.h"

#include "platform/com/class_registry.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace com {

QString ModulePathOf(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

void Module::AddClass(const QUuid& clsid, ClassFactory* factory)
{
    std::lock_guard lock(mutex_);
    classes_.emplace_back(clsid, factory);
}

HRESULT Module::GetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv) const
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!clsid || !iid)
        return E_POINTER;
    std::lock_guard lock(mutex_);
    for (const auto& [id, factory] : classes_) {
        if (id != *clsid)
            continue;
        if (*iid != IID_IClassFactory && *iid != IID_IUnknown)
            return E_NOINTERFACE;
        *ppv = factory;
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT Module::CanUnloadNow() const
{
    return (objects_ == 0 && locks_ == 0) ? S_OK : S_FALSE;
}

bool RegisterControl(const ControlRegistration& reg, const QString& modulePath)
{
    ClassRegistry::ClassEntry e;
    e.clsid = reg.clsid;
    e.userTypeName = reg.userTypeName;
    e.progId = reg.progId;
    e.modulePath = modulePath;
    e.threadingModel = reg.threadingModel;
    e.control = true;
    e.toolboxBitmapId = reg.toolboxBitmapId;
    e.miscStatus = reg.miscStatus;
    e.typeLib = reg.typeLib;
    e.version = reg.version;
    return !modulePath.isEmpty() && ClassRegistry::RegisterClass(e);
}

bool RegisterPlainClass(const QUuid& clsid, const QString& typeName, const QString& modulePath, const QString& progId,
                        const QString& threadingModel)
{
    ClassRegistry::ClassEntry e;
    e.clsid = clsid;
    e.userTypeName = typeName;
    e.progId = progId;
    e.modulePath = modulePath;
    e.threadingModel = threadingModel;
    return !modulePath.isEmpty() && ClassRegistry::RegisterClass(e);
}

bool UnregisterClass(const QUuid& clsid, const QString& progId)
{
    return ClassRegistry::UnregisterClass(clsid, progId);
}

} // namespace com
