#pragma once
// frmHelpDialog: the help window shown when the program starts without a
// command line and a display is there. It shows the help text file that
// stands beside the program (help_text.h).

#include <QDialog>

class QTextEdit;
class QPushButton;
struct CommandLineState;

class frmHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmHelpDialog(CommandLineState& state, QWidget* parent = nullptr);
    ~frmHelpDialog() override;

    QTextEdit* RtxtHelpInfo = nullptr;
    QPushButton* cmdExit = nullptr;

private:
    void Form_Load();
    void cmdExit_Click();
    void Form_Unload();

    CommandLineState& state_;
    bool taskbarTabAdded_ = false;
};
