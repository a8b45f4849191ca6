// Creation through the class registry, module loading, class factories,
// unload counting and type information, against a small test module.

#include "platform/com/class_registry.h"
#include "platform/com/com.h"
#include "platform/com/module_support.h"
#include "platform/com/type_library.h"
#include "platform/com/version_record.h"
#include "tests/platform/com/temp_home.h"
#include "tests/platform/com/test_module_ids.h"
#include "tests/support/run_time_error_of.h"

#include <QLibrary>

#include <gtest/gtest.h>

namespace {

const QString kModule = QStringLiteral(TEST_MODULE_PATH);
const QString kNoExports = QStringLiteral(MODULE_WITHOUT_EXPORTS_PATH);

template <class Fn>
Fn Export(const char* name)
{
    QLibrary* lib = nullptr;
    if (com::Failed(com::LoadModule(kModule, lib)))
        return nullptr;
    return reinterpret_cast<Fn>(lib->resolve(name));
}

void Register()
{
    auto reg = Export<com::DllRegisterServerFn>("DllRegisterServer");
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), com::S_OK);
}

} // namespace

TEST(Creation, ByProgIdAndClsidAfterRegistration)
{
    TempHome home;
    Register();
    EXPECT_EQ(com::ClsidFromProgId(test_module::kProgId), test_module::kGreeterClsid);
    auto byName = com::CreateObject(test_module::kProgId);
    ASSERT_TRUE(byName);
    EXPECT_EQ(com::Invoke(byName, "Greet", {QVariant("Ann")}).toString(), "Hello, Ann");
    auto byId = com::CreateInstance(test_module::kGreeterClsid);
    ASSERT_TRUE(byId);
    EXPECT_NE(byId.get(), byName.get());
    EXPECT_EQ(com::InvokeById(byId.get(), 2, {QVariant::fromValue<short>(-2), QVariant(5)}).toInt(), 3);
}

