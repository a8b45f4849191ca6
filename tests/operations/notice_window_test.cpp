// The notice window, shown offscreen, and the shared skin-loading steps.

#include "operations/frm_vista_err_dlg.h"
#include "operations/running_program.h"
#include "operations/skin_loading.h"
#include "operations/storage_folder.h"
#include "platform/com/com.h"
#include "platform/skin/skin_framework.h"

#include "operations_test_support.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A skin class whose objects cannot be created, standing in for the real one.
struct RefusingFactory : com::ClassFactory {
    com::HRESULT CreateInstance(com::Object** out) override
    {
        *out = nullptr;
        return com::E_FAIL;
    }
    com::HRESULT LockServer(bool) override { return com::S_OK; }
};

void BreakSkinClass()
{
    static RefusingFactory refusing;
    com::RevokeClassObject(SkinFrameworkClsid());
    com::RegisterClassObject(SkinFrameworkClsid(), "SkinKit.SkinFramework", &refusing);
}

class NoticeWindowTest : public ::testing::Test {
protected:
    TempHome home;
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(GetStorageFolder());
    }
    void TearDown() override
    {
        SelectRunningProgram(RunningProgram::Desktop);
        com::RevokeClassObject(SkinFrameworkClsid());
        RegisterSkinFramework();
        SetStorageFolder(QString());
    }
};

} // namespace

TEST_F(NoticeWindowTest, ShowsCaptionTextAndClosesOnOk)
{
    FrmVistaErrDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Velmora 3.1");
    EXPECT_EQ(dlg.Label1->text(), "Needed Admin Permission :Cann't run without adminstrator rights in Vista\"");
    EXPECT_EQ(dlg.OKButton->text(), "OK");

    // Sizes follow the screen's logical resolution (twips / 1440 inch).
    const int dpiX = dlg.logicalDpiX();
    EXPECT_EQ(dlg.width(), qRound(6030.0 * dpiX / 1440.0));
    EXPECT_EQ(dlg.OKButton->x(), qRound(2400.0 * dpiX / 1440.0));

    bool wasVisible = false;
    QTimer::singleShot(0, &dlg, [&] {
        wasVisible = dlg.isVisible();
        dlg.OKButton->click();
    });
    const int result = dlg.exec();
    EXPECT_TRUE(wasVisible);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(NoticeWindowTest, ClosingTheWindowAlsoReturns)
{
    FrmVistaErrDlg dlg;
    bool closedWhileShown = false;
    bool watchdogFired = false;
    QTimer::singleShot(0, &dlg, [&] {
        closedWhileShown = dlg.isVisible();
        dlg.close();
    });
    // Should the close not end the window, the test ends it and fails
    // instead of hanging.
    QTimer::singleShot(5000, &dlg, [&] {
        watchdogFired = true;
        dlg.done(42);
    });
    const int result = dlg.exec();
    EXPECT_TRUE(closedWhileShown);
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(NoticeWindowTest, SkinFromTheProgramFolderIsApplied)
{
    ASSERT_TRUE(QFileInfo::exists(SkinFilePath())) << SkinFilePath().toStdString();
    FrmVistaErrDlg dlg;
    EXPECT_FALSE(dlg.styleSheet().isEmpty());
    EXPECT_TRUE(dlg.styleSheet().contains("QPushButton"));
    EXPECT_TRUE(ErrorLogLines(StorageFolder()).isEmpty());
}

TEST_F(NoticeWindowTest, CommandLineProgramLogsAFailingSkinAndStillOpens)
{
    SelectRunningProgram(RunningProgram::CommandLine);
    BreakSkinClass();
    FrmVistaErrDlg dlg;

    EXPECT_EQ(dlg.windowTitle(), "Velmora 3.1");
    EXPECT_TRUE(dlg.styleSheet().isEmpty());
    const QStringList lines = ErrorLogLines(StorageFolder());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(") in procedure Form_Load at Line No. 30 of Form FrmVistaErrDlg at time- "))
        << lines[0].toStdString();

    QTimer::singleShot(0, &dlg, [&] { dlg.OKButton->click(); });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
}

TEST_F(NoticeWindowTest, DesktopProgramLetsASkinErrorReachTheCaller)
{
    BreakSkinClass();
    EXPECT_THROW({ FrmVistaErrDlg dlg; }, RunTimeError);
    EXPECT_TRUE(ErrorLogLines(StorageFolder()).isEmpty());
}
