// The three note views with the real browser engine, offscreen: what the edit view reads back,
// its commands and their states, the note's own scripts, link checks of the browse view, and
// the source view's search and length limit.
#include "editor/notecontent.h"
#include "editor/zqbrowseview.h"
#include "editor/zqnotepage.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <iostream>

using namespace Qt::Literals::StringLiterals;

// Readable failures.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

using testutil::ReadFile;
using testutil::WriteFile;

namespace {

const QString Hangul = u"한글 똠방각하 ■ 돋움 뷁"_s;

QByteArray Note(const QString& html)
{
    return cp949::FromUnicode(html);
}

// Selects the first text `word` of the body; collapsed to its start when `caret`.
QString SelectWord(TzqNotePage* page, const QString& word, bool caret = false)
{
    const std::optional<QVariant> v = page->RunScript(uR"((function (w, caret) {
              var k = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT), t;
              while ((t = k.nextNode()) && t.data.indexOf(w) < 0) {}
              var i = t.data.indexOf(w), r = document.createRange();
              r.setStart(t, i); r.setEnd(t, caret ? i : i + w.length);
              var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);
              return s.toString(); })('%1', %2))"_s.arg(word, caret ? u"true"_s : u"false"_s));
    return v ? v->toString() : u"<no answer>"_s;
}

class ViewsTest : public ::testing::Test {
protected:
    // The temporary folder stands for the open data directory.
    void SetUp() override { NoteScope().SetPlaces({Dir.path()}, {}); }
    void TearDown() override { NoteScope().SetPlaces({}, {}); }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    // Loads a note into the edit view and waits until it is editable.
    bool Load(TzqWebEditView& view, const QString& path, int timeoutMs = 20000)
    {
        QSignalSpy complete(&view, &TzqWebEditView::DocumentComplete);
        view.LoadDocument(path);
        return complete.wait(timeoutMs) && view.DocumentReady();
    }

    std::unique_ptr<TzqWebEditView> EditView()
    {
        auto view = std::make_unique<TzqWebEditView>();
        view->resize(640, 480);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        // No dialog may open in a test.
        view->SetAskText([this](const QString& label, const QString&) {
            Asked.append(label);
            return Answer;
        });
        return view;
    }

    QTemporaryDir Dir;
    QStringList Asked;
    std::optional<QString> Answer;
};

} // namespace

TEST_F(ViewsTest, EditViewReadsBackTheHangulOnlyCp949HasAndTheDoctypeAsWritten)
{
    const QByteArray withDoctype =
        Note(u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
             u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
             u"<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">"
             u"</HEAD><BODY><P>"_s +
             Hangul + u"</P></BODY></HTML>"_s);
    WriteFile(Path(u"가.htm"_s), withDoctype);
    WriteFile(Path(u"plain.htm"_s), Note(u"<html><body><p>"_s + Hangul + u"</p></body></html>"_s));
    WriteFile(Path(u"system.htm"_s),
              Note(u"<!doctype html SYSTEM \"about:legacy-compat\"><p>x</p>"_s));

    auto view = EditView();
    EXPECT_EQ(view->DocumentHTML(), std::nullopt); // nothing loaded: nothing to save
    EXPECT_EQ(view->ScrollTop(), -1);

    ASSERT_TRUE(Load(*view, Path(u"가.htm"_s)));
    EXPECT_EQ(view->DocumentHTML(),
              u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
              u"\"http://www.w3.org/TR/html4/loose.dtd\">\n"
              u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
              u"charset=euc-kr\"></head><body><p>"_s +
                  Hangul + u"</p></body></html>"_s);
    // Loading and reading never write the note.
    EXPECT_EQ(ReadFile(Path(u"가.htm"_s)), withDoctype);

    ASSERT_TRUE(Load(*view, Path(u"plain.htm"_s)));
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>"_s + Hangul + u"</p></body></html>"_s);

    // Comments around the root element stay the document's.
    WriteFile(Path(u"comments.htm"_s), "<!-- saved from x -->\r\n<html><body>b</body></html>\r\n"
                                       "<!-- end -->\r\n");
    ASSERT_TRUE(Load(*view, Path(u"comments.htm"_s)));
    const QString commented = view->DocumentHTML().value_or(QString());
    EXPECT_TRUE(commented.startsWith(u"<!-- saved from x -->\n<html><head></head><body>b"_s))
        << commented.toStdString();
    EXPECT_TRUE(commented.contains(u"<!-- end -->"_s));
    EXPECT_EQ(view->EditCount(), 0);

    ASSERT_TRUE(Load(*view, Path(u"system.htm"_s)));
    EXPECT_EQ(view->DocumentHTML(), u"<!doctype html SYSTEM \"about:legacy-compat\">"
                                    u"<html><head></head><body><p>x</p></body></html>"_s);

    // A load replaced by the next one at once: the later note is the one edited.
    QSignalSpy complete(view.get(), &TzqWebEditView::DocumentComplete);
    view->LoadDocument(Path(u"가.htm"_s));
    view->LoadDocument(Path(u"plain.htm"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->DocumentReady(); }, 20000));
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>"_s + Hangul + u"</p></body></html>"_s);
    QTest::qWait(200);
    EXPECT_EQ(complete.size(), 1);

    // A missing file never becomes editable.
    QSignalSpy failed(view.get(), &TzqWebEditView::DocumentFailed);
    view->LoadDocument(Path(u"missing.htm"_s));
    EXPECT_TRUE(failed.wait(20000));
    EXPECT_FALSE(view->DocumentReady());
    EXPECT_EQ(view->DocumentHTML(), std::nullopt);
    EXPECT_FALSE(view->ExecCommand(DECMD_BOLD));
    EXPECT_EQ(view->QueryStatus(DECMD_BOLD), DECMDF_DISABLED);
}

