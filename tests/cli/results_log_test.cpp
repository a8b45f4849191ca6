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

TEST_F(ResultsLogTest, AnUnwritableLogFailsTheRunAndTheResultGoesToStandardError)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2});
    ASSERT_TRUE(QDir().mkpath(Storage() + QStringLiteral("/Log.txt")));
    const Result r = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: The result could not be written to ") + Storage()
                         + QStringLiteral("/Log.txt:\nsuccessfully deleted pages from file.\n"));
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
    // A page range past the last page is refused for a listed file and
    // skipped in a folder run; the text must say which.
    const QString range = r.out.mid(r.out.indexOf(QStringLiteral("/o folder?a-b")), 300);
    EXPECT_TRUE(range.contains(QStringLiteral("refused")) && range.contains(QStringLiteral("skipped")))
        << range.toStdString();
}

// Every example of the help text must reach the program as written when a
// shell runs it: "|" unquoted makes a pipeline and "?" a wildcard.
TEST_F(ResultsLogTest, TheHelpExamplesSurviveAShell)
{
    const Result help = Run(QStringList{});
    const QString examples = help.out.mid(help.out.indexOf(QStringLiteral("\nExamples\n")));
    QStringList lines;
    for (const QString& line : examples.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("VelmoraCMD ")))
            lines << line.trimmed().mid(QStringLiteral("VelmoraCMD ").size());
    }
    ASSERT_GE(lines.size(), 3);
    // A file a "?" pattern of the examples would match if it were left
    // unquoted.
    QFile decoy(Work(QStringLiteral("a.tifx2|b.tif")));
    ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
    decoy.close();
    for (const QString& line : std::as_const(lines)) {
        SCOPED_TRACE(line.toStdString());
        // The words the program must get: the line split at blanks outside
        // double quotes, the quotes removed.
        QStringList expected{QString()};
        bool quoted = false;
        for (const QChar c : line) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (c == QLatin1Char(' ') && !quoted)
                expected << QString();
            else
                expected.last() += c;
        }
        expected.removeAll(QString());
        QProcess sh;
        sh.setWorkingDirectory(Work());
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s\\n' ") + line});
        ASSERT_TRUE(sh.waitForFinished(10000));
        EXPECT_EQ(sh.exitCode(), 0) << sh.readAllStandardError().toStdString();
        EXPECT_EQ(QString::fromUtf8(sh.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    }
}

} // namespace
