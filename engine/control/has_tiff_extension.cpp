#include "engine/control/has_tiff_extension.h"

bool HasTiffExtension(const QString& name)
{
    return name.endsWith(QLatin1String("tif"), Qt::CaseSensitive)
           || name.endsWith(QLatin1String("TIF"), Qt::CaseSensitive)
           || name.endsWith(QLatin1String("tiff"), Qt::CaseSensitive)
           || name.endsWith(QLatin1String("TIFF"), Qt::CaseSensitive);
}
