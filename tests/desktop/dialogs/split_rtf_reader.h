#pragma once
// Reads back the text of the rich-text files the error report writes:
// \\ \{ \}, \par, \tab, \uN with its one stand-in character, and the font
// table group skipped.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace splittest {

inline QString RtfToPlainText(QByteArray rtf)
{
    rtf.replace("\r\n", "");
    const qsizetype table = rtf.indexOf("{\\fonttbl");
    if (table >= 0)
        rtf.remove(table, rtf.indexOf("}}", table) + 2 - table);
    QString text;
    static const QRegularExpression word(QStringLiteral("^\\\\([a-z]+)(-?\\d+)? ?"));
    const QString s = QString::fromLatin1(rtf);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'{' || s[i] == u'}')
            continue;
        if (s[i] != u'\\') {
            text += s[i];
            continue;
        }
        if (i + 1 < s.size() && QStringLiteral("\\{}").contains(s[i + 1])) {
            text += s[++i];
            continue;
        }
        const auto m = word.match(QStringView(s).mid(i));
        if (!m.hasMatch())
            continue;
        if (m.captured(1) == u"par")
            text += QStringLiteral("\r\n");
        else if (m.captured(1) == u"tab")
            text += u'\t';
        i += m.capturedLength() - 1;
        if (m.captured(1) == u"u") {
            text += QChar(static_cast<char16_t>(m.captured(2).toInt()));
            ++i; // the stand-in character
        }
    }
    return text;
}

} // namespace splittest
