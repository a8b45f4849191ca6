// The split run through the real page engine: which files come out under
// which names with which pages, what happens to files already there, and
// what the user is told.

#include "split_fixture.h"

#include <QProgressBar>

#include <cerrno>
#include <cstring>

using namespace splittest;

class SplitRunTest : public SplitTest {
protected:
    void Run(frmSplitOption_Tiff& dlg, const QString& out)
    {
        dlg.txtOutputFolder->setText(out);
        dlg.cmdOk->click();
    }
    bool Completed() const { return BoxTexts() == QStringList{QStringLiteral("Split completed")}; }
    QString in = Folder(QStringLiteral("in"));
    QString out = Folder(QStringLiteral("out"));
};

TEST_F(SplitRunTest, AllPagesGetPaddedNamesAndTheirOwnPage)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.2024.tif"), Numbered(1, 12)));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.2024.tif"), 12)});
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    Run(*dlg, out);
    EXPECT_TRUE(Completed());
    QStringList expected;
    for (int c = 1; c <= 12; ++c)
        expected << QStringLiteral("scan_%1.tif").arg(c, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(Entries(out), expected); // no engine names, no extraction folder left
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Markers(out + '/' + expected[c - 1]), Pages{c});
    EXPECT_EQ(dlg->ProgressBar1->value(), 0);
    EXPECT_TRUE(shell_.opened.isEmpty());

    dlg->chkApplyNoPadding->setChecked(true);
    Run(*dlg, out);
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_1.tif")), Pages{1});
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_12.tif")), Pages{12});
    EXPECT_EQ(Entries(out).size(), 12 + 9);
}

TEST_F(SplitRunTest, UsersFilesWithEngineNamesSurvive)
{
    // The user's own page1.tif and page3.tif, and a source called page0.tif,
    // all in the output folder.
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/page1.tif"), {201}));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/page3.tif"), {203}));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/page0.tif"), Numbered(11, 14)));
    auto dlg = Dialog({Record(in, QStringLiteral("page0.tif"), 4)});
    dlg->txtseparator[0]->setText(QStringLiteral("-"));
    dlg->chkReplaceExisting->setChecked(true);
    Run(*dlg, in);
    EXPECT_TRUE(Completed());
    EXPECT_EQ(Markers(in + QStringLiteral("/page0.tif")), Numbered(11, 14));
    EXPECT_EQ(Markers(in + QStringLiteral("/page1.tif")), Pages{201});
    EXPECT_EQ(Markers(in + QStringLiteral("/page3.tif")), Pages{203});
    EXPECT_EQ(Markers(in + QStringLiteral("/page0-4.tif")), Pages{14});
    EXPECT_EQ(Entries(in).size(), 3 + 4);

    // Final names that are the engine's names of other pages lose nothing.
    auto manual = Dialog({Record(in, QStringLiteral("page0.tif"), 4)});
    manual->optmanual->setChecked(true);
    manual->txtmanualfilename->setText(QStringLiteral("page"));
    Run(*manual, out);
    EXPECT_EQ(Entries(out).size(), 4);
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(Markers(out + QStringLiteral("/page%1.tif").arg(c)), Pages{10 + c});
}

TEST_F(SplitRunTest, ReplaceRuleKeepsOrReplacesExistingFiles)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 10)));
    ASSERT_TRUE(WriteTiff(out + QStringLiteral("/scan_03.tif"), {99}));
    ASSERT_TRUE(WriteTiff(out + QStringLiteral("/scan_11.tif"), {98}));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 10)});
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    Run(*dlg, out);
    // The page kept out is no success: the report lists the file.
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("\r\n" + in + "/scan.tif (1 page kept out: its name is taken)\r\n"))
        << reports[0].toStdString();
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_03.tif")), Pages{99});
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_04.tif")), Pages{4});
    EXPECT_EQ(Entries(out).size(), 11); // the dropped page left nothing behind

    // Every name taken: no page is written, and the report says why.
    const QStringList before = Entries(out);
    Run(*dlg, out);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].contains("\r\n" + in + "/scan.tif (10 pages kept out: their names are taken)\r\n"))
        << reports[1].toStdString();
    EXPECT_EQ(Entries(out), before);
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_03.tif")), Pages{99});

    dlg->chkReplaceExisting->setChecked(true);
    Run(*dlg, out);
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_03.tif")), Pages{3});
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_11.tif")), Pages{98});
}

