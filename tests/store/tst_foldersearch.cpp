#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "store/foldersearch.h"
#include "store/zqtreemodel.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <ostream>
#include <random>

// Paths and entry texts in failure messages as text.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

const QByteArray Highlight = "<FONT style=\"BACKGROUND-COLOR: #ff6600\" color=#ffffff>";

class FolderSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Dir.path();
        Note(u"___zq_quillet__folder.htm"_s, "<html><font>root</font>\r\n");
        Note(u"회의.htm"_s, "nothing here\r\n");
        Note(u"Plan.htm"_s, "<P>\xc8\xb8\xc0\xc7 minutes</P>\r\n"); // 회의 in the text
        Note(u"Plan.HTM"_s, "<font>\r\n");
        Note(u"Archive/___zq_quillet__folder.htm"_s, "<FONT size=2>x</FONT>\r\n");
        Note(u"Archive/old.htm"_s, "a\r\nb FoNt\r\n");
        Note(u"Archive/v1.2/___zq_quillet__folder.htm"_s, "fo\r\nnt\r\n");
        Note(u"__Plan/__inner.htm"_s, "<font>\r\n");
        Note(u".hidden/font.htm"_s, "<font>\r\n");
        Note(u"ddom.htm"_s, "\x8c\x63\x81\x41\r\n");  // 똠갂
        Note(u"ddom2.htm"_s, "\x8c\x63\x81\x61\r\n"); // 똠갵
    }
    void Note(const QString& rel, const QByteArray& bytes) { WriteFile(Root + u'/' + rel, bytes); }
    QStringList Texts(const QString& text, const QString& root = {})
    {
        TFolderSearch search(FoldSearchText(text), root.isEmpty() ? Root : root);
        const TSearchOutcome outcome = search.Run();
        EXPECT_EQ(outcome.Kind, TSearchOutcome::Done);
        QStringList texts;
        for (const TSearchHit& hit : outcome.Hits)
            texts.append(hit.Text);
        texts.sort();
        return texts;
    }

    QTemporaryDir Dir;
    QString Root;
};

TEST_F(FolderSearchTest, CollectsLowerCaseHtmDepthFirst)
{
    const QStringList files = CollectNoteFiles(Root + u'/');
    QStringList rel;
    for (const QString& f : files)
        rel.append(f.mid(Root.size() + 1));
    QStringList sorted = rel;
    sorted.sort();
    EXPECT_EQ(sorted.join(u'|'),
              u"Archive/___zq_quillet__folder.htm|Archive/old.htm|"
              u"Archive/v1.2/___zq_quillet__folder.htm|Plan.htm|__Plan/__inner.htm|"
              u"___zq_quillet__folder.htm|ddom.htm|ddom2.htm|회의.htm"_s);
    // A folder's files come together, right where the folder is met.
    const auto first = std::find_if(rel.begin(), rel.end(),
                                    [](const QString& r) { return r.startsWith(u"Archive/"_s); });
    ASSERT_NE(first, rel.end());
    EXPECT_TRUE(std::all_of(first, first + 3,
                            [](const QString& r) { return r.startsWith(u"Archive/"_s); }));
    EXPECT_TRUE(CollectNoteFiles(Root + u"/none"_s).isEmpty());
}

// The page files of the tree below parent as a reader meets them: a folder's own note where the
// folder stands, then what it holds; notes with ".htm" in lower case only, as the search takes.
void TreePages(TzqTreeModel& model, const QModelIndex& parent, QStringList& pages)
{
    if (parent.isValid())
        model.LoadChildren(parent);
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex node = model.index(row, 0, parent);
        const QString page = model.NodePageFile(node);
        if (model.IsFolder(node)) {
            if (QFile::exists(page))
                pages.append(page);
            TreePages(model, node, pages);
        } else if (model.IsNote(node) && page.endsWith(u".htm"_s)) {
            pages.append(page);
        }
    }
}

