#include "platform/grid/grid.h"
#include "platform/runtime/run_time_error.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/run_time_error_of.h"

#include "grid_test_app.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QPixmap>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class GridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    // Columns: Name (text), Selection (Boolean), Pages (decimal), Created (date).
    void MakeResultGrid(Grid& g)
    {
        g.SetRowCount(1);
        g.SetColumnCount(4);
        const char* captions[] = {"Name", "Selection", "Pages", "Created Date"};
        const int types[] = {8, 11, 14, 7};
        const int widths[] = {1800, 250, 700, 2000};
        for (int c = 0; c < 4; ++c) {
            g.SetCellText(0, c, QString::fromLatin1(captions[c]));
            g.SetColumnDataTypeAt(c, types[c]);
            g.SetColumnWidthAt(c, widths[c]);
        }
        g.SetColumnFormatAt(3, QStringLiteral("dd/mm/yyyy hh:mm ampm"));
    }

    void AddRow(Grid& g, const QString& name, const QString& pages, const QString& created)
    {
        g.SetRowCount(g.RowCount() + 1);
        const int r = g.RowCount() - 1;
        g.SetCellText(r, 0, name);
        g.SetCellText(r, 2, pages);
        g.SetCellText(r, 3, created);
    }

    QStringList Column(const Grid& g, int col)
    {
        QStringList out;
        for (int r = 1; r < g.RowCount(); ++r)
            out << g.CellText(r, col);
        return out;
    }
};

TEST_F(GridTest, RowCountAppendsAndClearsDataRows)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("3"), QString());
    AddRow(g, QStringLiteral("b.tif"), QStringLiteral("4"), QString());
    g.SetCellAttribute(Grid::kAttrCheckState, 1, 1, true);
    EXPECT_EQ(g.RowCount(), 3);

    g.SetRowCount(1);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(g.CellText(0, 0), QStringLiteral("Name")); // captions stay

    // A row appended after clearing is empty: no old text, no old tick.
    g.SetRowCount(2);
    EXPECT_EQ(g.CellText(1, 0), QString());
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), Grid::kUnchecked);

    EXPECT_EQ(ErrorOf([&] { g.SetRowCount(0); }), 380);
    EXPECT_EQ(ErrorOf([&] { g.CellText(2, 0); }), 381);
    EXPECT_EQ(ErrorOf([&] { g.CellText(1, 4); }), 381);
    EXPECT_EQ(ErrorOf([&] { g.RemoveRow(0); }), 381);
}

TEST_F(GridTest, CheckStatesReadOneTickedAndTwoUnticked)
{
    Grid g;
    MakeResultGrid(g);
    for (int i = 0; i < 4; ++i)
        AddRow(g, QStringLiteral("f%1.tif").arg(i), QStringLiteral("1"), QString());

    // A Boolean column shows an unticked box in every data row.
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), 2);
    // Other columns show none until a state is written.
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 0).toInt(), 0);

    g.SetCellAttribute(Grid::kAttrCheckState, 1, 1, true);
    g.SetCellAttribute(Grid::kAttrCheckState, 2, 1, 1);
    g.SetCellAttribute(Grid::kAttrCheckState, 3, 1, QStringLiteral("1"));
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), 1);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 2, 1).toInt(), 1);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 3, 1).toInt(), 1);
    g.SetCellAttribute(Grid::kAttrCheckState, 1, 1, false);
    g.SetCellAttribute(Grid::kAttrCheckState, 2, 1, 2);
    g.SetCellAttribute(Grid::kAttrCheckState, 3, 1, QStringLiteral("0"));
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, r, 1).toInt(), 2) << r;

    // One call over a block.
    g.SetCellAttribute(Grid::kAttrCheckState, 1, 1, 4, 1, 1);
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, r, 1).toInt(), 1) << r;

    // A value that is no state changes nothing.
    EXPECT_EQ(ErrorOf([&] { g.SetCellAttribute(Grid::kAttrCheckState, 1, 1, 4, 1, QStringLiteral("yes")); }), 13);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 4, 1).toInt(), 1);
}

