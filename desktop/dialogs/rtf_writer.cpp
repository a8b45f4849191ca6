#include "desktop/dialogs/rtf_writer.h"

#include <QSaveFile>

#include <cstdint>

namespace {

void AppendEscaped(QByteArray& out, const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r') {
            out += "\\par \r\n";
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += "\\par \r\n";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            // \uN takes a signed 16-bit number; "?" is the one-character
            // stand-in that readers without Unicode show (\uc1).
            out += "\\u";
            out += QByteArray::number(static_cast<int>(static_cast<std::int16_t>(c)));
            out += '?';
        }
    }
}

} // namespace

QByteArray PlainTextToRtf(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 160);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Sans;}}\r\n"
           "\\viewkind4\\pard\\f0\\fs17 ";
    AppendEscaped(out, text);
    out += "\r\n}\r\n";
    return out;
}

bool WriteRtfFile(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = PlainTextToRtf(text);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
