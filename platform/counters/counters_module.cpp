// The module VelmoraCounters: its class factories, and the registration
// regsvr runs. The classes are registered by class identifier only.

#include "platform/com/module_support.h"
#include "platform/counters/page_counter.h"
#include "platform/counters/pdf_page_counter.h"
#include "platform/counters/tiff_page_counter.h"

namespace {

com::Module g_module;
com::SimpleClassFactory<counters::TiffPageCounter> g_tiffFactory(g_module);
com::SimpleClassFactory<counters::PdfPageCounter> g_pdfFactory(g_module);

const bool g_added = [] {
    g_module.AddClass(counters::CLSID_TiffPageCounter, &g_tiffFactory);
    g_module.AddClass(counters::CLSID_PdfPageCounter, &g_pdfFactory);
    return true;
}();

const QString kThreadingModel = QStringLiteral("Both");

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
    const QString path = g_module.Path();
    if (path.isEmpty()) return com::SELFREG_E_CLASS;
    const bool ok = com::RegisterPlainClass(counters::CLSID_TiffPageCounter, QStringLiteral("TiffPageCounter"), path,
                                            {}, kThreadingModel)
                    && com::RegisterPlainClass(counters::CLSID_PdfPageCounter, QStringLiteral("PdfPageCounter"),
                                               path, {}, kThreadingModel);
    return ok ? com::S_OK : com::SELFREG_E_CLASS;
}

extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()
{
    const bool tiff = com::UnregisterClass(counters::CLSID_TiffPageCounter);
    const bool pdf = com::UnregisterClass(counters::CLSID_PdfPageCounter);
    return tiff && pdf ? com::S_OK : com::SELFREG_E_CLASS;
}
