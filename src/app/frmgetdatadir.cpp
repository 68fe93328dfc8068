#include "app/frmgetdatadir.h"

#include "app/datadirs.h"
#include "platform/guiutil.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

TfrmGetDataDir::TfrmGetDataDir(QWidget* parent) : TfrmBlueDialog(parent)
{
    setObjectName(u"TfrmGetDataDir"_s);

    auto* label1 = new QLabel(u"이름:"_s, Content());
    label1->setObjectName(u"Label1"_s);
    edtName = new QLineEdit(Content());
    edtName->setObjectName(u"edtName"_s);
    label1->setBuddy(edtName);

    auto* label2 = new QLabel(u"경로:"_s, Content());
    label2->setObjectName(u"Label2"_s);
    pnlDirData = new QLabel(Content());
    pnlDirData->setObjectName(u"pnlDirData"_s);
    pnlDirData->setFixedHeight(19);
    pnlDirData->setMinimumWidth(260);
    pnlDirData->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    pnlDirData->setStyleSheet(u"QLabel#pnlDirData { background: #F1F1EF; border: 1px solid "
                              u"#CECEC6; font-size: 9px; padding-left: 3px; }"_s);
    pnlDirData->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* btnDirData = new TzqGradiButton(u"..."_s, Content());
    btnDirData->setObjectName(u"btnDirData"_s);
    btnDirData->SetColors(TzqGradiColors::DialogColors());
    btnDirData->setFixedSize(22, 20);
    btnDirData->setAutoDefault(false);
    QFont bold(u"Arial"_s);
    bold.setPixelSize(13);
    bold.setBold(true);
    btnDirData->setFont(bold);
    btnDirData->setToolTip(u"데이터 폴더"_s);
    connect(btnDirData, &QAbstractButton::clicked, this, [this] { btnDirDataClick(); });

    chkIsShare = new QCheckBox(u"다른 사용자와 공유"_s, Content());
    chkIsShare->setObjectName(u"chkIsShare"_s);

    auto* grid = new QGridLayout(Content());
    grid->setContentsMargins(4, 8, 4, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(edtName, 0, 1, 1, 2);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(pnlDirData, 1, 1);
    grid->addWidget(btnDirData, 1, 2);
    grid->addWidget(chkIsShare, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    setTabOrder(edtName, btnDirData);
    setTabOrder(btnDirData, chkIsShare);
    setTabOrder(chkIsShare, ConfirmButton());
    setTabOrder(ConfirmButton(), CancelButton());
    edtName->setFocus();

    FBrowseForFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    };
    FShowError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
    resize(420, 190);
}

QString TfrmGetDataDir::Name() const
{
    return edtName->text();
}

void TfrmGetDataDir::SetName(const QString& name)
{
    edtName->setText(name);
}

bool TfrmGetDataDir::IsShare() const
{
    return chkIsShare->isChecked();
}

void TfrmGetDataDir::SetIsShare(bool shared)
{
    chkIsShare->setChecked(shared);
}

void TfrmGetDataDir::SetDirData(const QString& path)
{
    FDirData = path;
    UpdateDirText();
}

void TfrmGetDataDir::UpdateDirText()
{
    pnlDirData->setToolTip(QDir::toNativeSeparators(FDirData));
    pnlDirData->setText(FDirData.isEmpty()
                            ? QString()
                            : ShortenPathToWidth(QDir::toNativeSeparators(FDirData),
                                                 pnlDirData->font(), pnlDirData->width() - 10));
}

void TfrmGetDataDir::resizeEvent(QResizeEvent* event)
{
    TfrmBlueDialog::resizeEvent(event);
    UpdateDirText();
}

void TfrmGetDataDir::btnDirDataClick()
{
    QString start = FDirData.isEmpty() ? FStartDir : FDirData;
    // A directory deleted since it was chosen opens the browser without a preselection.
    if (!start.isEmpty() && !QFileInfo(start).isDir())
        start.clear();
    const QString chosen = FBrowseForFolder(u"데이터 폴더"_s, start);
    if (!chosen.isEmpty())
        SetDirData(QDir::cleanPath(chosen));
}

void TfrmGetDataDir::btnConfirmClick()
{
    const TzqDataDirRefusal refusal = CheckDataDirEntry(edtName->text(), FDirData);
    if (refusal.Field == TzqDataDirRefusal::None) {
        accept();
        return;
    }
    FShowError(refusal.Message);
    edtName->setFocus();
}
