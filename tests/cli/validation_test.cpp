// The command-line grammar and its checks, seen from outside: which
// operation runs, and which message a bad line gets (on standard error,
// since the tests run without a display).

#include "cli_fixture.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace {

using V = std::vector<int>;

class ValidationTest : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        MakeTiffIn(QStringLiteral("a.tif"), {10, 20, 30, 40, 50});
        MakeTiffIn(QStringLiteral("b.tif"), {60, 70});
        MakeTiffIn(QStringLiteral("c.tif"), {90});
        QFile(Work(QStringLiteral("pic.bmp"))).open(QIODevice::WriteOnly);
        QFile(Work(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    }

    // Runs a line that must fail validation with `message`, touching nothing.
    void ExpectRejected(const QString& line, const QString& message)
    {
        SCOPED_TRACE(line.toStdString());
        const Result r = Run(line);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: ") + message);
        EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{10, 20, 30, 40, 50}));
        EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{60, 70}));
        EXPECT_TRUE(QDir(Work(QStringLiteral("out"))).isEmpty());
        EXPECT_FALSE(QFile::exists(Storage() + QStringLiteral("/Log.txt")));
    }

    // Every entry below the work folder by the bytes of its path, with the
    // bytes of each file.
    std::map<std::string, std::string> Tree() const
    {
        namespace fs = std::filesystem;
        std::map<std::string, std::string> tree;
        for (const auto& e : fs::recursive_directory_iterator(QFile::encodeName(Work()).toStdString())) {
            std::ostringstream bytes;
            if (e.is_regular_file())
                bytes << std::ifstream(e.path(), std::ios::binary).rdbuf();
            tree[e.path().string()] = bytes.str();
        }
        return tree;
    }
};

TEST_F(ValidationTest, SwitchesAreFoundWithoutRegardToCase)
{
    EXPECT_EQ(Run(QStringLiteral("/i a.tif /del 2")).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{10, 30, 40, 50}));
    EXPECT_EQ(Run(QStringLiteral("/I a.tif /DEL 2")).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{10, 40, 50}));
}

TEST_F(ValidationTest, InsertWinsOverTheOtherOperations)
{
    const Result r = Run(QStringLiteral("/i b.tif /del 1 /a c.tif"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{60, 70, 90}));
}

TEST_F(ValidationTest, AWholeLineInQuotesIsReadWithoutThem)
{
    EXPECT_EQ(Run(QStringList{QStringLiteral("\"/i a.tif /del 2\"")}).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{10, 30, 40, 50}));
}

TEST_F(ValidationTest, AbsolutePathsHoldSlashesWithoutEndingTheirArgument)
{
    const Result r = Run(QStringList{QStringLiteral("/i"),
                                     Work(QStringLiteral("a.tif")) + QLatin1Char('|') + Work(QStringLiteral("b.tif")),
                                     QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{20, 30, 40, 50}));
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{70}));
}

TEST_F(ValidationTest, AnItemMayCarryItsOwnPageNumber)
{
    EXPECT_EQ(Run(QStringLiteral("/i a.tif?3|b.tif /del 1")).exitCode, 0);
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{10, 20, 40, 50}));
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{70}));
}

TEST_F(ValidationTest, MissingSwitchesAndBadInputs)
{
    ExpectRejected(QStringLiteral("a.tif 2"), QStringLiteral("Invalid command line"));
    ExpectRejected(QStringLiteral("/i a.tif"), QStringLiteral("Invalid command line"));
    // An operation switch at the very start has no blank before it.
    ExpectRejected(QStringLiteral("/del 2 /i a.tif"), QStringLiteral("Invalid command line"));
    ExpectRejected(QStringLiteral("/i a.tif|b.tif /o out"), QStringLiteral("Invalid filename."));
    ExpectRejected(QStringLiteral("/i notes.txt /o out"), QStringLiteral("Invalid file formate."));
    ExpectRejected(QStringLiteral("/i gone.tif /o out"), QStringLiteral("Inputfile does not exists."));
    ExpectRejected(QStringLiteral("/i pic.bmp /del 1"), QStringLiteral("Invalid file type."));
    ExpectRejected(QStringLiteral("/i a.tif|gone.tif /del 1"), QStringLiteral("gone.tif does not exists."));
    ExpectRejected(QStringLiteral("/d nowhere /del 1"), QStringLiteral("Invalid folder path."));
    ExpectRejected(QStringLiteral("/d nowhere /o out"), QStringLiteral("Invalid folder path."));
    // An empty input list, the operation following at once.
    ExpectRejected(QStringLiteral("/i /del 1"), QStringLiteral("Invalid filename."));
    ExpectRejected(QStringLiteral("/d /o out"), QStringLiteral("Invalid filename."));
}

