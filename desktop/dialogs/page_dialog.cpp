#include "desktop/dialogs/page_dialog.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/list_look.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/dialogs/frm_error_report_dialog.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"
#include "platform/runtime/run_time_error.h"

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

#include <limits>
#include <optional>

namespace page_dialog {

namespace {

// A column's position by its catalogue key; run-time error 91 without a
// catalogue.
int ColumnOf(const char* key)
{
    static_cast<void>(TheGridColumns()); // 91 without a catalogue
    return GetColumnIndexByKey(QString::fromLatin1(key));
}

} // namespace

void InitFilesGrid(Grid& g, const QString& extraHeader)
{
    const GridColumns& catalogue = TheGridColumns();

    SetListLook(g, ListLook::PageDialogFiles);
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
        SetUpCatalogueColumn(g, *column);
        const QString& key = column->ColumnKey;
        if (key == QLatin1String("Type") || key == QLatin1String("Size (In KB)")
            || key == QLatin1String("Modified Date") || key == QLatin1String("Selection"))
            g.SetColumnHiddenAt(column->ColumnIndex, true);
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
    const int extra = ExtraColumn();

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

void LoadFiles(Grid& grid, const RecordCollection& records, const QString& extraHeader, const QString& extraValue,
               const QString& formName, bool logTime)
{
    const ProcedureTraps Trap(ObjectKind::Form, formName, logTime);
    {
        ErrorTrap trap = Trap("InitFiles");
        try {
            trap.Line(10);
            InitFilesGrid(grid, extraHeader);
        } catch (...) {
            trap.Log();
        }
    }
    ErrorTrap trap = Trap("FillGrid");
    try {
        trap.Line(10);
        FillFilesGrid(grid, records, extraValue);
    } catch (...) {
        trap.Log();
    }
}

int ExtraColumn()
{
    return objGridColumns ? objGridColumns->Count() : 8;
}

void HideExtraColumn(Grid& g)
{
    const int extra = ExtraColumn();
    if (extra < g.ColumnCount())
        g.SetColumnHiddenAt(extra, true);
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

std::vector<ListedFile> ListedFiles(const Grid& g)
{
    std::vector<ListedFile> files;
    const int pages = ColumnOf("Pages");
    for (int r = 1; r < g.RowCount(); ++r)
        files.push_back(ListedFile{SourcePath(g, r), g.CellText(r, pages)});
    return files;
}

std::int32_t CurrentPageCount(const ListedFile& file)
{
    if (TiffPageCounter.IsCreated()) {
        std::int32_t pages = -1;
        if (TiffPageCounter.CountPages(file.path, pages) >= 0)
            return pages >= 0 ? pages : -1;
    }
    bool ok = false;
    const int shown = file.shownPages.trimmed().toInt(&ok);
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

QString RunOverFiles(const std::vector<ListedFile>& files, const std::vector<std::size_t>& order, QProgressBar* bar,
                     const FileWork& work)
{
    const int count = static_cast<int>(files.size());
    bar->setRange(0, count > 0 ? count : 1);
    bar->setValue(0);

    std::optional<TiffPdfCommands> commands;
    std::vector<bool> failed(files.size(), false);
    std::vector<QString> why(files.size());
    for (const std::size_t i : order) {
        bar->setValue(bar->value() + 1);
        if (!commands)
            commands.emplace();
        if (!work(files.at(i), *commands, why.at(i)))
            failed[i] = true;
    }

    QString failureList;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!failed[i])
            continue;
        failureList += files[i].path;
        if (!why[i].isEmpty())
            failureList += QStringLiteral(" (") + why[i] + QLatin1Char(')');
        failureList += QStringLiteral("\r\n");
    }
    return failureList;
}

void ReportOutcome(QWidget* parent, const QString& failureList, const QString& success, const QString& subject)
{
    if (failureList.isEmpty()) {
        MsgBox(success, MsgBoxIcon::Information);
        return;
    }
    frmErrorReportDialog report(parent);
    report.AddError(QStringLiteral("Velmora Converesion error"), subject, failureList);
    RunModal(report);
}

QGroupBox* NewFilesFrame(QWidget* parent, Grid*& grid)
{
    auto* frame = new QGroupBox(QStringLiteral("1 Selected files"), parent);
    frame->setObjectName(QStringLiteral("fraSetOrder"));
    grid = new Grid(frame);
    grid->setObjectName(QStringLiteral("vsFilesSetOrder"));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(grid);
    return frame;
}

QGroupBox* NewProgressFrame(QWidget* parent, QProgressBar*& bar)
{
    auto* frame = new QGroupBox(QStringLiteral("Proccessing"), parent);
    frame->setObjectName(QStringLiteral("Frame3"));
    bar = new QProgressBar(frame);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setRange(0, 100);
    bar->setValue(0);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(bar);
    return frame;
}

QGroupBox* NewButtonsFrame(QWidget* parent, const QString& runCaption, const QString& runName, QPushButton*& run,
                           QPushButton*& cancel)
{
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QStringLiteral("Frame4"));
    run = new QPushButton(runCaption, frame);
    run->setObjectName(runName);
    cancel = new QPushButton(QStringLiteral("&Cancel"), frame);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* layout = new QHBoxLayout(frame);
    layout->addStretch();
    layout->addWidget(run);
    layout->addWidget(cancel);
    return frame;
}

PositionFrame NewPositionFrame(QWidget* parent, const PositionTexts& texts)
{
    PositionFrame f;
    f.frame = new QGroupBox(QString::fromLatin1(texts.title), parent);
    f.frame->setObjectName(QStringLiteral("Frame2"));
    f.wholeFile = new QRadioButton(QString::fromLatin1(texts.wholeCaption), f.frame);
    f.wholeFile->setObjectName(QString::fromLatin1(texts.wholeName));
    f.atPageNo = new QRadioButton(QString::fromLatin1(texts.atCaption), f.frame);
    f.atPageNo->setObjectName(QString::fromLatin1(texts.atName));
    f.pageno = new QLineEdit(f.frame);
    f.pageno->setObjectName(QStringLiteral("txtpageno"));
    AcceptDigitsOnly(f.pageno);
    f.label = new QLabel(QString::fromLatin1(texts.labelCaption), f.frame);
    f.label->setObjectName(QString::fromLatin1(texts.labelName));
    auto* atPageRow = new QHBoxLayout;
    atPageRow->addWidget(f.atPageNo);
    atPageRow->addWidget(f.pageno);
    atPageRow->addWidget(f.label);
    atPageRow->addStretch();
    auto* layout = new QVBoxLayout(f.frame);
    layout->addWidget(f.wholeFile);
    layout->addLayout(atPageRow);
    return f;
}

} // namespace page_dialog
