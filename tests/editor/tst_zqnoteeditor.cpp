#include "editor/notecontent.h"
#include "editor/zqnoteeditor.h"
#include "platform/util.h"
#include "store/notestore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TFakeHtml : IzqHtmlEditor {
    QStringList Loaded;
    std::optional<QString> Document;
    // The view's change count; none: it cannot tell, and every save reads the document.
    std::optional<int> Edits;
    int DocumentReads = 0;
    QMap<int, int> Status;
    QList<int> Executed;
    QStringList Inserted;
    int Top = -1;
    int ScrolledTo = -1;
    int Prints = 0;

    void LoadDocument(const QString& path) override { Loaded.append(path); }
    std::optional<QString> DocumentHTML() override
    {
        ++DocumentReads;
        return Document;
    }
    std::optional<int> EditCount() override { return Edits; }
    bool ExecCommand(int id, int, const QVariant&) override
    {
        Executed.append(id);
        return true;
    }
    int QueryStatus(int id) override { return Status.value(id, DECMDF_ENABLED); }
    int ScrollTop() override { return Top; }
    void ScrollTo(int y) override { ScrolledTo = y; }
    void PrintDocument() override { ++Prints; }
    void InsertHtml(const QString& html) override { Inserted.append(html); }
};

struct TFakeBrowse : IzqBrowseView {
    QStringList Navigated;
    int Refreshes = 0;
    int Top = -1;
    int ScrolledTo = -1;
    int Clears = 0;

    void Navigate(const QString& path) override { Navigated.append(path); }
    void Refresh() override { ++Refreshes; }
    int ScrollTop() override { return Top; }
    void ScrollTo(int y) override { ScrolledTo = y; }
    void Print() override {}
    void Clear() override { ++Clears; }
};

struct TFakeSource : IzqSourceView {
    QString Content;
    bool IsModified = false;
    bool Selection = false;
    QStringList Calls;

    void SetText(const QString& text) override { Content = text; }
    QString Text() const override { return Content; }
    bool Modified() const override { return IsModified; }
    void SetModified(bool modified) override { IsModified = modified; }
    bool FindText(const QString&, int) override { return false; }
    void Print(const QString& title) override { Calls.append(u"print "_s + title); }
    void Cut() override { Calls.append(u"cut"_s); }
    void Copy() override { Calls.append(u"copy"_s); }
    void Paste() override { Calls.append(u"paste"_s); }
    void Undo() override { Calls.append(u"undo"_s); }
    void Redo() override { Calls.append(u"redo"_s); }
    bool HasSelection() const override { return Selection; }
};

struct TFakeHost : IzqEditorHost {
    int Mode = 0;
    bool Tree = true;
    QString Page;
    QString Root;
    bool IsShared = true;
    QString Name = u"나"_s;
    QString Charset = u"ksc5601"_s;
    int Minutes = 1;
    bool AskOnChange = true;
    QList<QByteArray> FolderDefault{"<html>", "<body>\xC7\xD1</body>", "</html>"};
    QStringList History;
    QStringList Selected;
    QStringList Shell;
    QList<bool> EditItems;
    QStringList Status;

    int ViewMode() const override { return Mode; }
    bool TreeMode() const override { return Tree; }
    QString CurrentPage() const override { return Page; }
    QString RootDir() const override { return Root; }
    bool Shared() const override { return IsShared; }
    QString MyName() const override { return Name; }
    QString CharSet() const override { return Charset; }
    int AutoSaveMinutes() const override { return Minutes; }
    bool ChangeMsg() const override { return AskOnChange; }
    QList<QByteArray> FolderNoteDefault() const override { return FolderDefault; }
    void AddToHistory(const QString& path) override { History.append(path); }
    bool SelectByRelativePath(const QString& relativePath) override
    {
        Selected.append(relativePath);
        return true;
    }
    void OpenWithShell(const QString& target) override { Shell.append(target); }
    void SetEditItemsEnabled(bool enabled) override { EditItems.append(enabled); }
    void ShowStatusText(const QString& text) override { Status.append(text); }
};

struct TFakeUi : IzqEditorUi {
    QStringList Errors;
    QStringList Notices;
    int ReloadAsks = 0;
    bool ReloadAnswer = false;
    QStringList ConflictAsks;
    QList<TzqSaveConflictAnswer> ConflictAnswers;
    // Runs while a question is open, as the event loop of a modal dialog would.
    std::function<void()> WhileAsking;

