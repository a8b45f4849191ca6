#include "desktop/dialogs/frm_split_option_tiff.h"

#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/dialogs/line_edit_filter.h"
#include "operations/error_trap.h"
#include "operations/typed_number.h"
#include "platform/message_box/message_box.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frmSplitOption_Tiff");
const ProcedureTraps Trap(ObjectKind::Form, kFormName);

QLineEdit* NewEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// Characters a file name cannot hold; the name boxes drop them.
bool IsInvalidNameChar(char16_t c)
{
    switch (c) {
    case u'|':
    case u'\\':
    case u'/':
    case u'*':
    case u':':
    case u'?':
    case u'<':
    case u'>':
    case u'"': return true;
    default: return false;
    }
}

} // namespace

frmSplitOption_Tiff::frmSplitOption_Tiff(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Set Split pages"));
    setModal(true);

    // 1 Select Split Method
    FraRange = new QGroupBox(QStringLiteral("1 Select Split Method"), this);
    FraRange->setObjectName(QStringLiteral("FraRange"));
    const char* methodCaptions[4] = {"A&ll Pages", "Part:", "Split b&y every",
                                     "Split by &range. Extract all page from range eg.4-10"};
    auto* methods = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        OptSplitMathod[i] = new QRadioButton(QString::fromLatin1(methodCaptions[i]), FraRange);
        OptSplitMathod[i]->setObjectName(QStringLiteral("OptSplitMathod(%1)").arg(i));
        methods->addButton(OptSplitMathod[i], i);
    }
    Label1 = new QLabel(QStringLiteral("From"), FraRange);
    txtPartFrom = NewEdit(FraRange, "txtPartFrom");
    Label2 = new QLabel(QStringLiteral("To"), FraRange);
    txtPartTo = NewEdit(FraRange, "txtPartTo");
    txtSplitByEveryPage = NewEdit(FraRange, "txtSplitByEveryPage");
    Label3 = new QLabel(QStringLiteral("Page(s)"), FraRange);
    txtrange = NewEdit(FraRange, "txtrange");
    {
        auto* g = new QGridLayout(FraRange);
        g->addWidget(OptSplitMathod[0], 0, 0, 1, 5);
        g->addWidget(OptSplitMathod[1], 1, 0);
        g->addWidget(Label1, 1, 1);
        g->addWidget(txtPartFrom, 1, 2);
        g->addWidget(Label2, 1, 3);
        g->addWidget(txtPartTo, 1, 4);
        g->addWidget(OptSplitMathod[2], 2, 0);
        g->addWidget(txtSplitByEveryPage, 2, 2);
        g->addWidget(Label3, 2, 3, 1, 2);
        g->addWidget(OptSplitMathod[3], 3, 0, 1, 5);
        g->addWidget(txtrange, 4, 0, 1, 5);
    }

    // 2 File Name Pattern
    Frame2 = new QGroupBox(QStringLiteral("2 File Name Pattern"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* naming = new QButtonGroup(this);
    optBasename = new QRadioButton(Frame2);
    optBasename->setObjectName(QStringLiteral("optBasename"));
    lblbasename = new QLabel(QStringLiteral("&Basename"), Frame2);
    lblbasename->setBuddy(optBasename);
    optmanual = new QRadioButton(Frame2);
    optmanual->setObjectName(QStringLiteral("optmanual"));
    naming->addButton(optBasename, 0);
    naming->addButton(optmanual, 1);
    txtmanualfilename = NewEdit(Frame2, "txtmanualfilename");
    txtseparator[0] = NewEdit(Frame2, "txtseparator(0)");
    txtseparator[1] = NewEdit(Frame2, "txtseparator(1)");
    chkApplyNoPadding = new QCheckBox(QStringLiteral("&No Counter Padding"), Frame2);
    chkApplyNoPadding->setObjectName(QStringLiteral("chkApplyNoPadding"));
    chkApplyNoPadding->setToolTip(
        QStringLiteral("Allow to generate files name based on page count with padding zero."));
    {
        auto* g = new QGridLayout(Frame2);
        g->addWidget(optBasename, 0, 0);
        g->addWidget(lblbasename, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("+ Separator"), Frame2), 0, 2); // Label6
        g->addWidget(txtseparator[0], 0, 3);
        g->addWidget(new QLabel(QStringLiteral("+ Pageno"), Frame2), 0, 4); // lblpageno
        g->addWidget(optmanual, 1, 0);
        g->addWidget(txtmanualfilename, 1, 1);
        g->addWidget(new QLabel(QStringLiteral("+ Separator"), Frame2), 1, 2); // Label7
        g->addWidget(txtseparator[1], 1, 3);
        g->addWidget(new QLabel(QStringLiteral("+ Pageno"), Frame2), 1, 4); // lblpageno
        g->addWidget(chkApplyNoPadding, 2, 0, 1, 5);
    }

    // 3 Output
    FraFileopen = new QGroupBox(QStringLiteral("3 Output"), this);
    FraFileopen->setObjectName(QStringLiteral("FraFileopen"));
    chkReplaceExisting = new QCheckBox(QStringLiteral("Replace e&xisting file"), FraFileopen);
    chkReplaceExisting->setObjectName(QStringLiteral("chkReplaceExisting"));
    chkSaveatCurrLoc = new QCheckBox(QStringLiteral("Sa&ve at current file location"), FraFileopen);
    chkSaveatCurrLoc->setObjectName(QStringLiteral("chkSaveatCurrLoc"));
    ChkDefaultPathSplitTIFF = new QCheckBox(QStringLiteral("Set default o&utput folder name "), FraFileopen);
    ChkDefaultPathSplitTIFF->setObjectName(QStringLiteral("ChkDefaultPathSplitTIFF"));
    ChkOpenFolderSplitTIFF = new QCheckBox(QStringLiteral("&Open folder after splitting"), FraFileopen);
    ChkOpenFolderSplitTIFF->setObjectName(QStringLiteral("ChkOpenFolderSplitTIFF"));
    txtOutputFolder = NewEdit(FraFileopen, "txtOutputFolder");
    cmdBrowse = new QPushButton(QStringLiteral("..."), FraFileopen);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setAutoDefault(false);
    {
        auto* g = new QGridLayout(FraFileopen);
        g->addWidget(chkReplaceExisting, 0, 0, 1, 2);
        g->addWidget(chkSaveatCurrLoc, 1, 0, 1, 2);
        g->addWidget(ChkDefaultPathSplitTIFF, 2, 0, 1, 2);
        g->addWidget(ChkOpenFolderSplitTIFF, 3, 0, 1, 2);
        g->addWidget(txtOutputFolder, 4, 0);
        g->addWidget(cmdBrowse, 4, 1);
    }

    // Buttons and progress.
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cmdOk = new QPushButton(QStringLiteral("&Split"), Frame1);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), Frame1);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    {
        auto* h = new QHBoxLayout(Frame1);
        h->addStretch(1);
        h->addWidget(cmdOk);
        h->addWidget(cmdCancel);
    }
    Frame3 = new QGroupBox(QStringLiteral("Proccessing"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    ProgressBar1 = new QProgressBar(Frame3);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    {
        auto* h = new QHBoxLayout(Frame3);
        h->addWidget(ProgressBar1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FraRange);
    layout->addWidget(Frame2);
    layout->addWidget(FraFileopen);
    layout->addWidget(Frame3);
    layout->addWidget(Frame1);

    for (QLineEdit* edit :
         {txtPartFrom, txtPartTo, txtSplitByEveryPage, txtrange, txtmanualfilename, txtseparator[0], txtseparator[1]})
        edit->installEventFilter(this);
    // Pasted text passes no key filter: what it brings is stripped too.
    for (QLineEdit* edit : {txtmanualfilename, txtseparator[0], txtseparator[1]})
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (StripRefusedCharacters(edit, [](QChar c) { return IsInvalidNameChar(c.unicode()); }))
                edit->setToolTip(InvalidNameCharsTip());
        });

    for (QRadioButton* option : OptSplitMathod)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                OptSplitMathod_Click();
        });
    connect(optBasename, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optBasename_Click();
    });
    connect(optmanual, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optmanual_Click();
    });
    connect(chkSaveatCurrLoc, &QCheckBox::toggled, this, [this] { chkSaveatCurrLoc_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, &frmSplitOption_Tiff::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSplitOption_Tiff::cmdCancel_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmSplitOption_Tiff::cmdBrowse_Click);
}

