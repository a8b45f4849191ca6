#include "search_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <limits>

namespace {

using ResultGridTest = SearchTest;

const QString kDefaultOrder = "Name,Selection,Pages,Location,Size (In KB),Type,Created Date,Modified Date";

QStringList Headers(const Grid& g)
{
    QStringList out;
    for (int c = 0; c < g.ColumnCount(); ++c)
        out.append(g.CellText(0, c));
    return out;
}

// The catalogue as "key@index" in collection order.
QStringList Catalogue()
{
    QStringList out;
    for (const GridColumns::ColumnPtr& c : *objGridColumns)
        out.append(c->ColumnKey + "@" + QString::number(c->ColumnIndex));
    return out;
}

void FillRows(Grid& g, const QStringList& names, const QStringList& pages)
{
    g.SetRowCount(1);
    for (int i = 0; i < names.size(); ++i) {
        g.SetRowCount(g.RowCount() + 1);
        g.SetCellText(i + 1, GetColumnIndexByKey("Name"), names[i]);
        g.SetCellText(i + 1, GetColumnIndexByKey("Pages"), pages.value(i));
    }
}

TEST_F(ResultGridTest, ColumnsComeFromTheStoredOrderWidthsAndVisibility)
{
    TheSettings().SetColumnReOrder("Pages,Name,Selection,Location,Size (In KB),Type,Created Date,Modified Date");
    TheSettings().SetLastGridColWidth("700,1800,999,1800,1000,1400,2000,2100");
    TheSettings().SetColumnVisibility("1,1,1,0,1,1,1,1");
    frmMain& w = Window();
    const Grid& g = *w.Ui().grdSearchList;
    EXPECT_EQ(Headers(g).join(','), TheSettings().ColumnReOrder());
    EXPECT_EQ(GetColumnIndexByKey("Pages"), 0);
    EXPECT_EQ(GetColumnIndexByKey("Name"), 1);
    EXPECT_EQ(GetColumnIndexByKey("Nothing"), 0);
    EXPECT_EQ(g.ColumnWidthAt(0), 700);
    // A moved Selection column gets its fixed width, whatever the list says.
    EXPECT_EQ(g.ColumnWidthAt(2), 250);
    EXPECT_EQ(g.ColumnWidthAt(1), 1800);
    // A column already in its place keeps the width it had.
    EXPECT_EQ(g.ColumnWidthAt(7), 2000);
    EXPECT_EQ(g.ColumnDataTypeAt(2), Grid::kTypeBoolean);
    EXPECT_EQ(g.ColumnDataTypeAt(0), Grid::kTypeDecimal);
    EXPECT_EQ(g.ColumnAlignmentAt(0), Grid::kAlignRight);
    EXPECT_EQ(g.ColumnAlignmentAt(1), Grid::kAlignLeft);
    EXPECT_EQ(g.ColumnFormatAt(6), "dd/mm/yyyy hh:mm ampm");
    EXPECT_TRUE(g.ColumnHiddenAt(3));
    EXPECT_FALSE(g.ColumnHiddenAt(4));
    EXPECT_EQ(g.HeaderBarMode(), Grid::kHeaderSortMoveMark);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(ColumnOrderArray.join(','), TheSettings().ColumnReOrder());
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(ResultGridTest, AHeaderDragRewritesTheThreeListsInTheNewOrder)
{
    TheSettings().SetColumnVisibility("1,0,1,1,1,1,1,1");
    frmMain& w = Window();
    Grid& g = *w.Ui().grdSearchList;
    // The user drags the header at position 1 (Selection) to position 3.
    g.View()->horizontalHeader()->moveSection(1, 3);

    const Settings s = OnDisk();
    EXPECT_EQ(s.ColumnReOrder(), "Name,Pages,Location,Selection,Size (In KB),Type,Created Date,Modified Date");
    EXPECT_EQ(s.LastGridColWidth(), "1800,700,1800,250,1000,1400,2000,2000");
    EXPECT_EQ(s.ColumnVisibility(), "1,1,1,0,1,1,1,1");
    EXPECT_EQ(ColumnWidthArray.join(','), s.LastGridColWidth());
    EXPECT_EQ(ColumnVisibleArray.join(','), s.ColumnVisibility());
    EXPECT_EQ(ColumnOrderArray.join(','), s.ColumnReOrder());
    EXPECT_EQ(Catalogue(), QStringList({"Name@0", "Pages@1", "Location@2", "Selection@3", "Size (In KB)@4", "Type@5",
                                        "Created Date@6", "Modified Date@7"}));
    EXPECT_EQ(GetColumnIndexByKey("Selection"), 3);
    EXPECT_EQ(GetColumnIndexByKey("Location"), 2);
    EXPECT_EQ(Headers(g).join(','), s.ColumnReOrder());

    // The next window lays the columns out the same way.
    window.reset();
    EXPECT_EQ(Headers(*Window().Ui().grdSearchList).join(','), s.ColumnReOrder());
    EXPECT_TRUE(Window().Ui().grdSearchList->ColumnHiddenAt(3));

    // A drag onto its own place writes nothing.
    TheSettings().SetColumnVisibility("1,1,1,1,1,1,1,1");
    QFile::remove(Settings::SettingsFilePath());
    Window().grdSearchList_AfterMoveColumn(2, 2);
    EXPECT_FALSE(QFile::exists(Settings::SettingsFilePath()));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(ResultGridTest, AnOrderThatDoesNotNameEveryColumnBringsBackAllThreeDefaults)
{
    const char* orders[] = {
        "Name,Selection,Pages",                                                       // short
        "Name,Name,Pages,Location,Size (In KB),Type,Created Date,Modified Date",      // duplicate
        "Name,Selection,Pages,Place,Size (In KB),Type,Created Date,Modified Date",    // unknown key
        "Modified Date,Selection,Pages,Location,Size (In KB),Type,Created Date,Name", // fine
    };
    for (const char* order : orders) {
        QFile::remove(StorageFolder() + "/Errors.Log");
        TheSettings().SetColumnReOrder(order);
        TheSettings().SetLastGridColWidth("100,250,700,1800,1000,1400,2000,2000");
        TheSettings().SetColumnVisibility("1,1,1,1,1,1,1,0");
        window.reset();
        const Grid& g = *Window().Ui().grdSearchList;
        const bool fine = QString(order).startsWith("Modified");
        EXPECT_EQ(Headers(g).join(','), fine ? QString(order) : kDefaultOrder) << order;
        EXPECT_EQ(TheSettings().ColumnReOrder(), fine ? QString(order) : kDefaultOrder);
        EXPECT_EQ(TheSettings().LastGridColWidth(),
                  fine ? "100,250,700,1800,1000,1400,2000,2000" : "1800,250,700,1800,1000,1400,2000,2000");
        EXPECT_EQ(TheSettings().ColumnVisibility(), fine ? "1,1,1,1,1,1,1,0" : "1,1,1,1,1,1,1,1");
        EXPECT_EQ(objGridColumns->Count(), 8);
        EXPECT_EQ(g.ColumnCount(), 8);
        EXPECT_EQ(LogLines().size(), fine ? 0 : 1) << order;
    }
}

TEST_F(ResultGridTest, ABadWidthOrVisibilityListFallsBackOnItsOwn)
{
    const QString order = "Selection,Name,Pages,Location,Size (In KB),Type,Created Date,Modified Date";
    // The built-in widths where this order puts the columns.
    const QString builtIn = "250,1800,700,1800,1000,1400,1400,1400";
    struct Case {
        QString widths, flags, storedWidths, storedFlags;
    };
    const Case cases[] = {
        {"250,1800,x,1800,1000,1400,2000,2000", "1,1,1,1,1,1,1,0", builtIn, "1,1,1,1,1,1,1,0"},
        {"250,1800,nan,1800,1000,1400,2000,2000", "1,1,1,1,1,1,1,0", builtIn, "1,1,1,1,1,1,1,0"},
        {"250,1800,700,-1,1000,1400,2000,2000", "1,1,1,1,1,1,1,0", builtIn, "1,1,1,1,1,1,1,0"},
        {"250,1800,700,1800,1000,1400,2000,1e300", "1,1,1,1,1,1,1,0", builtIn, "1,1,1,1,1,1,1,0"},
        {"250,1800,700,1800,1000,1400,2000", "1,1,1,1,1,1,1,0", builtIn, "1,1,1,1,1,1,1,0"},
        {"250,1800.5,700,1800,1000,1400,2000,2000", "1,1,1,1,1,1,1,0", "250,1800.5,700,1800,1000,1400,2000,2000",
         "1,1,1,1,1,1,1,0"},
        {"250,1800,700,1800,1000,1400,2000,2000", "1,1,1,1,1,1,yes,1", "250,1800,700,1800,1000,1400,2000,2000",
         "1,1,1,1,1,1,1,1"},
    };
    for (const Case& c : cases) {
        QFile::remove(StorageFolder() + "/Errors.Log");
        TheSettings().SetColumnReOrder(order);
        TheSettings().SetLastGridColWidth(c.widths);
        TheSettings().SetColumnVisibility(c.flags);
        window.reset();
        const Grid& g = *Window().Ui().grdSearchList;
        const std::string what = (c.widths + " / " + c.flags).toStdString();
        // The order stays; only the bad list is replaced, with one line.
        EXPECT_EQ(Headers(g).join(','), order) << what;
        EXPECT_EQ(TheSettings().LastGridColWidth(), c.storedWidths) << what;
        EXPECT_EQ(TheSettings().ColumnVisibility(), c.storedFlags) << what;
        EXPECT_EQ(LogLines().size(), c.widths == c.storedWidths && c.flags == c.storedFlags ? 0 : 1) << what;
        EXPECT_EQ(g.ColumnWidthAt(GetColumnIndexByKey("Name")), 1800) << what;
        EXPECT_EQ(g.ColumnDataTypeAt(GetColumnIndexByKey("Selection")), Grid::kTypeBoolean) << what;
        for (int col = 0; col < g.ColumnCount(); ++col)
            EXPECT_FALSE(g.CellText(0, col).isEmpty()) << what;
    }
}

TEST_F(ResultGridTest, AWidthThatIsNoWidthNeverReachesTheGrid)
{
    // A catalogue width spoilt after start-up (the catalogue is shared):
    // the grid's set-up gives the column its built-in width and logs it.
    objGridColumns->Item("Pages")->ColumnWidth = std::numeric_limits<float>::quiet_NaN();
    objGridColumns->Item("Type")->ColumnWidth = -300;
    const Grid& g = *Window().Ui().grdSearchList;
    EXPECT_EQ(g.ColumnWidthAt(GetColumnIndexByKey("Pages")), 700);
    EXPECT_EQ(g.ColumnWidthAt(GetColumnIndexByKey("Type")), 1400);
    EXPECT_EQ(objGridColumns->Item("Pages")->ColumnWidth, 700.0f);
    for (int col = 0; col < g.ColumnCount(); ++col)
        EXPECT_FALSE(g.CellText(0, col).isEmpty()) << col;
    EXPECT_EQ(LogLines().size(), 2) << LogLines().join('\n').toStdString();
}

TEST_F(ResultGridTest, TheCatalogueFollowsAnyOrderWithoutLosingAColumn)
{
    QStringList keys = kDefaultOrder.split(',');
    QRandomGenerator rng(7);
    for (int round = 0; round < 300; ++round) {
        std::shuffle(keys.begin(), keys.end(), rng);
        TheSettings().SetColumnReOrder(keys.join(','));
        ::LoadGridColumns(TheSettings(), *objGridColumns);
        ASSERT_EQ(objGridColumns->Count(), 8);
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(objGridColumns->Item(i + 1)->ColumnKey, keys[i]) << keys.join(',').toStdString();
            ASSERT_EQ(objGridColumns->Item(i + 1)->ColumnIndex, i);
            ASSERT_EQ(GetColumnIndexByKey(keys[i]), i);
        }
    }
    EXPECT_FLOAT_EQ(objGridColumns->Item("Selection")->ColumnWidth, 250);
}

TEST_F(ResultGridTest, RefreshGridAppliesChangedSettingsToTheGrid)
{
    frmMain& w = Window();
    Grid& g = *w.Ui().grdSearchList;
    FillRows(g, {"a.tif", "b.tif"}, {"1", "2"});
    TheSettings().SetColumnReOrder("Location,Name,Selection,Pages,Size (In KB),Type,Created Date,Modified Date");
    TheSettings().SetLastGridColWidth("3000,1500,250,900,1000,1400,2000,2000");
    TheSettings().SetColumnVisibility("1,1,1,1,0,1,1,1");
    w.RefreshGrid();
    EXPECT_EQ(Headers(g).join(','), TheSettings().ColumnReOrder());
    EXPECT_EQ(g.ColumnWidthAt(0), 3000);
    EXPECT_EQ(g.ColumnWidthAt(3), 900);
    EXPECT_TRUE(g.ColumnHiddenAt(4));
    // The cells moved with their columns.
    EXPECT_EQ(g.CellText(2, 1), "b.tif");
    EXPECT_EQ(g.CellText(2, 3), "2");
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(ResultGridTest, SortRulesFollowTheColumnAndTheNumericSetting)
{
    frmMain& w = Window();
    const int name = GetColumnIndexByKey("Name");
    const int pages = GetColumnIndexByKey("Pages");
    const int size = GetColumnIndexByKey("Size (In KB)");
    const int type = GetColumnIndexByKey("Type");
    const auto rule = [&](int col, int proposed) {
        int order = proposed;
        w.grdSearchList_BeforeSort(col, order);
        return order;
    };
    // The kind follows the column; the direction the grid proposes stays.
    TheSettings().SetSortbyNumeric(0);
    EXPECT_EQ(rule(name, 1), 1);
    EXPECT_EQ(rule(name, 2), 2);
    EXPECT_EQ(rule(name, 3), 1);
    EXPECT_EQ(rule(name, 4), 2);
    TheSettings().SetSortbyNumeric(1);
    EXPECT_EQ(rule(name, 1), 3);
    EXPECT_EQ(rule(name, 2), 4);
    EXPECT_EQ(rule(name, 4), 4);
    for (int col : {pages, size}) {
        EXPECT_EQ(rule(col, 1), 3);
        EXPECT_EQ(rule(col, 2), 4);
        EXPECT_EQ(rule(col, 4), 4);
    }
    EXPECT_EQ(rule(type, 2), 2);
    EXPECT_EQ(rule(type, 3), 3);
}

TEST_F(ResultGridTest, ASecondClickOnNameReversesTheNumericOrder)
{
    TheSettings().SetSortbyNumeric(1);
    Grid& g = *Window().Ui().grdSearchList;
    FillRows(g, {"scan10.tif", "scan2.tif", "scan1.tif"}, {});
    const int name = GetColumnIndexByKey("Name");
    QHeaderView* header = g.View()->horizontalHeader();
    const auto names = [&] {
        QStringList out;
        for (int r = 1; r < g.RowCount(); ++r)
            out.append(g.CellText(r, name));
        return out;
    };
    // Another column first: the first click on a column sorts ascending.
    emit header->sectionClicked(GetColumnIndexByKey("Pages"));
    emit header->sectionClicked(name);
    EXPECT_EQ(names(), QStringList({"scan1.tif", "scan2.tif", "scan10.tif"}));
    emit header->sectionClicked(name);
    EXPECT_EQ(names(), QStringList({"scan10.tif", "scan2.tif", "scan1.tif"}));
    emit header->sectionClicked(name);
    EXPECT_EQ(names(), QStringList({"scan1.tif", "scan2.tif", "scan10.tif"}));
}

TEST_F(ResultGridTest, TheEndOfASearchSortsLikeAHeaderClickOnTheCurrentColumn)
{
    // Names in one order, sizes and page counts in others.
    const std::pair<const char*, int> files[] = {
        {"a.tif", 103}, {"b.tif", 19}, {"c.tif", 0}, {"d.tif", 10}, {"e.tif", 1}};
    for (const auto& [name, kb] : files)
        MakeFile(name, kb * 1024);
    tiff.answer = [](const QString& path, std::int32_t& pages) {
        pages = static_cast<std::int32_t>(QFileInfo(path).size() / 1024);
        return com::S_OK;
    };
    frmMain& w = Window();
    Grid& g = *w.Ui().grdSearchList;
    const auto column = [&](const char* key) {
        QStringList out;
        for (int r = 1; r < g.RowCount(); ++r)
            out.append(g.CellText(r, GetColumnIndexByKey(key)));
        return out;
    };
    for (int numeric : {0, 1}) {
        TheSettings().SetSortbyNumeric(numeric);
        // Sizes and page counts always sort as numbers.
        g.SetCurrentColumn(GetColumnIndexByKey("Size (In KB)"));
        Search();
        EXPECT_EQ(column("Size (In KB)"), QStringList({"0 KB", "1 KB", "10 KB", "19 KB", "103 KB"})) << numeric;
        g.SetCurrentColumn(GetColumnIndexByKey("Pages"));
        w.cmdSearch_Click();
        EXPECT_EQ(column("Pages"), QStringList({"0", "1", "10", "19", "103"})) << numeric;
    }
    // A current cell in a hidden column sorts by name instead.
    TheSettings().SetColumnVisibility("1,1,1,1,0,1,1,1");
    w.RefreshGrid();
    g.SetCurrentColumn(GetColumnIndexByKey("Size (In KB)"));
    ASSERT_TRUE(g.ColumnHiddenAt(GetColumnIndexByKey("Size (In KB)")));
    w.cmdSearch_Click();
    EXPECT_EQ(column("Name"), QStringList({"a.tif", "b.tif", "c.tif", "d.tif", "e.tif"}));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(ResultGridTest, NumericNameSortWorksUnderTheCLocaleToo)
{
    QLocale::setDefault(QLocale::c());
    TheSettings().SetSortbyNumeric(1);
    frmMain& w = Window();
    Grid& g = *w.Ui().grdSearchList;
    FillRows(g, {"scan10.tif", "Scan2.tif", "scan1.tif", "scan2a.tif"}, {"12", "2", "1", ""});
    g.SetRowCount(g.RowCount() + 1);
    g.SetCellText(5, GetColumnIndexByKey("Name"), "a.tif");
    g.SetCellText(5, GetColumnIndexByKey("Size (In KB)"), "1,234 KB");
    for (int r = 1; r <= 4; ++r)
        g.SetCellText(r, GetColumnIndexByKey("Size (In KB)"), QString::number(r * 300) + " KB");
    QHeaderView* header = g.View()->horizontalHeader();
    // Sizes sort by value, grouping and all.
    emit header->sectionClicked(GetColumnIndexByKey("Size (In KB)"));
    QStringList sizes;
    for (int r = 1; r < g.RowCount(); ++r)
        sizes.append(g.CellText(r, GetColumnIndexByKey("Size (In KB)")));
    EXPECT_EQ(sizes, QStringList({"300 KB", "600 KB", "900 KB", "1200 KB", "1,234 KB"}));
    // A click on the Name header.
    emit header->sectionClicked(GetColumnIndexByKey("Name"));
    QStringList names;
    for (int r = 1; r < g.RowCount(); ++r)
        names.append(g.CellText(r, GetColumnIndexByKey("Name")));
    EXPECT_EQ(names, QStringList({"a.tif", "scan1.tif", "Scan2.tif", "scan2a.tif", "scan10.tif"}));

    // The search's own final sort follows the setting as well.
    MakeFile("p10.tif");
    MakeFile("p9.tif");
    Search();
    EXPECT_EQ(Names(), QStringList({"p9.tif", "p10.tif"}));
    TheSettings().SetSortbyNumeric(0);
    Search();
    EXPECT_EQ(Names(), QStringList({"p10.tif", "p9.tif"}));
}

TEST_F(ResultGridTest, TotalsCountTickedRowsAndTheirTiffPages)
{
    frmMain& w = Window();
    Grid& g = *w.Ui().grdSearchList;
    EXPECT_EQ(w.getSelectedFileinfo(), "0 file selected; Total Page count of selected Tiff files: 0");
    FillRows(g, {"a.tif", "b.tif", "c.TIF", "d.PDF", "noext", "e.tif"}, {"12", "Error", "", "30", "5", "30"});
    const int sel = GetColumnIndexByKey("Selection");
    for (int r = 1; r <= 5; ++r)
        g.SetCellAttribute(Grid::kAttrCheckState, r, sel, true);
    // a 12, b "Error" 0, c empty 0, d a PDF (no pages), a name without an
    // extension 5; e is not ticked.
    EXPECT_EQ(w.getSelectedFileinfo(), "5 file selected; Total Page count of selected Tiff files: 17");
    // A mouse button going up shows the totals.
    w.grdSearchList_MouseUp(1, 0, 0, 0);
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "5 file selected; Total Page count of selected Tiff files: 17");
}

TEST_F(ResultGridTest, SpaceFlipsEachSelectedRowAndOnlyALeftClickOnTheBoxesEdits)
{
    frmMain& w = Window();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    Grid& g = *w.Ui().grdSearchList;
    FillRows(g, {"a.tif", "b.tif", "c.tif", "d.tif"}, {"1", "2", "3", "4"});
    const int sel = GetColumnIndexByKey("Selection");
    g.SetCellAttribute(Grid::kAttrCheckState, 2, sel, true);
    g.SetCurrentRow(1);
    g.View()->selectionModel()->select(QItemSelection(g.View()->model()->index(0, 0), g.View()->model()->index(2, 7)),
                                       QItemSelectionModel::Select);
    QTest::keyClick(g.View(), Qt::Key_Space);
    const auto ticked = [&](int r) { return g.CellAttribute(Grid::kAttrCheckState, r, sel).toInt() == Grid::kChecked; };
    EXPECT_TRUE(ticked(1));
    EXPECT_FALSE(ticked(2));
    EXPECT_TRUE(ticked(3));
    EXPECT_FALSE(ticked(4));
    // The totals follow at once.
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "2 file selected; Total Page count of selected Tiff files: 4");
    // Other keys tick nothing.
    w.grdSearchList_KeyDown(65, 0);
    EXPECT_TRUE(ticked(1));

    // A left click in the Selection column lets the box toggle; elsewhere,
    // or with the other button, nothing can be edited.
    g.SetCurrentColumn(sel);
    w.grdSearchList_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(g.EditMode(), 2);
    w.grdSearchList_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(g.EditMode(), 0);
    g.SetCurrentColumn(GetColumnIndexByKey("Name"));
    w.grdSearchList_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(g.EditMode(), 0);
    const QRect box = g.View()->visualRect(g.View()->model()->index(3, sel));
    QTest::mouseClick(g.View()->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(ticked(4));
    EXPECT_EQ(w.Ui().sbPanelStatus->text(), "3 file selected; Total Page count of selected Tiff files: 8");

    // A right click on a data row opens the context menu; on the header not.
    const QRect cell = g.View()->visualRect(g.View()->model()->index(1, 0));
    QTest::mousePress(g.View()->viewport(), Qt::RightButton, {}, cell.center());
    EXPECT_TRUE(w.Ui().mnuCtxMenu->isVisible());
    w.Ui().mnuCtxMenu->hide();
    QTest::mouseRelease(g.View()->viewport(), Qt::RightButton, {}, cell.center());
    QTest::mousePress(g.View()->horizontalHeader()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w.Ui().mnuCtxMenu->isVisible());
}

} // namespace
