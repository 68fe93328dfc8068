// Plain-text find and replace of the source view: directions and ranges, whole words among
// Hangul, letter case for Latin text, and replace-all counts.
#include "editor/izqviews.h"
#include "editor/textfind.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Word = zqFindWholeWord;
constexpr int Case = zqFindMatchCase;
constexpr int Back = zqFindBackward;

} // namespace

TEST(TextFind, ForwardFromTheSelectionsEndBackwardEndingAtItsStart)
{
    //                  0         1         2
    //                  0123456789012345678901234
    const QString t = u"한글 노트, 한글 메모, 한글"_s;
    EXPECT_EQ(FindInText(t, u"한글"_s, 0, 0, 0), 0);
    // The selected match is skipped going forward.
    EXPECT_EQ(FindInText(t, u"한글"_s, 0, 0, 2), 7);
    EXPECT_EQ(FindInText(t, u"한글"_s, 0, 7, 2), 14);
    EXPECT_EQ(FindInText(t, u"한글"_s, 0, 14, 2), -1);
    // A match that starts inside the selection is not taken forward.
    EXPECT_EQ(FindInText(t, u"글 메"_s, 0, 7, 2), -1);

    // Backward: the match ends at or before the selection's start.
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 14, 2), 7);
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 9, 0), 7);
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 8, 0), 0);
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 7, 2), 0);
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 1, 0), -1);
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, t.size(), 0), 14);

    // Positions beyond the text are taken as its ends; empty and overlong texts never match.
    EXPECT_EQ(FindInText(t, u"한글"_s, Back, 1000, 5), 14);
    EXPECT_EQ(FindInText(t, u"한글"_s, 0, -5, 3), 7);
    EXPECT_EQ(FindInText(t, u""_s, 0, 0, 0), -1);
    EXPECT_EQ(FindInText(u"한"_s, u"한글"_s, 0, 0, 0), -1);
}

TEST(TextFind, WholeWordsTreatHangulAsLetters)
{
    const QString t = u"한글날 한글 한글_1 (한글) 2한글 한글"_s;
    // Only the free-standing words and the parenthesised one.
    EXPECT_EQ(FindAllInText(t, u"한글"_s, Word), (QList<qsizetype>{4, 13, 21}));
    EXPECT_EQ(FindAllInText(t, u"한글"_s, 0).size(), 6);
    EXPECT_EQ(FindInText(t, u"한글"_s, Word | Back, t.size(), 0), 21);
    EXPECT_EQ(FindInText(t, u"한글"_s, Word | Back, 21, 2), 13);
    EXPECT_EQ(FindInText(t, u"한글"_s, Word, 5, 0), 13);

    // A combining mark belongs to the letter before it; a character beyond the BMP is judged
    // whole.
    EXPECT_EQ(FindInText(u"cafe\u0301 cafe"_s, u"cafe"_s, Word, 0, 0), 6);
    EXPECT_EQ(FindInText(u"\U0001D400cat \U0001F600cat"_s, u"cat"_s, Word, 0, 0), 8);
}

TEST(TextFind, LetterCaseMattersOnlyWhenAsked)
{
    const QString t = u"<P>본문</p> <Font>글꼴</FONT> ＡＢＣ abc"_s;
    EXPECT_EQ(FindInText(t, u"</P>"_s, 0, 0, 0), 5);
    EXPECT_EQ(FindInText(t, u"</P>"_s, Case, 0, 0), -1);
    EXPECT_EQ(FindInText(t, u"font"_s, 0, 0, 0), 11);
    EXPECT_EQ(FindInText(t, u"font"_s, Case, 0, 0), -1);
    EXPECT_EQ(FindInText(t, u"<font>글꼴</font>"_s, Word, 0, 0), 10);
    EXPECT_EQ(FindInText(t, u"ａｂｃ"_s, 0, 0, 0), 26);
    EXPECT_EQ(FindInText(t, u"ABC"_s, Back, t.size(), 0), 30);
    EXPECT_EQ(FindInText(t, u"ABC"_s, Back | Case, t.size(), 0), -1);
    // Korean is compared as is in either mode.
    EXPECT_EQ(FindInText(t, u"본문"_s, Case, 0, 0), 3);
    EXPECT_EQ(FindInText(t, u"분문"_s, 0, 0, 0), -1);
}

TEST(TextFind, ReplaceAllCountsNonOverlappingMatches)
{
    const TzqReplaceAllResult r =
        ReplaceAll(u"사과 사과나무 사과, 배"_s, u"사과"_s, u"APPLE 사과"_s, Word);
    EXPECT_EQ(r.Text, u"APPLE 사과 사과나무 APPLE 사과, 배"_s);
    EXPECT_EQ(r.Count, 2);

    EXPECT_EQ(ReplaceAll(u"aaaa"_s, u"aa"_s, u"b"_s, 0).Text, u"bb"_s);
    EXPECT_EQ(ReplaceAll(u"Aa aA"_s, u"aa"_s, u""_s, 0).Count, 2);
    EXPECT_EQ(ReplaceAll(u"Aa aA"_s, u"aa"_s, u""_s, Case).Count, 0);
    EXPECT_EQ(ReplaceAll(u"Aa aA"_s, u"aa"_s, u"x"_s, Case).Text, u"Aa aA"_s);
    // The backward option does not change what is replaced.
    EXPECT_EQ(ReplaceAll(u"한 한 한"_s, u"한"_s, u"둘"_s, Back).Text, u"둘 둘 둘"_s);
    EXPECT_EQ(ReplaceAll(u"x"_s, u""_s, u"y"_s, 0).Count, 0);
}
