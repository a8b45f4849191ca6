#pragma once
// A main window over a temporary folder tree, with page counters the test
// controls, and a look at the rows the search listed.

#include "counters/page_counter.h"
#include "desktop/core/column_layout.h"
#include "desktop/core/program_objects.h"
#include "desktop/main/frm_main.h"
#include "platform/grid/grid.h"

#include "file_tree.h"
#include "main_window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <memory>

// A page counter whose answers the test decides.
class FakePageCounter : public counters::IPageCounter {
public:
    std::function<com::HRESULT(const QString&, std::int32_t&)> answer = [](const QString&, std::int32_t& pages) {
        pages = 3;
        return com::S_OK;
    };
    QStringList calls;

    com::HRESULT CountPages(const QString& path, std::int32_t& pages) override
    {
        calls.append(path);
        return answer(path, pages);
    }
};

struct ResultRow {
    QString name, location, size, type, created, modified, pages;
};

class SearchTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(tree_.isValid());
        root = QDir(tree_.path()).canonicalPath();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        FilterPatterns = QStringList{QStringLiteral("*.tif,*.tiff")};
        TheSettings().SetWindowStateFlag(0);
        // The window's first search looks at an empty folder.
        QDir().mkpath(root + QStringLiteral("/.start"));
        TheSettings().SetStartupFolder(root + QStringLiteral("/.start"));
        TiffPageCounter.counter = &tiff;
        PdfPageCounter.counter = &pdf;
    }
    void TearDown() override
    {
        window.reset();
        QLocale::setDefault(QLocale::system());
        // Names that are not text are beyond QTemporaryDir: the tree goes by its bytes.
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(tree_.path()).toStdString(), ignored);
        MainWindowTest::TearDown();
    }

    frmMain& Window()
    {
        if (!window)
            window = std::make_unique<frmMain>();
        return *window;
    }

    QString MakeFile(const QString& relative, qint64 bytes = 10) { return MakeFileUnder(root, relative, bytes); }
    static void SetTimes(const QString& path, const QDateTime& accessed, const QDateTime& modified)
    {
        SetFileTimes(path, accessed, modified);
    }

    // Runs the search command on `folder` (under the tree) as the user does.
    void Search(const QString& folder = QString(), bool subfolders = false)
    {
        frmMain& w = Window();
        w.Ui().chkSearchSubFolder->setChecked(subfolders);
        const QString path = folder.isEmpty() ? root : root + QLatin1Char('/') + folder;
        if (w.SelectedFolder() != path)
            ASSERT_TRUE(w.SelectFolder(path));
        else
            w.cmdSearch_Click();
    }

    std::vector<ResultRow> Rows()
    {
        const Grid& g = *Window().Ui().grdSearchList;
        std::vector<ResultRow> rows;
        for (int r = 1; r < g.RowCount(); ++r) {
            rows.push_back(
                {g.CellText(r, GetColumnIndexByKey("Name")), g.CellText(r, GetColumnIndexByKey("Location")),
                 g.CellText(r, GetColumnIndexByKey("Size (In KB)")), g.CellText(r, GetColumnIndexByKey("Type")),
                 g.CellText(r, GetColumnIndexByKey("Created Date")),
                 g.CellText(r, GetColumnIndexByKey("Modified Date")), g.CellText(r, GetColumnIndexByKey("Pages"))});
        }
        return rows;
    }

    QStringList Names()
    {
        QStringList names;
        for (const ResultRow& r : Rows())
            names.append(r.name);
        return names;
    }

    QTemporaryDir tree_;
    QString root;
    FakePageCounter tiff;
    FakePageCounter pdf;
    std::unique_ptr<frmMain> window;
};
