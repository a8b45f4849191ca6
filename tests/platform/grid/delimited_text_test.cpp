#include "platform/grid/delimited_text.h"

#include <gtest/gtest.h>

using namespace delimited_text;

namespace {

std::vector<QStringList> RoundTrip(const std::vector<QStringList>& rows, const Separators& sep)
{
    QString text;
    for (const QStringList& r : rows)
        AppendRecord(text, r, sep);
    std::vector<QStringList> back;
    EXPECT_TRUE(Parse(text, sep, 1000, 1000, back));
    return back;
}

} // namespace

TEST(DelimitedText, AwkwardFieldsRoundTripWithEverySeparatorChoice)
{
    const std::vector<QStringList> rows = {
        {QStringLiteral("a,b"), QStringLiteral("say \"hi\""), QStringLiteral("line1\nline2")},
        {QStringLiteral("cr\r\nlf"), QString(), QStringLiteral("  padded  ")},
        {QStringLiteral("\""), QStringLiteral("x;y"), QStringLiteral("tab\there")},
        {QString(), QString(), QString()},
        {QStringLiteral("ünïcödé ✓"), QStringLiteral("\"\""), QStringLiteral("end\r")},
    };
    for (const QString& clip : {QString(), QStringLiteral(";\r"), QStringLiteral("\t\n"), QStringLiteral("|")}) {
        const Separators sep = FromClipSeparators(clip);
        EXPECT_EQ(RoundTrip(rows, sep), rows) << clip.toStdString();
    }
}

TEST(DelimitedText, AnyLineBreakEndsARecordAndTheLastNeedsNone)
{
    std::vector<QStringList> recs;
    ASSERT_TRUE(Parse(QStringLiteral("a,b\r\nc,d\re,f\ng,h"), Separators{}, 100, 100, recs));
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[1], (QStringList{QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(recs[3], (QStringList{QStringLiteral("g"), QStringLiteral("h")}));

    ASSERT_TRUE(Parse(QString(), Separators{}, 100, 100, recs));
    EXPECT_TRUE(recs.empty());
    ASSERT_TRUE(Parse(QStringLiteral("\n"), Separators{}, 100, 100, recs));
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0], QStringList{QString()});
}

TEST(DelimitedText, UnterminatedQuoteAndLimitsDoNotRunAway)
{
    std::vector<QStringList> recs;
    ASSERT_TRUE(Parse(QStringLiteral("\"open,field\nstill"), Separators{}, 100, 100, recs));
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].front(), QStringLiteral("open,field\nstill"));

    EXPECT_FALSE(Parse(QStringLiteral("a,b,c,d\n"), Separators{}, 100, 3, recs));
    EXPECT_FALSE(Parse(QStringLiteral("a\nb\nc\n"), Separators{}, 2, 100, recs));
}

TEST(DelimitedText, QuoteAsSeparatorWritesCellsAsTheyAre)
{
    const Separators sep = FromClipSeparators(QStringLiteral("\""));
    QString text;
    AppendRecord(text, {QStringLiteral("a"), QStringLiteral("b,c")}, sep);
    EXPECT_EQ(text, QStringLiteral("a\"b,c\n"));
}
