#include "platform/outside_library/outside_library.h"

#include "platform/runtime/run_time_error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

void* OutsideLibrary::Resolve(const char* symbol) const
{
    QString path = name_;
    if (QCoreApplication::instance()) {
        const QString local =
            QCoreApplication::applicationDirPath() + QStringLiteral("/lib") + name_ + QStringLiteral(".so");
        if (QFileInfo(local).isFile())
            path = local;
    }
    // Libraries stay loaded for the rest of the run, as the platform keeps
    // a library once a declared function of it was called.
    QLibrary library(path);
    if (!library.load())
        throw RunTimeError(rterr::FileNotFound, QStringLiteral("File not found: ") + name_);
    QFunctionPointer fn = library.resolve(symbol);
    if (!fn)
        throw RunTimeError(rterr::EntryPointNotFound, QStringLiteral("Can't find DLL entry point ")
                                                          + QString::fromLatin1(symbol) + QStringLiteral(" in ")
                                                          + name_);
    return reinterpret_cast<void*>(fn);
}
