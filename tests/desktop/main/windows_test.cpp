#include "desktop/main/ani_cursor.h"
#include "desktop/main/frm_about.h"
#include "desktop/main/frm_loading.h"
#include "desktop/main/frm_progress_dialog.h"

#include "fake_shell.h"
#include "storage_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

using WindowsTest = StorageFolderTest;

TEST_F(WindowsTest, LoadingWindowShowsCountAndAnimates)
{
    frmLoading loading;
    EXPECT_EQ(loading.StatusText(), "Please wait.Loading...files (0)");
    EXPECT_EQ(loading.pnlStatus()->alignment(), Qt::AlignCenter);
    loading.UpdateStatus(1234);
    EXPECT_EQ(loading.StatusText(), "Please wait.Loading...files (1234)");
    loading.UpdateStatus(-1);
    EXPECT_EQ(loading.StatusText(), "Please wait.Loading...files (-1)");

    ASSERT_EQ(loading.Cursor().FrameCount(), 15);
    EXPECT_EQ(loading.Timer1()->interval(), 100);
    EXPECT_TRUE(loading.Timer1()->isActive());

    loading.show();
    const QImage before = loading.grab(QRect(16, 16, 32, 32)).toImage();
    // The timer steps the cursor and the window repaints the new frame.
    ASSERT_TRUE(QTest::qWaitFor([&] { return loading.Cursor().Frame() >= 2; }, 3000));
    const QImage after = loading.grab(QRect(16, 16, 32, 32)).toImage();
    EXPECT_NE(before, after);
    QImage frame(32, 32, QImage::Format_ARGB32_Premultiplied);
    frame.fill(loading.palette().color(loading.backgroundRole()));
    EXPECT_NE(before.convertToFormat(frame.format()), frame);
}

TEST_F(WindowsTest, ProgressWindowClosesItselfWithTheBarFull)
{
    frmProgressDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Velmora 3.1");
    EXPECT_EQ(dialog.Label1()->text(), "Loading With Default Settings");
    EXPECT_EQ(dialog.ProgressBar1()->minimum(), 0);
    EXPECT_EQ(dialog.ProgressBar1()->maximum(), 50);
    EXPECT_EQ(dialog.ProgressBar1()->value(), 0);
    EXPECT_EQ(dialog.Timer1()->interval(), 10);

    int highest = 0;
    int changes = 0;
    QObject::connect(dialog.ProgressBar1(), &QProgressBar::valueChanged, [&](int v) {
        highest = std::max(highest, v);
        ++changes;
    });
    // A watchdog, so a window that never closes fails instead of hanging.
    QTimer::singleShot(10000, &dialog, [&] {
        dialog.reject();
        ADD_FAILURE() << "still open";
    });
    QElapsedTimer clock;
    clock.start();
    dialog.exec();
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_EQ(dialog.ProgressBar1()->value(), 50);
    EXPECT_EQ(highest, 50);
    EXPECT_EQ(changes, 50);
    EXPECT_FALSE(dialog.Timer1()->isActive());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(WindowsTest, ProgressWindowMouseClosesOnlyWhenTheBarIsFull)
{
    frmProgressDialog dialog;
    dialog.Timer1()->stop();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.ProgressBar1()->setValue(49);

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QTest::mousePress(dialog.Label1(), Qt::LeftButton);
    QTest::mouseClick(dialog.ProgressBar1(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());

    dialog.ProgressBar1()->setValue(50);
    QApplication::sendEvent(&dialog, &move);
    EXPECT_FALSE(dialog.isVisible());

    frmProgressDialog second;
    second.Timer1()->stop();
    second.show();
    second.ProgressBar1()->setValue(50);
    QTest::mousePress(second.Label1(), Qt::LeftButton);
    EXPECT_FALSE(second.isVisible());
}

TEST_F(WindowsTest, AboutWindowTextsAndLinks)
{
    FakeShell fake;
    shell::ScopedHandler use(&fake);
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Velmora 3.1");
    EXPECT_EQ(about.lblProductName()->text(), "Velmora 3.1");
    EXPECT_EQ(about.lblSupportEmail()->text(), "Support at: support@velmora.example");
    EXPECT_EQ(about.lblWebsite()->text(), "Website:https://velmora.example");
    EXPECT_EQ(about.cmdQuit()->text(), "&OK");
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));

    QTest::mouseClick(about.lblSupportEmail(), Qt::LeftButton);
    ASSERT_EQ(fake.opened.size(), 1);
    EXPECT_EQ(fake.opened[0].toString(), "mailto:support@velmora.example?subject=Velmora 3.1");
    EXPECT_EQ(fake.opened[0].scheme(), "mailto");
    EXPECT_EQ(fake.opened[0].query(), "subject=Velmora 3.1");

    QTest::mouseClick(about.lblWebsite(), Qt::LeftButton);
    ASSERT_EQ(fake.opened.size(), 2);
    EXPECT_EQ(fake.opened[1], QUrl("https://velmora.example"));

    // Other buttons and the text labels open nothing.
    QTest::mouseClick(about.lblWebsite(), Qt::RightButton);
    QTest::mouseClick(about.lblProductName(), Qt::LeftButton);
    EXPECT_EQ(fake.opened.size(), 2);
    EXPECT_TRUE(fake.started.isEmpty());

    // A link the desktop cannot open shows and logs nothing.
    fake.answer = false;
    QTest::mouseClick(about.lblWebsite(), Qt::LeftButton);
    EXPECT_EQ(fake.opened.size(), 3);
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(LogLines().isEmpty());

    QTest::mouseClick(about.cmdQuit(), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
