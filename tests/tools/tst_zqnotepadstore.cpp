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

TEST_F(NotePadStoreTest, TextIsCp949WithCrLfAfterEveryLine)
{
    EXPECT_EQ(Store.FileName(), TextFile());
    // 똠 exists only in CP949, not in the older Korean code page.
    Store.SaveText(u"한글\n똠방각하\n\nlast"_s);
    EXPECT_EQ(ReadFile(TextFile()),
              QByteArray("\xC7\xD1\xB1\xDB\r\n\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF\r\n\r\nlast\r\n"));
    EXPECT_EQ(Store.LoadText(), u"한글\n똠방각하\n\nlast"_s);

    // A text ending in a line break keeps it through a save and a load.
    Store.SaveText(u"a\n"_s);
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("a\r\n\r\n"));
    EXPECT_EQ(Store.LoadText(), u"a\n"_s);

    Store.SaveText(QString());
    EXPECT_TRUE(QFileInfo::exists(TextFile()));
    EXPECT_EQ(ReadFile(TextFile()), QByteArray());
    EXPECT_EQ(Store.LoadText(), QString());
}

TEST_F(NotePadStoreTest, ReadsFilesWrittenElsewhere)
{
    EXPECT_EQ(Store.LoadText(), QString()) << "no file yet";
    EXPECT_FALSE(QFileInfo::exists(TextFile())) << "loading creates nothing";

    // Bare LF and bare CR line ends, no final line end.
    WriteFile(TextFile(), "\xC7\xD1\nb\rc");
    EXPECT_EQ(Store.LoadText(), u"한\nb\nc"_s);
    // Bytes CP949 does not define come out as replacement characters, not as lost lines.
    WriteFile(TextFile(), "x\xFF\r\ny\r\n");
    EXPECT_EQ(Store.LoadText(), u"x\uFFFD\ny"_s);
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
