// The module VelmoraPdfCounter: the PDF page counter (and the only module that loads qpdf).

#include "platform/counters/counter_module.h"
#include "platform/counters/pdf_page_counter.h"

namespace {
counters::CounterModule<counters::PdfPageCounter> g_module(counters::CLSID_PdfPageCounter, "PdfPageCounter");
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
