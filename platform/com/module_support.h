#pragma once
// Helpers for writing a module (a shared library of classes) for the object
// runtime. A module needs only a few lines:
//
//   namespace { com::Module g_module; }
//   static com::SimpleClassFactory<MyObject> g_factory(g_module);
//   static const bool g_added = (g_module.AddClass(kMyClsid, &g_factory), true);
//
//   extern "C" Q_DECL_EXPORT com::HRESULT DllGetClassObject(const QUuid* c, const QUuid* i, void** p)
//   { return g_module.GetClassObject(c, i, p); }
//   extern "C" Q_DECL_EXPORT com::HRESULT DllCanUnloadNow() { return g_module.CanUnloadNow(); }
//   extern "C" Q_DECL_EXPORT com::HRESULT DllRegisterServer()
//   {
//       return com::RegisterPlainClass(kMyClsid, "My Class", g_module.Path())
//           ? com::S_OK : com::SELFREG_E_CLASS;
//   }
//   extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()
//   { return com::UnregisterClass(kMyClsid) ? com::S_OK : com::SELFREG_E_CLASS; }
//
// Objects made by SimpleClassFactory are counted in the module while they
// live; LockServer counts locks. CanUnloadNow answers S_OK when both counts
// are zero, else S_FALSE.

#include "platform/com/com.h"

#include <QString>
#include <QUuid>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace com {

// Full path of the loaded shared library (or program) that holds address.
// Pass the address of something defined in the module itself.
QString ModulePathOf(const void* address);

// The object count, lock count and class factories of one module. Make it
// a static object of the module.
class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Makes factory the answer of GetClassObject for clsid. The factory
    // must outlive the module's use (a static object of the module).
    void AddClass(const QUuid& clsid, ClassFactory* factory);

    // The DllGetClassObject lookup: the factory of clsid when iid is
    // IID_IClassFactory or IID_IUnknown; CLASS_E_CLASSNOTAVAILABLE for an
    // unknown class, E_NOINTERFACE for another interface, E_POINTER for a
    // null argument.
    HRESULT GetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv) const;
    // The DllCanUnloadNow test.
    HRESULT CanUnloadNow() const;

    void ObjectCreated() { ++objects_; }
    void ObjectDestroyed() { --objects_; }
    void Lock() { ++locks_; }
    void Unlock() { --locks_; }
    long Objects() const { return objects_; }

    // Path of the shared library holding this module object.
    QString Path() const { return ModulePathOf(this); }

private:
    std::atomic<long> objects_{0};
    std::atomic<long> locks_{0};
    mutable std::mutex mutex_;
    std::vector<std::pair<QUuid, ClassFactory*>> classes_;
};

// T counted in module m for as long as the object lives.
template <class T>
class Counted final : public T {
public:
    template <class... A>
    explicit Counted(Module& m, A&&... args) : T(std::forward<A>(args)...), module_(m)
    {
        module_.ObjectCreated();
    }
    ~Counted() override { module_.ObjectDestroyed(); }

private:
    Module& module_;
};

// A class factory that makes a new default-constructed T (a com::Object)
// for every request and counts it in its module.
template <class T>
class SimpleClassFactory : public ClassFactory {
public:
    explicit SimpleClassFactory(Module& m) : module_(m) {}

    HRESULT CreateInstance(Object** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        T* obj = nullptr;
        try {
            obj = new Counted<T>(module_);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
        *out = obj;
        return S_OK;
    }

    HRESULT LockServer(bool lock) override
    {
        if (lock)
            module_.Lock();
        else
            module_.Unlock();
        return S_OK;
    }

private:
    Module& module_;
};

// ---- registration ---------------------------------------------------------

// The keys of a standard control registration: the ProgID key (user type
// name, CLSID), and under CLSID/{clsid} the user type name, ProgID,
// InprocServer32 (modulePath, ThreadingModel), Control,
// ToolboxBitmap32 ("<modulePath>, <bitmap>"), MiscStatus "0" with subkey 1
// (miscStatus in decimal), TypeLib and Version.
struct ControlRegistration {
    QUuid clsid;
    QString progId;
    QString userTypeName;
    QUuid typeLib;
    QString version = QStringLiteral("1.0");
    std::uint32_t miscStatus = 0;
    int toolboxBitmapId = 1;
    QString threadingModel = QStringLiteral("Apartment");
};
bool RegisterControl(const ControlRegistration& reg, const QString& modulePath);

// A plain class: CLSID/{clsid} with the type name and InprocServer32
// (modulePath); ThreadingModel only when given, ProgID keys only when given.
bool RegisterPlainClass(const QUuid& clsid, const QString& typeName, const QString& modulePath,
                        const QString& progId = {}, const QString& threadingModel = {});

// Removes CLSID/{clsid} and the ProgID key when given.
bool UnregisterClass(const QUuid& clsid, const QString& progId = {});

} // namespace com
