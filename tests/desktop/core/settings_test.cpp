#include "desktop/core/settings.h"

#include "operations/property_bag.h"
#include "storage_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <csignal>
#include <sys/resource.h>

namespace {

using Id = Settings::Id;

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A value of each setting that differs from its default and exercises the
// awkward corners of its type.
Settings::Value Unusual(Id id)
{
    const int i = static_cast<int>(id);
    if (id == Settings::LastGridColWidthId)
        return Settings::Value{QStringLiteral(" 1800,250.5 ,70,1,2,3,4,0"), 0};
    switch (Settings::TypeOf(id)) {
    case Settings::Type::String: {
        static const QString samples[] = {
            QStringLiteral("tab\there"),
            QStringLiteral("two\nlines\r\nand a CR\r"),
            QStringLiteral("C:\\scans\\ende\\"),
            QStringLiteral("Grüße ✓ 日本語 ñ"),
            QStringLiteral("  blanks around  "),
            QStringLiteral("a=b;c,d \"quoted\" \\n not a newline"),
            QStringLiteral("/home/ü ser/#scans?/"),
        };
        return Settings::Value{samples[i % 7] + QString::number(i), 0};
    }
    case Settings::Type::Byte: return Settings::Value{QString(), i % 2 ? 255 : 200 + i % 50};
    case Settings::Type::Integer: return Settings::Value{QString(), i % 2 ? -32768 : 32767 - i};
    case Settings::Type::Long: return Settings::Value{QString(), i % 2 ? -2147483647 - 1 : 2147483647 - i};
    }
    return {};
}

class SettingsTest : public StorageFolderTest {
protected:
    void SetUp() override
    {
        StorageFolderTest::SetUp();
        Settings::SetFailureNotifier([this](const QString& text) { notices_.append(text); });
    }
    void TearDown() override { Settings::SetFailureNotifier(nullptr); }

