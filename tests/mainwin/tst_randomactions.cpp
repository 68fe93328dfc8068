// A seeded random sequence of what a user does, run against the real main window offscreen.
// After every step the store is checked: every word typed and saved is in its note, no file
// changed that the step had no business with, nothing truncated or left half written, and the
// window still answers quickly.
//
//   QUILLET_RANDOM_SEED=n    the sequence (default: fixed; "clock": picked and printed)
//   QUILLET_RANDOM_STEPS=n   how many steps; or a list of step numbers ("1-40,52") to replay
//                            part of a sequence: each step keeps what it drew
#include "app/zqprjinfo.h"
#include "editingtest.h"
#include "editor/zqnotepage.h"
#include "editor/zqpaste.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "localhttpserver.h"
#include "mainwin/frmmainql.h"
#include "platform/cp949.h"
#include "privatehome.h"
#include "store/notestore.h"
#include "store/zqtreecommands.h"
#include "store/zqtreeview.h"
#include "testutil.h"
#include "tools/exporttarget.h"
#include "tools/frmconfig.h"
#include "tools/frmnotepad.h"
#include "widgets/frmbluedialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <random>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// 300 steps take about a minute on an idle two-core machine.
constexpr int DefaultSteps = 300;
constexpr quint32 DefaultSeed = 20240611;
// The window must answer within this; a loaded machine may miss it now and then, so only a
// hang or misses in a row fail the run.
constexpr qint64 AnswerMs = 200;
constexpr qint64 HangMs = 5000;
constexpr int MissesInARow = 3;

const QString FolderNote = u"___zq_quillet__folder.htm"_s;
const QString Colleague = u"동료"_s;

// Runs the event loop until done; the engine's own work needs the loop turning without pauses.
bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Keys for each character; those beyond ASCII come as the text an input method commits.
void Keys(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        const qsizetype n = c.isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, n), {});
        i += n - 1;
    }
}

class TExportUi : public IzqExportUi {
public:
    QString AskSaveFileName(const QString&, const QString&, const QString&) override
    {
        return Chosen;
    }
    bool Confirm(const QString&) override { return true; }
    void ShowError(const QString& text) override { Errors.append(text); }
    QString Chosen;
    QStringList Errors;
};

// The words the sequence put into one note.
struct TWords {
    QSet<QString> Required; // saved: must be in the file
    QSet<QString> Pending;  // typed, not saved yet
    QSet<QString> Maybe;    // undone, pasted, overwritten: may be there or not
    QSet<QString> Pasting;  // pasted, the paste still under way: not in the document yet
    QStringList Session;    // typed since the edit view last loaded the note (Ctrl+Z reach)
    QSet<QString> All() const { return Required + Pending + Maybe + Pasting; }
};

struct TFileSig {
    qint64 Size = 0;
    QByteArray Hash;
    bool operator==(const TFileSig&) const = default;
};

struct TStep {
    int Action;
    quint32 Param;
};

class TRandomRun;
struct TAction {
    const char* Name;
    int Weight;
    // Returns true when the step saves the note being edited, as the program promises.
    bool (TRandomRun::*Do)(quint32 param);
};

class TRandomRun : public QObject {
public:
    TRandomRun();
    ~TRandomRun() override;
    // Runs the steps; false with the report in Failure at the first broken invariant.
    bool Run(quint32 seed, const QList<int>& numbers, const QList<TStep>& steps);
    QString Failure;
    int FailedStep = 0;
    qint64 WorstAnswerMs = 0;
    int SlowAnswers = 0;
    // Edit views read again with F5 because the first load never ended.
    int EditReloads = 0;

    static const QList<TAction>& Actions();

private:
    // ---- Actions
    bool Select(quint32 p);
    bool Browse(quint32 p) { return ModeItem(0, p); }
    bool Edit(quint32 p) { return ModeItem(1, p); }
    bool Source(quint32 p) { return ModeItem(2, p); }
    bool Type(quint32 p);
    bool Save(quint32);
    bool Undo(quint32);
    bool SlowPaste(quint32 p);
    bool Screenshot(quint32 p);
    bool CancelPaste(quint32);
    bool Search(quint32 p);
    bool Rename(quint32 p);
    bool Move(quint32 p) { return MoveOrCopy(p, false); }
    bool Copy(quint32 p) { return MoveOrCopy(p, true); }
    bool MoveOrCopy(quint32 p, bool copy);
    bool Delete(quint32 p);
    bool Settings(quint32);
    bool NotePad(quint32);
    bool ExportZip(quint32);
    bool OutsideChange(quint32 p);
    bool Reload(quint32);
    bool ColleagueEdits(quint32 p);
    bool Restart(quint32);

    // ---- Helpers
    void Open();
    void Close();
    void Key(int key, Qt::KeyboardModifiers modifiers = {});
    // F6, F7, F8 or the tool bar's mode items.
    bool ModeItem(int mode, quint32 p);
    bool EnsureEditing(int mode);
    QString Word(const char* prefix) const
    {
        return QString::fromLatin1(prefix) + QString::number(FStepNo) + u'w';
    }
    QString CurrentPage() const;
    QStringList Pages() const;
    QModelIndex Node(const QString& entry);
    bool Exists(const QString& entry) const { return QFileInfo::exists(FStore + u'/' + entry); }
    void Allow(const QString& entry);
    // Words of the pages under from (a note or a folder ending in "/") go to the same place
    // under to; copy keeps them at from too.
    void Carry(const QString& from, const QString& to, bool copy);
    QMap<QString, TFileSig> Snapshot() const;
    QString Check(const QMap<QString, TFileSig>& before);
    qint64 Answer();
    void AnswerModal();

