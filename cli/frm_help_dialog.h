#pragma once
// frmHelpDialog: the help window shown when the program starts without a
// command line. It shows the help text file that stands beside the program.

#include <QDialog>

class QTextEdit;
class QPushButton;
struct RunState;

class frmHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmHelpDialog(RunState& state, QWidget* parent = nullptr);
    ~frmHelpDialog() override;

    // The help text file: the program folder + "/Velmora-CommandLine-Help.txt".
    static QString HelpFilePath();

    QTextEdit* RtxtHelpInfo = nullptr;
    QPushButton* cmdExit = nullptr;

private:
    void Form_Load();
    void cmdExit_Click();
    void Form_Unload();

    RunState& state_;
    bool taskbarTabAdded_ = false;
};

// Shows the help window (without a display: prints the help text to
// standard output). Returns the exit status of the run.
int ShowHelp(RunState& state);
