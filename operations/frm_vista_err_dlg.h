#pragma once
// FrmVistaErrDlg: the small modal notice shown at start-up when the storage
// folder cannot be written; one OK button closes it. Caption and skin are
// applied when the window is created (Form_Load). In the desktop program an
// error in the skin steps reaches the code that creates the window; in the
// command-line program it is logged and the window shows without the skin.

#include <QDialog>

class QLabel;
class QPushButton;

class FrmVistaErrDlg : public QDialog {
    Q_OBJECT
public:
    explicit FrmVistaErrDlg(QWidget* parent = nullptr);

    // The notice text.
    static QString NoticeText();

    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void Form_Load();
    void OKButton_Click();
};