    void ShowError(const QString& text) override { Errors.append(text); }
    void ShowMsgBox(const QString& text) override { Notices.append(text); }
    bool AskReload() override
    {
        ++ReloadAsks;
        if (WhileAsking)
            WhileAsking();
        return ReloadAnswer;
    }
    TzqSaveConflictAnswer AskSaveConflict(const QString& page) override
    {
        ConflictAsks.append(page);
        if (WhileAsking)
            WhileAsking();
        return ConflictAnswers.isEmpty() ? TzqSaveConflictAnswer::Cancel
                                         : ConflictAnswers.takeFirst();
    }
};

const QString SaveFailed = u"파일 저장에 실패했습니다. 다시 저장하여 주십시오."_s;

// Sets a file's modification time some seconds away from now, as another program's write.
void SetTime(const QString& path, int seconds)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(seconds),
                              QFileDevice::FileModificationTime));
}

void ChangeOutside(const QString& path, QByteArrayView bytes, int seconds)
{
    testutil::WriteFile(path, bytes);
    SetTime(path, seconds);
}

class NoteEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Host.Root = Dir.filePath(u"data"_s);
        QDir().mkpath(Host.Root + u"/Work"_s);
    }

    // Writes a note and makes it the current page.
    QString Open(const QString& relative, QByteArrayView bytes)
    {
        const QString path = Host.Root + u'/' + relative;
        testutil::WriteFile(path, bytes);
        Host.Page = path;
        return path;
    }

    // The main window stored a mode; the editor applies it.
    void SwitchMode(int mode)
    {
        Host.Mode = mode;
        Editor.ModeChanged();
    }

    // Into edit mode with the document loaded.
    void EditReady(const QString& document)
    {
        SwitchMode(TzqNoteEditor::vmEdit);
        Html.Document = document;
        Editor.EditDocumentComplete();
    }

    QTemporaryDir Dir;
    TFakeHtml Html;
    TFakeBrowse Browse;
    TFakeSource Source;
    TFakeHost Host;
    TFakeUi Ui;
    TzqNoteEditor Editor{&Html, &Browse, &Source, &Host, &Ui};
};

} // namespace

TEST_F(NoteEditor, EditModeWritesTheDocumentAsCp949BytesOnly)
{
    const QString note = Open(u"Work/n.htm"_s, "<html>old</html>");
    ASSERT_TRUE(QFile::setPermissions(note, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(note);
    SwitchMode(TzqNoteEditor::vmEdit);
    ASSERT_EQ(Html.Loaded, QStringList{note});

    // While the edit view is still loading it may hold another note: nothing is written.
    Html.Document = u"<html>another note</html>"_s;
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<html>old</html>"));

    // Korean that only CP949 has goes back byte for byte; what it lacks becomes a reference.
    Html.Document = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                    u"charset=unicode\"></head><body>한 똠 뷁 😀</body></html>"_s;
    Editor.EditDocumentComplete();
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(note),
              QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                         "charset=ksc5601\"></head><body>\xC7\xD1 \x8C\x63 \x94\xEE "
                         "&#x1F600;</body></html>"));
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));
    // The note's file is replaced, its permissions are not.
    EXPECT_EQ(QFile::permissions(note), permissions);
    EXPECT_TRUE(Ui.Errors.isEmpty());

    // CharSet "unicode" or blank leaves the label; otherwise it is trimmed.
    Html.Document = u"<meta content=\"text/html; charset=unicode\">"_s;
    Host.Charset = u" unicode "_s;
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(note),
              QByteArray("<meta content=\"text/html; charset=unicode\">"));
    Host.Charset = u"  "_s;
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(note),
              QByteArray("<meta content=\"text/html; charset=unicode\">"));
    Host.Charset = u" euc-kr "_s;
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<meta content=\"text/html; charset=euc-kr\">"));

    // An unreadable or empty document is refused; the file and the remembered time stay.
    SetTime(note, -100);
    const QByteArray before = testutil::ReadFile(note);
    Editor.CheckExternalChange(); // takes the new time without asking twice
    Ui.ReloadAsks = 0;
    const qint64 time = Editor.FileTime();
    Html.Document.reset();
    EXPECT_FALSE(Editor.SaveIfEditing());
    Html.Document = QString();
    EXPECT_FALSE(Editor.SaveIfEditing());
    EXPECT_FALSE(Editor.CloseEditor()); // the window stays open with the text
    EXPECT_EQ(Ui.Errors, (QStringList{SaveFailed, SaveFailed, SaveFailed}));
    EXPECT_EQ(testutil::ReadFile(note), before);
    EXPECT_EQ(Editor.FileTime(), time);

    // Search mode and browse mode write nothing.
    Html.Document = u"<p>x</p>"_s;
    Host.Tree = false;
    EXPECT_TRUE(Editor.SaveIfEditing());
    Host.Tree = true;
    Host.Mode = TzqNoteEditor::vmBrowse;
    EXPECT_TRUE(Editor.SaveFile(note));
    EXPECT_EQ(testutil::ReadFile(note), before);
}