TEST_F(ViewsTest, EditViewCommandsChangeTheSelectionAndReportTheirState)
{
    WriteFile(Path(u"n.htm"_s), Note(u"<html><body><p>alpha beta gamma</p></body></html>"_s));
    auto view = EditView();
    ASSERT_TRUE(Load(*view, Path(u"n.htm"_s)));
    const QString before = view->DocumentHTML().value_or(QString());

    EXPECT_EQ(view->QueryStatus(4242), DECMDF_NOTSUPPORTED);
    EXPECT_FALSE(view->ExecCommand(4242));
    // Nothing to undo yet: the engine reports it disabled.
    const int undo = view->QueryStatus(DECMD_UNDO);
    EXPECT_TRUE(undo == DECMDF_DISABLED || undo == DECMDF_ENABLED) << undo;

    ASSERT_EQ(SelectWord(view->NotePage(), u"beta"_s), u"beta"_s);
    EXPECT_EQ(view->QueryStatus(DECMD_BOLD), DECMDF_ENABLED);
    EXPECT_EQ(view->QueryStatus(DECMD_COPY), DECMDF_ENABLED);
    EXPECT_TRUE(view->ExecCommand(DECMD_BOLD));
    EXPECT_EQ(view->QueryStatus(DECMD_BOLD), DECMDF_LATCHED);
    EXPECT_EQ(view->QueryStatus(DECMD_ITALIC), DECMDF_ENABLED);
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>alpha <b>beta</b> gamma</p></body></html>"_s);
    EXPECT_EQ(view->QueryStatus(DECMD_UNDO), DECMDF_ENABLED);

    // Colour values hold red in the lowest byte.
    EXPECT_TRUE(view->ExecCommand(DECMD_SETFORECOLOR, OLECMDEXECOPT_DODEFAULT, 0x0000FF));
    EXPECT_TRUE(view->DocumentHTML()->contains(u"<font color=\"#ff0000\">beta</font>"_s))
        << view->DocumentHTML()->toStdString();
    EXPECT_FALSE(view->ExecCommand(DECMD_SETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER, QString()));

    EXPECT_TRUE(view->ExecCommand(DECMD_UNDO));
    EXPECT_TRUE(view->ExecCommand(DECMD_UNDO));
    EXPECT_EQ(view->DocumentHTML(), before);
    EXPECT_EQ(view->QueryStatus(DECMD_REDO), DECMDF_ENABLED);

    // A link asks for its address only when told to prompt; a cancelled prompt does nothing.
    ASSERT_EQ(SelectWord(view->NotePage(), u"gamma"_s), u"gamma"_s);
    EXPECT_FALSE(view->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_DONTPROMPTUSER));
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_FALSE(view->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_PROMPTUSER));
    EXPECT_EQ(Asked, QStringList{u"링크 주소:"_s});
    EXPECT_EQ(view->DocumentHTML(), before);
    Answer = u"http://example.invalid/a"_s;
    EXPECT_TRUE(view->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_PROMPTUSER));
    EXPECT_TRUE(
        view->DocumentHTML()->contains(u"<a href=\"http://example.invalid/a\">gamma</a>"_s));

    // Copy goes to the clipboard through the view.
    ASSERT_EQ(SelectWord(view->NotePage(), u"alpha"_s), u"alpha"_s);
    QApplication::clipboard()->setText(u"old"_s);
    EXPECT_TRUE(view->ExecCommand(DECMD_COPY));
    EXPECT_TRUE(
        QTest::qWaitFor([] { return QApplication::clipboard()->text() == u"alpha"_s; }, 5000));
}