    QTemporaryDir FProgram;
    TPrivateHome FHome;
    QTemporaryDir FExports;
    QString FStore;
    std::unique_ptr<TzqPrjInfo> FPrj;
    std::unique_ptr<TfrmMainQL> FW;
    TExportUi FExportUi;
    TLocalHttpServer FServer;
    QTimer FAnswerer;
    QPointer<QWidget> FNamedDialog;
    QString FNextName;
    bool FReload = true;
    QStringList FMessages;
    // What an action saw go wrong.
    QString FBroken;

    QHash<QString, TWords> FModel;
    QStringList FNotePadWords;
    QStringList FPasteFolders;
    QStringList FAllowed;
    int FStepNo = 0;
    int MissesNow = 0;
};

const QList<TAction>& TRandomRun::Actions()
{
    static const QList<TAction> actions = {
        {"select", 14, &TRandomRun::Select},
        {"browse-F6", 6, &TRandomRun::Browse},
        {"edit-F7", 8, &TRandomRun::Edit},
        {"source-F8", 4, &TRandomRun::Source},
        {"type", 18, &TRandomRun::Type},
        {"save-CtrlS", 6, &TRandomRun::Save},
        {"undo-CtrlZ", 3, &TRandomRun::Undo},
        {"paste-slow", 5, &TRandomRun::SlowPaste},
        {"paste-screenshot", 3, &TRandomRun::Screenshot},
        {"paste-cancel", 2, &TRandomRun::CancelPaste},
        {"search", 4, &TRandomRun::Search},
        {"rename", 3, &TRandomRun::Rename},
        {"move", 3, &TRandomRun::Move},
        {"copy", 3, &TRandomRun::Copy},
        {"delete", 2, &TRandomRun::Delete},
        {"settings", 1, &TRandomRun::Settings},
        {"notepad", 2, &TRandomRun::NotePad},
        {"export-zip", 2, &TRandomRun::ExportZip},
        {"outside-change", 4, &TRandomRun::OutsideChange},
        {"reload-F5", 2, &TRandomRun::Reload},
        {"colleague", 2, &TRandomRun::ColleagueEdits},
        {"restart", 1, &TRandomRun::Restart},
    };
    return actions;
}

int ActionIndex(const char* name)
{
    const QList<TAction>& actions = TRandomRun::Actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (qstrcmp(actions[i].Name, name) == 0)
            return i;
    }
    qFatal("no action %s", name);
}

// The steps of a seed, drawn with distributions of our own so that every library draws the
// same. A slow paste is often followed at once by leaving the note, an outside change by a
// save, so that these interleavings come up often.
QList<TStep> Generate(quint32 seed, int count)
{
    std::mt19937 rng(seed);
    const QList<TAction>& actions = TRandomRun::Actions();
    int total = 0;
    for (const TAction& a : actions)
        total += a.Weight;
    const QList<int> leaving = {ActionIndex("select"), ActionIndex("browse-F6"),
                                ActionIndex("source-F8"), ActionIndex("reload-F5"),
                                ActionIndex("restart")};
    QList<TStep> steps;
    while (steps.size() < count) {
        int pick = int(rng() % quint32(total));
        int action = 0;
        for (; action < actions.size(); ++action) {
            const TAction& a = actions[action];
            if (pick < a.Weight)
                break;
            pick -= a.Weight;
        }
        steps.append({action, quint32(rng())});
        const bool follow = rng() % 2 == 0;
        if (follow && action == ActionIndex("paste-slow"))
            steps.append({leaving[rng() % leaving.size()], quint32(rng())});
        else if (follow && action == ActionIndex("outside-change"))
            steps.append({ActionIndex("save-CtrlS"), quint32(rng())});
    }
    steps.resize(count);
    return steps;
}

// ---- The run ------------------------------------------------------------------------------

TRandomRun::TRandomRun()
{
    FStore = FProgram.filePath(u"store"_s);
    const QByteArray head = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                            "charset=euc-kr\"></head><body>";
    const auto page = [&](const QString& entry, const QString& text) {
        WriteFile(FStore + u'/' + entry,
                  QByteArray(head + cp949::FromUnicode(
                                        QString(u"<p>"_s + text + u"</p></body></html>\r\n"_s))));
        FModel[entry];
    };
    page(u"메모.htm"_s, u"alpha 한글 똠방각하"_s);
    page(u"Work/Plan.htm"_s, u"beta plan"_s);
    page(u"Work/회의록.htm"_s, u"회의 gamma <img src=\"__회의록\\pic.png\">"_s);
    WriteFile(FStore + u"/Work/__회의록/pic.png"_s, PngBytes(Qt::red));
    page(u"Work/Sub/Deep Note.htm"_s, u"delta 뷁"_s);
    page(u"Notes/Plan.htm"_s, u"epsilon"_s);
    page(u"Notes/일기.htm"_s, u"zeta 돋움"_s);
    QDir().mkpath(FStore + u"/Empty"_s);
    WriteFile(FProgram.filePath(u"zqQuillet.ini"_s),
              QByteArray("[PROGRAM]\r\nMyName=tester\r\n[DataDir1]\r\nName=S\r\ndir=" +
                         FStore.toUtf8() + "\r\n"));
    FPrj = std::make_unique<TzqPrjInfo>(FProgram.path());
    PrjInfo = FPrj.get();
    connect(&FAnswerer, &QTimer::timeout, this, &TRandomRun::AnswerModal);
    FAnswerer.start(20);
    Open();
}

