#include "desktop/main/frm_progress_dialog.h"

#include "operations/error_trap.h"
#include "operations/skin_loading.h"
#include "operations/storage_folder.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kFormName = QStringLiteral("frmProgressDialog");
const ProcedureTraps Trap(ObjectKind::Form, kFormName);
} // namespace

frmProgressDialog::frmProgressDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(kFormName);
    setModal(true);
    setMouseTracking(true);

    label_ = new QLabel(QStringLiteral("Loading With Default Settings"), this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setAlignment(Qt::AlignCenter);
    label_->installEventFilter(this);

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setTextVisible(false);
    bar_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    setFixedSize(360, 90);

    timer_ = new QTimer(this);
    timer_->setInterval(10);
    connect(timer_, &QTimer::timeout, this, &frmProgressDialog::Timer1_Timer);

    Form_Load();
    timer_->start();
}

void frmProgressDialog::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        LoadSkin(this, &trap, 10);
        trap.Line(40);
        setWindowTitle(QString::fromUtf16(kApplicationTitle));
        trap.Line(50);
        bar_->setMinimum(0);
        trap.Line(60);
        bar_->setMaximum(50);
        bar_->setValue(0);
    } catch (...) {
        trap.Log();
    }
}

void frmProgressDialog::Timer1_Timer()
{
    ErrorTrap trap = Trap("Timer1_Timer");
    try {
        trap.Line(10);
        if (bar_->value() >= bar_->maximum()) {
            trap.Line(20);
            bar_->setValue(bar_->maximum());
            trap.Line(30);
            timer_->stop();
            trap.Line(40);
            close();
        } else {
            trap.Line(60);
            bar_->setValue(bar_->value() + 1);
        }
    } catch (...) {
        trap.Log();
    }
}

void frmProgressDialog::CloseWhenFull()
{
    if (bar_->value() >= bar_->maximum()) {
        timer_->stop();
        close();
    }
}

void frmProgressDialog::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    CloseWhenFull();
}

void frmProgressDialog::mouseMoveEvent(QMouseEvent* event)
{
    QDialog::mouseMoveEvent(event);
    CloseWhenFull();
}

bool frmProgressDialog::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == label_ && event->type() == QEvent::MouseButtonPress)
        || (watched == bar_
            && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
                || event->type() == QEvent::MouseMove))) {
        CloseWhenFull();
    }
    return QDialog::eventFilter(watched, event);
}
