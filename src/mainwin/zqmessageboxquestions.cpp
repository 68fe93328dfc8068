#include "mainwin/zqmessageboxquestions.h"

#include "app/zqprjinfo.h"

#include <QMessageBox>

bool TzqMessageBoxQuestions::Confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, TzqPrjInfo::TitleText(), text,
                    QMessageBox::Ok | QMessageBox::Cancel, FOwner);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void TzqMessageBoxQuestions::ShowError(const QString& text)
{
    QMessageBox::critical(FOwner, TzqPrjInfo::TitleText(), text);
}
