// What a split run from the dialog may not do: replace a file being split
// however the output folder is reached, write through a link under a page
// name, leave a page cut short, keep quiet about why a write failed, or
// leave a killed run's private folder for ever, or call a file split whose
// pages did not all reach their names.

#include "split_fixture.h"

#include "desktop/main/desktop_startup.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/killed_run_folder.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

using namespace splittest;

class SplitSafetyTest : public SplitTest {
protected:
    void Run(frmSplitOption_Tiff& dlg, const QString& out)
    {
        dlg.txtOutputFolder->setText(out);
        dlg.cmdOk->click();
    }
    QString in = Folder(QStringLiteral("in"));
    QString out = Folder(QStringLiteral("out"));
};

TEST_F(SplitSafetyTest, LinksNeitherLeadOntoSourcesNorGetWrittenThrough)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 3)));
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan_1.tif"), Numbered(41, 42)));
    ASSERT_TRUE(QFile::link(in, Folder(QString()) + QStringLiteral("/L")));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 3), Record(in, QStringLiteral("scan_1.tif"), 2)});
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    dlg->chkReplaceExisting->setChecked(true);
    dlg->chkApplyNoPadding->setChecked(true);
    Run(*dlg, Folder(QString()) + QStringLiteral("/L"));
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_1.tif")), Numbered(41, 42));
    EXPECT_EQ(Markers(in + QStringLiteral("/scan_2.tif")), Pages{2});
    ASSERT_EQ(reports.size(), 1u);

    // A link under a page name is replaced; what it points at stays.
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/precious.tif"), {99}));
    ASSERT_TRUE(QFile::link(in + QStringLiteral("/precious.tif"), out + QStringLiteral("/scan_1.tif")));
    ASSERT_TRUE(QFile::link(in + QStringLiteral("/nothing.tif"), out + QStringLiteral("/scan_2.tif")));
    auto one = Dialog({Record(in, QStringLiteral("scan.tif"), 3)});
    one->txtseparator[0]->setText(QStringLiteral("_"));
    one->chkReplaceExisting->setChecked(true);
    Run(*one, out);
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_1.tif")), Pages{1});
    EXPECT_EQ(Markers(out + QStringLiteral("/scan_2.tif")), Pages{2});
    EXPECT_FALSE(QFileInfo(out + QStringLiteral("/scan_1.tif")).isSymLink());
    EXPECT_EQ(Markers(in + QStringLiteral("/precious.tif")), Pages{99});
    EXPECT_FALSE(QFileInfo::exists(in + QStringLiteral("/nothing.tif")));
}

// A write that fails half way (the file size limit standing in for a full
// disk) lists the file, logs the system's reason, and leaves no page cut
// short and no private folder behind.
TEST_F(SplitSafetyTest, AFailedWriteIsListedWithItsReasonAndLeavesNothingHalfWritten)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 200)));
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 200)});
    dlg->OptSplitMathod[2]->setChecked(true);
    dlg->txtSplitByEveryPage->setText(QStringLiteral("1"));
    {
        FileSizeLimit limit;
        // One page fits, and the dialog's settings file; the other 199 do not.
        ASSERT_TRUE(limit.Limit(4096));
        Run(*dlg, out);
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(in + QStringLiteral("/scan.tif")));
    // The reason in the system's words, in the language the run is in.
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    const QString line = QLatin1Char('(') + reason + QStringLiteral(") in procedure SplitTiffFiles");
    EXPECT_TRUE(LogLines().join('\n').contains(line)) << LogLines().join('\n').toStdString();
    EXPECT_EQ(Entries(out), QStringList{});
}

TEST_F(SplitSafetyTest, AKilledRunsPrivateFolderIsRemovedByTheNextRun)
{
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/scan.tif"), Numbered(1, 2)));
    const std::string debris = KilledRunFolder(QFile::encodeName(out).toStdString(), {{"page0.tif", "page"}});
    ASSERT_FALSE(debris.empty());
    const struct timespec hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, debris.c_str(), hourAgo, 0), 0);
    auto dlg = Dialog({Record(in, QStringLiteral("scan.tif"), 2)});
    dlg->txtseparator[0]->setText(QStringLiteral("_"));
    Run(*dlg, out);
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Split completed")});
    EXPECT_EQ(Entries(out), (QStringList{QStringLiteral("scan_1.tif"), QStringLiteral("scan_2.tif")}));
}

// A page taken away from the private folder before it is named: fewer pages
// than the engine wrote reach their names, and the file is listed.
TEST_F(SplitSafetyTest, APageTakenAwayBeforeItIsNamedFailsTheFile)
{
    ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
    ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_PDF_COUNTER_MODULE)}), 0);
    CreatePageCounters();
    ASSERT_TRUE(TiffPageCounter.IsCreated());
    Pages many;
    for (int i = 0; i < 3000; ++i)
        many.push_back(i % 250 + 1);
    ASSERT_TRUE(WriteTiff(in + QStringLiteral("/big.tif"), many));
    std::atomic<bool> running{true};
    std::atomic<bool> taken{false};
    std::thread robber([&] {
        while (running && !taken) {
            for (const QString& name : QDir(out).entryList({QStringLiteral(".velmora-*")}, QDir::Dirs | QDir::Hidden))
                if (QFileInfo::exists(out + '/' + name + QStringLiteral("/page1.tif")))
                    taken = QFile::remove(out + '/' + name + QStringLiteral("/page0.tif"));
        }
    });
    auto dlg = Dialog({Record(in, QStringLiteral("big.tif"), 3000)});
    Run(*dlg, out);
    running = false;
    robber.join();
    ASSERT_TRUE(taken);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(in + QStringLiteral("/big.tif (1 page missing)"))) << reports[0].toStdString();
    EXPECT_EQ(Entries(out).size(), 2999);

    // The output folder moved away: the file fails for that reason, not
    // for one of the source's.
    const QString out2 = Folder(QStringLiteral("out2"));
    running = true;
    taken = false;
    std::thread mover([&] {
        while (running && !taken) {
            for (const QString& name : QDir(out2).entryList({QStringLiteral(".velmora-*")}, QDir::Dirs | QDir::Hidden))
                if (QFileInfo::exists(out2 + '/' + name + QStringLiteral("/page1.tif")))
                    taken = QDir().rename(out2, out2 + QStringLiteral(".moved"));
        }
    });
    auto again = Dialog({Record(in, QStringLiteral("big.tif"), 3000)});
    Run(*again, out2);
    running = false;
    mover.join();
    TiffPageCounter = PageCounterObject{};
    PdfPageCounter = PageCounterObject{};
    ASSERT_TRUE(taken);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].contains(
        in + QStringLiteral("/big.tif (the output folder was moved or removed while pages were written")))
        << reports[1].toStdString();
}
