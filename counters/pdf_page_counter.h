#pragma once
// PdfPageCounter: counts the pages of a PDF file with qpdf, quietly. The
// page tree is walked here, not by qpdf, with bounds: a tree deeper than
// kMaxDepth, one with more than kMaxNodes nodes, and one that reaches a
// node twice (a loop, or a page listed more than once) count -1, as does a
// file that is not a PDF file or whose page tree cannot be read. The count
// is made in a child process: one that would need more than kMaxMemory or
// kMaxSeconds counts -1 as well, and the caller's memory stays as it was.
// qpdf has no bounds of its own: it inflates a stream whole and rebuilds a
// damaged cross-reference table by reading the whole file. Only a regular
// file is opened, never a FIFO or device.

#include "counters/page_counter.h"
#include "platform/com/com.h"

#include <cstddef>

namespace counters {

class PdfPageCounter : public com::Object, public IPageCounter {
public:
    // Intermediate nodes on one path, the root included (a balanced tree
    // of a billion pages is some 30 levels deep).
    static constexpr int kMaxDepth = 256;
    // Page and intermediate nodes together.
    static constexpr std::int32_t kMaxNodes = 1000000;
    // What one count may take beyond the caller's own memory, and how
    // long it may run.
    static constexpr std::size_t kMaxMemory = std::size_t(256) << 20;
    static constexpr int kMaxSeconds = 5;

    void* QueryInterface(const QUuid& iid) override;
    com::HRESULT CountPages(const QString& path, std::int32_t& pages) override;

    static std::int32_t Count(const QString& path);
};

} // namespace counters
