#include "widgets/frmbluedialog.h"

#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmBlueDialog::TfrmBlueDialog(QWidget* parent) : TfrmZqGrayDialog(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFB, 0xFB, 0xF9));
    setPalette(pal);

    pnlContent = new QWidget(this);
    pnlContent->setObjectName(u"pnlContent"_s);
    btnConfirm = new TzqGradiButton(u"확인(&Y)"_s, this);
    btnConfirm->setObjectName(u"btnConfirm"_s);
    btnConfirm->setDefault(true);
    btnCancel = new TzqGradiButton(u"취소(&C)"_s, this);
    btnCancel->setObjectName(u"btnCancel"_s);
    btnCancel->SetCancel(true);
    for (TzqGradiButton* b : {btnConfirm, btnCancel}) {
        b->SetColors(TzqGradiColors::DialogColors());
        b->setMinimumSize(80, 24);
    }
    connect(btnConfirm, &QAbstractButton::clicked, this, [this] { btnConfirmClick(); });
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnConfirm);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(pnlContent, 1);
    layout->addLayout(buttons);
}

void TfrmBlueDialog::btnConfirmClick()
{
    accept();
}