TEST(FolderSearchWalk, ResultsReadLikeTheTree)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QStringList rel{u"___zq_quillet__folder.htm"_s,
                    u"하늘.htm"_s,
                    u"가방.htm"_s,
                    u"zeta.htm"_s,
                    u"Alpha.htm"_s,
                    u"beta.htm"_s,
                    u"Beta.htm"_s,
                    u"Plan 2.1.htm"_s,
                    u"Old.HTM"_s,
                    u"다람쥐/도토리.htm"_s,
                    u"Box/___zq_quillet__folder.htm"_s,
                    u"Box/b.htm"_s,
                    u"Box/A.htm"_s,
                    u"Box/Inner/x.htm"_s,
                    u"apple/나무.htm"_s,
                    u"apple/Zed.htm"_s,
                    u"apple/bee.htm"_s,
                    u"__box/pic.htm"_s,
                    u"__box/pic.png"_s};
    // Created in reverse name order, so that neither creation nor name order is the tree's.
    std::sort(rel.begin(), rel.end(), std::greater<>());
    for (const QString& r : rel)
        WriteFile(root + u'/' + r, "x\r\n");

    const QStringList walk = CollectNoteFiles(root);
    ASSERT_EQ(walk.size(), 17);
    QStringList shown = walk;
    shown.removeIf([&](const QString& f) { return f.startsWith(root + u"/__box/"_s); });
    TzqTreeModel model;
    model.LoadRoot(root);
    QStringList tree{root + u"/___zq_quillet__folder.htm"_s};
    TreePages(model, {}, tree);
    EXPECT_EQ(shown, tree);

    // The file folder, which the tree does not show, sorts among the folders.
    const auto at = [&](const QString& r) { return walk.indexOf(root + u'/' + r); };
    EXPECT_EQ(at(u"___zq_quillet__folder.htm"_s), 0);
    EXPECT_GT(at(u"__box/pic.htm"_s), 0);
    EXPECT_LT(at(u"__box/pic.htm"_s), at(u"Alpha.htm"_s));
    // Letter case does not decide, folders come first, a folder's note before its contents.
    EXPECT_LT(at(u"apple/bee.htm"_s), at(u"Box/___zq_quillet__folder.htm"_s));
    EXPECT_LT(at(u"Box/___zq_quillet__folder.htm"_s), at(u"Box/Inner/x.htm"_s));
    EXPECT_LT(at(u"Box/Inner/x.htm"_s), at(u"Box/A.htm"_s));
    EXPECT_LT(at(u"Box/A.htm"_s), at(u"Box/b.htm"_s));
    EXPECT_LT(at(u"apple/bee.htm"_s), at(u"apple/Zed.htm"_s));
    EXPECT_LT(at(u"다람쥐/도토리.htm"_s), at(u"Alpha.htm"_s));
    EXPECT_LT(at(u"Alpha.htm"_s), at(u"beta.htm"_s));
    EXPECT_EQ(at(u"Beta.htm"_s) + 1, at(u"beta.htm"_s));
    EXPECT_LT(at(u"beta.htm"_s), at(u"zeta.htm"_s));
    EXPECT_LT(at(u"가방.htm"_s), at(u"하늘.htm"_s));

    // Paths found another way take the walk's order, a subset too.
    std::mt19937 random(7);
    for (int keep : {1, 2, 3}) {
        QStringList expected;
        for (int i = 0; i < walk.size(); i += keep)
            expected.append(walk[i]);
        QStringList shuffled = expected;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        SortLikeTree(shuffled);
        EXPECT_EQ(shuffled, expected) << "every " << keep;
    }

    // The results follow the walk.
    TFolderSearch search(u"x"_s, root);
    QStringList found;
    for (const TSearchHit& hit : search.Run().Hits)
        found.append(hit.Path);
    QStringList expected = walk;
    expected.removeFirst(); // the root's own folder note gives no entry
    EXPECT_EQ(found, expected);
}

TEST_F(FolderSearchTest, MatchesNamesAndContent)
{
    // Every note by its name, extension included; "__" names and folder notes only by content.
    EXPECT_EQ(Texts(u"htm"_s),
              (QStringList{u"Plan"_s, u"ddom"_s, u"ddom2"_s, u"old"_s, u"회의"_s}));
    // Raw HTML in any letter case; the root's own folder note gives no entry, a subfolder's
    // its name cut before the last dot; no match across a line break.
    EXPECT_EQ(Texts(u"  FONT "_s), (QStringList{u"Archive"_s, u"__inner"_s, u"old"_s}));
    EXPECT_EQ(Texts(u"회의"_s), (QStringList{u"Plan"_s, u"회의"_s}));
    EXPECT_EQ(Texts(u"plan"_s), (QStringList{u"Plan"_s}));
    EXPECT_EQ(Texts(u"font"_s, Root + u"/Archive/"_s), (QStringList{u"old"_s}));
    EXPECT_EQ(Texts(u"fo"_s, Root + u"/Archive"_s), (QStringList{u"old"_s, u"v1"_s}));
    // Results keep the order of the walk.
    TFolderSearch search(u"font"_s, Root);
    const TSearchOutcome outcome = search.Run();
    QStringList order;
    for (const QString& f : CollectNoteFiles(Root)) {
        for (const TSearchHit& hit : outcome.Hits)
            if (hit.Path == f)
                order.append(hit.Path);
    }
    EXPECT_EQ(outcome.Hits.size(), order.size());
    for (int i = 0; i < order.size(); ++i)
        EXPECT_EQ(outcome.Hits[i].Path, order[i]);
}

