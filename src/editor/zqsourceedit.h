#pragma once

#include "editor/izqviews.h"

#include <QPlainTextEdit>

// Source mode: the note's HTML as plain text, at most MaxLength characters. Input that would
// go beyond the limit is refused whole, with a beep, and the text stays as it was.
class TzqSourceEdit : public QPlainTextEdit, public IzqSourceView {
    Q_OBJECT

public:
    static constexpr qsizetype MaxLength = 2097152;

    explicit TzqSourceEdit(QWidget* parent = nullptr);

    // Raises EzqError for a text beyond the limit; the view keeps what it showed, so a note
    // is never cut short and then saved.
    void SetText(const QString& text) override;
    // What the user sees: the syllable the input method is still composing stands at the
    // caret, so a save or a close in the middle of a word keeps it.
    QString Text() const override;
    // Also true while the composition differs from the one the last save took along.
    bool Modified() const override;
    void SetModified(bool modified) override;
    bool FindText(const QString& text, int options) override;
    void Print(const QString& title) override;
    void Cut() override;
    void Copy() override;
    void Paste() override;
    void Undo() override;
    void Redo() override;
    bool HasSelection() const override;

    // The number of characters, as the limit counts them.
    qsizetype Length() const;

Q_SIGNALS:
    // The user asked for the context menu; the editor opens its own there.
    void ShowContextMenu(QPoint globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // True when replacing the selection by added characters stays within the limit; beeps
    // otherwise.
    bool Fits(qsizetype added, qsizetype replaced);
    // The input method's text shown at the caret, not yet in the document.
    QString Composition() const;

    QString FSavedComposition;
};
