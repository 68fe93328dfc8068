#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "store/foldersearch.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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
    void Note(const QString& rel, QByteArrayView bytes) { WriteFile(Root + u'/' + rel, bytes); }
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
    WriteSearchDisplay(page, display, cp949::FromUnicode(u"회의"_s));
    EXPECT_EQ(ReadFile(display), "fontfont\r\nx\r\n" + Highlight + "\xc8\xb8\xc0\xc7</FONT>\r\n");
    WriteSearchDisplay(page, display, font);
    EXPECT_EQ(ReadFile(display),
              Highlight + "font</FONT>" + Highlight + "font</FONT>\r\nx\r\n\xc8\xb8\xc0\xc7\r\n");
    EXPECT_EQ(ReadFile(page), "fontfont\nx\r\n\xc8\xb8\xc0\xc7");
}

TEST_F(FolderSearchTest, NoFilesAndUnreadableFile)
{
    Note(u"x/Plan.HTM"_s, "font");
    TFolderSearch none(u"font"_s, Root + u"/x"_s);
    EXPECT_EQ(none.Run().Kind, TSearchOutcome::NoFiles);

    // A note that vanishes after the walk stops the search with an error naming it.
    TFolderSearch search(u"zzz"_s, Root);
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

} // namespace