TEST_F(ViewsTest, TheNotesOwnScriptsRunInNeitherView)
{
    WriteFile(Path(u"s.htm"_s),
              Note(u"<html><head><title>T</title><script>document.title='changed';</script>"
                   u"</head><body onload=\"document.body.innerHTML='Y'\"><p>kept</p>"
                   u"<script>document.body.innerHTML='X'</script></body></html>"_s));
    auto edit = EditView();
    ASSERT_TRUE(Load(*edit, Path(u"s.htm"_s)));
    EXPECT_EQ(edit->title(), u"T"_s);
    EXPECT_TRUE(edit->DocumentHTML()->contains(u"<p>kept</p>"_s));

    TzqBrowseView browse;
    browse.resize(640, 480);
    browse.show();
    QSignalSpy complete(&browse, &TzqBrowseView::DocumentComplete);
    browse.Navigate(Path(u"s.htm"_s));
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_TRUE(complete.last().front().toBool());
    EXPECT_EQ(browse.title(), u"T"_s);
    EXPECT_EQ(browse.NotePage()->RunScript(u"document.body.innerText"_s)->toString().trimmed(),
              u"kept"_s);
}

TEST_F(ViewsTest, InsertHtmlAndPasteWorkAtTheCaretAndInsertLeavesTheClipboardAlone)
{
    WriteFile(Path(u"n.htm"_s), Note(u"<html><body><p>alpha beta</p></body></html>"_s));
    auto view = EditView();
    ASSERT_TRUE(Load(*view, Path(u"n.htm"_s)));
    QApplication::clipboard()->setText(u"known text"_s);

    ASSERT_EQ(SelectWord(view->NotePage(), u"beta"_s, true), QString());
    view->InsertHtml(u"<i>새</i>"_s);
    // The engine keeps the space before an insertion visible as a no-break space.
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>alpha&nbsp;<i>새</i>beta</p></body></html>"_s);
    EXPECT_EQ(QApplication::clipboard()->text(), u"known text"_s);
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasHtml());

    // Paste takes the clipboard's markup: a header form by its offsets, or a bare snippet.
    const QByteArray fragment = "<u>frag</u>";
    const auto number = [](qsizetype n) { return QByteArray::number(n).rightJustified(9, '0'); };
    const QByteArray lead = "<html><body><!--StartFragment-->";
    const qsizetype headerSize = QByteArray("Version:1.0\r\nStartHTML:\r\nEndHTML:\r\n"
                                            "StartFragment:\r\nEndFragment:\r\n")
                                     .size() +
                                 4 * 9;
    const QByteArray body = lead + fragment + "<!--EndFragment--></body></html>";
    const QByteArray cfHtml =
        "Version:1.0\r\nStartHTML:" + number(headerSize) +
        "\r\nEndHTML:" + number(headerSize + body.size()) +
        "\r\nStartFragment:" + number(headerSize + lead.size()) +
        "\r\nEndFragment:" + number(headerSize + lead.size() + fragment.size()) + "\r\n" + body;
    auto* data = new QMimeData;
    data->setHtml(QString::fromUtf8(cfHtml));
    QApplication::clipboard()->setMimeData(data);
    ASSERT_EQ(SelectWord(view->NotePage(), u"alpha"_s), u"alpha"_s);
    EXPECT_TRUE(view->ExecCommand(DECMD_PASTE));
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p><u>frag</u>&nbsp;<i>새</i>beta</p></body></html>"_s);

    auto* bare = new QMimeData;
    bare->setHtml(u"<b>굵게</b>"_s);
    QApplication::clipboard()->setMimeData(bare);
    ASSERT_EQ(SelectWord(view->NotePage(), u"beta"_s), u"beta"_s);
    EXPECT_TRUE(view->ExecCommand(DECMD_PASTE));
    EXPECT_TRUE(view->DocumentHTML()->contains(u"<i>새</i><b>굵게</b></p>"_s))
        << view->DocumentHTML()->toStdString();

    // Plain text is pasted as text, not read as markup.
    QApplication::clipboard()->setText(u"<s>"_s);
    ASSERT_EQ(SelectWord(view->NotePage(), u"frag"_s), u"frag"_s);
    EXPECT_TRUE(view->ExecCommand(DECMD_PASTE));
    EXPECT_TRUE(view->DocumentHTML()->contains(u"<u>&lt;s&gt;</u>"_s))
        << view->DocumentHTML()->toStdString();
}

