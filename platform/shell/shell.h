#pragma once
// The desktop shell as the programs use it: carry out a verb ("open",
// "explore", "Print") on a file, folder or address, and the shell
// automation object's Open for web-site addresses.
//
// Files and folders go to the desktop's default handler as local-file URLs
// (never parsed as URLs, so a '#' or ':' in a name is kept); addresses with
// a scheme the shell knows (mailto:, http:, https:, ftp:, file:) are handed
// on as given; printing runs "lp -- path" (or "lp -d printer -- path") as a
// detached process with an argument list, never through a command
// interpreter.
//
// Everything goes through one Handler, which tests replace with a fake.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace shell {

// What the shell layer asks of the desktop. The system handler uses
// QDesktopServices and QProcess; a test installs its own.
class Handler {
public:
    virtual ~Handler();
    // Opens the URL with the desktop's default handler; false on failure.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts a program detached from this one; false when it cannot start.
    virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

// The handler in use: the installed one, else the system handler.
Handler& CurrentHandler();

// Installs a handler (nullptr puts the system handler back) and returns the
// one it replaces. The caller keeps ownership.
Handler* SetHandler(Handler* handler);

// Installs a handler for the lifetime of this object, then puts the previous
// one back.
class ScopedHandler {
public:
    explicit ScopedHandler(Handler* handler) : previous_(SetHandler(handler)) {}
    ~ScopedHandler() { SetHandler(previous_); }
    ScopedHandler(const ScopedHandler&) = delete;
    ScopedHandler& operator=(const ScopedHandler&) = delete;

private:
    Handler* previous_;
};

// True when the text is an address with a scheme the shell hands on as it
// is (mailto:, http:, https:, ftp:, file:), compared without regard to case.
bool IsAddress(const QString& target);

// The URL the shell opens for a target: an address as given (tolerant
// parsing, so a blank stays a blank), anything else as a local file.
// An empty target gives an empty URL.
QUrl UrlForTarget(const QString& target);

// Carries out a verb, compared without regard to case:
//   "open", "explore"  open the target with the desktop's default handler;
//   "print"            prints the file with lp on the default printer;
//   "printto"          prints the file with lp on the printer named by
//                      `parameters` (the default printer when empty).
// Returns false for an empty target, an unknown verb, or when the desktop
// reports a failure.
bool Execute(const QString& verb, const QString& target, const QString& parameters = QString());

// The shell automation object's Open: opens an address or a folder.
bool Open(const QString& target);

} // namespace shell
