#pragma once
// frmDeleteTiffpage: deletes one page from each of the files the main window
// handed over, either the last page of every file or the page with a typed
// number, and reports the outcome (one message, or the error report window
// listing the files that failed). The dialog stays open after a run.
//
//     frmDeleteTiffpage dlg(this);
//     dlg.colSelectedData = records;   // one record per ticked row
//     RunModal(dlg);                   // the grid is filled as it is shown
//
// It is the twin of the append dialog and shares its grid and key helpers
// (page_dialog.h).

#include "operations/cls_col_set_order_grid.h"

#include "desktop/dialogs/page_operation_dialog.h"
#include <QString>

#include <cstdint>
#include <optional>

class Grid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class frmDeleteTiffpage : public PageOperationDialog {
    Q_OBJECT
public:
    explicit frmDeleteTiffpage(QWidget* parent = nullptr);
    ~frmDeleteTiffpage() override;

    // The files to work on, set by the caller before the dialog is shown.
    RecordCollection colSelectedData;

    // The page handed to the page engine for a file of `pages` pages (-1:
    // unknown): its last page when `last`, else the typed page number
    // `typed`, a number beyond the last page meaning the last page. None
    // when no page can be named (the count is unknown, or the number does
    // not fit the engine's 16-bit page numbers); the file then fails.
    static std::optional<std::int16_t> PageToDelete(bool last, std::int32_t pages, std::int32_t typed);

    // The controls (for the main window's tests and our own).
    Grid* vsFilesSetOrder() const { return vsFilesSetOrder_; }
    QRadioButton* OptDelEndFile() const { return OptDelEndFile_; }
    QRadioButton* optDelAtPageNo() const { return optDelAtPageNo_; }
    QLineEdit* txtpageno() const { return txtpageno_; }
    QProgressBar* ProgressBar1() const { return ProgressBar1_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void Form_Load() override;
    void OptDelEndFile_Click();
    void optDelAtPageNo_Click();
    bool ValidateInput();
    void cmdDelete_Click();
    void cmdCancel_Click();

    QGroupBox* fraSetOrder_ = nullptr;
    Grid* vsFilesSetOrder_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QRadioButton* OptDelEndFile_ = nullptr;
    QRadioButton* optDelAtPageNo_ = nullptr;
    QLineEdit* txtpageno_ = nullptr;
    QLabel* Label1_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
    QGroupBox* Frame4_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
