#include "desktop/dialogs/line_edit_filter.h"

#include <QLineEdit>

bool StripRefusedCharacters(QLineEdit* box, const std::function<bool(QChar)>& refused)
{
    const QString text = box->text();
    QString kept;
    kept.reserve(text.size());
    const int caret = box->cursorPosition();
    int cursor = caret;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (refused(c)) {
            if (i < caret)
                --cursor;
            continue;
        }
        kept.append(c);
    }
    if (kept == text)
        return false;
    box->setText(kept);
    box->setCursorPosition(cursor);
    return true;
}