TEST_F(NoteEditor, AnUnchangedDocumentIsNeverWritten)
{
    const QString note = Open(u"Work/u.htm"_s, "<html><body>\r\n<p>\xC7\xD1</p>\r\n</body></html>");
    SetTime(note, -100);
    const qint64 time = FileLastWriteTime(note);
    Html.Edits = 0;
    EditReady(u"<html><body>\n<p>한</p>\n\n</body></html>"_s);
    // Auto-save, Ctrl+S, leaving: the engine's own spelling of the note never reaches it.
    Editor.AutoSaveTick();
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_TRUE(Editor.CloseEditor());
    EXPECT_EQ(Html.DocumentReads, 0);
    EXPECT_EQ(testutil::ReadFile(note),
              QByteArray("<html><body>\r\n<p>\xC7\xD1</p>\r\n</body></html>"));
    EXPECT_EQ(FileLastWriteTime(note), time);
}

TEST_F(NoteEditor, AChangedDocumentIsWrittenWithCrLfAndOnlyWhenItsBytesDiffer)
{
    const QString note = Open(u"Work/d.htm"_s, "<html><body>\r\n<p>\xC7\xD1</p>\r\n</body></html>");
    SetTime(note, -100);
    const qint64 time = FileLastWriteTime(note);
    Html.Edits = 0;
    EditReady(QString());
    // Changed, but into what the file says already: nothing is written, the time stays.
    Html.Edits = 2;
    Html.Document = u"<html><body>\n<p>한</p>\r\n</body></html>"_s;
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(FileLastWriteTime(note), time);
    // A change: every line ends in CR LF; a lone CR stays.
    Html.Edits = 3;
    Html.Document = u"<html><body>\n<p>한\r글</p>\n\n</body></html>"_s;
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(testutil::ReadFile(note),
              QByteArray("<html><body>\r\n<p>\xC7\xD1\r\xB1\xDB</p>\r\n\r\n</body></html>"));
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));
    const int reads = Html.DocumentReads;
    EXPECT_TRUE(Editor.SaveIfEditing()); // nothing new since
    EXPECT_EQ(Html.DocumentReads, reads);
}

TEST_F(NoteEditor, NotesThatAreNotCp949KeepTheirEncoding)
{
    // UTF-8 with a byte-order mark, in edit mode: the mark and the encoding stay, no charset
    // label is touched.
    const QString utf8 =
        Open(u"Work/u8.htm"_s,
             "\xEF\xBB\xBF<html><head><meta charset=unicode></head>\xED\x95\x9C</html>");
    EditReady(u"<html><head><meta charset=unicode></head>한 똠 😀</html>"_s);
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(testutil::ReadFile(utf8),
              QByteArray("\xEF\xBB\xBF<html><head><meta charset=unicode></head>\xED\x95\x9C "
                         "\xEB\x98\xA0 \xF0\x9F\x98\x80</html>"));

    // A meta charset of utf-8 without a mark.
    const QString meta = Open(u"Work/m8.htm"_s, "<meta charset=\"utf-8\">\xEB\x98\xA0");
    SwitchMode(TzqNoteEditor::vmBrowse);
    EditReady(u"<meta charset=\"utf-8\">똠!"_s);
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(testutil::ReadFile(meta), QByteArray("<meta charset=\"utf-8\">\xEB\x98\xA0!"));

    // UTF-16 in source mode: read as what it is, written back with its mark and CR LF.
    const QString utf16 = Open(u"Work/u16.htm"_s, QByteArray("\xFF\xFE\x5C\xD5\r\0\n\0", 8));
    SwitchMode(TzqNoteEditor::vmSource);
    EXPECT_EQ(Source.Content, u"한\n"_s);
    Source.Content = u"한\n글"_s;
    Source.IsModified = true;
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(testutil::ReadFile(utf16), QByteArray("\xFF\xFE\x5C\xD5\r\0\n\0\x00\xAE", 10));
}

