#include "desktop/dialogs/frm_delete_tiffpage.h"

#include "desktop/dialogs/frm_append_tiff_file.h"
#include "desktop/dialogs/frm_error_report_dialog.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/modal_runner.h"
#include "operations/error_trap.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <limits>

namespace {

const QString kFormName = QStringLiteral("frmDeleteTiffpage");

ErrorTrap Trap(const char* procedure)
{
    return ErrorTrap(QString::fromLatin1(procedure), ObjectKind::Form, kFormName, true);
}

} // namespace

frmDeleteTiffpage::frmDeleteTiffpage(QWidget* parent) : QDialog(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Delete page from TIF Files"));

    fraSetOrder_ = new QGroupBox(QStringLiteral("1 Selected files"), this);
    fraSetOrder_->setObjectName(QStringLiteral("fraSetOrder"));
    vsFilesSetOrder_ = new Grid(fraSetOrder_);
    vsFilesSetOrder_->setObjectName(QStringLiteral("vsFilesSetOrder"));
    auto* setOrderLayout = new QVBoxLayout(fraSetOrder_);
    setOrderLayout->addWidget(vsFilesSetOrder_);

    Frame2_ = new QGroupBox(QStringLiteral("2. Select Page number to delete "), this);
    Frame2_->setObjectName(QStringLiteral("Frame2"));
    OptDelEndFile_ = new QRadioButton(QStringLiteral("Delete last page of file"), Frame2_);
    OptDelEndFile_->setObjectName(QStringLiteral("OptDelEndFile"));
    optDelAtPageNo_ = new QRadioButton(QStringLiteral("Dele&te page number"), Frame2_);
    optDelAtPageNo_->setObjectName(QStringLiteral("optDelAtPageNo"));
    txtpageno_ = new QLineEdit(Frame2_);
    txtpageno_->setObjectName(QStringLiteral("txtpageno"));
    page_dialog::AcceptDigitsOnly(txtpageno_);
    Label1_ = new QLabel(QStringLiteral("from all files."), Frame2_);
    Label1_->setObjectName(QStringLiteral("Label1"));
    auto* atPageRow = new QHBoxLayout;
    atPageRow->addWidget(optDelAtPageNo_);
    atPageRow->addWidget(txtpageno_);
    atPageRow->addWidget(Label1_);
    atPageRow->addStretch();
    auto* frame2Layout = new QVBoxLayout(Frame2_);
    frame2Layout->addWidget(OptDelEndFile_);
    frame2Layout->addLayout(atPageRow);

    Frame3_ = new QGroupBox(QStringLiteral("Proccessing"), this);
    Frame3_->setObjectName(QStringLiteral("Frame3"));
    ProgressBar1_ = new QProgressBar(Frame3_);
    ProgressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1_->setRange(0, 100);
    ProgressBar1_->setValue(0);
    auto* frame3Layout = new QVBoxLayout(Frame3_);
    frame3Layout->addWidget(ProgressBar1_);

    Frame4_ = new QGroupBox(this);
    Frame4_->setObjectName(QStringLiteral("Frame4"));
    cmdDelete_ = new QPushButton(QStringLiteral("&Delete"), Frame4_);
    cmdDelete_->setObjectName(QStringLiteral("cmdDelete"));
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), Frame4_);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    auto* frame4Layout = new QHBoxLayout(Frame4_);
    frame4Layout->addStretch();
    frame4Layout->addWidget(cmdDelete_);
    frame4Layout->addWidget(cmdCancel_);

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

int frmDeleteTiffpage::DeleteAtColumn() const
{
    return objGridColumns ? objGridColumns->Count() : 8;
}

void frmDeleteTiffpage::showEvent(QShowEvent* event)
{
    // The caller fills colSelectedData after constructing the dialog, so
    // the load work waits for the first showing.
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmDeleteTiffpage::closeEvent(QCloseEvent* event)
{
    // A run yields to the message loop between files; the window stays
    // until the run has reported.
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmDeleteTiffpage::reject()
{
    if (!running_)
        QDialog::reject();
}

void frmDeleteTiffpage::Form_Load()
{
    InitFiles();
    FillGrid();
    OptDelEndFile_->setChecked(true);
    OptDelEndFile_Click();
}

void frmDeleteTiffpage::InitFiles()
{
    ErrorTrap trap = Trap("InitFiles");
    try {
        trap.Line(10);
        page_dialog::InitFilesGrid(*vsFilesSetOrder_, QStringLiteral("Delete at"));
    } catch (...) {
        trap.Log();
    }
}

void frmDeleteTiffpage::FillGrid()
{
    ErrorTrap trap = Trap("FillGrid");
    try {
        trap.Line(10);
        page_dialog::FillFilesGrid(*vsFilesSetOrder_, colSelectedData, QStringLiteral("0"));
    } catch (...) {
        trap.Log();
    }
}

void frmDeleteTiffpage::OptDelEndFile_Click()
{
    txtpageno_->setEnabled(false);
    if (DeleteAtColumn() < vsFilesSetOrder_->ColumnCount())
        vsFilesSetOrder_->SetColumnHiddenAt(DeleteAtColumn(), true);
}

void frmDeleteTiffpage::optDelAtPageNo_Click()
{
    txtpageno_->setEnabled(true);
    if (DeleteAtColumn() < vsFilesSetOrder_->ColumnCount())
        vsFilesSetOrder_->SetColumnHiddenAt(DeleteAtColumn(), true);
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
        page_dialog::RunGuard guard(*this, cmdDelete_, running_);

        trap.Line(40);
        Grid& g = *vsFilesSetOrder_;
        const int files = g.RowCount() - 1;
        ProgressBar1_->setRange(0, files > 0 ? files : 1);
        ProgressBar1_->setValue(0);

        trap.Line(50);
        const bool last = OptDelEndFile_->isChecked();
        const std::int32_t typed = page_dialog::TypedPageNumber(txtpageno_->text());
        std::optional<TiffPdfCommands> commands;
        QString failureList;

        for (int r = 1; r < g.RowCount(); ++r) {
            trap.Line(60);
            const std::optional<std::int16_t> page =
                PageToDelete(last, page_dialog::CurrentPageCount(g, r), typed);
            const QString source = page_dialog::SourcePath(g, r);
            trap.Line(70);
            ProgressBar1_->setValue(ProgressBar1_->value() + 1);
            trap.Line(80);
            if (!commands)
                commands.emplace();
            if (!page || !commands->DeleteTiffPage(source, *page))
                failureList += source + QStringLiteral("\r\n");
        }

        trap.Line(90);
        if (failureList.isEmpty()) {
            MsgBox(QStringLiteral("Successfully deleted pages."), MsgBoxIcon::Information);
        } else {
            frmErrorReportDialog report(this);
            report.AddError(QStringLiteral("Velmora Converesion error"),
                            QStringLiteral("Tiff pages from below file(s) couldn't deleted"), failureList);
            RunModal(report);
        }
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
