#include "operations/skin_loading.h"

#include "operations/error_trap.h"
#include "platform/com/com.h"
#include "platform/skin/skin_framework.h"
#include "platform/skin/window_handle.h"

#include <QCoreApplication>
#include <QVariant>

QString SkinFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Styles/Vista.skin");
}

void LoadSkin(QWidget* window, ErrorTrap* trap, int firstLine)
{
    const auto mark = [&](int step) {
        if (trap)
            trap->Line(firstLine + 10 * step);
    };
    RegisterSkinFramework();

    mark(0);
    com::Ptr<com::Object> skin = com::CreateObject(QString::fromUtf16(kSkinFrameworkProgId));
    com::InvokeById(skin.get(), 2, {QVariant(SkinFilePath()), QVariant(QString())});

    mark(1);
    com::InvokeById(skin.get(), 3, {QVariant::fromValue<qint32>(WindowHandleOf(window))});

    mark(2);
    com::PutPropertyById(skin.get(), 1, QVariant::fromValue<qint32>(3));
}
