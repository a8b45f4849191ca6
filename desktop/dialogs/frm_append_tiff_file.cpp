#include "desktop/dialogs/frm_append_tiff_file.h"

#include "desktop/dialogs/frm_error_report_dialog.h"
#include "desktop/main/column_layout.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/modal_runner.h"
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
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kFormName = QStringLiteral("frmAppendTiffFile");
const QString kDateFormat = QStringLiteral("dd/mm/yyyy hh:mm ampm");

// This form's error lines end without " at time".
ErrorTrap Trap(const char* procedure)
{
    return ErrorTrap(QString::fromLatin1(procedure), ObjectKind::Form, kFormName, false);
}

// A column's position by its catalogue key; run-time error 91 without a
// catalogue.
int ColumnOf(const char* key)
{
    if (!objGridColumns)
        throw RunTimeError(rterr::ObjectNotSet);
    return GetColumnIndexByKey(QString::fromLatin1(key));
}

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
// Shared with the delete-page dialog
// ===================================================================

namespace page_dialog {

void InitFilesGrid(Grid& g, const QString& extraHeader)
{
    if (!objGridColumns)
        throw RunTimeError(rterr::ObjectNotSet);
    const GridColumns& catalogue = *objGridColumns;

    g.SetAppearance(65, false);
    g.SetAppearance(103, true);
    g.SetAppearance(66, 1);
    g.SetAppearance(61, 1);
    g.SetAppearance(88, true);
    g.SetAppearance(29, 0);
    g.SetAppearance(28, true);
    g.SetAppearance(169, true);
    g.SetAppearance(32, 3);
    g.SetAppearance(12, 0);
    g.SetAppearance(11, 1);
    g.SetHeaderBarMode(Grid::kHeaderSort);
    g.SetEditMode(0);
    g.SetRowCount(1);

    g.SetColumnCount(catalogue.Count() + 1);
    g.SetColumnAlignmentAt(-1, Grid::kAlignLeft);

    // The main window's visibility list (entries beyond the grid's columns
    // are ignored).
    for (int i = 0; i < ColumnVisibleArray.size() && i < g.ColumnCount(); ++i)
        g.SetColumnHiddenAt(i, ColumnVisibleArray.at(i) != QLatin1String("1"));

    for (const GridColumns::ColumnPtr& column : catalogue) {
        const int c = column->ColumnIndex;
        g.SetCellText(0, c, column->ColumnName);
        g.SetColumnWidthAt(c, static_cast<int>(std::nearbyint(column->ColumnWidth)));
        g.SetColumnDataTypeAt(c, column->ColumnDatatype);
        if (column->ColumnDatatype == Grid::kTypeDate)
            g.SetColumnFormatAt(c, kDateFormat);
        if (column->ColumnDatatype == Grid::kTypeDecimal)
            g.SetColumnAlignmentAt(c, Grid::kAlignRight);
        const QString& key = column->ColumnKey;
        if (key == QLatin1String("Type") || key == QLatin1String("Size (In KB)")
            || key == QLatin1String("Modified Date") || key == QLatin1String("Selection"))
            g.SetColumnHiddenAt(c, true);
    }

    const int x = catalogue.Count();
    g.SetCellText(0, x, extraHeader);
    g.SetColumnWidthAt(x, 250);
    g.SetColumnDataTypeAt(x, Grid::kTypeDecimal);
}

void FillFilesGrid(Grid& g, const RecordCollection& records, const QString& extraValue)
{
    const int name = ColumnOf("Name");
    const int selection = ColumnOf("Selection");
    const int location = ColumnOf("Location");
    const int size = ColumnOf("Size (In KB)");
    const int type = ColumnOf("Type");
    const int created = ColumnOf("Created Date");
    const int modified = ColumnOf("Modified Date");
    const int pages = ColumnOf("Pages");
    const int extra = objGridColumns->Count();

    int r = 0;
    for (const clsColSetOrderGrid& record : records) {
        ++r;
        g.SetRowCount(r + 1);
        g.SetCellText(r, name, record.filename());
        g.SetCellAttribute(Grid::kAttrCheckState, r, selection, Grid::kChecked);
        g.SetCellText(r, location, record.FileLocation());
        g.SetCellText(r, size, record.FileSize());
        g.SetCellText(r, type, record.FileType());
        g.SetCellText(r, created, record.FileCreDate());
        g.SetCellText(r, modified, record.FileModDate());
        g.SetCellText(r, pages, QString::number(record.PageCount()));
        g.SetCellText(r, extra, extraValue);
    }
    if (g.RowCount() > 1)
        g.SetCurrentRow(1);
}

void AcceptDigitsOnly(QLineEdit* box)
{
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    box->setValidator(new QRegularExpressionValidator(digits, box));
}

QString SourcePath(const Grid& g, int row)
{
    return ValidateDir(g.CellText(row, ColumnOf("Location"))) + g.CellText(row, ColumnOf("Name"));
}

std::int32_t CurrentPageCount(const Grid& g, int row)
{
    if (TiffPageCounter.IsCreated()) {
        std::int32_t pages = -1;
        if (TiffPageCounter.CountPages(SourcePath(g, row), pages) >= 0)
            return pages >= 0 ? pages : -1;
    }
    bool ok = false;
    const int shown = g.CellText(row, ColumnOf("Pages")).trimmed().toInt(&ok);
    return ok && shown >= 0 ? shown : -1;
}

std::int32_t TypedPageNumber(const QString& text)
{
    std::int64_t n = 0;
    for (const QChar ch : text) {
        if (!ch.isDigit())
            continue;
        n = n * 10 + ch.digitValue();
        if (n > std::numeric_limits<std::int32_t>::max())
            return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(n);
}

RunGuard::RunGuard(QDialog& dialog, QPushButton* runButton, bool& running)
    : dialog_(dialog), runButton_(runButton), running_(running)
{
    running_ = true;
    runButton_->setEnabled(false);
    dialog_.setCursor(Qt::WaitCursor);
}

RunGuard::~RunGuard()
{
    dialog_.unsetCursor();
    runButton_->setEnabled(true);
    running_ = false;
}

} // namespace page_dialog

// ===================================================================
// The dialog
// ===================================================================

frmAppendTiffFile::frmAppendTiffFile(QWidget* parent) : QDialog(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Append, Add or Insert TIFF Files"));

    fraSetOrder_ = new QGroupBox(QStringLiteral("1 Selected files"), this);
    fraSetOrder_->setObjectName(QStringLiteral("fraSetOrder"));
    vsFilesSetOrder_ = new Grid(fraSetOrder_);
    vsFilesSetOrder_->setObjectName(QStringLiteral("vsFilesSetOrder"));
    auto* setOrderLayout = new QVBoxLayout(fraSetOrder_);
    setOrderLayout->addWidget(vsFilesSetOrder_);

    Frame2_ = new QGroupBox(QStringLiteral("2. Append, Add or Insert Files"), this);
    Frame2_->setObjectName(QStringLiteral("Frame2"));
    OptAppEndFile_ = new QRadioButton(QStringLiteral("At the &end of file"), Frame2_);
    OptAppEndFile_->setObjectName(QStringLiteral("OptAppEndFile"));
    optAtPageNo_ = new QRadioButton(QStringLiteral("Insert or Add a&t page number"), Frame2_);
    optAtPageNo_->setObjectName(QStringLiteral("optAtPageNo"));
    txtpageno_ = new QLineEdit(Frame2_);
    txtpageno_->setObjectName(QStringLiteral("txtpageno"));
    page_dialog::AcceptDigitsOnly(txtpageno_);
    Label2_ = new QLabel(QStringLiteral("to all files"), Frame2_);
    Label2_->setObjectName(QStringLiteral("Label2"));
    auto* atPageRow = new QHBoxLayout;
    atPageRow->addWidget(optAtPageNo_);
    atPageRow->addWidget(txtpageno_);
    atPageRow->addWidget(Label2_);
    atPageRow->addStretch();
    auto* frame2Layout = new QVBoxLayout(Frame2_);
    frame2Layout->addWidget(OptAppEndFile_);
    frame2Layout->addLayout(atPageRow);

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
    cmdAppend_ = new QPushButton(QStringLiteral("&Start"), Frame4_);
    cmdAppend_->setObjectName(QStringLiteral("cmdAppend"));
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), Frame4_);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    auto* frame4Layout = new QHBoxLayout(Frame4_);
    frame4Layout->addStretch();
    frame4Layout->addWidget(cmdAppend_);
    frame4Layout->addWidget(cmdCancel_);

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

