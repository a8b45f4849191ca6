#include "platform/message_box/message_box_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

// Makes a box at least as wide as its title needs on the window frame:
// the title in a bold face, with room for the frame's icon and its three
// buttons. A short text ("Split completed") would otherwise leave the
// title cut short.
void WidenToTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int wanted = metrics.horizontalAdvance(box.windowTitle()) + 10 * metrics.height();
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace

std::optional<MsgBoxResult> ShowMessageBoxWindow(const MsgBoxRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    QMessageBox box(ToQtIcon(request.icon), request.title, request.text, ToQtButtons(request.buttons));
    WidenToTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgBoxResult::Yes;
    case QMessageBox::No: return MsgBoxResult::No;
    case QMessageBox::Cancel: return MsgBoxResult::Cancel;
    default: return MsgBoxResult::OK;
    }
}
