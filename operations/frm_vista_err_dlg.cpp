#include "operations/frm_vista_err_dlg.h"

#include "operations/error_trap.h"
#include "operations/running_program.h"
#include "operations/skin_loading.h"
#include "operations/storage_folder.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

// Twips (1/1440 inch) to pixels at the widget's logical resolution.
int TwipsX(const QWidget* w, int twips)
{
    return static_cast<int>(std::lround(twips * w->logicalDpiX() / 1440.0));
}

int TwipsY(const QWidget* w, int twips)
{
    return static_cast<int>(std::lround(twips * w->logicalDpiY() / 1440.0));
}

QRect TwipsRect(const QWidget* w, int left, int top, int width, int height)
{
    return QRect(TwipsX(w, left), TwipsY(w, top), TwipsX(w, width), TwipsY(w, height));
}

const ProcedureTraps Trap(ObjectKind::Form, QStringLiteral("FrmVistaErrDlg"));

} // namespace

FrmVistaErrDlg::FrmVistaErrDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmVistaErrDlg"));
    setModal(true);
    setFixedSize(TwipsX(this, 6030), TwipsY(this, 1800));

    Label1 = new QLabel(NoticeText(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(TwipsRect(this, 120, 360, 5775, 615));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(TwipsRect(this, 2400, 1200, 1215, 375));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &FrmVistaErrDlg::OKButton_Click);

    Form_Load();
}

QString FrmVistaErrDlg::NoticeText()
{
    return WriteTestNoticeText();
}

void FrmVistaErrDlg::Form_Load()
{
    if (!IsCommandLineProgram()) {
        // The desktop program traps nothing here: a failing skin step
        // reaches the code that creates the window.
        setWindowTitle(QString::fromUtf16(kApplicationTitle));
        LoadSkin(this);
        return;
    }
    ErrorTrap trap = Trap("Form_Load");
    try {
        trap.Line(10);
        trap.Line(20);
        setWindowTitle(QString::fromUtf16(kApplicationTitle));
        LoadSkin(this, &trap, 30);
    } catch (...) {
        trap.Log();
    }
}

void FrmVistaErrDlg::OKButton_Click()
{
    accept();
}
