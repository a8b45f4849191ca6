#include "desktop/dialogs/frm_append_tiff_file.h"

#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/dialogs/run_guard.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"
#include "platform/runtime/run_time_error.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

const QString kFormName = QStringLiteral("frmAppendTiffFile");

// This form's error lines end without " at time".
const ProcedureTraps Trap(ObjectKind::Form, kFormName, false);

// "Description (*.a;*.b)|*.a;*.b|..." as the file dialog's name filters.
QStringList NameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return result;
}

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

// ===================================================================
// The dialog
// ===================================================================

frmAppendTiffFile::frmAppendTiffFile(QWidget* parent) : PageOperationDialog(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Append, Add or Insert TIFF Files"));

    fraSetOrder_ = page_dialog::NewFilesFrame(this, vsFilesSetOrder_);

    const page_dialog::PositionFrame position =
        page_dialog::NewPositionFrame(this, {"2. Append, Add or Insert Files", "At the &end of file", "OptAppEndFile",
                                             "Insert or Add a&t page number", "optAtPageNo", "to all files", "Label2"});
    Frame2_ = position.frame;
    OptAppEndFile_ = position.wholeFile;
    optAtPageNo_ = position.atPageNo;
    txtpageno_ = position.pageno;
    Label2_ = position.label;

    Frame1_ = new QGroupBox(QStringLiteral("3 Select File to append, Add or Insert"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Label1_ = new QLabel(QStringLiteral("Select &file:"), Frame1_);
    Label1_->setObjectName(QStringLiteral("Label1"));
    txtAppendFile_ = new QLineEdit(Frame1_);
    txtAppendFile_->setObjectName(QStringLiteral("txtAppendFile"));
    Label1_->setBuddy(txtAppendFile_);
    cmdbrowse_ = new QPushButton(QStringLiteral("..."), Frame1_);
    cmdbrowse_->setObjectName(QStringLiteral("cmdbrowse"));
    auto* frame1Layout = new QHBoxLayout(Frame1_);
    frame1Layout->addWidget(Label1_);
    frame1Layout->addWidget(txtAppendFile_, 1);
    frame1Layout->addWidget(cmdbrowse_);

    Frame3_ = page_dialog::NewProgressFrame(this, ProgressBar1_);
    Frame4_ = page_dialog::NewButtonsFrame(this, QStringLiteral("&Start"), QStringLiteral("cmdAppend"), cmdAppend_,
                                           cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraSetOrder_, 1);
    layout->addWidget(Frame2_);
    layout->addWidget(Frame1_);
    layout->addWidget(Frame3_);
    layout->addWidget(Frame4_);
    resize(640, 520);

    connect(OptAppEndFile_, &QRadioButton::clicked, this, &frmAppendTiffFile::OptAppEndFile_Click);
    connect(optAtPageNo_, &QRadioButton::clicked, this, &frmAppendTiffFile::optAtPageNo_Click);
    connect(cmdbrowse_, &QPushButton::clicked, this, &frmAppendTiffFile::cmdbrowse_Click);
    connect(cmdAppend_, &QPushButton::clicked, this, &frmAppendTiffFile::cmdAppend_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmAppendTiffFile::cmdCancel_Click);
}

frmAppendTiffFile::~frmAppendTiffFile() = default;

void frmAppendTiffFile::Form_Load()
{
    page_dialog::LoadFiles(*vsFilesSetOrder_, colSelectedData, QStringLiteral("Append at"), QStringLiteral("1"),
                           kFormName, false);
    OptAppEndFile_->setChecked(true);
    OptAppEndFile_Click();
}

void frmAppendTiffFile::OptAppEndFile_Click()
{
    txtpageno_->setEnabled(false);
    page_dialog::HideExtraColumn(*vsFilesSetOrder_);
}

void frmAppendTiffFile::optAtPageNo_Click()
{
    txtpageno_->setEnabled(true);
    page_dialog::HideExtraColumn(*vsFilesSetOrder_);
}

void frmAppendTiffFile::cmdbrowse_Click()
{
    txtAppendFile_->setText(ShowOpenFileDialog(QStringLiteral("TIFF Files (*.tif;*.tiff)|*.tiff;*.tif")));
}

QString frmAppendTiffFile::ShowOpenFileDialog(const QString& filter)
{
    QFileDialog dialog(this, QStringLiteral("Open File"));
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = NameFilters(filter);
    if (filters.isEmpty())
        return QString();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    // Cancelling keeps what the box holds.
    if (RunModal(dialog) != QDialog::Accepted)
        return txtAppendFile_->text();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? txtAppendFile_->text() : chosen.first();
}

bool frmAppendTiffFile::ValidateInput()
{
    ErrorTrap trap = Trap("ValidateInput");
    try {
        trap.Line(10);
        const QString pagesFile = txtAppendFile_->text();
        const QString ext = GetFileExt(pagesFile);
        if (ext.compare(QLatin1String("tif"), Qt::CaseInsensitive) != 0
            && ext.compare(QLatin1String("tiff"), Qt::CaseInsensitive) != 0) {
            trap.Line(20);
            MsgBox(QStringLiteral("Specifiled file formate is not valid."), MsgBoxIcon::Information);
            txtAppendFile_->setFocus();
            return false;
        }
        trap.Line(30);
        if (!TiffPdfCommands::FileExists(pagesFile)) {
            trap.Line(40);
            MsgBox(QStringLiteral("Specified file not exists or invalid filename."), MsgBoxIcon::Information);
            txtAppendFile_->setFocus();
            return false;
        }
        trap.Line(50);
        if (optAtPageNo_->isChecked() && txtpageno_->text().isEmpty()) {
            trap.Line(60);
            MsgBox(QStringLiteral("Please enter page no."), MsgBoxIcon::Information);
            txtpageno_->setFocus();
            return false;
        }
        trap.Line(70);
        return true;
    } catch (...) {
        trap.Log();
        return false;
    }
}

std::optional<std::int16_t> frmAppendTiffFile::InsertPosition(bool atEnd, std::int32_t pages, std::int32_t typed)
{
    constexpr std::int32_t kHighest = std::numeric_limits<std::int16_t>::max();
    std::int64_t position = 0;
    if (pages < 0) {
        // Count unknown: any number above the page count appends, so "at the
        // end" asks for the highest page number the engine takes.
        position = atEnd ? kHighest : std::min<std::int64_t>(std::max(typed, 0), kHighest);
    } else if (atEnd) {
        position = std::int64_t(pages) + 1;
    } else {
        // A page number beyond the last page puts the new pages after it.
        position = typed > pages ? std::int64_t(pages) + 1 : std::max(typed, 0);
    }
    if (position > kHighest)
        return std::nullopt;
    return static_cast<std::int16_t>(position);
}

std::vector<std::size_t> frmAppendTiffFile::RunOrder(const std::vector<page_dialog::ListedFile>& files,
                                                     const QString& pagesFile)
{
    std::vector<std::size_t> order;
    std::vector<std::size_t> itself;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (SameFile(files[i].path, pagesFile))
            itself.push_back(i);
        else
            order.push_back(i);
    }
    order.insert(order.end(), itself.begin(), itself.end());
    return order;
}

void frmAppendTiffFile::cmdAppend_Click()
{
    if (running_)
        return;
    ErrorTrap trap = Trap("cmdAppend_Click");
    try {
        trap.Line(10);
        if (!ValidateInput())
            return;

        trap.Line(30);
        // The files as listed now: the grid may be re-sorted while the page
        // engine lets window messages run.
        const std::vector<page_dialog::ListedFile> files = page_dialog::ListedFiles(*vsFilesSetOrder_);
        RunGuard guard(*this, {cmdAppend_, vsFilesSetOrder_, Frame2_, Frame1_}, running_);

        trap.Line(50);
        const QString pagesFile = txtAppendFile_->text();
        const bool atEnd = OptAppEndFile_->isChecked();
        const std::int32_t typed = page_dialog::TypedPageNumber(txtpageno_->text());
        const QString failureList = page_dialog::RunOverFiles(
            files, RunOrder(files, pagesFile), ProgressBar1_,
            [&](const page_dialog::ListedFile& file, TiffPdfCommands& commands, QString& why) {
                const std::optional<std::int16_t> position =
                    InsertPosition(atEnd, page_dialog::CurrentPageCount(file), typed);
                if (!position) {
                    why = QStringLiteral("page numbers past 32767 are not taken");
                    return false;
                }
                const bool ok = commands.AppendFileTiffFile(file.path, pagesFile, *position);
                why = commands.LastFailureReason();
                return ok;
            });

        trap.Line(100);
        page_dialog::ReportOutcome(this, failureList, QStringLiteral("Successfully appended."),
                                   QStringLiteral("Following file(s) couldn't appended"));
        trap.Line(110);
        ProgressBar1_->setValue(0);
    } catch (...) {
        trap.Log();
    }
}

void frmAppendTiffFile::cmdCancel_Click()
{
    close();
}
