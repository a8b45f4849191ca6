#include "engine/control/stavren_prop_page.h"

#include "engine/control/stavren_ids.h"

#include <QApplication>
#include <QFontMetrics>
#include <QThread>
#include <QWidget>

CStavrenPropPage::CStavrenPropPage() = default;
CStavrenPropPage::~CStavrenPropPage() = default;

QString CStavrenPropPage::Caption() const
{
    return QString::fromLatin1(stavren_ids::kPropPageCaption);
}

QVariant CStavrenPropPage::CreatePage(const QVariant& parent) const
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return {};
    QWidget* parentWidget = nullptr;
    if (parent.isValid() && !parent.isNull()) {
        parentWidget = qobject_cast<QWidget*>(parent.value<QObject*>());
        if (!parentWidget)
            return {};
    }
    auto* page = new QWidget(parentWidget);
    page->setWindowTitle(Caption());
    // 250 by 62 dialog units: a unit is a quarter of the average character
    // width across and an eighth of the character height down.
    const QFontMetrics fm(page->font());
    page->resize(250 * fm.averageCharWidth() / 4, 62 * fm.height() / 8);
    return QVariant::fromValue<QObject*>(page);
}
