#include "desktop/dialogs/dlg_save.h"

#include "desktop/core/program_objects.h"
#include "desktop/dialogs/folder_tree.h"
#include "desktop/dialogs/line_edit_filter.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/shell_folders.h"
#include "platform/message_box/message_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString kForm = QStringLiteral("dlgSave");

const ProcedureTraps Trap(ObjectKind::Form, kForm);

// The four file types in list order, with their item data.
struct FileType {
    const char* text;
    int itemData;
};
const FileType kFileTypes[] = {
    {"Text Document (*.txt)", 1},
    {"Excel Worksheet(*.xls)", 2},
    {"CSV File (*.csv)", 3},
    {"Word Document (*.doc)", 4},
};

// The list entries that ask for a column separator (txt and doc).
bool AsksSeparator(int index)
{
    return index == 0 || index == 3;
}

QDate CurrentDate()
{
    return QDate::currentDate();
}

} // namespace

QDate (*dlgSave::TodayProvider)() = &CurrentDate;

QString dlgSave::CancelledName()
{
    return QStringLiteral("//Cancelled//");
}

QString dlgSave::DefaultExportFolder()
{
    return QDir::homePath();
}

dlgSave::dlgSave(QWidget* parent) : QDialog(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Export"));
    setModal(true);

    ftvFolder = new QTreeView(this);
    ftvFolder->setObjectName(QStringLiteral("ftvFolder"));
    ftvFolderModel = SetUpFolderTree(ftvFolder, this);
    connect(ftvFolder->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    folderPath_ = ftvFolderModel->filePath(current);
            });

    fmeFile = new QGroupBox(this);
    fmeFile->setObjectName(QStringLiteral("fmeFile"));
    Label1 = new QLabel(QStringLiteral("File &Name"), fmeFile);
    txtFileName = new QLineEdit(fmeFile);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    Label1->setBuddy(txtFileName);
    Label2 = new QLabel(QStringLiteral("File &Type"), fmeFile);
    cboFileType = new QComboBox(fmeFile);
    cboFileType->setObjectName(QStringLiteral("cboFileType"));
    Label2->setBuddy(cboFileType);
    lblDelimeter = new QLabel(QStringLiteral("Column Se&parator"), fmeFile);
    txtColSaperator = new QLineEdit(fmeFile);
    txtColSaperator->setObjectName(QStringLiteral("txtColSaperator"));
    lblDelimeter->setBuddy(txtColSaperator);
    ChkOpenFile = new QCheckBox(QStringLiteral("&Open Exported file after completion"), fmeFile);
    ChkOpenFile->setObjectName(QStringLiteral("ChkOpenFile"));

    auto* fields = new QGridLayout(fmeFile);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txtFileName, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(cboFileType, 1, 1);
    fields->addWidget(lblDelimeter, 2, 0);
    fields->addWidget(txtColSaperator, 2, 1);
    fields->addWidget(ChkOpenFile, 3, 0, 1, 2);

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* right = new QVBoxLayout;
    right->addWidget(fmeFile);
    right->addStretch(1);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout(this);
    top->addWidget(ftvFolder, 1);
    top->addLayout(right, 1);
    resize(620, 360);

    txtFileName->installEventFilter(this);
    txtColSaperator->installEventFilter(this);
    // Pasted text passes no key handler: what it brings is filtered too.
    connect(txtFileName, &QLineEdit::textEdited, this, [this] { StripReservedChars(txtFileName, true); });
    connect(txtColSaperator, &QLineEdit::textEdited, this, [this] { StripReservedChars(txtColSaperator, false); });
    connect(cboFileType, &QComboBox::currentIndexChanged, this, [this] { cboFileType_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void dlgSave::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && unloaded_) {
        unloaded_ = false;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void dlgSave::done(int result)
{
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    QDialog::done(result);
}

bool dlgSave::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFileName || watched == txtColSaperator) {
        if (event->type() == QEvent::FocusIn) {
            if (watched == txtFileName)
                txtFileName_GotFocus();
            else
                txtColSaperator_GotFocus();
        } else if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            for (QChar c : typed) {
                int key = c.unicode();
                if (watched == txtFileName)
                    txtFileName_KeyPress(key);
                else
                    txtColSaperator_KeyPress(key);
                if (key == 0)
                    return true; // the key is dropped
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void dlgSave::StripReservedChars(QLineEdit* box, bool fileName)
{
    StripRefusedCharacters(box, [fileName](QChar c) { return fileName ? IsReservedChar(c) : c == QLatin1Char('"'); });
}

void dlgSave::SetFolderPath(const QString& path)
{
    const QString shown = path == QLatin1String("Desktop") ? GetSpecialfolder(CSIDL_DESKTOP) : path;
    ShowFolderInTree(ftvFolder, ftvFolderModel, shown);
    folderPath_ = path;
}

void dlgSave::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        trap.Line(10);
        // Every showing starts a new choice: closing without "&Save" must
        // read as cancelled, and xls/csv must not inherit an old separator.
        filename_.clear();
        columnSaperator_.clear();
        trap.Line(20);
        QString location = TheSettings().ExportLocation();
        if (location.trimmed().isEmpty() || location == QString(QChar(0)))
            location = DefaultExportFolder();
        SetFolderPath(location);
        trap.Line(30);
        FillComboBox();
        trap.Line(40);
        ChkOpenFile->setChecked(TheSettings().IsOpenFileAfterExport() == 1);
        trap.Line(50);
        txtFileName->setMaxLength(255);
        txtColSaperator->setMaxLength(1);
        trap.Line(60);
        txtFileName->setText(TodayProvider().toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral("_Data"));
        trap.Line(70);
        txtColSaperator->setText(QStringLiteral(","));
    } catch (...) {
        trap.Log();
    }
}

void dlgSave::FillComboBox()
{
    ErrorTrap trap = Trap("FillComboBox");
    try {
        trap.Line(10);
        cboFileType->clear();
        for (const FileType& type : kFileTypes)
            cboFileType->addItem(QString::fromLatin1(type.text), type.itemData);
        trap.Line(20);
        cboFileType->setCurrentIndex(1);
        cboFileType_Click();
    } catch (...) {
        trap.Log();
    }
}

void dlgSave::cboFileType_Click()
{
    const bool asks = AsksSeparator(cboFileType->currentIndex());
    lblDelimeter->setVisible(asks);
    txtColSaperator->setVisible(asks);
}

void dlgSave::txtFileName_GotFocus()
{
    txtFileName->selectAll();
}

void dlgSave::txtColSaperator_GotFocus()
{
    txtColSaperator->selectAll();
}

bool dlgSave::IsReservedChar(QChar key)
{
    switch (key.unicode()) {
    case u'|':
    case u'\\':
    case u'?':
    case u'>':
    case u'<':
    case u':':
    case u'/':
    case u'*':
    case u'"': return true;
    default: return false;
    }
}

void dlgSave::txtFileName_KeyPress(int& KeyAscii)
{
    if (KeyAscii > 0 && KeyAscii <= 0xFFFF && IsReservedChar(QChar(static_cast<char16_t>(KeyAscii))))
        KeyAscii = 0;
}

void dlgSave::txtColSaperator_KeyPress(int& KeyAscii)
{
    if (KeyAscii == u'"')
        KeyAscii = 0;
}

QString dlgSave::GetExtFromFileType(const QString& fileTypeText)
{
    return fileTypeText.right(4).left(3);
}

bool dlgSave::Validate()
{
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please specify file name."), MsgBoxIcon::Information, MsgBoxButtons::OK,
               QStringLiteral("Velmora 3.1"));
        return false;
    }
    if (!txtColSaperator->isHidden() && txtColSaperator->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter column saperator."), MsgBoxIcon::Information, MsgBoxButtons::OK,
               QStringLiteral("Velmora 3.1"));
        return false;
    }
    return true;
}

