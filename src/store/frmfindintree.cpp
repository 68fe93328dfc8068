#include "store/frmfindintree.h"

#include "app/zqprjinfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

TfrmFindInTree::TfrmFindInTree(const QString& text, bool searchRoot, QWidget* parent)
    : TfrmBlueDialog(parent)
{
    setObjectName(u"frmFindInTree"_s);
    setWindowTitle(u"데이터 트리에서 검색"_s);
    auto* labInput = new QLabel(u"검색 문자열:"_s, Content());
    labInput->setObjectName(u"labInput"_s);
    edtInput = new QLineEdit(Content());
    edtInput->setObjectName(u"edtInput"_s);
    labInput->setBuddy(edtInput);
    chkRoot = new QCheckBox(u"&Root에서 검색"_s, Content());
    chkRoot->setObjectName(u"chkRoot"_s);
    auto* layout = new QGridLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(4);
    layout->addWidget(labInput, 0, 0);
    layout->addWidget(edtInput, 0, 1);
    layout->addWidget(chkRoot, 1, 1);
    resize(298, 114);

    edtInput->setText(text);
    edtInput->selectAll();
    const bool rootOption = PrjInfo && PrjInfo->ReadFlag(TzqPrjInfo::idFindRootOption);
    chkRoot->setChecked(rootOption || searchRoot);
    edtInput->setFocus();
}

QString TfrmFindInTree::InputText() const
{
    return edtInput->text();
}

bool TfrmFindInTree::SearchRoot() const
{
    return chkRoot->isChecked();
}

void TfrmFindInTree::btnConfirmClick()
{
    if (edtInput->text().trimmed().isEmpty()) {
        setWindowTitle(u"겸색할 문자열을 넣어 주십시오"_s);
        update();
        edtInput->setFocus();
        return;
    }
    accept();
}