TRandomRun::~TRandomRun()
{
    if (FW)
        FW->close();
    FW.reset();
    PrjInfo = nullptr;
}

void TRandomRun::Open()
{
    FW = std::make_unique<TfrmMainQL>();
    FW->Exports()->SetExportUi(&FExportUi);
    FW->FormActivate();
    FW->show();
    (void)QTest::qWaitForWindowExposed(FW.get());
    FW->activateWindow();
}

void TRandomRun::Close()
{
    FW->close();
    FW.reset();
}

// Answers the modal dialogs as the step means: names for the name dialogs, OK for the
// settings, the delete question and errors, "덮어쓰기" for a save conflict, the chosen answer
// for a reload question, and skip for a replace question.
void TRandomRun::AnswerModal()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        const QString text = box->text();
        FMessages.append(text.left(40).replace(u"\r\n"_s, u" "_s));
        // A save conflict is overwritten; a reload goes as chosen; a replace is skipped.
        const bool no = (text.contains(u"다시 읽어 들일까요"_s) && !FReload) ||
                        text.contains(u"이미 있습니다"_s);
        QAbstractButton* answer = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            const QMessageBox::ButtonRole role = box->buttonRole(b);
            if (role == QMessageBox::DestructiveRole)
                answer = b;
            else if (!answer && role == (no ? QMessageBox::RejectRole : QMessageBox::AcceptRole))
                answer = b;
        }
        if (answer) {
            answer->click();
            return;
        }
        box->reject();
    } else if (auto* config = qobject_cast<TfrmConfig*>(modal)) {
        config->ConfirmButton()->click();
    } else if (auto* dialog = qobject_cast<TfrmBlueDialog*>(modal)) {
        auto* edit = dialog->findChild<QLineEdit*>(u"edtName"_s);
        if (qstrcmp(dialog->metaObject()->className(), "TfrmMakeZipFile") == 0)
            return; // the zip's progress closes itself
        if (!edit || FNamedDialog == dialog) {
            // The name was refused: the dialog stays; the user gives up.
            FMessages.append(u"name refused"_s);
            dialog->reject();
            return;
        }
        FNamedDialog = dialog;
        edit->setText(FNextName);
        dialog->ConfirmButton()->click();
    } else if (auto* other = qobject_cast<QDialog*>(modal);
               other && qstrcmp(other->metaObject()->className(), "TfrmMakeZipFile") != 0) {
        FMessages.append(u"dialog "_s + QString::fromLatin1(other->metaObject()->className()));
        other->reject();
    }
}

void TRandomRun::Key(int key, Qt::KeyboardModifiers modifiers)
{
    if (!FW->isActiveWindow()) {
        FW->activateWindow();
        if (!QTest::qWaitForWindowActive(FW.get(), 2000))
            FMessages.append(u"the window is not active"_s);
    }
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == FW.get() ? focus : FW.get(), Qt::Key(key),
                    modifiers);
}

QString TRandomRun::CurrentPage() const
{
    const QString page = FW->Tree()->CurrentPage();
    return page.isEmpty() ? QString() : QDir(FStore).relativeFilePath(page);
}

// Every page of the store: notes, and folders as "Work/".
QStringList TRandomRun::Pages() const
{
    QStringList pages;
    QDirIterator it(FStore, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(FStore).relativeFilePath(it.next());
        const QStringList parts = rel.split(u'/');
        if (std::any_of(parts.begin(), parts.end(), [](const QString& part) {
                return part.startsWith(u"__"_s) || part.startsWith(u'.');
            }))
            continue;
        if (it.fileInfo().isDir())
            pages.append(rel + u'/');
        else if (rel.endsWith(u".htm"_s, Qt::CaseInsensitive) && !rel.endsWith(FolderNote))
            pages.append(rel);
    }
    pages.sort();
    return pages;
}

QString PageFile(const QString& entry)
{
    return entry.endsWith(u'/') ? entry + FolderNote : entry;
}

QModelIndex TRandomRun::Node(const QString& entry)
{
    TzqTreeModel* model = FW->Tree()->Model();
    const QStringList parts = entry.split(u'/', Qt::SkipEmptyParts);
    QModelIndex at;
    for (int i = 0; i < parts.size(); ++i) {
        const bool note = i == parts.size() - 1 && !entry.endsWith(u'/');
        const QString name = note ? parts[i].chopped(4) : parts[i];
        if (at.isValid())
            FW->Tree()->LoadChildren(at);
        QModelIndex found;
        for (int row = 0; row < model->rowCount(at) && !found.isValid(); ++row) {
            const QModelIndex child = model->index(row, 0, at);
            if (model->Text(child) == name && model->IsNote(child) == note)
                found = child;
        }
        if (!found.isValid()) {
            FMessages.append(u"no node "_s + entry);
            return {};
        }
        at = found;
    }
    return at;
}

