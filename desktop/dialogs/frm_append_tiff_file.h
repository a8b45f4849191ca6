#pragma once
// frmAppendTiffFile: inserts every page of one chosen TIFF file into each of
// the files the main window handed over, after their last page or before a
// typed page number, and reports the outcome (one message, or the error
// report window listing the files that failed). The dialog stays open after
// a run.
//
//     frmAppendTiffFile dlg(this);
//     dlg.colSelectedData = records;   // one record per ticked row
//     RunModal(dlg);                   // the grid is filled as it is shown
//
// The delete-page dialog is its twin; both build on page_dialog.h.

#include "desktop/dialogs/page_dialog.h"
#include "operations/cls_col_set_order_grid.h"

#include "desktop/dialogs/page_operation_dialog.h"
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class Grid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class frmAppendTiffFile : public PageOperationDialog {
    Q_OBJECT
public:
    explicit frmAppendTiffFile(QWidget* parent = nullptr);
    ~frmAppendTiffFile() override;

    // The files to work on, set by the caller before the dialog is shown.
    RecordCollection colSelectedData;

    // The insert position handed to the page engine for a file of `pages`
    // pages (-1: unknown): after the last page when `atEnd`, else before
    // the typed page number `typed`, a number beyond the last page meaning
    // after it. None when the position does not fit the engine's 16-bit
    // page numbers.
    static std::optional<std::int16_t> InsertPosition(bool atEnd, std::int32_t pages, std::int32_t typed);

    // Order in which the grid rows are worked: every row in order, except
    // that the rows holding the pages file itself come last, so that the
    // other files receive its pages as they were when the run started.
    static std::vector<std::size_t> RunOrder(const std::vector<page_dialog::ListedFile>& files,
                                             const QString& pagesFile);

    // The controls (for the main window's tests and our own).
    Grid* vsFilesSetOrder() const { return vsFilesSetOrder_; }
    QRadioButton* OptAppEndFile() const { return OptAppEndFile_; }
    QRadioButton* optAtPageNo() const { return optAtPageNo_; }
    QLineEdit* txtpageno() const { return txtpageno_; }
    QLineEdit* txtAppendFile() const { return txtAppendFile_; }
    QPushButton* cmdbrowse() const { return cmdbrowse_; }
    QProgressBar* ProgressBar1() const { return ProgressBar1_; }
    QPushButton* cmdAppend() const { return cmdAppend_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void Form_Load() override;
    void OptAppEndFile_Click();
    void optAtPageNo_Click();
    void cmdbrowse_Click();
    QString ShowOpenFileDialog(const QString& filter);
    bool ValidateInput();
    void cmdAppend_Click();
    void cmdCancel_Click();

    QGroupBox* fraSetOrder_ = nullptr;
    Grid* vsFilesSetOrder_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QRadioButton* OptAppEndFile_ = nullptr;
    QRadioButton* optAtPageNo_ = nullptr;
    QLineEdit* txtpageno_ = nullptr;
    QLabel* Label2_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLineEdit* txtAppendFile_ = nullptr;
    QPushButton* cmdbrowse_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
    QGroupBox* Frame4_ = nullptr;
    QPushButton* cmdAppend_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
