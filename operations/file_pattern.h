#pragma once
// The file-name pattern matcher shared by the file search and the
// command-line folder scan.
//
// Wildcards: "*" any run of characters, "?" one character; everything else
// literal; case-insensitive; "*.*" matches every name. One pattern text may hold
// several patterns separated by ";" (leading and trailing blanks of
// each ignored).

#include <QString>
#include <QStringList>

// True when name matches the wildcard pattern.
bool PathMatchSpec(const QString& name, const QString& pattern);

// True when any of patterns (tried in order) matches name; false for an
// empty list. In the desktop program a trapped error is logged
// (" of Form frmMain at time"); in the command-line program it is not.
bool IsFileMatchWithFilterPattern(const QString& name, const QStringList& patterns);
