#include "desktop/dialogs/frm_preferences.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/column_width.h"
#include "desktop/core/list_look.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "operations/error_trap.h"
#include "platform/grid/grid.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

const QString kForm = QStringLiteral("frmPreferences");

const ProcedureTraps Trap(ObjectKind::Form, kForm);

QString TwipsText(float width)
{
    return ColumnWidthText(static_cast<double>(width));
}

} // namespace

frmPreferences::frmPreferences(QWidget* parent) : QDialog(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Set Preferences"));
    setModal(true);

    tabPreferences = new QTabWidget(this);
    tabPreferences->setObjectName(QStringLiteral("tabPreferences"));

    // Tab "Grid".
    auto* gridTab = new QWidget(tabPreferences);
    fraColumnSettings = new QGroupBox(QStringLiteral("Column Settings"), gridTab);
    fraColumnSettings->setObjectName(QStringLiteral("fraColumnSettings"));
    vsColumnSettings = new Grid(fraColumnSettings);
    vsColumnSettings->setObjectName(QStringLiteral("vsColumnSettings"));
    cmdSelectAll = new QPushButton(QStringLiteral("Select A&ll"), fraColumnSettings);
    cmdSelectAll->setObjectName(QStringLiteral("cmdSelectAll"));
    cmdDeselectAll = new QPushButton(QStringLiteral("&Deselect All"), fraColumnSettings);
    cmdDeselectAll->setObjectName(QStringLiteral("cmdDeselectAll"));
    cmdInvertSelection = new QPushButton(QStringLiteral("&Invert Selection"), fraColumnSettings);
    cmdInvertSelection->setObjectName(QStringLiteral("cmdInvertSelection"));
    QFont arial = cmdInvertSelection->font();
    arial.setFamily(QStringLiteral("Arial"));
    cmdInvertSelection->setFont(arial);
    chkLastGridColWidth = new QCheckBox(QStringLiteral("Apply last columns widt&h"), fraColumnSettings);
    chkLastGridColWidth->setObjectName(QStringLiteral("chkLastGridColWidth"));
    chkSortbyNumeric = new QCheckBox(QStringLiteral("Allow &numeric sorting in filename"), fraColumnSettings);
    chkSortbyNumeric->setObjectName(QStringLiteral("chkSortbyNumeric"));

    auto* columnButtons = new QVBoxLayout;
    columnButtons->addWidget(cmdSelectAll);
    columnButtons->addWidget(cmdDeselectAll);
    columnButtons->addWidget(cmdInvertSelection);
    columnButtons->addStretch(1);
    auto* columnLayout = new QGridLayout(fraColumnSettings);
    columnLayout->addWidget(vsColumnSettings, 0, 0);
    columnLayout->addLayout(columnButtons, 0, 1);
    columnLayout->addWidget(chkLastGridColWidth, 1, 0, 1, 2);
    columnLayout->addWidget(chkSortbyNumeric, 2, 0, 1, 2);
    auto* gridTabLayout = new QVBoxLayout(gridTab);
    gridTabLayout->addWidget(fraColumnSettings);
    tabPreferences->addTab(gridTab, QStringLiteral("Grid"));

    // Tab "General".
    auto* generalTab = new QWidget(tabPreferences);
    fraWindowState = new QGroupBox(QStringLiteral("Window State"), generalTab);
    fraWindowState->setObjectName(QStringLiteral("fraWindowState"));
    chkDefaultWindowState = new QCheckBox(QStringLiteral("Default &Window State"), fraWindowState);
    chkDefaultWindowState->setObjectName(QStringLiteral("chkDefaultWindowState"));
    cmbDefaultWindowState = new QComboBox(fraWindowState);
    cmbDefaultWindowState->setObjectName(QStringLiteral("cmbDefaultWindowState"));
    auto* stateLayout = new QHBoxLayout(fraWindowState);
    stateLayout->addWidget(chkDefaultWindowState);
    stateLayout->addWidget(cmbDefaultWindowState, 1);

    fraProgram = new QGroupBox(QStringLiteral("General Settings"), generalTab);
    fraProgram->setObjectName(QStringLiteral("fraProgram"));
    lblStartupFolder = new QLabel(QStringLiteral("Sta&rtup Folder"), fraProgram);
    txtStartUpFolder = new QLineEdit(fraProgram);
    txtStartUpFolder->setObjectName(QStringLiteral("txtStartUpFolder"));
    txtStartUpFolder->setMaxLength(1000);
    lblStartupFolder->setBuddy(txtStartUpFolder);
    cmdStartupFolder = new QPushButton(QStringLiteral("..."), fraProgram);
    cmdStartupFolder->setObjectName(QStringLiteral("cmdStartupFolder"));
    auto* programLayout = new QHBoxLayout(fraProgram);
    programLayout->addWidget(lblStartupFolder);
    programLayout->addWidget(txtStartUpFolder, 1);
    programLayout->addWidget(cmdStartupFolder);
    auto* generalLayout = new QVBoxLayout(generalTab);
    generalLayout->addWidget(fraWindowState);
    generalLayout->addWidget(fraProgram);
    generalLayout->addStretch(1);
    tabPreferences->addTab(generalTab, QStringLiteral("General"));

    // Dialog buttons.
    cmdSetDefault = new QPushButton(QStringLiteral("Set De&fault"), this);
    cmdSetDefault->setObjectName(QStringLiteral("cmdSetDefault"));
    cmdOK = new QPushButton(QStringLiteral("&Save"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSetDefault);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(tabPreferences, 1);
    top->addLayout(buttons);
    resize(520, 420);

    connect(vsColumnSettings, &Grid::MouseDown, this,
            [this](int button, int shift, int x, int y) { vsColumnSettings_MouseDown(button, shift, x, y); });
    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { cmdSelectAll_Click(); });
    connect(cmdDeselectAll, &QPushButton::clicked, this, [this] { cmdDeselectAll_Click(); });
    connect(cmdInvertSelection, &QPushButton::clicked, this, [this] { cmdInvertSelection_Click(); });
    connect(chkDefaultWindowState, &QCheckBox::clicked, this, [this] { chkDefaultWindowState_Click(); });
    connect(cmdStartupFolder, &QPushButton::clicked, this, [this] { cmdStartupFolder_Click(); });
    connect(cmdSetDefault, &QPushButton::clicked, this, [this] { cmdSetDefault_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmPreferences::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmPreferences::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        trap.Line(10);
        FillComboBox();
        IsPreferanceChange = false;
        trap.Line(20);
        LoadPreferences();
        trap.Line(30);
        InitColumnSettings();
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::FillComboBox()
{
    ErrorTrap trap = Trap("FillComboBox");
    try {
        trap.Line(10);
        cmbDefaultWindowState->clear();
        cmbDefaultWindowState->addItem(QStringLiteral("Maximum"), 1);
        cmbDefaultWindowState->addItem(QStringLiteral("Minimum"), 2);
        cmbDefaultWindowState->addItem(QStringLiteral("Last Remembered Size"), 3);
        trap.Line(20);
        cmbDefaultWindowState->setCurrentIndex(0);
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::LoadPreferences()
{
    const Settings& s = TheSettings();
    chkDefaultWindowState->setChecked(s.WindowStateFlag() == 1);
    chkDefaultWindowState_Click();
    // A stored state outside the three entries shows the first one.
    const int state = s.WindowStateValue();
    cmbDefaultWindowState->setCurrentIndex(state >= 0 && state < cmbDefaultWindowState->count() ? state : 0);
    chkLastGridColWidth->setChecked(s.LastGridColWidthFlag() == 1);
    chkSortbyNumeric->setChecked(s.SortbyNumeric() != 0);
    txtStartUpFolder->setText(s.StartupFolder());
}

void frmPreferences::chkDefaultWindowState_Click()
{
    ErrorTrap trap = Trap("chkDefaultWindowState_Click");
    try {
        trap.Line(10);
        // The box's colour goes through its palette: a style sheet of its
        // own would also restyle its open list, which then drew the
        // highlighted entry blank.
        const bool on = chkDefaultWindowState->isChecked();
        trap.Line(on ? 20 : 30);
        cmbDefaultWindowState->setEnabled(on);
        QPalette look = cmbDefaultWindowState->palette();
        look.setColor(QPalette::Button, on ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE0, 0xE0, 0xE0));
        cmbDefaultWindowState->setPalette(look);
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::InitColumnSettings()
{
    ErrorTrap trap = Trap("InitColumnSettings");
    try {
        trap.Line(10);
        Grid& g = *vsColumnSettings;
        SetListLook(g, ListLook::ColumnSettings);
        g.SetColumnCount(4);
        g.SetRowCount(1);
        rowKeys_.clear();
        rowWidths_.clear();
        g.SetEditMode(1);
        g.SetColumnDataTypeAt(kColVisible, Grid::kTypeBoolean);
        g.SetColumnAlignmentAt(kColVisible, Grid::kAlignCenter);
        g.SetColumnAlignmentAt(kColNumber, Grid::kAlignCenter);
        g.SetColumnWidthAt(kColNumber, 500);
        g.SetColumnWidthAt(kColName, 1500);
        g.SetColumnWidthAt(kColVisible, 700);
        g.SetColumnWidthAt(kColWidth, 700);
        g.SetCellText(0, kColNumber, QStringLiteral("Sr#"));
        g.SetCellText(0, kColName, QStringLiteral("Column Name"));
        g.SetCellText(0, kColVisible, QStringLiteral("Visible"));
        g.SetCellText(0, kColWidth, QStringLiteral("WIDTH"));

        trap.Line(20);
        Settings& s = TheSettings();
        GridColumns& columns = TheGridColumns();
        // Stored lists that do not fit the columns are replaced list by
        // list (and logged) before their entries are read.
        EnsureValidColumnLists(s, columns);
        ColumnWidthArray = s.LastGridColWidth().split(QLatin1Char(','));
        ColumnVisibleArray = s.ColumnVisibility().split(QLatin1Char(','));
        ColumnOrderArray = s.ColumnReOrder().split(QLatin1Char(','));

        trap.Line(30);
        TakeColumnWidths(columns, ColumnWidthArray);

        trap.Line(40);
        int r = 0;
        for (const GridColumns::ColumnPtr& column : columns) {
            ++r;
            g.SetRowCount(g.RowCount() + 1);
            g.SetCellText(r, kColNumber, QString::number(r));
            g.SetCellText(r, kColName, column->ColumnKey);
            g.SetCellText(r, kColWidth, TwipsText(column->ColumnWidth));
            rowKeys_.append(column->ColumnKey);
            rowWidths_.append(TwipsText(column->ColumnWidth));
            if (ColumnVisibleArray.size() > 1) {
                const bool visible =
                    r - 1 < ColumnVisibleArray.size() && ColumnVisibleArray.at(r - 1) == QLatin1String("1");
                g.SetCellAttribute(Grid::kAttrCheckState, r, kColVisible, visible ? Grid::kChecked : Grid::kUnchecked);
            }
        }
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::vsColumnSettings_MouseDown(int Button, int Shift, int X, int Y)
{
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
    ErrorTrap trap = Trap("vsColumnSettings_MouseDown");
    try {
        trap.Line(10);
        // A left click on a Visible box toggles it; other presses leave the
        // cells alone.
        if (Button == 1 && vsColumnSettings->CurrentColumn() == kColVisible)
            vsColumnSettings->SetEditMode(2);
        else
            vsColumnSettings->SetEditMode(0);
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::cmdSelectAll_Click()
{
    Grid& g = *vsColumnSettings;
    if (g.RowCount() >= 2)
        g.SetCellAttribute(Grid::kAttrCheckState, 1, kColVisible, g.RowCount() - 1, kColVisible, Grid::kChecked);
}

void frmPreferences::cmdDeselectAll_Click()
{
    Grid& g = *vsColumnSettings;
    if (g.RowCount() >= 2)
        g.SetCellAttribute(Grid::kAttrCheckState, 1, kColVisible, g.RowCount() - 1, kColVisible, Grid::kUnchecked);
}

void frmPreferences::cmdInvertSelection_Click()
{
    ErrorTrap trap = Trap("cmdInvertSelection_Click");
    try {
        trap.Line(10);
        Grid& g = *vsColumnSettings;
        if (g.RowCount() < 2)
            return;
        for (int r = 1; r < g.RowCount(); ++r) {
            trap.Line(20);
            const bool ticked = g.CellAttribute(Grid::kAttrCheckState, r, kColVisible).toInt() == Grid::kChecked;
            g.SetCellAttribute(Grid::kAttrCheckState, r, kColVisible, ticked ? Grid::kUnchecked : Grid::kChecked);
        }
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::cmdStartupFolder_Click()
{
    txtStartUpFolder->setText(ShowFolderSelectionDialog());
}

QString frmPreferences::ShowFolderSelectionDialog()
{
    ErrorTrap trap = Trap("ShowFolderSelectionDialog");
    try {
        trap.Line(10);
        // The browser opens at the folder typed in the box (or the nearest
        // folder above it that exists), not where the program happens to run.
        QString start = txtStartUpFolder->text().trimmed();
        while (!start.isEmpty() && !QFileInfo(start).isDir()) {
            const QString up = QFileInfo(start).path();
            start = up == start ? QString() : up;
        }
        QFileDialog browser(this, QStringLiteral("Set Folder"), start.isEmpty() ? QDir::homePath() : start);
        browser.setFileMode(QFileDialog::Directory);
        browser.setOption(QFileDialog::ShowDirsOnly, true);
        browser.setOption(QFileDialog::DontUseNativeDialog, true);
        trap.Line(20);
        if (RunModal(browser) == QDialog::Accepted) {
            trap.Line(30);
            const QStringList chosen = browser.selectedFiles();
            QString path = chosen.isEmpty() ? QString() : chosen.first();
            const qsizetype nul = path.indexOf(QChar(0));
            if (nul >= 0)
                path.truncate(nul);
            return path;
        }
        trap.Line(40);
        return txtStartUpFolder->text();
    } catch (...) {
        trap.Log();
        return QString();
    }
}

void frmPreferences::cmdOK_Click()
{
    ErrorTrap trap = Trap("cmdOk_Click");
    try {
        trap.Line(10);
        const Grid& g = *vsColumnSettings;
        QString visibility;
        QString order;
        QString widths;
        for (int r = 1; r < g.RowCount(); ++r) {
            visibility += g.CellAttribute(Grid::kAttrCheckState, r, kColVisible).toInt() == Grid::kChecked
                              ? QStringLiteral("1,")
                              : QStringLiteral("0,");
            // The name and width cells can be typed over. A name that is not
            // the row's column, or a width that is no column width, would
            // make the stored layout unusable: the row keeps its own. A
            // width typed in the user's notation is stored in the plain one.
            QString name = g.CellText(r, kColName);
            if (r - 1 < rowKeys_.size() && name != rowKeys_.at(r - 1))
                name = rowKeys_.at(r - 1);
            const std::optional<double> typed = ColumnWidthFromText(g.CellText(r, kColWidth));
            QString width = typed ? ColumnWidthText(*typed) : g.CellText(r, kColWidth).trimmed();
            if (!typed && r - 1 < rowWidths_.size())
                width = rowWidths_.at(r - 1);
            order += name + QLatin1Char(',');
            widths += width + QLatin1Char(',');
        }

        trap.Line(20);
        // Without rows there is nothing to cut and nothing is stored.
        if (visibility.isEmpty() || order.isEmpty() || widths.isEmpty())
            throw RunTimeError(rterr::InvalidProcedureCall);
        visibility.chop(1);
        order.chop(1);
        widths.chop(1);

        trap.Line(30);
        Settings& s = TheSettings();
        s.SetColumnVisibility(visibility);
        s.SetColumnReOrder(order);
        s.SetLastGridColWidth(widths);

        trap.Line(40);
        ColumnVisibleArray = s.ColumnVisibility().split(QLatin1Char(','));
        ColumnOrderArray = s.ColumnReOrder().split(QLatin1Char(','));
        ColumnWidthArray = s.LastGridColWidth().split(QLatin1Char(','));

        trap.Line(50);
        s.SetStartupFolder(txtStartUpFolder->text());

        trap.Line(60);
        if (chkDefaultWindowState->isChecked()) {
            s.SetWindowStateFlag(1);
            s.SetWindowStateValue(static_cast<Settings::ByteArg>(std::max(0, cmbDefaultWindowState->currentIndex())));
        } else {
            s.SetWindowStateFlag(0);
            s.SetWindowStateValue(0);
        }

        trap.Line(70);
        s.SetLastGridColWidthFlag(chkLastGridColWidth->isChecked() ? 1 : 0);
        s.SetSortbyNumeric(chkSortbyNumeric->isChecked() ? 1 : 0);

        trap.Line(80);
        IsPreferanceChange = true;
        accept();
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::cmdSetDefault_Click()
{
    ErrorTrap trap = Trap("cmdSetDefault_Click");
    try {
        trap.Line(10);
        Settings& s = TheSettings();
        s.LoadDefaultSettings();
        s.LoadSettings();
        IsPreferanceChange = true;
        trap.Line(20);
        // The rows follow the catalogue; put it in the default column order
        // so that each row gets its own default width and visibility.
        if (objGridColumns)
            ::LoadGridColumns(s, *objGridColumns);
        trap.Line(30);
        LoadPreferences();
        trap.Line(40);
        InitColumnSettings();
    } catch (...) {
        trap.Log();
    }
}

void frmPreferences::cmdCancel_Click()
{
    reject();
}