frmSplitOption_Tiff::~frmSplitOption_Tiff() = default;

void frmSplitOption_Tiff::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmSplitOption_Tiff::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        trap.Line(10);
        IniFormCtl();
        trap.Line(20);
        OptSplitMathod[1]->setEnabled(false);
        trap.Line(30);
        OptSplitMathod[2]->setText(QStringLiteral("Split by"));
        trap.Line(40);
        if (objColdata.size() > 1)
            optmanual->setEnabled(false);
    } catch (...) {
        trap.Log();
    }
}

void frmSplitOption_Tiff::IniFormCtl()
{
    ErrorTrap trap = Trap("IniFormCtl");
    try {
        trap.Line(10);
        txtPartTo->setMaxLength(4);
        txtPartFrom->setMaxLength(4);
        txtSplitByEveryPage->setMaxLength(4);
        trap.Line(20);
        txtPartTo->setText(QStringLiteral("1"));
        txtSplitByEveryPage->setText(QStringLiteral("1"));
        txtrange->setText(QString());
        trap.Line(30);
        optBasename->setChecked(true);
        optBasename_Click();
        OptSplitMathod[0]->setChecked(true);
        OptSplitMathod_Click();
        trap.Line(40);
        const Settings& settings = TheSettings();
        ChkDefaultPathSplitTIFF->setChecked(settings.IsDefaultPathSplitTIFF() != 0);
        if (settings.IsDefaultPathSplitTIFF() != 0)
            txtOutputFolder->setText(settings.DefaultPathSplitTIFF());
        trap.Line(50);
        ChkOpenFolderSplitTIFF->setChecked(settings.IsOpenFolderSplitTIFF() != 0);
    } catch (...) {
        trap.Log();
    }
}