TEST_F(FolderSearchTest, SecondBytesOfKoreanCharactersAreNeverLetters)
{
    // 똠 is 8C 63 and 갂 81 41: neither holds a c or an a. 갵 (81 61) is not 갂.
    EXPECT_TRUE(Texts(u"c"_s).isEmpty());
    EXPECT_EQ(Texts(u"a"_s), (QStringList{u"Plan"_s, u"old"_s}));
    EXPECT_EQ(Texts(u"갂"_s), (QStringList{u"ddom"_s}));
    EXPECT_EQ(Texts(u"갵"_s), (QStringList{u"ddom2"_s}));
    Note(u"c.htm"_s, "x");
    Note(u"real.htm"_s, "\x8c\x63"
                        "C\r\n");
    EXPECT_EQ(Texts(u"c"_s), (QStringList{u"c"_s, u"real"_s}));

    const QByteArray c = "c";
    EXPECT_EQ(HighlightMatches("\x8c\x63"
                               "C",
                               c),
              "\x8c\x63" + Highlight + "C</FONT>");
    EXPECT_EQ(HighlightMatches("\x8c\x63", c), "\x8c\x63");
}

TEST_F(FolderSearchTest, HighlightsEveryMatchInItsOwnCase)
{
    const QByteArray font = "font";
    EXPECT_EQ(HighlightMatches("<FONT color=red>Font</font>", font),
              "<" + Highlight + "FONT</FONT> color=red>" + Highlight + "Font</FONT></" + Highlight +
                  "font</FONT>>");
    EXPECT_EQ(HighlightMatches("no match", font), "no match");
    EXPECT_EQ(HighlightMatches("aaa", "aa"), Highlight + "aa</FONT>a");

    // The display file: every line highlighted, CR LF after each, the note untouched.
    const QString page = Root + u"/Archive/old.htm"_s;
    WriteFile(page, "fontfont\nx\r\n\xc8\xb8\xc0\xc7");
    const QString display = Root + u"/zqtmp.zq"_s;
    WriteFile(display, "old content that is longer than the new one\r\n");
    WriteSearchDisplay(page, display, u"회의"_s);
    EXPECT_EQ(ReadFile(display), "fontfont\r\nx\r\n" + Highlight + "\xc8\xb8\xc0\xc7</FONT>\r\n");
    WriteSearchDisplay(page, display, u"font"_s);
    EXPECT_EQ(ReadFile(display),
              Highlight + "font</FONT>" + Highlight + "font</FONT>\r\nx\r\n\xc8\xb8\xc0\xc7\r\n");
    EXPECT_EQ(ReadFile(page), "fontfont\nx\r\n\xc8\xb8\xc0\xc7");
}

QByteArray Utf16LE(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray Utf16BE(const QString& text)
{
    QByteArray bytes("\xFE\xFF");
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >> 8));
        bytes.append(static_cast<char>(c.unicode() & 0xff));
    }
    return bytes;
}