TEST(NoteEditorCharset, FixCharsetLabel)
{
    const QString ks = u"ksc5601"_s;
    auto fix = [&](const char* text) { return TzqNoteEditor::FixCharsetLabel(text, ks); };
    EXPECT_EQ(fix("<meta content=\"text/html; charset=unicode\"><p class=\"a\">"),
              QByteArray("<meta content=\"text/html; charset=ksc5601\"><p class=\"a\">"));
    // A single-quoted attribute keeps its closing quote and everything after it.
    EXPECT_EQ(fix("<meta content='text/html; charset=unicode'><p class=\"a\">x</p>"),
              QByteArray("<meta content='text/html; charset=ksc5601'><p class=\"a\">x</p>"));
    // No quote at all: nothing is repeated.
    EXPECT_EQ(fix("charset=unicode"), QByteArray("charset=ksc5601"));
    EXPECT_EQ(fix("<meta charset=unicodeFFFE\">"), QByteArray("<meta charset=ksc5601\">"));
    EXPECT_EQ(fix("<META CONTENT=\"text/html; CHARSET=unicode\">"),
              QByteArray("<META CONTENT=\"text/html; CHARSET=ksc5601\">"));
    // Other letter cases are not found; only the first label counts.
    EXPECT_EQ(fix("<meta content=\"Charset=unicode\">"),
              QByteArray("<meta content=\"Charset=unicode\">"));
    EXPECT_EQ(fix("CHARSET=unicode charset=utf-8\""),
              QByteArray("CHARSET=unicode charset=utf-8\""));
    EXPECT_EQ(fix("charset=Unicode\""), QByteArray("charset=Unicode\""));
    EXPECT_EQ(fix("charset unicode"), QByteArray("charset unicode"));
    EXPECT_EQ(fix(""), QByteArray());
}

TEST_F(NoteEditor, SourceModeWritesOnlyChangesWithCrLf)
{
    const QString note = Open(u"Work/s.htm"_s, "<p>\xC7\xD1</p>\r\n<p>\x8C\x63</p>\r\n");
    SwitchMode(TzqNoteEditor::vmSource);
    EXPECT_EQ(Source.Content, u"<p>한</p>\n<p>똠</p>\n"_s);
    EXPECT_FALSE(Source.IsModified);
    EXPECT_EQ(Host.History, QStringList{note});

    // Unchanged: nothing is written.
    SetTime(note, -50);
    const qint64 loaded = FileLastWriteTime(note);
    Editor.CheckExternalChange();
    Ui.ReloadAsks = 0;
    Source.Content = u"unsaved but not modified"_s;
    Editor.AutoSaveTick();
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>\xC7\xD1</p>\r\n<p>\x8C\x63</p>\r\n"));
    EXPECT_EQ(Editor.FileTime(), loaded);
    // ... and a save that wrote nothing does not hide a change someone else made.
    ChangeOutside(note, "<p>other</p>", 100);
    Editor.AutoSaveTick();
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>other</p>"));
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.ReloadAsks, 1);
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));

    // Changed: CR LF between lines, a character CP949 lacks as a reference.
    Source.Content = u"<p>뷁</p>\n<p>😀</p>"_s;
    Source.IsModified = true;
    Editor.AutoSaveTick();
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>\x94\xEE</p>\r\n<p>&#x1F600;</p>"));
    EXPECT_FALSE(Source.IsModified);
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));
    EXPECT_TRUE(Ui.ConflictAsks.isEmpty());

    // A note beyond the view's limit is refused; the view's old text never reaches it.
    const QString big =
        Open(u"Work/big.htm"_s, QByteArray(TzqNoteEditor::SourceTextLimit + 1, 'a'));
    Editor.LoadCurrentNote();
    EXPECT_EQ(Ui.Errors, QStringList{u"파일이 너무 커서 읽기에 실패했습니다."_s});
    EXPECT_EQ(Host.History, QStringList{note});
    EXPECT_EQ(Source.Content, u"<p>뷁</p>\n<p>😀</p>"_s);
    Source.IsModified = true;
    Editor.SaveIfEditing();
    EXPECT_EQ(testutil::ReadFile(big).size(), TzqNoteEditor::SourceTextLimit + 1);
}

