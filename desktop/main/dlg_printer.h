#pragma once
// dlgPrinter: the printer dialog of the grid's Print command. It offers the
// printers the system knows, the default one chosen, and nothing else: the
// file goes to the chosen printer as it is ("lp -d <printer>"), so a choice
// of copies, pages or a file to print to could not be honoured.
//
// It is built only where Qt's print support is installed; without it the
// Print command sends the file to the default printer ("lp -- path").

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QDialogButtonBox;
class QPushButton;

class dlgPrinter : public QDialog {
    Q_OBJECT
public:
    // `printers` in the order to list them; `defaultPrinter` is chosen at
    // first when it is one of them. With no printer, Print is disabled.
    dlgPrinter(const QStringList& printers, const QString& defaultPrinter, QWidget* parent = nullptr);

    // The printer chosen; empty when there is none to choose.
    QString PrinterName() const;

    QComboBox* cboPrinter = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdCancel = nullptr;
};
