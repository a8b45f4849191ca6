#include "desktop/main/frm_about.h"

#include "desktop/main/maker_addresses.h"
#include "operations/error_trap.h"
#include "operations/storage_folder.h"
#include "operations/trim_null.h"
#include "platform/shell/shell.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frmAbout");

// The About window's handlers log without the " at time" ending.
const ProcedureTraps Trap(ObjectKind::Form, kFormName, false);

QLabel* LinkLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(kFormName);

    lblProductName_ = new QLabel(this);
    lblProductName_->setObjectName(QStringLiteral("lblProductName"));
    QFont titleFont = lblProductName_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblProductName_->setFont(titleFont);

    lblSupportEmail_ = LinkLabel(this, "lblSupportEmail");
    lblWebsite_ = LinkLabel(this, "lblWebsite");
    lblSupportEmail_->installEventFilter(this);
    lblWebsite_->installEventFilter(this);

    cmdQuit_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdQuit_->setObjectName(QStringLiteral("cmdQuit"));
    cmdQuit_->setDefault(true);
    connect(cmdQuit_, &QPushButton::clicked, this, &frmAbout::cmdQuit_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdQuit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProductName_);
    layout->addSpacing(8);
    layout->addWidget(lblSupportEmail_);
    layout->addWidget(lblWebsite_);
    layout->addStretch();
    layout->addLayout(buttons);

    Form_Load();
}

QString frmAbout::SupportMailAddress()
{
    return QStringLiteral("mailto:") + QString::fromLatin1(kSupportAddress) + QStringLiteral("?subject=")
           + QString::fromUtf16(kApplicationTitle);
}

void frmAbout::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        const QString title = QString::fromUtf16(kApplicationTitle);
        trap.Line(10);
        lblProductName_->setText(title);
        trap.Line(20);
        setWindowTitle(QStringLiteral("About ") + title);
        trap.Line(30);
        lblSupportEmail_->setText(QStringLiteral("Support at: ") + QString::fromLatin1(kSupportAddress));
        trap.Line(40);
        lblWebsite_->setText(QStringLiteral("Website:") + QString::fromLatin1(kWebSiteAddress));
    } catch (...) {
        trap.Log();
    }
}

void frmAbout::cmdQuit_Click()
{
    ErrorTrap trap = Trap("cmdQuit_Click");
    try {
        trap.Line(10);
        close();
    } catch (...) {
        trap.Log();
    }
}

void frmAbout::lblSupportEmail_Click()
{
    ErrorTrap trap = Trap("lblSupportEmail_Click");
    try {
        trap.Line(10);
        // A failing mail link shows nothing to the user.
        shell::Execute(QStringLiteral("open"), SupportMailAddress());
    } catch (...) {
        trap.Log();
    }
}

void frmAbout::lblWebsite_Click()
{
    ErrorTrap trap = Trap("lblWebsite_Click");
    try {
        trap.Line(10);
        shell::Open(TrimNull(QString::fromLatin1(kWebSiteAddress)));
    } catch (...) {
        trap.Log();
    }
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && label && label->rect().contains(mouse->position().toPoint())) {
            if (watched == lblSupportEmail_)
                lblSupportEmail_Click();
            else if (watched == lblWebsite_)
                lblWebsite_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}
