#include "cli/command_line_arguments.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace {

constexpr QChar kNoText(u'\0');

} // namespace

QString CommandLineText(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        QString text = NameText(bytes);
        if (QFile::encodeName(text) != bytes) {
            text.replace(QChar(QChar::ReplacementCharacter), kNoText);
            // Whatever else the decoder did with the bytes, the argument
            // must not pass for a name.
            if (!HoldsNoText(text))
                text.prepend(kNoText);
        }
        args << text;
    }
    return args.join(QLatin1Char(' '));
}

QString NameText(const QByteArray& bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decode(bytes);
}

bool HoldsNoText(const QString& text)
{
    return text.contains(kNoText);
}