// What a step may write for a page: the page, its marker and its file folders.
void TRandomRun::Allow(const QString& entry)
{
    if (entry.isEmpty())
        return;
    if (entry.endsWith(u'/')) {
        FAllowed.append(entry);
        return;
    }
    const QString page = FStore + u'/' + entry;
    for (const QString& path : QStringList{page, EditMarkerPath(page), NoteFileFolder(page) + u'/',
                                           LegacyNoteFileFolder(page) + u'/'})
        FAllowed.append(QDir(FStore).relativeFilePath(path) +
                        (path.endsWith(u'/') ? u"/"_s : u""_s));
}

void TRandomRun::Carry(const QString& from, const QString& to, bool copy)
{
    const bool folder = from.endsWith(u'/');
    const QStringList keys = FModel.keys();
    for (const QString& key : keys) {
        if (folder ? !key.startsWith(from) : key != from)
            continue;
        TWords words = FModel.value(key);
        words.Session.clear();
        if (!copy)
            FModel.remove(key);
        FModel[folder ? to + key.mid(from.size()) : to] = words;
    }
}

// ---- Actions ------------------------------------------------------------------------------

bool TRandomRun::Select(quint32 p)
{
    const QStringList pages = Pages();
    if (pages.isEmpty())
        return false;
    const QString before = CurrentPage();
    QString entry = pages[p % pages.size()];
    FW->Tree()->SelectByRelativePath(QString(entry).replace(u'/', u'\\'));
    return CurrentPage() != before;
}

bool TRandomRun::ModeItem(int mode, quint32 p)
{
    const TzqMainActions& a = FW->Actions();
    if (p % 2)
        QList<QAction*>{a.tbiBrowse, a.tbiEdit, a.tbiSource}[mode]->trigger();
    else
        Key(QList<int>{Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}[mode]);
    return true;
}

// Into edit (or source) mode unless there already, and ready for keys.
bool TRandomRun::EnsureEditing(int mode)
{
    if (FW->ViewMode() != mode && (FW->ViewMode() == 0 || mode == 1))
        Key(mode == 2 ? Qt::Key_F8 : Qt::Key_F7);
    if (FW->ViewMode() == 0)
        FMessages.append(u"not editing"_s);
    if (FW->ViewMode() != 1)
        return FW->ViewMode() == 2;
    if (!FW->isActiveWindow())
        FW->activateWindow();
    TzqWebEditView* view = FW->DhtmlEditor()->EditView();
    // A user waits for the note and its caret before typing.
    bool focus = false;
    int carets = 0;
    const auto waitReady = [&] {
        return WaitFor(
            [&] {
                if (!view->DocumentReady())
                    return false;
                if (!view->focusProxy()->hasFocus())
                    view->focusProxy()->setFocus();
                focus = QApplication::focusWidget() == view->focusProxy();
                carets = view->NotePage()
                             ->RunScript(u"window.getSelection().rangeCount"_s)
                             .value_or(QVariant())
                             .toInt();
                return focus && carets == 1;
            },
            10000);
    };
    bool ready = waitReady();
    if (!ready && !view->DocumentReady()) {
        // Now and then the engine never finishes loading the note into the edit view (seen
        // once in a few thousand steps, not on replay): the user reads it again with F5.
        ++EditReloads;
        FMessages.append(u"the edit view was not ready after 10 s: F5"_s);
        Key(Qt::Key_F5);
        ready = waitReady();
    }
    if (!ready) {
        FBroken = u"the edit view is not ready after 10 s (document %1, focus %2, carets %3)"_s
                      .arg(view->DocumentReady())
                      .arg(focus)
                      .arg(carets);
    }
    return ready;
}

bool TRandomRun::Type(quint32 p)
{
    if (!EnsureEditing(p % 4 == 0 ? 2 : 1))
        return false;
    const QString word = Word("rq");
    const QString page = CurrentPage();
    if (FW->ViewMode() == 2) {
        TzqSourceEdit* source = FW->DhtmlEditor()->SourceView();
        source->setFocus();
        QTest::keyClick(source, Qt::Key_End, Qt::ControlModifier);
        Keys(source, u' ' + word);
    } else {
        Keys(QApplication::focusWidget(), word + u' ');
        TzqNotePage* note = FW->DhtmlEditor()->EditView()->NotePage();
        if (!WaitFor(
                [&] {
                    return note->RunScript(u"document.body.innerText"_s)->toString().contains(word);
                },
                5000)) {
            FMessages.append(u"typed word never reached the document"_s);
            FModel[page].Maybe.insert(word);
            return false;
        }
    }
    FModel[page].Pending.insert(word);
    FModel[page].Session.append(word);
    return false;
}

bool TRandomRun::Save(quint32)
{
    Key(Qt::Key_S, Qt::ControlModifier);
    return true;
}

