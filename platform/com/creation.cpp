// Object creation: classes carried by the process itself and classes of
// registered modules, found by CLSID or ProgID.

#include "platform/com/com.h"

#include "platform/com/class_registry.h"

#include <QHash>
#include <QLibrary>

#include <mutex>

namespace com {

namespace {

struct InProcessClass {
    QString progId;
    ClassFactory* factory = nullptr;
};

std::mutex& Mutex()
{
    static std::mutex m;
    return m;
}

QHash<QUuid, InProcessClass>& InProcessClasses()
{
    static QHash<QUuid, InProcessClass> classes;
    return classes;
}

// Modules loaded so far, by path. They stay loaded for the life of the
// process: objects and factories of a module may be held anywhere.
QHash<QString, QLibrary*>& LoadedModules()
{
    static QHash<QString, QLibrary*> modules;
    return modules;
}

HRESULT LoadModuleLocked(const QString& path, QLibrary*& out)
{
    out = nullptr;
    auto& modules = LoadedModules();
    if (auto it = modules.find(path); it != modules.end()) {
        out = *it;
        return S_OK;
    }
    auto* lib = new QLibrary(path);
    if (!lib->load()) {
        delete lib;
        return CO_E_DLLNOTFOUND;
    }
    modules.insert(path, lib);
    out = lib;
    return S_OK;
}

} // namespace

HRESULT LoadModule(const QString& path, QLibrary*& out)
{
    std::lock_guard lock(Mutex());
    return LoadModuleLocked(path, out);
}

HRESULT GetClassObject(const QUuid& clsid, ClassFactory*& out)
{
    out = nullptr;
    if (clsid.isNull())
        return REGDB_E_CLASSNOTREG;
    {
        std::lock_guard lock(Mutex());
        if (auto it = InProcessClasses().find(clsid); it != InProcessClasses().end()) {
            out = it->factory;
            return S_OK;
        }
    }
    const QString path = ClassRegistry::InprocServer(clsid);
    if (path.isEmpty())
        return REGDB_E_CLASSNOTREG;
    QLibrary* lib = nullptr;
    if (HRESULT hr = LoadModule(path, lib); Failed(hr))
        return hr;
    auto get = reinterpret_cast<DllGetClassObjectFn>(lib->resolve("DllGetClassObject"));
    if (!get)
        return CO_E_ERRORINDLL;
    void* factory = nullptr;
    const HRESULT hr = get(&clsid, &IID_IClassFactory, &factory);
    if (Failed(hr))
        return hr;
    if (!factory)
        return E_FAIL;
    out = static_cast<ClassFactory*>(factory);
    return S_OK;
}

HRESULT TryCreateInstance(const QUuid& clsid, Ptr<Object>& out)
{
    out.reset();
    ClassFactory* factory = nullptr;
    if (HRESULT hr = GetClassObject(clsid, factory); Failed(hr))
        return hr;
    Object* obj = nullptr;
    const HRESULT hr = factory->CreateInstance(&obj);
    if (Failed(hr))
        return hr;
    if (!obj)
        return E_FAIL;
    out = Ptr<Object>::Attach(obj);
    return S_OK;
}

Ptr<Object> CreateInstance(const QUuid& clsid)
{
    Ptr<Object> obj;
    if (Failed(TryCreateInstance(clsid, obj)))
        throw RunTimeError(rterr::CantCreateObject);
    return obj;
}

QUuid ClsidFromProgId(const QString& progId)
{
    if (progId.isEmpty())
        return {};
    {
        std::lock_guard lock(Mutex());
        const auto& classes = InProcessClasses();
        for (auto it = classes.begin(); it != classes.end(); ++it) {
            if (!it->progId.isEmpty() && it->progId.compare(progId, Qt::CaseInsensitive) == 0)
                return it.key();
        }
    }
    return ClassRegistry::ClsidFromProgId(progId);
}

Ptr<Object> CreateObject(const QString& progId)
{
    const QUuid clsid = ClsidFromProgId(progId);
    if (clsid.isNull())
        throw RunTimeError(rterr::CantCreateObject);
    return CreateInstance(clsid);
}

bool RegisterClassObject(const QUuid& clsid, const QString& progId, ClassFactory* factory)
{
    if (clsid.isNull() || !factory)
        return false;
    std::lock_guard lock(Mutex());
    auto& classes = InProcessClasses();
    if (classes.contains(clsid))
        return false;
    classes.insert(clsid, InProcessClass{progId, factory});
    return true;
}

void RevokeClassObject(const QUuid& clsid)
{
    std::lock_guard lock(Mutex());
    InProcessClasses().remove(clsid);
}

} // namespace com
