#include "platform/cp949.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

// "똠" and "뷁" exist only in CP949 (outside KS X 1001); their trail bytes are ASCII letters.
TEST(Cp949, RoundTripsHangulThatOnlyCp949Has)
{
    const QString text = u"한글 똠방각하 ■ 돋움 뷁"_s;
    const QByteArray bytes = cp949::FromUnicode(text);
    EXPECT_EQ(bytes, QByteArray("\xC7\xD1\xB1\xDB \x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF \xA1\xE1 "
                                "\xB5\xB8\xBF\xF2 \x94\xEE"));
    EXPECT_EQ(cp949::ToUnicode(bytes), text);
}

TEST(Cp949, MissingCharactersBecomeQuestionMarksOrReferences)
{
    bool lossless = true;
    EXPECT_EQ(cp949::FromUnicode(u"a😀b"_s, &lossless), QByteArray("a?b"));
    EXPECT_FALSE(lossless);
    EXPECT_EQ(cp949::FromUnicodeWithCharRefs(u"가😀나\u0100"_s),
              QByteArray("\xB0\xA1&#x1F600;\xB3\xAA&#x100;"));
    cp949::FromUnicode(u"가나"_s, &lossless);
    EXPECT_TRUE(lossless);
}

TEST(Cp949, BrokenBytesDecodeWithoutLosingTheRest)
{
    // A lone lead byte at the end, and an undefined pair in the middle.
    EXPECT_EQ(cp949::ToUnicode("ab\xB0"), u"ab\uFFFD"_s);
    const QString s = cp949::ToUnicode("\xFF\xFF" "x\xB0\xA1");
    EXPECT_TRUE(s.endsWith(u"x가"_s)) << qPrintable(s);
    EXPECT_EQ(cp949::ToUnicode(""), QString());
}

TEST(TextFile, SplitsAtEveryLineEndAndWritesCrLf)
{
    EXPECT_EQ(textfile::SplitLines("a\r\nb\nc\rd"), (QList<QByteArray>{"a", "b", "c", "d"}));
    EXPECT_EQ(textfile::SplitLines("a\r\n\r\n"), (QList<QByteArray>{"a", ""}));
    EXPECT_EQ(textfile::SplitLines(""), QList<QByteArray>{});
    EXPECT_EQ(textfile::JoinLines({"a", "", "b"}), QByteArray("a\r\n\r\nb\r\n"));

    QTemporaryDir dir;
    const QString path = dir.filePath(u"n.htm"_s);
    textfile::WriteLines(path, {"\xB0\xA1", "x"});
    EXPECT_EQ(testutil::ReadFile(path), QByteArray("\xB0\xA1\r\nx\r\n"));
    EXPECT_EQ(textfile::ReadLines(path), (QList<QByteArray>{"\xB0\xA1", "x"}));
    EXPECT_THROW(textfile::ReadLines(dir.filePath(u"missing.htm"_s)), EzqError);
    EXPECT_THROW(textfile::WriteAll(dir.filePath(u"no/such/dir/x"_s), "x"), EzqError);
}
