#pragma once

#include <QString>

// The name rule for files the control reads: the name ends in exactly
// "tif", "TIF", "tiff" or "TIFF" (case-sensitive, no dot needed; a name
// shorter than a suffix is compared whole, so "tif" itself passes).
bool HasTiffExtension(const QString& name);
