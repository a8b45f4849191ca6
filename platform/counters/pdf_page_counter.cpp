#include "platform/counters/pdf_page_counter.h"

#include "platform/counters/regular_file.h"

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFLogger.hh>

#include <cstdio>
#include <limits>
#include <unistd.h>

namespace counters {

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
    const int fd = OpenRegularFile(path);
    if (fd < 0) return -1;
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return -1;
    }
    const QByteArray name = QFile::encodeName(path); // outlives the document
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
        const auto count = pdf.getAllPages().size();
        if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return -1;
        return static_cast<std::int32_t>(count);
    } catch (...) {
        return -1;
    }
}

} // namespace counters
