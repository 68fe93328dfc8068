#include "editor/zqsourcefindtarget.h"

#include "editor/textfind.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

TzqSourceFindTarget::TzqSourceFindTarget(QPlainTextEdit* edit) : FEdit(edit) {}

QString TzqSourceFindTarget::SelectedText() const
{
    if (!FEdit)
        return {};
    const QString selected = FEdit->textCursor().selectedText();
    const qsizetype end = selected.indexOf(QChar::ParagraphSeparator);
    return end < 0 ? selected : selected.first(end);
}

void TzqSourceFindTarget::FindNext(const QString& text, int options)
{
    FLastFound = false;
    if (!FEdit || text.isEmpty())
        return;
    // The raw text counts positions as the document does: one separator between lines.
    const QString all = FEdit->document()->toRawText();
    const QTextCursor cursor = FEdit->textCursor();
    const qsizetype start = cursor.selectionStart();
    const qsizetype at =
        FindInText(all, text, options, start, cursor.selectionEnd() - cursor.selectionStart());
    if (at < 0)
        return;
    FLastFound = true;
    QTextCursor found(FEdit->document());
    found.setPosition(static_cast<int>(at));
    found.setPosition(static_cast<int>(at + text.size()), QTextCursor::KeepAnchor);
    FEdit->setTextCursor(found);
    FEdit->ensureCursorVisible();
}
