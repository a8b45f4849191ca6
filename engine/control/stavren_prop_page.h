#pragma once
// CStavrenPropPage: the control's only property page, "General": an empty
// page (250 by 62 dialog units) with no controls and no data of its own.

#include "platform/com/com.h"

class QWidget;

class CStavrenPropPage : public com::Object {
    Q_OBJECT

public:
    CStavrenPropPage();
    ~CStavrenPropPage() override;

    // The page's caption, "General".
    QString Caption() const;
    // A new empty page as a child of parent (the caller owns it).
    QWidget* CreatePage(QWidget* parent) const;
};
