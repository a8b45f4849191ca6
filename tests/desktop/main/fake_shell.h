#pragma once
// A shell layer that records what it is asked to open or start.

#include "platform/shell/shell.h"

#include <QList>
#include <QPair>

class FakeShell : public shell::Handler {
public:
    bool OpenUrl(const QUrl& url) override
    {
        opened.append(url);
        return answer;
    }
    // A program that starts ends at once with status 0.
    bool Run(const QString& program, const QStringList& arguments, shell::OutcomeCallback done) override
    {
        started.append({program, arguments});
        if (answer && done) {
            shell::ProgramOutcome outcome;
            outcome.started = outcome.finished = true;
            done(outcome);
        }
        return answer;
    }

    QList<QUrl> opened;
    QList<QPair<QString, QStringList>> started;
    bool answer = true;
};
