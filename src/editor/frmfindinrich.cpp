#include "editor/frmfindinrich.h"

#include "editor/izqfindtarget.h"
#include "editor/izqviews.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmFindInRich::TfrmFindInRich(IzqFindTarget* target, QWidget* parent)
    : TfrmZqGrayDialog(parent), FTarget(target)
{
    frmZqNoCaptionCreate();
}

void TfrmFindInRich::frmZqNoCaptionCreate()
{
    setObjectName(u"frmFindInRich"_s);
    setWindowTitle(u"문자열 찾기"_s);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* labFindText = new QLabel(u"찾을 내용(&T):"_s, this);
    labFindText->setObjectName(u"labFindText"_s);
    edtFindText = new QLineEdit(this);
    edtFindText->setObjectName(u"edtFindText"_s);
    labFindText->setBuddy(edtFindText);

    chkWholeWord = new QCheckBox(u"단어 단위로(&W)"_s, this);
    chkWholeWord->setObjectName(u"chkWholeWord"_s);
    chkCaseSensitive = new QCheckBox(u"대·소문자 구분(&C)"_s, this);
    chkCaseSensitive->setObjectName(u"chkCaseSensitive"_s);

    grpDirection = new QGroupBox(u"방향(&D)"_s, this);
    grpDirection->setObjectName(u"grpDirection"_s);
    radForward = new QRadioButton(u"앞으로"_s, grpDirection);
    radForward->setObjectName(u"radForward"_s);
    radForward->setChecked(true);
    radBackward = new QRadioButton(u"뒤로"_s, grpDirection);
    radBackward->setObjectName(u"radBackward"_s);
    auto* directionLayout = new QHBoxLayout(grpDirection);
    directionLayout->addWidget(radForward);
    directionLayout->addWidget(radBackward);

    actFindNext = new QAction(u"다음 찾기"_s, this);
    actFindNext->setObjectName(u"actFindNext"_s);
    connect(actFindNext, &QAction::triggered, this, [this] { actFindNextExecute(); });
    connect(actFindNext, &QAction::changed, this,
            [this] { btnFindNext->setEnabled(actFindNext->isEnabled()); });
    btnFindNext = new TzqGradiButton(actFindNext->text(), this);
    btnFindNext->setObjectName(u"btnFindNext"_s);
    btnFindNext->setDefault(true);
    connect(btnFindNext, &QPushButton::clicked, actFindNext, &QAction::trigger);
    btnCancel = new TzqGradiButton(u"취소"_s, this);
    btnCancel->setObjectName(u"btnCancel"_s);
    for (TzqGradiButton* b : {btnFindNext, btnCancel}) {
        b->SetColors(TzqGradiColors::DialogColors());
        b->setMinimumHeight(24);
    }
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(edtFindText, &QLineEdit::textChanged, this, [this] { actFindNextUpdate(); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(labFindText, 0, 0);
    layout->addWidget(edtFindText, 0, 1, 1, 2);
    layout->addWidget(btnFindNext, 0, 3);
    auto* checks = new QVBoxLayout;
    checks->addWidget(chkWholeWord);
    checks->addWidget(chkCaseSensitive);
    checks->addStretch();
    layout->addLayout(checks, 1, 0, 1, 2);
    layout->addWidget(grpDirection, 1, 2);
    layout->addWidget(btnCancel, 1, 3, Qt::AlignTop);
    resize(420, 130);

    actFindNextUpdate();
    edtFindText->setFocus();
}

int TfrmFindInRich::Options() const
{
    int options = zqFindSelect;
    if (chkWholeWord->isChecked())
        options |= zqFindWholeWord;
    if (chkCaseSensitive->isChecked())
        options |= zqFindMatchCase;
    if (radBackward->isChecked())
        options |= zqFindBackward;
    return options;
}

void TfrmFindInRich::showEvent(QShowEvent* event)
{
    TfrmZqGrayDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Each opening starts from the view's selection; without one the box is empty.
    const QString selected = FTarget ? FTarget->SelectedText() : QString();
    edtFindText->setText(selected);
    edtFindText->selectAll();
    edtFindText->setFocus();
}

void TfrmFindInRich::actFindNextUpdate()
{
    actFindNext->setEnabled(!edtFindText->text().isEmpty());
}

void TfrmFindInRich::actFindNextExecute()
{
    if (!actFindNext->isEnabled() || !FTarget)
        return;
    FTarget->FindNext(edtFindText->text(), Options());
}

void TfrmFindInRich::btnCancelClick()
{
    reject();
}
