// The preferences dialog: what it loads, what "&Save", "&Cancel" and
// "Set De&fault" store, and the main window applying a change.

#include "export_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QLocale>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

const QString kOrder = "Name,Selection,Pages,Location,Size (In KB),Type,Created Date,Modified Date";
const QString kWidths = "1800,250,700,1800,1000,1400,2000,2000";
const QString kVisible = "1,1,1,1,1,1,1,1";

class PreferencesTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        TheSettings().SetStartupFolder("/start/here");
    }

    // Shows a fresh dialog; `act` plays the user.
    bool Show(const std::function<void(frmPreferences&)>& act)
    {
        onDialog = [&](QDialog& d) {
            if (auto* p = qobject_cast<frmPreferences*>(&d))
                act(*p);
        };
        frmPreferences dialog;
        RunModal(dialog);
        onDialog = {};
        return dialog.IsPreferanceChange;
    }

    static QStringList Column(const Grid& g, int col)
    {
        QStringList out;
        for (int r = 1; r < g.RowCount(); ++r)
            out.append(col == frmPreferences::kColVisible
                           ? QString::number(g.CellAttribute(Grid::kAttrCheckState, r, col).toInt())
                           : g.CellText(r, col));
        return out;
    }
};

TEST_F(PreferencesTest, DefaultsGiveEightTickedRowsAndSaveWritesTheSameLists)
{
    const bool changed = Show([](frmPreferences& p) {
        const Grid& g = *p.vsColumnSettings;
        EXPECT_EQ(Column(g, 0).join(','), "1,2,3,4,5,6,7,8");
        EXPECT_EQ(Column(g, 1).join(','), kOrder);
        EXPECT_EQ(Column(g, 2).join(','), "1,1,1,1,1,1,1,1");
        EXPECT_EQ(Column(g, 3).join(','), kWidths);
        p.cmdOK->click();
    });
    EXPECT_TRUE(changed);
    const Settings disk = OnDisk();
    EXPECT_EQ(disk.ColumnReOrder(), kOrder);
    EXPECT_EQ(disk.LastGridColWidth(), kWidths);
    EXPECT_EQ(disk.ColumnVisibility(), kVisible);
    EXPECT_EQ(ColumnOrderArray.join(','), kOrder);
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(PreferencesTest, VisibleBoxesAndTheirButtons)
{
    Show([](frmPreferences& p) {
        Grid& g = *p.vsColumnSettings;
        p.cmdDeselectAll->click();
        EXPECT_EQ(Column(g, 2).join(','), "2,2,2,2,2,2,2,2");
        p.cmdInvertSelection->click();
        EXPECT_EQ(Column(g, 2).join(','), "1,1,1,1,1,1,1,1");
        g.SetCellAttribute(Grid::kAttrCheckState, 4, 2, Grid::kUnchecked);
        p.cmdInvertSelection->click();
        EXPECT_EQ(Column(g, 2).join(','), "2,2,2,1,2,2,2,2");
        p.cmdSelectAll->click();
        EXPECT_EQ(Column(g, 2).join(','), "1,1,1,1,1,1,1,1");
        // Clear Pages (row 3) and save.
        g.SetCellAttribute(Grid::kAttrCheckState, 3, 2, Grid::kUnchecked);
        p.cmdOK->click();
    });
    EXPECT_EQ(OnDisk().ColumnVisibility(), "1,1,0,1,1,1,1,1");
    EXPECT_EQ(ColumnVisibleArray.join(','), "1,1,0,1,1,1,1,1");
}

TEST_F(PreferencesTest, LoadsAndSavesTheGeneralSettings)
{
    TheSettings().SetWindowStateFlag(1);
    TheSettings().SetWindowStateValue(1);
    TheSettings().SetLastGridColWidthFlag(0);
    TheSettings().SetSortbyNumeric(1);
    Show([](frmPreferences& p) {
        EXPECT_TRUE(p.chkDefaultWindowState->isChecked());
        EXPECT_EQ(p.cmbDefaultWindowState->currentIndex(), 1);
        EXPECT_FALSE(p.chkLastGridColWidth->isChecked());
        EXPECT_TRUE(p.chkSortbyNumeric->isChecked());
        EXPECT_EQ(p.txtStartUpFolder->text(), "/start/here");
        p.cmbDefaultWindowState->setCurrentIndex(2);
        p.chkLastGridColWidth->setChecked(true);
        p.chkSortbyNumeric->setChecked(false);
        p.txtStartUpFolder->setText("/not/checked");
        p.cmdOK->click();
    });
    Settings disk = OnDisk();
    EXPECT_EQ(disk.WindowStateFlag(), 1);
    EXPECT_EQ(disk.WindowStateValue(), 2);
    EXPECT_EQ(disk.LastGridColWidthFlag(), 1);
    EXPECT_EQ(disk.SortbyNumeric(), 0);
    EXPECT_EQ(disk.StartupFolder(), "/not/checked");

    // Without a default window state both values are stored as 0.
    Show([](frmPreferences& p) {
        EXPECT_EQ(p.cmbDefaultWindowState->currentIndex(), 2);
        p.chkDefaultWindowState->click();
        EXPECT_FALSE(p.cmbDefaultWindowState->isEnabled());
        p.cmdOK->click();
    });
    disk = OnDisk();
    EXPECT_EQ(disk.WindowStateFlag(), 0);
    EXPECT_EQ(disk.WindowStateValue(), 0);
}

// How many pixels of the picture lie far from its top-left colour.
int PixelsApartFromTheCorner(const QImage& image)
{
    const QColor corner = image.pixelColor(0, 0);
    int apart = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - corner.red()) + std::abs(c.green() - corner.green())
                    + std::abs(c.blue() - corner.blue())
                > 150)
                ++apart;
        }
    return apart;
}

