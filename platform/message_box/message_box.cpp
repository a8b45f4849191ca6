#include "platform/message_box/message_box.h"

#include <QStringList>

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

MsgBoxHandler& Handler()
{
    static MsgBoxHandler handler;
    return handler;
}

bool IsQuestion(MsgBoxButtons buttons)
{
    return buttons == MsgBoxButtons::YesNo || buttons == MsgBoxButtons::YesNoCancel;
}

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

QString DefaultMsgBoxTitle()
{
    return QStringLiteral("Velmora 3.1");
}

void SetMsgBoxHandler(MsgBoxHandler handler)
{
    Handler() = std::move(handler);
}

bool DisplayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    // QT_QPA_PLATFORM may list several platforms ("wayland;xcb"), each with
    // options after ":". Those of a window system need its display; without
    // one, creating the application would abort the program.
    const QStringList platforms = qEnvironmentVariable("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& entry : platforms) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (!name.isEmpty() && name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return true;
    }
    return false;
}

MsgBoxResult MsgBox(const QString& text, MsgBoxIcon icon, MsgBoxButtons buttons, const QString& title)
{
    if (Handler())
        return Handler()(MsgBoxRequest{text, icon, buttons, title});

    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        const QByteArray line = (title + QStringLiteral(": ") + text).toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return IsQuestion(buttons) ? MsgBoxResult::No : MsgBoxResult::OK;
    }

    QMessageBox box(ToQtIcon(icon), title, text, ToQtButtons(buttons));
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgBoxResult::Yes;
    case QMessageBox::No: return MsgBoxResult::No;
    case QMessageBox::Cancel: return MsgBoxResult::Cancel;
    default: return MsgBoxResult::OK;
    }
}
