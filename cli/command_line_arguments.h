#pragma once
// The program's arguments as the one command-line text the grammar reads.
// An argument is bytes; one that is not valid text in the file-name
// encoding cannot be read as a name without naming another file (its bytes
// would become U+FFFD, itself a valid name). Such an argument keeps a
// character no argument can hold, so that every check that reads a name
// from the line refuses it.

#include <QString>

// The arguments after the program's name, joined with single blanks. An
// argument that is no text holds U+0000 where its bytes could not be read.
QString CommandLineText(int argc, char** argv);

// The text of a name's bytes (UTF-8), a leading byte-order mark kept as a
// character, so that the text names those bytes again; a name whose bytes
// are not valid text gives a text that does not.
QString NameText(const QByteArray& bytes);

// Whether `text` holds a character that stands for bytes that are no text.
bool HoldsNoText(const QString& text);