TEST_F(SplitRunTest, RangesNamePagesByTheirNumber)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/big.tif"), Numbered(1, 120)));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/ten.tif"), Numbered(101, 110)));
    auto dlg = Dialog({Record(in, QStringLiteral("big.tif"), 120), Record(in, QStringLiteral("ten.tif"), 10)});
    dlg->OptSplitMathod[3]->setChecked(true);
    dlg->txtrange->setText(QStringLiteral("3-5"));
    Run(*dlg, out);
    EXPECT_TRUE(Completed());
    EXPECT_EQ(Entries(out),
              (QStringList{"big003.tif", "big004.tif", "big005.tif", "ten03.tif", "ten04.tif", "ten05.tif"}));
    EXPECT_EQ(Markers(out + QStringLiteral("/big004.tif")), Pages{4});
    EXPECT_EQ(Markers(out + QStringLiteral("/ten05.tif")), Pages{105});

    // Past the end: the pages there are written; from 0: from the first page.
    const QString out2 = Folder(QStringLiteral("out2"));
    auto one = Dialog({Record(in, QStringLiteral("ten.tif"), 10)});
    one->OptSplitMathod[3]->setChecked(true);
    one->txtrange->setText(QStringLiteral("9-20"));
    Run(*one, out2);
    one->txtrange->setText(QStringLiteral("0-1"));
    Run(*one, out2);
    EXPECT_EQ(Entries(out2), (QStringList{"ten01.tif", "ten09.tif", "ten10.tif"}));
    EXPECT_EQ(Markers(out2 + QStringLiteral("/ten01.tif")), Pages{101});

    // A range that selects no page of the file is a failure.
    for (const char* none : {"0-0", "20-30"}) {
        reports.clear();
        one->txtrange->setText(QString::fromLatin1(none));
        Run(*one, out2);
        ASSERT_EQ(reports.size(), 1u) << none;
        EXPECT_TRUE(reports[0].contains(in + QStringLiteral("/ten.tif\r\n"))) << none;
    }
    EXPECT_EQ(Entries(out2).size(), 3);
}

TEST_F(SplitRunTest, TwoFilesCutAfterNPagesAndFailuresAreReported)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 10)));
    ASSERT_TRUE(WriteTiff(out + QStringLiteral("/scan_1.tif"), {77}));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 10)});
    dlg->OptSplitMathod[2]->setChecked(true);
    dlg->txtSplitByEveryPage->setText(QStringLiteral("3"));
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    // The replace box decides over an existing part as it does over pages;
    // a part kept out of its name leaves pages 1 to 3 in neither file, so
    // the file failed.
    const QString eq(51, '='), dash(51, '-');
    const auto failed = [&](const QString& note) {
        return eq + "\r\nVelmora error\r\n" + eq + "\r\n" + dash
               + "\r\nFollowing files could not be Splited failed \r\n" + dash + "\r\n\r\n" + in + "/scan.tif" + note
               + "\r\n\r\n\r\n";
    };
    Run(*dlg, out);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], failed(" (1 part kept out: its name is taken)"));
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_1.tif")), Pages{77});
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_2.tif")), Numbered(4, 10));
    EXPECT_EQ(Entries(out), (QStringList{"scan_1.tif", "scan_2.tif"}));
    dlg->chkReplaceExisting->setChecked(true);
    Run(*dlg, out);
    EXPECT_TRUE(Completed());
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_1.tif")), Numbered(1, 3));
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_2.tif")), Numbered(4, 10));
    EXPECT_EQ(Entries(out), (QStringList{"scan_1.tif", "scan_2.tif"}));

    dlg->txtSplitByEveryPage->setText(QStringLiteral("10"));
    Run(*dlg, out);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(modals,
              (std::vector<QString>{QStringLiteral("frmErrorReportDialog"), QStringLiteral("frmErrorReportDialog")}));
    EXPECT_EQ(reports[1], failed(""));
}