TEST_F(FolderSearchTest, FindsTextInUtf8AndUtf16Notes)
{
    const QString body = u"<P>회의 Agenda 🙂 Éclair</P>\r\n<P>end</P>\r\n"_s;
    const QByteArray meta = "<META charset=\"UTF-8\">\r\n";
    Note(u"u/bom.htm"_s, "\xEF\xBB\xBF" + body.toUtf8());
    Note(u"u/meta.htm"_s, meta + body.toUtf8());
    Note(u"u/le.htm"_s, Utf16LE(body));
    Note(u"u/be.htm"_s, Utf16BE(body));
    // Each note by its own encoding: CP949 bytes behind a UTF-8 mark are not 회의, nor are the
    // UTF-8 bytes of 회의 in a CP949 note; a meta charset that lies about CP949 is not believed.
    Note(u"u/cp949 in bom.htm"_s, "\xEF\xBB\xBF<P>\xc8\xb8\xc0\xc7</P>\r\n");
    Note(u"u/utf8 in cp949.htm"_s, u"<P>회의</P>\r\n"_s.toUtf8());
    Note(u"u/lying meta.htm"_s, meta + "<P>\xc8\xb8\xc0\xc7 agenda</P>\r\n");
    const QString u = Root + u"/u"_s;
    const QStringList all{u"be"_s, u"bom"_s, u"le"_s, u"meta"_s};
    const QStringList andCp949{u"be"_s, u"bom"_s, u"le"_s, u"lying meta"_s, u"meta"_s};
    EXPECT_EQ(Texts(u"회의"_s, u), andCp949);
    EXPECT_EQ(Texts(u"AGENDA"_s, u), andCp949);
    EXPECT_EQ(Texts(u"회의 agenda"_s, u), andCp949);
    // Text CP949 cannot write is still found where Unicode holds it.
    EXPECT_EQ(Texts(u"🙂 é"_s, u), QStringList());
    EXPECT_EQ(Texts(u"🙂 É"_s, u), all);
    // Only A to Z fold.
    EXPECT_EQ(Texts(u"éclair"_s, u), QStringList());
    EXPECT_EQ(Texts(u"ÉCLAIR"_s, u), all);
    EXPECT_EQ(Texts(u"</p>\r\n<p>"_s, u), QStringList());
    EXPECT_EQ(Texts(u"</p>"_s, u).size(), 7);
}

TEST_F(FolderSearchTest, DisplaysUnicodeNotesHighlightedAndReadable)
{
    const QString display = Root + u"/zqtmp.zq"_s;
    const QByteArray meta = "<META charset=utf-8>\n";
    const QByteArray mark = "\xEF\xBB\xBF";
    const QString body = u"<P>회의 Plan\r\nplan 🙂</P>"_s;
    const QByteArray shown = "<P>" + Highlight + u"회의"_s.toUtf8() + "</FONT> Plan\r\nplan " +
                             u"🙂"_s.toUtf8() + "</P>\r\n";

    Note(u"meta.htm"_s, meta + body.toUtf8());
    WriteSearchDisplay(Root + u"/meta.htm"_s, display, u"회의"_s);
    EXPECT_EQ(ReadFile(display), "<META charset=utf-8>\r\n" + shown);

    Note(u"bom.htm"_s, mark + body.toUtf8());
    WriteSearchDisplay(Root + u"/bom.htm"_s, display, u"회의"_s);
    EXPECT_EQ(ReadFile(display), mark + shown);
    WriteSearchDisplay(Root + u"/bom.htm"_s, display, u"plan"_s);
    EXPECT_EQ(ReadFile(display), mark + "<P>" + u"회의 "_s.toUtf8() + Highlight +
                                     "Plan</FONT>\r\n" + Highlight + "plan</FONT> " +
                                     u"🙂</P>"_s.toUtf8() + "\r\n");

    // UTF-16 is shown as UTF-8 with its mark; the note stays as it was.
    Note(u"le.htm"_s, Utf16LE(body));
    WriteSearchDisplay(Root + u"/le.htm"_s, display, u"회의"_s);
    EXPECT_EQ(ReadFile(display), mark + shown);
    Note(u"be.htm"_s, Utf16BE(body));
    WriteSearchDisplay(Root + u"/be.htm"_s, display, u"🙂"_s);
    EXPECT_EQ(ReadFile(display), mark + "<P>" + u"회의"_s.toUtf8() + " Plan\r\nplan " + Highlight +
                                     u"🙂"_s.toUtf8() + "</FONT></P>\r\n");
    EXPECT_EQ(ReadFile(Root + u"/be.htm"_s), Utf16BE(body));

    // A text CP949 cannot write marks nothing in a CP949 note (not even its "?" stand-ins).
    Note(u"q.htm"_s, "a?b\r\n");
    WriteSearchDisplay(Root + u"/q.htm"_s, display, u"🙂"_s);
    EXPECT_EQ(ReadFile(display), "a?b\r\n");
}

