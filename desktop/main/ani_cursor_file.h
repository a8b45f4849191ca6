#pragma once
// Reader for animated cursor files: a RIFF container of form "ACON" with an
// "anih" header, optional "rate" and "seq " chunks and a "fram" list of
// icon or cursor images, one per frame.
//
// The reader is written for untrusted bytes: every chunk is checked against
// the bytes that are really there, frame and step counts are bounded, each
// frame image is checked for a sane size before Qt's ICO reader decodes it,
// and the decoded frames may not exceed a fixed memory budget.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

struct AniCursorFile {
    // Decoded frame images, in file order.
    QList<QImage> frames;
    // The hot spot of each frame (cursor images carry one; icons give 0, 0).
    QList<QPoint> hotSpots;
    // For each step of the animation: the frame it shows and how long, in
    // jiffies (1/60 s).
    QList<int> sequence;
    QList<int> rates;

    int StepCount() const { return static_cast<int>(sequence.size()); }
};

namespace ani_cursor_file {

inline constexpr qsizetype kMaxFileBytes = 8 * 1024 * 1024;
inline constexpr int kMaxSteps = 1024;
inline constexpr int kMaxFrameSide = 256;
inline constexpr qsizetype kMaxDecodedBytes = 32 * 1024 * 1024;

// Parses the bytes of an animated cursor file. On failure returns false,
// leaves *out empty and puts a short reason into *error (when given).
bool Parse(const QByteArray& bytes, AniCursorFile* out, QString* error = nullptr);

} // namespace ani_cursor_file