void frmSplitOption_Tiff::OptSplitMathod_Click()
{
    const SplitMethod method = SelectedMethod();
    txtPartFrom->setEnabled(method == SplitMethod::Part);
    txtPartTo->setEnabled(method == SplitMethod::Part);
    txtSplitByEveryPage->setEnabled(method == SplitMethod::InTwo);
    txtrange->setEnabled(method == SplitMethod::Range);
}

void frmSplitOption_Tiff::optBasename_Click()
{
    txtseparator[0]->setEnabled(true);
    txtseparator[1]->setEnabled(false);
    txtmanualfilename->setEnabled(false);
}

void frmSplitOption_Tiff::optmanual_Click()
{
    txtseparator[0]->setEnabled(false);
    txtseparator[1]->setEnabled(true);
    txtmanualfilename->setEnabled(true);
}

void frmSplitOption_Tiff::chkSaveatCurrLoc_Click()
{
    const bool ticked = chkSaveatCurrLoc->isChecked();
    txtOutputFolder->setEnabled(!ticked);
    cmdBrowse->setEnabled(!ticked);
}

frmSplitOption_Tiff::SplitMethod frmSplitOption_Tiff::SelectedMethod() const
{
    for (int i = 0; i < static_cast<int>(OptSplitMathod.size()); ++i)
        if (OptSplitMathod[i]->isChecked())
            return static_cast<SplitMethod>(i);
    return SplitMethod::None;
}

bool frmSplitOption_Tiff::IsDigitKey(int key)
{
    return (key >= 48 && key <= 57) || key == 8;
}

QString frmSplitOption_Tiff::InvalidNameCharsTip()
{
    return QStringLiteral("A filename can not contain any of the following character.\\n \\/*:''<>|");
}

bool frmSplitOption_Tiff::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Only typed characters are filtered; keys without a character
        // (arrows, Delete) and control characters (Enter, Esc, shortcuts)
        // pass, as they never reach a key-press filter.
        if (text.isEmpty() || text.at(0).unicode() < 32 || text.at(0).unicode() == 127)
            return false;
        const char16_t key = text.at(0).unicode();
        if (edit == txtSplitByEveryPage || edit == txtPartFrom || edit == txtPartTo)
            return !IsDigitKey(key);
        if (edit == txtrange)
            return !(IsDigitKey(key) || key == u'-');
        if (edit == txtmanualfilename || edit == txtseparator[0] || edit == txtseparator[1]) {
            if (IsInvalidNameChar(key)) {
                edit->setToolTip(InvalidNameCharsTip());
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut && (edit == txtSplitByEveryPage || edit == txtPartFrom)) {
        if (edit->text().isEmpty())
            edit->setText(QStringLiteral("1"));
    }
    return QDialog::eventFilter(watched, event);
}

