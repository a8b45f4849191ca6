#pragma once
// A small rich-text (.rtf) writer for plain text. The error report window
// saves its text through it.
//
// The document is 7-bit ASCII: "\", "{" and "}" are escaped, every
// character outside printable ASCII is written as \uN? (N the signed 16-bit
// code unit; characters beyond the basic plane as their two surrogate
// halves), a line break (CR LF, LF or a lone CR) becomes \par and a tab \tab.

#include <QByteArray>
#include <QString>

// The rich-text document of a plain text.
QByteArray PlainTextToRtf(const QString& text);

// Writes PlainTextToRtf(text) to path, replacing the file only once the
// whole document is written. False when the file cannot be written.
bool WriteRtfFile(const QString& path, const QString& text);
