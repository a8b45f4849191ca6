#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

class RecordingShell : public shell::Handler {
public:
    bool OpenUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    bool Run(const QString& program, const QStringList& arguments, shell::OutcomeCallback) override
    {
        program_ = program;
        arguments_ = arguments;
        return true;
    }
    QList<QUrl> opened;
    QString program_;
    QStringList arguments_;
};

TEST(Shell, FilesAndFoldersOpenAsLocalFilesWithEveryCharacterKept)
{
    RecordingShell fake;
    shell::ScopedHandler use(&fake);
    EXPECT_TRUE(shell::Execute("open", "/scans/a #1?.tif"));
    EXPECT_TRUE(shell::Execute("Open", "/scans/x:y%20"));
    EXPECT_TRUE(shell::Execute("explore", "/scans/out"));
    ASSERT_EQ(fake.opened.size(), 3);
    EXPECT_EQ(fake.opened[0].toLocalFile(), "/scans/a #1?.tif");
    EXPECT_EQ(fake.opened[1].toLocalFile(), "/scans/x:y%20");
    EXPECT_EQ(fake.opened[2], QUrl::fromLocalFile("/scans/out"));
    // A relative name with a colon is a file, not an address.
    EXPECT_TRUE(shell::Open("report:v2.txt"));
    EXPECT_TRUE(fake.opened[3].isLocalFile());
}

TEST(Shell, AddressesAreHandedOnAsGiven)
{
    RecordingShell fake;
    shell::ScopedHandler use(&fake);
    EXPECT_TRUE(shell::Execute("open", "mailto:a@b.example?subject=Two words"));
    EXPECT_TRUE(shell::Open("HTTPS://b.example/x?y=1#z"));
    ASSERT_EQ(fake.opened.size(), 2);
    EXPECT_EQ(fake.opened[0].toString(), "mailto:a@b.example?subject=Two words");
    EXPECT_EQ(fake.opened[1].host(), "b.example");
    EXPECT_EQ(fake.opened[1].fragment(), "z");
}

TEST(Shell, PrintRunsLpWithAnArgumentList)
{
    RecordingShell fake;
    shell::ScopedHandler use(&fake);
    EXPECT_TRUE(shell::Execute("Print", "/scans/-rf; rm x.tif"));
    EXPECT_EQ(fake.program_, "lp");
    EXPECT_EQ(fake.arguments_, QStringList({"--", "/scans/-rf; rm x.tif"}));
    // On a chosen printer, whatever its name looks like.
    EXPECT_TRUE(shell::Execute("printto", "/scans/a.tif", "-Office 2"));
    EXPECT_EQ(fake.arguments_, QStringList({"-d", "-Office 2", "--", "/scans/a.tif"}));
    EXPECT_TRUE(shell::Execute("PrintTo", "/scans/a.tif", ""));
    EXPECT_EQ(fake.arguments_, QStringList({"--", "/scans/a.tif"}));
    EXPECT_TRUE(fake.opened.isEmpty());
}

TEST(Shell, UnknownVerbsAndEmptyTargetsDoNothing)
{
    RecordingShell fake;
    shell::ScopedHandler use(&fake);
    EXPECT_FALSE(shell::Execute("edit", "/a.tif"));
    EXPECT_FALSE(shell::Execute("open", ""));
    EXPECT_FALSE(shell::Execute("print", ""));
    EXPECT_FALSE(shell::Execute("print", "http://x.example/a.tif"));
    EXPECT_TRUE(fake.opened.isEmpty());
    EXPECT_TRUE(fake.program_.isEmpty());
}

} // namespace
