#pragma once

#include "editor/formatpreset.h"
#include "tools/datadirrows.h"

#include <QByteArray>
#include <QString>

#include <array>

class TzqPrjInfo;

// Why the settings cannot be stored as entered: the field to correct and the message.
struct TzqConfigRefusal {
    enum TField { None, MyName, DateFormat, TextEditor, CharSet };
    TField Field = None;
    QString Message;
};

// Everything the settings dialog edits, read from the settings file when it opens and written
// back, all in one change of the file, when the user confirms.
struct TzqConfigValues {
    QString MyName;         // MyName, as in the file (no computer-name fallback)
    int BootMode = 0;       // 0 previous size, 1 maximized, 2 tray
    bool Dex = false;       // DEX
    bool MiniTray = false;  // MiniTray
    bool CharsGrid = false; // CGRD
    bool FindRootOption = false;
    int AutoInterval = 1;    // tmAuto, minutes, 0 to 60
    QString DateFormat;      // DateFormat
    QString TextEditor;      // the editor's path as it will be stored
    QString CharSet;         // CharSet
    bool FilesPanel = true;  // FPanel
    bool CtrlDrag = false;   // CDrag
    bool ChangeMsg = true;   // CMsg
    bool NoSplitter = false; // NoSplitter
    bool InsertNoteAppend = true;
    bool ViewHangulMark = true;
    TzqDataDirRows DataDirs;
    std::array<TzqFormatPreset, 9> Presets;

    // The file's bytes of the texts that were read, so an unchanged text is written back as it
    // was and not refused for bytes that are no valid CP949.
    QByteArray StoredMyName;
    QByteArray StoredDateFormat;
    QByteArray StoredCharSet;

    static constexpr int MaxAutoInterval = 60;

    // What the dialog shows when it opens. TextEditor, CharSet and NoSplitter are the store's
    // cached values; the editor's path is empty when its program no longer exists.
    static TzqConfigValues Load(const TzqPrjInfo& prj);

    // The first field that cannot be stored: a text with characters CP949 lacks (the file
    // would hold "?" in their place).
    TzqConfigRefusal Validate() const;

    // Why a program chosen as the text editor cannot be used, or empty: it must be an existing
    // executable file whose path the settings file can hold.
    static QString CheckTextEditor(const QString& path);

    // Writes every value as one change of the file: PROGRAM's keys (MyName and CharSet
    // trimmed; TextEditor only when it differs from the store's cached path), all fifty
    // DataDir sections and the nine presets. The store's caches follow. On failure EzqError
    // is thrown and neither the file nor the caches changed.
    void Save(TzqPrjInfo& prj) const;
};