TEST_F(ViewsTest, BrowseViewPutsLinkClicksToTheCheckAndStaysWhenRefused)
{
    WriteFile(Path(u"a.htm"_s),
              Note(u"<html><body><p>page a</p><a id=l href=\"b 노트.htm\">b</a></body></html>"_s));
    WriteFile(Path(u"b 노트.htm"_s), Note(u"<html><body><p>page b</p></body></html>"_s));
    TzqBrowseView view;
    view.resize(640, 480);
    view.show();
    QList<QPair<QUrl, bool>> asked;
    bool allow = false;
    view.SetNavigationCheck([&](const QUrl& url, bool isMainFrame) {
        asked.append({url, isMainFrame});
        return allow;
    });
    QSignalSpy complete(&view, &TzqBrowseView::DocumentComplete);
    const auto bodyText = [&] {
        const std::optional<QVariant> v = view.NotePage()->RunScript(u"document.body.innerText"_s);
        return v ? v->toString().trimmed() : QString();
    };

    view.Navigate(Path(u"a.htm"_s));
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_TRUE(asked.isEmpty()); // the program's own load is never asked
    view.Refresh();
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_TRUE(asked.isEmpty());

    view.NotePage()->RunScript(u"document.getElementById('l').click(); true"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 10000));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(NotePathFromUrl(asked.front().first), Path(u"b 노트.htm"_s));
    EXPECT_TRUE(asked.front().second);
    QTest::qWait(300);
    EXPECT_EQ(NotePathFromUrl(view.url()), Path(u"a.htm"_s));
    EXPECT_TRUE(bodyText().startsWith(u"page a"_s));

    allow = true;
    complete.clear();
    view.NotePage()->RunScript(u"document.getElementById('l').click(); true"_s);
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(bodyText(), u"page b"_s);

    view.Clear();
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_EQ(view.url(), QUrl(u"about:blank"_s));
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(ViewsTest, SourceViewKeepsItsModifiedFlagAndFindsByTheOptions)
{
    TzqSourceEdit edit;
    edit.show();
    EXPECT_EQ(edit.font().family(), u"굴림체"_s);
    edit.SetText(u"Apple apple pineapple APPLE\nsecond apple"_s);
    edit.SetModified(false);
    EXPECT_FALSE(edit.Modified());
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_TRUE(edit.Modified());
    EXPECT_TRUE(edit.Text().startsWith(u"\tApple"_s));
    edit.Undo();
    EXPECT_EQ(edit.Text(), u"Apple apple pineapple APPLE\nsecond apple"_s);
    edit.SetModified(false);

    const auto found = [&] {
        const QTextCursor c = edit.textCursor();
        return std::pair(int(c.selectionStart()), int(c.selectionEnd()));
    };
    edit.moveCursor(QTextCursor::Start);
    // Without the select option the caret stays.
    EXPECT_TRUE(edit.FindText(u"apple"_s, 0));
    EXPECT_EQ(found(), std::pair(0, 0));
    EXPECT_TRUE(edit.FindText(u"apple"_s, zqFindSelect));
    EXPECT_EQ(found(), std::pair(0, 5)); // letter case ignored
    EXPECT_TRUE(edit.HasSelection());
    EXPECT_TRUE(edit.FindText(u"apple"_s, zqFindSelect | zqFindMatchCase));
    EXPECT_EQ(found(), std::pair(6, 11));
    EXPECT_TRUE(edit.FindText(u"apple"_s, zqFindSelect | zqFindMatchCase));
    EXPECT_EQ(found(), std::pair(16, 21)); // inside "pineapple"
    EXPECT_TRUE(edit.FindText(u"apple"_s, zqFindSelect | zqFindMatchCase | zqFindWholeWord));
    EXPECT_EQ(found(), std::pair(35, 40)); // skips "APPLE"
    EXPECT_FALSE(edit.FindText(u"apple"_s, zqFindSelect | zqFindMatchCase));
    EXPECT_EQ(found(), std::pair(35, 40)); // nothing found: nothing moves
    EXPECT_TRUE(edit.FindText(u"APPLE"_s, zqFindSelect | zqFindBackward | zqFindMatchCase));
    EXPECT_EQ(found(), std::pair(22, 27));
    EXPECT_TRUE(edit.FindText(u"apple"_s, zqFindSelect | zqFindBackward | zqFindWholeWord));
    EXPECT_EQ(found(), std::pair(6, 11));
    EXPECT_FALSE(edit.Modified());

    QSignalSpy menu(&edit, &TzqSourceEdit::ShowContextMenu);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QApplication::sendEvent(edit.viewport(), &event);
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu.front().front().toPoint(), QPoint(105, 205));
}

