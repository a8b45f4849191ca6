#pragma once
// Loads the built Stavren module, registers it into a temporary home and
// creates controls through the runtime, as the programs do.

#include "platform/com/com.h"
#include "tests/platform/com/temp_home.h"
#include "tests/support/run_time_error_of.h"

#include <QLibrary>
#include <QUuid>

#include <gtest/gtest.h>

inline const QString kStavrenModule = QStringLiteral(STAVREN_MODULE_PATH);
inline const QString kCtrlProgId = QStringLiteral("STAVREN.StavrenCtrl.1");
inline const QUuid kCtrlClsid = QUuid::fromString(QStringLiteral("{F0C650FA-0500-40B8-8A3D-09DC0C9869A1}"));
inline const QUuid kPageClsid = QUuid::fromString(QStringLiteral("{FBC965C0-DA82-4D0A-912B-25EE4F818B42}"));
inline const QUuid kLibId = QUuid::fromString(QStringLiteral("{7DC9F949-AD8B-42AE-B819-5A0F5744DF76}"));

template <class Fn>
Fn StavrenExport(const char* name)
{
    QLibrary* lib = nullptr;
    if (com::Failed(com::LoadModule(kStavrenModule, lib)))
        return nullptr;
    return reinterpret_cast<Fn>(lib->resolve(name));
}

inline com::HRESULT RegisterStavren()
{
    auto fn = StavrenExport<com::DllRegisterServerFn>("DllRegisterServer");
    return fn ? fn() : com::E_FAIL;
}

inline com::HRESULT UnregisterStavren()
{
    auto fn = StavrenExport<com::DllUnregisterServerFn>("DllUnregisterServer");
    return fn ? fn() : com::E_FAIL;
}

// A registered module in a temporary home.
class StavrenTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegisterStavren(), com::S_OK); }

    QString Dir() const { return home_.path(); }
    QString File(const QString& name) const { return home_.path() + u'/' + name; }

    // One call on a fresh control, as the facade makes it.
    QVariant Call(const QString& method, const QVariantList& args)
    {
        auto ctrl = com::CreateObject(kCtrlProgId);
        return com::Invoke(ctrl, method, args);
    }

    TempHome home_;
};

inline QVariant S(const QString& s)
{
    return QVariant(s);
}
inline QVariant I2(short v)
{
    return QVariant::fromValue<short>(v);
}
