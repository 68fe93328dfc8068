#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// The three views of a note as the editor's logic sees them. The windows implement them with
// the browser engine and a plain-text edit; tests implement them with scripted fakes.

// Command ids of the editing view.
enum TzqEditCommand : int {
    DECMD_BOLD = 5000,
    DECMD_COPY = 5002,
    DECMD_CUT = 5003,
    DECMD_HYPERLINK = 5016,
    DECMD_IMAGE = 5017,
    DECMD_INDENT = 5018,
    DECMD_ITALIC = 5023,
    DECMD_JUSTIFYCENTER = 5024,
    DECMD_JUSTIFYLEFT = 5025,
    DECMD_JUSTIFYRIGHT = 5026,
    DECMD_ORDERLIST = 5030,
    DECMD_OUTDENT = 5031,
    DECMD_PASTE = 5032,
    DECMD_REDO = 5033,
    DECMD_SETBACKCOLOR = 5042,
    DECMD_SETFONTNAME = 5044,
    DECMD_SETFONTSIZE = 5045,
    DECMD_SETFORECOLOR = 5046,
    DECMD_UNDERLINE = 5048,
    DECMD_UNDO = 5049,
    DECMD_UNORDERLIST = 5051,
};

// Answers of QueryStatus.
enum TzqCommandStatus : int {
    DECMDF_NOTSUPPORTED = 0,
    DECMDF_DISABLED = 1,
    DECMDF_ENABLED = 3,
    DECMDF_LATCHED = 7,  // a toggle that is on
    DECMDF_NINCHED = 11, // the selection is mixed
};

// Options of ExecCommand.
enum TzqExecOption : int {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2
};

// Options of the source view's FindText.
enum TzqFindOption : int {
    zqFindWholeWord = 1,
    zqFindMatchCase = 2,
    zqFindBackward = 4,
    zqFindSelect = 8
};

// Edit mode: the note in the browser engine's design mode. Completion of a load is reported
// by the window to the editor (TzqNoteEditor::EditDocumentComplete).
class IzqHtmlEditor {
public:
    virtual ~IzqHtmlEditor() = default;
    virtual void LoadDocument(const QString& path) = 0;
    // The whole document as text: the doctype (if any), the comments around the root element
    // and the root element's outer HTML. None when the document cannot be read.
    virtual std::optional<QString> DocumentHTML() = 0;
    // How often the document changed since it was loaded (typing, commands, inserts, drops);
    // none when it cannot be told.
    virtual std::optional<int> EditCount() = 0;
    // False when the command is unknown or failed.
    virtual bool ExecCommand(int id, int option = OLECMDEXECOPT_DODEFAULT,
                             const QVariant& input = {}) = 0;
    virtual int QueryStatus(int id) = 0;
    // Vertical scroll position of the document; -1 when there is none.
    virtual int ScrollTop() = 0;
    virtual void ScrollTo(int y) = 0;
    virtual void PrintDocument() = 0;
    // Inserts markup at the caret, replacing the selection, through the view itself: the
    // user's clipboard is left as it was.
    virtual void InsertHtml(const QString& html) = 0;
};

// Browse mode: the note shown read-only; links are decided by the editor
// (TzqNoteEditor::BeforeNavigate).
class IzqBrowseView {
public:
    virtual ~IzqBrowseView() = default;
    virtual void Navigate(const QString& path) = 0;
    virtual void Refresh() = 0;
    virtual int ScrollTop() = 0;
    virtual void ScrollTo(int y) = 0;
    virtual void Print() = 0;
    // Leaves the note (a blank page).
    virtual void Clear() = 0;
};

// Source mode: the note's HTML as plain text. Lines are joined with "\n" here; the editor
// converts to CP949 with CR LF when it writes.
class IzqSourceView {
public:
    virtual ~IzqSourceView() = default;
    virtual void SetText(const QString& text) = 0;
    virtual QString Text() const = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;
    // Searches from the caret with the zqFind options; true when found.
    virtual bool FindText(const QString& text, int options) = 0;
    virtual void Print(const QString& title) = 0;
    virtual void Cut() = 0;
    virtual void Copy() = 0;
    virtual void Paste() = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual bool HasSelection() const = 0;
};
