#pragma once
// Small TIFF files for the control tests, written and read with libtiff.
// Page i of a file made by WriteMarkedTiff is 8 by 8 grey pixels of the
// value markers[i], so page order can be read back.

#include <QList>
#include <QString>

// Writes one page per marker; false on failure.
bool WriteMarkedTiff(const QString& path, const QList<int>& markers);
// The marker (first pixel) of every page, in order; empty when the file
// cannot be read.
QList<int> ReadMarkers(const QString& path);