TEST(Creation, FailuresRaise429)
{
    TempHome home;
    EXPECT_EQ(ErrorOf([] { com::CreateObject(test_module::kProgId); }), 429);
    EXPECT_EQ(ErrorOf([] { com::CreateObject(""); }), 429);
    EXPECT_EQ(ErrorOf([] { com::CreateInstance(test_module::kGreeterClsid); }), 429);

    com::Ptr<com::Object> obj;
    EXPECT_EQ(com::TryCreateInstance(test_module::kGreeterClsid, obj), com::REGDB_E_CLASSNOTREG);

    // Module missing.
    ASSERT_TRUE(com::RegisterPlainClass(test_module::kGreeterClsid, "G", home.path() + "/gone.so"));
    EXPECT_EQ(com::TryCreateInstance(test_module::kGreeterClsid, obj), com::CO_E_DLLNOTFOUND);
    EXPECT_EQ(ErrorOf([] { com::CreateInstance(test_module::kGreeterClsid); }), 429);

    // A library that is no module.
    ASSERT_TRUE(com::RegisterPlainClass(test_module::kGreeterClsid, "G", kNoExports));
    EXPECT_EQ(com::TryCreateInstance(test_module::kGreeterClsid, obj), com::CO_E_ERRORINDLL);

    // The registry names a class the module does not make.
    ASSERT_TRUE(com::RegisterPlainClass(test_module::kMissingClsid, "M", kModule));
    EXPECT_EQ(com::TryCreateInstance(test_module::kMissingClsid, obj), com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(ErrorOf([] { com::CreateInstance(test_module::kMissingClsid); }), 429);
    EXPECT_FALSE(obj);
}

TEST(Module, ClassObjectLookupAndUnloadCounting)
{
    auto get = Export<com::DllGetClassObjectFn>("DllGetClassObject");
    auto canUnload = Export<com::DllCanUnloadNowFn>("DllCanUnloadNow");
    ASSERT_NE(get, nullptr);
    ASSERT_NE(canUnload, nullptr);

    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(get(&test_module::kMissingClsid, &com::IID_IClassFactory, &p), com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(get(&test_module::kGreeterClsid, &com::IID_IDispatch, &p), com::E_NOINTERFACE);
    EXPECT_EQ(get(&test_module::kGreeterClsid, &com::IID_IClassFactory, nullptr), com::E_POINTER);
    ASSERT_EQ(get(&test_module::kGreeterClsid, &com::IID_IClassFactory, &p), com::S_OK);
    auto* factory = static_cast<com::ClassFactory*>(p);

    EXPECT_EQ(canUnload(), com::S_OK);
    com::Object* raw = nullptr;
    ASSERT_EQ(factory->CreateInstance(&raw), com::S_OK);
    auto first = com::Ptr<com::Object>::Attach(raw);
    ASSERT_EQ(factory->CreateInstance(&raw), com::S_OK);
    auto second = com::Ptr<com::Object>::Attach(raw);
    EXPECT_EQ(canUnload(), com::S_FALSE);
    first.reset();
    EXPECT_EQ(canUnload(), com::S_FALSE);
    second.reset();
    EXPECT_EQ(canUnload(), com::S_OK);

    factory->LockServer(true);
    EXPECT_EQ(canUnload(), com::S_FALSE);
    factory->LockServer(false);
    EXPECT_EQ(canUnload(), com::S_OK);
}

TEST(Module, EarlyBoundInterface)
{
    TempHome home;
    Register();
    auto obj = com::CreateInstance(test_module::kGreeterClsid);
    auto* adder = com::QueryInterface<test_module::IAdder>(obj, test_module::kAdderIid);
    ASSERT_NE(adder, nullptr);
    int sum = 0;
    EXPECT_EQ(adder->AddNumbers(40, 2, sum), com::S_OK);
    EXPECT_EQ(sum, 42);
    EXPECT_EQ(com::QueryInterface<test_module::IAdder>(obj, test_module::kLibId), nullptr);
}

TEST(InProcessClasses, ReachableWithoutRegistry)
{
    TempHome home;
    com::Module module;
    com::SimpleClassFactory<com::Object> factory(module);
    const QUuid clsid = QUuid::createUuid();
    ASSERT_TRUE(com::RegisterClassObject(clsid, "Local.Thing", &factory));
    EXPECT_FALSE(com::RegisterClassObject(clsid, "Local.Other", &factory));
    {
        auto obj = com::CreateObject("local.thing");
        ASSERT_TRUE(obj);
        EXPECT_EQ(module.Objects(), 1);
    }
    EXPECT_EQ(module.Objects(), 0);
    com::RevokeClassObject(clsid);
    EXPECT_EQ(ErrorOf([&] { com::CreateInstance(clsid); }), 429);
}

TEST(TypeInformation, RegisteredLibraryIsReadBack)
{
    TempHome home;
    com::TypeLibrary lib;
    EXPECT_EQ(com::LoadRegTypeLib(test_module::kLibId, 2, 3, 0, lib), com::TYPE_E_LIBNOTREGISTERED);
    Register();
    ASSERT_EQ(com::LoadRegTypeLib(test_module::kLibId, 2, 3, 0x409, lib), com::S_OK);
    EXPECT_EQ(lib.name, "GREETERLib");
    EXPECT_EQ(com::LoadRegTypeLib(test_module::kLibId, 1, 0, 0, lib), com::TYPE_E_LIBNOTREGISTERED);

    const com::InterfaceInfo* i = lib.FindInterface(test_module::kGreeterIid);
    ASSERT_NE(i, nullptr);
    ASSERT_EQ(i->members.size(), 2);
    const com::MemberInfo* add = i->FindMember(2);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->name, "Add");
    EXPECT_EQ(add->result, com::VarType::I4);
    EXPECT_EQ(add->params, (QList<com::ParamInfo>{{"a", com::VarType::I2}, {"b", com::VarType::I4}}));
    EXPECT_EQ(i->FindMember("greet")->params.value(0).type, com::VarType::Bstr);
    EXPECT_EQ(com::ClassRegistry::Value("Interface/" + com::GuidString(test_module::kGreeterIid)).value_or(""),
              "_DGreeter");
}

TEST(TypeInformation, VersionRecordOfAModule)
{
    const auto rec = com::ReadVersionRecord(kModule);
    ASSERT_TRUE(rec.has_value());
    EXPECT_EQ(rec->fileVersion, (std::array<std::uint16_t, 4>{2, 3, 0, 7}));
    EXPECT_EQ(rec->Entry("OLESelfRegister").value_or("x"), "");
    EXPECT_FALSE(rec->Entry("CompanyName").has_value());
    EXPECT_FALSE(com::ReadVersionRecord(kNoExports).has_value());
}