// A save or a close while the input method is still composing a syllable: the note gets what
// the user sees, once.
TEST_F(ViewsTest, SourceViewSavesTheSyllableStillBeingComposed)
{
    TzqSourceEdit edit;
    edit.show();
    edit.SetText(u"<p>가</p>\n<p>나</p>"_s);
    edit.SetModified(false);
    QTextCursor c = edit.textCursor();
    c.setPosition(4); // after 가
    edit.setTextCursor(c);
    const auto send = [&](const QString& composing, const QString& commit = {}) {
        QInputMethodEvent event(composing, {});
        event.setCommitString(commit);
        QApplication::sendEvent(&edit, &event);
    };

    send(u"하"_s);
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(edit.Text(), u"<p>가하</p>\n<p>나</p>"_s);
    edit.SetModified(false); // saved with it
    EXPECT_FALSE(edit.Modified());
    send(u"한"_s); // the syllable grows
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(edit.Text(), u"<p>가한</p>\n<p>나</p>"_s);
    edit.SetModified(false);

    // Committed with the next syllable begun: in the text once, and a change to save.
    send(u"ㄱ"_s, u"한"_s);
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(edit.Text(), u"<p>가한ㄱ</p>\n<p>나</p>"_s);
    edit.SetModified(false);

    // Given up after a save: the note is written again without it.
    send(QString());
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(edit.Text(), u"<p>가한</p>\n<p>나</p>"_s);
    edit.SetModified(false);
    EXPECT_FALSE(edit.Modified());

    // In a later line, and a new text drops what was being composed.
    c.setPosition(14); // after 나
    edit.setTextCursor(c);
    send(u"다"_s);
    EXPECT_EQ(edit.Text(), u"<p>가한</p>\n<p>나다</p>"_s);
    edit.SetText(u"x"_s);
    edit.SetModified(false);
    EXPECT_EQ(edit.Text(), u"x"_s);
    EXPECT_FALSE(edit.Modified());
}

TEST_F(ViewsTest, SourceViewRefusesTextBeyondTheLimitAndKeepsWhatItHad)
{
    TzqSourceEdit edit;
    const QString full(TzqSourceEdit::MaxLength, u'a');
    EXPECT_THROW(edit.SetText(full + u'b'), EzqError);
    EXPECT_EQ(edit.Length(), 0);
    edit.SetText(full);
    edit.SetModified(false);
    ASSERT_EQ(edit.Length(), TzqSourceEdit::MaxLength);

    edit.moveCursor(QTextCursor::End);
    QTest::keyClick(&edit, Qt::Key_X);
    QTest::keyClick(&edit, Qt::Key_Return);
    QApplication::clipboard()->setText(u"xy"_s);
    edit.Paste();
    QInputMethodEvent commit;
    commit.setCommitString(u"한"_s);
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.Length(), TzqSourceEdit::MaxLength);
    EXPECT_FALSE(edit.Modified());
    EXPECT_EQ(edit.Text(), full);

    // Replacing a selection of the same size fits.
    QTextCursor c = edit.textCursor();
    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 2);
    edit.setTextCursor(c);
    edit.Paste();
    EXPECT_EQ(edit.Length(), TzqSourceEdit::MaxLength);
    EXPECT_TRUE(edit.Text().endsWith(u"axy"_s));
    edit.moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    QTest::keyClick(&edit, Qt::Key_Z);
    EXPECT_TRUE(edit.Text().endsWith(u"axz"_s));
}

