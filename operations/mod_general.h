#pragma once
// modGeneral: path and name helpers.

#include <QString>
#include <cstdint>

// The last component of a path ("/a/b/c.tif" -> "c.tif"; trailing
// separators are ignored: "/a/b/" -> "b").
QString GetFileNameFromPath(const QString& path);

// The text after the last "." (anywhere, also in a folder name); the whole
// text when it has no "."; an empty text when it ends with ".".
QString GetFileExt(const QString& s);

// s with a trailing "/" ensured; an empty s gives "/".
QString ValidateDir(const QString& s);

// The high-order 16 bits of value, as a signed 16-bit number.
std::int16_t HiWord(std::int32_t value) noexcept;
