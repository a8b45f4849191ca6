#pragma once
// Shared set-up of the split dialog tests: settings, caught message boxes
// and modal windows, a fake shell, the page engine registered for the run,
// and TIFF files whose pages carry a marker value in every pixel.

#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/dialogs/frm_error_report_dialog.h"
#include "desktop/dialogs/frm_split_option_tiff.h"
#include "platform/message_box/message_box.h"

#include "fake_shell.h"
#include "run_regsvr.h"
#include "storage_fixture.h"
#include "tests/support/grey_tiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <memory>
#include <vector>

namespace splittest {

using Pages = std::vector<int>;

inline Pages Numbered(int from, int to)
{
    Pages v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

// One 4x4 grey page per marker.
inline bool WriteTiff(const QString& path, const Pages& markers)
{
    std::vector<UniformGreyPage> pages;
    for (int marker : markers)
        pages.push_back({4, 4, static_cast<std::uint8_t>(marker)});
    return WriteGreyTiff(path.toUtf8().constData(), pages);
}

// The marker of every page; empty when the file cannot be read.
inline Pages Markers(const QString& path)
{
    Pages markers;
    if (!QFileInfo(path).isFile())
        return markers;
    TIFFSetErrorHandler(nullptr);
    TIFF* tif = TIFFOpen(path.toUtf8().constData(), "r");
    if (!tif)
        return markers;
    do {
        unsigned char row[4] = {};
        markers.push_back(TIFFReadScanline(tif, row, 0, 0) == 1 ? row[0] : -1);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return markers;
}

// Files and folders in a folder, by name.
inline QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

inline clsColSetOrderGrid Record(const QString& folder, const QString& name, int pageCount)
{
    clsColSetOrderGrid r;
    r.filename(name);
    r.FileLocation(folder);
    r.PageCount(pageCount);
    return r;
}

} // namespace splittest

class SplitTest : public StorageFolderTest {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_STAVREN_MODULE)}), 0); }

    void SetUp() override
    {
        StorageFolderTest::SetUp();
        objSettings = std::make_unique<Settings>();
        TheSettings().LoadDefaultSettings();
        SetMsgBoxHandler([this](const MsgBoxRequest& r) {
            boxes.push_back(r);
            return answer;
        });
        SetModalRunner([this](QDialog& d) {
            modals.push_back(QString::fromLatin1(d.metaObject()->className()));
            if (auto* report = qobject_cast<frmErrorReportDialog*>(&d))
                reports.push_back(report->ReportText());
            return modalAnswer ? modalAnswer(d) : int(QDialog::Rejected);
        });
        shell::SetHandler(&shell_);
    }
    void TearDown() override
    {
        shell::SetHandler(nullptr);
        SetModalRunner({});
        SetMsgBoxHandler({});
        objSettings.reset();
    }

    // A shown dialog (its load work has run) for the records.
    std::unique_ptr<frmSplitOption_Tiff> Dialog(const RecordCollection& records)
    {
        auto dlg = std::make_unique<frmSplitOption_Tiff>();
        dlg->objColdata = records;
        dlg->CommandAction = 2;
        dlg->show();
        return dlg;
    }
    QString Folder(const QString& name)
    {
        const QString path = dir_.path() + QStringLiteral("/work/") + name;
        QDir().mkpath(path);
        return path;
    }
    QStringList BoxTexts() const
    {
        QStringList texts;
        for (const MsgBoxRequest& r : boxes)
            texts << r.text;
        return texts;
    }

    FakeShell shell_;
    std::vector<MsgBoxRequest> boxes;
    MsgBoxResult answer = MsgBoxResult::OK;
    std::vector<QString> modals;
    std::vector<QString> reports;
    std::function<int(QDialog&)> modalAnswer;
};