TEST_F(GridTest, PicturesColoursAndAlignment)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("1"), QString());
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    g.SetCellAttribute(Grid::kAttrPicture, 1, 0, icon);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrPicture, 1, 0).typeId(), QMetaType::QPixmap);
    EXPECT_EQ(g.View()->model()->index(0, 0).data(Qt::DecorationRole).typeId(), QMetaType::QPixmap);
    g.SetCellAttribute(Grid::kAttrPicture, 1, 0, QVariant());
    EXPECT_FALSE(g.CellAttribute(Grid::kAttrPicture, 1, 0).isValid());
    EXPECT_EQ(ErrorOf([&] { g.SetCellAttribute(Grid::kAttrPicture, 1, 0, QStringLiteral("x")); }), 13);

    g.SetCellAttribute(Grid::kAttrForeColor, 1, 2, QStringLiteral("255")); // red as 0x00BBGGRR
    EXPECT_EQ(g.CellAttribute(Grid::kAttrForeColor, 1, 2).toInt(), 255);
    EXPECT_EQ(g.View()->model()->index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(g.CellText(1, 2), QStringLiteral("1")); // the text is untouched

    g.SetColumnAlignmentAt(-1, Grid::kAlignLeft);
    g.SetColumnAlignmentAt(2, Grid::kAlignRight);
    EXPECT_EQ(g.ColumnAlignmentAt(0), 1);
    EXPECT_EQ(g.ColumnAlignmentAt(3), 1);
    EXPECT_EQ(g.ColumnAlignmentAt(2), 7);
    EXPECT_TRUE(g.View()->model()->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_EQ(ErrorOf([&] { g.SetColumnAlignmentAt(0, 12); }), 380);
}

TEST_F(GridTest, ClickTogglesABoxOnlyWhenEditingAllowsIt)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("1"), QString());
    g.resize(600, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QTableView* view = g.View();
    const QPoint box = view->visualRect(view->model()->index(0, 1)).center();

    QSignalSpy downs(&g, &Grid::MouseDown);
    g.SetEditMode(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), 2);
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs.at(0).at(0).toInt(), 1);
    EXPECT_EQ(g.MouseRow(), 1);
    EXPECT_EQ(g.MouseColumn(), 1);
    EXPECT_EQ(g.CurrentColumn(), 1); // the press already moved the current cell

    // The MouseDown handler may switch editing on for this very click.
    QObject::connect(&g, &Grid::MouseDown, &g,
                     [&g](int button, int, int, int) { g.SetEditMode(button == 1 && g.CurrentColumn() == 1 ? 2 : 0); });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), 1);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, box);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 1).toInt(), 1);

    // Header press: row 0.
    QHeaderView* header = view->horizontalHeader();
    QTest::mousePress(header->viewport(), Qt::RightButton, {},
                      QPoint(header->sectionViewportPosition(2) + 3, header->height() / 2));
    EXPECT_EQ(g.MouseRow(), 0);
    EXPECT_EQ(g.MouseColumn(), 2);
    QTest::mouseRelease(header->viewport(), Qt::RightButton, {},
                        QPoint(header->sectionViewportPosition(2) + 3, header->height() / 2));
    // Below the last row: no row.
    QTest::mouseMove(view->viewport(), QPoint(box.x(), view->viewport()->height() - 2));
    EXPECT_EQ(g.MouseRow(), -1);
}

