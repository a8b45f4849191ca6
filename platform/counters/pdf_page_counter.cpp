#include "platform/counters/pdf_page_counter.h"

#include "platform/safe_file/regular_file.h"

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstdio>
#include <fcntl.h>
#include <set>
#include <unistd.h>
#include <vector>

namespace counters {

namespace {

// The pages of the tree under `root`, walked without recursion; -1 when
// the tree passes a bound or reaches a node twice.
std::int32_t CountTree(QPDFObjectHandle root)
{
    if (!root.isDictionary()) return -1;
    struct Level {
        QPDFObjectHandle kids;
        int next = 0;
        int size = 0;
    };
    std::set<QPDFObjGen> seen;
    if (root.isIndirect()) seen.insert(root.getObjGen());
    std::vector<Level> path;
    std::int32_t nodes = 1;
    std::int32_t pages = 0;
    auto enter = [&](QPDFObjectHandle node) {
        QPDFObjectHandle kids = node.getKey("/Kids");
        path.push_back({kids, 0, kids.getArrayNItems()});
    };
    if (!root.getKey("/Kids").isArray()) return -1;
    enter(root);
    while (!path.empty()) {
        Level& level = path.back();
        if (level.next == level.size) {
            path.pop_back();
            continue;
        }
        QPDFObjectHandle kid = level.kids.getArrayItem(level.next++);
        if (!kid.isDictionary()) continue; // not a node: passed over, as readers do
        if (++nodes > PdfPageCounter::kMaxNodes) return -1;
        if (kid.isIndirect() && !seen.insert(kid.getObjGen()).second) return -1;
        if (kid.getKey("/Kids").isArray()) {
            if (static_cast<int>(path.size()) >= PdfPageCounter::kMaxDepth) return -1;
            enter(kid);
        } else {
            ++pages;
        }
    }
    return pages;
}

} // namespace

void* PdfPageCounter::QueryInterface(const QUuid& iid)
{
    if (iid == IID_IPdfPageCounter) return static_cast<IPageCounter*>(this);
    return com::Object::QueryInterface(iid);
}

com::HRESULT PdfPageCounter::CountPages(const QString& path, std::int32_t& pages)
{
    try {
        pages = Count(path);
    } catch (...) {
        pages = -1;
    }
    return com::S_OK;
}

std::int32_t PdfPageCounter::Count(const QString& path)
{
    if (path.isEmpty()) return -1;
    const QByteArray name = QFile::encodeName(path); // outlives the document
    // A FIFO or a device given as a file name must not hang the count.
    const int fd = safe_file::OpenRegular(name.toStdString(), O_RDONLY);
    if (fd < 0) return -1;
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return -1;
    }
    try {
        QPDF pdf;
        // Nothing of qpdf's reaches the terminal.
        auto logger = QPDFLogger::create();
        logger->setWarn(logger->discard());
        logger->setError(logger->discard());
        logger->setInfo(logger->discard());
        pdf.setLogger(logger);
        pdf.setSuppressWarnings(true);
        // A damaged cross-reference table is rebuilt by one pass over the
        // file; more is not attempted.
        pdf.setAttemptRecovery(true);
        pdf.processFile(name.constData(), file, true);
        return CountTree(pdf.getRoot().getKey("/Pages"));
    } catch (...) {
        return -1;
    }
}

} // namespace counters
