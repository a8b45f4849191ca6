#pragma once
// Set-up of the page-dialog tests: the page engine and the page counters
// registered in the test run's class registry, a fresh settings store and
// column catalogue, message boxes and modal windows caught (the error
// report's text is kept), and small TIFF files whose pages can be told apart
// by their widths.

#include "desktop/core/column_layout.h"
#include "desktop/dialogs/frm_error_report_dialog.h"

#include "main_window_fixture.h"
#include "run_regsvr.h"
#include "tests/support/grey_tiff.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <tiffio.h>

#include <vector>

// Writes a TIFF file whose page i is a grey image widths[i] pixels wide.
inline bool MakeTiff(const QString& path, const std::vector<int>& widths)
{
    std::vector<UniformGreyPage> pages;
    for (int width : widths)
        pages.push_back({static_cast<std::uint32_t>(width), 2, 0x80});
    return WriteGreyTiff(QFile::encodeName(path).constData(), pages);
}

// The widths of a TIFF file's pages in order; empty when it cannot be read.
inline std::vector<int> PageWidths(const QString& path)
{
    return ReadPageWidths(QFile::encodeName(path).constData());
}

class PageDialogTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_STAVREN_MODULE)}), 0);
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_PDF_COUNTER_MODULE)}), 0);
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(files_.isValid());
        ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));
        SetModalRunner([this](QDialog& d) {
            modals.push_back(d.metaObject()->className());
            if (auto* report = qobject_cast<frmErrorReportDialog*>(&d))
                reports.push_back(report->ReportText());
            return int(QDialog::Accepted);
        });
    }

    // A file in the test's folder.
    QString Path(const QString& name) const { return files_.path() + QLatin1Char('/') + name; }

    // A TIFF file in the test's folder and its record as the main window
    // builds it.
    clsColSetOrderGrid Tiff(const QString& name, const std::vector<int>& widths)
    {
        EXPECT_TRUE(MakeTiff(Path(name), widths));
        return Record(name, static_cast<int>(widths.size()));
    }
    clsColSetOrderGrid Record(const QString& name, int pages) const
    {
        clsColSetOrderGrid r;
        r.filename(name);
        r.FileLocation(files_.path());
        r.FileType(QStringLiteral("tiff image"));
        r.FileSize(QStringLiteral("1"));
        r.PageCount(pages);
        return r;
    }
    // A file that exists but holds no TIFF.
    clsColSetOrderGrid Damaged(const QString& name)
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a tiff at all");
        return Record(name, 3);
    }

    // The texts of the message boxes shown so far.
    QStringList BoxTexts() const
    {
        QStringList texts;
        for (const MsgBoxRequest& b : boxes)
            texts << b.text;
        return texts;
    }

    // Only the named files are left in the test's folder (no temporary
    // files of the in-place rewrites).
    QStringList FolderEntries() const { return QDir(files_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    std::vector<QString> reports;
    QTemporaryDir files_;
};

// The failure-list line of a file, as the report shows it.
inline QString ReportLine(const QString& path)
{
    return path + QStringLiteral("\r\n");
}
