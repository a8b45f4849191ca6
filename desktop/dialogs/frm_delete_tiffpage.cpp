#include "desktop/dialogs/frm_delete_tiffpage.h"

#include "desktop/core/program_objects.h"
#include "desktop/dialogs/page_dialog.h"
#include "desktop/dialogs/run_guard.h"
#include "operations/error_trap.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <limits>
#include <numeric>

namespace {

const QString kFormName = QStringLiteral("frmDeleteTiffpage");

const ProcedureTraps Trap(ObjectKind::Form, kFormName);

} // namespace

frmDeleteTiffpage::frmDeleteTiffpage(QWidget* parent) : PageOperationDialog(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Delete page from TIF Files"));

    fraSetOrder_ = page_dialog::NewFilesFrame(this, vsFilesSetOrder_);

    const page_dialog::PositionFrame position = page_dialog::NewPositionFrame(
        this, {"2. Select Page number to delete ", "Delete last page of file", "OptDelEndFile", "Dele&te page number",
               "optDelAtPageNo", "from all files.", "Label1"});
    Frame2_ = position.frame;
    OptDelEndFile_ = position.wholeFile;
    optDelAtPageNo_ = position.atPageNo;
    txtpageno_ = position.pageno;
    Label1_ = position.label;

    Frame3_ = page_dialog::NewProgressFrame(this, ProgressBar1_);
    Frame4_ = page_dialog::NewButtonsFrame(this, QStringLiteral("&Delete"), QStringLiteral("cmdDelete"), cmdDelete_,
                                           cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraSetOrder_, 1);
    layout->addWidget(Frame2_);
    layout->addWidget(Frame3_);
    layout->addWidget(Frame4_);
    resize(640, 460);

    connect(OptDelEndFile_, &QRadioButton::clicked, this, &frmDeleteTiffpage::OptDelEndFile_Click);
    connect(optDelAtPageNo_, &QRadioButton::clicked, this, &frmDeleteTiffpage::optDelAtPageNo_Click);
    connect(cmdDelete_, &QPushButton::clicked, this, &frmDeleteTiffpage::cmdDelete_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDeleteTiffpage::cmdCancel_Click);
}

frmDeleteTiffpage::~frmDeleteTiffpage() = default;

void frmDeleteTiffpage::Form_Load()
{
    page_dialog::LoadFiles(*vsFilesSetOrder_, colSelectedData, QStringLiteral("Delete at"), QStringLiteral("0"),
                           kFormName, true);
    OptDelEndFile_->setChecked(true);
    OptDelEndFile_Click();
}

void frmDeleteTiffpage::OptDelEndFile_Click()
{
    txtpageno_->setEnabled(false);
    page_dialog::HideExtraColumn(*vsFilesSetOrder_);
}

void frmDeleteTiffpage::optDelAtPageNo_Click()
{
    txtpageno_->setEnabled(true);
    page_dialog::HideExtraColumn(*vsFilesSetOrder_);
}

bool frmDeleteTiffpage::ValidateInput()
{
    if (optDelAtPageNo_->isChecked() && txtpageno_->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter page no."), MsgBoxIcon::Information);
        txtpageno_->setFocus();
        return false;
    }
    return true;
}

std::optional<std::int16_t> frmDeleteTiffpage::PageToDelete(bool last, std::int32_t pages, std::int32_t typed)
{
    constexpr std::int32_t kHighest = std::numeric_limits<std::int16_t>::max();
    std::int32_t page = 0;
    if (pages < 0) {
        // Without a count the last page cannot be named; a typed number is
        // left to the engine's range check.
        if (last)
            return std::nullopt;
        page = typed < 0 ? 1 : typed;
    } else if (last) {
        page = pages;
    } else {
        page = typed > pages ? pages : (typed < 0 ? 1 : typed);
    }
    if (page > kHighest)
        return std::nullopt;
    return static_cast<std::int16_t>(page);
}

void frmDeleteTiffpage::cmdDelete_Click()
{
    if (running_)
        return;
    ErrorTrap trap = Trap("cmdDelete_Click");
    try {
        trap.Line(10);
        if (!ValidateInput())
            return;

        trap.Line(30);
        // The files as listed now: the grid may be re-sorted while the page
        // engine lets window messages run.
        const std::vector<page_dialog::ListedFile> files = page_dialog::ListedFiles(*vsFilesSetOrder_);
        RunGuard guard(*this, {cmdDelete_, vsFilesSetOrder_, Frame2_}, running_);

        trap.Line(50);
        const bool last = OptDelEndFile_->isChecked();
        const std::int32_t typed = page_dialog::TypedPageNumber(txtpageno_->text());
        std::vector<std::size_t> inOrder(files.size());
        std::iota(inOrder.begin(), inOrder.end(), std::size_t{0});
        const QString failureList = page_dialog::RunOverFiles(
            files, inOrder, ProgressBar1_,
            [&](const page_dialog::ListedFile& file, TiffPdfCommands& commands, QString& why) {
                const std::int32_t pages = page_dialog::CurrentPageCount(file);
                const std::optional<std::int16_t> page = PageToDelete(last, pages, typed);
                if (!page) {
                    why = pages < 0 ? QStringLiteral("its pages could not be counted")
                                    : QStringLiteral("page numbers past 32767 are not taken");
                    return false;
                }
                const bool ok = commands.DeleteTiffPage(file.path, *page);
                why = commands.LastFailureReason();
                return ok;
            });

        trap.Line(90);
        page_dialog::ReportOutcome(this, failureList, QStringLiteral("Successfully deleted pages."),
                                   QStringLiteral("Tiff pages from below file(s) couldn't deleted"));
        trap.Line(100);
        ProgressBar1_->setValue(0);
    } catch (...) {
        trap.Log();
    }
}

void frmDeleteTiffpage::cmdCancel_Click()
{
    close();
}