TEST_F(FolderSearchTest, NoFilesAndUnreadableFile)
{
    Note(u"x/Plan.HTM"_s, "font");
    TFolderSearch none(u"font"_s, Root + u"/x"_s);
    EXPECT_EQ(none.Run().Kind, TSearchOutcome::NoFiles);

    // A note that vanishes after the walk stops the search with an error naming it (read in
    // turn, so that nothing reads it before it goes).
    TFolderSearch search(u"zzz"_s, Root);
    search.SetReaders(0);
    QString gone;
    QObject::connect(&search, &TFolderSearch::FilesCollected, &search, [&] {
        gone = CollectNoteFiles(Root).last();
        QFile::remove(gone);
    });
    const TSearchOutcome outcome = search.Run();
    EXPECT_EQ(outcome.Kind, TSearchOutcome::Failed);
    EXPECT_TRUE(outcome.Error.startsWith(u"파일을 읽을 수 없습니다: "_s))
        << outcome.Error.toStdString();
    EXPECT_TRUE(outcome.Error.contains(gone));

    TFolderSearch cancelled(u"font"_s, Root);
    cancelled.Cancel();
    EXPECT_EQ(cancelled.Run().Kind, TSearchOutcome::Cancelled);
}

TEST(NoteMatcher, FindsTheTextOnlyWhereItIs)
{
    const QByteArray ga = "\xb0\xa1"; // 가, both bytes lead bytes
    const struct {
        const char* Case;
        QString Text;
        QByteArray Note;
        bool Found;
    } cases[] = {
        {"lower", u"zebra"_s, "a zebra.", true},
        {"capitals", u"zebra"_s, "<B>ZEBRA</B>", true},
        {"mixed", u"zebra"_s, "ZeBrA", true},
        {"one letter off", u"zebra"_s, "zebr4 zebrA", true},
        {"absent", u"zebra"_s, "zebr a", false},
        {"not across a line break", u"zebra"_s, "zeb\r\nra", false},
        {"at the start", u"zebra"_s, "zebra and more", true},
        {"at the end", u"zebra"_s, "and more zebra", true},
        {"the whole note", u"zebra"_s, "zebra", true},
        {"shorter than the text", u"zebra"_s, "zebr", false},
        {"empty note", u"zebra"_s, "", false},
        {"not a letter folded", u"[x"_s, "{x {X", false},
        {"second byte c", u"c"_s, "\x8c\x63", false},
        {"second byte then c", u"c"_s,
         "\x8c\x63"
         "C",
         true},
        {"lead byte alone before a break", u"c"_s, "\x8c\r\x63", true},
        {"second byte A is not a", u"갂"_s, "\x81\x61", false},
        {"second byte exact", u"갂"_s, "x\x81\x41", true},
        {"second byte not folded", u"갵"_s, "\x81\x41", false},
        {"Korean after a long run", u"c"_s, ga.repeated(50) + "c", true},
        {"inside a character after a long run", u"c"_s, ga.repeated(50) + "\x8c\x63", false},
        {"inside after an odd long run", u"c"_s, "\x8c" + ga.repeated(50) + "\x63", false},
        {"after an odd long run", u"c"_s,
         "x\xb0" + ga.repeated(50) +
             "\xa1"
             "c",
         true},
        {"Korean word", u"얼룩말"_s, "<P>\xbe\xf3\xb7\xe8\xb8\xbb</P>", true},
        {"Korean word shifted by a byte", u"얼룩말"_s, "\xb0\xbe\xf3\xb7\xe8\xb8\xbb", false},
        {"UTF-8 bytes in a CP949 note", u"얼룩말"_s, u"얼룩말"_s.toUtf8(), false},
        {"UTF-8 with a mark", u"얼룩말 ZEBRA"_s, "\xEF\xBB\xBF" + u"얼룩말 zebra"_s.toUtf8(), true},
        {"UTF-8 by its meta charset", u"말"_s, "<meta charset=UTF-8>" + u"말"_s.toUtf8(), true},
        {"UTF-16", u"zebra 말"_s, Utf16LE(u"ZEBRA 말"_s), true},
        {"a text CP949 cannot write", u"🙂"_s, "?", false},
    };
    for (const auto& c : cases) {
        const TNoteMatcher matcher(FoldSearchText(c.Text));
        EXPECT_EQ(matcher.ContentMatches(c.Note), c.Found) << c.Case;
    }
}

