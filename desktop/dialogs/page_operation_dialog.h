#pragma once
// The window behaviour the append-pages and delete-page dialogs share: the
// load work waits for the first showing (the caller fills the records after
// constructing the dialog), and while a run is under way (it yields to the
// message loop between files) the window refuses to close.

#include <QDialog>

class PageOperationDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageOperationDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    // Refused while a run is under way (as is closing the window).
    void reject() override;

protected:
    // Fills the dialog from its records; runs once, at the first showing.
    virtual void Form_Load() = 0;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    bool running_ = false;

private:
    bool loaded_ = false;
};
