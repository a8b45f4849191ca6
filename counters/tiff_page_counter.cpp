#include "counters/tiff_page_counter.h"

#include "counters/tiff_page_count.h"

#include <QFile>

namespace counters {

void* TiffPageCounter::QueryInterface(const QUuid& iid)
{
    if (iid == IID_ITiffPageCounter)
        return static_cast<IPageCounter*>(this);
    return com::Object::QueryInterface(iid);
}

com::HRESULT TiffPageCounter::CountPages(const QString& path, std::int32_t& pages)
{
    try {
        pages = Count(path);
    } catch (...) {
        pages = -1;
    }
    return com::S_OK;
}

std::int32_t TiffPageCounter::Count(const QString& path)
{
    // A name holding a NUL would reach the file system cut short.
    if (path.contains(QChar(u'\0')))
        return -1;
    return CountTiffFilePages(QFile::encodeName(path).constData());
}

} // namespace counters
