// Registration, class factories, unload counting, type library and version
// record of the Stavren module.

#include "platform/com/class_registry.h"
#include "platform/com/type_library.h"
#include "platform/com/version_record.h"
#include "tests/engine/control/stavren_fixture.h"

#include <QFileInfo>

using com::ClassRegistry;

namespace {

const QString kCls = QStringLiteral("CLSID/{F0C650FA-0500-40B8-8A3D-09DC0C9869A1}");
const QString kPage = QStringLiteral("CLSID/{FBC965C0-DA82-4D0A-912B-25EE4F818B42}");

QString ModuleFile()
{
    return QFileInfo(kStavrenModule).absoluteFilePath();
}

} // namespace

TEST(StavrenRegistration, WritesTheControlPageAndLibraryKeys)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    const QString path = ModuleFile();
    EXPECT_EQ(ClassRegistry::Value("STAVREN.StavrenCtrl.1").value_or(""), "Stavren Control");
    EXPECT_EQ(ClassRegistry::Value("STAVREN.StavrenCtrl.1/CLSID").value_or(""),
              "{F0C650FA-0500-40B8-8A3D-09DC0C9869A1}");
    EXPECT_EQ(ClassRegistry::Value(kCls).value_or(""), "Stavren Control");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/ProgID").value_or(""), "STAVREN.StavrenCtrl.1");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/InprocServer32").value_or(""), path);
    EXPECT_EQ(ClassRegistry::Value(kCls + "/InprocServer32", "ThreadingModel").value_or(""), "Apartment");
    EXPECT_TRUE(ClassRegistry::KeyExists(kCls + "/Control"));
    EXPECT_EQ(ClassRegistry::Value(kCls + "/ToolboxBitmap32").value_or(""), path + ", 1");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/MiscStatus").value_or(""), "0");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/MiscStatus/1").value_or(""), "132497");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/TypeLib").value_or(""), "{7DC9F949-AD8B-42AE-B819-5A0F5744DF76}");
    EXPECT_EQ(ClassRegistry::Value(kCls + "/Version").value_or(""), "1.0");
    EXPECT_FALSE(ClassRegistry::KeyExists(kCls + "/Insertable"));

    // The property page: type name and module, no threading model, no ProgID.
    EXPECT_EQ(ClassRegistry::Value(kPage).value_or(""), "Stavren Property Page");
    EXPECT_EQ(ClassRegistry::Value(kPage + "/InprocServer32").value_or(""), path);
    EXPECT_FALSE(ClassRegistry::Value(kPage + "/InprocServer32", "ThreadingModel").has_value());
    EXPECT_FALSE(ClassRegistry::KeyExists("STAVREN.StavrenPropPage.1"));

    EXPECT_EQ(ClassRegistry::TypeLibPath(kLibId, 1, 0, 0), path);
}

TEST(StavrenRegistration, TwiceLeavesTheSameEntriesAndUnregisterRemovesThem)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    const QStringList once = ClassRegistry::Dump();
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EXPECT_EQ(ClassRegistry::Dump(), once);

    ASSERT_TRUE(ClassRegistry::SetValue("Someone.Else", {}, "stays"));
    ASSERT_EQ(UnregisterStavren(), com::S_OK);
    EXPECT_EQ(ClassRegistry::Dump(), QStringList({"Someone.Else|=stays"}));
    EXPECT_EQ(ErrorOf([] { com::CreateObject(kCtrlProgId); }), 429);
    EXPECT_EQ(ErrorOf([] { com::CreateInstance(kCtrlClsid); }), 429);
}

TEST(StavrenRegistration, UnwritableRegistryGivesTheTypeLibraryCode)
{
    TempHome home;
    QFile blocker(home.path() + "/config");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(RegisterStavren(), com::SELFREG_E_TYPELIB);
    // Nothing was written, so there is nothing to remove either.
    EXPECT_EQ(UnregisterStavren(), com::S_OK);
}