TEST_F(PreferencesTest, TheWindowStateListShowsItsHighlightedEntryLikeAnyList)
{
    TheSettings().SetWindowStateFlag(1);
    Show([](frmPreferences& p) {
        p.tabPreferences->setCurrentIndex(1);
        QComboBox* box = p.cmbDefaultWindowState;
        ASSERT_TRUE(box->isEnabled());
        box->showPopup();
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        view->setCurrentIndex(view->model()->index(2, 0));
        QTest::qWait(20);
        const QImage row = view->viewport()->grab(view->visualRect(view->currentIndex())).toImage();
        // The highlight colour of the lists, with the entry's text on it.
        EXPECT_EQ(row.pixelColor(2, 2).name().toStdString(),
                  view->palette().color(QPalette::Highlight).name().toStdString());
        EXPECT_GT(PixelsApartFromTheCorner(row), 20);
        box->hidePopup();
        // Cleared, the list is grey; ticked again, white.
        p.chkDefaultWindowState->click();
        EXPECT_FALSE(box->isEnabled());
        EXPECT_EQ(box->palette().color(QPalette::Button), QColor(0xE0, 0xE0, 0xE0));
        p.chkDefaultWindowState->click();
        EXPECT_EQ(box->palette().color(QPalette::Button), QColor(0xFF, 0xFF, 0xFF));
    });
}

TEST_F(PreferencesTest, FolderBrowserSetsTheStartupFolderAndItsCancelKeepsIt)
{
    const QString chosen = outFolder;
    Show([&](frmPreferences& p) {
        onDialog = [&](QDialog& d) {
            auto& browser = static_cast<QFileDialog&>(d);
            EXPECT_EQ(browser.windowTitle(), "Set Folder");
            browser.reject();
        };
        p.cmdStartupFolder->click();
        EXPECT_EQ(p.txtStartUpFolder->text(), "/start/here");
        // The browser opens at the folder in the box, or the nearest one
        // above it that exists.
        QString openedAt;
        onDialog = [&](QDialog& d) {
            openedAt = static_cast<QFileDialog&>(d).directory().absolutePath();
            d.reject();
        };
        p.txtStartUpFolder->setText(chosen);
        p.cmdStartupFolder->click();
        EXPECT_EQ(openedAt, chosen);
        p.txtStartUpFolder->setText(chosen + "/not/there");
        p.cmdStartupFolder->click();
        EXPECT_EQ(openedAt, chosen);
        EXPECT_NE(QDir::currentPath(), chosen);
        p.txtStartUpFolder->setText("/start/here");
        onDialog = [&](QDialog& d) {
            auto& browser = static_cast<QFileDialog&>(d);
            browser.setDirectory(chosen);
            browser.selectFile(chosen);
            static_cast<QDialog&>(browser).accept();
        };
        p.cmdStartupFolder->click();
        EXPECT_EQ(p.txtStartUpFolder->text(), chosen);
    });
}

TEST_F(PreferencesTest, SetDefaultStoresAllDefaultsAtOnceAndCancelKeepsThem)
{
    TheSettings().SetColumnVisibility("1,1,0,1,1,1,1,0");
    TheSettings().SetSortbyNumeric(1);
    TheSettings().SetIsOpenFileAfterExport(1);
    const bool changed = Show([](frmPreferences& p) {
        p.cmdSetDefault->click();
        EXPECT_TRUE(p.IsPreferanceChange);
        EXPECT_FALSE(p.chkSortbyNumeric->isChecked());
        EXPECT_EQ(Column(*p.vsColumnSettings, 2).join(','), "1,1,1,1,1,1,1,1");
        EXPECT_TRUE(p.isVisible());
        p.cmdCancel->click();
    });
    EXPECT_TRUE(changed);
    const Settings disk = OnDisk();
    EXPECT_EQ(disk.ColumnVisibility(), kVisible);
    EXPECT_EQ(disk.SortbyNumeric(), 0);
    EXPECT_EQ(disk.IsOpenFileAfterExport(), 0);
    EXPECT_EQ(disk.StartupFolder(), Settings::DefaultStartupFolder());
}