TEST_F(ValidationTest, ANameThatIsNoTextNeverReachesTheFileItLooksLike)
{
    // The byte 0xFF is no UTF-8. Read as text it would turn into U+FFFD,
    // the name of the file and the folder planted beside the real ones.
    const QString lookalike(QChar(0xFFFD));
    MakeTiffIn(lookalike + QStringLiteral(".tif"), {1, 2, 3});
    ASSERT_TRUE(QDir(Work()).mkpath(lookalike));
    MakeTiff(Work(lookalike + QStringLiteral("/in.tif")), {4, 5});
    const QByteArray work = QFile::encodeName(Work());
    MakeTiffIn(QStringLiteral("made.tif"), {6, 7});
    ASSERT_EQ(std::rename((work + "/made.tif").constData(), (work + "/\xff.tif").constData()), 0);
    ASSERT_EQ(::mkdir((work + "/\xff").constData(), 0700), 0);
    const auto before = Tree();

    const QString ff = QStringLiteral("\"$(printf '\\377')");
    const struct {
        QString words;
        const char* message;
    } lines[] = {
        {QStringLiteral("/i ") + ff + QStringLiteral(".tif\" /del 1"), "Invalid filename."},
        {QStringLiteral("/i \"$PWD/$(printf '\\377').tif\" /del 1"), "Invalid filename."},
        {QStringLiteral("/i \"c.tif|$(printf '\\377').tif\" /del 1"), "Invalid filename."},
        {QStringLiteral("/i ") + ff + QStringLiteral(".tif\" /o out"), "Invalid filename."},
        {QStringLiteral("/i a.tif /a ") + ff + QStringLiteral(".tif\""), "Invalid filename."},
        {QStringLiteral("/i a.tif /o ") + ff + QStringLiteral("\""), "Invalid output path."},
        {QStringLiteral("/d ") + ff + QStringLiteral("\" /del 1"), "Invalid folder path."},
        {QStringLiteral("/d ") + ff + QStringLiteral("\" /r /a c.tif"), "Invalid folder path."},
        {QStringLiteral("/d ") + ff + QStringLiteral("\" /o out"), "Invalid folder path."},
        {QStringLiteral("/i a.tif /n ") + ff + QStringLiteral("?_\" /o out"), "Invalid output filename convention."},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.words.toStdString());
        const Result r = RunShellWords(line.words);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err.toStdString(), std::string("Velmora 3.1: ") + line.message + '\n');
        EXPECT_TRUE(Tree() == before);
    }
}