bool TRandomRun::Undo(quint32)
{
    if (FW->ViewMode() == 0)
        return false;
    Key(Qt::Key_Z, Qt::ControlModifier);
    // The engine groups typing into undo steps of its own: all of this visit may be gone.
    TWords& words = FModel[CurrentPage()];
    for (const QString& w : std::as_const(words.Session)) {
        words.Required.remove(w);
        words.Pending.remove(w);
        words.Maybe.insert(w);
    }
    return false;
}

bool TRandomRun::SlowPaste(quint32 p)
{
    if (!EnsureEditing(1) || FW->ViewMode() != 1)
        return false;
    const QString word = Word("rq");
    const QByteArray path = "/img/s" + QByteArray::number(FStepNo) + ".png";
    TLocalHttpServer::TAnswer slow;
    slow.Body = PngBytes(Qt::blue);
    slow.Headers = "Content-Type: image/png\r\n";
    slow.DelayMs = 300 + int(p % 1500);
    FServer.Answer(path, slow);
    auto* mime = new QMimeData;
    mime->setHtml(u"<p>pasted "_s + word + u" <img src=\""_s + QString::fromLatin1(path.mid(5)) +
                  u"\"></p>"_s);
    mime->setData(u"chromium/x-source-url"_s, FServer.Url("/img/page.html").toEncoded());
    QApplication::clipboard()->setMimeData(mime);
    Key(Qt::Key_V, Qt::ControlModifier);
    const QString page = CurrentPage();
    // In the document once the paste is over, or once a leaving step settled it.
    FModel[page].Pasting.insert(word);
    FPasteFolders.append(QDir(FStore).relativeFilePath(NoteFileFolder(FStore + u'/' + page)) +
                         u'/');
    return false;
}

bool TRandomRun::Screenshot(quint32 p)
{
    if (!EnsureEditing(1) || FW->ViewMode() != 1)
        return false;
    QImage shot(8, 6, QImage::Format_RGB32);
    shot.fill(QColor::fromRgb(p));
    auto* mime = new QMimeData;
    mime->setImageData(shot);
    QApplication::clipboard()->setMimeData(mime);
    const QString folder = NoteFileFolder(FStore + u'/' + CurrentPage());
    const auto pictures = [&] { return QDir(folder).entryList(QDir::Files).size(); };
    const qsizetype before = pictures();
    // The context menu's paste takes a picture as Ctrl+V does.
    if (p % 2)
        FW->DhtmlEditor()->PopupMenu()->findChild<QAction*>(u"actPaste"_s)->trigger();
    else
        Key(Qt::Key_V, Qt::ControlModifier);
    FPasteFolders.append(QDir(FStore).relativeFilePath(folder) + u'/');
    // The user sees the picture arrive before going on.
    if (!WaitFor([&] { return pictures() > before; }, 10000))
        FBroken = u"the pasted screenshot never became a picture of the note"_s;
    return false;
}

bool TRandomRun::CancelPaste(quint32)
{
    if (FW->DhtmlEditor()->Paster()->Busy())
        FW->DhtmlEditor()->Paster()->Cancel();
    return false;
}

bool TRandomRun::Search(quint32 p)
{
    Key(Qt::Key_S, Qt::AltModifier);
    if (FW->TreeMode())
        return true;
    // A word that is somewhere: a saved marker, or a word of the first notes.
    QStringList words = {u"alpha"_s, u"plan"_s, u"한글"_s};
    for (const TWords& w : std::as_const(FModel))
        words += QStringList(w.Required.cbegin(), w.Required.cend());
    words.sort();
    TfrmMenuAndTree* panel = FW->MenuAndTree();
    panel->SearchBox()->clear();
    panel->SearchRootBox()->setChecked(p % 3 != 0);
    Keys(panel->SearchBox(), words[p % words.size()]);
    QTest::keyClick(panel->SearchBox(), Qt::Key_Return);
    // Back to the tree and on to editing before the search ends only once that no longer
    // harms the note.
    const bool early = p % 2;
    if (!early)
        (void)WaitFor([panel] { return !panel->Searching(); }, 20000);
    Key(Qt::Key_D, Qt::AltModifier);
    if (!FW->TreeMode())
        FW->Modes()->btnToTreeModeClick();
    if (early)
        Key(Qt::Key_F7);
    return true;
}

bool TRandomRun::Rename(quint32 p)
{
    const QStringList pages = Pages();
    if (pages.isEmpty())
        return false;
    const QString from = pages[p % pages.size()];
    const QModelIndex node = Node(from);
    if (!node.isValid())
        return false;
    const QString dir = from.left(from.lastIndexOf(u'/', from.size() - 2) + 1);
    FNextName = u"이름"_s + QString::number(FStepNo);
    const QString to = dir + FNextName + (from.endsWith(u'/') ? u"/"_s : u".htm"_s);
    Allow(from);
    Allow(to);
    FMessages.append(from);
    FW->Commands()->RenameNode(node);
    if (Exists(to) && !Exists(from))
        Carry(from, to, false);
    return true;
}

