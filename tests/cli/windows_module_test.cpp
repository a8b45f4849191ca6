// The windows of VelmoraCMD, from the module the program loads when a
// display is there: driven here inside an offscreen application, each
// answered the way a user would answer it.

#include "cli/command_line_windows.h"
#include "cli/mod_master.h"
#include "cli/window_platforms.h"
#include "operations/running_program.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>

namespace {

const CommandLineWindowsTable* Windows()
{
    static int argc = 1;
    static char name[] = "cli_windows_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    SelectRunningProgram(RunningProgram::CommandLine);
    void* module = dlopen(VELMORA_CMD_WINDOWS_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        ADD_FAILURE() << dlerror();
        return nullptr;
    }
    const auto open = reinterpret_cast<OpenCommandLineWindowsFunction>(dlsym(module, kOpenCommandLineWindows));
    return open ? open(&argc, argv, {QStringLiteral("offscreen")}, nullptr) : nullptr;
}

// Calls `answer` with the modal window once it is up, while `show` runs.
void Answer(const std::function<void(QWidget*)>& answer, const std::function<void()>& show)
{
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget(); w && !answered) {
            answered = true;
            answer(w);
        }
    });
    poll.start(10);
    QTimer::singleShot(10000, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    show();
    EXPECT_TRUE(answered);
}

TEST(CommandLineWindows, MessageBoxesShowTheirTextAndReturnTheButtonPressed)
{
    const CommandLineWindowsTable* windows = Windows();
    ASSERT_NE(windows, nullptr);
    QString title;
    QString text;
    MsgBoxResult result = MsgBoxResult::Cancel;
    Answer(
        [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        },
        [&] {
            result = windows->ShowMessage({QStringLiteral("Successfully extracted all pages."), MsgBoxIcon::Information,
                                           MsgBoxButtons::OK, QStringLiteral("Velmora 3.1")});
        });
    EXPECT_EQ(title, QStringLiteral("Velmora 3.1"));
    EXPECT_EQ(text, QStringLiteral("Successfully extracted all pages."));
    EXPECT_EQ(result, MsgBoxResult::OK);

    Answer([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::No)->click(); },
           [&] {
               result = windows->ShowMessage(
                   {QStringLiteral("?"), MsgBoxIcon::Question, MsgBoxButtons::YesNo, QStringLiteral("Velmora 3.1")});
           });
    EXPECT_EQ(result, MsgBoxResult::No);
}

TEST(CommandLineWindows, TheHelpWindowShowsTheHelpText)
{
    const CommandLineWindowsTable* windows = Windows();
    ASSERT_NE(windows, nullptr);
    CommandLineState state;
    QString caption;
    QString text;
    Answer(
        [&](QWidget* w) {
            caption = w->windowTitle();
            if (auto* box = w->findChild<QTextEdit*>(QStringLiteral("RtxtHelpInfo")))
                text = box->toPlainText();
            w->findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
        },
        [&] { windows->ShowHelp(state); });
    EXPECT_EQ(caption, QStringLiteral("Help Velmora 3.1"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("VelmoraCMD - page operations"))) << text.left(60).toStdString();
    EXPECT_TRUE(state.ResultMessage.isEmpty());
}

TEST(CommandLineWindows, TheNoticeWindowClosesWithItsButton)
{
    const CommandLineWindowsTable* windows = Windows();
    ASSERT_NE(windows, nullptr);
    QString notice;
    Answer(
        [&](QWidget* w) {
            notice = w->findChild<QLabel*>(QStringLiteral("Label1"))->text();
            w->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        },
        [&] { windows->ShowNotice(); });
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Needed Admin Permission"))) << notice.toStdString();
}

// Which platforms may show a window, for a few environments a script meets.
TEST(WindowPlatforms, OnlyWindowSystemsSomeoneSees)
{
    const auto platforms = [](const QHash<QString, QString>& env) {
        return WindowPlatforms([&env](const char* name) { return env.value(QString::fromLatin1(name)); });
    };
    const QString display = QStringLiteral("DISPLAY");
    const QString wayland = QStringLiteral("WAYLAND_DISPLAY");
    const QString qpa = QStringLiteral("QT_QPA_PLATFORM");
    EXPECT_EQ(platforms({}), QStringList{});
    EXPECT_EQ(platforms({{display, QStringLiteral(":0")}}), QStringList{QStringLiteral("xcb")});
    EXPECT_EQ(platforms({{display, QStringLiteral(":0")}, {qpa, QStringLiteral("offscreen")}}), QStringList{});
    EXPECT_EQ(platforms({{display, QStringLiteral(":0")}, {qpa, QStringLiteral("minimal;xcb")}}), QStringList{});
    EXPECT_EQ(platforms({{qpa, QStringLiteral("wayland;xcb")}, {display, QStringLiteral(":0")}}),
              QStringList{QStringLiteral("xcb")});
    EXPECT_EQ(platforms({{QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")},
                         {wayland, QStringLiteral("wayland-0")},
                         {display, QStringLiteral(":0")}}),
              (QStringList{QStringLiteral("wayland"), QStringLiteral("xcb")}));
    EXPECT_EQ(platforms({{qpa, QStringLiteral("vnc:size=800x600")}}), QStringList{QStringLiteral("vnc:size=800x600")});
}

} // namespace
