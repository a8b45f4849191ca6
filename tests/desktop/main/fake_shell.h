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
    bool StartDetached(const QString& program, const QStringList& arguments) override
    {
        started.append({program, arguments});
        return answer;
    }

    QList<QUrl> opened;
    QList<QPair<QString, QStringList>> started;
    bool answer = true;
};
