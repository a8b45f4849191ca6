#include "operations/storage_folder.h"

#include "operations/file_folder_scan.h"
#include "operations/shell_folders.h"
#include "operations/property_bag.h"
#include "platform/message_box/message_box.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cstdio>

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
            folder = GetSpecialfolder(CSIDL_APPDATA) + QLatin1Char('/')
                + QString::fromUtf16(kCompanyName) + QLatin1Char('/')
                + QString::fromUtf16(kApplicationTitle);
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
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        const bool written = file.write(bytes) == bytes.size();
        const bool flushed = file.flush();
        file.close();
        if (!written || !flushed || file.error() != QFileDevice::NoError) {
            QFile::remove(path);
            return false;
        }
        result = true;
        QFile::remove(path); // a file that cannot be deleted still passed
    } catch (...) {
    }
    return result;
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
        QFile file(folder + QStringLiteral("/Errors.Log"));
        // Unbuffered append: the whole line goes out in one write, so lines
        // of the two programs never interleave.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        file.write(line);
        file.close();
    } catch (...) {
    }
}
