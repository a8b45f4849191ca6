#include "engine/control/stavren_about_dialog.h"

#include "engine/control/stavren_ids.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>

void ShowStavrenAboutDialog()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return;

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("About Stavren Control"));
    dialog.setModal(true);

    auto* icon = new QLabel(&dialog);
    const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    icon->setPixmap(dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, &dialog).pixmap(size, size));

    auto* title = new QLabel(QStringLiteral("Stavren Control, Version 1.0"), &dialog);
    auto* notice = new QLabel(QString::fromLatin1(stavren_ids::kMakerNotice), &dialog);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, Qt::Vertical, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);

    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1);
    layout->addWidget(notice, 1, 1);
    layout->addWidget(buttons, 0, 2, 2, 1, Qt::AlignTop);
    layout->setColumnStretch(1, 1);

    dialog.exec();
}
