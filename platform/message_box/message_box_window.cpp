#include "platform/message_box/message_box_window.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(MsgBoxIcon icon)
{
    switch (icon) {
    case MsgBoxIcon::Information: return QMessageBox::Information;
    case MsgBoxIcon::Exclamation: return QMessageBox::Warning;
    case MsgBoxIcon::Critical: return QMessageBox::Critical;
    case MsgBoxIcon::Question: return QMessageBox::Question;
    case MsgBoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgBoxButtons buttons)
{
    switch (buttons) {
    case MsgBoxButtons::OK: return QMessageBox::Ok;
    case MsgBoxButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgBoxButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgBoxButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

std::optional<MsgBoxResult> ShowMessageBoxWindow(const MsgBoxRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    QMessageBox box(ToQtIcon(request.icon), request.title, request.text, ToQtButtons(request.buttons));
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgBoxResult::Yes;
    case QMessageBox::No: return MsgBoxResult::No;
    case QMessageBox::Cancel: return MsgBoxResult::Cancel;
    default: return MsgBoxResult::OK;
    }
}
