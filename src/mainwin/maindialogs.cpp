#include "mainwin/maindialogs.h"

#include "app/zqprjinfo.h"
#include "platform/util.h"
#include "store/notestore.h"
#include "tools/frmmsgbox.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TzqMainDialogs::TzqMainDialogs(QWidget* window) : QObject(window), FWindow(window) {}

void TzqMainDialogs::ShowError(const QString& text)
{
    QMessageBox::critical(FWindow, TzqPrjInfo::TitleText(), text);
}

void TzqMainDialogs::ShowMsgBox(const QString& text)
{
    ::ShowMsgBox(FWindow, text);
}

bool TzqMainDialogs::AskReload()
{
    return QMessageBox::warning(FWindow, u"노트 파일 변경"_s,
                                u"노트가 변경되었습니다.\r\n다시 읽어 들일까요?"_s,
                                QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

TzqSaveConflictAnswer TzqMainDialogs::AskSaveConflict(const QString& page)
{
    QMessageBox box(
        QMessageBox::Warning, TzqPrjInfo::TitleText(),
        u"다른 곳에서 이 노트가 바뀌었습니다: %1\n\n바뀐 노트를 지금 내용으로 덮어쓸까요, "
        u"아니면 지금 내용을 \"(내 사본)\" 노트로 따로 저장할까요?"_s.arg(FileBaseName(page)),
        QMessageBox::NoButton, FWindow);
    QPushButton* overwrite = box.addButton(u"덮어쓰기"_s, QMessageBox::DestructiveRole);
    QPushButton* keepBoth = box.addButton(u"사본으로 저장"_s, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(u"취소"_s, QMessageBox::RejectRole);
    box.setDefaultButton(keepBoth);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return TzqSaveConflictAnswer::Overwrite;
    if (box.clickedButton() == keepBoth)
        return TzqSaveConflictAnswer::KeepBoth;
    return TzqSaveConflictAnswer::Cancel;
}

void TzqMainDialogs::ShowWarning(const QString& text)
{
    QMessageBox::warning(FWindow, TzqPrjInfo::TitleText(), text);
}

void TzqMainDialogs::ShowMessage(const QString& text)
{
    QMessageBox::information(FWindow, TzqPrjInfo::TitleText(), text);
}

bool TzqMainDialogs::Confirm(const QString& text)
{
    return QMessageBox::question(FWindow, TzqPrjInfo::TitleText(), text,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}
