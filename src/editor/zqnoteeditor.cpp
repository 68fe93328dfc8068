#include "editor/zqnoteeditor.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "platform/cp949.h"
#include "platform/noteencoding.h"
#include "platform/textfile.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/notestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SaveFailedText = u"파일 저장에 실패했습니다. 다시 저장하여 주십시오."_s;
const QString TooLargeText = u"파일이 너무 커서 읽기에 실패했습니다."_s;
const QString MissingText = u"파일이 없어 읽어 들일 수 없습니다."_s;
const QString ChangedText = u"노트 내용이 변경되었습니다."_s;

// The edit command behind a clipboard action.
int ClipboardCommandId(int kind)
{
    switch (kind) {
    case zqClipCut:
        return DECMD_CUT;
    case zqClipCopy:
        return DECMD_COPY;
    case zqClipPaste:
        return DECMD_PASTE;
    case zqClipUndo:
        return DECMD_UNDO;
    case zqClipRedo:
        return DECMD_REDO;
    default:
        return 0;
    }
}

bool IsEnabledStatus(int status)
{
    return (status & DECMDF_ENABLED) == DECMDF_ENABLED;
}

// The first free name beside the note for the user's own version: "Plan (내 사본).htm", then
// "Plan (내 사본 2).htm", ...
QString FreeCopyPath(const QString& page)
{
    const QString stem = ExtractFilePath(page) + FileBaseName(page);
    QString candidate = stem + u" (내 사본).htm"_s;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + u" (내 사본 %1).htm"_s.arg(n);
    return candidate;
}

// Lines end in CR LF on disk: a LF without its CR gets one.
QString WithCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    QChar previous;
    for (const QChar c : text) {
        if (c == u'\n' && previous != u'\r')
            out.append(u'\r');
        out.append(c);
        previous = c;
    }
    return out;
}

// The text of the source view as the note holds it: every line break CR LF.
QString SourceLines(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

// The file holds exactly these bytes already.
bool FileHolds(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes;
}

} // namespace

TzqNoteEditor::TzqNoteEditor(IzqHtmlEditor* html, IzqBrowseView* browse, IzqSourceView* source,
                             IzqEditorHost* host, IzqEditorUi* ui, QObject* parent)
    : QObject(parent), FHtml(html), FBrowse(browse), FSource(source), FHost(host), FUi(ui),
      FAutoSaveTimer(new QTimer(this))
{
    // The interval is read from the settings whenever the timer starts.
    FAutoSaveTimer->setInterval(60000);
    connect(FAutoSaveTimer, &QTimer::timeout, this, &TzqNoteEditor::AutoSaveTick);
}

int TzqNoteEditor::Mode() const
{
    return FHost->ViewMode();
}

// ---- Loading and saving -------------------------------------------------------------------

void TzqNoteEditor::LoadCurrentNote()
{
    const QString path = FHost->CurrentPage();
    FDocumentReady = false;
    if (path.isEmpty())
        return;
    bool exists = false;
    try {
        exists = PreparePageForLoad(path, FHost->FolderNoteDefault());
    } catch (const EzqError& e) {
        // The folder note could not be created.
        FUi->ShowError(e.Message());
        return;
    }
    if (!exists) {
        FUi->ShowError(MissingText);
        return;
    }
    try {
        LoadFile(path);
        FHost->AddToHistory(path);
    } catch (const std::exception&) {
        FUi->ShowError(TooLargeText);
    }
}

