#include "cli/frm_help_dialog.h"

#include "cli/help_text.h"
#include "cli/mod_master.h"
#include "operations/mod_itaskbar_list.h"
#include "operations/storage_folder.h"
#include "platform/skin/window_handle.h"

#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

frmHelpDialog::frmHelpDialog(CommandLineState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    RtxtHelpInfo = new QTextEdit(this);
    RtxtHelpInfo->setObjectName(QStringLiteral("RtxtHelpInfo"));
    RtxtHelpInfo->setReadOnly(true);
    RtxtHelpInfo->setLineWrapMode(QTextEdit::NoWrap);
    RtxtHelpInfo->setFontFamily(QStringLiteral("monospace"));
    cmdExit = new QPushButton(QStringLiteral("&Close"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RtxtHelpInfo, 1);
    layout->addWidget(cmdExit, 0, Qt::AlignRight);
    resize(640, 520);

    connect(cmdExit, &QPushButton::clicked, this, &frmHelpDialog::cmdExit_Click);
    Form_Load();
}

frmHelpDialog::~frmHelpDialog()
{
    Form_Unload();
}

void frmHelpDialog::Form_Load()
{
    setWindowTitle(QStringLiteral("Help ") + QString::fromUtf16(kApplicationTitle));
    QString text;
    if (!ReadHelpText(text)) {
        state_.ResultMessage = QStringLiteral("Help file is missing.");
        return;
    }
    RtxtHelpInfo->setPlainText(text);
    TaskbarAddTab(WindowHandleOf(this));
    taskbarTabAdded_ = true;
}

void frmHelpDialog::cmdExit_Click()
{
    accept();
}

void frmHelpDialog::Form_Unload()
{
    if (taskbarTabAdded_)
        TaskbarDeleteTab(WindowHandleOf(this));
    taskbarTabAdded_ = false;
}
