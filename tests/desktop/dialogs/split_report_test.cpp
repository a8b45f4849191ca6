// The error report window: the block AddError writes, and the report saved
// as a rich-text file whose text reads back unchanged.

#include "desktop/dialogs/rtf_writer.h"

#include "split_fixture.h"
#include "split_rtf_reader.h"

#include <QFileDialog>

using namespace splittest;

class ErrorReportTest : public SplitTest {
protected:
    // Presses Save; the save dialog answers `path` (cancels when empty).
    void SaveAs(frmErrorReportDialog& report, const QString& path)
    {
        modalAnswer = [path](QDialog& d) {
            auto* fd = qobject_cast<QFileDialog*>(&d);
            if (!fd || path.isEmpty())
                return int(QDialog::Rejected);
            EXPECT_EQ(fd->windowTitle(), QStringLiteral("Save File"));
            EXPECT_EQ(fd->nameFilters(), QStringList{QStringLiteral("Rich Text Files (*.rtf)")});
            fd->selectFile(path);
            return int(QDialog::Accepted);
        };
        report.cmdSave->click();
    }
};

TEST_F(ErrorReportTest, AddErrorAppendsWholeBlocks)
{
    const QString eq(51, '='), dash(51, '-');
    frmErrorReportDialog report;
    report.AddError(QStringLiteral("Head"), QStringLiteral("Subject "), QString());
    const QString empty = eq + "\r\nHead\r\n" + eq + "\r\n" + dash + "\r\nSubject \r\n" + dash + "\r\n\r\n\r\n\r\n";
    EXPECT_EQ(report.ReportText(), empty);
    report.AddError(QStringLiteral("H2"), QStringLiteral("S2"), QStringLiteral("/a/x.tif\r\n"));
    EXPECT_EQ(report.ReportText(),
              empty + eq + "\r\nH2\r\n" + eq + "\r\n" + dash + "\r\nS2\r\n" + dash + "\r\n\r\n/a/x.tif\r\n\r\n\r\n");
}

TEST_F(ErrorReportTest, SavedReportReadsBackWithSpecialCharacters)
{
    const QString folder = Folder(QStringLiteral("reports"));
    frmErrorReportDialog report;
    report.AddError(QStringLiteral("Velmora error"), QStringLiteral("Subject"),
                    QStringLiteral("/d/{draft}\\copy/Über straße/日本 😀.tif\r\n/x/a\tb 42.tif\r\n"));
    // A name typed without extension is used as it is.
    SaveAs(report, folder + QStringLiteral("/report"));
    const QStringList saved = Entries(folder);
    ASSERT_EQ(saved, QStringList{QStringLiteral("report")});
    QFile file(folder + QStringLiteral("/report"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return (c & 0x80) == 0; }));
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?")); // both halves of U+1F600
    EXPECT_EQ(RtfToPlainText(rtf), report.ReportText());
    // Lone CR and LF are line breaks too.
    EXPECT_EQ(RtfToPlainText(PlainTextToRtf(QStringLiteral("1\r2\n3"))), QStringLiteral("1\r\n2\r\n3"));
}

TEST_F(ErrorReportTest, CancelWritesNothingAndAFailedSaveIsShownAndLogged)
{
    const QString folder = Folder(QStringLiteral("reports"));
    frmErrorReportDialog report;
    report.AddError(QStringLiteral("H"), QStringLiteral("S"), QStringLiteral("x\r\n"));
    SaveAs(report, QString());
    EXPECT_TRUE(Entries(folder).isEmpty());
    EXPECT_TRUE(LogLines().isEmpty());

    const QString blocked = folder + QStringLiteral("/blocked.rtf");
    QDir().mkpath(blocked); // a folder where the file should go
    SaveAs(report, blocked);
    ASSERT_EQ(LogLines().size(), 1);
    EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("in procedure cmdSave_Click")));
    EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("of Form frmErrorReportDialog")));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Unable to save the report!\r\n\r\n")))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(blocked)) << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[0].title, QStringLiteral("Velmora 3.1"));

    // A folder the file cannot be made in.
    SaveAs(report, folder + QStringLiteral("/missing/report.rtf"));
    EXPECT_EQ(LogLines().size(), 2);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(Entries(folder) == QStringList{QStringLiteral("blocked.rtf")});
}
