#include "app/zqprjinfo.h"
#include "platform/zqerror.h"
#include "testutil.h"
#include "tools/zqnotepadstore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class NotePadStoreTest : public ::testing::Test {
protected:
    QString TextFile() const { return Dir.filePath(u"tmpzqq.txt"_s); }
    QString Ini() const { return Dir.filePath(u"zqQuillet.ini"_s); }
    QTemporaryDir Dir;
    TzqPrjInfo Prj{Dir.path()};
    TzqNotePadStore Store{Prj};
};

} // namespace

TEST_F(NotePadStoreTest, TextComesBackExactlyInCp949WhereItFitsElseInUtf8)
{
    EXPECT_EQ(Store.FileName(), TextFile());
    const struct {
        QString Text;
        QByteArray Bytes;
    } cases[] = {
        // 똠 and 뷁 exist only in CP949, not in the older Korean code page.
        {u"한글\n똠방각하 뷁\n\nlast"_s,
         "\xC7\xD1\xB1\xDB\r\n\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF \x94\xEE\r\n\r\nlast\r\n"},
        // A text ending in a line break keeps it.
        {u"a\n"_s, "a\r\n\r\n"},
        {QString(), ""},
        // One character CP949 lacks puts the whole text in UTF-8, Korean included.
        {u"café\n메모"_s, "\xEF\xBB\xBF"
                          "caf\xC3\xA9\r\n\xEB\xA9\x94\xEB\xAA\xA8\r\n"},
        {u"😀"_s, "\xEF\xBB\xBF\xF0\x9F\x98\x80\r\n"},
        // A Hanja outside CP949's set.
        {u"丒"_s, "\xEF\xBB\xBF\xE4\xB8\x92\r\n"},
        // A zero-width no-break space the text begins with is not taken for the mark.
        {u"\uFEFFx"_s, "\xEF\xBB\xBF\xEF\xBB\xBFx\r\n"},
    };
    for (const auto& c : cases) {
        Store.SaveText(c.Text);
        EXPECT_TRUE(QFileInfo::exists(TextFile()));
        EXPECT_EQ(ReadFile(TextFile()), c.Bytes) << c.Text.toStdString();
        EXPECT_EQ(Store.LoadText(), c.Text);
    }
}

TEST_F(NotePadStoreTest, ReadsFilesWrittenElsewhere)
{
    EXPECT_EQ(Store.LoadText(), QString()) << "no file yet";
    EXPECT_FALSE(QFileInfo::exists(TextFile())) << "loading creates nothing";

    const struct {
        QByteArray Bytes;
        QString Text;
    } cases[] = {
        // CP949 with bare LF and bare CR line ends, no final line end.
        {"\xC7\xD1\nb\rc", u"한\nb\nc"_s},
        // UTF-8 without the mark that CP949 cannot read.
        {"\xED\x95\x9C\xEA\xB8\x80 caf\xC3\xA9\n", u"한글 café"_s},
        // Bytes valid in both stay CP949, as the notepad has always read them.
        {"caf\xC3\xA9", u"caf챕"_s},
        // Bytes neither defines come out as replacement characters, not as lost lines.
        {"x\xFF\r\ny\r\n", u"x\uFFFD\ny"_s},
        {"\xEF\xBB\xBFx\xFF\r\n", u"x\uFFFD"_s},
    };
    for (const auto& c : cases) {
        WriteFile(TextFile(), c.Bytes);
        EXPECT_EQ(Store.LoadText(), c.Text) << c.Bytes.toHex().toStdString();
    }
}

TEST_F(NotePadStoreTest, UnwritableTextStoresNoPlacement)
{
    // A directory in the file's place cannot be replaced by a file, even by root.
    QDir().mkpath(TextFile());
    EXPECT_THROW(Store.SaveText(u"x"_s), EzqError);
    EXPECT_THROW(Store.SaveState(u"x"_s, QRect(1, 2, 3, 4)), EzqError);
    EXPECT_FALSE(Store.LoadPlacement().has_value());
    EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(NotePadStoreTest, StateWritesTextThenPlacementSection)
{
    EXPECT_FALSE(Store.LoadPlacement().has_value());
    Store.SaveState(u"메모"_s, QRect(-5, 30, 320, 240));
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("\xB8\xDE\xB8\xF0\r\n"));
    EXPECT_EQ(ReadFile(Ini()),
              QByteArray("[TfrmNotePad]\r\nLeft=-5\r\nTop=30\r\nWidth=320\r\nHeight=240\r\n"));
    EXPECT_EQ(Store.LoadPlacement(), QRect(-5, 30, 320, 240));

    // Missing keys of an existing section read as 0.
    WriteFile(Ini(), "[TfrmNotePad]\r\nLeft=40\r\n");
    EXPECT_EQ(Store.LoadPlacement(), QRect(40, 0, 0, 0));
}

TEST(NotePadPlacement, FitsStoredPlacementOntoTheScreens)
{
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
    const QSize defaults(320, 360);
    EXPECT_EQ(TzqNotePadStore::FitPlacement(QRect(100, 80, 300, 200), defaults, screens),
              QRect(100, 80, 300, 200));
    EXPECT_EQ(TzqNotePadStore::FitPlacement(QRect(-600, 10, 300, 200), defaults, screens),
              QRect(-600, 10, 300, 200))
        << "on the second screen";
    EXPECT_EQ(TzqNotePadStore::FitPlacement(QRect(40, 0, 0, 0), defaults, screens),
              QRect(40, 0, 320, 360))
        << "a section holding only Left";
    EXPECT_EQ(TzqNotePadStore::FitPlacement(QRect(5000, 4000, 300, 200), defaults, screens),
              QRect(0, 0, 300, 200))
        << "a screen that is gone";
    EXPECT_EQ(TzqNotePadStore::FitPlacement(QRect(5000, 4000, 300, 200), defaults, {}),
              QRect(5000, 4000, 300, 200));
}
