#include "platform/message_box/message_box.h"

#include <QStringList>

#include <cstdio>

namespace {

MsgBoxHandler& Handler()
{
    static MsgBoxHandler handler;
    return handler;
}

MsgBoxPresenter& Presenter()
{
    static MsgBoxPresenter presenter;
    return presenter;
}

bool IsQuestion(MsgBoxButtons buttons)
{
    return buttons == MsgBoxButtons::YesNo || buttons == MsgBoxButtons::YesNoCancel;
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

void SetMsgBoxPresenter(MsgBoxPresenter presenter)
{
    Presenter() = std::move(presenter);
}

QByteArray MsgBoxStreamText(const QString& title, const QString& text)
{
    // Lines of a box end in CR LF, and a list's last line ends the text; on
    // a stream lines end in LF, and the text ends at its last line.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (lines.endsWith(QLatin1Char('\n')))
        lines.chop(1);
    return (title + QStringLiteral(": ") + lines + QLatin1Char('\n')).toUtf8();
}

void WriteMsgBoxText(const QString& title, const QString& text)
{
    const QByteArray line = MsgBoxStreamText(title, text);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
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
    if (Presenter()) {
        if (const std::optional<MsgBoxResult> shown = Presenter()(MsgBoxRequest{text, icon, buttons, title}))
            return *shown;
    }
    WriteMsgBoxText(title, text);
    return IsQuestion(buttons) ? MsgBoxResult::No : MsgBoxResult::OK;
}
