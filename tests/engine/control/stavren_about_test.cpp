// The control's parts that face a GUI: the About box inside a running GUI
// application (modal, with the control's caption and version line, closed
// by its OK button), the property page reached as a property frame reaches
// it, the control's window and its properties verb as a container sends
// them, and the toolbox bitmap the registry names.

#include "platform/com/bitmap_resource.h"
#include "platform/com/class_registry.h"
#include "tests/engine/control/stavren_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace {

// One GUI application for every test of the program.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "stavren_about_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

// Answers the modal dialogs that appear while it lives: hands each to
// `look`, then presses its OK button. A dialog still open after ten
// seconds is closed, so that a dialog without the button cannot hang the
// test.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QDialog*)> look)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this, look] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            look(dialog);
            auto* box = dialog->findChild<QDialogButtonBox*>();
            if (box && box->button(QDialogButtonBox::Ok)) {
                ++answered_;
                box->button(QDialogButtonBox::Ok)->click();
            }
        });
        poll_.start(20);
        QTimer::singleShot(10000, &poll_, [] {
            if (auto* w = QApplication::activeModalWidget())
                w->close();
        });
    }
    // The dialogs answered so far.
    int Answered() const { return answered_; }

private:
    QTimer poll_;
    int answered_ = 0;
};

} // namespace

TEST(StavrenAboutBox, ShowsModallyAndReturnsWhenClosed)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EnsureApplication();

    QString caption;
    QStringList texts;
    const ModalAnswer answer([&](QDialog* dialog) {
        caption = dialog->windowTitle();
        for (auto* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
    });

    auto ctrl = com::CreateObject(kCtrlProgId);
    com::Invoke(ctrl, "AboutBox");
    EXPECT_EQ(answer.Answered(), 1);
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

// The window a container creates for the control is a child of the
// container's widget, drawn as the control draws itself; without a widget
// to be the parent, creation fails.
TEST(StavrenWindowMessages, OnCreateMakesTheControlsWindowInsideTheContainer)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EnsureApplication();
    auto ctrl = com::CreateObject(kCtrlProgId);
    QWidget container;
    EXPECT_EQ(com::Invoke(ctrl, "OnCreate", {QVariant::fromValue<QObject*>(&container)}).toInt(), 0);
    const QList<QWidget*> windows = container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(windows.size(), 1);
    windows[0]->resize(40, 20);
    const QImage picture = windows[0]->grab().toImage();
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_NE(picture.pixelColor(0, 10), QColor(Qt::white)); // the ellipse's left end

    QObject notWidget;
    EXPECT_EQ(com::Invoke(ctrl, "OnCreate", {QVariant::fromValue(&notWidget)}).toInt(), -1);
    EXPECT_EQ(com::Invoke(ctrl, "OnCreate", {QVariant()}).toInt(), -1);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(ctrl, "OnTimer", {7}); }), 0);
}

// The properties verb shows the control's property pages in a modal frame
// owned by the given widget and returns when it is closed; other verbs
// need an in-place container and show nothing.
TEST(StavrenWindowMessages, PropertiesVerbShowsThePropertyPagesModally)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    EnsureApplication();
    QWidget owner;
    QString caption;
    QStringList tabs;
    QWidget* parent = nullptr;
    const ModalAnswer answer([&](QDialog* frame) {
        caption = frame->windowTitle();
        parent = frame->parentWidget();
        if (auto* pages = frame->findChild<QTabWidget*>())
            for (int i = 0; i < pages->count(); ++i)
                tabs << pages->tabText(i);
    });

    auto ctrl = com::CreateObject(kCtrlProgId);
    EXPECT_EQ(com::Invoke(ctrl, "DoVerb", {com::OLEIVERB_PROPERTIES, QVariant::fromValue<QObject*>(&owner)}).toInt(),
              com::S_OK);
    EXPECT_EQ(answer.Answered(), 1);
    EXPECT_EQ(caption, "Stavren Control Properties");
    EXPECT_EQ(tabs, QStringList{"General"});
    EXPECT_EQ(parent, &owner);

    EXPECT_EQ(com::Invoke(ctrl, "DoVerb", {0, QVariant()}).toInt(), com::E_NOTIMPL);
    QObject notWidget;
    EXPECT_EQ(com::Invoke(ctrl, "DoVerb", {com::OLEIVERB_PROPERTIES, QVariant::fromValue(&notWidget)}).toInt(),
              com::E_FAIL);
    EXPECT_EQ(answer.Answered(), 1);
}

// The toolbox bitmap is a resource of the module: the registry value
// ToolboxBitmap32 ("<module>, 1") leads to it.
TEST(StavrenToolboxBitmap, TheRegistryValueNamesTheEmbeddedBitmap)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    const auto value =
        com::ClassRegistry::Value(QStringLiteral("CLSID/{F0C650FA-0500-40B8-8A3D-09DC0C9869A1}/ToolboxBitmap32"));
    ASSERT_TRUE(value.has_value());
    const QByteArray bytes = com::ReadBitmapResource(*value);
    ASSERT_TRUE(bytes.startsWith("BM"));
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
    EXPECT_EQ(image.size(), QSize(16, 15));
    EXPECT_TRUE(com::ReadBitmapResource(kStavrenModule, 2).isEmpty());
    EXPECT_TRUE(com::ReadBitmapResource(QStringLiteral("no comma")).isEmpty());
}
