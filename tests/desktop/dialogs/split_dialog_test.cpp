// The split options dialog: what it shows when it opens, the checks made
// before anything runs, the key filters and the settings it keeps.

#include "split_fixture.h"

#include <QLineEdit>
#include <QTest>

using namespace splittest;

TEST_F(SplitTest, OpensFromSettingsAndRecords)
{
    const QString out = Folder(QStringLiteral("out"));
    TheSettings().SetIsDefaultPathSplitTIFF(1);
    TheSettings().SetDefaultPathSplitTIFF(out);
    TheSettings().SetIsOpenFolderSplitTIFF(1);
    auto dlg = Dialog({Record(out, QStringLiteral("a.tif"), 1), Record(out, QStringLiteral("b.tif"), 1)});
    EXPECT_EQ(dlg->txtOutputFolder->text(), out);
    EXPECT_TRUE(dlg->ChkDefaultPathSplitTIFF->isChecked());
    EXPECT_TRUE(dlg->ChkOpenFolderSplitTIFF->isChecked());
    EXPECT_TRUE(dlg->OptSplitMathod[0]->isChecked());
    EXPECT_FALSE(dlg->OptSplitMathod[1]->isEnabled());
    EXPECT_EQ(dlg->OptSplitMathod[2]->text(), QStringLiteral("Split by"));
    // Two files cannot share one typed name.
    EXPECT_FALSE(dlg->optmanual->isEnabled());
    EXPECT_TRUE(dlg->optBasename->isChecked());

    dlg->OptSplitMathod[3]->setChecked(true);
    EXPECT_TRUE(dlg->txtrange->isEnabled());
    EXPECT_FALSE(dlg->txtSplitByEveryPage->isEnabled());

    TheSettings().SetIsDefaultPathSplitTIFF(0);
    auto single = Dialog({Record(out, QStringLiteral("a.tif"), 1)});
    EXPECT_TRUE(single->optmanual->isEnabled());
    EXPECT_TRUE(single->txtOutputFolder->text().isEmpty());
}

TEST_F(SplitTest, RangeTextsAreChecked)
{
    auto dlg = Dialog({Record(Folder(QStringLiteral("in")), QStringLiteral("a.tif"), 1)});
    dlg->txtOutputFolder->setText(Folder(QStringLiteral("out")));
    dlg->OptSplitMathod[3]->setChecked(true);
    for (const char* good : {"4-10", "4-4", "0-3"}) {
        dlg->txtrange->setText(QString::fromLatin1(good));
        EXPECT_TRUE(dlg->ValidateInput()) << good;
    }
    EXPECT_TRUE(boxes.empty());
    for (const char* bad : {"10-4", "4-", "-10", "4-6-8", "410"}) {
        boxes.clear();
        dlg->txtrange->setText(QString::fromLatin1(bad));
        EXPECT_FALSE(dlg->ValidateInput()) << bad;
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0].text, QStringLiteral("Invalid range"));
        EXPECT_EQ(boxes[0].title, QStringLiteral("Velmora 3.1"));
    }
    // A number beyond 32 bits: false without a box, one log line.
    boxes.clear();
    dlg->txtrange->setText(QStringLiteral("1-99999999999"));
    EXPECT_FALSE(dlg->ValidateInput());
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(LogLines().size(), 1);
    EXPECT_TRUE(LogLines()[0].startsWith(QStringLiteral("Error 6 (Overflow) in procedure ValidateInput")));
}