bool TRandomRun::MoveOrCopy(quint32 p, bool copy)
{
    const QStringList pages = Pages();
    QStringList folders = {QString()};
    for (const QString& page : pages) {
        if (page.endsWith(u'/'))
            folders.append(page);
    }
    if (pages.isEmpty())
        return false;
    const QString from = pages[p % pages.size()];
    const QString target = folders[(p / 7) % folders.size()];
    const QModelIndex source = Node(from);
    if (!source.isValid())
        return false;
    const QString name =
        from.section(u'/', from.endsWith(u'/') ? -2 : -1, from.endsWith(u'/') ? -2 : -1);
    const QString to = target + name + (from.endsWith(u'/') ? u"/"_s : QString());
    const QString named =
        target + u"사본"_s + QString::number(FStepNo) + (from.endsWith(u'/') ? u"/"_s : u".htm"_s);
    const bool toExisted = Exists(to);
    FNextName = u"사본"_s + QString::number(FStepNo);
    for (const QString& entry : {from, to, named})
        Allow(entry);
    FMessages.append(from + u" into /"_s + target);
    const QModelIndex folder = target.isEmpty() ? QModelIndex() : Node(target);
    if (!target.isEmpty() && !folder.isValid())
        return false; // no node to aim at: the command would take the top level
    if (copy)
        FW->Commands()->CopyNode(folder, source);
    else
        FW->Commands()->MoveNode(folder, source);
    if (copy && Exists(named))
        Carry(from, named, true);
    else if (to != from && !toExisted && Exists(to))
        Carry(from, to, copy);
    if (!copy && Exists(from) && Exists(to) && to != from && !toExisted)
        FMessages.append(u"moved, yet still there"_s);
    return true;
}

bool TRandomRun::Delete(quint32 p)
{
    const QStringList pages = Pages();
    if (pages.size() < 6)
        return Copy(p);
    const QString entry = pages[p % pages.size()];
    const QModelIndex node = Node(entry);
    if (!node.isValid())
        return false;
    Allow(entry);
    FMessages.append(entry);
    FW->Commands()->DeleteNode(node);
    if (!Exists(entry)) {
        const QStringList keys = FModel.keys();
        for (const QString& key : keys) {
            if (key == entry || (entry.endsWith(u'/') && key.startsWith(entry)))
                FModel.remove(key);
        }
    }
    return true;
}

bool TRandomRun::Settings(quint32)
{
    FW->Actions().actToolConfig->trigger();
    return true;
}

bool TRandomRun::NotePad(quint32)
{
    QAction* toggle = FW->Actions().tbiNotePad;
    toggle->trigger();
    auto* pad = FW->findChild<TfrmNotePad*>();
    if (!pad || !pad->isVisible()) {
        FMessages.append(u"the notepad did not open"_s);
        return false;
    }
    const QString word = Word("np");
    QString text = u' ' + word + u" 메모 똠"_s;
    text.insert(word.size() + 1, u"😀"_s);
    pad->Memo()->moveCursor(QTextCursor::End);
    Keys(pad->Memo(), text);
    toggle->trigger();
    FNotePadWords.append(word);
    FW->activateWindow();
    return false;
}

bool TRandomRun::ExportZip(quint32)
{
    QAction* zip = FW->Actions().actMakeZip;
    if (!zip->isEnabled())
        return false;
    FExportUi.Chosen = FExports.filePath(u"z"_s + QString::number(FStepNo) + u".zip"_s);
    zip->trigger();
    if (!ReadFile(FExportUi.Chosen).startsWith("PK"))
        FMessages.append(u"no zip: "_s + FExportUi.Errors.join(u' '));
    QFile::remove(FExportUi.Chosen);
    return true;
}

bool TRandomRun::OutsideChange(quint32 p)
{
    QStringList notes;
    for (const QString& page : Pages()) {
        if (QFileInfo::exists(FStore + u'/' + PageFile(page)))
            notes.append(PageFile(page));
    }
    const QString current = CurrentPage();
    const QString entry = p % 2 && !current.isEmpty() ? current : notes.value(p % notes.size());
    if (entry.isEmpty())
        return false;
    const QString path = FStore + u'/' + entry;
    const QString word = Word("ext");
    QByteArray bytes = ReadFile(path);
    const qsizetype end = bytes.toLower().lastIndexOf("</body>");
    bytes.insert(end < 0 ? bytes.size() : end, " " + word.toLatin1() + " ");
    WriteFile(path, bytes);
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(5),
                            QFileDevice::FileModificationTime);
    FAllowed.append(entry);
    TWords& words = FModel[entry];
    const bool editing = entry == current && FW->ViewMode() != 0;
    FReload = p % 3 != 0;
    // Without the activation check the next save meets the change and overwrites it.
    if (entry == current && p % 5 != 4)
        FW->DhtmlEditor()->CheckExternalChange();
    else if (editing)
        FReload = false;
    if (editing && FReload) {
        // Read again: what was not saved is gone, by the user's choice.
        for (const QString& w : std::as_const(words.Pending) + std::as_const(words.Pasting))
            words.Maybe.insert(w);
        words.Pending.clear();
        words.Pasting.clear();
        words.Session.clear();
        words.Required.insert(word);
    } else if (editing) {
        words.Maybe.insert(word);
    } else {
        words.Required.insert(word);
    }
    FReload = true;
    return false;
}

bool TRandomRun::Reload(quint32)
{
    Key(Qt::Key_F5);
    return true;
}