TEST_F(NoteEditor, SaveConflictIsAskedOnceAndKeepsBothVersions)
{
    const QString note = Open(u"Work/c.htm"_s, "<p>mine</p>");
    EditReady(u"<p>mine 1</p>"_s);

    ChangeOutside(note, "<p>theirs</p>", 100);
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::KeepBoth};
    Editor.AutoSaveTick();
    const QString copy = Host.Root + u"/Work/c (내 사본).htm"_s;
    EXPECT_EQ(Ui.ConflictAsks, QStringList{note});
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>theirs</p>"));
    EXPECT_EQ(testutil::ReadFile(copy), QByteArray("<p>mine 1</p>"));

    // Later saves follow the answer without asking: the user's version goes on to the copy.
    Html.Document = u"<p>mine 2</p>"_s;
    Editor.AutoSaveTick();
    Editor.SaveIfEditing();
    EXPECT_EQ(Ui.ConflictAsks.size(), 1);
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>theirs</p>"));
    EXPECT_EQ(testutil::ReadFile(copy), QByteArray("<p>mine 2</p>"));
    Editor.CheckExternalChange(); // that version was decided about already
    EXPECT_EQ(Ui.ReloadAsks, 0);

    // Another outside change asks again; an older copy is never overwritten by a new one.
    ChangeOutside(note, "<p>theirs 2</p>", 200);
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::KeepBoth};
    Editor.AutoSaveTick();
    EXPECT_EQ(Ui.ConflictAsks.size(), 2);
    EXPECT_EQ(testutil::ReadFile(copy), QByteArray("<p>mine 2</p>"));
    EXPECT_EQ(testutil::ReadFile(Host.Root + u"/Work/c (내 사본 2).htm"_s),
              QByteArray("<p>mine 2</p>"));

    // Cancel: the auto-save stays silent and writes nothing; a save of the user's asks again.
    ChangeOutside(note, "<p>theirs 3</p>", 300);
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::Cancel};
    Editor.AutoSaveTick();
    Editor.AutoSaveTick();
    EXPECT_EQ(Ui.ConflictAsks.size(), 3);
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>theirs 3</p>"));
    // What was to follow the save must not happen: the user's text is nowhere on disk.
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::Cancel};
    EXPECT_FALSE(Editor.SaveIfEditing());
    EXPECT_EQ(Ui.ConflictAsks.size(), 4);
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::Overwrite};
    EXPECT_TRUE(Editor.SaveIfEditing());
    EXPECT_EQ(Ui.ConflictAsks.size(), 5);
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>mine 2</p>"));
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));
    Editor.AutoSaveTick();
    EXPECT_EQ(Ui.ConflictAsks.size(), 5);

    // No auto-save writes while a question is open.
    ChangeOutside(note, "<p>theirs 4</p>", 400);
    Ui.WhileAsking = [this] { Editor.AutoSaveTick(); };
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::Cancel};
    Editor.SaveIfEditing();
    EXPECT_EQ(Ui.ConflictAsks.size(), 6);
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>theirs 4</p>"));
    EXPECT_TRUE(Ui.Errors.isEmpty());
}

TEST_F(NoteEditor, FailedWriteKeepsTheDocumentAndTheTime)
{
    const QString note = Open(u"Work/f.htm"_s, "<p>old</p>");
    SwitchMode(TzqNoteEditor::vmSource);
    const qint64 time = Editor.FileTime();
    // The note's place is taken by a folder: no file can be written there.
    ASSERT_TRUE(QFile::remove(note));
    ASSERT_TRUE(QDir().mkdir(note));
    Source.Content = u"<p>new</p>"_s;
    Source.IsModified = true;
    Ui.ConflictAnswers = {TzqSaveConflictAnswer::Overwrite};
    EXPECT_FALSE(Editor.SaveIfEditing());
    EXPECT_EQ(Ui.Errors, QStringList{SaveFailed});
    EXPECT_TRUE(Source.IsModified);
    EXPECT_EQ(Source.Content, u"<p>new</p>"_s);
    EXPECT_EQ(Editor.FileTime(), time);
    EXPECT_TRUE(QFileInfo(note).isDir());
}

