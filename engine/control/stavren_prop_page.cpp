#include "engine/control/stavren_prop_page.h"

#include "engine/control/stavren_ids.h"

#include <QFontMetrics>
#include <QWidget>

CStavrenPropPage::CStavrenPropPage() = default;
CStavrenPropPage::~CStavrenPropPage() = default;

QString CStavrenPropPage::Caption() const
{
    return QString::fromLatin1(stavren_ids::kPropPageCaption);
}

QWidget* CStavrenPropPage::CreatePage(QWidget* parent) const
{
    auto* page = new QWidget(parent);
    page->setWindowTitle(Caption());
    // 250 by 62 dialog units: a unit is a quarter of the average character
    // width across and an eighth of the character height down.
    const QFontMetrics fm(page->font());
    page->resize(250 * fm.averageCharWidth() / 4, 62 * fm.height() / 8);
    return page;
}
