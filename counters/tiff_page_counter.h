#pragma once
// TiffPageCounter: counts the pages (the directories of the chain) of a
// TIFF file by the page engine's rule (tiff_page_count.h). A file the
// engine finds no page in counts -1.

#include "counters/page_counter.h"
#include "platform/com/com.h"

namespace counters {

class TiffPageCounter : public com::Object, public IPageCounter, public IPageCountUpTo {
public:
    void* QueryInterface(const QUuid& iid) override;
    com::HRESULT CountPages(const QString& path, std::int32_t& pages) override;
    com::HRESULT CountPagesUpTo(const QString& path, std::int32_t atMost, std::int32_t& pages) override;

    // The count itself, for callers inside the module; `atMost` as
    // CountPagesUpTo.
    static std::int32_t Count(const QString& path, std::int32_t atMost = 0x7FFFFFFF);
};

} // namespace counters