// Times of a large note; printed for the record, bounded loosely.
TEST_F(ViewsTest, LargeNoteTimesAndScrolling)
{
    QString html = u"<html><body>"_s;
    qsizetype bytes = 0;
    int n = 0;
    while (bytes < 1024 * 1024) {
        const QString p = u"<p>%1 "_s.arg(++n) + Hangul + u" 문단의 글입니다 abcdefghij</p>\r\n"_s;
        bytes += cp949::FromUnicode(p).size();
        html += p;
    }
    html += u"</body></html>"_s;
    WriteFile(Path(u"big.htm"_s), Note(html));

    auto view = EditView();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Load(*view, Path(u"big.htm"_s), 60000));
    const qint64 load = timer.elapsed();

    timer.restart();
    const std::optional<QString> doc = view->DocumentHTML();
    const qint64 read = timer.elapsed();
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->contains(u"<p>%1 "_s.arg(n) + Hangul));

    SelectWord(view->NotePage(), u"똠방각하"_s);
    timer.restart();
    constexpr int rounds = 20;
    for (int i = 0; i < rounds; ++i)
        EXPECT_EQ(view->QueryStatus(DECMD_BOLD), DECMDF_ENABLED);
    const double query = double(timer.elapsed()) / rounds;

    std::cout << "[ timing ] 1 MB note (" << n << " paragraphs): load " << load
              << " ms, DocumentHTML " << read << " ms, QueryStatus " << query << " ms\n";
    RecordProperty("load_ms", int(load));
    RecordProperty("document_html_ms", int(read));
    EXPECT_LT(read, 5000);
    EXPECT_LT(query, 500);

    EXPECT_EQ(view->ScrollTop(), 0);
    view->ScrollTo(3000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->ScrollTop() == 3000; }, 5000));
}

TEST_F(ViewsTest, EditViewTakesKoreanFromTheInputMethodAndLeavesItsMenuToTheEditor)
{
    WriteFile(Path(u"n.htm"_s), Note(u"<html><body><p>alpha beta</p></body></html>"_s));
    auto view = EditView();
    ASSERT_TRUE(Load(*view, Path(u"n.htm"_s)));
    view->activateWindow();
    view->setFocus();
    ASSERT_EQ(SelectWord(view->NotePage(), u"beta"_s, true), QString());
    QWidget* input = view->focusProxy();
    ASSERT_TRUE(input);
    // Loading, selecting and reading change nothing.
    EXPECT_EQ(view->EditCount(), 0);

    // A composition, then its committed syllables.
    QInputMethodEvent compose(u"하"_s, {});
    QApplication::sendEvent(input, &compose);
    QInputMethodEvent commit;
    commit.setCommitString(u"한글"_s);
    QApplication::sendEvent(input, &commit);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view->DocumentHTML().value_or(QString()).contains(u"한글beta"_s); }, 5000))
        << view->DocumentHTML().value_or(QString()).toStdString();
    EXPECT_GT(view->EditCount().value_or(0), 0);

    QSignalSpy menu(view.get(), &TzqWebEditView::ShowContextMenu);
    QTest::mouseClick(input, Qt::RightButton, {}, QPoint(20, 15));
    EXPECT_TRUE(menu.wait(5000));
}

TEST_F(ViewsTest, NotesReachNoFileOutsideTheStore)
{
    QTemporaryDir outside;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString secret = outside.filePath(u"secret.png"_s);
    ASSERT_TRUE(picture.save(secret));
    QDir().mkpath(Path(u"__n"_s));
    ASSERT_TRUE(picture.save(Path(u"__n/own.png"_s)));
    ASSERT_TRUE(QFile::link(secret, Path(u"__n/link.png"_s)));
    QString up = QString(u"..\\"_s).repeated(16) + secret.mid(1);
    up.replace(u'/', u'\\');
    WriteFile(Path(u"n.htm"_s),
              Note(u"<html><body><img id=own src=\"__n\\own.png\">"
                   u"<img id=file src=\"file://"_s +
                   secret +
                   u"\">"
                   u"<img id=up src=\""_s +
                   up +
                   u"\">"
                   u"<img id=abs src=\"zqnote:"_s +
                   secret +
                   u"\">"
                   u"<img id=link src=\"__n/link.png\">"
                   u"<iframe id=frame src=\"zqnote:/etc/passwd\"></iframe></body></html>"_s));
    TzqBrowseView view;
    view.resize(640, 480);
    view.show();
    QSignalSpy complete(&view, &TzqBrowseView::DocumentComplete);
    view.Navigate(Path(u"n.htm"_s));
    ASSERT_TRUE(complete.wait(20000));
    const std::optional<QVariant> widths = view.NotePage()->RunScript(
        u"['own', 'file', 'up', 'abs', 'link'].map(function (id) {"
        u"  return document.getElementById(id).naturalWidth; }).join(' ')"_s);
    ASSERT_TRUE(widths);
    EXPECT_EQ(widths->toString(), u"4 0 0 0 0"_s);
}

