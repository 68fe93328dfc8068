#include "editor/frmfindreplace.h"

#include "editor/izqviews.h"
#include "editor/textfind.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmFindReplace::TfrmFindReplace(QPlainTextEdit* edit, QWidget* parent)
    : TfrmZqGrayDialog(parent), FEdit(edit)
{
    frmZqNoCaptionCreate();
}

void TfrmFindReplace::frmZqNoCaptionCreate()
{
    setObjectName(u"frmFindReplace"_s);
    setWindowTitle(u"찾아 바꾸기"_s);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* labFindText = new QLabel(u"찾을 내용(&T):"_s, this);
    labFindText->setObjectName(u"labFindText"_s);
    edtFindText = new QLineEdit(this);
    edtFindText->setObjectName(u"edtFindText"_s);
    labFindText->setBuddy(edtFindText);
    auto* labReplaceText = new QLabel(u"바꿀 내용(&P):"_s, this);
    labReplaceText->setObjectName(u"labReplaceText"_s);
    edtReplaceText = new QLineEdit(this);
    edtReplaceText->setObjectName(u"edtReplaceText"_s);
    labReplaceText->setBuddy(edtReplaceText);

    chkWholeWord = new QCheckBox(u"단어 단위로(&W)"_s, this);
    chkWholeWord->setObjectName(u"chkWholeWord"_s);
    chkCaseSensitive = new QCheckBox(u"대·소문자 구분(&C)"_s, this);
    chkCaseSensitive->setObjectName(u"chkCaseSensitive"_s);
    labStatus = new QLabel(this);
    labStatus->setObjectName(u"labStatus"_s);

    btnFindNext = new TzqGradiButton(u"다음 찾기(&F)"_s, this);
    btnFindNext->setObjectName(u"btnFindNext"_s);
    btnFindNext->setDefault(true);
    btnReplace = new TzqGradiButton(u"바꾸기(&R)"_s, this);
    btnReplace->setObjectName(u"btnReplace"_s);
    btnReplaceAll = new TzqGradiButton(u"모두 바꾸기(&A)"_s, this);
    btnReplaceAll->setObjectName(u"btnReplaceAll"_s);
    btnCancel = new TzqGradiButton(u"취소"_s, this);
    btnCancel->setObjectName(u"btnCancel"_s);
    for (TzqGradiButton* b : {btnFindNext, btnReplace, btnReplaceAll, btnCancel}) {
        b->SetColors(TzqGradiColors::DialogColors());
        b->setMinimumHeight(24);
    }
    for (QPushButton* b : {btnReplace, btnReplaceAll, btnCancel})
        b->setAutoDefault(false);

    connect(btnFindNext, &QPushButton::clicked, this, [this] {
        ShowStatus({});
        btnFindNextClick();
    });
    connect(btnReplace, &QPushButton::clicked, this, [this] { btnReplaceClick(); });
    connect(btnReplaceAll, &QPushButton::clicked, this, [this] { btnReplaceAllClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edtFindText, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(labFindText, 0, 0);
    layout->addWidget(edtFindText, 0, 1);
    layout->addWidget(labReplaceText, 1, 0);
    layout->addWidget(edtReplaceText, 1, 1);
    auto* checks = new QVBoxLayout;
    checks->addWidget(chkWholeWord);
    checks->addWidget(chkCaseSensitive);
    checks->addStretch();
    checks->addWidget(labStatus);
    layout->addLayout(checks, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnFindNext);
    buttons->addWidget(btnReplace);
    buttons->addWidget(btnReplaceAll);
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 2, 3, 1);
    resize(420, 170);

    UpdateButtons();
    edtFindText->setFocus();
}

int TfrmFindReplace::Options() const
{
    int options = 0;
    if (chkWholeWord->isChecked())
        options |= zqFindWholeWord;
    if (chkCaseSensitive->isChecked())
        options |= zqFindMatchCase;
    return options;
}

void TfrmFindReplace::showEvent(QShowEvent* event)
{
    TfrmZqGrayDialog::showEvent(event);
    if (event->spontaneous() || !FEdit)
        return;
    // A one-line selection becomes the search text.
    const QString selected = FEdit->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        edtFindText->setText(selected);
    edtFindText->selectAll();
    edtFindText->setFocus();
}

void TfrmFindReplace::UpdateButtons()
{
    const bool any = !edtFindText->text().isEmpty();
    btnFindNext->setEnabled(any);
    btnReplace->setEnabled(any);
    btnReplaceAll->setEnabled(any);
}

void TfrmFindReplace::ShowStatus(const QString& text)
{
    labStatus->setText(text);
}

bool TfrmFindReplace::btnFindNextClick()
{
    const QString what = edtFindText->text();
    if (!FEdit || what.isEmpty())
        return false;
    const QTextCursor cursor = FEdit->textCursor();
    const qsizetype at =
        FindInText(FEdit->document()->toRawText(), what, Options(), cursor.selectionStart(),
                   cursor.selectionEnd() - cursor.selectionStart());
    if (at < 0)
        return false;
    QTextCursor found(FEdit->document());
    found.setPosition(static_cast<int>(at));
    found.setPosition(static_cast<int>(at + what.size()), QTextCursor::KeepAnchor);
    FEdit->setTextCursor(found);
    FEdit->ensureCursorVisible();
    return true;
}

bool TfrmFindReplace::SelectionMatches() const
{
    const QTextCursor cursor = FEdit->textCursor();
    const qsizetype start = cursor.selectionStart();
    if (cursor.selectionEnd() - start != edtFindText->text().size())
        return false;
    // The selection is a match when a search from its start finds it there.
    return FindInText(FEdit->document()->toRawText(), edtFindText->text(), Options(), start, 0) ==
           start;
}

bool TfrmFindReplace::Fits(qsizetype added) const
{
    return FMaxLength <= 0 || FEdit->document()->characterCount() - 1 + added <= FMaxLength;
}

void TfrmFindReplace::btnReplaceClick()
{
    ShowStatus({});
    if (!FEdit || edtFindText->text().isEmpty() || FEdit->isReadOnly())
        return;
    if (SelectionMatches()) {
        const QString with = edtReplaceText->text();
        if (!Fits(with.size() - edtFindText->text().size())) {
            ShowStatus(u"글이 너무 길어져서 바꿀 수 없습니다."_s);
            return;
        }
        QTextCursor cursor = FEdit->textCursor();
        cursor.insertText(with);
        FEdit->setTextCursor(cursor);
    }
    btnFindNextClick();
}

void TfrmFindReplace::btnReplaceAllClick()
{
    ShowStatus({});
    const QString what = edtFindText->text();
    if (!FEdit || what.isEmpty() || FEdit->isReadOnly())
        return;
    const QString with = edtReplaceText->text();
    const QList<qsizetype> starts = FindAllInText(FEdit->document()->toRawText(), what, Options());
    if (!Fits(starts.size() * (with.size() - what.size()))) {
        ShowStatus(u"글이 너무 길어져서 바꿀 수 없습니다."_s);
        return;
    }
    if (!starts.isEmpty()) {
        // From the last match to the first, so the positions still ahead stay valid; one edit
        // block is one step of undo.
        QTextCursor cursor(FEdit->document());
        cursor.beginEditBlock();
        for (auto it = starts.crbegin(); it != starts.crend(); ++it) {
            cursor.setPosition(static_cast<int>(*it));
            cursor.setPosition(static_cast<int>(*it + what.size()), QTextCursor::KeepAnchor);
            cursor.insertText(with);
        }
        cursor.endEditBlock();
    }
    ShowStatus(u"%1개를 바꾸었습니다."_s.arg(starts.size()));
}