TEST_F(NoteEditor, OutsideChangeIsAskedOrToldOncePerChange)
{
    const QString note = Open(u"Work/e.htm"_s, "<p>a</p>");
    EditReady(u"<p>a</p>"_s);
    ASSERT_EQ(Html.Loaded.size(), 1);
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.ReloadAsks, 0);

    // Cancel: not reloaded, not asked again for the same version. The auto-save timer writes
    // nothing while the question is open.
    ChangeOutside(note, "<p>b</p>", 100);
    Ui.WhileAsking = [this] {
        Editor.AutoSaveTick();
        Editor.CheckExternalChange();
    };
    Editor.CheckExternalChange();
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.ReloadAsks, 1);
    EXPECT_EQ(Html.Loaded.size(), 1);
    EXPECT_EQ(testutil::ReadFile(note), QByteArray("<p>b</p>"));
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(note));
    EXPECT_TRUE(Editor.AutoSaveRunning());

    // OK reloads in the view of the mode.
    ChangeOutside(note, "<p>c</p>", 200);
    Ui.ReloadAnswer = true;
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.ReloadAsks, 2);
    EXPECT_EQ(Html.Loaded.size(), 2);
    EXPECT_FALSE(Editor.DocumentReady());

    // Without the question: a notice and a reload at once (browse mode: the browser's refresh).
    SwitchMode(TzqNoteEditor::vmBrowse);
    Host.AskOnChange = false;
    ChangeOutside(note, "<p>d</p>", 300);
    Editor.CheckExternalChange();
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.ReloadAsks, 2);
    EXPECT_EQ(Ui.Notices, QStringList{u"노트 내용이 변경되었습니다."_s});
    EXPECT_EQ(Browse.Refreshes, 1);
    EXPECT_FALSE(Editor.AutoSaveRunning());

    // A note that is gone is not asked about.
    QFile::remove(note);
    Editor.CheckExternalChange();
    EXPECT_EQ(Ui.Notices.size(), 1);
}

TEST_F(NoteEditor, EditMarkersThroughModeChanges)
{
    const QString note = Open(u"Work/m.htm"_s, "<p>m</p>");
    const QString marker = Host.Root + u"/Work/m.qzmod"_s;

    // Into edit mode on a shared store, as the mode item does it.
    EXPECT_FALSE(Editor.IsLockedByOther(note));
    Editor.SaveIfEditing();
    SwitchMode(TzqNoteEditor::vmEdit);
    Editor.WriteEditMarker(note);
    EXPECT_EQ(testutil::ReadFile(marker), QByteArray("\xB3\xAA\r\n")); // "나"
    EXPECT_EQ(Editor.ReadEditMarker(note), u"나"_s);
    EXPECT_FALSE(Editor.IsLockedByOther(note)); // the user's own marker
    // Leaving edit mode.
    EXPECT_TRUE(Editor.DeleteEditMarker(note));
    SwitchMode(TzqNoteEditor::vmBrowse);
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_EQ(Editor.ReadEditMarker(note), QString());

    // An unshared store gets no marker.
    Host.IsShared = false;
    SwitchMode(TzqNoteEditor::vmSource);
    Editor.WriteEditMarker(note);
    EXPECT_FALSE(QFileInfo::exists(marker));
    SwitchMode(TzqNoteEditor::vmBrowse);

    // Another user's marker disables the edit items; it is removed whoever wrote it.
    testutil::WriteFile(marker, "\xB3\xB2\r\n"); // "남"
    EXPECT_TRUE(Editor.IsLockedByOther(note));
    EXPECT_EQ(Editor.ReadEditMarker(note), u"남"_s);
    EXPECT_EQ(Host.EditItems, (QList<bool>{true, true, false}));
    EXPECT_TRUE(Editor.DeleteEditMarker(note));
    EXPECT_FALSE(Editor.IsLockedByOther(note));
    EXPECT_EQ(Host.EditItems.last(), true);
}

