#include "desktop/dialogs/frm_error_report_dialog.h"

#include "desktop/core/modal_runner.h"
#include "desktop/dialogs/rtf_writer.h"
#include "operations/error_trap.h"
#include "platform/message_box/message_box.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kFormName = QStringLiteral("frmErrorReportDialog");
const ProcedureTraps Trap(ObjectKind::Form, kFormName);
const QString kLineEnd = QStringLiteral("\r\n");

QString Rule(char16_t c)
{
    return QString(51, QChar(c));
}

// The description and pattern pairs of a filter joined by "|", as name
// filters: "Rich Text Files (*.rtf)|*.rtf" -> "Rich Text Files (*.rtf)"; a
// description that does not already end in its patterns gets them added
// ("Reports|*.rtf" -> "Reports (*.rtf)").
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QStringLiteral("(") + patterns + QLatin1Char(')');
        const QString description = parts.at(i).trimmed();
        filters << (description.endsWith(shown) ? description : description + QLatin1Char(' ') + shown);
    }
    if (filters.isEmpty())
        filters << QStringLiteral("All Files (*)");
    return filters;
}

} // namespace

frmErrorReportDialog::frmErrorReportDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Reporting Errors"));
    setModal(true);

    RtxtError = new QTextEdit(this);
    RtxtError->setObjectName(QStringLiteral("RtxtError"));
    RtxtError->setAcceptRichText(false);
    // A reason is read without scrolling sideways: long lines wrap at the
    // box's edge (a path without blanks wherever it must).
    RtxtError->setLineWrapMode(QTextEdit::WidgetWidth);
    RtxtError->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdSave->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RtxtError, 1);
    layout->addLayout(buttons);
    // Wide enough for the rules between the parts to stay on one line.
    const int rule = RtxtError->fontMetrics().horizontalAdvance(Rule(u'='));
    const int box = rule + 2 * static_cast<int>(RtxtError->document()->documentMargin()) + 2 * RtxtError->frameWidth()
                    + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    const QMargins margins = layout->contentsMargins();
    resize(std::max(520, box + margins.left() + margins.right()), 360);

    connect(cmdSave, &QPushButton::clicked, this, &frmErrorReportDialog::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmErrorReportDialog::cmdCancel_Click);
}

QString frmErrorReportDialog::ReportText() const
{
    QString text = RtxtError->toPlainText();
    text.replace(QLatin1Char('\n'), kLineEnd);
    return text;
}

void frmErrorReportDialog::SetReportText(const QString& text)
{
    // The text box keeps line feeds; CR LF is the report's own line end.
    QString shown = text;
    shown.replace(kLineEnd, QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RtxtError->setPlainText(shown);
}

void frmErrorReportDialog::AddError(QString Heading, QString Subject, QString Discription)
{
    ErrorTrap trap = Trap("AddError");
    try {
        trap.Line(10);
        QString text = ReportText();
        trap.Line(20);
        text += Rule(u'=') + kLineEnd;
        text += Heading + kLineEnd;
        text += Rule(u'=') + kLineEnd;
        text += Rule(u'-') + kLineEnd;
        text += Subject + kLineEnd;
        text += Rule(u'-') + kLineEnd;
        text += kLineEnd;
        text += Discription + kLineEnd;
        text += kLineEnd;
        trap.Line(30);
        SetReportText(text);
    } catch (...) {
        trap.Log();
    }
}

QString frmErrorReportDialog::ShowSaveFileDialog(const QString& filter)
{
    try {
        QFileDialog dialog(this, QStringLiteral("Save File"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Our own dialog, so the overwrite question and the existing-folder
        // rule behave the same on every desktop; no extension is added.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setDefaultSuffix(QString());
        const QStringList filters = NameFilters(filter);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
        if (RunModal(dialog) != QDialog::Accepted)
            return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    } catch (...) {
        return QString();
    }
}

void frmErrorReportDialog::cmdSave_Click()
{
    ErrorTrap trap = Trap("cmdSave_Click");
    try {
        trap.Line(10);
        const QString path = ShowSaveFileDialog(QStringLiteral("Rich Text Files (*.rtf)|*.rtf"));
        trap.Line(20);
        if (!path.isEmpty()) {
            trap.Line(30);
            if (!WriteRtfFile(path, ReportText()))
                throw RunTimeError(rterr::PathFileAccessError, QStringLiteral("Path/File access error: ") + path);
        }
    } catch (...) {
        // The user asked for a file: that it was not written is said, not
        // only logged.
        const RunTimeError error = trap.Log();
        MsgBox(QStringLiteral("Unable to save the report!\r\n\r\n") + error.description(), MsgBoxIcon::Information);
    }
}

void frmErrorReportDialog::cmdCancel_Click()
{
    close();
}
