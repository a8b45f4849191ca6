#include "desktop/main/dlg_printer.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

dlgPrinter::dlgPrinter(const QStringList& printers, const QString& defaultPrinter, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgPrinter"));
    setWindowTitle(QStringLiteral("Print"));
    cboPrinter = new QComboBox(this);
    cboPrinter->setObjectName(QStringLiteral("cboPrinter"));
    cboPrinter->addItems(printers);
    cboPrinter->setPlaceholderText(QStringLiteral("No printer is set up"));
    cboPrinter->setCurrentIndex(printers.isEmpty() ? -1 : std::max<int>(0, printers.indexOf(defaultPrinter)));
    cboPrinter->setMinimumContentsLength(24);

    auto* buttons = new QDialogButtonBox(this);
    cmdPrint = buttons->addButton(QStringLiteral("&Print"), QDialogButtonBox::AcceptRole);
    cmdCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cmdPrint->setDefault(true);
    cmdPrint->setEnabled(!printers.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("P&rinter:"), cboPrinter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString dlgPrinter::PrinterName() const
{
    return cboPrinter->currentIndex() < 0 ? QString() : cboPrinter->currentText();
}
