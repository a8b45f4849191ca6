#pragma once
// A small object runtime standing in for in-process COM and OLE Automation.
//
// Classes live in modules (shared libraries) that export DllRegisterServer,
// DllUnregisterServer, DllGetClassObject and DllCanUnloadNow. Registration
// writes the usual class keys into a per-user class registry (ClassRegistry).
// Callers create objects by ProgID or CLSID; the runtime finds the module,
// loads it and asks its class factory. Dispatch objects are QObjects; a call
// by name or by DISPID goes through the Qt meta-object system with QVariant
// arguments converted to the parameter types the way a dispatch layer does.
//
// Failures seen by a late-bound caller are raised as RunTimeError:
// 429 (can't create object), 438 (no such member), 13 (type mismatch),
// 6 (overflow).

#include "platform/runtime/run_time_error.h"

#include <QObject>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QVariantList>

#include <atomic>
#include <cstdint>
#include <utility>

class QLibrary;

namespace com {

using HRESULT = std::int32_t;
using DISPID = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = static_cast<HRESULT>(0x8002801Du);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

inline constexpr bool Failed(HRESULT hr)
{
    return hr < 0;
}

inline constexpr DISPID DISPID_ABOUTBOX = -552;
// The verb that asks an object to show its property pages (DoVerb).
inline constexpr int OLEIVERB_PROPERTIES = -7;

// Well-known interface identifiers.
extern const QUuid IID_IUnknown;      // {00000000-0000-0000-C000-000000000046}
extern const QUuid IID_IDispatch;     // {00020400-0000-0000-C000-000000000046}
extern const QUuid IID_IClassFactory; // {00000001-0000-0000-C000-000000000046}

// Base of every object made through the runtime: reference counted
// (AddRef/Release, deleted at zero) and answering QueryInterface.
// A dispatch object declares its methods Q_INVOKABLE with parameter types
// QString, short (16-bit), int (32-bit), bool or QVariant and a result of
// one of those types or void. DISPIDs come from class info entries
// Q_CLASSINFO("DISPID <number>", "<member name>").
class Object : public QObject {
    Q_OBJECT
public:
    explicit Object(QObject* parent = nullptr);
    ~Object() override;

    unsigned long AddRef();
    unsigned long Release();

    // The interface pointer for iid, or nullptr. The default answers
    // IID_IUnknown and IID_IDispatch with this object. A class offering an
    // early-bound interface overrides it and returns a pointer to that base.
    // The pointer borrows the object's reference: keep a Ptr to the object.
    virtual void* QueryInterface(const QUuid& iid);

private:
    std::atomic<unsigned long> refs_{1};
};

// Owning reference to an Object (Release on reset or destruction).
template <class T = Object>
class Ptr {
public:
    Ptr() = default;
    // Takes over one reference that the caller owns (as returned by a factory).
    static Ptr Attach(T* p)
    {
        Ptr r;
        r.p_ = p;
        return r;
    }
    Ptr(const Ptr& o) : p_(o.p_)
    {
        if (p_)
            p_->AddRef();
    }
    Ptr(Ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Ptr& operator=(Ptr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ptr() { reset(); }
    void reset()
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// What a module's DllGetClassObject hands out for IID_IClassFactory.
// Factories are static objects of their module and are never deleted.
class ClassFactory {
public:
    // A new object with one reference owned by the caller, or a failure.
    virtual HRESULT CreateInstance(Object** out) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~ClassFactory() = default;
};

// Signatures of the four exports of a module (extern "C").
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(const QUuid* clsid, const QUuid* iid, void** ppv);
using DllCanUnloadNowFn = HRESULT (*)();

// ---- creation -----------------------------------------------------------

// CLSIDFromProgID through the class registry; a null QUuid when unknown.
QUuid ClsidFromProgId(const QString& progId);

// CoCreateInstance: looks the class up (in-process registrations first,
// then the class registry), loads its module and asks the factory.
// Raises RunTimeError 429 when the class is not registered, the module is
// missing or cannot be loaded, or the module has no such class.
Ptr<Object> CreateInstance(const QUuid& clsid);
// CreateObject(progId): the same by ProgID.
Ptr<Object> CreateObject(const QString& progId);

// Same as CreateInstance, reporting failure as an HRESULT instead.
HRESULT TryCreateInstance(const QUuid& clsid, Ptr<Object>& out);

// CoGetClassObject: the class factory of clsid (in-process registrations
// first, then the class registry). REGDB_E_CLASSNOTREG when the class is
// not registered, CO_E_DLLNOTFOUND when its module cannot be loaded,
// CO_E_ERRORINDLL when the module has no DllGetClassObject, or the failure
// the module's DllGetClassObject returned (CLASS_E_CLASSNOTAVAILABLE).
HRESULT GetClassObject(const QUuid& clsid, ClassFactory*& out);

// Loads a module by path, once; it stays loaded for the life of the
// process. CO_E_DLLNOTFOUND when it cannot be loaded.
HRESULT LoadModule(const QString& path, QLibrary*& out);

// Makes a class created by a factory inside this process reachable by CLSID
// (and ProgID when given) without any registry entry, for classes that the
// programs carry themselves. Returns false when the CLSID is taken.
bool RegisterClassObject(const QUuid& clsid, const QString& progId, ClassFactory* factory);
void RevokeClassObject(const QUuid& clsid);

// Early binding: the interface pointer of iid or nullptr.
template <class I>
I* QueryInterface(const Ptr<Object>& obj, const QUuid& iid)
{
    return obj ? static_cast<I*>(obj->QueryInterface(iid)) : nullptr;
}

// ---- late binding -------------------------------------------------------

// Calls the member `name` (compared without regard to case) with the
// arguments converted to its parameter types; returns the result (an
// invalid QVariant for a void member). Raises 438 when there is no such
// member or the argument count is wrong, 13 on a type mismatch, 6 on
// overflow, 91 on a null object.
QVariant Invoke(Object* obj, const QString& name, const QVariantList& args = {});
inline QVariant Invoke(const Ptr<Object>& obj, const QString& name, const QVariantList& args = {})
{
    return Invoke(obj.get(), name, args);
}
// The same by DISPID.
QVariant InvokeById(Object* obj, DISPID id, const QVariantList& args = {});
// Property put by DISPID (a Q_PROPERTY whose DISPID is given by class info).
void PutPropertyById(Object* obj, DISPID id, const QVariant& value);

// Converts a variant the way a dispatch layer coerces an argument to a
// parameter type (QMetaType::Short, Int, Bool, QString). Raises 13 or 6.
QVariant CoerceArgument(const QVariant& value, QMetaType target);

// ---- last error -----------------------------------------------------------

// The calling thread's last-error value (SetLastError / GetLastError): a
// module's method that fails for a reason of the system leaves its errno
// value here for the caller to read after the call returns. Shared by the
// programs and every module, as this runtime is one shared library.
void SetLastError(int error) noexcept;
int GetLastError() noexcept;

// The calling thread's error information beside it (SetErrorInfo /
// GetErrorInfo, the description of IErrorInfo): a short text a module's
// method leaves when it refuses its work for a reason of its own ("page 3:
// no image data"). GetErrorInfo hands the text over and clears it; empty
// when none was left.
void SetErrorInfo(const QString& description);
QString GetErrorInfo();

} // namespace com
