// libStavrenWindows.so: the control's About dialog, its property page, its
// window and drawing, and its property frame (see stavren_windows.h).

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
#include <QTabWidget>
#include <QVBoxLayout>

extern "C" __attribute__((visibility("default"))) void StavrenShowAboutDialog()
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("About Stavren Control"));
    dialog.setModal(true);

    auto* icon = new QLabel(&dialog);
    const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    icon->setPixmap(
        dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, &dialog).pixmap(size, size));

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

namespace {

// The control's window: the control's picture over its whole area.
class ControlWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        StavrenDrawControl(painter, rect());
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) QObject* StavrenCreateControlWindow(QObject* parent)
{
    auto* parentWidget = qobject_cast<QWidget*>(parent);
    return parentWidget ? new ControlWindow(parentWidget) : nullptr;
}

extern "C" __attribute__((visibility("default"))) bool StavrenShowPropertyFrame(QObject* owner, const QString& caption,
                                                                                const QList<QObject*>& pages)
{
    auto* ownerWidget = qobject_cast<QWidget*>(owner);
    if (owner && !ownerWidget) {
        qDeleteAll(pages);
        return false;
    }
    QDialog frame(ownerWidget);
    frame.setWindowTitle(caption);
    frame.setModal(true);
    auto* tabs = new QTabWidget(&frame);
    for (QObject* page : pages) {
        if (auto* widget = qobject_cast<QWidget*>(page))
            tabs->addTab(widget, widget->windowTitle());
        else
            delete page;
    }
    // The pages hold no properties, so there is never anything to apply.
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &frame);
    buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &frame, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &frame, &QDialog::reject);
    auto* layout = new QVBoxLayout(&frame);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    frame.exec();
    return true;
}

// The entry points must keep the types the loader casts them to.
static_assert(std::is_same_v<decltype(&StavrenShowAboutDialog), stavren_windows::ShowAboutFunction>);
static_assert(std::is_same_v<decltype(&StavrenCreatePropertyPage), stavren_windows::CreatePageFunction>);
static_assert(std::is_same_v<decltype(&StavrenDrawControl), stavren_windows::DrawFunction>);
static_assert(std::is_same_v<decltype(&StavrenCreateControlWindow), stavren_windows::CreateWindowFunction>);
static_assert(std::is_same_v<decltype(&StavrenShowPropertyFrame), stavren_windows::ShowFrameFunction>);
