#pragma once
// PdfPageCounter: counts the pages of a PDF file with qpdf, quietly. A file
// that is not a PDF file or whose page tree cannot be read counts -1.

#include "platform/com/com.h"
#include "platform/counters/page_counter.h"

namespace counters {

class PdfPageCounter : public com::Object, public IPageCounter {
public:
    void* QueryInterface(const QUuid& iid) override;
    com::HRESULT CountPages(const QString& path, std::int32_t& pages) override;

    static std::int32_t Count(const QString& path);
};

} // namespace counters
