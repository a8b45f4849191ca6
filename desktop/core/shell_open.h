#pragma once
// ShellOpen: asks the desktop shell to carry out a verb ("open", "Open",
// "explore", "Print") on a file or folder.
//
// There is no Open-With dialog here: when the shell cannot open a file or
// show a folder (no program handles it, no file manager), the user is told
// so in a message box. Other verbs fail silently. Errors raised underneath
// reach the caller.

#include <QString>
#include <QVariant>

#include <cstdint>

void ShellOpen(QString& verb, const QVariant& file, const QVariant& parameters, const QVariant& directory,
               std::int32_t& showCommand);

// The text shown when no program could open `file` (a file or a folder).
QString OpenWithFailedText(const QString& file);
