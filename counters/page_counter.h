#pragma once
// The outside page counters: TiffPageCounter (module VelmoraCounters) and
// PdfPageCounter (module VelmoraPdfCounter), created by class identifier only (no ProgID) and called through an
// early-bound interface.
//
//   com::Ptr<com::Object> obj = com::CreateInstance(counters::CLSID_TiffPageCounter); // 429 when not registered
//   auto* counter = com::QueryInterface<counters::IPageCounter>(obj, counters::IID_ITiffPageCounter);
//   std::int32_t pages = 0;
//   com::HRESULT hr = counter->CountPages(path, pages);
//
// Keep `obj` for as long as `counter` is used; one object counts any number
// of files, one after another.

#include "platform/com/com.h"

#include <QString>
#include <QUuid>

#include <cstdint>

namespace counters {

inline const QUuid CLSID_TiffPageCounter{QStringLiteral("{636CD4EF-6AFB-4707-98D0-8D2A26FA2241}")};
inline const QUuid IID_ITiffPageCounter{QStringLiteral("{2AB58655-AB34-4B4A-AF15-8E336B166A31}")};
inline const QUuid CLSID_PdfPageCounter{QStringLiteral("{91AB0239-0B45-4982-AD46-DAAC2DE0BA8A}")};
inline const QUuid IID_IPdfPageCounter{QStringLiteral("{3D71AB1E-73DC-4D0E-B5F7-6BE0A34A2DBE}")};

// The interface of both counters (each answers its own interface
// identifier with it).
class IPageCounter {
public:
    // Counts the pages of the file at `path` (a full path) into `pages`.
    // A file that cannot be counted gives a negative count (the TIFF
    // counter) or a count of 0 or less (the PDF counter); the result is
    // then still S_OK. A failing result means the call itself failed.
    virtual com::HRESULT CountPages(const QString& path, std::int32_t& pages) = 0;

protected:
    ~IPageCounter() = default;
};

// The TIFF counter's bounded count (answered to IID_ITiffPageCountUpTo):
// the count of a file with fewer than `atMost` pages, else `atMost`,
// without walking the chain past that page; negative as CountPages.
inline const QUuid IID_ITiffPageCountUpTo{QStringLiteral("{7E3B1C52-94D0-4F6A-B8E1-2C5D9A0F6B47}")};

class IPageCountUpTo {
public:
    virtual com::HRESULT CountPagesUpTo(const QString& path, std::int32_t atMost, std::int32_t& pages) = 0;

protected:
    ~IPageCountUpTo() = default;
};

} // namespace counters
