// The control's parts that face a GUI: the About box inside a running GUI
// application (modal, with the control's caption and version line, closed
// by its OK button), the property page reached as a property frame reaches
// it, and the toolbox bitmap the registry names.

#include "platform/com/bitmap_resource.h"
#include "platform/com/class_registry.h"
#include "tests/engine/control/stavren_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace {

// One GUI application for every test of the program.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "stavren_about_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

} // namespace

TEST(StavrenAboutBox, ShowsModallyAndReturnsWhenClosed)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EnsureApplication();

    QString caption;
    QStringList texts;
    bool clicked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || clicked)
            return;
        caption = dialog->windowTitle();
        for (auto* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        auto* box = dialog->findChild<QDialogButtonBox*>();
        if (box && box->button(QDialogButtonBox::Ok)) {
            clicked = true;
            box->button(QDialogButtonBox::Ok)->click();
        }
    });
    poll.start(20);
    // A safety net so a dialog that never appears cannot hang the test.
    QTimer::singleShot(10000, [] {
        if (auto* w = QApplication::activeModalWidget())
            w->close();
    });

    auto ctrl = com::CreateObject(kCtrlProgId);
    com::Invoke(ctrl, "AboutBox");
    poll.stop();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(caption, "About Stavren Control");
    EXPECT_TRUE(texts.contains("Stavren Control, Version 1.0")) << texts.join('|').toStdString();
    EXPECT_EQ(texts.size(), 2);
}

// The property page, created by the class identifier the control names
// and reached by dispatch names: its caption and an empty page of 250 by
// 62 dialog units inside the frame's widget.
TEST(StavrenPropertyPage, CreatedByClassIdentifierAndReachedByDispatch)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EnsureApplication();
    auto page = com::CreateInstance(kPageClsid);
    EXPECT_EQ(com::Invoke(page, "Caption").toString(), "General");

    QWidget frame;
    const QVariant made = com::Invoke(page, "CreatePage", {QVariant::fromValue<QObject*>(&frame)});
    auto* widget = qobject_cast<QWidget*>(made.value<QObject*>());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), &frame);
    EXPECT_EQ(widget->windowTitle(), "General");
    EXPECT_TRUE(widget->findChildren<QWidget*>().isEmpty());
    const QFontMetrics fm(widget->font());
    EXPECT_EQ(widget->size(), QSize(250 * fm.averageCharWidth() / 4, 62 * fm.height() / 8));

    // Without a parent the page is a window of its own; a parent that is
    // no widget gives nothing.
    std::unique_ptr<QObject> alone(com::Invoke(page, "CreatePage", {QVariant()}).value<QObject*>());
    ASSERT_NE(qobject_cast<QWidget*>(alone.get()), nullptr);
    EXPECT_TRUE(qobject_cast<QWidget*>(alone.get())->isWindow());
    QObject notWidget;
    EXPECT_FALSE(com::Invoke(page, "CreatePage", {QVariant::fromValue(&notWidget)}).isValid());
}

// The toolbox bitmap is a resource of the module: the registry value
// ToolboxBitmap32 ("<module>, 1") leads to it.
TEST(StavrenToolboxBitmap, TheRegistryValueNamesTheEmbeddedBitmap)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    const auto value = com::ClassRegistry::Value(QStringLiteral("CLSID/{F0C650FA-0500-40B8-8A3D-09DC0C9869A1}/ToolboxBitmap32"));
    ASSERT_TRUE(value.has_value());
    const QByteArray bytes = com::ReadBitmapResource(*value);
    ASSERT_TRUE(bytes.startsWith("BM"));
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
    EXPECT_EQ(image.size(), QSize(16, 15));
    EXPECT_TRUE(com::ReadBitmapResource(kStavrenModule, 2).isEmpty());
    EXPECT_TRUE(com::ReadBitmapResource(QStringLiteral("no comma")).isEmpty());
}