TEST_F(GridTest, SpaceIsReportedAndLeavesTheSelectedBlock)
{
    Grid g;
    MakeResultGrid(g);
    g.SetAppearance(Grid::kAppearanceSelectionMode, Grid::kSelectWholeRows);
    for (int i = 0; i < 6; ++i)
        AddRow(g, QStringLiteral("f%1.tif").arg(i), QStringLiteral("1"), QString());
    g.resize(600, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QTableView* view = g.View();
    view->selectionModel()->select(QItemSelection(view->model()->index(1, 0), view->model()->index(3, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    int r1, c1, r2, c2;
    g.GetSelectedRange(r1, c1, r2, c2);
    EXPECT_EQ(r1, 2);
    EXPECT_EQ(r2, 4);
    EXPECT_EQ(c1, 0);
    EXPECT_EQ(c2, 3);

    QSignalSpy keys(&g, &Grid::KeyDown);
    QTest::keyClick(view, Qt::Key_Space);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    // The modifier keys are reported too, before the letter.
    ASSERT_GE(keys.count(), 2);
    EXPECT_EQ(keys.first().at(0).toInt(), 32);
    EXPECT_EQ(keys.first().at(1).toInt(), 0);
    EXPECT_EQ(keys.last().at(0).toInt(), 65);
    EXPECT_EQ(keys.last().at(1).toInt(), 3);
    g.GetSelectedRange(r1, c1, r2, c2);
    EXPECT_EQ(r1, 2);
    EXPECT_EQ(r2, 4);
}

TEST_F(GridTest, HeaderDragReportsPositionsAndCellsFollow)
{
    Grid g;
    MakeResultGrid(g);
    g.SetHeaderBarMode(Grid::kHeaderSortMoveMark);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("3"), QStringLiteral("01/02/2024 10:00 AM"));
    AddRow(g, QStringLiteral("b.tif"), QStringLiteral("5"), QStringLiteral("02/02/2024 10:00 AM"));
    g.SetCellAttribute(Grid::kAttrCheckState, 2, 1, true);
    g.SetColumnHiddenAt(2, true);

    QSignalSpy moves(&g, &Grid::AfterMoveColumn);
    // A drag ends in the header moving its section: Selection from 1 to 3.
    g.View()->horizontalHeader()->moveSection(1, 3);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves.at(0).at(0).toInt(), 1);
    EXPECT_EQ(moves.at(0).at(1).toInt(), 3);

    EXPECT_EQ(g.CellText(0, 0), QStringLiteral("Name"));
    EXPECT_EQ(g.CellText(0, 1), QStringLiteral("Pages"));
    EXPECT_EQ(g.CellText(0, 2), QStringLiteral("Created Date"));
    EXPECT_EQ(g.CellText(0, 3), QStringLiteral("Selection"));
    EXPECT_EQ(g.CellText(2, 1), QStringLiteral("5"));
    EXPECT_EQ(g.CellText(2, 2), QStringLiteral("02/02/2024 10:00 AM"));
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 2, 3).toInt(), 1);
    EXPECT_EQ(g.CellAttribute(Grid::kAttrCheckState, 1, 3).toInt(), 2);
    EXPECT_EQ(g.ColumnDataTypeAt(3), 11);
    EXPECT_EQ(g.ColumnWidthAt(3), 250);
    EXPECT_EQ(g.ColumnWidthAt(0), 1800);
    // The hidden column moved with its width and stays hidden.
    EXPECT_TRUE(g.ColumnHiddenAt(1));
    EXPECT_EQ(g.ColumnWidthAt(1), 700);
    // The header shows the columns in number order.
    QHeaderView* header = g.View()->horizontalHeader();
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(header->logicalIndex(c), c);

    // A move by the program raises no event.
    g.SetColumnPositionAt(3, 1);
    EXPECT_EQ(moves.count(), 1);
    EXPECT_EQ(g.CellText(0, 1), QStringLiteral("Selection"));
}

TEST_F(GridTest, MouseDragOfAHeaderMovesTheColumn)
{
    Grid g;
    MakeResultGrid(g);
    g.SetHeaderBarMode(Grid::kHeaderSortMoveMark);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("3"), QString());
    g.resize(800, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QHeaderView* header = g.View()->horizontalHeader();
    QWidget* area = header->viewport();
    const int y = header->height() / 2;
    const QPoint from(header->sectionViewportPosition(0) + 5, y);
    const QPoint to(header->sectionViewportPosition(2) + header->sectionSize(2) - 3, y);

    QSignalSpy moves(&g, &Grid::AfterMoveColumn);
    QSignalSpy ups(&g, &Grid::MouseUp);
    QTest::mousePress(area, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 10; ++i)
        QTest::mouseMove(area, from + (to - from) * i / 10);
    QTest::mouseRelease(area, Qt::LeftButton, {}, to);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves.at(0).at(0).toInt(), 0);
    EXPECT_EQ(moves.at(0).at(1).toInt(), 2);
    EXPECT_EQ(g.CellText(0, 2), QStringLiteral("Name"));
    EXPECT_EQ(g.CellText(1, 2), QStringLiteral("a.tif"));
    EXPECT_EQ(g.CellText(1, 1), QStringLiteral("3"));
    EXPECT_EQ(ups.count(), 1);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(header->logicalIndex(c), c);
}

