// The cells of the special characters grid: the built-in set, the user's file cut at CP949
// character boundaries, and the fall-backs for a missing, empty or unreadable file.
#include "editor/charsgrid.h"
#include "platform/cp949.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

TEST(CharsGrid, BuiltInCharactersAreTwoCp949BytesEach)
{
    const QString chars = BuiltInChars();
    ASSERT_EQ(chars.size(), 116);
    for (const QChar c : chars) {
        bool lossless = false;
        const QByteArray bytes = cp949::FromUnicode(QString(c), &lossless);
        EXPECT_TRUE(lossless) << std::hex << int(c.unicode());
        EXPECT_EQ(bytes.size(), 2) << std::hex << int(c.unicode());
        EXPECT_EQ(cp949::ToUnicode(bytes), QString(c)) << std::hex << int(c.unicode());
    }
    EXPECT_TRUE(chars.contains(QChar(0x212B)));
    EXPECT_EQ(cp949::FromUnicode(QString(QChar(0x212B))), "\xA1\xCA");

    // 24 rows of 5: the last row holds the backslash alone.
    const QStringList cells = CharsGridCells(cp949::FromUnicode(chars));
    ASSERT_EQ(cells.size(), 116);
    EXPECT_EQ((cells.size() + 4) / 5, 24);
    EXPECT_EQ(cells.sliced(115), QStringList{u"＼"_s});
    EXPECT_EQ(cells.first(), u"■"_s);
    EXPECT_EQ(cells.join(QString()), chars);
}

TEST(CharsGrid, CellsFollowCp949CharacterBoundaries)
{
    // Single bytes are characters of their own and never shift the pairs after them.
    EXPECT_EQ(CharsGridCells("a\xA1\xE1"
                             "b\xB0\xA1"
                             "7"),
              (QStringList{u"a"_s, u"■"_s, u"b"_s, u"가"_s, u"7"_s}));
    // Three double-byte characters and a lone lead byte at the end: three cells.
    EXPECT_EQ(CharsGridCells("\xA1\xE1\xA1\xE0\xA2\xBA\xB0"),
              (QStringList{u"■"_s, u"□"_s, u"▶"_s}));
    // The CP949-only syllables (trail bytes among the ASCII letters) are one character.
    EXPECT_EQ(CharsGridCells("\x8C\x63\x81\x41"), (QStringList{u"똠"_s, u"갂"_s}));
    // A lead byte without a trail byte is dropped alone; so are control characters, 0x80, 0xFF
    // and pairs CP949 leaves undefined.
    EXPECT_EQ(CharsGridCells("\xB0\x20\xB0\xA1\t\x7F\x80\xFF\xA2\xE8\xC9\xA1"),
              (QStringList{u" "_s, u"가"_s}));
    EXPECT_TRUE(CharsGridCells({}).isEmpty());
}

TEST(CharsGrid, FileGivesItsFirstLineOrTheBuiltIns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"zqqchars.txt"_s);
    QStringList builtIn;
    for (const QChar c : BuiltInChars())
        builtIn.append(QString(c));

    EXPECT_EQ(LoadCharsGridCells(path), builtIn); // missing

    testutil::WriteFile(path, "\xA1\xDA\xB0\xA1x\r\n\xA1\xE1\r\n");
    EXPECT_EQ(LoadCharsGridCells(path), (QStringList{u"★"_s, u"가"_s, u"x"_s}));
    testutil::WriteFile(path, "\xA1\xDA\n");
    EXPECT_EQ(LoadCharsGridCells(path), QStringList{u"★"_s});
    testutil::WriteFile(path, "\xA1\xDA");
    EXPECT_EQ(LoadCharsGridCells(path), QStringList{u"★"_s});

    // An empty first line, or one without a usable character, gives the built-ins.
    testutil::WriteFile(path, "\r\n\xA1\xE1\r\n");
    EXPECT_EQ(LoadCharsGridCells(path), builtIn);
    testutil::WriteFile(path, "");
    EXPECT_EQ(LoadCharsGridCells(path), builtIn);
    testutil::WriteFile(path, "\t\xB0\r\n");
    EXPECT_EQ(LoadCharsGridCells(path), builtIn);

    // A folder of that name, or a file that cannot be read.
    const QString folder = dir.filePath(u"folder.txt"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(LoadCharsGridCells(folder), builtIn);
    testutil::WriteFile(path, "\xA1\xDA\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    if (::geteuid() != 0) { // root reads it anyway
        EXPECT_EQ(LoadCharsGridCells(path), builtIn);
    }
}
