#include "engine/control/stavren_prop_page.h"

#include "engine/control/stavren_ids.h"
#include "engine/control/stavren_windows.h"

CStavrenPropPage::CStavrenPropPage() = default;
CStavrenPropPage::~CStavrenPropPage() = default;

QString CStavrenPropPage::Caption() const
{
    return QString::fromLatin1(stavren_ids::kPropPageCaption);
}

QVariant CStavrenPropPage::CreatePage(const QVariant& parent) const
{
    QObject* parentObject = nullptr;
    if (!stavren_windows::ObjectArgument(parent, parentObject))
        return {};
    QObject* page = stavren_windows::CreatePropertyPage(parentObject, Caption());
    return page ? QVariant::fromValue<QObject*>(page) : QVariant();
}
