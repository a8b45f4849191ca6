// regsvr [-u] <module>: loads a module and calls its DllRegisterServer, or
// DllUnregisterServer with -u. Prints what it did; exits 0 on success,
// 1 for a usage error, 3 when the module cannot be loaded, 4 when it lacks
// the entry point, 5 when the call fails.

#include "platform/com/com.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <cstdio>

namespace {

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QString Hex(com::HRESULT hr)
{
    return QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    bool unregister = false;
    QString module;
    bool usage = false;
    for (const QString& a : args) {
        if (a == QLatin1String("-u") || a == QLatin1String("/u"))
            unregister = true;
        else if (a.startsWith(u'-') && a.size() > 1)
            usage = true;
        else if (module.isEmpty())
            module = a;
        else
            usage = true;
    }
    if (usage || module.isEmpty()) {
        Print(stderr, QStringLiteral("usage: regsvr [-u] <module>"));
        return 1;
    }

    const QString path = QFileInfo(module).absoluteFilePath();
    QLibrary* lib = nullptr;
    if (com::Failed(com::LoadModule(path, lib))) {
        Print(stderr, QStringLiteral("regsvr: the module \"%1\" failed to load.").arg(path));
        return 3;
    }

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<com::DllRegisterServerFn>(lib->resolve(entry));
    if (!fn) {
        Print(stderr, QStringLiteral("regsvr: the module \"%1\" was loaded, but the entry-point %2 was not found.")
                          .arg(path, QLatin1String(entry)));
        return 4;
    }

    const com::HRESULT hr = fn();
    if (com::Failed(hr)) {
        Print(
            stderr,
            QStringLiteral("regsvr: %1 in \"%2\" failed with error code %3.").arg(QLatin1String(entry), path, Hex(hr)));
        return 5;
    }
    Print(stdout, QStringLiteral("%1 in \"%2\" succeeded.").arg(QLatin1String(entry), path));
    return 0;
}