TEST_F(SplitRunTest, EveryFailingFileIsListedAndTheOthersStillRun)
{
    QFile broken(in + QStringLiteral("/broken.tif"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("not a tiff") > 0);
    broken.close();
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/good.tif"), Numbered(1, 2)));
    auto dlg = Dialog({Record(in, QStringLiteral("broken.tif"), 3), Record(in, QStringLiteral("good.tif"), 2),
                       Record(in, QStringLiteral("gone.tif"), 2)});
    Run(*dlg, out);
    ASSERT_EQ(reports.size(), 1u);
    // The system's text, in the user's language.
    const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
    EXPECT_TRUE(reports[0].endsWith("\r\n\r\n" + in + "/broken.tif (not a TIFF file)\r\n" + in + "/gone.tif (" + missing
                                    + ")\r\n\r\n\r\n"))
        << reports[0].toStdString();
    EXPECT_EQ(Entries(out), (QStringList{"good1.tif", "good2.tif"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SplitRunTest, OwnSourceFilesAreNeverReplaced)
{
    // scan.tif's first page would be scan_1.tif, the other file being split.
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 2)));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan_1.tif"), Numbered(41, 42)));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 2), Record(in, QStringLiteral("scan_1.tif"), 2)});
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    dlg->chkReplaceExisting->setChecked(true);
    dlg->chkSaveatCurrLoc->setChecked(true);
    dlg->cmdOk->click();
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_1.tif")), Numbered(41, 42));
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_2.tif")), Pages{2});
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_1_2.tif")), Pages{42});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].endsWith("\r\n\r\n" + in
                                    + "/scan.tif (1 page kept out: its name is a file being split)\r\n\r\n\r\n"))
        << reports[0].toStdString();

    // Nor does the two-file method write over it.
    auto single = Dialog({Record(in, QStringLiteral("scan_1.tif"), 2)});
    single->optmanual->setChecked(true);
    single->txtmanualfilename->setText(QStringLiteral("scan_"));
    single->OptSplitMathod[2]->setChecked(true);
    single->chkSaveatCurrLoc->setChecked(true);
    single->cmdOk->click();
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_1.tif")), Numbered(41, 42));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].contains("/scan_1.tif (its parts would replace a file being split)\r\n"))
        << reports[1].toStdString();
}

TEST_F(SplitRunTest, EveryPageTheEngineWroteIsNamedWhateverTheRecordSays)
{
    // The record counts 3 pages (the grid counted before pages were
    // appended) or none at all; the file has 5.
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/x.tif"), Numbered(1, 5)));
    for (int recorded : {3, 0}) {
        const QString to = Folder(QStringLiteral("out%1").arg(recorded));
        auto dlg = Dialog({Record(in, QStringLiteral("x.tif"), recorded)});
        Run(*dlg, to);
        EXPECT_EQ(Entries(to), (QStringList{"x1.tif", "x2.tif", "x3.tif", "x4.tif", "x5.tif"})) << recorded;
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(Markers(to + QStringLiteral("/x%1.tif").arg(c)), Pages{c}) << recorded;
    }
    EXPECT_EQ(BoxTexts(), (QStringList{"Split completed", "Split completed"}));
}

