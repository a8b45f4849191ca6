#include "platform/grid/grid_sort.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace grid_sort;

TEST(GridSortKeys, LeadingNumberReadsSizesAndRejectsText)
{
    // Numbers as the user's locale writes them.
    const QLocale locale;
    const QString group = locale.groupSeparator();
    const QString decimal = locale.decimalPoint();
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("12 KB")), 12.0);
    EXPECT_DOUBLE_EQ(*LeadingNumber("1" + group + "234" + group + "567 KB"), 1234567.0);
    EXPECT_DOUBLE_EQ(*LeadingNumber("  -3" + decimal + "5"), -3.5);
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("0")), 0.0);
    EXPECT_FALSE(LeadingNumber(QStringLiteral("Error")));
    EXPECT_FALSE(LeadingNumber(QString()));
    EXPECT_FALSE(LeadingNumber(QStringLiteral("KB 12")));
    // A trailing separator is not grouping.
    EXPECT_DOUBLE_EQ(*LeadingNumber("7" + group + " 8"), 7.0);
}

TEST(GridSortKeys, LeadingNumberFollowsACommaDecimalLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("1.234 KB")), 1234.0);
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("2,5")), 2.5);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("1,234 KB")), 1234.0);
    EXPECT_DOUBLE_EQ(*LeadingNumber(QStringLiteral("2.5")), 2.5);
    QLocale::setDefault(QLocale::system());
}

TEST(GridSortKeys, DateValueFollowsTheDisplayFormat)
{
    const QString fmt = QStringLiteral("dd/mm/yyyy hh:mm ampm");
    const auto morning = DateValue(QStringLiteral("05/03/2024 11:59 AM"), fmt);
    const auto noon = DateValue(QStringLiteral("05/03/2024 12:00 PM"), fmt);
    const auto midnight = DateValue(QStringLiteral("05/03/2024 12:10 AM"), fmt);
    const auto evening = DateValue(QStringLiteral("05/03/2024 01:00 PM"), fmt);
    const auto nextMonth = DateValue(QStringLiteral("01/04/2024 01:00 AM"), fmt);
    ASSERT_TRUE(morning && noon && midnight && evening && nextMonth);
    EXPECT_LT(*midnight, *morning);
    EXPECT_LT(*morning, *noon);
    EXPECT_LT(*noon, *evening);
    EXPECT_LT(*evening, *nextMonth); // day first: 5 March before 1 April
    EXPECT_EQ(*noon - *morning, 60);

    EXPECT_FALSE(DateValue(QStringLiteral("Error"), fmt));
    EXPECT_FALSE(DateValue(QStringLiteral("32/01/2024 10:00 AM"), fmt));
    EXPECT_FALSE(DateValue(QStringLiteral("05/13/2024 10:00 AM"), fmt));
    // Without a format: year first when the text starts with four digits.
    EXPECT_EQ(DateValue(QStringLiteral("2024-03-05 13:00"), QString()),
              DateValue(QStringLiteral("05/03/2024 01:00 PM"), fmt));
}

TEST(GridSortKeys, NaturalCompareTakesDigitRunsByValue)
{
    EXPECT_LT(NaturalCompare(QStringLiteral("scan9.tif"), QStringLiteral("scan10.tif")), 0);
    EXPECT_GT(NaturalCompare(QStringLiteral("scan10.tif"), QStringLiteral("scan9.tif")), 0);
    EXPECT_LT(NaturalCompare(QStringLiteral("a2b10"), QStringLiteral("a2b11")), 0);
    EXPECT_EQ(NaturalCompare(QStringLiteral("x"), QStringLiteral("x")), 0);
    EXPECT_LT(NaturalCompare(QStringLiteral("x"), QStringLiteral("x1")), 0);
    // Digit runs longer than any integer type still compare.
    EXPECT_LT(NaturalCompare(QStringLiteral("p99999999999999999999998"), QStringLiteral("p99999999999999999999999")),
              0);
    EXPECT_LT(NaturalCompare(QStringLiteral("p7"), QStringLiteral("p007")), 0);
}
