#pragma once

#include "editor/izqviews.h"

#include <QClipboard>
#include <QColor>
#include <QWebEngineView>
#include <functional>
#include <memory>

class QMimeData;
class QPrinter;
class QTimer;
class TzqNotePage;

// Edit mode: the note in the browser engine's design mode. Commands run as the document's
// editing commands from the program's own script world; the note's own scripts never run.
class TzqWebEditView : public QWebEngineView, public IzqHtmlEditor {
    Q_OBJECT

public:
    // Asks the user for a text (a link address, a search text); none when cancelled.
    using TAskText =
        std::function<std::optional<QString>(const QString& label, const QString& initial)>;

    explicit TzqWebEditView(QWidget* parent = nullptr);
    ~TzqWebEditView() override;

    void LoadDocument(const QString& path) override;
    // None also while a document is still loading: a half-loaded document is never saved.
    std::optional<QString> DocumentHTML() override;
    std::optional<int> EditCount() override;
    bool ExecCommand(int id, int option = OLECMDEXECOPT_DODEFAULT,
                     const QVariant& input = {}) override;
    int QueryStatus(int id) override;
    int ScrollTop() override;
    void ScrollTo(int y) override;
    void PrintDocument() override;
    void InsertHtml(const QString& html) override;

    // Takes the keyboard with a caret in the document: at the start where there is none yet,
    // so that typing lands in the note.
    void FocusDocument();

    // The loaded document is editable.
    bool DocumentReady() const { return FReady; }
    TzqNotePage* NotePage() const { return FPage; }
    // Counts the documents loaded: a paste or a question that began in one tells by it whether
    // the view still holds that document.
    int LoadSerial() const { return FLoadSerial; }
    // Types text at the caret, replacing the selection.
    void InsertText(const QString& text);
    // Every paste of the view (keys, the middle button, the paste command, a drop from another
    // program) goes to the handler when one is set, with what is pasted; the engine's own paste
    // never runs.
    using TPasteHandler = std::function<void(const QMimeData* data)>;
    void SetPasteHandler(TPasteHandler handler) { FPasteHandler = std::move(handler); }

    // Replaces the Korean input dialogs (tests script the answers).
    void SetAskText(TAskText ask) { FAskText = std::move(ask); }

    // The name of the document's editing command behind a command id; empty for ids without
    // one (copy, cut, paste and find are done by the view itself).
    static QString CommandName(int id);

    // ---- Formatting of the selection ----

    // What the toolbars show at the caret.
    struct TFormatState {
        QList<int> Status; // QueryStatus of each command asked for, in order
        QString FontName;  // the first family at the caret; empty when mixed or unknown
        int FontSize = 0;  // the markup size 1 to 7; 0 when mixed or unknown
    };
    using TFormatStateAnswer = std::function<void(const TFormatState&)>;
    // Reads the states of the commands in one script call without waiting: the answer comes
    // later (never for a document that was replaced meanwhile).
    void QueryFormatState(const QList<int>& ids, TFormatStateAnswer answer);
    // Brings bold, italic or underline to the wanted state on the whole selection; a selection
    // that is partly so counts as not so. False when the command is not available.
    bool SetToggle(int id, bool wanted);
    // Strikes the whole selection through, or takes every kind of strike-through off it (the
    // engine's, <s> and <strike> elements, line-through styles), keeping all other formatting.
    // The clipboard is not used.
    bool SetStrike(bool on);
    // A format preset in one go: colours, the three toggles, the alignment, font and size.
    struct TFormat {
        QString FontName; // empty: not applied
        int FontSize = 0; // 1 to 7; 0: not applied
        QColor FontColor;
        QColor BackColor;
        bool Bold = false;
        bool Italic = false;
        bool Underline = false;
        int Align = DECMD_JUSTIFYLEFT;
    };
    bool ApplyFormat(const TFormat& format);
    // Marks every element with its tag; the marks are no part of the document and never saved.
    void SetShowDetails(bool show);
    bool ShowDetails() const { return FShowDetails; }

Q_SIGNALS:
    // The document is loaded and editable.
    void DocumentComplete();
    // The document could not be loaded; it stays unusable for editing.
    void DocumentFailed();
    // The user asked for the context menu; the editor opens its own there.
    void ShowContextMenu(QPoint globalPos);
    // A key was released or a mouse button pressed or released in the document: the formatting
    // at the caret may be another now.
    void CaretMayHaveMoved();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PageLoadFinished(bool ok);
    bool RunCommand(const QString& name, const QString& value = {});
    bool Paste();
    std::optional<QString> AskText(const QString& label, const QString& initial);

    TzqNotePage* FPage;
    TAskText FAskText;
    TPasteHandler FPasteHandler;
    std::unique_ptr<QPrinter> FPrinter;
    // The file of the document being loaded or shown.
    QString FUrlPath;
    bool FReady = false;
    bool FShowDetails = false;
    // Counts loads, so the answer of an older load's script is not taken for the current one.
    int FLoadSerial = 0;
    // A load that never ends is started once more.
    QTimer* FLoadWatch = nullptr;
    bool FLoadRetried = false;
    // How the loaded file spelled its doctype; the engine keeps only the lower-case name.
    QString FDoctypeKeyword;
    QString FDoctypeName;
    QString FDoctypeTrail;
};
