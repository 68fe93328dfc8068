#pragma once

class QAction;
class QActionGroup;

// The main window's commands, one typed member each. Each action's object name is its member's
// name, which the settings and the tests may look for.
struct TzqMainActions {
    // The tree panel's own, listed in the File menu.
    QAction* actFileNewFolder = nullptr;
    QAction* actFileNewNote = nullptr;
    QAction* actFileDelete = nullptr;

    QAction* actFileRename = nullptr;
    QAction* actFileSave = nullptr;
    QAction* actFilePrint = nullptr;
    QAction* actReload = nullptr;
    // The tool bar's reload button: enabled in tree mode only, where actReload always is.
    QAction* tbiReload = nullptr;
    QAction* actToolFind = nullptr;
    QAction* actReplace = nullptr;
    QAction* actFindInTree = nullptr;
    QAction* actGoBack = nullptr;
    QAction* actGoFrwr = nullptr;
    QAction* actNoteToMail = nullptr;
    QAction* actSaveMht = nullptr;
    QAction* actMakeZip = nullptr;
    QAction* tbiExecAnother = nullptr;
    QAction* actToolConfig = nullptr;
    QAction* tbiGotoHome = nullptr;
    QAction* tbiClose = nullptr;
    QAction* actStayOnTop = nullptr;

    // The mode items, one checked at a time.
    QActionGroup* FModeItems = nullptr;
    QAction* tbiBrowse = nullptr;
    QAction* tbiEdit = nullptr;
    QAction* tbiSource = nullptr;

    QAction* tbiNotePad = nullptr;
    QAction* actZoomIn = nullptr;
    QAction* actZoomReset = nullptr;
    QAction* actZoomOut = nullptr;
    QAction* actTreeSplitter = nullptr;
};
