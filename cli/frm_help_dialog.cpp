#include "cli/frm_help_dialog.h"

#include "cli/mod_master.h"
#include "operations/mod_general.h"
#include "operations/mod_itaskbar_list.h"
#include "operations/storage_folder.h"
#include "platform/message_box/message_box.h"
#include "platform/skin/window_handle.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cstdio>

namespace {

bool ReadHelpText(QString& text)
{
    QFile file(frmHelpDialog::HelpFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

frmHelpDialog::frmHelpDialog(RunState& state, QWidget* parent) : QDialog(parent), state_(state)
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

QString frmHelpDialog::HelpFilePath()
{
    return ValidateDir(QCoreApplication::applicationDirPath()) + QStringLiteral("Velmora-CommandLine-Help.txt");
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

int ShowHelp(RunState& state)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QString text;
        if (!ReadHelpText(text)) {
            MsgBox(QStringLiteral("Help file is missing."), MsgBoxIcon::Information);
            return ExitFileFailed;
        }
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return ExitSuccess;
    }
    frmHelpDialog dialog(state);
    dialog.exec();
    // The window shows an empty box when the text is missing; say why once
    // it closes.
    if (!state.ResultMessage.isEmpty()) {
        MsgBox(state.ResultMessage, MsgBoxIcon::Information);
        return ExitFileFailed;
    }
    return ExitSuccess;
}
