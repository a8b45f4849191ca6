#pragma once
// Keeps a dialog busy while a run lasts: the listed widgets disabled, the
// hourglass pointer, and `running` set (the dialog refuses to close and to
// start another run while it is). Everything is put back when the run ends,
// also when it ends through an error. The page engine calls let window
// messages run, and the options must not change under a run that reads
// them.

#include <initializer_list>
#include <vector>

class QWidget;

class RunGuard {
public:
    RunGuard(QWidget& dialog, std::initializer_list<QWidget*> locked, bool& running);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    QWidget& dialog_;
    std::vector<QWidget*> locked_;
    bool& running_;
};