TEST_F(GridTest, AnErrorInAHandlerDoesNotEscapeTheGrid)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("3"), QString());
    g.resize(600, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QObject::connect(&g, &Grid::MouseDown, &g, [](int, int, int, int) { throw RunTimeError(5); });
    QObject::connect(&g, &Grid::KeyDown, &g, [](int, int) { throw RunTimeError(5); });
    QTest::mouseClick(g.View()->viewport(), Qt::LeftButton, {},
                      g.View()->visualRect(g.View()->model()->index(0, 0)).center());
    QTest::keyClick(g.View(), Qt::Key_Space);
    EXPECT_EQ(g.CurrentRow(), 1);
}

TEST_F(GridTest, HiddenColumnKeepsItsWidthAndPlace)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("a.tif"), QStringLiteral("3"), QString());
    g.SetColumnWidthAt(2, 1440);
    g.SetColumnHiddenAt(2, true);
    EXPECT_TRUE(g.ColumnHiddenAt(2));
    EXPECT_EQ(g.ColumnWidthAt(2), 1440);
    EXPECT_EQ(g.CellText(1, 2), QStringLiteral("3"));
    g.SetColumnWidthAt(2, 2880); // a width set while hidden is kept
    g.SetColumnHiddenAt(2, false);
    const int dpi = g.View()->logicalDpiX();
    EXPECT_EQ(g.View()->horizontalHeader()->sectionSize(2), 2 * dpi);
    EXPECT_EQ(g.ColumnWidthAt(2), 2880);

    // A user resize is read back in twips.
    g.View()->horizontalHeader()->resizeSection(0, dpi / 2);
    EXPECT_EQ(g.ColumnWidthAt(0), 720);
}

TEST_F(GridTest, NumericSortKeepsErrorAndEmptyCellsAtTheBottom)
{
    Grid g;
    MakeResultGrid(g);
    // A size as the search writes it, with the locale's digit grouping.
    const QString grouped = QStringLiteral("1") + QLocale().groupSeparator() + QStringLiteral("234 KB");
    const QStringList pages = {
        QStringLiteral("12 KB"), QStringLiteral("Error"), QStringLiteral("9 KB"), QString(), grouped,
        QStringLiteral("0 KB")};
    for (int i = 0; i < pages.size(); ++i)
        AddRow(g, QStringLiteral("f%1").arg(i), pages[i], QString());
    g.SetCurrentColumn(2);
    g.SetSortOrder(Grid::kSortNumericAscending);
    EXPECT_EQ(Column(g, 2), (QStringList{QStringLiteral("0 KB"), QStringLiteral("9 KB"), QStringLiteral("12 KB"),
                                         grouped, QStringLiteral("Error"), QString()}));
    // Whole rows move with their key.
    EXPECT_EQ(g.CellText(1, 0), QStringLiteral("f5"));
    g.SetSortOrder(Grid::kSortNumericDescending);
    EXPECT_EQ(Column(g, 2), (QStringList{grouped, QStringLiteral("12 KB"), QStringLiteral("9 KB"),
                                         QStringLiteral("0 KB"), QStringLiteral("Error"), QString()}));
}

TEST_F(GridTest, DateAndTextSorts)
{
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("beta"), QString(), QStringLiteral("05/03/2024 01:00 PM"));
    AddRow(g, QStringLiteral("Alpha"), QString(), QStringLiteral("05/03/2024 11:00 AM"));
    AddRow(g, QStringLiteral("scan10"), QString(), QStringLiteral("Error"));
    AddRow(g, QStringLiteral("scan9"), QString(), QStringLiteral("04/04/2023 09:00 AM"));
    AddRow(g, QStringLiteral("ALPHA"), QString(), QStringLiteral("01/04/2024 12:30 AM"));

    g.SetCurrentColumn(3);
    g.SetSortOrder(Grid::kSortTextAscending); // a date column sorts by date whatever the kind
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("scan9"), QStringLiteral("Alpha"), QStringLiteral("beta"),
                                         QStringLiteral("ALPHA"), QStringLiteral("scan10")}));
    g.SetSortOrder(Grid::kSortTextDescending);
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("ALPHA"), QStringLiteral("beta"), QStringLiteral("Alpha"),
                                         QStringLiteral("scan9"), QStringLiteral("scan10")}));

    // Text without regard to case, equal texts keep their order.
    g.SetCurrentColumn(0);
    g.SetSortOrder(Grid::kSortTextAscending);
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("ALPHA"), QStringLiteral("Alpha"), QStringLiteral("beta"),
                                         QStringLiteral("scan10"), QStringLiteral("scan9")}));
    // Numeric order of a text column takes digit runs by value.
    g.SetSortOrder(Grid::kSortNumericAscending);
    EXPECT_EQ(Column(g, 0).mid(3), (QStringList{QStringLiteral("scan9"), QStringLiteral("scan10")}));
}

