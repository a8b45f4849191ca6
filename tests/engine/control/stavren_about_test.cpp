// The About box inside a running GUI application: modal, with the control's
// caption and version line, closed by its OK button.

#include "tests/engine/control/stavren_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

TEST(StavrenAboutBox, ShowsModallyAndReturnsWhenClosed)
{
    TempHome home;
    ASSERT_EQ(RegisterStavren(), com::S_OK);
    int argc = 1;
    char name[] = "stavren_about_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

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