bool TRandomRun::ColleagueEdits(quint32 p)
{
    const QString current = FW->ViewMode() != 0 ? CurrentPage() : QString();
    QStringList notes;
    for (const QString& page : Pages()) {
        if (PageFile(page) != current)
            notes.append(PageFile(page));
    }
    if (notes.isEmpty())
        return false;
    const QString page = FStore + u'/' + notes[p % notes.size()];
    const QString marker = EditMarkerPath(page);
    FAllowed.append(QDir(FStore).relativeFilePath(marker));
    if (QFileInfo::exists(marker))
        QFile::remove(marker);
    else
        WriteFile(marker, cp949::FromUnicode(QString(Colleague + u"\r\n"_s)));
    return false;
}

bool TRandomRun::Restart(quint32)
{
    Close();
    Open();
    return true;
}

// ---- Checks -------------------------------------------------------------------------------

QMap<QString, TFileSig> TRandomRun::Snapshot() const
{
    QMap<QString, TFileSig> files;
    QDirIterator it(FStore, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray bytes = ReadFile(path);
        files.insert(QDir(FStore).relativeFilePath(path),
                     {bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Md5)});
    }
    return files;
}

// How long the window takes to run an event posted now.
qint64 TRandomRun::Answer()
{
    QElapsedTimer clock;
    clock.start();
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    while (!ran)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return clock.elapsed();
}

// The first broken invariant, or nothing.
QString TRandomRun::Check(const QMap<QString, TFileSig>& before)
{
    if (!FBroken.isEmpty())
        return FBroken;
    const qint64 ms = Answer();
    WorstAnswerMs = std::max(WorstAnswerMs, ms);
    if (ms > AnswerMs) {
        ++SlowAnswers;
        if (++MissesNow >= MissesInARow || ms > HangMs)
            return u"the window took %1 ms to answer (%2 slow answers in a row)"_s.arg(ms).arg(
                MissesNow);
    } else {
        MissesNow = 0;
    }
    if (!FW->TreeMode())
        return u"the search list is still shown"_s;
    const QList<QAction*> items = {FW->Actions().tbiBrowse, FW->Actions().tbiEdit,
                                   FW->Actions().tbiSource};
    if (!items.value(FW->ViewMode())->isChecked())
        return u"the checked mode item is not mode %1"_s.arg(FW->ViewMode());

    const QMap<QString, TFileSig> after = Snapshot();
    const bool pasting = FW->DhtmlEditor()->Paster()->Busy();
    const auto allowed = [&](const QString& path) {
        if (path.endsWith(FolderNote) && !before.contains(path))
            return true; // a folder shown for the first time gets its page
        for (const QStringList* list : {&FAllowed, &FPasteFolders}) {
            for (const QString& a : *list) {
                if (path == a || (a.endsWith(u'/') && path.startsWith(a)))
                    return true;
            }
        }
        return false;
    };
    QSet<QString> paths(before.keyBegin(), before.keyEnd());
    paths.unite(QSet<QString>(after.keyBegin(), after.keyEnd()));
    for (const QString& path : std::as_const(paths)) {
        if (before.value(path) == after.value(path) &&
            before.contains(path) == after.contains(path))
            continue;
        if (!allowed(path))
            return u"%1 was %2 by a step that had no business with it"_s.arg(
                path, !after.contains(path)    ? u"removed"_s
                      : !before.contains(path) ? u"created"_s
                                               : u"changed"_s);
        if (path.endsWith(u".htm"_s) && before.value(path).Size > 0 && after.contains(path) &&
            after.value(path).Size == 0)
            return path + u" was truncated"_s;
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const QString name = it.key().section(u'/', -1);
        const bool inFileFolder = it.key().contains(u"/__"_s) || it.key().startsWith(u"__"_s);
        const bool ours = name.endsWith(u".htm"_s) || name.endsWith(u".qzmod"_s) ||
                          (inFileFolder && !name.startsWith(u'.'));
        if (!ours && !(pasting && inFileFolder))
            return it.key() + u" looks like a file left half written"_s;
    }

    static const QRegularExpression marker(u"\\b(?:rq|ext)\\d+w\\b"_s);
    for (auto it = FModel.cbegin(); it != FModel.cend(); ++it) {
        const QString text = cp949::ToUnicode(ReadFile(FStore + u'/' + it.key()));
        for (const QString& w : it->Required) {
            if (!text.contains(w))
                return u"%1 lost the saved word %2"_s.arg(it.key(), w);
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!it.key().endsWith(u".htm"_s))
            continue;
        const QString text = cp949::ToUnicode(ReadFile(FStore + u'/' + it.key()));
        const QSet<QString> known = FModel.value(it.key()).All();
        for (auto m = marker.globalMatch(text); m.hasNext();) {
            const QString w = m.next().captured();
            if (!known.contains(w))
                return u"%1 holds %2, a word never put there"_s.arg(it.key(), w);
        }
    }
    const QString pad = cp949::ToUnicode(ReadFile(FPrj->NotePadFileName()));
    for (const QString& w : std::as_const(FNotePadWords)) {
        if (!pad.contains(w))
            return u"the notepad lost %1"_s.arg(w);
        if (pad.contains(w + u'?'))
            return u"the notepad wrote ? after %1"_s.arg(w);
    }
    return {};
}

