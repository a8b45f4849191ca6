#pragma once
// The pieces the append-pages and delete-page dialogs have in common: the
// file grid, the frames that look the same in both, and the run over the
// listed files with its report at the end.
//
//     const std::vector<page_dialog::ListedFile> files = page_dialog::ListedFiles(grid);
//     RunGuard guard(*this, {runButton, grid, optionsFrame}, running_); // run_guard.h
//     const QString failed = page_dialog::RunOverFiles(files, order, bar, work);
//     page_dialog::ReportOutcome(this, failed, "Successfully ...", "Following ...");

#include "operations/cls_col_set_order_grid.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class Grid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
class TiffPdfCommands;

namespace page_dialog {

// Sets up a file grid: the column catalogue's eight columns at their
// positions (only Name, Pages, Location and Created Date can be visible)
// plus one hidden extra column at the end headed `extraHeader`. Raises
// run-time errors (the caller's trap logs them).
void InitFilesGrid(Grid& grid, const QString& extraHeader);

// One row per record (Selection ticked), the extra column set to
// `extraValue`; the first row becomes the current row.
void FillFilesGrid(Grid& grid, const RecordCollection& records, const QString& extraValue);

// The load work of both dialogs: InitFilesGrid, then FillFilesGrid, each
// under its own error trap ("InitFiles", "FillGrid") of form `formName`, so
// a failing step is logged and the next one still runs.
void LoadFiles(Grid& grid, const RecordCollection& records, const QString& extraHeader, const QString& extraValue,
               const QString& formName, bool logTime);

// The position of the extra column: after the catalogue's columns.
int ExtraColumn();

// Hides the extra column (every option of both dialogs does).
void HideExtraColumn(Grid& grid);

// Lets only the digits 0-9 and backspace into the box, whether typed or
// pasted.
void AcceptDigitsOnly(QLineEdit* box);

// The full path of the file on a grid row: its Location with a trailing "/"
// and its Name.
QString SourcePath(const Grid& grid, int row);

// A listed file as the run found it when it started. The run works from
// these, not from the grid, which may be re-sorted while the page engine
// lets window messages run.
struct ListedFile {
    QString path;       // folder and name
    QString shownPages; // the row's Pages cell
};

// The files of the grid's data rows, in row order.
std::vector<ListedFile> ListedFiles(const Grid& grid);

// The page count of a listed file as it is now: counted afresh by the
// program's TIFF page counter when there is one, else the count shown in
// its Pages cell. -1 when neither gives a count.
std::int32_t CurrentPageCount(const ListedFile& file);

// The number in a page-number box (digits only), saturated at INT32_MAX so a
// long run of digits can never overflow; 0 for an empty box.
std::int32_t TypedPageNumber(const QString& text);

// One file's page operation; false when it failed, with `why` set to the
// reason the facade gave for it (LastFailureReason), if any.
using FileWork = std::function<bool(const ListedFile& file, TiffPdfCommands& commands, QString& why)>;

// Runs `work` on the files in the given order (indices into `files`), one
// progress step before each, with one facade object created at the first
// file. Gives the failure list: the path of every failed file, its reason
// in brackets beside it when there is one, and CR LF, in list order.
QString RunOverFiles(const std::vector<ListedFile>& files, const std::vector<std::size_t>& order, QProgressBar* bar,
                     const FileWork& work);

// The end of a run: `success` in a message box when nothing failed, else
// the error report window listing the failed files under `subject`.
void ReportOutcome(QWidget* parent, const QString& failureList, const QString& success, const QString& subject);

// The frames both dialogs build the same way.
QGroupBox* NewFilesFrame(QWidget* parent, Grid*& grid);
QGroupBox* NewProgressFrame(QWidget* parent, QProgressBar*& bar);
QGroupBox* NewButtonsFrame(QWidget* parent, const QString& runCaption, const QString& runName, QPushButton*& run,
                           QPushButton*& cancel);

// The frame that chooses the page: a whole-file option above a row of the
// page-number option, its box and the label after the box.
struct PositionFrame {
    QGroupBox* frame = nullptr;
    QRadioButton* wholeFile = nullptr;
    QRadioButton* atPageNo = nullptr;
    QLineEdit* pageno = nullptr;
    QLabel* label = nullptr;
};
struct PositionTexts {
    const char* title;
    const char* wholeCaption;
    const char* wholeName;
    const char* atCaption;
    const char* atName;
    const char* labelCaption;
    const char* labelName;
};
PositionFrame NewPositionFrame(QWidget* parent, const PositionTexts& texts);

} // namespace page_dialog
