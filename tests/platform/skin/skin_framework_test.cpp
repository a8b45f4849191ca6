// The skin component reached through the object runtime, and window handles.

#include "platform/com/com.h"
#include "platform/skin/skin_framework.h"
#include "platform/skin/window_handle.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SkinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "skin_test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        RegisterSkinFramework();
    }
    QTemporaryDir dir;

    QString WriteSkin(const QByteArray& text)
    {
        const QString path = dir.filePath("Vista.skin");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }
};

const QByteArray kSheet = "QPushButton { color: #123456; }\n";

} // namespace

TEST_F(SkinTest, HandlesStandForLiveWidgetsOnly)
{
    auto first = std::make_unique<QWidget>();
    QWidget second;
    const std::int32_t h1 = WindowHandleOf(first.get());
    const std::int32_t h2 = WindowHandleOf(&second);
    EXPECT_GT(h1, 0);
    EXPECT_NE(h1, h2);
    EXPECT_EQ(WindowHandleOf(first.get()), h1); // stable
    EXPECT_EQ(WidgetFromWindowHandle(h1), first.get());
    EXPECT_EQ(WidgetFromWindowHandle(h2), &second);

    first.reset();
    EXPECT_EQ(WidgetFromWindowHandle(h1), nullptr);
    QWidget third;
    EXPECT_NE(WindowHandleOf(&third), h1); // never reused
    EXPECT_EQ(WidgetFromWindowHandle(0), nullptr);
    EXPECT_EQ(WidgetFromWindowHandle(-5), nullptr);
    EXPECT_EQ(WidgetFromWindowHandle(999999), nullptr);
    EXPECT_EQ(WindowHandleOf(nullptr), 0);
}

TEST_F(SkinTest, TheThreeStepsByDispatchIdentifierStyleTheWindow)
{
    QDialog window;
    QPushButton button("OK", &window);
    com::Ptr<com::Object> skin = com::CreateObject("SkinKit.SkinFramework");
    ASSERT_TRUE(skin);
    com::InvokeById(skin.get(), 2, {WriteSkin(kSheet), QString()});
    com::InvokeById(skin.get(), 3, {QVariant::fromValue<qint32>(WindowHandleOf(&window))});
    EXPECT_TRUE(window.styleSheet().isEmpty()); // not yet applied
    com::PutPropertyById(skin.get(), 1, QVariant::fromValue<qint32>(3));
    EXPECT_EQ(window.styleSheet(), QString::fromUtf8(kSheet));
    skin.reset();
    EXPECT_EQ(window.styleSheet(), QString::fromUtf8(kSheet)); // stays after release
}

TEST_F(SkinTest, ApplyModeZeroRemovesTheSheet)
{
    QWidget window;
    SkinFramework skin;
    ASSERT_TRUE(skin.LoadSkinFile(WriteSkin(kSheet), QString()));
    skin.AttachWindow(WindowHandleOf(&window));
    skin.setApplyMode(3);
    EXPECT_FALSE(window.styleSheet().isEmpty());
    skin.setApplyMode(0);
    EXPECT_TRUE(window.styleSheet().isEmpty());
}

TEST_F(SkinTest, MissingFilesAndGoneWindowsAreHarmless)
{
    QWidget window;
    window.setStyleSheet("QWidget { color: red; }");
    SkinFramework skin;
    EXPECT_FALSE(skin.LoadSkinFile(dir.filePath("none.skin"), QString()));
    skin.AttachWindow(WindowHandleOf(&window));
    skin.setApplyMode(3);
    EXPECT_EQ(window.styleSheet(), "QWidget { color: red; }"); // nothing loaded, nothing applied

    SkinFramework other;
    ASSERT_TRUE(other.LoadSkinFile(WriteSkin(kSheet), QString()));
    {
        QWidget gone;
        other.AttachWindow(WindowHandleOf(&gone));
    }
    other.setApplyMode(3);
    other.AttachWindow(123456789);
    other.setApplyMode(0);
}

TEST_F(SkinTest, TheShippedSkinIsNextToThePrograms)
{
    QFile shipped(QCoreApplication::applicationDirPath() + "/Styles/Vista.skin");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray text = shipped.readAll();
    EXPECT_TRUE(text.contains("QPushButton"));
    // Qt parses it: applying it to a widget leaves a non-empty sheet.
    QWidget w;
    w.setStyleSheet(QString::fromUtf8(text));
    w.ensurePolished();
    EXPECT_FALSE(w.styleSheet().isEmpty());
}
