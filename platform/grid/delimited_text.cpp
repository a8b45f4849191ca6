#include "platform/grid/delimited_text.h"

namespace delimited_text {

namespace {

const QChar kQuote = QLatin1Char('"');
const QChar kCr = QLatin1Char('\r');
const QChar kLf = QLatin1Char('\n');

bool RowIsLineBreak(const Separators& sep)
{
    return sep.row == QLatin1String("\n") || sep.row == QLatin1String("\r") || sep.row == QLatin1String("\r\n");
}

// Quoting is off when the quote character itself separates fields or rows;
// the file then holds the cells exactly as they are.
bool QuotingAllowed(const Separators& sep)
{
    return sep.column != kQuote && !sep.row.contains(kQuote);
}

} // namespace

Separators FromClipSeparators(const QString& clip)
{
    Separators sep;
    if (clip.size() >= 1)
        sep.column = clip.at(0);
    if (clip.size() >= 2)
        sep.row = QString(clip.at(1));
    return sep;
}

void AppendRecord(QString& out, const QStringList& fields, const Separators& sep)
{
    const bool quoting = QuotingAllowed(sep);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(sep.column);
        const QString& f = fields.at(i);
        bool needsQuotes = false;
        if (quoting) {
            for (QChar c : f) {
                if (c == sep.column || c == kQuote || c == kCr || c == kLf || sep.row.contains(c)) {
                    needsQuotes = true;
                    break;
                }
            }
        }
        if (needsQuotes) {
            out.append(kQuote);
            for (QChar c : f) {
                if (c == kQuote)
                    out.append(kQuote);
                out.append(c);
            }
            out.append(kQuote);
        } else {
            out.append(f);
        }
    }
    out.append(sep.row);
}

bool Parse(const QString& text, const Separators& sep, std::size_t maxRecords, std::size_t maxFields,
           std::vector<QStringList>& records)
{
    records.clear();
    const bool lineBreaks = RowIsLineBreak(sep);
    const bool quoting = QuotingAllowed(sep);
    const QChar rowChar = sep.row.isEmpty() ? kLf : sep.row.at(0);
    const qsizetype n = text.size();
    qsizetype i = 0;
    if (n > 0 && text.at(0) == QChar(0xFEFF))
        i = 1; // byte-order mark

    QStringList fields;
    QString field;
    bool recordStarted = false;

    auto endField = [&]() -> bool {
        if (static_cast<std::size_t>(fields.size()) >= maxFields)
            return false;
        fields.append(field);
        field.clear();
        return true;
    };
    auto endRecord = [&]() -> bool {
        if (!endField())
            return false;
        if (records.size() >= maxRecords)
            return false;
        records.push_back(fields);
        fields.clear();
        recordStarted = false;
        return true;
    };

    while (i < n) {
        const QChar c = text.at(i);
        if (quoting && c == kQuote && field.isEmpty()) {
            // Quoted field: up to the closing quote; doubled quotes stand for one.
            recordStarted = true;
            ++i;
            while (i < n) {
                const QChar q = text.at(i);
                if (q == kQuote) {
                    if (i + 1 < n && text.at(i + 1) == kQuote) {
                        field.append(kQuote);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.append(q);
                ++i;
            }
            continue;
        }
        if (c == sep.column) {
            recordStarted = true;
            if (!endField())
                return false;
            ++i;
            continue;
        }
        if (lineBreaks ? (c == kCr || c == kLf) : (c == rowChar)) {
            if (lineBreaks && c == kCr && i + 1 < n && text.at(i + 1) == kLf)
                ++i;
            ++i;
            if (!endRecord())
                return false;
            continue;
        }
        recordStarted = true;
        field.append(c);
        ++i;
    }
    if (recordStarted || !field.isEmpty() || !fields.isEmpty()) {
        if (!endRecord())
            return false;
    }
    return true;
}

} // namespace delimited_text
