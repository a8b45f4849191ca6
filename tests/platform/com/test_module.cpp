// A small module for the runtime tests: one dispatch class with an
// early-bound interface, a type library and a version record.

#include "tests/platform/com/test_module_ids.h"

#include "platform/com/module_support.h"
#include "platform/com/type_library.h"
#include "platform/com/version_record.h"

class TestGreeter : public com::Object, public test_module::IAdder {
    Q_OBJECT
    Q_CLASSINFO("DISPID 1", "Greet")
    Q_CLASSINFO("DISPID 2", "Add")

public:
    Q_INVOKABLE QString Greet(const QString& name) { return QStringLiteral("Hello, ") + name; }
    Q_INVOKABLE int Add(short a, int b) { return a + b; }

    com::HRESULT AddNumbers(int a, int b, int& sum) override
    {
        sum = a + b;
        return com::S_OK;
    }

    void* QueryInterface(const QUuid& iid) override
    {
        if (iid == test_module::kAdderIid)
            return static_cast<test_module::IAdder*>(this);
        return Object::QueryInterface(iid);
    }
};

namespace {

com::Module g_module;
com::SimpleClassFactory<TestGreeter> g_factory(g_module);
const bool g_added = (g_module.AddClass(test_module::kGreeterClsid, &g_factory), true);

const com::TypeLibrary& Library()
{
    static const com::TypeLibrary lib = [] {
        com::TypeLibrary l;
        l.name = QStringLiteral("GREETERLib");
        l.libid = test_module::kLibId;
        l.major = 2;
        l.minor = 3;
        l.helpString = QStringLiteral("Greeter test module");
        com::InterfaceInfo i;
        i.name = QStringLiteral("_DGreeter");
        i.iid = test_module::kGreeterIid;
        i.members = com::DescribeDispatchMembers(TestGreeter::staticMetaObject);
        l.interfaces = {i};
        l.coclasses = {{QStringLiteral("Greeter"), test_module::kGreeterClsid, {}, false, i.name, {}}};
        return l;
    }();
    return lib;
}

} // namespace

extern "C" Q_DECL_EXPORT com::HRESULT DllRegisterServer()
{
    if (com::Failed(com::RegisterTypeLib(Library(), g_module.Path())))
        return com::SELFREG_E_TYPELIB;
    return com::RegisterPlainClass(test_module::kGreeterClsid, QStringLiteral("Greeter"), g_module.Path(),
                                   QString::fromLatin1(test_module::kProgId), QStringLiteral("Apartment"))
               ? com::S_OK
               : com::SELFREG_E_CLASS;
}

extern "C" Q_DECL_EXPORT com::HRESULT DllUnregisterServer()
{
    if (com::Failed(com::UnregisterTypeLib(Library())))
        return com::SELFREG_E_TYPELIB;
    return com::UnregisterClass(test_module::kGreeterClsid, QString::fromLatin1(test_module::kProgId))
               ? com::S_OK
               : com::SELFREG_E_CLASS;
}

extern "C" Q_DECL_EXPORT com::HRESULT DllGetClassObject(const QUuid* c, const QUuid* i, void** p)
{
    return g_module.GetClassObject(c, i, p);
}

extern "C" Q_DECL_EXPORT com::HRESULT DllCanUnloadNow()
{
    return g_module.CanUnloadNow();
}

extern "C" Q_DECL_EXPORT const com::TypeLibrary* DllGetTypeLibrary()
{
    return &Library();
}

extern "C" Q_DECL_EXPORT const com::VersionRecord* DllGetVersionRecord()
{
    static const com::VersionRecord r = [] {
        com::VersionRecord v;
        v.fileVersion = {2, 3, 0, 7};
        v.entries = {{QStringLiteral("ProductName"), QStringLiteral("Greeter")},
                     {QStringLiteral("OLESelfRegister"), QString()}};
        return v;
    }();
    return &r;
}

#include "test_module.moc"