TEST_F(ViewsTest, LinksAskingForANewWindowGoToTheCheck)
{
    WriteFile(Path(u"n.htm"_s),
              Note(u"<html><body style=\"margin:0\"><a id=l target=\"_blank\" "
                   u"href=\"https://example.org/x\" style=\"display:block;height:60px\">web</a>"
                   u"</body></html>"_s));
    TzqBrowseView view;
    view.resize(640, 480);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QList<QPair<QUrl, bool>> asked;
    view.SetNavigationCheck([&](const QUrl& url, bool isMainFrame) {
        asked.append({url, isMainFrame});
        return false;
    });
    QSignalSpy complete(&view, &TzqBrowseView::DocumentComplete);
    view.Navigate(Path(u"n.htm"_s));
    ASSERT_TRUE(complete.wait(20000));
    QWidget* input = view.focusProxy();
    ASSERT_TRUE(input);
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(10, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 10000));
    EXPECT_EQ(asked.front().first, QUrl(u"https://example.org/x"_s));
    EXPECT_TRUE(asked.front().second);
    QTest::qWait(200);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(NotePathFromUrl(view.url()), Path(u"n.htm"_s));
}

TEST_F(ViewsTest, FormattingReadsEveryStateAtOnceAndMixedSelectionsCountAsNotAsAsked)
{
    WriteFile(Path(u"f.htm"_s),
              Note(u"<html><body><p>one <b>two</b> three</p><p>four</p></body></html>"_s));
    auto view = EditView();
    ASSERT_TRUE(Load(*view, Path(u"f.htm"_s)));
    auto states = [&] {
        std::optional<TzqWebEditView::TFormatState> got;
        view->QueryFormatState({DECMD_BOLD, DECMD_ITALIC, DECMD_JUSTIFYLEFT, 4242},
                               [&](const TzqWebEditView::TFormatState& s) { got = s; });
        EXPECT_FALSE(got); // the answer comes later, from the event loop
        EXPECT_TRUE(QTest::qWaitFor([&] { return got.has_value(); }, 5000));
        return got.value_or(TzqWebEditView::TFormatState{});
    };
    // "one two" is partly bold: mixed.
    const std::optional<QVariant> range = view->NotePage()->RunScript(uR"((function () {
        var p = document.querySelector('p'), r = document.createRange();
        r.setStart(p.firstChild, 0); r.setEnd(p.querySelector('b').firstChild, 3);
        var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);
        return s.toString(); })())"_s);
    ASSERT_EQ(range->toString(), u"one two"_s);
    TzqWebEditView::TFormatState s = states();
    EXPECT_EQ(s.Status,
              (QList<int>{DECMDF_NINCHED, DECMDF_ENABLED, DECMDF_LATCHED, DECMDF_NOTSUPPORTED}));

    // Asked for not bold, a mixed selection ends wholly plain, not wholly bold.
    EXPECT_TRUE(view->SetToggle(DECMD_BOLD, false));
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>one two three</p><p>four</p></body></html>"_s);
    EXPECT_TRUE(view->SetToggle(DECMD_BOLD, true));
    EXPECT_EQ(view->QueryStatus(DECMD_BOLD), DECMDF_LATCHED);
    EXPECT_TRUE(view->SetToggle(DECMD_BOLD, true)); // already so: nothing changes
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p><b>one two</b> three</p><p>four</p></body></html>"_s);
    s = states();
    EXPECT_EQ(s.Status.value(0), DECMDF_LATCHED);

    // Font and size at the caret.
    ASSERT_EQ(SelectWord(view->NotePage(), u"four"_s), u"four"_s);
    TzqWebEditView::TFormat f;
    f.FontName = u"돋움"_s;
    f.FontSize = 2;
    f.FontColor = QColor(255, 0, 0);
    f.BackColor = QColor(255, 255, 255);
    f.Italic = true;
    f.Align = DECMD_JUSTIFYCENTER;
    EXPECT_TRUE(view->ApplyFormat(f));
    const QString html = view->DocumentHTML().value_or(QString());
    EXPECT_TRUE(html.contains(u"face=\"돋움\""_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"size=\"2\""_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"<i>"_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"center"_s)) << html.toStdString();
    s = states();
    EXPECT_EQ(s.FontName, u"돋움"_s);
    EXPECT_EQ(s.FontSize, 2);
    EXPECT_EQ(s.Status.value(1), DECMDF_LATCHED);
}

