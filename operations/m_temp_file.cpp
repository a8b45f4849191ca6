#include "operations/m_temp_file.h"

#include "operations/system_error.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

namespace {

[[noreturn]] void RaiseSystemError(int code)
{
    throw SystemError(code);
}

} // namespace

QString GetTempDir()
{
    QString dir = QDir::tempPath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        RaiseSystemError(ENOENT);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString MakeTempFileName(const QString& prefix, const QString& folder)
{
    QString dir = folder.isEmpty() ? GetTempDir() : folder;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    // The name keeps at most three characters of the prefix.
    QTemporaryFile file(dir + prefix.left(3) + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    errno = 0;
    if (!file.open()) {
        const int code = errno != 0 ? errno : EACCES;
        RaiseSystemError(code);
    }
    const QString name = file.fileName();
    file.close();
    return name;
}

QString ApiErrorText(std::int32_t errorCode)
{
    if (errorCode <= 0)
        return QString();
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = strerror_r(errorCode, buffer, sizeof buffer);
    const QString message = QString::fromLocal8Bit(text ? text : buffer);
    if (message.startsWith(QLatin1String("Unknown error")))
        return QString();
    return message;
}

bool IsWindowsNT() noexcept
{
    return false;
}