bool frmSplitOption_Tiff::ValidateInput()
{
    ErrorTrap trap = Trap("ValidateInput");
    try {
        trap.Line(10);
        if (SelectedMethod() == SplitMethod::Range) {
            trap.Line(20);
            const QStringList parts = txtrange->text().split(QLatin1Char('-'));
            bool invalid = parts.size() != 2 || parts.at(0).isEmpty() || parts.at(1).isEmpty();
            trap.Line(30);
            if (!invalid)
                invalid = ToLongWholeOnly(parts.at(0)) > ToLongWholeOnly(parts.at(1));
            if (invalid) {
                trap.Line(40);
                MsgBox(QStringLiteral("Invalid range"), MsgBoxIcon::Information);
                return false;
            }
        }
        trap.Line(50);
        if (optmanual->isChecked() && txtmanualfilename->text().isEmpty()) {
            MsgBox(QStringLiteral("Please provide valid file name."), MsgBoxIcon::Information);
            return false;
        }
        trap.Line(60);
        if (!chkSaveatCurrLoc->isChecked()) {
            const QString folder = txtOutputFolder->text();
            if (!folder.trimmed().isEmpty()) {
                trap.Line(70);
                // The pages are written into it, so it must be a folder.
                if (!QFileInfo(folder).isDir()) {
                    MsgBox(QStringLiteral("Please enter Valid folder Name"), MsgBoxIcon::Information);
                    return false;
                }
            } else {
                trap.Line(80);
                const MsgBoxResult answer = MsgBox(
                    QStringLiteral("There is no output folder selected so application will store files in "
                                   "source file folder.")
                        + QStringLiteral("\r\n") + QStringLiteral("Do you want to continue without output folder?"),
                    MsgBoxIcon::Information, MsgBoxButtons::YesNo);
                if (answer != MsgBoxResult::Yes)
                    return false;
            }
        }
        trap.Line(90);
        return true;
    } catch (...) {
        trap.Log();
        return false;
    }
}

QString frmSplitOption_Tiff::ShowFolderSelectionDialog()
{
    const QString current = txtOutputFolder->text();
    try {
        QFileDialog dialog(this, QStringLiteral("Set Folder"), current);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        if (RunModal(dialog) != QDialog::Accepted)
            return current;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty() || chosen.first().isEmpty())
            return current;
        QString path = chosen.first();
        const qsizetype nul = path.indexOf(QChar(u'\0'));
        if (nul >= 0)
            path.truncate(nul);
        return path;
    } catch (...) {
        return current;
    }
}

void frmSplitOption_Tiff::cmdBrowse_Click()
{
    ErrorTrap trap = Trap("cmdBrowse_Click");
    try {
        trap.Line(10);
        txtOutputFolder->setText(ShowFolderSelectionDialog());
    } catch (...) {
        trap.Log();
    }
}

void frmSplitOption_Tiff::cmdCancel_Click()
{
    close();
}

void frmSplitOption_Tiff::done(int result)
{
    // No closing while a run works through the files (the facade lets
    // window messages run between files).
    if (running_)
        return;
    Form_Unload();
    QDialog::done(result);
}

void frmSplitOption_Tiff::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    ErrorTrap trap = Trap("Form_Unload");
    try {
        trap.Line(10);
        StoreOutputSettings(false);
    } catch (...) {
        trap.Log();
    }
}

void frmSplitOption_Tiff::StoreOutputSettings(bool clearPathWhenUnticked)
{
    Settings& settings = TheSettings();
    const bool keepDefault = ChkDefaultPathSplitTIFF->isChecked();
    settings.SetIsDefaultPathSplitTIFF(keepDefault ? 1 : 0);
    if (keepDefault)
        settings.SetDefaultPathSplitTIFF(txtOutputFolder->text());
    else if (clearPathWhenUnticked)
        settings.SetDefaultPathSplitTIFF(QString());
    settings.SetIsOpenFolderSplitTIFF(ChkOpenFolderSplitTIFF->isChecked() ? 1 : 0);
}
