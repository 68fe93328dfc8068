#include "editor/zqsourceedit.h"

#include "platform/zqerror.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFont>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

using namespace Qt::Literals::StringLiterals;

TzqSourceEdit::TzqSourceEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(u"rchDhtml"_s);
    QFont font(u"굴림체"_s);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setTabChangesFocus(false); // tabs are typed into the text
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

qsizetype TzqSourceEdit::Length() const
{
    // The document counts one more: the end of its last block.
    return document()->characterCount() - 1;
}

void TzqSourceEdit::SetText(const QString& text)
{
    if (text.size() > MaxLength)
        throw EzqError(u"파일이 너무 커서 읽기에 실패했습니다."_s);
    setPlainText(text);
}

QString TzqSourceEdit::Text() const
{
    QString text = toPlainText();
    const QTextBlock block = textCursor().block();
    if (const QTextLayout* layout = block.layout()) {
        const QString composing = layout->preeditAreaText();
        if (!composing.isEmpty())
            text.insert(block.position() + layout->preeditAreaPosition(), composing);
    }
    return text;
}

bool TzqSourceEdit::Modified() const
{
    return document()->isModified() || Composition() != FSavedComposition;
}

void TzqSourceEdit::SetModified(bool modified)
{
    document()->setModified(modified);
    FSavedComposition = Composition();
}

QString TzqSourceEdit::Composition() const
{
    const QTextLayout* layout = textCursor().block().layout();
    return layout ? layout->preeditAreaText() : QString();
}

bool TzqSourceEdit::FindText(const QString& text, int options)
{
    if (text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (options & zqFindWholeWord)
        flags |= QTextDocument::FindWholeWords;
    if (options & zqFindMatchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options & zqFindBackward)
        flags |= QTextDocument::FindBackward;
    // Forward from the end of the selection, backward from its start.
    const QTextCursor found = document()->find(text, textCursor(), flags);
    if (found.isNull())
        return false;
    if (options & zqFindSelect) {
        setTextCursor(found);
        ensureCursorVisible();
    }
    return true;
}

void TzqSourceEdit::Print(const QString& title)
{
    QPrinter printer;
    printer.setDocName(title);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString before = document()->metaInformation(QTextDocument::DocumentTitle);
    document()->setMetaInformation(QTextDocument::DocumentTitle, title);
    print(&printer);
    document()->setMetaInformation(QTextDocument::DocumentTitle, before);
}

void TzqSourceEdit::Cut()
{
    cut();
}

void TzqSourceEdit::Copy()
{
    copy();
}

void TzqSourceEdit::Paste()
{
    paste();
}

void TzqSourceEdit::Undo()
{
    undo();
}

void TzqSourceEdit::Redo()
{
    redo();
}

bool TzqSourceEdit::HasSelection() const
{
    return textCursor().hasSelection();
}

bool TzqSourceEdit::Fits(qsizetype added, qsizetype replaced)
{
    if (Length() - replaced + added <= MaxLength)
        return true;
    QApplication::beep();
    return false;
}

void TzqSourceEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool types = !text.isEmpty() && !isReadOnly() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) &&
                       (text.at(0).isPrint() || text == u"\t"_s || text == u"\r"_s);
    if (types && !Fits(text.size(), textCursor().selectedText().size())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TzqSourceEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // Only the committed text enters the document; the composition is shown beside it.
    const QString commit = event->commitString();
    if (!commit.isEmpty()) {
        const qsizetype replaced =
            textCursor().selectedText().size() + qAbs(event->replacementLength());
        if (!Fits(commit.size(), replaced)) {
            QInputMethodEvent dropped(QString(), {});
            QPlainTextEdit::inputMethodEvent(&dropped);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TzqSourceEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    if (!Fits(source->text().size(), textCursor().selectedText().size()))
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void TzqSourceEdit::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    Q_EMIT ShowContextMenu(event->globalPos());
}
