#include "mainwin/zqmessageboxquestions.h"

#include "app/zqprjinfo.h"

#include <QFileDialog>
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

QString TzqMessageBoxQuestions::AskSaveFileName(const QString& caption, const QString& suggested,
                                                const QString& filter)
{
    // The dialog asks before it replaces a file of the name as typed.
    return QFileDialog::getSaveFileName(FOwner, caption, suggested, filter, nullptr,
                                        QFileDialog::DontUseCustomDirectoryIcons);
}