    QString File() const { return Settings::SettingsFilePath(); }
    QStringList notices_;
};

TEST_F(SettingsTest, FirstRunCreatesFolderThenDefaultsWriteEveryValue)
{
    Settings fresh;
    // A fresh store holds empty values until loaded.
    EXPECT_EQ(fresh.ColumnVisibility(), QString());
    EXPECT_EQ(fresh.WindowStateValue(), 0);

    EXPECT_FALSE(fresh.LoadSettings());
    EXPECT_TRUE(QFileInfo(StorageFolder() + "/Settings").isDir());
    EXPECT_FALSE(QFileInfo::exists(File()));
    EXPECT_EQ(fresh.ColumnVisibility(), QString());

    fresh.LoadDefaultSettings();
    ASSERT_TRUE(QFileInfo::exists(File()));
    EXPECT_EQ(File(), StorageFolder() + "/Settings/settings.ini");

    // Every key is written, in the fixed order, also when it equals its default.
    const PropertyBag bag = PropertyBag::FromContents(FileBytes(File()));
    QStringList expectedOrder;
    for (Id id : Settings::WriteOrder())
        expectedOrder.append(Settings::Name(id));
    EXPECT_EQ(bag.Names(), expectedOrder);
    EXPECT_EQ(expectedOrder.first(), "ColumnVisibility");
    EXPECT_EQ(expectedOrder.mid(11, 5), QStringList({"LastGridColWidthFlag", "LastGridColWidth", "ColumnReOrder",
                                                     "SortbyNumeric", "IsOpenFileAfterExport"}));
    EXPECT_EQ(expectedOrder.mid(16, 3),
              QStringList({"IsDefaultPathSplitPDF", "DefaultPathSplitPDF", "IsOpenFolderSplitPDF"}));
    EXPECT_EQ(expectedOrder.mid(43, 3),
              QStringList({"IsOpenFolderConPdfToTiff", "IsDefaultPathConPdfToTiff", "DefaultPathConPdfToTiff"}));

    // The stored types are the settings' own.
    PropertyBag::Type type;
    ASSERT_TRUE(bag.TypeOf("WindowStateFlag", type));
    EXPECT_EQ(type, PropertyBag::Type::Byte);
    ASSERT_TRUE(bag.TypeOf("LastGridColWidthFlag", type));
    EXPECT_EQ(type, PropertyBag::Type::Integer);
    ASSERT_TRUE(bag.TypeOf("LastWindowTop", type));
    EXPECT_EQ(type, PropertyBag::Type::Long);

    Settings next;
    ASSERT_TRUE(next.LoadSettings());
    for (int i = 0; i < Settings::Count; ++i)
        EXPECT_EQ(next.Get(Id(i)), Settings::Default(Id(i))) << Settings::Name(Id(i)).toStdString();
    EXPECT_EQ(next.ColumnVisibility(), "1,1,1,1,1,1,1,1");
    EXPECT_EQ(next.StartupFolder(), QDir::homePath());
    EXPECT_EQ(next.WindowStateFlag(), 1);
    EXPECT_EQ(next.WindowStateValue(), 2);
    EXPECT_EQ(next.LastGridColWidthFlag(), 1);
    EXPECT_EQ(next.LastGridColWidth(), "1800,250,700,1800,1000,1400,2000,2000");
    EXPECT_EQ(next.ColumnReOrder(), "Name,Selection,Pages,Location,Size (In KB),Type,Created Date,Modified Date");
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(SettingsTest, EveryValueRoundTripsThroughTheFile)
{
    Settings writer;
    writer.LoadDefaultSettings();
    for (int i = 0; i < Settings::Count; ++i)
        writer.Set(Id(i), Unusual(Id(i)));
    // Each assignment rewrote the file: a second store reads them all back.
    Settings reader;
    ASSERT_TRUE(reader.LoadSettings());
    for (int i = 0; i < Settings::Count; ++i) {
        EXPECT_EQ(reader.Get(Id(i)), Unusual(Id(i))) << Settings::Name(Id(i)).toStdString();
        EXPECT_NE(reader.Get(Id(i)), Settings::Default(Id(i))) << Settings::Name(Id(i)).toStdString();
    }
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsTest, NamedPropertiesStoreTheirOwnValueAndSaveAtOnce)
{
    Settings s;
    s.LoadDefaultSettings();
    s.SetStartupFolder(QStringLiteral("/srv/scans\tneu"));
    s.SetWindowStateValue(255);
    s.SetSortbyNumeric(-1);
    s.SetLastWindowWidth(-5);
    s.SetIsDefaultPathConPdfToTiff(1);

    Settings t;
    ASSERT_TRUE(t.LoadSettings());
    EXPECT_EQ(t.StartupFolder(), "/srv/scans\tneu");
    EXPECT_EQ(t.WindowStateValue(), 255);
    EXPECT_EQ(t.SortbyNumeric(), -1);
    EXPECT_EQ(t.LastWindowWidth(), -5);
    EXPECT_EQ(t.IsDefaultPathConPdfToTiff(), 1);
    // Only the assigned properties changed.
    EXPECT_EQ(t.IsOpenFolderConPdfToTiff(), 0);
    EXPECT_EQ(t.Get(Settings::StartupFolderId).text, "/srv/scans\tneu");

    // A number outside a setting's type is refused and changes nothing.
    EXPECT_THROW(t.Set(Settings::WindowStateValueId, Settings::Value{QString(), 256}), RunTimeError);
    EXPECT_THROW(t.Set(Settings::SortbyNumericId, Settings::Value{QString(), 32768}), RunTimeError);
    EXPECT_EQ(t.WindowStateValue(), 255);
    EXPECT_EQ(t.SortbyNumeric(), -1);

    // Assigning the same value again still writes the file.
    QFile::remove(File());
    t.SetSortbyNumeric(-1);
    EXPECT_TRUE(QFileInfo::exists(File()));
}

TEST_F(SettingsTest, MissingKeysReadAsEmptyValuesNotDefaults)
{
    PropertyBag bag;
    bag.WriteString("ColumnVisibility", "0,1");
    bag.WriteByte("windowstateflag", 0); // names are found without regard to case

    Settings s;
    s.LoadDefaultSettings();
    WriteBytes(File(), bag.Contents());
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.ColumnVisibility(), "0,1");
    EXPECT_EQ(s.WindowStateFlag(), 0);
    EXPECT_EQ(s.WindowStateValue(), 0);      // default would be 2
    EXPECT_EQ(s.StartupFolder(), QString()); // default would be the home folder
    EXPECT_EQ(s.LastGridColWidthFlag(), 0);
    EXPECT_EQ(s.ColumnReOrder(), QString());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsTest, DamagedValuesTakeTheirDefaultsWithOneLogLine)
{
    Settings writer;
    writer.LoadDefaultSettings();
    writer.SetStartupFolder("/kept");
    PropertyBag bag = PropertyBag::FromContents(FileBytes(File()));
    bag.WriteLong("WindowStateValue", 300);               // a byte above 255
    bag.WriteString("LastWindowLeft", "left edge");       // text where a number belongs
    bag.WriteString("LastGridColWidth", "1800,wide,700"); // a width list that is not numbers
    QByteArray bytes = bag.Contents();
    // A byte entry whose own text is out of range damages that line only.
    ASSERT_TRUE(bytes.contains("WindowStateFlag=1\n"));
    bytes.replace("WindowStateFlag=1\n", "WindowStateFlag=300\n");
    WriteBytes(File(), bytes);

    Settings s;
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.WindowStateFlag(), 1);
    EXPECT_EQ(s.WindowStateValue(), 2);
    EXPECT_EQ(s.LastWindowLeft(), 0);
    EXPECT_EQ(s.LastGridColWidth(), "1800,250,700,1800,1000,1400,2000,2000");
    EXPECT_EQ(s.StartupFolder(), "/kept");
    EXPECT_EQ(s.ColumnReOrder(), Settings::Default(Settings::ColumnReOrderId).text);