TEST(StavrenModule, ClassObjectsAndUnloadCounting)
{
    auto get = StavrenExport<com::DllGetClassObjectFn>("DllGetClassObject");
    auto canUnload = StavrenExport<com::DllCanUnloadNowFn>("DllCanUnloadNow");
    ASSERT_NE(get, nullptr);
    ASSERT_NE(canUnload, nullptr);

    void* p = nullptr;
    const QUuid unknown = QUuid::createUuid();
    EXPECT_EQ(get(&unknown, &com::IID_IClassFactory, &p), com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    ASSERT_EQ(get(&kPageClsid, &com::IID_IClassFactory, &p), com::S_OK);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(get(&kCtrlClsid, &com::IID_IClassFactory, &p), com::S_OK);
    auto* factory = static_cast<com::ClassFactory*>(p);

    EXPECT_EQ(canUnload(), com::S_OK);
    com::Object* raw = nullptr;
    ASSERT_EQ(factory->CreateInstance(&raw), com::S_OK);
    auto ctrl = com::Ptr<com::Object>::Attach(raw);
    EXPECT_EQ(canUnload(), com::S_FALSE);
    ctrl.reset();
    EXPECT_EQ(canUnload(), com::S_OK);
}

TEST_F(StavrenTest, CreatedByProgIdAndClsidAndCalledAtOnce)
{
    auto byProgId = com::CreateObject(kCtrlProgId);
    auto byClsid = com::CreateInstance(kCtrlClsid);
    ASSERT_TRUE(byProgId);
    ASSERT_TRUE(byClsid);
    EXPECT_STREQ(byClsid->metaObject()->className(), "CStavrenCtrl");
    EXPECT_EQ(com::Invoke(byProgId, "GetTIFFPages", {S(File("none.tif"))}).toInt(), 0);
    EXPECT_EQ(com::Invoke(byClsid, "GetTIFFPages", {S(File("none.tif"))}).toInt(), 0);

    auto page = com::CreateInstance(kPageClsid);
    ASSERT_TRUE(page);
    EXPECT_STREQ(page->metaObject()->className(), "CStavrenPropPage");
}

TEST_F(StavrenTest, TypeLibraryDescribesTheDispatchInterface)
{
    com::TypeLibrary lib;
    ASSERT_EQ(com::LoadRegTypeLib(kLibId, 1, 0, 0x409, lib), com::S_OK);
    EXPECT_EQ(lib.name, "STAVRENLib");
    EXPECT_EQ(lib.helpFile, "Stavren.hlp");
    EXPECT_EQ(lib.helpString, "Stavren ActiveX Control module");
    EXPECT_EQ(lib.lcid, 0u);

    const com::InterfaceInfo* d = lib.FindInterface("_DStavren");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->iid, QUuid::fromString(QStringLiteral("{64239254-6B25-4111-868D-4193DF3C9B50}")));
    EXPECT_TRUE(d->hidden);
    EXPECT_EQ(d->helpString, "Dispatch interface for Stavren Control");

    using com::VarType;
    using P = QList<com::ParamInfo>;
    struct Expected {
        com::DISPID id;
        const char* name;
        VarType result;
        P params;
    };
    const QList<Expected> expected = {
        {1, "MergeTIFF", VarType::Bool,
         P{{"strInputTIFF1", VarType::Bstr}, {"strInputTIFF2", VarType::Bstr}, {"strOutputTIFF", VarType::Bstr}}},
        {2, "SplitTIFF", VarType::Bool,
         P{{"strInputTIFF", VarType::Bstr},
           {"iStartFromPage", VarType::I2},
           {"strOutputTIFF1", VarType::Bstr},
           {"strOutputTIFF2", VarType::Bstr}}},
        {3, "AddTIFFPages", VarType::Bool,
         P{{"strInputTIFF", VarType::Bstr}, {"iInsertAtPageNo", VarType::I4}, {"strAppendFromTIFF", VarType::Bstr}}},
        {4, "DeleteTIFFPages", VarType::Bool, P{{"strInputTIFF", VarType::Bstr}, {"iPageNo", VarType::I4}}},
        {5, "SwapTIFFPages", VarType::Bool,
         P{{"strInputTIFF", VarType::Bstr}, {"iPage1", VarType::I4}, {"iPage2", VarType::I4}}},
        {6, "GetTIFFPages", VarType::I4, P{{"strInputTIFF", VarType::Bstr}}},
        {7, "ExtractAllTIFFpages", VarType::Bool, P{{"strInputTIFF", VarType::Bstr}, {"strOutputDir", VarType::Bstr}}},
        {9, "ExtractPages", VarType::Bool,
         P{{"strInputTIFF", VarType::Bstr},
           {"iStartPage", VarType::I2},
           {"iEndPage", VarType::I2},
           {"strOutputDir", VarType::Bstr}}},
        {-552, "AboutBox", VarType::Void, P{}},
    };
    ASSERT_EQ(d->members.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const com::MemberInfo& m = d->members[i];
        EXPECT_EQ(m.dispid, expected[i].id);
        EXPECT_EQ(m.name, expected[i].name);
        EXPECT_EQ(m.result, expected[i].result) << expected[i].name;
        EXPECT_EQ(m.params, expected[i].params) << expected[i].name;
    }
    EXPECT_EQ(d->FindMember(8), nullptr);

    const com::InterfaceInfo* events =
        lib.FindInterface(QUuid::fromString(QStringLiteral("{EE1FD76E-636A-4750-89B5-811ADCA1068C}")));
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(events->name, "_DStavrenEvents");
    EXPECT_TRUE(events->members.isEmpty());
    EXPECT_EQ(events->helpString, "Event interface for Stavren Control");

    const com::CoClassInfo* cls = lib.FindCoClass(kCtrlClsid);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->name, "Stavren");
    EXPECT_EQ(cls->helpString, "Stavren Control");
    EXPECT_TRUE(cls->control);
    EXPECT_EQ(cls->defaultInterface, "_DStavren");
    EXPECT_EQ(cls->defaultSource, "_DStavrenEvents");
}

TEST(StavrenModule, VersionRecord)
{
    const auto rec = com::ReadVersionRecord(kStavrenModule);
    ASSERT_TRUE(rec.has_value());
    EXPECT_EQ(rec->fileVersion, (std::array<std::uint16_t, 4>{1, 0, 0, 1}));
    EXPECT_EQ(rec->productVersion, (std::array<std::uint16_t, 4>{1, 0, 0, 1}));
    EXPECT_EQ(rec->language, 0x0409);
    EXPECT_EQ(rec->codePage, 1200);
    EXPECT_EQ(rec->Entry("FileVersion").value_or(""), "1, 0, 0, 1");
    EXPECT_EQ(rec->Entry("ProductVersion").value_or(""), "1, 0, 0, 1");
    EXPECT_EQ(rec->Entry("FileDescription").value_or(""), "Stavren ActiveX Control ");
    EXPECT_EQ(rec->Entry("ProductName").value_or(""), "Stavren ActiveX Control");
    EXPECT_EQ(rec->Entry("InternalName").value_or(""), "Stavren");
    EXPECT_EQ(rec->Entry("OriginalFilename").value_or(""), "Stavren.OCX");
    ASSERT_TRUE(rec->Entry("OLESelfRegister").has_value());
    EXPECT_TRUE(rec->Entry("OLESelfRegister")->isEmpty());
    EXPECT_FALSE(rec->Entry("CompanyName").value_or("").isEmpty());
    EXPECT_FALSE(rec->Entry("LegalCopyright").value_or("").isEmpty());
}
