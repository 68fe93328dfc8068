#pragma once

#include <Qt>

// What a key pressed anywhere in the main window does beyond the widgets' own handling.
enum class TzqKeyCommand {
    None,
    NewNote,        // Ctrl+Insert
    NewFolder,      // Ctrl+Shift+Insert
    DeleteNode,     // Ctrl+Shift+Delete
    FormatPreset,   // Ctrl+1..9, Number = 1..9
    InsertTime,     // Ctrl+D
    EditItem,       // click tbiEdit
    BrowseItem,     // click tbiBrowse
    SourceItem,     // click tbiSource
    Replace,        // actReplace
    Find,           // actToolFind
    FindInFolder,   // Ctrl+Shift+F
    Print,          // Ctrl+P
    Save,           // Ctrl+S
    Redo,           // the editor's actRedo
    PasteText,      // the editor's actPasteText
    SearchBoxPaste, // paste into the tree panel's search box
    Indent,         // tbiIndent
    Outdent,        // tbiOutdent
    CloseNotePad,
    Minimize,      // the window's minimize command (the tray rule follows)
    Rename,        // actFileRename
    ShowWhoEdits,  // the holder of the note's edit marker in the notification box
    ExecAnother,   // tbiExecAnother
    ToggleNotePad, // tbiNotePad
    Snippet,       // Alt+1..9, Number = 1..9
    ToTreeMode,    // btnToTreeMode
    ToSearchMode,  // btnToSearchMode
    FileMenu,      // open the File menu
    GoBack,        // actGoBack
    GoForward,     // actGoFrwr
};

// The state of the main window a key's meaning depends on.
struct TzqKeyInput {
    int Key = 0; // Qt::Key
    Qt::KeyboardModifiers Modifiers;
    bool TreeMode = true;
    int ViewMode = 0; // 0 browse, 1 edit, 2 source
    bool NotePadVisible = false;
    // Search mode: the tree panel's search box has the keyboard.
    bool SearchBoxFocused = false;
    bool BrowseEnabled = true;
    bool EditEnabled = true;
    bool SourceEnabled = true;
    // The main window is the system's active window.
    bool MainWindowActive = true;
    // A menu or another popup is open: it has the keyboard.
    bool PopupOpen = false;
};

struct TzqKeyDecision {
    TzqKeyCommand Command = TzqKeyCommand::None;
    int Number = 0;
    // The key goes no further: no widget and no shortcut sees it.
    bool Swallow = false;

    friend bool operator==(const TzqKeyDecision&, const TzqKeyDecision&) = default;
};

// The main window's keys: Ctrl alone, Ctrl with Shift, Alt with a character, and the rest.
// Keys outside the table pass untouched; a swallowed key does its command (if its condition
// holds) and nothing else.
TzqKeyDecision DecideKey(const TzqKeyInput& in);
