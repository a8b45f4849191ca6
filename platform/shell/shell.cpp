#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QTimer>
#include <QVariant>

#include <utility>

namespace shell {

Handler::~Handler() = default;

namespace {

class SystemHandler final : public Handler {
public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    bool Run(const QString& program, const QStringList& arguments, OutcomeCallback done) override
    {
        // The process object lives until the program has ended; nothing
        // here waits for it.
        auto* process = new QProcess;
        process->setProgram(program);
        process->setArguments(arguments);
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        auto* timeout = new QTimer(process);
        timeout->setSingleShot(true);
        QObject::connect(timeout, &QTimer::timeout, process, [process] {
            process->setProperty("velmoraTimedOut", true);
            process->kill();
        });
        QObject::connect(process, &QProcess::finished, process,
                         [process, done](int exitCode, QProcess::ExitStatus status) {
                             ProgramOutcome outcome;
                             outcome.started = true;
                             outcome.finished = status == QProcess::NormalExit;
                             outcome.timedOut = process->property("velmoraTimedOut").toBool();
                             outcome.exitCode = exitCode;
                             outcome.standardError = QString::fromLocal8Bit(process->readAllStandardError());
                             process->deleteLater();
                             if (done)
                                 done(outcome);
                         });
        process->start();
        if (!process->waitForStarted()) {
            delete process;
            return false;
        }
        timeout->start(kRunTimeoutMs);
        return true;
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
    if (printTo || verb.compare(QLatin1String("print"), Qt::CaseInsensitive) == 0)
        return Print(target, printTo ? parameters : QString(), {});
    return false;
}

bool Print(const QString& file, const QString& printer, OutcomeCallback done)
{
    if (file.isEmpty() || IsAddress(file))
        return false;
    QStringList arguments;
    if (!printer.isEmpty())
        arguments << QStringLiteral("-d") << printer;
    arguments << QStringLiteral("--") << file;
    return CurrentHandler().Run(QStringLiteral("lp"), arguments, std::move(done));
}

QString FailureText(const QString& program, const ProgramOutcome& outcome)
{
    if (!outcome.started)
        return program + QStringLiteral(" could not be started.");
    if (outcome.timedOut)
        return program + QStringLiteral(" did not end within %1 seconds and was stopped.").arg(kRunTimeoutMs / 1000);
    if (!outcome.finished)
        return program + QStringLiteral(" ended abnormally.");
    if (outcome.exitCode == 0)
        return QString();
    // Its own words, on one line.
    const QString said = outcome.standardError.simplified();
    return said.isEmpty() ? program + QStringLiteral(" ended with status %1.").arg(outcome.exitCode) : said;
}

bool Open(const QString& target)
{
    return Execute(QStringLiteral("open"), target);
}

} // namespace shell
