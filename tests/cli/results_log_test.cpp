// The report at the end of a run: "Log.txt" with /silent, the help text
// without a command line.

#include "cli_fixture.h"

#include <QRegularExpression>

namespace {

class ResultsLogTest : public CliTest {
protected:
    QByteArray Log() const { return ReadFile(Storage() + QStringLiteral("/Log.txt")); }
};

const QRegularExpression kHeader(QStringLiteral("^CommandLine Excution Time : [^\r\n]+\r\n"));

TEST_F(ResultsLogTest, SilentRunsAppendOneEntryEach)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    const Result first = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_TRUE(first.err.isEmpty());
    QString log = QString::fromUtf8(Log());
    QRegularExpressionMatch m = kHeader.match(log);
    ASSERT_TRUE(m.hasMatch()) << log.toStdString();
    EXPECT_EQ(log.mid(m.capturedLength()), QStringLiteral("successfully deleted pages from file.\r\n"));

    // A failure list ends with an empty line: every list line ends in CR LF
    // and the entry adds one more.
    const Result second = Run(QStringLiteral("/i a.tif /silent /del 7"));
    EXPECT_EQ(second.exitCode, 1);
    log = QString::fromUtf8(Log());
    const QStringList entries = log.split(QStringLiteral("CommandLine Excution Time : "), Qt::SkipEmptyParts);
    ASSERT_EQ(entries.size(), 2);
    const QString tail = entries[1].mid(entries[1].indexOf(QStringLiteral("\r\n")) + 2);
    EXPECT_EQ(tail, QStringLiteral("Wrong page no in Following files.\r\na.tif\r\n\r\n"));
}

TEST_F(ResultsLogTest, ValidationFailuresAreShownEvenWhenSilent)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1});
    const Result r = Run(QStringLiteral("/silent /i a.tif /del x"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: Invalid Pageno."));
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(ResultsLogTest, AnUnwritableLogLosesTheResultButNotTheRun)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    ASSERT_TRUE(QDir().mkpath(Storage() + QStringLiteral("/Log.txt")));
    const Result r = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (std::vector<int>{2}));
    EXPECT_TRUE(QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log")))
                    .contains(QStringLiteral("in procedure WriteErrorLog at Line No. ")));
}

TEST_F(ResultsLogTest, AnEmptyCommandLinePrintsTheHelpText)
{
    const Result r = Run(QStringList{});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("/i file1.tif|file2.tif")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Exit status")));
}

} // namespace
