#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QProcess>

namespace shell {

Handler::~Handler() = default;

namespace {

class SystemHandler final : public Handler {
public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    bool StartDetached(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

Handler* g_installed = nullptr;

} // namespace

Handler& CurrentHandler()
{
    static SystemHandler system;
    return g_installed ? *g_installed : system;
}

Handler* SetHandler(Handler* handler)
{
    Handler* previous = g_installed;
    g_installed = handler;
    return previous;
}

bool IsAddress(const QString& target)
{
    static const char* const schemes[] = {"mailto:", "http:", "https:", "ftp:", "file:"};
    for (const char* scheme : schemes) {
        if (target.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QUrl UrlForTarget(const QString& target)
{
    if (target.isEmpty())
        return QUrl();
    if (IsAddress(target))
        return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(target);
}

bool Execute(const QString& verb, const QString& target, const QString& parameters)
{
    if (target.isEmpty())
        return false;
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0
        || verb.compare(QLatin1String("explore"), Qt::CaseInsensitive) == 0) {
        const QUrl url = UrlForTarget(target);
        return url.isValid() && CurrentHandler().OpenUrl(url);
    }
    const bool printTo = verb.compare(QLatin1String("printto"), Qt::CaseInsensitive) == 0;
    if (printTo || verb.compare(QLatin1String("print"), Qt::CaseInsensitive) == 0) {
        if (IsAddress(target))
            return false;
        QStringList arguments;
        if (printTo && !parameters.isEmpty())
            arguments << QStringLiteral("-d") << parameters;
        arguments << QStringLiteral("--") << target;
        return CurrentHandler().StartDetached(QStringLiteral("lp"), arguments);
    }
    return false;
}

bool Open(const QString& target)
{
    return Execute(QStringLiteral("open"), target);
}

} // namespace shell
