#include "platform/fileopdialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Caption = u"파일 작업"_s;

QString KindAndPlace(const QString& path, bool isFolder)
{
    return (isFolder ? u"폴더: %1"_s : u"파일: %1"_s)
        .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

} // namespace

TzqFileOpDialogs::TzqFileOpDialogs(QWidget* owner) : FOwner(owner) {}

TzqFileOpDialogs::~TzqFileOpDialogs()
{
    ProgressDone();
}

TzqReplaceAnswer TzqFileOpDialogs::AskReplace(const QString& existing, bool isFolder)
{
    QMessageBox box(
        QMessageBox::Warning, Caption,
        u"'%1' 이(가) 이미 있습니다. 바꾸시겠습니까?"_s.arg(QFileInfo(existing).fileName()),
        QMessageBox::NoButton, FOwner);
    box.setInformativeText(isFolder ? KindAndPlace(existing, true) +
                                          u"\n폴더 안의 같은 이름 파일은 따로 묻습니다."_s
                                    : KindAndPlace(existing, false));
    QPushButton* replace = box.addButton(u"바꾸기"_s, QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(u"건너뛰기"_s, QMessageBox::RejectRole);
    QPushButton* replaceAll = box.addButton(u"모두 바꾸기"_s, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(u"취소"_s, QMessageBox::RejectRole);
    box.setDefaultButton(replace);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == replace)
        return TzqReplaceAnswer::Replace;
    if (box.clickedButton() == skip)
        return TzqReplaceAnswer::Skip;
    if (box.clickedButton() == replaceAll)
        return TzqReplaceAnswer::ReplaceAll;
    return TzqReplaceAnswer::Cancel;
}

TzqDeleteAnswer TzqFileOpDialogs::AskDeleteForGood(const QString& path, bool isFolder,
                                                   bool trashFailed)
{
    const QString name = QFileInfo(path).fileName();
    const QString text =
        trashFailed
            ? u"'%1' 을(를) 휴지통으로 옮길 수 없습니다. 완전히 삭제하시겠습니까?"_s.arg(name)
            : u"'%1' 을(를) 완전히 삭제하시겠습니까?"_s.arg(name);
    QMessageBox box(QMessageBox::Warning, Caption, text, QMessageBox::NoButton, FOwner);
    box.setInformativeText(KindAndPlace(path, isFolder));
    QPushButton* yes = box.addButton(u"예"_s, QMessageBox::YesRole);
    QPushButton* no = box.addButton(u"아니요"_s, QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(u"취소"_s, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return TzqDeleteAnswer::Yes;
    if (box.clickedButton() == no)
        return TzqDeleteAnswer::No;
    return TzqDeleteAnswer::Cancel;
}

bool TzqFileOpDialogs::Progress(int done, int total, const QString& current)
{
    if (!FProgress) {
        FProgress = new QProgressDialog(u"파일 작업 중..."_s, u"취소"_s, 0, qMax(total, 1), FOwner);
        FProgress->setWindowTitle(Caption);
        FProgress->setWindowModality(Qt::WindowModal);
        FProgress->setMinimumDuration(500);
        FProgress->setAutoClose(false);
        FProgress->setAutoReset(false);
        FStarted.start();
    }
    FProgress->setMaximum(qMax(total, 1));
    FProgress->setLabelText(u"파일 작업 중...\n"_s + QFileInfo(current).fileName());
    FProgress->setValue(qMin(done, FProgress->maximum()));
    // The dialog decides by the values it sees; one long file keeps the same value, so the
    // half second is also watched here.
    if (!FProgress->isVisible() && FStarted.elapsed() >= FProgress->minimumDuration())
        FProgress->show();
    // Only while the window-modal dialog is up: then the owner takes no input meanwhile.
    if (FProgress->isVisible())
        QCoreApplication::processEvents();
    return !FProgress->wasCanceled();
}

void TzqFileOpDialogs::ProgressDone()
{
    delete FProgress.data();
}

void TzqFileOpDialogs::ShowError(const QString& text)
{
    QMessageBox::warning(FOwner, Caption, text);
}
