#pragma once
// modGetSpecialFolder: the shell's special folders by identifier.

#include <QString>

// Identifiers the programs use.
inline constexpr int CSIDL_DESKTOP = 0;
inline constexpr int CSIDL_PERSONAL = 5;
inline constexpr int CSIDL_APPDATA = 26;
inline constexpr int CSIDL_LOCAL_APPDATA = 28;

// The path of the special folder with that identifier (desktop, documents,
// the per-user data folder), without a trailing "/"; an empty text for an
// identifier without a folder.
QString GetSpecialfolder(const int& folderId);
