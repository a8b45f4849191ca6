#pragma once
// How the desktop program shows its modal windows. Every modal window that
// start-up and the main window open goes through RunModal, so a test can
// watch them and close them at once instead of blocking in a nested loop.

#include <QDialog>

#include <functional>

using ModalRunner = std::function<int(QDialog& dialog)>;

// Shows the dialog modally and returns its result (QDialog::exec, or the
// installed runner's answer).
int RunModal(QDialog& dialog);

// Installs a runner (an empty one puts QDialog::exec back); returns the
// previous one.
ModalRunner SetModalRunner(ModalRunner runner);