void TzqNoteEditor::LoadFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    switch (Mode()) {
    case vmEdit:
        FDocumentPath.clear();
        FDocumentEncoding = DetectNoteEncoding(textfile::ReadAll(path));
        FDocumentPath = path;
        FSavedEdits = 0;
        FHtml->LoadDocument(path);
        Q_EMIT FileListRefillNeeded();
        break;
    case vmSource: {
        // Until the text is in the view it still holds another document, which must never be
        // saved under this path.
        FDocumentPath.clear();
        const QByteArray bytes = textfile::ReadAll(path);
        FDocumentEncoding = DetectNoteEncoding(bytes);
        QString text = DecodeNote(bytes, FDocumentEncoding);
        text.replace(u"\r\n"_s, u"\n"_s);
        text.replace(u'\r', u'\n');
        // Cut off at the view's limit, the note would lose its end at the next save.
        if (text.size() > SourceTextLimit)
            throw EzqError(TooLargeText);
        FSource->SetText(text);
        FSource->SetModified(false);
        FDocumentPath = path;
        break;
    }
    default:
        FDocumentPath = path;
        FBrowseLoading = true;
        FBrowse->Navigate(path);
        break;
    }
    // A new document: an earlier answer to a save conflict no longer applies.
    FDeclinedTime = 0;
    FCopyPath.clear();
    FFileTime = FileLastWriteTime(path);
    FocusLater();
}

bool TzqNoteEditor::SaveFile(const QString& path)
{
    if (path.isEmpty() || !FHost->TreeMode())
        return true;
    TWritten written = TWritten::Same;
    switch (Mode()) {
    case vmEdit: {
        // Only the note's own document, fully loaded, is written: while a load runs the view
        // may still hold the note shown before, and nothing can have been typed yet.
        if (!FDocumentReady || path != FDocumentPath)
            return true;
        // A document nobody changed is not written: the note keeps its bytes and its time.
        const std::optional<int> edits = FHtml->EditCount();
        if (edits && *edits == FSavedEdits)
            return true;
        const std::optional<QString> html = FHtml->DocumentHTML();
        QByteArray bytes;
        if (html && !html->isEmpty()) {
            bytes = EncodeNote(WithCrLf(*html), FDocumentEncoding);
            const QString charSet = FHost->CharSet().trimmed();
            if (FDocumentEncoding == TzqNoteEncoding::Cp949 && !charSet.isEmpty() &&
                charSet != u"unicode"_s)
                bytes = FixCharsetLabel(bytes, charSet);
        }
        if (bytes.isEmpty()) {
            FUi->ShowError(SaveFailedText);
            return false;
        }
        written = WriteNote(path, bytes);
        if (Kept(written) && edits)
            FSavedEdits = *edits;
        break;
    }
    case vmSource:
        if (!FSource->Modified() || path != FDocumentPath)
            return true;
        written = WriteNote(path, EncodeNote(SourceLines(FSource->Text()), FDocumentEncoding));
        if (Kept(written))
            FSource->SetModified(false);
        break;
    default:
        return true;
    }
    // Only a write of our own moves the remembered time on. A save that writes nothing leaves
    // it, so a change someone else made meanwhile is still noticed (CheckExternalChange) and
    // never taken for our own.
    if (written == TWritten::Note)
        FFileTime = FileLastWriteTime(path);
    return Kept(written);
}

TzqNoteEditor::TWritten TzqNoteEditor::WriteNote(const QString& path, const QByteArray& bytes)
{
    const qint64 onDisk = FileLastWriteTime(path);
    // The note says this already (whoever wrote it): nothing to write, nothing to ask.
    if (onDisk != 0 && FileHolds(path, bytes)) {
        FFileTime = onDisk;
        return TWritten::Same;
    }
    QString target = path;
    if (onDisk != 0 && onDisk != FFileTime) {
        // Someone else wrote the note since we loaded it. The answer is remembered with that
        // version's file time: the auto-save repeats it silently instead of asking again every
        // tick, until the file changes once more. "Keep both" keeps sending the user's version
        // to the copy for every save; after "Cancel" a save the user makes (or leaving the note)
        // asks again, so that the user's text is not dropped without a word.
        TzqSaveConflictAnswer answer;
        const bool decided = onDisk == FDeclinedTime &&
                             (FAutoSaving || FDeclinedAnswer == TzqSaveConflictAnswer::KeepBoth);
        if (decided) {
            answer = FDeclinedAnswer;
        } else {
            FAsking = true;
            const auto done = qScopeGuard([this] { FAsking = false; });
            answer = FUi->AskSaveConflict(path);
        }
        if (answer == TzqSaveConflictAnswer::Overwrite) {
            FDeclinedTime = 0;
            FCopyPath.clear();
        } else {
            if (answer == TzqSaveConflictAnswer::KeepBoth &&
                (onDisk != FDeclinedTime || FCopyPath.isEmpty()))
                FCopyPath = FreeCopyPath(path);
            FDeclinedTime = onDisk;
            FDeclinedAnswer = answer;
            if (answer == TzqSaveConflictAnswer::Cancel)
                return TWritten::Declined;
            target = FCopyPath;
        }
    }
    try {
        textfile::WriteAll(target, bytes);
    } catch (const EzqError&) {
        FUi->ShowError(SaveFailedText);
        return TWritten::Failed;
    }
    return target == path ? TWritten::Note : TWritten::Copy;
}