TEST_F(PreferencesTest, SetDefaultAfterAReorderGivesEachColumnItsOwnDefaults)
{
    TheSettings().SetColumnReOrder("Pages,Name,Selection,Location,Size (In KB),Type,Created Date,Modified Date");
    TheSettings().SetLastGridColWidth("700,1800,250,1800,1000,1400,2000,2000");
    LoadGridColumns(TheSettings(), *objGridColumns);
    Show([](frmPreferences& p) {
        EXPECT_EQ(Column(*p.vsColumnSettings, 1).first(), "Pages");
        p.cmdSetDefault->click();
        EXPECT_EQ(Column(*p.vsColumnSettings, 1).join(','), kOrder);
        EXPECT_EQ(Column(*p.vsColumnSettings, 3).join(','), kWidths);
        p.cmdOK->click();
    });
    const Settings disk = OnDisk();
    EXPECT_EQ(disk.ColumnReOrder(), kOrder);
    EXPECT_EQ(disk.LastGridColWidth(), kWidths);
}

TEST_F(PreferencesTest, TypedOverNamesAndWidthsCannotSpoilTheStoredLayout)
{
    Show([](frmPreferences& p) {
        Grid& g = *p.vsColumnSettings;
        g.SetCellText(1, 1, "Name,Evil");
        g.SetCellText(2, 3, "wide");
        g.SetCellText(4, 3, "1234");
        p.cmdOK->click();
    });
    const Settings disk = OnDisk();
    EXPECT_EQ(disk.ColumnReOrder(), kOrder);
    EXPECT_EQ(disk.LastGridColWidth(), "1800,250,700,1234,1000,1400,2000,2000");
    ColumnLists lists{disk.ColumnReOrder(), disk.LastGridColWidth(), disk.ColumnVisibility()};
    EXPECT_TRUE(ColumnListsAreValid(lists, *objGridColumns));
}

TEST_F(PreferencesTest, AWidthListThatDoesNotFitTheColumnsFallsBackWithOneLogLine)
{
    for (const char* list : {"1800,250", "1800,nan,700,1800,1000,1400,2000,2000"}) {
        QFile::remove(StorageFolder() + "/Errors.Log");
        TheSettings().SetLastGridColWidth(list);
        Show([](frmPreferences& p) {
            EXPECT_EQ(Column(*p.vsColumnSettings, 3).join(','), "1800,250,700,1800,1000,1400,1400,1400");
            p.cmdOK->click();
            EXPECT_TRUE(p.IsPreferanceChange);
        });
        EXPECT_EQ(OnDisk().LastGridColWidth(), "1800,250,700,1800,1000,1400,1400,1400") << list;
        const QStringList log = LogLines();
        ASSERT_EQ(log.size(), 1) << list;
        EXPECT_TRUE(log[0].contains("LastGridColWidth")) << log[0].toStdString();
    }
}

TEST_F(PreferencesTest, AWidthTypedInEitherNotationIsStoredPlainly)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Show([](frmPreferences& p) {
        Grid& g = *p.vsColumnSettings;
        g.SetCellText(1, 3, "1900,5");
        g.SetCellText(4, 3, "1700.25");
        g.SetCellText(5, 3, "nan");
        p.cmdOK->click();
    });
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(OnDisk().LastGridColWidth(), "1900.5,250,700,1700.25,1000,1400,2000,2000");
}

TEST_F(PreferencesTest, TheMainWindowAppliesASavedChangeAndIgnoresACancel)
{
    frmMain& w = Window();
    const int pages = GetColumnIndexByKey("Pages");
    ASSERT_FALSE(w.Ui().grdSearchList->ColumnHiddenAt(pages));
    onDialog = [](QDialog& d) {
        auto& p = static_cast<frmPreferences&>(d);
        p.vsColumnSettings->SetCellAttribute(Grid::kAttrCheckState, 3, 2, Grid::kUnchecked);
        p.cmdCancel->click();
    };
    w.mnupreferances_Click();
    EXPECT_FALSE(w.Ui().grdSearchList->ColumnHiddenAt(pages));

    onDialog = [](QDialog& d) {
        auto& p = static_cast<frmPreferences&>(d);
        p.vsColumnSettings->SetCellAttribute(Grid::kAttrCheckState, 3, 2, Grid::kUnchecked);
        p.cmdOK->click();
    };
    w.mnupreferances_Click();
    EXPECT_TRUE(w.Ui().grdSearchList->ColumnHiddenAt(pages));
    EXPECT_EQ(OnDisk().ColumnVisibility(), "1,1,0,1,1,1,1,1");
    EXPECT_EQ(std::count(modals.begin(), modals.end(), QString("frmPreferences")), 2);
}

} // namespace