void dlgSave::cmdSave_Click()
{
    ErrorTrap trap = Trap("cmdSave_Click");
    try {
        trap.Line(10);
        if (!Validate())
            return;
        trap.Line(20);
        const QString ext = GetExtFromFileType(cboFileType->currentText());
        QString name = txtFileName->text();
        // A name typed with the type's own extension does not get it twice.
        if (name.contains(QLatin1Char('.')) && name.right(4).compare(QLatin1Char('.') + ext, Qt::CaseInsensitive) == 0)
            name.chop(4);
        trap.Line(30);
        QString folder = FolderPath();
        if (folder == QLatin1String("Desktop"))
            folder = GetSpecialfolder(CSIDL_DESKTOP);
        trap.Line(40);
        const QString target = ValidateDir(folder) + name + QLatin1Char('.') + ext;
        trap.Line(50);
        // An existing file is replaced only when the user says so; a "No"
        // leaves the dialog open for another name or folder.
        if (QFileInfo::exists(target)) {
            const MsgBoxResult answer =
                MsgBox(target + QStringLiteral(" already exists.\r\nDo you want to replace it?"), MsgBoxIcon::Question,
                       MsgBoxButtons::YesNo, QStringLiteral("Velmora 3.1"));
            if (answer != MsgBoxResult::Yes)
                return;
        }
        trap.Line(60);
        filename_ = target;
        trap.Line(70);
        if (!txtColSaperator->isHidden())
            columnSaperator_ = txtColSaperator->text();
        trap.Line(80);
        accept();
    } catch (...) {
        trap.Log();
    }
}

void dlgSave::cmdCancel_Click()
{
    filename_ = CancelledName();
    reject();
}

void dlgSave::Form_Unload()
{
    ErrorTrap trap = Trap("Form_Unload");
    try {
        trap.Line(10);
        if (filename_.isEmpty())
            filename_ = CancelledName();
        trap.Line(20);
        openFile_ = ChkOpenFile->isChecked();
        trap.Line(30);
        TheSettings().SetIsOpenFileAfterExport(ChkOpenFile->isChecked() ? 1 : 0);
    } catch (...) {
        trap.Log();
    }
}
