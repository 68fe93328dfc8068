#include "store/frmuserfilename.h"

#include "store/notestore.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

TfrmUserFileName::TfrmUserFileName(QWidget* parent) : TfrmBlueDialog(parent)
{
    auto* labName = new QLabel(u"이름:"_s, Content());
    labName->setObjectName(u"labName"_s);
    edtName = new QLineEdit(Content());
    edtName->setObjectName(u"edtName"_s);
    edtName->setFixedHeight(24);
    labName->setBuddy(edtName);
    chkIsRoot = new QCheckBox(u"루트에 생성(&N)"_s, Content());
    chkIsRoot->setObjectName(u"chkIsRoot"_s);
    chkIsRoot->hide();

    auto* layout = new QHBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(labName);
    layout->addWidget(edtName, 1);

    SetIsFolder(false);
    setFixedSize(327, 108);
}

void TfrmUserFileName::SetTargetDir(const QString& dir)
{
    FTargetDir = dir;
    if (!FTargetDir.endsWith(u'/') && !FTargetDir.endsWith(u'\\'))
        FTargetDir += u'/';
}

void TfrmUserFileName::SetIsFolder(bool isFolder)
{
    FIsFolder = isFolder;
    setWindowTitle(isFolder ? u"새 폴더 이름 입력"_s : u"새 노트 이름 입력"_s);
}

void TfrmUserFileName::SetName(const QString& name)
{
    edtName->setText(name);
    edtName->selectAll();
}

QString TfrmUserFileName::Name() const
{
    return TrimBlanks(edtName->text());
}

void TfrmUserFileName::btnConfirmClick()
{
    const TzqNameCheck check = CheckUserFileName(
        edtName->text(), FTargetDir, FIsFolder ? TzqItemKind::Folder : TzqItemKind::Note);
    if (check.WriteBack)
        edtName->setText(check.Name);
    if (!check.Accepted) {
        setWindowTitle(check.Message);
        edtName->setFocus();
        edtName->selectAll();
        return;
    }
    accept();
}

void TfrmUserFileName::showEvent(QShowEvent* event)
{
    TfrmBlueDialog::showEvent(event);
    if (event->spontaneous())
        return;
    edtName->setFocus();
    edtName->selectAll();
}
