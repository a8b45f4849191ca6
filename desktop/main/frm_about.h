#pragma once
// frmAbout: the About window: product title, the maker's support address
// (a click writes a mail) and web site (a click opens it), and an OK button.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblProductName() const { return lblProductName_; }
    QLabel* lblSupportEmail() const { return lblSupportEmail_; }
    QLabel* lblWebsite() const { return lblWebsite_; }
    QPushButton* cmdQuit() const { return cmdQuit_; }

    // The address the mail link opens: "mailto:" + support address +
    // "?subject=Velmora 3.1".
    static QString SupportMailAddress();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void cmdQuit_Click();
    void lblSupportEmail_Click();
    void lblWebsite_Click();

    QLabel* lblProductName_ = nullptr;
    QLabel* lblSupportEmail_ = nullptr;
    QLabel* lblWebsite_ = nullptr;
    QPushButton* cmdQuit_ = nullptr;
};
