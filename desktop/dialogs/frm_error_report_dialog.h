#pragma once
// frmErrorReportDialog: the modal "Reporting Errors" window that lists the
// files a page operation failed on. A caller creates one, calls AddError
// once with a heading, a subject line and its list of failed files, shows
// it with RunModal and drops it afterwards. The user can save the report as
// a rich-text file.

#include <QDialog>
#include <QString>

class QPushButton;
class QTextEdit;

class frmErrorReportDialog : public QDialog {
    Q_OBJECT

public:
    explicit frmErrorReportDialog(QWidget* parent = nullptr);

    // Appends one block to the report: a rule of "=", the heading, a rule of
    // "=", a rule of "-", the subject, a rule of "-", an empty line, the
    // description (the failure list, whose lines end with CR LF already),
    // an empty line. Every line ends with CR LF.
    void AddError(QString Heading, QString Subject, QString Discription);

    // The report as plain text, lines ended by CR LF.
    QString ReportText() const;

    // Asks for a file name with the common save dialog (shown through
    // RunModal); "" when the user cancels. It is Qt's own dialog, not the
    // desktop's, so it behaves the same everywhere: it asks before
    // overwriting and adds no extension.
    QString ShowSaveFileDialog(const QString& filter);

    QTextEdit* RtxtError = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    void cmdSave_Click();
    void cmdCancel_Click();

private:
    void SetReportText(const QString& text);
};