bool TRandomRun::Run(quint32 seed, const QList<int>& numbers, const QList<TStep>& steps)
{
    QStringList log;
    for (int i = 0; i < steps.size(); ++i) {
        const TStep& step = steps[i];
        const TAction& action = Actions()[step.Action];
        FStepNo = numbers[i];
        std::fprintf(stderr, "random actions: seed %u step %d %s %u\n", seed, FStepNo, action.Name,
                     step.Param);
        std::fflush(stderr);
        // A paste that is over is in its document as typing is; a leaving step settles it
        // and its save takes it along.
        const bool pasting = FW->DhtmlEditor()->Paster()->Busy();
        if (!pasting) {
            for (TWords& words : FModel) {
                words.Pending.unite(words.Pasting);
                words.Session += QStringList(words.Pasting.cbegin(), words.Pasting.cend());
                words.Pasting.clear();
            }
        }
        const QMap<QString, TFileSig> before = Snapshot();
        FAllowed.clear();
        FMessages.clear();
        FBroken.clear();
        const QString pageBefore = CurrentPage();
        const int modeBefore = FW->ViewMode();
        Allow(pageBefore);
        QElapsedTimer took;
        took.start();
        const bool saves = (this->*action.Do)(step.Param);
        const qint64 tookMs = took.elapsed();
        const QString pageAfter = CurrentPage();
        Allow(pageAfter);
        if (saves) {
            for (TWords& words : FModel) {
                words.Required.unite(words.Pending);
                words.Pending.clear();
                // Left with the paste under way: settled, then saved.
                if (pasting && (CurrentPage() != pageBefore || FW->ViewMode() != modeBefore)) {
                    words.Required.unite(words.Pasting);
                    words.Pasting.clear();
                }
            }
        }
        // The edit view read the note anew: Ctrl+Z no longer reaches what came before.
        // What the step itself typed after the load stays within reach.
        if (pageAfter != pageBefore || FW->ViewMode() != modeBefore) {
            QStringList& session = FModel[pageAfter].Session;
            session = session.contains(Word("rq")) ? QStringList{Word("rq")} : QStringList();
        }
        log.append(
            u"%1 %2 %3 -> %4 mode %5, %6 ms%7"_s.arg(FStepNo)
                .arg(QString::fromLatin1(action.Name))
                .arg(step.Param)
                .arg(pageAfter)
                .arg(FW->ViewMode())
                .arg(tookMs)
                .arg(FMessages.isEmpty() ? QString() : u" ["_s + FMessages.join(u"; "_s) + u']'));
        std::fprintf(stderr, "  %s\n", qPrintable(log.last()));
        const QString broken = Check(before);
        if (!broken.isEmpty()) {
            FailedStep = FStepNo;
            Failure = u"step %1: %2\nsteps:\n%3"_s.arg(FStepNo).arg(broken, log.join(u'\n'));
            return false;
        }
    }
    return true;
}

// Step numbers from "300" (1 to 300) or "1-40,52".
QList<int> StepNumbers(const QString& steps)
{
    QList<int> numbers;
    bool plain = false;
    const int count = steps.toInt(&plain);
    if (plain || steps.isEmpty()) {
        for (int n = 1; n <= (plain ? count : DefaultSteps); ++n)
            numbers.append(n);
        return numbers;
    }
    for (const QString& part : steps.split(u',', Qt::SkipEmptyParts)) {
        const int first = part.section(u'-', 0, 0).toInt();
        const int last = part.contains(u'-') ? part.section(u'-', 1, 1).toInt() : first;
        for (int n = first; n <= last; ++n)
            numbers.append(n);
    }
    return numbers;
}

} // namespace

TEST(RandomActions, ASeededSequenceKeepsEverySavedWordAndTouchesNothingElse)
{
    const QString seedText = qEnvironmentVariable("QUILLET_RANDOM_SEED");
    const quint32 seed = seedText == u"clock"_s ? quint32(QDateTime::currentMSecsSinceEpoch())
                         : seedText.isEmpty()   ? DefaultSeed
                                                : seedText.toUInt();
    const QList<int> numbers = StepNumbers(qEnvironmentVariable("QUILLET_RANDOM_STEPS"));
    ASSERT_FALSE(numbers.isEmpty());
    const QList<TStep> all = Generate(seed, *std::max_element(numbers.begin(), numbers.end()));
    QList<TStep> steps;
    for (int n : numbers)
        steps.append(all[n - 1]);
    std::fprintf(stderr, "random actions: seed %u, %d steps\n", seed, int(steps.size()));

    TRandomRun run;
    const bool passed = run.Run(seed, numbers, steps);
    std::fprintf(stderr,
                 "random actions: slowest answer %lld ms, %d answers over %lld ms, %d edit "
                 "views read again\n",
                 static_cast<long long>(run.WorstAnswerMs), run.SlowAnswers,
                 static_cast<long long>(AnswerMs), run.EditReloads);
    // The steps up to the failing one replay it; a list given is handed back as it was.
    const QString stepsText = qEnvironmentVariable("QUILLET_RANDOM_STEPS");
    const QString replay = stepsText.contains(u',') || stepsText.contains(u'-')
                               ? stepsText
                               : QString::number(run.FailedStep);
    EXPECT_TRUE(passed) << run.Failure.toStdString() << "\nreplay: QUILLET_RANDOM_SEED=" << seed
                        << " QUILLET_RANDOM_STEPS=" << replay.toStdString();
}