TEST_F(SplitTest, ManualNameAndOutputFolderAreChecked)
{
    const QString in = Folder(QStringLiteral("in"));
    auto dlg = Dialog({Record(in, QStringLiteral("a.tif"), 1)});
    dlg->txtOutputFolder->setText(in);
    dlg->optmanual->setChecked(true);
    EXPECT_FALSE(dlg->ValidateInput());
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Please provide valid file name.")});
    dlg->txtmanualfilename->setText(QStringLiteral("part"));

    QFile(in + QStringLiteral("/file.tif")).open(QIODevice::WriteOnly);
    for (const QString& notAFolder : {in + QStringLiteral("/missing"), in + QStringLiteral("/file.tif")}) {
        boxes.clear();
        dlg->txtOutputFolder->setText(notAFolder);
        EXPECT_FALSE(dlg->ValidateInput());
        EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Please enter Valid folder Name")});
    }
    // A blank folder asks; No stops, Yes goes on.
    boxes.clear();
    dlg->txtOutputFolder->setText(QStringLiteral("  "));
    answer = MsgBoxResult::No;
    EXPECT_FALSE(dlg->ValidateInput());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("There is no output folder selected so application will store files in "
                                            "source file folder.\r\nDo you want to continue without output folder?"));
    EXPECT_EQ(boxes[0].buttons, MsgBoxButtons::YesNo);
    answer = MsgBoxResult::Yes;
    EXPECT_TRUE(dlg->ValidateInput());
    // Saving beside each file checks no folder and asks nothing.
    boxes.clear();
    dlg->txtOutputFolder->setText(in + QStringLiteral("/missing"));
    dlg->chkSaveatCurrLoc->setChecked(true);
    EXPECT_TRUE(dlg->ValidateInput());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SplitTest, KeyFiltersDropRefusedCharacters)
{
    auto dlg = Dialog({Record(Folder(QStringLiteral("in")), QStringLiteral("a.tif"), 1)});
    dlg->OptSplitMathod[2]->setChecked(true);
    dlg->txtSplitByEveryPage->clear();
    QTest::keyClicks(dlg->txtSplitByEveryPage, QStringLiteral("a.2-x7"));
    EXPECT_EQ(dlg->txtSplitByEveryPage->text(), QStringLiteral("27"));
    dlg->txtSplitByEveryPage->clear();
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(dlg->txtSplitByEveryPage, &out);
    EXPECT_EQ(dlg->txtSplitByEveryPage->text(), QStringLiteral("1"));

    dlg->OptSplitMathod[3]->setChecked(true);
    QTest::keyClicks(dlg->txtrange, QStringLiteral("4a-,1 0"));
    EXPECT_EQ(dlg->txtrange->text(), QStringLiteral("4-10"));

    QTest::keyClicks(dlg->txtseparator[0], QStringLiteral("_a:b|\\/*?<>\""));
    EXPECT_EQ(dlg->txtseparator[0]->text(), QStringLiteral("_ab"));
    EXPECT_EQ(dlg->txtseparator[0]->toolTip(),
              QStringLiteral("A filename can not contain any of the following character.\\n \\/*:''<>|"));

    // Pasted text is stripped of the same characters, the caret kept after
    // what was pasted.
    auto single = Dialog({Record(Folder(QStringLiteral("in")), QStringLiteral("a.tif"), 1)});
    single->optmanual->setChecked(true);
    for (QLineEdit* box : {single->txtmanualfilename, single->txtseparator[1]}) {
        box->setText(QStringLiteral("xy"));
        box->setCursorPosition(1);
        box->setToolTip(QString());
        box->insert(QStringLiteral("../a:b*"));
        EXPECT_EQ(box->text(), QStringLiteral("x..aby"));
        EXPECT_EQ(box->cursorPosition(), 5);
        EXPECT_FALSE(box->toolTip().isEmpty());
    }
}

TEST_F(SplitTest, ClosingStoresOutputSettings)
{
    const QString out = Folder(QStringLiteral("out"));
    TheSettings().SetDefaultPathSplitTIFF(QStringLiteral("/kept"));
    auto dlg = Dialog({Record(out, QStringLiteral("a.tif"), 1)});
    dlg->txtOutputFolder->setText(out);
    dlg->ChkOpenFolderSplitTIFF->setChecked(true);
    dlg->cmdCancel->click();
    EXPECT_FALSE(dlg->isVisible());
    Settings onDisk;
    ASSERT_TRUE(onDisk.LoadSettings());
    EXPECT_EQ(onDisk.IsOpenFolderSplitTIFF(), 1);
    EXPECT_EQ(onDisk.DefaultPathSplitTIFF(), QStringLiteral("/kept")); // default box clear

    auto again = Dialog({Record(out, QStringLiteral("a.tif"), 1)});
    again->txtOutputFolder->setText(out);
    again->ChkDefaultPathSplitTIFF->setChecked(true);
    again->close();
    ASSERT_TRUE(onDisk.LoadSettings());
    EXPECT_EQ(onDisk.IsDefaultPathSplitTIFF(), 1);
    EXPECT_EQ(onDisk.DefaultPathSplitTIFF(), out);
}
