// The pieces of the command-line grammar that need no files: number
// conversion, switch lookup and argument ends, and file-name checks.

#include "cli/mod_master.h"
#include "operations/typed_number.h"
#include "platform/runtime/run_time_error.h"

#include <gtest/gtest.h>

namespace {

long ErrorOf(const QString& text)
{
    try {
        ToLongRounding(text);
    } catch (const RunTimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(NumberConversion, RoundsHalfToEvenAndAllowsBlanks)
{
    EXPECT_EQ(ToLongRounding(QStringLiteral(" 12 ")), 12);
    EXPECT_EQ(ToLongRounding(QStringLiteral("2.5")), 2);
    EXPECT_EQ(ToLongRounding(QStringLiteral("3.5")), 4);
    EXPECT_EQ(ToLongRounding(QStringLiteral("-2.5")), -2);
    EXPECT_EQ(ToLongRounding(QStringLiteral("2.6")), 3);
}

TEST(NumberConversion, NonNumbersAndOverflowRaise)
{
    EXPECT_EQ(ErrorOf(QStringLiteral("x")), 13);
    EXPECT_EQ(ErrorOf(QString()), 13);
    EXPECT_EQ(ErrorOf(QStringLiteral("1-2")), 13);
    EXPECT_EQ(ErrorOf(QStringLiteral("99999999999")), 6);
    EXPECT_TRUE(IsNumber(QStringLiteral("99999999999")));
    EXPECT_FALSE(IsNumber(QStringLiteral("3 4")));
    EXPECT_EQ(ToInteger(-32768), -32768);
    EXPECT_THROW(ToInteger(32768), RunTimeError);
}

TEST(CommandLineText, SwitchesAndTheirArguments)
{
    ModMaster m;
    m.State().CommandText = QStringLiteral("/D /srv/in /R /n Scan?_ /o /srv/out?1-2");
    EXPECT_EQ(m.GetInputSwitch(), QStringLiteral("/d "));
    EXPECT_TRUE(m.State().RecurseSubfolders);
    EXPECT_EQ(m.GetOperationSwitch(), QStringLiteral(" /o "));
    EXPECT_EQ(m.SwitchArgument(QStringLiteral("/d ")), QStringLiteral("/srv/in"));
    EXPECT_EQ(m.SwitchArgument(QStringLiteral(" /n ")), QStringLiteral("Scan?_"));

    // "/i " is looked for first and " /a " wins over the other operations.
    m.State().CommandText = QStringLiteral("/d x /i a.tif /del 1 /o y /a b.tif");
    EXPECT_EQ(m.GetInputSwitch(), QStringLiteral("/i "));
    EXPECT_EQ(m.GetOperationSwitch(), QStringLiteral(" /a "));
    EXPECT_EQ(m.SwitchArgument(QStringLiteral("/i ")), QStringLiteral("a.tif"));

    // A path whose folder names look like switches still ends only at a
    // blank followed by a switch.
    m.State().CommandText = QStringLiteral("/i /a/o/del.tif /del 1");
    EXPECT_EQ(m.SwitchArgument(QStringLiteral("/i ")), QStringLiteral("/a/o/del.tif"));
}

TEST(CommandLineText, FileNameCharacters)
{
    EXPECT_TRUE(ModMaster::IsValidFileName(QStringLiteral("Scan_")));
    EXPECT_TRUE(ModMaster::IsValidFileName(QString()));
    for (const char* bad : {"a/b", "a\\b", "a:b", "a*", "a?", "a\"", "a<", "a>", "a|"})
        EXPECT_FALSE(ModMaster::IsValidFileName(QString::fromLatin1(bad))) << bad;
}

} // namespace
