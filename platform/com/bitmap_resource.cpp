#include "platform/com/bitmap_resource.h"

#include "platform/com/com.h"

#include <QLibrary>

namespace com {

QByteArray ReadBitmapResource(const QString& modulePath, int id)
{
    QLibrary* module = nullptr;
    if (Failed(LoadModule(modulePath, module)))
        return {};
    auto get = reinterpret_cast<DllGetBitmapFn>(module->resolve(kBitmapExport));
    std::size_t size = 0;
    const unsigned char* data = get ? get(id, &size) : nullptr;
    if (!data || size == 0)
        return {};
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QByteArray ReadBitmapResource(const QString& pathAndNumber)
{
    const qsizetype comma = pathAndNumber.lastIndexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    bool ok = false;
    const int id = pathAndNumber.mid(comma + 1).trimmed().toInt(&ok);
    const QString path = pathAndNumber.left(comma).trimmed();
    if (!ok || path.isEmpty())
        return {};
    return ReadBitmapResource(path, id);
}

} // namespace com