int frmAppendTiffFile::AppendAtColumn() const
{
    return objGridColumns ? objGridColumns->Count() : 8;
}

void frmAppendTiffFile::showEvent(QShowEvent* event)
{
    // The caller fills colSelectedData after constructing the dialog, so
    // the load work waits for the first showing.
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmAppendTiffFile::closeEvent(QCloseEvent* event)
{
    // A run yields to the message loop between files; the window stays
    // until the run has reported.
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmAppendTiffFile::reject()
{
    if (!running_)
        QDialog::reject();
}

void frmAppendTiffFile::Form_Load()
{
    InitFiles();
    FillGrid();
    OptAppEndFile_->setChecked(true);
    OptAppEndFile_Click();
}

void frmAppendTiffFile::InitFiles()
{
    ErrorTrap trap = Trap("InitFiles");
    try {
        trap.Line(10);
        page_dialog::InitFilesGrid(*vsFilesSetOrder_, QStringLiteral("Append at"));
    } catch (...) {
        trap.Log();
    }
}

void frmAppendTiffFile::FillGrid()
{
    ErrorTrap trap = Trap("FillGrid");
    try {
        trap.Line(10);
        page_dialog::FillFilesGrid(*vsFilesSetOrder_, colSelectedData, QStringLiteral("1"));
    } catch (...) {
        trap.Log();
    }
}

void frmAppendTiffFile::OptAppEndFile_Click()
{
    txtpageno_->setEnabled(false);
    if (AppendAtColumn() < vsFilesSetOrder_->ColumnCount())
        vsFilesSetOrder_->SetColumnHiddenAt(AppendAtColumn(), true);
}

void frmAppendTiffFile::optAtPageNo_Click()
{
    txtpageno_->setEnabled(true);
    if (AppendAtColumn() < vsFilesSetOrder_->ColumnCount())
        vsFilesSetOrder_->SetColumnHiddenAt(AppendAtColumn(), true);
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

std::vector<int> frmAppendTiffFile::RunOrder(const Grid& grid, const QString& pagesFile)
{
    std::vector<int> order;
    std::vector<int> itself;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (SameFile(page_dialog::SourcePath(grid, r), pagesFile))
            itself.push_back(r);
        else
            order.push_back(r);
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
        page_dialog::RunGuard guard(*this, cmdAppend_, running_);

        trap.Line(40);
        Grid& g = *vsFilesSetOrder_;
        const int files = g.RowCount() - 1;
        ProgressBar1_->setRange(0, files > 0 ? files : 1);
        ProgressBar1_->setValue(0);

        trap.Line(50);
        const QString pagesFile = txtAppendFile_->text();
        const bool atEnd = OptAppEndFile_->isChecked();
        const std::int32_t typed = page_dialog::TypedPageNumber(txtpageno_->text());
        std::optional<TiffPdfCommands> commands;
        std::vector<bool> failed(static_cast<std::size_t>(g.RowCount()), false);

        for (const int r : RunOrder(g, pagesFile)) {
            trap.Line(60);
            const QString source = page_dialog::SourcePath(g, r);
            const std::optional<std::int16_t> position =
                InsertPosition(atEnd, page_dialog::CurrentPageCount(g, r), typed);
            trap.Line(70);
            ProgressBar1_->setValue(ProgressBar1_->value() + 1);
            trap.Line(80);
            if (!commands)
                commands.emplace();
            if (!position || !commands->AppendFileTiffFile(source, pagesFile, *position))
                failed[static_cast<std::size_t>(r)] = true;
        }

        trap.Line(90);
        // The report lists the files in grid order.
        QString failureList;
        for (int r = 1; r < g.RowCount(); ++r) {
            if (failed[static_cast<std::size_t>(r)])
                failureList += page_dialog::SourcePath(g, r) + QStringLiteral("\r\n");
        }
        trap.Line(100);
        if (failureList.isEmpty()) {
            MsgBox(QStringLiteral("Successfully appended."), MsgBoxIcon::Information);
        } else {
            frmErrorReportDialog report(this);
            report.AddError(QStringLiteral("Velmora Converesion error"),
                            QStringLiteral("Following file(s) couldn't appended"), failureList);
            RunModal(report);
        }
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
