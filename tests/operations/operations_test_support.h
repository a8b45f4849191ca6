#pragma once
// Shared set-up of the operations tests: a Qt application object, the error-log lines, a
// desktop-program fixture with its storage folder in a temporary home, and small multi-page TIFF
// files made with libtiff.

#include "operations/cls_col_set_order_grid.h"
#include "operations/running_program.h"
#include "operations/storage_folder.h"
#include "tests/platform/com/temp_home.h"
#include "tests/support/grey_tiff.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tiffio.h>

#include <vector>

// One QApplication for the whole test program (offscreen platform).
inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "operations_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// The record of a file `name` in `folder`, as a front end hands it over.
inline clsColSetOrderGrid FileRecord(const QString& folder, const QString& name)
{
    clsColSetOrderGrid r;
    r.FileLocation(folder);
    r.filename(name);
    return r;
}

// The lines of Errors.Log in `folder` (line ends removed); empty when missing.
inline QStringList ErrorLogLines(const QString& folder)
{
    QFile file(folder + "/Errors.Log");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    QStringList lines = text.split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The desktop program with its storage folder in a temporary home; Lines()
// are the error-log lines written there.
class DesktopStorageTest : public ::testing::Test {
protected:
    TempHome home;
    void SetUp() override
    {
        EnsureApplication();
        SelectRunningProgram(RunningProgram::Desktop);
        ASSERT_TRUE(GetStorageFolder());
    }
    void TearDown() override
    {
        SelectRunningProgram(RunningProgram::Desktop);
        SetStorageFolder(QString());
    }
    QStringList Lines() const { return ErrorLogLines(StorageFolder()); }
    // Exactly one error-log line, beginning with `start`, from `procedure`
    // of the class module `object`; the log is then removed, so that the
    // next check sees only new lines.
    void ExpectOneLogLine(const QString& procedure, const QString& object = QStringLiteral("TiffPdfCommands"),
                          const QString& start = QString())
    {
        const QStringList lines = Lines();
        ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith(start)) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(" in procedure " + procedure + " at Line No. ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(" of Class Module " + object + " at time- ")) << lines[0].toStdString();
        QFile::remove(StorageFolder() + "/Errors.Log");
    }
};

// Writes a TIFF file whose page i is an 8-bit grey image of width
// widths[i] and height 4, so pages can be told apart by their widths.
inline bool WriteTiff(const QString& path, const std::vector<int>& widths)
{
    std::vector<UniformGreyPage> pages;
    for (int width : widths)
        pages.push_back({static_cast<std::uint32_t>(width), 4, static_cast<std::uint8_t>(width)});
    return WriteGreyTiff(path.toUtf8().constData(), pages);
}

// The page widths of a TIFF file, in order; empty when it cannot be read.
inline std::vector<int> TiffPageWidths(const QString& path)
{
    return ReadPageWidths(QFile::encodeName(path).constData());
}
