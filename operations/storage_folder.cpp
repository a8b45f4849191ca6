#include "operations/storage_folder.h"

#include "operations/file_folder_scan.h"
#include "operations/property_bag.h"
#include "operations/shell_folders.h"
#include "platform/message_box/message_box.h"
#include "platform/safe_file/regular_file.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString& StorageFolderValue()
{
    static QString folder;
    return folder;
}

void ShowCriticalMessage(const QString& text)
{
    MsgBox(text, MsgBoxIcon::Critical, MsgBoxButtons::OK, QString::fromUtf16(kApplicationTitle));
}

// Writes all of `bytes`; false (errno set) on any failed write.
bool WriteAll(int fd, const QByteArray& bytes)
{
    errno = 0;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

const QString& StorageFolder() noexcept
{
    return StorageFolderValue();
}

void SetStorageFolder(const QString& folder)
{
    StorageFolderValue() = folder;
}

bool GetStorageFolder() noexcept
{
    try {
        QString folder;
        try {
            folder = GetSpecialfolder(CSIDL_APPDATA) + QLatin1Char('/') + QString::fromUtf16(kCompanyName)
                     + QLatin1Char('/') + QString::fromUtf16(kApplicationTitle);
            SetStorageFolder(folder);
        } catch (...) {
            ShowCriticalMessage(QStringLiteral("Unable to get file storage folder path"));
            return false;
        }
        return CreateFolderPath(folder);
    } catch (...) {
        return false;
    }
}

QString WriteTestNoticeText()
{
    return QStringLiteral("Needed Admin Permission :Cann't run without adminstrator rights in Vista\"");
}

bool CanWriteFile(const QString& path) noexcept
{
    bool result = false;
    try {
        QByteArray bytes;
        {
            PropertyBag bag;
            bag.WriteString(QStringLiteral("ID"), QStringLiteral("test"));
            bytes = bag.Contents();
        }
        // Never through a link, never into a FIFO or device planted there.
        const int fd =
            safe_file::OpenRegular(QFile::encodeName(path).toStdString(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW);
        if (fd < 0)
            return false;
        const bool written = WriteAll(fd, bytes);
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            QFile::remove(path);
            return false;
        }
        result = true;
        QFile::remove(path); // a file that cannot be deleted still passed
    } catch (...) {
    }
    return result;
}

int AppendToLogFile(const QString& path, const QByteArray& bytes) noexcept
{
    // Never through a link: a planted one would have the line appended to
    // whatever file it names.
    const int fd =
        safe_file::OpenRegular(QFile::encodeName(path).toStdString(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW);
    if (fd < 0)
        return errno;
    // Nor to a file that has other names: a hard link planted under the
    // log's name would have the line appended to the file it shares.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_nlink > 1) {
        const int error = st.st_nlink > 1 ? EMLINK : errno;
        ::close(fd);
        return error;
    }
    int error = WriteAll(fd, bytes) ? 0 : (errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

QString ErrorLogTimestamp()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // The long time format may name the time zone ("t"); the log line
    // carries the clock time only.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    timeFormat.remove(zone);
    timeFormat = timeFormat.trimmed();
    if (timeFormat.isEmpty())
        timeFormat = QStringLiteral("HH:mm:ss");
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(now.time(), timeFormat);
}

void LogError(const QString& message) noexcept
{
    try {
        const QString folder = StorageFolder();
        // Before start-up has found the storage folder there is nowhere
        // sensible to write; the line is dropped.
        if (folder.isEmpty())
            return;
        const QByteArray line =
            (message + QStringLiteral("- ") + ErrorLogTimestamp() + QStringLiteral("\r\n")).toUtf8();
        // Appended in one write, so lines of the two programs never
        // interleave; a FIFO or device under the name is not written to.
        AppendToLogFile(folder + QStringLiteral("/Errors.Log"), line);
    } catch (...) {
    }
}
