#pragma once

#include "mainwin/mainactions.h"

#include <QObject>
#include <QPointer>

class QKeySequence;
class QString;
class TfrmMainQL;
class TfrmNotePad;
struct TzqKeyDecision;

// The main window's commands: their actions, which of them are enabled, and what the keys of
// the window's key table do.
class TzqMainCommands : public QObject {
    Q_OBJECT

public:
    explicit TzqMainCommands(TfrmMainQL* window);

    // Made once the window's panels exist; the actions are the window's children.
    void CreateActions();
    const TzqMainActions& Actions() const { return A; }

    // Re-reads which commands are enabled.
    void UpdateActions();
    // The mode items show the mode (exactly one checked).
    void CheckModeItem(int mode);
    // The edit and source items; disabled while another user edits the current note.
    void SetEditItemsEnabled(bool enabled);
    bool EditItemsEnabled() const { return FEditItemsEnabled; }

    // The keys of the whole window, decided by the key table and done here.
    void RunKeyCommand(const TzqKeyDecision& decision);
    // One step back (negative) or forward in the history; only in tree mode, and only when
    // the page being left is saved.
    void GoHistory(int step);
    void tbiExecAnotherClick();
    TfrmNotePad* NotePad() const;

Q_SIGNALS:
    // Alt+F: the File menu opens below its button.
    void FileMenuRequested();
    // The settings dialog changed what the window shows.
    void SettingsChanged();

private:
    QAction* NewCommand(const QString& name, const QString& caption, const QString& icon,
                        const QString& hint, const QKeySequence& key);
    void actFileExecute(int tag);
    // "환경설정": saves and leaves the note, then applies what the dialog changed.
    void actToolConfigExecute();
    void ShowWhoEdits();
    void Zoom(int step);
    void ClickEditItem(QAction* item);

    TfrmMainQL* W;
    TzqMainActions A;
    bool FEditItemsEnabled = true;
    QPointer<TfrmNotePad> FNotePad;
};