TEST_F(GridTest, BeforeSortCanChangeTheOrderOfAHeaderClick)
{
    Grid g;
    MakeResultGrid(g);
    g.SetHeaderBarMode(Grid::kHeaderSortMark);
    AddRow(g, QStringLiteral("a"), QStringLiteral("10"), QString());
    AddRow(g, QStringLiteral("b"), QStringLiteral("9"), QString());
    AddRow(g, QStringLiteral("c"), QStringLiteral("100"), QString());

    QList<std::pair<int, int>> seen;
    int replacement = 0;
    QObject::connect(&g, &Grid::BeforeSort, &g, [&](int col, int& order) {
        seen.append({col, order});
        if (replacement)
            order = replacement;
    });
    QHeaderView* header = g.View()->horizontalHeader();
    emit header->sectionClicked(2);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0], std::make_pair(2, Grid::kSortNumericAscending)); // decimal column proposes numeric
    EXPECT_EQ(Column(g, 2), (QStringList{QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("100")}));

    // The handler turns a text request on the Name column into numeric
    // descending, and the grid sorts so.
    replacement = Grid::kSortNumericDescending;
    g.SetCellText(1, 0, QStringLiteral("f2"));
    g.SetCellText(2, 0, QStringLiteral("f10"));
    g.SetCellText(3, 0, QStringLiteral("f1"));
    emit header->sectionClicked(0);
    EXPECT_EQ(seen.last(), std::make_pair(0, Grid::kSortTextAscending));
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("f10"), QStringLiteral("f2"), QStringLiteral("f1")}));
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // Header clicks do nothing when the mode offers no sorting.
    g.SetHeaderBarMode(0);
    emit header->sectionClicked(2);
    EXPECT_EQ(seen.size(), 2);

    // A sort by program goes the same way, whatever the mode, and an
    // order the handler turns into none sorts nothing.
    replacement = Grid::kSortNumericAscending;
    g.SortByColumn(0, Grid::kSortTextAscending);
    EXPECT_EQ(seen.last(), std::make_pair(0, Grid::kSortTextAscending));
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("f10")}));
    replacement = -1;
    g.SortByColumn(2, Grid::kSortNumericDescending);
    EXPECT_EQ(seen.size(), 4);
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("f10")}));
    EXPECT_EQ(header->sortIndicatorSection(), 0);
}

TEST_F(GridTest, SaveAndLoadRoundTripAwkwardCells)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Grid source;
    MakeResultGrid(source);
    source.SetCellText(0, 0, QStringLiteral("Name, \"quoted\""));
    AddRow(source, QStringLiteral("a,b.tif"), QStringLiteral("12 KB"), QStringLiteral("say \"hi\""));
    AddRow(source, QStringLiteral("two\r\nlines"), QString(), QStringLiteral("x;y\tz"));
    AddRow(source, QString(), QString(), QString());
    AddRow(source, QStringLiteral("  spaced  "), QStringLiteral("\""), QStringLiteral("ünï ✓"));

    for (const QString& clip : {QString(), QStringLiteral(";\r")}) {
        const QString path = dir.filePath(QStringLiteral("grid.txt"));
        source.SetClipSeparators(clip);
        source.SaveToFile(path, Grid::kFormatDelimited, true);

        Grid target;
        target.SetRowCount(1);
        target.SetColumnCount(4);
        target.SetClipSeparators(clip);
        target.LoadFromFile(path, Grid::kFormatDelimited, true);
        ASSERT_EQ(target.RowCount(), source.RowCount());
        ASSERT_EQ(target.ColumnCount(), 4);
        for (int r = 0; r < source.RowCount(); ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(target.CellText(r, c), source.CellText(r, c)) << r << "," << c;
    }

    // The chosen separators are in the file.
    const QString path = dir.filePath(QStringLiteral("semi.txt"));
    Grid small;
    small.SetColumnCount(2);
    small.SetCellText(0, 0, QStringLiteral("A"));
    small.SetCellText(0, 1, QStringLiteral("B"));
    small.SetClipSeparators(QStringLiteral(";\r"));
    small.SaveToFile(path, Grid::kFormatDelimited, true);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("A;B\r"));

    EXPECT_EQ(ErrorOf([&] { small.LoadFromFile(dir.filePath(QStringLiteral("missing.txt")), 5, true); }), 53);
    EXPECT_EQ(ErrorOf([&] { small.SaveToFile(dir.filePath(QStringLiteral("no/such/folder.txt")), 5, true); }), 76);
    EXPECT_EQ(ErrorOf([&] { small.SaveToFile(path, 1, true); }), 5);
}

