#pragma once

#include "tools/zqnotepadstore.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QSizeGrip;
class TzqPrjInfo;

// The scratch notepad "메모장": one plain-text memo in a small window above the others, its
// text kept in "tmpzqq.txt" beside the program, its place and size in section TfrmNotePad.
// Closing only hides it, and every close stores text and place.
class TfrmNotePad : public QWidget {
    Q_OBJECT

public:
    // The window belongs to mainWindow and takes its colour and icon.
    TfrmNotePad(QWidget* mainWindow, TzqPrjInfo& prjInfo);

    QPlainTextEdit* Memo() const { return mem; }

    // Writes the text, then stores the place and size. Throws EzqError when the text file
    // cannot be written; the place is then not stored. The main window calls this when it
    // closes, for a notepad that was ever created.
    void SaveState();

    // Esc from the main window: closes a visible notepad. True when it was visible.
    bool CloseIfVisible();

    // Who shows the error of a close whose text could not be written (a modal error box
    // unless replaced).
    void SetErrorHandler(std::function<void(const QString&)> handler);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(QWidget* mainWindow);
    void FormShow();
    void LoadText();

    TzqNotePadStore FStore;
    std::function<void(const QString&)> FShowError;
    bool FShownOnce = false;
    QPlainTextEdit* mem = nullptr;
    QWidget* pnlStatusBar = nullptr;
    QSizeGrip* imgResize = nullptr;
};

// The main window's tool bar item tbiNotePad and F12: the first call creates the notepad
// (owned by mainWindow) and shows it; later calls close a visible notepad and show a hidden
// one. notePad is the main window's slot for it. Returns the notepad.
TfrmNotePad* ToggleNotePad(QPointer<TfrmNotePad>& notePad, QWidget* mainWindow,
                           TzqPrjInfo& prjInfo);
