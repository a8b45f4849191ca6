// libStavrenWindows.so: the control's About dialog, its property page and
// its drawing (see stavren_windows.h).

#include "engine/control/stavren_ids.h"
#include "engine/control/stavren_windows.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

extern "C" __attribute__((visibility("default"))) void StavrenShowAboutDialog()
{
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

extern "C" __attribute__((visibility("default"))) QObject* StavrenCreatePropertyPage(QObject* parent,
                                                                                    const QString& caption)
{
    auto* parentWidget = qobject_cast<QWidget*>(parent);
    if (parent && !parentWidget)
        return nullptr;
    auto* page = new QWidget(parentWidget);
    page->setWindowTitle(caption);
    // 250 by 62 dialog units: a unit is a quarter of the average character
    // width across and an eighth of the character height down.
    const QFontMetrics fm(page->font());
    page->resize(250 * fm.averageCharWidth() / 4, 62 * fm.height() / 8);
    return page;
}

extern "C" __attribute__((visibility("default"))) void StavrenDrawControl(QPainter& painter, const QRect& bounds)
{
    painter.fillRect(bounds, Qt::white);
    painter.drawEllipse(bounds);
}

// The entry points must keep the types the loader casts them to.
static_assert(std::is_same_v<decltype(&StavrenShowAboutDialog), stavren_windows::ShowAboutFunction>);
static_assert(std::is_same_v<decltype(&StavrenCreatePropertyPage), stavren_windows::CreatePageFunction>);
static_assert(std::is_same_v<decltype(&StavrenDrawControl), stavren_windows::DrawFunction>);
