// The module VelmoraCounters: the TIFF page counter.

#include "platform/counters/counter_module.h"
#include "platform/counters/tiff_page_counter.h"

namespace {
counters::CounterModule<counters::TiffPageCounter> g_module(counters::CLSID_TiffPageCounter, "TiffPageCounter");
} // namespace

extern "C" Q_DECL_EXPORT com::HRESULT DllGetClassObject(const QUuid* clsid, const QUuid* iid, void** ppv)
{
    return g_module.GetClassObject(clsid, iid, ppv);
}

extern "C" Q_DECL_EXPORT com::HRESULT DllCanUnloadNow()
{
    return g_module.CanUnloadNow();
}

extern "C" Q_DECL_EXPORT com::HRESULT DllRegisterServer()
{
    return g_module.Register();
}

extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()
{
    return g_module.Unregister();
}
