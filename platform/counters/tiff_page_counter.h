#pragma once
// TiffPageCounter: counts the pages (the chain of image directories) of a
// TIFF file with libtiff, quietly. A file that is not a TIFF file, cannot
// be read, or whose chain is damaged (a directory that cannot be read, a
// loop, more than kMaxPages directories, directories that together would
// be larger than the file) counts -1.

#include "platform/com/com.h"
#include "platform/counters/page_counter.h"

namespace counters {

class TiffPageCounter : public com::Object, public IPageCounter {
public:
    static constexpr std::int32_t kMaxPages = 65535;

    void* QueryInterface(const QUuid& iid) override;
    com::HRESULT CountPages(const QString& path, std::int32_t& pages) override;

    // The count itself, for callers inside the module.
    static std::int32_t Count(const QString& path);
};

} // namespace counters
