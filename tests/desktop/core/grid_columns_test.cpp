#include "desktop/core/column_layout.h"
#include "desktop/core/grid_columns.h"

#include "storage_fixture.h"
#include "tests/support/run_time_error_of.h"

namespace {

class GridColumnsTest : public StorageFolderTest {
protected:
    void SetUp() override
    {
        StorageFolderTest::SetUp();
        columns_.AddBuiltInColumns();
    }
    QStringList Keys() const
    {
        QStringList keys;
        for (const auto& column : columns_)
            keys.append(column->ColumnKey);
        return keys;
    }
    GridColumns columns_;
};

TEST_F(GridColumnsTest, BuiltInCatalogueHasEightColumnsInOrder)
{
    ASSERT_EQ(columns_.Count(), 8);
    EXPECT_EQ(Keys(), QStringList({"Name", "Selection", "Pages", "Location", "Size (In KB)", "Type", "Created Date",
                                   "Modified Date"}));
    const float widths[] = {1800, 250, 700, 1800, 1000, 1400, 1400, 1400};
    const int types[] = {8, 11, 14, 8, 14, 8, 7, 7};
    for (int p = 1; p <= 8; ++p) {
        const auto column = columns_.Item(p);
        ASSERT_TRUE(column);
        EXPECT_EQ(column->ColumnIndex, p - 1);
        EXPECT_EQ(column->ColumnWidth, widths[p - 1]);
        EXPECT_EQ(column->ColumnDatatype, types[p - 1]);
        EXPECT_EQ(column->ColumnName, column->ColumnKey);
        EXPECT_EQ(columns_.Item(column->ColumnKey), column);
    }
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(GridColumnsTest, KeysAreFoundWithoutRegardToCase)
{
    EXPECT_EQ(columns_.Item("name"), columns_.Item(1));
    EXPECT_EQ(columns_.Item("SIZE (IN KB)"), columns_.Item(5));
    EXPECT_EQ(columns_.Item("mOdIfIeD dAtE")->ColumnKey, "Modified Date");
}

TEST_F(GridColumnsTest, UnknownPositionsAndKeysGiveNoColumnAndNoError)
{
    for (const GridColumns::IndexKey& unknown :
         {GridColumns::IndexKey(9), GridColumns::IndexKey(0), GridColumns::IndexKey(-1), GridColumns::IndexKey("Nam"),
          GridColumns::IndexKey("Name "), GridColumns::IndexKey(""), GridColumns::IndexKey()}) {
        EXPECT_FALSE(columns_.Item(unknown));
        columns_.Remove(unknown);
    }
    EXPECT_EQ(columns_.Count(), 8);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(GridColumnsTest, DuplicateKeyLogsOnceAndAddsNothing)
{
    EXPECT_FALSE(columns_.Add("Pages", 10, 9, "Pages", 14, "Pages"));
    EXPECT_FALSE(columns_.Add("x", 10, 9, "x", 8, "pAGES"));
    EXPECT_EQ(columns_.Count(), 8);
    const QStringList log = LogLines();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith("Error 457 (This key is already associated with an element of this collection) "
                                  "in procedure Add at Line No. 70 of Class Module GridColumns at time- "))
        << log[0].toStdString();
}

TEST_F(GridColumnsTest, RemoveAndAddAfterPutsAColumnBackInPlace)
{
    const auto pages = columns_.Item("Pages");
    columns_.Remove("pages");
    EXPECT_EQ(columns_.Count(), 7);
    EXPECT_FALSE(columns_.Item("Pages"));
    EXPECT_EQ(columns_.Item(3)->ColumnKey, "Location");

    const auto again = columns_.Add(pages->ColumnKey, pages->ColumnWidth, pages->ColumnIndex, pages->ColumnName,
                                    pages->ColumnDatatype, "Pages", {}, 2);
    ASSERT_TRUE(again);
    EXPECT_EQ(columns_.Item(3), again);
    EXPECT_EQ(Keys(), QStringList({"Name", "Selection", "Pages", "Location", "Size (In KB)", "Type", "Created Date",
                                   "Modified Date"}));
}

TEST_F(GridColumnsTest, BeforeAndAfterByKeyOrPosition)
{
    columns_.Add("A", 1, 0, "A", 8, "A", "name");              // before a key
    columns_.Add("B", 1, 0, "B", 8, "B", {}, "Modified Date"); // after the last, by key
    columns_.Add("C", 1, 0, "C", 8, "", 2, 9);                 // Before wins over After
    EXPECT_EQ(Keys(), QStringList({"A", "C", "Name", "Selection", "Pages", "Location", "Size (In KB)", "Type",
                                   "Created Date", "Modified Date", "B"}));
    // A column added without a key is reached only by position.
    EXPECT_FALSE(columns_.Item("C"));
    EXPECT_EQ(columns_.Item(2)->ColumnKey, "C");
    EXPECT_TRUE(LogLines().isEmpty());

    // An anchor that names no column: one log line, nothing added.
    EXPECT_FALSE(columns_.Add("D", 1, 0, "D", 8, "D", "nowhere"));
    EXPECT_FALSE(columns_.Add("E", 1, 0, "E", 8, "E", {}, 12));
    EXPECT_EQ(columns_.Count(), 11);
    EXPECT_FALSE(columns_.Item("D"));
    EXPECT_EQ(LogLines().size(), 2);
}

TEST_F(GridColumnsTest, ColumnsAreSharedSoWidthChangesStick)
{
    columns_.Item(7)->ColumnWidth = 2000;
    EXPECT_EQ(columns_.Item("Created Date")->ColumnWidth, 2000);
    // A column removed from the catalogue stays valid for whoever holds it.
    const auto held = columns_.Item("Type");
    columns_.Remove(6);
    EXPECT_EQ(held->ColumnKey, "Type");
    EXPECT_EQ(columns_.Count(), 7);
}

TEST_F(GridColumnsTest, AWidthListIsTakenInCollectionOrderUpToItsFirstFault)
{
    const auto widths = [this] {
        QList<float> out;
        for (const auto& column : columns_)
            out.append(column->ColumnWidth);
        return out;
    };
    TakeColumnWidths(columns_, QString("10,20,30,40.5,50,60,70,80").split(','));
    EXPECT_EQ(widths(), (QList<float>{10, 20, 30, 40.5f, 50, 60, 70, 80}));

    // An entry that is no width: 13, the columns before it keep the new ones.
    EXPECT_EQ(ErrorOf([&] { TakeColumnWidths(columns_, QString("1,2,x,4,5,6,7,8").split(',')); }), 13);
    EXPECT_EQ(widths(), (QList<float>{1, 2, 30, 40.5f, 50, 60, 70, 80}));
    EXPECT_EQ(ErrorOf([&] { TakeColumnWidths(columns_, QString("1,2,3,-4,5,6,7,8").split(',')); }), 13);
    // A list that runs out: 9.
    EXPECT_EQ(ErrorOf([&] { TakeColumnWidths(columns_, QString("5,6").split(',')); }), 9);
    EXPECT_EQ(widths(), (QList<float>{5, 6, 3, 40.5f, 50, 60, 70, 80}));
}

} // namespace