TEST_F(SplitRunTest, PagesThatCannotTakeAnyNameAreSetAsideAndTheReportSaysWhere)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/x.tif"), Numbered(1, 3)));
    // The first page's name is a folder, and the user has a page1.tif.
    ASSERT_TRUE(QDir(out).mkdir(QStringLiteral("x1.tif")));
    ASSERT_TRUE(WriteTiff(out + QStringLiteral("/page1.tif"), {201}));
    auto dlg = Dialog({Record(in, QStringLiteral("x.tif"), 3)});
    dlg->chkReplaceExisting->setChecked(true);
    Run(*dlg, out);
    // The pages that could not be named keep the engine's names where no
    // file has them; the user's page1.tif is untouched; the second page
    // waits in the private folder, and the report names that folder.
    EXPECT_EQ(Markers(out + QStringLiteral("/page0.tif")), Pages{1});
    EXPECT_EQ(Markers(out + QStringLiteral("/page1.tif")), Pages{201});
    EXPECT_EQ(Markers(out + QStringLiteral("/page2.tif")), Pages{3});
    const QStringList aside = QDir(out).entryList({QStringLiteral("velmora-split-*")}, QDir::Dirs);
    ASSERT_EQ(aside.size(), 1);
    const QString folder = out + '/' + aside[0];
    EXPECT_EQ(Markers(folder + QStringLiteral("/page1.tif")), Pages{2});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("\r\n" + in + "/x.tif (pages left under the engine's names in " + out
                                    + ": page0.tif, page2.tif; pages set aside in " + folder + ")\r\n"))
        << reports[0].toStdString();

    // A typed name that leads out of the folder is not followed.
    const QString out2 = Folder(QStringLiteral("out2"));
    auto escape = Dialog({Record(in, QStringLiteral("x.tif"), 3)});
    escape->optmanual->setChecked(true);
    escape->txtmanualfilename->setText(QStringLiteral("../escaped"));
    Run(*escape, out2);
    EXPECT_TRUE(Entries(Folder(QString())).filter(QStringLiteral("escaped")).isEmpty());
    EXPECT_EQ(Entries(out2), (QStringList{"page0.tif", "page1.tif", "page2.tif"}));
    EXPECT_TRUE(LogLines().join('\n').contains(QStringLiteral("in procedure RenameFileNames")));
}

TEST_F(SplitRunTest, BlankFolderMeansEachFilesOwnFolder)
{
    const QString b = Folder(QStringLiteral("b#1"));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/one.tif"), Numbered(1, 2)));
    ASSERT_TRUE(WriteTiff(b + QStringLiteral("/two.tif"), Numbered(1, 2)));
    answer = MsgBoxResult::Yes;
    auto dlg = Dialog({Record(in, QStringLiteral("one.tif"), 2), Record(b, QStringLiteral("two.tif"), 2)});
    dlg->ChkDefaultPathSplitTIFF->setChecked(true);
    dlg->ChkOpenFolderSplitTIFF->setChecked(true);
    Run(*dlg, QString());
    EXPECT_TRUE(QFile::exists(in + QStringLiteral("/one1.tif")));
    EXPECT_TRUE(QFile::exists(b + QStringLiteral("/two2.tif")));
    EXPECT_EQ(dlg->txtOutputFolder->text(), b);
    EXPECT_EQ(TheSettings().DefaultPathSplitTIFF(), b);
    ASSERT_EQ(shell_.opened.size(), 1);
    EXPECT_EQ(shell_.opened[0], QUrl::fromLocalFile(b));

    // Beside the files: nothing is opened.
    dlg->chkSaveatCurrLoc->setChecked(true);
    Run(*dlg, QString());
    EXPECT_EQ(shell_.opened.size(), 1);
}

TEST_F(SplitRunTest, RunLocksTheDialogAndAMissingEngineIsReported)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/x.tif"), Numbered(1, 2)));
    auto dlg = Dialog({Record(in, QStringLiteral("x.tif"), 2)});
    bool locked = false;
    SetMsgBoxHandler([&](const MsgBoxRequest& r) {
        boxes.push_back(r);
        locked = !dlg->cmdOk->isEnabled() && !dlg->cmdCancel->isEnabled() && !dlg->Frame2->isEnabled()
                 && dlg->cursor().shape() == Qt::WaitCursor;
        dlg->reject(); // refused while the run is on
        return MsgBoxResult::OK;
    });
    Run(*dlg, out);
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(locked);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->cmdOk->isEnabled() && dlg->Frame2->isEnabled());
    EXPECT_FALSE(dlg->OptSplitMathod[1]->isEnabled());

    ASSERT_EQ(RunRegsvr({QStringLiteral("-u"), QStringLiteral(VELMORA_STAVREN_MODULE)}), 0);
    Run(*dlg, out);
    ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_STAVREN_MODULE)}), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].endsWith(QString(51, '-') + "\r\n\r\n\r\n\r\n")); // no file handled
    EXPECT_TRUE(LogLines().join('\n').contains(QStringLiteral("Error 429")));
    EXPECT_TRUE(dlg->cmdOk->isEnabled());
}
