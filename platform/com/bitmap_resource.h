#pragma once
// Bitmap resources of a module, such as a control's toolbox bitmap, whose
// registry value ToolboxBitmap32 names it as "<module path>, <number>".
// A module publishes its bitmaps (BMP file bytes) through the extra export
//   extern "C" const unsigned char* DllGetBitmap(int id, std::size_t* size);
// (kBitmapExport), null for a number it does not have.

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace com {

inline constexpr char kBitmapExport[] = "DllGetBitmap";
using DllGetBitmapFn = const unsigned char* (*)(int id, std::size_t* size);

// The bytes of bitmap `id` of the module at modulePath; empty when the
// module cannot be loaded or has no such bitmap.
QByteArray ReadBitmapResource(const QString& modulePath, int id);

// The same for a value "<module path>, <number>" (the path may itself hold
// commas: the number follows the last one).
QByteArray ReadBitmapResource(const QString& pathAndNumber);

} // namespace com
