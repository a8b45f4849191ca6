#pragma once
// cAniCursor: an animated cursor that can be loaded from a file or from the
// program's own resources, stepped frame by frame, drawn at any point of a
// paint device, and set as the mouse cursor of windows.

#include "desktop/main/ani_cursor_file.h"

#include <QColor>
#include <QCursor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

class cAniCursor {
public:
    // The resource that holds the program's busy cursor.
    static const char* const kResourcePath; // ":/CUSTOM/2001"

    cAniCursor();
    ~cAniCursor();
    cAniCursor(const cAniCursor&) = delete;
    cAniCursor& operator=(const cAniCursor&) = delete;

    // bState true: makes this cursor the mouse cursor of the window and
    // remembers the cursor it replaced (a window already taken over keeps
    // what was remembered the first time); false: puts the remembered
    // cursor back.
    void SetAsDefaultCursor(QWidget* lhWnd, bool bState);

    // An opaque handle of the loaded cursor; 0 when none is loaded.
    quintptr hCursor() const;

    // Loads an animated cursor file. Raises RunTimeError (number 10000
    // combined with the system error code) when it cannot be loaded; the
    // object is then empty. bMapSysColours has no effect here (the colours
    // of the frames are used as they are). With bNotAnimated the frames are
    // not counted: FrameCount stays 0 and Step keeps the first frame.
    bool LoadFromFile(const QString& sFileName, bool bMapSysColours = false, bool bNotAnimated = false);

    // Loads the program's own busy cursor (resource "CUSTOM" 2001), read
    // from memory without a temporary file. The resource number and
    // instance arguments are accepted for the callers' sake; the program
    // carries only that one cursor. Never raises: returns true when the
    // cursor loaded, false otherwise (the object is then empty).
    bool LoadFromResource(int resourceNumber, bool bMapSysColours, quintptr hInstance, bool bNotAnimated);

    int Frame() const { return frame_; }
    // Raises RunTimeError 9 unless 0 <= iFrame < FrameCount().
    void SetFrame(int iFrame);
    int FrameCount() const { return frameCount_; }

    // Advances to the next step, back to 0 after the last one.
    void Step();

    // Releases the cursor, putting back every window cursor it replaced.
    void Destroy();

    // Draws the current frame with its top-left corner at (lLeft, lTop);
    // a zero lWidth or lHeight draws it in its own size. A valid lBackColor
    // fills the frame's rectangle first, so the previous frame is painted
    // over; an invalid colour draws without background.
    void Draw(QPainter* hDC, int lLeft = 0, int lTop = 0, int lWidth = 0, int lHeight = 0,
              const QColor& lBackColor = QColor()) const;

    // The current frame as an image (null when nothing is loaded) and its
    // size.
    QImage CurrentImage() const;
    QSize FrameSize() const;

private:
    struct WindowEntry {
        QPointer<QWidget> window;
        bool remembers = false;
        std::optional<QCursor> previous; // nullopt: the window had no cursor of its own
    };

    bool Load(const QByteArray& bytes, bool bNotAnimated, QString* error);
    void CountFrames();
    QCursor CurrentCursor() const;
    void RestoreWindow(WindowEntry& entry);
    void RefreshWindows();

    std::optional<AniCursorFile> file_;
    int frame_ = 0;
    int frameCount_ = 0;
    std::vector<WindowEntry> windows_;
};