    const QStringList log = LogLines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith("Error ")) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains(" in procedure LoadSettings at Line No. 50 of Class Module Settings at time- "))
        << log[0].toStdString();
    for (const char* name : {"WindowStateFlag", "WindowStateValue", "LastWindowLeft", "LastGridColWidth"})
        EXPECT_TRUE(log[0].contains(name)) << name;
}

TEST_F(SettingsTest, AWidthListTakesItsDefaultUnlessEveryEntryIsAColumnWidth)
{
    // Read the same under a comma-decimal locale as under any other.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString defaults = Settings::Default(Settings::LastGridColWidthId).text;
    const std::pair<const char*, bool> lists[] = {
        {"1800.5,250,700,1800,1000,1400,2000,2000", true}, {"0,250,700,1800,1000,1400,2000,1440000", true},
        {"1800,nan,700,1800,1000,1400,2000,2000", false},  {"1800,250,inf,1800,1000,1400,2000,2000", false},
        {"1800,250,700,-5,1000,1400,2000,2000", false},    {"1800,250,700,1800,1e12,1400,2000,2000", false},
        {"1800,250,,1800,1000,1400,2000,2000", false},
    };
    for (const auto& [list, kept] : lists) {
        QFile::remove(StorageFolder() + "/Errors.Log");
        Settings writer;
        writer.LoadDefaultSettings();
        writer.SetLastGridColWidth(QString::fromLatin1(list));
        Settings s;
        ASSERT_TRUE(s.LoadSettings()) << list;
        EXPECT_EQ(s.LastGridColWidth(), kept ? QString::fromLatin1(list) : defaults) << list;
        const QStringList log = LogLines();
        EXPECT_EQ(log.size(), kept ? 0 : 1) << list;
        if (!kept && !log.isEmpty()) {
            EXPECT_TRUE(log[0].contains("LastGridColWidth")) << log[0].toStdString();
        }
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(SettingsTest, UnreadableFileReportsFailureAndKeepsValues)
{
    Settings s;
    s.LoadDefaultSettings();
    s.SetStartupFolder("/before");
    for (const QByteArray& junk :
         {QByteArray("not a settings record\n"), QByteArray(), PropertyBag().Contents().left(10)}) {
        WriteBytes(File(), junk);
        EXPECT_FALSE(s.LoadSettings());
        EXPECT_EQ(s.StartupFolder(), "/before");
    }
    EXPECT_EQ(LogLines().size(), 3);
    EXPECT_TRUE(
        LogLines().first().contains("in procedure LoadSettings at Line No. 40 of Class Module Settings at time"));
}

TEST_F(SettingsTest, FailedWriteKeepsValuesAndDoesNotResetOrRetry)
{
    Settings s;
    s.LoadDefaultSettings();
    s.SetStartupFolder("/first");
    // The file is replaced by a folder: it can be neither written nor replaced.
    ASSERT_TRUE(QFile::remove(File()));
    ASSERT_TRUE(QDir().mkdir(File()));
    WriteBytes(File() + "/inside.txt", "keep me");

    s.SetStartupFolder("/second");
    s.SetWindowStateValue(0);
    EXPECT_FALSE(s.SaveSettings());

    // The new values stay in memory; nothing went back to its default.
    EXPECT_EQ(s.StartupFolder(), "/second");
    EXPECT_EQ(s.WindowStateValue(), 0);
    EXPECT_EQ(s.ColumnVisibility(), "1,1,1,1,1,1,1,1");
    // The folder in the file's place is untouched.
    EXPECT_TRUE(QFileInfo(File()).isDir());
    EXPECT_EQ(FileBytes(File() + "/inside.txt"), "keep me");
    // One log line per failed save, one notice per run.
    const QStringList log = LogLines();
    ASSERT_EQ(log.size(), 3);
    for (const QString& line : log)
        EXPECT_TRUE(line.contains("in procedure SaveSettings at Line No. 50 of Class Module Settings at time"))
            << line.toStdString();
    EXPECT_EQ(notices_.size(), 1);

    // Once the file can be written again the next assignment saves everything.
    ASSERT_TRUE(QDir(File()).removeRecursively());
    s.SetLastWindowTop(7);
    Settings t;
    ASSERT_TRUE(t.LoadSettings());
    EXPECT_EQ(t.StartupFolder(), "/second");
    EXPECT_EQ(t.LastWindowTop(), 7);
}

TEST_F(SettingsTest, FailedWriteLeavesThePreviousFileWhole)
{
    Settings s;
    s.LoadDefaultSettings();
    s.SetStartupFolder("/on disk");
    const QByteArray before = FileBytes(File());
    ASSERT_FALSE(before.isEmpty());

    // Every write beyond 64 bytes fails (even for a privileged user).
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.SetStartupFolder("/only in memory");
    const bool saved = s.SaveSettings();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(s.StartupFolder(), "/only in memory");
    EXPECT_EQ(FileBytes(File()), before);
    EXPECT_EQ(notices_.size(), 1);
    // No stray temporary file is left beside it.
    EXPECT_EQ(QDir(StorageFolder() + "/Settings").entryList(QDir::Files | QDir::Hidden), QStringList({"settings.ini"}));
}

TEST_F(SettingsTest, NoStorageFolderMeansNoFileAnywhere)
{
    SetStorageFolder(QString());
    Settings s;
    EXPECT_FALSE(s.LoadSettings());
    s.LoadDefaultSettings();
    EXPECT_EQ(s.WindowStateValue(), 2);
    EXPECT_FALSE(QFileInfo::exists("/Settings/settings.ini"));
    EXPECT_EQ(notices_.size(), 1);
}

} // namespace