TEST_F(ViewsTest, StrikeAndItsRemovalWorkInThePageAndLeaveTheClipboardAlone)
{
    WriteFile(Path(u"s.htm"_s),
              Note(u"<html><body><p>aa <b>bold</b> cc</p>"
                   u"<p>x<S>upper</S>y<STRIKE>old</STRIKE>z"
                   u"<span style=\"color: red; text-decoration: underline line-through\">"
                   u"styled</span>w</p></body></html>"_s));
    auto view = EditView();
    ASSERT_TRUE(Load(*view, Path(u"s.htm"_s)));
    QApplication::clipboard()->setText(u"KEEP"_s);

    const std::optional<QVariant> r1 = view->NotePage()->RunScript(uR"((function () {
        var p = document.querySelector('p'), r = document.createRange();
        r.selectNodeContents(p);
        var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);
        return s.toString(); })())"_s);
    ASSERT_EQ(r1->toString(), u"aa bold cc"_s);
    EXPECT_TRUE(view->SetStrike(true));
    QString html = view->DocumentHTML().value_or(QString());
    EXPECT_TRUE(html.contains(u"<p><strike>aa <b>bold</b> cc</strike></p>"_s))
        << html.toStdString();
    EXPECT_EQ(view->EditCount().value_or(0) > 0, true);

    // Every kind of strike-through comes off; bold, colour and underline stay.
    const std::optional<QVariant> r2 = view->NotePage()->RunScript(uR"((function () {
        var r = document.createRange();
        r.setStart(document.body, 0); r.setEnd(document.body, document.body.childNodes.length);
        var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);
        return s.toString(); })())"_s);
    ASSERT_TRUE(r2->toString().startsWith(u"aa bold cc"_s));
    EXPECT_TRUE(view->SetStrike(false));
    html = view->DocumentHTML().value_or(QString());
    EXPECT_FALSE(html.contains(u"strike"_s, Qt::CaseInsensitive)) << html.toStdString();
    EXPECT_FALSE(html.contains(u"<s>"_s, Qt::CaseInsensitive)) << html.toStdString();
    EXPECT_FALSE(html.contains(u"line-through"_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"<b>bold</b>"_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"underline"_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"color: red"_s)) << html.toStdString();
    EXPECT_TRUE(html.contains(u"upper"_s) && html.contains(u"old"_s));

    EXPECT_EQ(QApplication::clipboard()->text(), u"KEEP"_s);
}

TEST_F(ViewsTest, TagMarksAreNeverPartOfTheDocument)
{
    WriteFile(Path(u"t.htm"_s), Note(u"<html><body><p>tag <b>marks</b></p></body></html>"_s));
    auto view = EditView();
    view->SetShowDetails(true);
    ASSERT_TRUE(Load(*view, Path(u"t.htm"_s)));
    const std::optional<QVariant> marked = view->NotePage()->RunScript(
        u"getComputedStyle(document.querySelector('b'), '::before').content"_s);
    EXPECT_EQ(marked.value_or(QVariant()).toString(), u"\"<b>\""_s);
    EXPECT_EQ(view->DocumentHTML(),
              u"<html><head></head><body><p>tag <b>marks</b></p></body></html>"_s);
    EXPECT_EQ(view->EditCount(), 0);
    view->SetShowDetails(false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto v = view->NotePage()->RunScript(
                u"getComputedStyle(document.querySelector('b'), '::before').content"_s);
            return v && v->toString() == u"none"_s;
        },
        5000));
    EXPECT_EQ(view->EditCount(), 0);
}
