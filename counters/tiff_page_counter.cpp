#include "counters/tiff_page_counter.h"

#include "counters/tiff_page_count.h"

#include <QFile>

namespace counters {

void* TiffPageCounter::QueryInterface(const QUuid& iid)
{
    if (iid == IID_ITiffPageCounter)
        return static_cast<IPageCounter*>(this);
    if (iid == IID_ITiffPageCountUpTo)
        return static_cast<IPageCountUpTo*>(this);
    return com::Object::QueryInterface(iid);
}

com::HRESULT TiffPageCounter::CountPages(const QString& path, std::int32_t& pages)
{
    return CountPagesUpTo(path, 0x7FFFFFFF, pages);
}

com::HRESULT TiffPageCounter::CountPagesUpTo(const QString& path, std::int32_t atMost, std::int32_t& pages)
{
    try {
        pages = Count(path, atMost);
    } catch (...) {
        pages = -1;
    }
    return com::S_OK;
}

std::int32_t TiffPageCounter::Count(const QString& path, std::int32_t atMost)
{
    // A name holding a NUL would reach the file system cut short.
    if (path.contains(QChar(u'\0')))
        return -1;
    return CountTiffFilePagesUpTo(QFile::encodeName(path).constData(), atMost);
}

} // namespace counters