TEST_F(ValidationTest, AnItemThatNamesAFileExactlyIsTakenAsItStands)
{
    // A list typed with blanks around its bars names the files without
    // them.
    Result r =
        Run({QStringLiteral("/i"), QStringLiteral("b.tif | a.tif"), QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("b.tif")), (V{70}));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{20, 30, 40, 50}));

    // Unless the blanks are part of a name.
    MakeTiffIn(QStringLiteral(" a.tif"), {7, 8, 9});
    r = Run({QStringLiteral("/i"), QStringLiteral("b.tif | a.tif"), QStringLiteral("/a"), QStringLiteral("c.tif")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral(" a.tif")), (V{7, 8, 9, 90}));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{20, 30, 40, 50}));
    // Taken as it stands, "a.tif " does not end in ".tif".
    MakeTiffIn(QStringLiteral("a.tif "), {7, 8, 9});
    r = Run({QStringLiteral("/i"), Work(QStringLiteral("a.tif ")), QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.toStdString(), "Velmora 3.1: Invalid file type.\n");
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif ")), (V{7, 8, 9}));
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{20, 30, 40, 50}));

    // Folders alike, and a subfolder of a scan whose name ends in a blank.
    for (const char* folder : {"in", "in ", "top/sub", "top/sub "}) {
        ASSERT_TRUE(QDir(Work()).mkpath(QLatin1String(folder)));
        MakeTiff(Work(QLatin1String(folder) + QStringLiteral("/x.tif")), {1, 2});
    }
    r = Run({QStringLiteral("/d"), QStringLiteral("in "), QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("in /x.tif")), (V{2}));
    EXPECT_EQ(PagesIn(QStringLiteral("in/x.tif")), (V{1, 2}));
    r = Run(QStringLiteral("/d top /r /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("top/sub/x.tif")), (V{2}));
    EXPECT_EQ(PagesIn(QStringLiteral("top/sub /x.tif")), (V{2}));

    // A name that begins with a byte-order mark is a name like any other,
    // never reported under the name without it.
    const QString mark(QChar(0xFEFF));
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("bom/sub")));
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("bom/") + mark + QStringLiteral("sub")));
    MakeTiff(Work(QStringLiteral("bom/sub/x.tif")), {1, 2});
    MakeTiff(Work(QStringLiteral("bom/") + mark + QStringLiteral("sub/x.tif")), {1, 2});
    MakeTiff(Work(QStringLiteral("bom/") + mark + QStringLiteral("y.tif")), {1, 2, 3});
    r = Run(QStringLiteral("/d bom /r /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("bom/sub/x.tif")), (V{2}));
    EXPECT_EQ(PagesIn(QStringLiteral("bom/") + mark + QStringLiteral("sub/x.tif")), (V{2}));
    r = Run({QStringLiteral("/i"), Work(QStringLiteral("bom/") + mark + QStringLiteral("y.tif")),
             QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("bom/") + mark + QStringLiteral("y.tif")), (V{3}));
}

TEST_F(ValidationTest, SwitchWordsInsideAPathArePath)
{
    // "/i " inside a folder name must not turn a folder run into a file run.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("x/i scans")));
    MakeTiff(Work(QStringLiteral("x/i scans/s.tif")), {1, 2});
    Result r =
        Run({QStringLiteral("/d"), Work(QStringLiteral("x/i scans")), QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("x/i scans/s.tif"))), (V{2}));

    // "/silent" inside a path must not divert the result to Log.txt.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("q/silent")));
    MakeTiff(Work(QStringLiteral("q/silent/t.tif")), {3, 4});
    r = Run(
        {QStringLiteral("/i"), Work(QStringLiteral("q/silent/t.tif")), QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QStringLiteral("Velmora 3.1: successfully deleted pages from file.\n"));
    EXPECT_EQ(Pages(Work(QStringLiteral("q/silent/t.tif"))), (V{4}));
    EXPECT_FALSE(QFile::exists(Storage() + QStringLiteral("/Log.txt")));
}

TEST_F(ValidationTest, TheRootFolderIsAFolder)
{
    // Its scan reads "/" only (no subfolders) and writes into the work folder.
    const Result r =
        Run({QStringLiteral("/d"), QStringLiteral("/"), QStringLiteral("/o"), Work(QStringLiteral("out"))});
    EXPECT_NE(r.exitCode, 2) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Invalid folder path.")));
}

TEST_F(ValidationTest, AWindowSystemPlatformWithoutItsDisplayStillReportsOnStandardError)
{
    // Without DISPLAY or WAYLAND_DISPLAY these platforms cannot start; the
    // program must not abort trying.
    for (const char* platform : {"xcb", "wayland;xcb"}) {
        SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        ExpectRejected(QStringLiteral("/i a.tif"), QStringLiteral("Invalid command line"));
    }
}

TEST_F(ValidationTest, PageNumbersAndRanges)
{
    ExpectRejected(QStringLiteral("/i a.tif /del x"), QStringLiteral("Invalid Pageno."));
    ExpectRejected(QStringLiteral("/i a.tif /a b.tif?x"), QStringLiteral("Invalid Pageno."));
    ExpectRejected(QStringLiteral("/i a.tif /a gone.tif"), QStringLiteral("gone.tif does not exists."));
    for (const char* range : {"?3-2", "?1-2-3", "?x-2", "?2-6", "?0-5", "?x"})
        ExpectRejected(QStringLiteral("/i a.tif /o out") + QLatin1String(range),
                       QStringLiteral("Invalid output range."));
    ExpectRejected(QStringLiteral("/i a.tif /o nowhere"), QStringLiteral("Invalid output path."));
    ExpectRejected(QStringLiteral("/i a.tif /o a.tif"), QStringLiteral("Invalid output path."));
}

TEST_F(ValidationTest, SilentAfterTheOutputFolderBelongsToItsArgument)
{
    // The output argument runs to the end of the line, so it reads
    // "out /silent": no such folder, and the message is still shown.
    ExpectRejected(QStringLiteral("/i a.tif /o out /silent"), QStringLiteral("Invalid output path."));
}

TEST_F(ValidationTest, NamingConvention)
{
    const QString bad = QStringLiteral("Invalid output filename convention.");
    ExpectRejected(QStringLiteral("/i a.tif /n abc /o out"), bad);
    ExpectRejected(QStringLiteral("/i a.tif /n abc?__ /o out"), bad);
    ExpectRejected(QStringLiteral("/i a.tif /n a:b?_ /o out"), bad);

    // An empty base keeps the source name and takes the separator.
    EXPECT_EQ(Run(QStringLiteral("/i b.tif /n ?_ /o out")).exitCode, 0);
    EXPECT_EQ(Pages(Work(QStringLiteral("out/b_1.tif"))), (V{60}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/b_2.tif"))), (V{70}));
}

TEST_F(ValidationTest, ARangeIsCheckedAgainstTheFileOnlyForFileInput)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    MakeTiff(Work(QStringLiteral("in/x.tif")), {1, 2});
    const Result r = Run(QStringLiteral("/d in /o out?2-9"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("out/x2.tif"))), (V{2}));
    EXPECT_FALSE(QFile::exists(Work(QStringLiteral("out/x1.tif"))));
}

} // namespace
