#pragma once
// frmSplitOption_Tiff: the modal "Set Split pages" dialog in which the user
// chooses how the ticked TIFF files are split (every page to its own file,
// the pages of one range, or two files cut after N pages), how the new files
// are named, and where they go. "&Split" validates the choices and runs the
// split over every record; the dialog stays open afterwards.
//
//     frmSplitOption_Tiff dlg(mainWindow);
//     dlg.objColdata = records;     // one record per ticked row
//     dlg.CommandAction = 2;
//     RunModal(dlg);
//
// The dialog fills itself from the records and the settings when it is first
// shown (the caller sets the members after constructing it), and stores its
// three output settings when it closes and after every run.

#include "desktop/dialogs/split_page_files.h"
#include "operations/cls_col_set_order_grid.h"
#include "operations/tiff_pdf_commands.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
namespace safe_file {
struct PagePlacement;
}

class frmSplitOption_Tiff : public QDialog {
    Q_OBJECT

public:
    explicit frmSplitOption_Tiff(QWidget* parent = nullptr);
    ~frmSplitOption_Tiff() override;

    // The files to split, in order; set by the caller before showing.
    RecordCollection objColdata;
    // Set by the caller (2: TIFF split); nothing depends on it.
    std::int32_t CommandAction = 0;

    // The split methods, each the index of its option in OptSplitMathod:
    // every page to a file of its own; a part (not offered); the file in
    // two, the second from the page after the typed count; the pages of a
    // typed range, each to a file of its own.
    enum class SplitMethod { None = -1, AllPages = 0, Part = 1, InTwo = 2, Range = 3 };

    // Controls.
    QGroupBox* FraRange = nullptr;
    std::array<QRadioButton*, 4> OptSplitMathod{};
    QLabel* Label1 = nullptr;
    QLineEdit* txtPartFrom = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtPartTo = nullptr;
    QLineEdit* txtSplitByEveryPage = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtrange = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optBasename = nullptr;
    QLabel* lblbasename = nullptr;
    QRadioButton* optmanual = nullptr;
    QLineEdit* txtmanualfilename = nullptr;
    std::array<QLineEdit*, 2> txtseparator{};
    QCheckBox* chkApplyNoPadding = nullptr;
    QGroupBox* FraFileopen = nullptr;
    QCheckBox* chkReplaceExisting = nullptr;
    QCheckBox* chkSaveatCurrLoc = nullptr;
    QCheckBox* ChkDefaultPathSplitTIFF = nullptr;
    QCheckBox* ChkOpenFolderSplitTIFF = nullptr;
    QLineEdit* txtOutputFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QGroupBox* Frame3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Checks the choices; shows the first problem and returns false.
    bool ValidateInput();

    // True for the characters "0" to "9" and backspace.
    static bool IsDigitKey(int key);

    // The folder chooser behind "..." (Qt's own dialog, folders only,
    // shown through RunModal); the current folder text on cancel.
    QString ShowFolderSelectionDialog();

    // The tool tip the name boxes take when a key is refused.
    static QString InvalidNameCharsTip();

public slots:
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Closing stores the output settings (unless a run is in progress, when
    // closing is refused).
    void done(int result) override;

private:
    void Form_Load();
    void IniFormCtl();
    void Form_Unload();
    void OptSplitMathod_Click();
    void optBasename_Click();
    void optmanual_Click();
    void chkSaveatCurrLoc_Click();
    void StoreOutputSettings(bool clearPathWhenUnticked);

    // The split loop: one facade call per record, then the renaming. A
    // file fails when the facade fails it, when the range selects none of
    // its pages (it starts past the last page, or ends before it starts),
    // or when any of its pages or parts does not reach its name.
    bool SplitTiffFiles(QString& failedList);
    // Moves one record's page files out of the extraction folder to their
    // final names; true when every page reached a name. `placed` adds up
    // what happened to them: the pages dropped because a file of their name
    // stays, those kept out of a file being split, and those of the
    // engine's count (engineCount, -1 when unknown) that were not there to
    // be named.
    bool RenameFileNames(const QString& extension, std::int32_t& pageCount, const QString& outputFolder,
                         const QString& fileName, SplitExtractionFolder& scratch, const ProtectedFiles& sources,
                         std::int32_t engineCount, safe_file::PagePlacement& placed);
    // The name prefix of a record's file name followed by the padding.
    QString ReturnFilename(const QString& fileName, const QString& total, const QString& page) const;
    QString NamePrefix(const QString& fileName) const;
    SplitMethod SelectedMethod() const;

    std::unique_ptr<TiffPdfCommands> objTiffPdfCommands_;
    bool loaded_ = false;
    bool running_ = false;
    bool unloaded_ = false;
};
