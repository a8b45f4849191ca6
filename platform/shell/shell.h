#pragma once
// The desktop shell as the programs use it: carry out a verb ("open",
// "explore", "Print") on a file, folder or address, and the shell
// automation object's Open for web-site addresses.
//
// Files and folders go to the desktop's default handler as local-file URLs
// (never parsed as URLs, so a '#' or ':' in a name is kept); addresses with
// a scheme the shell knows (mailto:, http:, https:, ftp:, file:) are handed
// on as given; printing runs "lp -- path" (or "lp -d printer -- path") with
// an argument list, never through a command interpreter, and tells the
// caller how lp ended: a queue that refuses the job says so only there.
//
// Everything goes through one Handler, which tests replace with a fake.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace shell {

// How a program that the shell ran ended.
struct ProgramOutcome {
    bool started = false;  // false: it could not be started at all
    bool finished = false; // false: it crashed, or was stopped for taking too long
    bool timedOut = false; // stopped for taking too long
    int exitCode = 0;
    QString standardError; // what it wrote there
};
using OutcomeCallback = std::function<void(const ProgramOutcome&)>;

// What the shell layer asks of the desktop. The system handler uses
// QDesktopServices and QProcess; a test installs its own.
class Handler {
public:
    virtual ~Handler();
    // Opens the URL with the desktop's default handler; false on failure.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts a program with nothing on its standard input and without
    // waiting for it; false when it cannot start. Once it has ended, `done`
    // (when set) is called from the event loop with how it ended.
    virtual bool Run(const QString& program, const QStringList& arguments, OutcomeCallback done) = 0;
};

// How long a program run by the shell may take before it is stopped.
inline constexpr int kRunTimeoutMs = 60'000;

// The failure an outcome of `program` describes, as text: what the program
// wrote on its standard error when it ended with a status other than 0 (or
// the status when it wrote nothing), or that it could not start, crashed or
// did not end in time. Empty for a program that ended with status 0.
QString FailureText(const QString& program, const ProgramOutcome& outcome);

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
// reports a failure (for printing: when lp cannot be started; how the job
// fared afterwards is Print's to tell).
bool Execute(const QString& verb, const QString& target, const QString& parameters = QString());

// Prints a file with lp, on `printer` or, when it is empty, on the default
// printer; `done` (when set) hears how lp ended. False when the file is an
// address or lp cannot be started.
bool Print(const QString& file, const QString& printer, OutcomeCallback done);

// The shell automation object's Open: opens an address or a folder.
bool Open(const QString& target);

} // namespace shell