bool TzqNoteEditor::SaveIfEditing()
{
    return Mode() == vmBrowse || SaveFile(FHost->CurrentPage());
}

QByteArray TzqNoteEditor::FixCharsetLabel(const QByteArray& text, const QString& charSet)
{
    qsizetype label = text.indexOf("charset");
    if (label < 0)
        label = text.indexOf("CHARSET");
    if (label < 0)
        return text;
    const qsizetype e = text.indexOf('=', label);
    if (e < 0 || text.mid(e + 1, 7) != "unicode")
        return text;
    // The value ends where the attribute or the tag does. Only the value is replaced: whatever
    // follows it (the rest of a single-quoted content attribute, the next tags) stays.
    qsizetype end = e + 8;
    while (end < text.size()) {
        const char c = text[end];
        if (c == '"' || c == '\'' || c == '>' || c == ';' || static_cast<unsigned char>(c) <= ' ')
            break;
        ++end;
    }
    return text.left(e + 1) + cp949::FromUnicode(charSet.trimmed()) + text.mid(end);
}

// ---- Modes, timers, outside changes ---------------------------------------------------------

void TzqNoteEditor::ModeChanged()
{
    const int mode = Mode();
    FScrollSyncPending = true;
    FScrollFromMode = FLastMode;
    // The place is read while the old view is still in front: a hidden page may not answer.
    FScrollFromY = -1;
    if (FLastMode == vmBrowse && mode == vmEdit)
        FScrollFromY = FBrowse->ScrollTop();
    else if (FLastMode == vmEdit && mode == vmBrowse && FEditDisplayed)
        FScrollFromY = FHtml->ScrollTop();
    FLastMode = mode;
    FDocumentReady = false;
    SetAutoSaveEnabled(mode != vmBrowse);
    Q_EMIT ModeApplied(mode);
    LoadCurrentNote();
}

void TzqNoteEditor::CheckExternalChange()
{
    // The question's own dialog activates the application again when it closes.
    if (FAsking || FClosed)
        return;
    const QString path = FHost->CurrentPage();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    const qint64 onDisk = FileLastWriteTime(path);
    if (onDisk != FFileTime && onDisk != FDeclinedTime) {
        // Remembered whatever the answer, so this version is asked about once.
        FFileTime = onDisk;
        bool reload = true;
        if (FHost->ChangeMsg()) {
            FAsking = true;
            const auto done = qScopeGuard([this] { FAsking = false; });
            reload = FUi->AskReload();
        } else {
            FUi->ShowMsgBox(ChangedText);
        }
        if (reload) {
            if (Mode() == vmBrowse)
                FBrowse->Refresh();
            else
                LoadCurrentNote();
        }
    }
    SetAutoSaveEnabled(Mode() != vmBrowse);
}

int TzqNoteEditor::AutoSaveMinutes() const
{
    return std::clamp(FHost->AutoSaveMinutes(), 0, 24 * 60);
}

void TzqNoteEditor::SetAutoSaveEnabled(bool enabled)
{
    const int minutes = AutoSaveMinutes();
    if (!enabled || minutes == 0) {
        FAutoSaveTimer->stop();
        return;
    }
    if (!FAutoSaveTimer->isActive()) {
        FAutoSaveTimer->setInterval(minutes * 60000);
        FAutoSaveTimer->start();
    }
}