TEST(NoteMatcher, FindsTheTextAtEveryPlaceOfALongNote)
{
    // Every place of a note longer than the blocks scanned at once, in either letter case;
    // one byte changed and it is found nowhere.
    for (const QString& text : {u"zebra"_s, u"q"_s, u"얼룩말"_s, u"똠c"_s}) {
        const TNoteMatcher matcher(text);
        const QByteArray bytes = cp949::FromUnicode(text);
        const QByteArray capitals = cp949::FromUnicode(text.toUpper());
        for (qsizetype at = 0; at + bytes.size() <= 80; ++at) {
            QByteArray note(80, ' ');
            note.replace(at, bytes.size(), at % 2 ? capitals : bytes);
            EXPECT_TRUE(matcher.ContentMatches(note)) << text.toStdString() << " at " << at;
            note[at + bytes.size() - 1] = '!';
            EXPECT_FALSE(matcher.ContentMatches(note)) << text.toStdString() << " at " << at;
        }
    }
}

// A store of many small notes, each holding "x", in folders of their own.
class FolderSearchRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Dir.path();
        for (int f = 0; f < 20; ++f) {
            for (int n = 0; n < 20; ++n)
                WriteFile(u"%1/폴더 %2/v1.%3.htm"_s.arg(Root).arg(f).arg(n), "x");
        }
        for (int n = 0; n < 1500; ++n)
            WriteFile(u"%1/노트 %2.htm"_s.arg(Root).arg(n), "<P>x</P>");
        Walk = CollectNoteFiles(Root);
    }

    QTemporaryDir Dir;
    QString Root;
    QStringList Walk;
};

TEST_F(FolderSearchRunTest, ReadersKeepTheTreesOrderAndReportEveryHit)
{
    for (int readers : {0, 1, 2}) {
        TFolderSearch search(u"x"_s, Root);
        search.SetReaders(readers);
        bool collected = false;
        QStringList reported;
        QObject::connect(&search, &TFolderSearch::FilesCollected, &search,
                         [&] { collected = true; });
        QObject::connect(&search, &TFolderSearch::HitsFound, &search,
                         [&](const QList<TSearchHit>& hits) {
                             EXPECT_TRUE(collected);
                             for (const TSearchHit& hit : hits)
                                 reported.append(hit.Path);
                         });
        const TSearchOutcome outcome = search.Run();
        EXPECT_EQ(outcome.Kind, TSearchOutcome::Done);
        QStringList found;
        for (const TSearchHit& hit : outcome.Hits)
            found.append(hit.Path);
        EXPECT_EQ(found, Walk) << readers << " readers";
        reported.sort();
        found.sort();
        EXPECT_EQ(reported, found) << readers << " readers";
    }
}

TEST_F(FolderSearchRunTest, CancelKeepsWhatWasFound)
{
    // Cancelled at the first report: the readers may rarely be through before it, so a few
    // tries are given to stop one midway.
    bool midway = false;
    for (int attempt = 0; attempt < 5 && !midway; ++attempt) {
        TFolderSearch search(u"x"_s, Root);
        search.SetReaders(2);
        QStringList reported;
        QObject::connect(&search, &TFolderSearch::HitsFound, &search,
                         [&](const QList<TSearchHit>& hits) {
                             for (const TSearchHit& hit : hits)
                                 reported.append(hit.Path);
                             search.Cancel();
                         });
        const TSearchOutcome outcome = search.Run();
        QStringList found;
        for (const TSearchHit& hit : outcome.Hits)
            found.append(hit.Path);
        midway = found.size() < Walk.size();
        EXPECT_EQ(outcome.Kind, midway ? TSearchOutcome::Cancelled : TSearchOutcome::Done);
        for (const QString& path : reported)
            EXPECT_TRUE(found.contains(path)) << path.toStdString();
        QStringList ordered = found;
        SortLikeTree(ordered);
        EXPECT_EQ(found, ordered);
    }
    EXPECT_TRUE(midway);
}

TEST_F(FolderSearchRunTest, AnUnreadableNoteEndsTheSearchWithTheHitsBeforeIt)
{
    // Reading from the start of a process's memory always fails.
    const QString bad = Root + u"/폴더 3/v1.5.htm"_s;
    QFile::remove(bad);
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, bad));
    TFolderSearch search(u"x"_s, Root);
    search.SetReaders(2);
    const TSearchOutcome outcome = search.Run();
    EXPECT_EQ(outcome.Kind, TSearchOutcome::Failed);
    EXPECT_TRUE(outcome.Error.contains(bad)) << outcome.Error.toStdString();
    QStringList found;
    for (const TSearchHit& hit : outcome.Hits)
        found.append(hit.Path);
    EXPECT_EQ(found, Walk.first(Walk.indexOf(bad)));
}

} // namespace
