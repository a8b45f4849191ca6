#include "desktop/dialogs/page_operation_dialog.h"

#include <QCloseEvent>
#include <QShowEvent>

void PageOperationDialog::reject()
{
    if (!running_)
        QDialog::reject();
}

void PageOperationDialog::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void PageOperationDialog::closeEvent(QCloseEvent* event)
{
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
