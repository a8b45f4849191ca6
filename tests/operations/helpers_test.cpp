// File, path, pattern and system helpers.

#include "operations/file_folder_scan.h"
#include "operations/file_pattern.h"
#include "operations/m_temp_file.h"
#include "operations/mod_general.h"
#include "operations/mod_os_version.h"
#include "operations/trim_null.h"
#include "operations/typed_number.h"
#include "platform/runtime/run_time_error.h"
#include "tests/support/run_time_error_of.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

TEST(PathTextHelpers, GetFileExtTakesTextAfterTheLastDot)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"scan.tif", "tif"},
        {"archive.tar.gz", "gz"},
        {"noext", "noext"},            // no dot: the whole text
        {"ends.", ""},                 // a final dot: nothing after it
        {"/data/v1.2/scan", "2/scan"}, // a dot in a folder name counts
        {"", ""},
        {".hidden", "hidden"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetFileExt(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(PathTextHelpers, ValidateDirEnsuresOneTrailingSeparator)
{
    EXPECT_EQ(ValidateDir("/tmp/out"), "/tmp/out/");
    EXPECT_EQ(ValidateDir("/tmp/out/"), "/tmp/out/");
    EXPECT_EQ(ValidateDir(""), "/");
    EXPECT_EQ(ValidateDir("rel"), "rel/");
}

TEST(PathTextHelpers, TrimNullFileNameAndHiWord)
{
    EXPECT_EQ(TrimNull("plain"), "plain");
    EXPECT_EQ(TrimNull(QString("ab") + QChar(0) + "cd" + QChar(0)), "ab");
    EXPECT_EQ(TrimNull(QString(QChar(0)) + "x"), "");
    EXPECT_EQ(GetFileNameFromPath("/a/b/c.tif"), "c.tif");
    EXPECT_EQ(GetFileNameFromPath("/a/b/"), "b");
    EXPECT_EQ(GetFileNameFromPath("/"), "");
    EXPECT_EQ(HiWord(65535), 0);
    EXPECT_EQ(HiWord(65536), 1);
    EXPECT_EQ(HiWord(static_cast<std::int32_t>(0x80000000u)), -32768);
}

TEST(TypedNumbers, TheWholeOnlyRuleTakesNoFractionWhereTheRoundingRuleRounds)
{
    const auto errorOf = [](const QString& text) { return ErrorOf([&] { ToLongWholeOnly(text); }); };
    EXPECT_EQ(ToLongWholeOnly(" -12 "), -12);
    EXPECT_EQ(ToLongRounding("2.5"), 2);
    EXPECT_EQ(errorOf("2.5"), rterr::TypeMismatch);
    EXPECT_EQ(errorOf("-"), rterr::TypeMismatch);
    EXPECT_EQ(errorOf(""), rterr::TypeMismatch);
    EXPECT_EQ(errorOf("99999999999"), rterr::Overflow);
    EXPECT_EQ(errorOf("99999999999999999999"), rterr::Overflow); // too many digits for any number
    // Digits of other scripts are no number, however many there are.
    EXPECT_EQ(errorOf(QString::fromUtf8("\u0663")), rterr::TypeMismatch);
    EXPECT_EQ(errorOf(QString::fromUtf8("\u0663\u0663\u0663")), rterr::TypeMismatch);
    EXPECT_EQ(ToIntegerWholeOnly("32767"), 32767);
    EXPECT_THROW(ToIntegerWholeOnly("32768"), RunTimeError);
}

TEST(PatternMatcher, IsCaseInsensitiveAndTreatsStarDotStarAsEverything)
{
    EXPECT_TRUE(PathMatchSpec("SCAN.TIF", "*.tif"));
    EXPECT_TRUE(PathMatchSpec("scan.Tiff", "*.TIFF"));
    EXPECT_FALSE(PathMatchSpec("scan.tiff", "*.tif"));
    EXPECT_FALSE(PathMatchSpec("scan.tif.bak", "*.tif"));
    EXPECT_TRUE(PathMatchSpec("README", "*.*"));
    EXPECT_TRUE(PathMatchSpec("", "*.*"));
    EXPECT_TRUE(PathMatchSpec("page7.tif", "page?.tif"));
    EXPECT_FALSE(PathMatchSpec("page17.tif", "page?.tif"));
    // Brackets and regular-expression characters are literal.
    EXPECT_TRUE(PathMatchSpec("a[1].tif", "a[1].tif"));
    EXPECT_FALSE(PathMatchSpec("a1.tif", "a[1].tif"));
    EXPECT_FALSE(PathMatchSpec("abtif", "ab.tif"));
    EXPECT_TRUE(PathMatchSpec("x+y(2).tif", "x+y(2).tif"));
    // Several patterns in one text.
    EXPECT_TRUE(PathMatchSpec("b.pdf", "*.tif; *.pdf"));
}

TEST(PatternMatcher, FilterPatternListMatchesAnyEntry)
{
    const QStringList patterns{"*.tif", "*.tiff"};
    EXPECT_TRUE(IsFileMatchWithFilterPattern("A.TIFF", patterns));
    EXPECT_TRUE(IsFileMatchWithFilterPattern("b.tif", patterns));
    EXPECT_FALSE(IsFileMatchWithFilterPattern("c.pdf", patterns));
    EXPECT_FALSE(IsFileMatchWithFilterPattern("c.tif", QStringList{}));
    EXPECT_FALSE(IsFileMatchWithFilterPattern("", patterns));
}

class FileFolderScanTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("doc.tif");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(FileFolderScanTest, FileExistsByFindIsFalseForFoldersAndBlanks)
{
    EXPECT_TRUE(FileExistsByFind(file));
    EXPECT_FALSE(FileExistsByFind(dir.path()));
    EXPECT_FALSE(FileExistsByFind(dir.path() + "/"));
    EXPECT_FALSE(FileExistsByFind(dir.filePath("missing.tif")));
    EXPECT_FALSE(FileExistsByFind("   "));
    EXPECT_FALSE(FileExistsByFind(""));

    // A named pipe is no file: whoever opened it to read would wait forever.
    const QString pipe = dir.filePath("pipe.tif");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(FileExistsByFind(pipe));
    ASSERT_TRUE(QFile::link(pipe, dir.filePath("to-pipe.tif")));
    EXPECT_FALSE(FileExistsByFind(dir.filePath("to-pipe.tif")));
    ASSERT_TRUE(QFile::link(file, dir.filePath("to-doc.tif")));
    EXPECT_TRUE(FileExistsByFind(dir.filePath("to-doc.tif")));
}

TEST_F(FileFolderScanTest, FolderExistsByFindDropsOneTrailingSeparatorFromTheCallersText)
{
    QString path = dir.path() + "/";
    EXPECT_TRUE(FolderExistsByFind(path));
    EXPECT_EQ(path, dir.path());

    QString filePath = file; // files count too
    EXPECT_TRUE(FolderExistsByFind(filePath));
    EXPECT_EQ(filePath, file);

    QString missing = dir.filePath("nope") + "/";
    EXPECT_FALSE(FolderExistsByFind(missing));
    EXPECT_EQ(missing, dir.filePath("nope"));

    QString blank = "  ";
    EXPECT_FALSE(FolderExistsByFind(blank));
    EXPECT_EQ(blank, "  ");
}

TEST_F(FileFolderScanTest, MakeSurePathCreatesEveryMissingLevel)
{
    const QString deep = dir.filePath("one/two");
    EXPECT_TRUE(MakeSurePath(deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_TRUE(QFileInfo(dir.filePath("one")).isDir());
    EXPECT_TRUE(CreateFolderPath(deep)); // already there
    EXPECT_TRUE(CreateFolderPath(dir.path() + "/"));
    // A file in the way of a folder level.
    EXPECT_FALSE(MakeSurePath(file + "/sub"));
    EXPECT_FALSE(CreateFolderPath(""));
}

TEST(TempFileHelpers, MakeTempFileNameCreatesAnEmptyFileOrRaisesTheSystemError)
{
    QTemporaryDir dir;
    const QFileInfo info(MakeTempFileName("ANIMATION", dir.path()));
    EXPECT_TRUE(info.isFile());
    EXPECT_EQ(info.size(), 0);
    EXPECT_EQ(info.absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    EXPECT_TRUE(info.fileName().startsWith("ANI") && info.fileName().endsWith(".tmp"));
    EXPECT_NE(MakeTempFileName("ANI", dir.path()), info.filePath());
    // Without a folder: the temporary-files folder.
    const QString inTemp = MakeTempFileName("ANI", QString());
    EXPECT_EQ(QFileInfo(inTemp).path() + "/", GetTempDir());
    EXPECT_TRUE(QFile::remove(inTemp));
    try {
        MakeTempFileName("ANI", dir.filePath("missing"));
        FAIL() << "no error raised";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), ENOENT | 10000);
        EXPECT_FALSE(e.description().isEmpty());
    }
}

// Neither version test answers true here, so no platform-specific path is
// ever taken.
TEST(TempFileHelpers, TheVersionTestsAnswerFalse)
{
    EXPECT_FALSE(IsWindowsNT());
    EXPECT_FALSE(IsWindowsVista());
}
