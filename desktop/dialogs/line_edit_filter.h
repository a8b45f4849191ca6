#pragma once
// Text that reaches a box without a key press (pasted, dropped) passes no
// key filter; boxes that refuse characters strip them after the edit.

#include <QChar>

#include <functional>

class QLineEdit;

// Removes from the box's text every character `refused` answers true for,
// keeping the caret where it was relative to the kept text. True when
// something was removed.
bool StripRefusedCharacters(QLineEdit* box, const std::function<bool(QChar)>& refused);