TEST_F(NoteEditor, LinkClicksInTheBrowseView)
{
    const QString note = Open(u"Work/My note.htm"_s, "<p>n</p>");
    SwitchMode(TzqNoteEditor::vmBrowse);
    ASSERT_EQ(Browse.Navigated, QStringList{note});
    // While the note loads, a click on the page shown before is still checked: a web address
    // goes to the desktop's browser. The editor's own load passes unexamined.
    EXPECT_FALSE(Editor.BeforeNavigate(QUrl(u"https://example.org/early"_s)));
    EXPECT_TRUE(Editor.BeforeNavigate(NoteUrl(note)));
    Host.Shell.clear();

    const QString root = Host.Root;
    QUrl self = NoteUrl(note);
    self.setFragment(u"top"_s);
    EXPECT_TRUE(Editor.BeforeNavigate(self));
    EXPECT_TRUE(Host.Selected.isEmpty());

    // Another note of the store: the tree selects it.
    EXPECT_TRUE(Editor.BeforeNavigate(NoteUrl(root + u"/Other note.htm"_s)));
    // A "file:" address is shown through the tree, never loaded as it stands.
    EXPECT_FALSE(Editor.BeforeNavigate(QUrl(u"file://"_s + root + u"/Work/Other%20note.htm#x"_s)));
    EXPECT_TRUE(Editor.BeforeNavigate(NoteUrl(note).resolved(QUrl(u"..\\Top.htm"_s))));
    EXPECT_EQ(Host.Selected,
              (QStringList{u"Other note.htm"_s, u"Work\\Other note.htm"_s, u"Top.htm"_s}));
    EXPECT_TRUE(Host.Shell.isEmpty());

    // Everything else goes to the shell and the browser stays.
    EXPECT_FALSE(Editor.BeforeNavigate(QUrl(u"https://example.org/a?b=1"_s)));
    EXPECT_FALSE(Editor.BeforeNavigate(NoteUrl(root + u"/Work/x.html"_s)));
    EXPECT_FALSE(Editor.BeforeNavigate(NoteUrl(root + u"/Work/X.HTM"_s)));
    EXPECT_FALSE(Editor.BeforeNavigate(NoteUrl(Dir.filePath(u"outside.htm"_s))));
    EXPECT_FALSE(Editor.BeforeNavigate(NoteUrl(root + u"2/n.htm"_s))); // not below the root
    EXPECT_EQ(Host.Shell, (QStringList{u"https://example.org/a?b=1"_s, root + u"/Work/x.html"_s,
                                       root + u"/Work/X.HTM"_s, Dir.filePath(u"outside.htm"_s),
                                       root + u"2/n.htm"_s}));
    EXPECT_EQ(Host.Selected.size(), 3);

    // Scripts: cancelled and never handed on.
    EXPECT_FALSE(Editor.BeforeNavigate(QUrl(u"javascript:"_s)));
    EXPECT_FALSE(Editor.BeforeNavigate(QUrl(u"JavaScript:alert(1)"_s)));
    EXPECT_EQ(Host.Shell.size(), 5);
    EXPECT_TRUE(Editor.BeforeNavigate(QUrl(u"about:blank"_s)));

    // Status texts: browse mode only, shorter than 255 characters.
    Editor.BrowseStatusTextChange(u"a"_s);
    Editor.BrowseStatusTextChange(QString(255, u'x'));
    Host.Mode = TzqNoteEditor::vmEdit;
    Editor.BrowseStatusTextChange(u"b"_s);
    EXPECT_EQ(Host.Status, QStringList{u"a"_s});
}

TEST_F(NoteEditor, AutoSaveRunsOnlyInEditAndSourceMode)
{
    Open(u"Work/t.htm"_s, "<p>t</p>");
    const QTimer* timer = Editor.AutoSaveTimer();
    EXPECT_FALSE(timer->isActive());
    Host.Minutes = 3;
    SwitchMode(TzqNoteEditor::vmEdit);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 180000);
    SwitchMode(TzqNoteEditor::vmSource);
    EXPECT_TRUE(timer->isActive());
    SwitchMode(TzqNoteEditor::vmBrowse);
    EXPECT_FALSE(timer->isActive());
    Editor.RestartAutoSave();
    EXPECT_FALSE(timer->isActive());

    // Zero minutes: no auto-save at all.
    Host.Minutes = 0;
    SwitchMode(TzqNoteEditor::vmEdit);
    EXPECT_FALSE(timer->isActive());
    Host.Minutes = 5;
    Editor.UpdateAutoSaveInterval();
    EXPECT_EQ(timer->interval(), 300000);
    EXPECT_TRUE(timer->isActive());

    Editor.CloseEditor();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(Browse.Clears, 1);
}