TEST_F(GridTest, AFailedSaveLeavesThePreviousFileAndRaises)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous export\n");
    }
    Grid grid;
    MakeResultGrid(grid);
    for (int r = 0; r < 20; ++r)
        AddRow(grid, QStringLiteral("cell %1 of a list longer than the limit").arg(r), QStringLiteral("1"), QString());

    // Every write beyond 64 bytes fails (also for a privileged user): the
    // whole text must not be cut short in the old file's place.
    FileSizeLimit limit;
    ASSERT_TRUE(limit.Limit(64));
    const long error = ErrorOf([&] { grid.SaveToFile(path, Grid::kFormatDelimited, true); });
    limit.Restore();

    EXPECT_EQ(error, 75);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("previous export\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.txt")});
}

TEST_F(GridTest, ExportStepsDropColumnsAndRows)
{
    // The export's scratch-grid steps: move a column to the end, lower the
    // column count, remove rows by running offset.
    Grid g;
    MakeResultGrid(g);
    AddRow(g, QStringLiteral("one"), QStringLiteral("1"), QStringLiteral("d1"));
    AddRow(g, QStringLiteral("two"), QStringLiteral("2"), QStringLiteral("d2"));
    AddRow(g, QStringLiteral("three"), QStringLiteral("3"), QStringLiteral("d3"));
    g.SetColumnPositionAt(1, g.ColumnCount() - 1);
    g.SetColumnCount(g.ColumnCount() - 1);
    g.RemoveRow(2);
    ASSERT_EQ(g.ColumnCount(), 3);
    EXPECT_EQ(g.CellText(0, 1), QStringLiteral("Pages"));
    EXPECT_EQ(Column(g, 0), (QStringList{QStringLiteral("one"), QStringLiteral("three")}));
    EXPECT_EQ(Column(g, 2), (QStringList{QStringLiteral("d1"), QStringLiteral("d3")}));
    // Growing again gives empty cells, not the dropped ones.
    g.SetColumnCount(4);
    EXPECT_EQ(g.CellText(1, 3), QString());
    EXPECT_EQ(g.CellText(0, 3), QString());
}

TEST_F(GridTest, RowMoveAndRedrawSwitchKeepData)
{
    Grid g;
    MakeResultGrid(g);
    g.SetRedrawEnabled(0);
    for (int i = 1; i <= 4; ++i)
        AddRow(g, QStringLiteral("r%1").arg(i), QString::number(i), QString());
    g.SetRedrawEnabled(-1);
    EXPECT_EQ(g.RedrawEnabled(), -1);
    // What the view shows after painting is switched back on.
    EXPECT_EQ(g.View()->model()->index(3, 0).data().toString(), QStringLiteral("r4"));
    g.SetRowPositionAt(1, 3);
    EXPECT_EQ(Column(g, 0),
              (QStringList{QStringLiteral("r2"), QStringLiteral("r3"), QStringLiteral("r1"), QStringLiteral("r4")}));
    g.SetRowPositionAt(4, 1);
    EXPECT_EQ(Column(g, 0).first(), QStringLiteral("r4"));
}

} // namespace