void TzqNoteEditor::RestartAutoSave()
{
    if (FAutoSaveTimer->isActive())
        FAutoSaveTimer->start();
}

void TzqNoteEditor::UpdateAutoSaveInterval()
{
    const int minutes = AutoSaveMinutes();
    if (minutes == 0) {
        FAutoSaveTimer->stop();
        return;
    }
    FAutoSaveTimer->setInterval(minutes * 60000);
    if (Mode() != vmBrowse && !FClosed && !FAutoSaveTimer->isActive())
        FAutoSaveTimer->start();
}

bool TzqNoteEditor::AutoSaveRunning() const
{
    return FAutoSaveTimer->isActive();
}

void TzqNoteEditor::AutoSaveTick()
{
    // While the user answers a question the note's state is undecided; nothing is written.
    if (FAsking || FClosed)
        return;
    FAutoSaving = true;
    const auto done = qScopeGuard([this] { FAutoSaving = false; });
    SaveIfEditing();
}

void TzqNoteEditor::FocusLater()
{
    Q_EMIT FocusRequested();
}

// ---- Edit markers ---------------------------------------------------------------------------

void TzqNoteEditor::WriteEditMarker(const QString& path)
{
    if (!path.isEmpty())
        ::WriteEditMarker(path, FHost->MyName(), FHost->Shared());
}

bool TzqNoteEditor::DeleteEditMarker(const QString& path)
{
    return path.isEmpty() || ::DeleteEditMarker(path);
}

QString TzqNoteEditor::ReadEditMarker(const QString& path)
{
    return path.isEmpty() ? QString() : ::ReadEditMarker(path);
}

bool TzqNoteEditor::IsLockedByOther(const QString& path)
{
    const bool locked = !path.isEmpty() && ::IsLockedByOther(path, FHost->MyName());
    FHost->SetEditItemsEnabled(!locked);
    return locked;
}

// ---- Commands -------------------------------------------------------------------------------

bool TzqNoteEditor::InsertHtml(const QString& html)
{
    if (!FDocumentReady || Mode() != vmEdit)
        return false;
    FHtml->InsertHtml(html);
    return true;
}

bool TzqNoteEditor::ExecIfEnabled(int id, int option, const QVariant& input)
{
    if (!FDocumentReady || !IsEnabledStatus(FHtml->QueryStatus(id)))
        return false;
    return FHtml->ExecCommand(id, option, input);
}

void TzqNoteEditor::ClipboardCommand(int kind)
{
    const int mode = Mode();
    if (mode == vmSource) {
        switch (kind) {
        case zqClipCut:
            FSource->Cut();
            break;
        case zqClipCopy:
            FSource->Copy();
            break;
        case zqClipPaste:
            FSource->Paste();
            break;
        case zqClipUndo:
            FSource->Undo();
            break;
        case zqClipRedo:
            FSource->Redo();
            break;
        default:
            break;
        }
        return;
    }
    const int id = ClipboardCommandId(kind);
    if (mode != vmEdit || !FDocumentReady || id == 0)
        return;
    // The view's own paste takes a picture too, which the engine's state of the command calls
    // disabled: the menu's paste does what Ctrl+V does.
    if (kind == zqClipPaste)
        FHtml->ExecCommand(id, OLECMDEXECOPT_DODEFAULT);
    else
        ExecIfEnabled(id, OLECMDEXECOPT_DODEFAULT);
}

bool TzqNoteEditor::ClipboardCommandEnabled(int kind)
{
    if (kind == zqClipPaste)
        return true;
    const int id = ClipboardCommandId(kind);
    if (id == 0)
        return false;
    if (FDocumentReady)
        return IsEnabledStatus(FHtml->QueryStatus(id));
    if (Mode() == vmSource)
        return kind == zqClipCut || kind == zqClipCopy ? FSource->HasSelection() : true;
    return false;
}