TEST_F(NoteEditor, MissingNotesAndTheFolderNote)
{
    Host.Page.clear();
    Editor.LoadCurrentNote();
    EXPECT_TRUE(Browse.Navigated.isEmpty());

    Host.Page = Host.Root + u"/Work/gone.htm"_s;
    Editor.LoadCurrentNote();
    EXPECT_EQ(Ui.Errors, QStringList{u"파일이 없어 읽어 들일 수 없습니다."_s});
    EXPECT_TRUE(Browse.Navigated.isEmpty());
    EXPECT_TRUE(Host.History.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Host.Page));

    const QString folderNote = Host.Root + u"/Work/___zq_quillet__folder.htm"_s;
    Host.Page = folderNote;
    Editor.LoadCurrentNote();
    EXPECT_EQ(testutil::ReadFile(folderNote),
              QByteArray("<html>\r\n<body>\xC7\xD1</body>\r\n</html>\r\n"));
    EXPECT_EQ(Browse.Navigated, QStringList{folderNote});
    EXPECT_EQ(Host.History, QStringList{folderNote});
    EXPECT_EQ(Editor.FileTime(), FileLastWriteTime(folderNote));
    EXPECT_EQ(Ui.Errors.size(), 1);
}

TEST_F(NoteEditor, CommandsNeedALoadedDocument)
{
    Open(u"Work/k.htm"_s, "<p>k</p>");
    SwitchMode(TzqNoteEditor::vmEdit);
    EXPECT_FALSE(Editor.ExecIfEnabled(DECMD_BOLD));
    EXPECT_FALSE(Editor.InsertHtml(u"<b>x</b>"_s));
    EXPECT_FALSE(Editor.ClipboardCommandEnabled(zqClipCopy));

    Editor.EditDocumentComplete();
    Html.Status[DECMD_ITALIC] = DECMDF_DISABLED;
    Html.Status[DECMD_UNDERLINE] = DECMDF_NINCHED;
    EXPECT_TRUE(Editor.ExecIfEnabled(DECMD_BOLD));
    EXPECT_FALSE(Editor.ExecIfEnabled(DECMD_ITALIC));
    EXPECT_TRUE(Editor.ExecIfEnabled(DECMD_UNDERLINE));
    Editor.ClipboardCommand(zqClipPaste);
    // Markup goes in through the view, not through the user's clipboard.
    EXPECT_TRUE(Editor.InsertHtml(u"<b>x</b>"_s));
    EXPECT_EQ(Html.Inserted, QStringList{u"<b>x</b>"_s});
    EXPECT_EQ(Html.Executed, (QList<int>{DECMD_BOLD, DECMD_UNDERLINE, DECMD_PASTE}));

    // Source mode has its own clipboard actions; a late edit load makes nothing ready there.
    SwitchMode(TzqNoteEditor::vmSource);
    Editor.EditDocumentComplete();
    EXPECT_FALSE(Editor.ExecIfEnabled(DECMD_BOLD));
    EXPECT_FALSE(Editor.ClipboardCommandEnabled(zqClipCopy));
    EXPECT_TRUE(Editor.ClipboardCommandEnabled(zqClipUndo));
    Editor.ClipboardCommand(zqClipRedo);
    EXPECT_EQ(Source.Calls, QStringList{u"redo"_s});
}

TEST_F(NoteEditor, ScrollPositionFollowsTheModeChange)
{
    Open(u"Work/p.htm"_s, "<p>p</p>");
    SwitchMode(TzqNoteEditor::vmBrowse);
    Editor.BrowseDocumentComplete();
    EXPECT_EQ(Browse.ScrolledTo, -1); // the edit view was never shown

    Browse.Top = 120;
    SwitchMode(TzqNoteEditor::vmEdit);
    Editor.EditDisplayChanged();
    Editor.EditDocumentComplete();
    EXPECT_EQ(Html.ScrolledTo, 120);
    EXPECT_TRUE(Editor.DocumentReady());

    Html.Top = 300;
    SwitchMode(TzqNoteEditor::vmBrowse);
    EXPECT_FALSE(Editor.DocumentReady());
    Editor.BrowseDocumentComplete();
    EXPECT_EQ(Browse.ScrolledTo, 300);
    Browse.ScrolledTo = -1;
    Editor.BrowseDocumentComplete(); // consumed
    EXPECT_EQ(Browse.ScrolledTo, -1);

    // Source mode takes part in neither direction.
    SwitchMode(TzqNoteEditor::vmSource);
    SwitchMode(TzqNoteEditor::vmBrowse);
    Editor.BrowseDocumentComplete();
    EXPECT_EQ(Browse.ScrolledTo, -1);
}
