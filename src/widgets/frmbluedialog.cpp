#include "mainwin/frmbluedialog.h"

#include <QBoxLayout>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TfrmBlueDialog::TfrmBlueDialog(QWidget* parent) : TfrmZqGrayDialog(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFB, 0xFB, 0xF9));
    setPalette(pal);

    pnlContent = new QWidget(this);
    pnlContent->setObjectName(u"pnlContent"_s);
    btnConfirm = new QPushButton(u"확인(&Y)"_s, this);
    btnConfirm->setObjectName(u"btnConfirm"_s);
    btnConfirm->setDefault(true);
    btnCancel = new QPushButton(u"취소(&C)"_s, this);
    btnCancel->setObjectName(u"btnCancel"_s);
    for (QPushButton* b : {btnConfirm, btnCancel})
        b->setMinimumSize(80, 24);
    connect(btnConfirm, &QPushButton::clicked, this, [this] { btnConfirmClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

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