void TzqNoteEditor::PrintNote()
{
    switch (Mode()) {
    case vmEdit:
        FHtml->PrintDocument();
        break;
    case vmSource:
        FSource->Print(TzqPrjInfo::TitleText());
        break;
    default:
        FBrowse->Print();
        break;
    }
}

bool TzqNoteEditor::CloseEditor()
{
    if (FClosed)
        return true;
    if (!SaveFile(FHost->CurrentPage()))
        return false;
    FAutoSaveTimer->stop();
    FClosed = true;
    FBrowse->Clear();
    return true;
}

// ---- Events of the views --------------------------------------------------------------------

void TzqNoteEditor::EditDocumentComplete()
{
    if (FClosed)
        return;
    // A load that completes after the mode was left makes no document ready.
    FDocumentReady = Mode() == vmEdit;
    // The view can take the keyboard only now that it has a document.
    if (FDocumentReady)
        FocusLater();
    if (!FScrollSyncPending)
        return;
    FScrollSyncPending = false;
    if (FDocumentReady && FScrollFromMode == vmBrowse && FScrollFromY >= 0)
        FHtml->ScrollTo(FScrollFromY);
}

void TzqNoteEditor::BrowseDocumentComplete()
{
    if (FClosed)
        return;
    FBrowseLoading = false;
    if (Mode() == vmBrowse)
        FocusLater();
    // The browse view empties itself while another view is in front; that load carries no
    // place to scroll to.
    if (!FScrollSyncPending || Mode() != vmBrowse)
        return;
    FScrollSyncPending = false;
    if (FEditDisplayed && FScrollFromMode == vmEdit && FScrollFromY >= 0)
        FBrowse->ScrollTo(FScrollFromY);
}

bool TzqNoteEditor::EditDisplayChanged()
{
    const bool first = !FEditDisplayed;
    FEditDisplayed = true;
    return first;
}

bool TzqNoteEditor::BeforeNavigate(const QUrl& url)
{
    if (FClosed)
        return true;
    // The editor's own load of the note; anything else arriving meanwhile (a click on the
    // page shown before, a refresh it asks for) is checked like any other navigation.
    if (FBrowseLoading && IsOwnLoad(url)) {
        FBrowseLoading = false;
        return true;
    }
    // Scripts of links never run, neither here nor handed to another program.
    if (url.scheme().compare(u"javascript"_s, Qt::CaseInsensitive) == 0)
        return false;
    const QString text = url.toString();
    if (text.isEmpty() || text == u"about:blank"_s)
        return true;

    QString path;
    if (url.scheme() == QLatin1StringView(NoteScheme))
        path = NotePathFromUrl(url);
    else if (url.isLocalFile())
        path = url.toLocalFile();
    if (path.isEmpty()) {
        // A web address, a mail address, ...
        FHost->OpenWithShell(text);
        return false;
    }
    // Links written with backslashes ("..\Other.htm") resolve only here.
    path.replace(u'\\', u'/');
    path = QDir::cleanPath(path);

    // The views load notes through the note scheme only: a "file:" address of a note is
    // shown by the tree's selection and never loaded as it stands.
    const bool viaScheme = !url.isLocalFile();
    // An anchor inside the note itself.
    if (path == FHost->CurrentPage())
        return viaScheme;
    const QString root = StripTrailingSeparator(FHost->RootDir());
    if (ExtractFileExt(path) == u".htm"_s && !root.isEmpty() && path.startsWith(root + u'/')) {
        QString relative = path.mid(root.size() + 1);
        relative.replace(u'/', u'\\');
        FHost->SelectByRelativePath(relative);
        return viaScheme;
    }
    FHost->OpenWithShell(path);
    return false;
}

bool TzqNoteEditor::IsOwnLoad(const QUrl& url) const
{
    return !FDocumentPath.isEmpty() && NotePathFromUrl(url) == FDocumentPath;
}

void TzqNoteEditor::BrowseStatusTextChange(const QString& text)
{
    if (Mode() == vmBrowse && text.size() < 255)
        FHost->ShowStatusText(text);
}
