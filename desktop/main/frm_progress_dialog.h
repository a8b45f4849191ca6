#pragma once
// frmProgressDialog: the short timed progress window shown at the first
// start, under the text "Loading With Default Settings". Its bar runs from
// 0 to 50, one step per 10 ms tick; the window closes itself on the tick
// that finds the bar full, or at once on a mouse event once it is full.

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

class frmProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmProgressDialog(QWidget* parent = nullptr);

    QLabel* Label1() const { return label_; }
    QProgressBar* ProgressBar1() const { return bar_; }
    QTimer* Timer1() const { return timer_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Timer1_Timer();
    // The mouse handlers: close at once when the bar is full.
    void CloseWhenFull();

    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
};
