#include "platform/com/class_registry.h"

#include "tests/platform/com/temp_home.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using com::ClassRegistry;

namespace {

const QUuid kClsid = QUuid::fromString(QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
const QUuid kLib = QUuid::fromString(QStringLiteral("{AAAAAAAA-2222-3333-4444-555555555555}"));

ClassRegistry::ClassEntry ControlEntry()
{
    ClassRegistry::ClassEntry e;
    e.clsid = kClsid;
    e.userTypeName = QStringLiteral("Sample Control");
    e.progId = QStringLiteral("Sample.Ctrl.1");
    e.modulePath = QStringLiteral("/opt/m/libSample.so");
    e.threadingModel = QStringLiteral("Apartment");
    e.control = true;
    e.toolboxBitmapId = 1;
    e.miscStatus = 0x20591;
    e.typeLib = kLib;
    e.version = QStringLiteral("1.0");
    return e;
}

} // namespace

TEST(ClassRegistry, FileFollowsTheConfigHomeOfTheMoment)
{
    TempHome a;
    const QString first = ClassRegistry::FilePath();
    EXPECT_EQ(first, a.path() + "/config/Ostrana Technologies/classes.ini");
    ASSERT_TRUE(ClassRegistry::SetValue("Probe", {}, "x"));
    EXPECT_TRUE(QFile::exists(first));
    {
        TempHome b;
        EXPECT_NE(ClassRegistry::FilePath(), first);
        EXPECT_FALSE(ClassRegistry::KeyExists("Probe"));
    }
    EXPECT_EQ(ClassRegistry::Value("Probe").value_or(""), "x");
}

TEST(ClassRegistry, PlainClassHasNoThreadingModelOrProgId)
{
    TempHome home;
    ClassRegistry::ClassEntry e;
    e.clsid = kClsid;
    e.userTypeName = "Page";
    e.modulePath = "/m.so";
    ASSERT_TRUE(ClassRegistry::RegisterClass(e));
    EXPECT_EQ(ClassRegistry::Dump(), QStringList({"CLSID/{11111111-2222-3333-4444-555555555555}/InprocServer32|=/m.so",
                                                  "CLSID/{11111111-2222-3333-4444-555555555555}|=Page"}));
}

TEST(ClassRegistry, ProgIdLookupIgnoresCaseAndRejectsOtherRoots)
{
    TempHome home;
    ASSERT_TRUE(ClassRegistry::RegisterClass(ControlEntry()));
    EXPECT_EQ(ClassRegistry::ClsidFromProgId("Sample.Ctrl.1"), kClsid);
    EXPECT_EQ(ClassRegistry::ClsidFromProgId("SAMPLE.CTRL.1"), kClsid);
    EXPECT_TRUE(ClassRegistry::ClsidFromProgId("Sample.Ctrl.2").isNull());
    EXPECT_TRUE(ClassRegistry::ClsidFromProgId("").isNull());
    EXPECT_TRUE(ClassRegistry::ClsidFromProgId("CLSID").isNull());
    EXPECT_TRUE(ClassRegistry::ClsidFromProgId("CLSID/{11111111-2222-3333-4444-555555555555}").isNull());
}

TEST(ClassRegistry, TypeLibPathFallsBackToNeutralLocale)
{
    TempHome home;
    ASSERT_TRUE(ClassRegistry::RegisterTypeLibKeys(kLib, 1, 0, 0, "Lib", "/m/lib.so", "/m"));
    EXPECT_EQ(ClassRegistry::TypeLibPath(kLib, 1, 0, 0x409), "/m/lib.so");
    EXPECT_TRUE(ClassRegistry::TypeLibPath(kLib, 1, 1, 0).isEmpty());
    EXPECT_EQ(ClassRegistry::SubKeys("TypeLib/{AAAAAAAA-2222-3333-4444-555555555555}"), QStringList({"1.0"}));
    ASSERT_TRUE(ClassRegistry::UnregisterTypeLibKeys(kLib, 1, 0));
    EXPECT_TRUE(ClassRegistry::TypeLibPath(kLib, 1, 0, 0).isEmpty());
    EXPECT_FALSE(ClassRegistry::KeyExists("TypeLib/{AAAAAAAA-2222-3333-4444-555555555555}"));
}

TEST(ClassRegistry, UnwritableLocationReportsFailure)
{
    TempHome home;
    // The config home is a plain file, so the registry folder cannot exist.
    QFile blocker(home.path() + "/config");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(ClassRegistry::RegisterClass(ControlEntry()));
    EXPECT_FALSE(ClassRegistry::FindClass(kClsid).has_value());
}
