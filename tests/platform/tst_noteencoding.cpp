#include "platform/noteencoding.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Text = u"<p>한글 똠 뷁 😀</p>\r\n"_s;

} // namespace

TEST(NoteEncodingTest, ByteOrderMarksAndUtf8LabelsDecideTheEncoding)
{
    EXPECT_EQ(DetectNoteEncoding("\xEF\xBB\xBF<p>x</p>"), TzqNoteEncoding::Utf8Bom);
    EXPECT_EQ(DetectNoteEncoding("\xFF\xFE<\0p\0"), TzqNoteEncoding::Utf16LE);
    EXPECT_EQ(DetectNoteEncoding("\xFE\xFF\0<\0p"), TzqNoteEncoding::Utf16BE);
    EXPECT_EQ(DetectNoteEncoding("<html><head><meta charset=\"UTF-8\"></head>\xED\x95\x9C"),
              TzqNoteEncoding::Utf8);
    EXPECT_EQ(DetectNoteEncoding("<META http-equiv=Content-Type content='text/html; "
                                 "charset=utf8'>\xED\x95\x9C"),
              TzqNoteEncoding::Utf8);
    // CP949 notes, labelled or not; a utf-8 label on bytes that are not UTF-8 is not believed.
    EXPECT_EQ(DetectNoteEncoding("<meta charset=euc-kr><p>\xC7\xD1</p>"), TzqNoteEncoding::Cp949);
    EXPECT_EQ(DetectNoteEncoding("<p>\xC7\xD1</p>"), TzqNoteEncoding::Cp949);
    EXPECT_EQ(DetectNoteEncoding("<meta charset=utf-8><p>\xC7\xD1</p>"), TzqNoteEncoding::Cp949);
    // The word alone, outside a meta tag, says nothing.
    EXPECT_EQ(DetectNoteEncoding("<p>charset=utf-8</p>"), TzqNoteEncoding::Cp949);
    EXPECT_EQ(DetectNoteEncoding(""), TzqNoteEncoding::Cp949);
}

TEST(NoteEncodingTest, EveryEncodingRoundTripsWithItsByteOrderMark)
{
    for (TzqNoteEncoding e : {TzqNoteEncoding::Utf8, TzqNoteEncoding::Utf8Bom,
                              TzqNoteEncoding::Utf16LE, TzqNoteEncoding::Utf16BE}) {
        const QByteArray bytes = EncodeNote(Text, e);
        EXPECT_EQ(DecodeNote(bytes, e), Text);
        if (e != TzqNoteEncoding::Utf8) {
            EXPECT_EQ(DetectNoteEncoding(bytes), e);
        }
    }
    EXPECT_EQ(EncodeNote(u"한\n"_s, TzqNoteEncoding::Utf8Bom),
              QByteArray("\xEF\xBB\xBF\xED\x95\x9C\n"));
    EXPECT_EQ(EncodeNote(u"한"_s, TzqNoteEncoding::Utf16LE), QByteArray("\xFF\xFE\x5C\xD5", 4));
    EXPECT_EQ(EncodeNote(u"한"_s, TzqNoteEncoding::Utf16BE), QByteArray("\xFE\xFF\xD5\x5C", 4));
    // CP949 keeps what it lacks as character references.
    EXPECT_EQ(EncodeNote(u"똠😀"_s, TzqNoteEncoding::Cp949), QByteArray("\x8C\x63&#x1F600;"));
    EXPECT_EQ(DecodeNote(QByteArray("\x8C\x63")), u"똠"_s);
}
