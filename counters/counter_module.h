#pragma once
// The body of a module that holds one page counter class: its class
// factory, and the registration regsvr runs (by class identifier only, no
// ProgID). Each counter is a module of its own, so a process that counts
// TIFF files never loads what the PDF counter needs.
//
//   namespace { counters::CounterModule<TiffPageCounter> g_module(CLSID, "TiffPageCounter"); }
//   VELMORA_COUNTER_MODULE_EXPORTS(g_module)

#include "platform/com/module_support.h"

#include <QString>
#include <QUuid>

namespace counters {

template <class Counter>
class CounterModule {
public:
    CounterModule(const QUuid& clsid, const char* typeName)
        : clsid_(clsid), typeName_(QString::fromLatin1(typeName)), factory_(module_)
    {
        module_.AddClass(clsid_, &factory_);
    }

    com::HRESULT GetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv) const
    {
        return module_.GetClassObject(clsid, iid, ppv);
    }
    com::HRESULT CanUnloadNow() const { return module_.CanUnloadNow(); }

    com::HRESULT Register() const
    {
        const QString path = module_.Path();
        if (path.isEmpty())
            return com::SELFREG_E_CLASS;
        return com::RegisterPlainClass(clsid_, typeName_, path, {}, QStringLiteral("Both")) ? com::S_OK
                                                                                            : com::SELFREG_E_CLASS;
    }
    com::HRESULT Unregister() const { return com::UnregisterClass(clsid_) ? com::S_OK : com::SELFREG_E_CLASS; }

private:
    QUuid clsid_;
    QString typeName_;
    com::Module module_;
    com::SimpleClassFactory<Counter> factory_;
};

} // namespace counters

// The four exports of a module, answered by `module` (a CounterModule).
#define VELMORA_COUNTER_MODULE_EXPORTS(module)                                                                         \
    extern "C" Q_DECL_EXPORT com::HRESULT DllGetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv)          \
    {                                                                                                                  \
        return (module).GetClassObject(clsid, iid, ppv);                                                               \
    }                                                                                                                  \
    extern "C" Q_DECL_EXPORT com::HRESULT DllCanUnloadNow()                                                            \
    {                                                                                                                  \
        return (module).CanUnloadNow();                                                                                \
    }                                                                                                                  \
    extern "C" Q_DECL_EXPORT com::HRESULT DllRegisterServer()                                                          \
    {                                                                                                                  \
        return (module).Register();                                                                                    \
    }                                                                                                                  \
    extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()                                                        \
    {                                                                                                                  \
        return (module).Unregister();                                                                                  \
    }
