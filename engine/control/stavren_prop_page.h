#pragma once
// CStavrenPropPage: the control's only property page, "General": an empty
// page (250 by 62 dialog units) with no controls and no data of its own.
// It is created by its class identifier and reached by dispatch names,
// as a property frame reaches it.

#include "platform/com/com.h"

#include <QVariant>

class QWidget;

class CStavrenPropPage : public com::Object {
    Q_OBJECT

public:
    CStavrenPropPage();
    ~CStavrenPropPage() override;

    // The page's caption, "General".
    Q_INVOKABLE QString Caption() const;
    // A new empty page as a child of `parent` (a QWidget held as a
    // QObject*; an empty value gives a window of its own), returned as a
    // QObject* of the page's QWidget; the caller owns it. An empty value
    // when no GUI application runs on this thread or parent is not a
    // widget.
    Q_INVOKABLE QVariant CreatePage(const QVariant& parent) const;
};
