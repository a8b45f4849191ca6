#pragma once
// Whether the window system of one platform entry (as QT_QPA_PLATFORM
// writes it) answers, asked before an application object is created on it:
// Qt aborts the program when its platform cannot start.

#include <QString>

struct xcb_connection_t;

class WindowSystemProbe {
public:
    // xcb: the X server of DISPLAY accepts a connection (authorisation
    // included), answers it and answers a first request within 2 s. wayland: Qt's plugin is installed and the
    // compositor's socket accepts a connection. Any other platform: its plugin is installed.
    explicit WindowSystemProbe(const QString& platformEntry);
    // Keeps the X connection open until here: a server whose last client
    // leaves resets itself, and would turn away the application's own
    // connection made a moment later.
    ~WindowSystemProbe();
    WindowSystemProbe(const WindowSystemProbe&) = delete;
    WindowSystemProbe& operator=(const WindowSystemProbe&) = delete;

    bool Answers() const { return answers_; }
    // An X server that has not answered in time may still answer: the
    // attempt goes on meanwhile, reading the environment as it does, which
    // must then not change.
    bool StillWaiting() const { return stillWaiting_; }

private:
    bool answers_ = false;
    bool stillWaiting_ = false;
    xcb_connection_t* connection_ = nullptr;
};
