// The search index against the full scan it stands in for: the same hits for every kind of
// text, after every kind of change behind the program's back, and whatever happened to the
// index file.
#include "platform/cp949.h"
#include "store/indexdb.h"
#include "store/notekeys.h"
#include "store/searchindex.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <random>
#include <set>

using namespace Qt::Literals::StringLiterals;
using testutil::WriteFile;

namespace {

const QStringList Words = {u"회의"_s, u"회의록"_s, u"계획"_s, u"똠방각하"_s, u"갂"_s,     u"갡"_s,
                           u"plan"_s, u"Plan"_s,   u"PLAN"_s, u"zebra"_s,    u"<font>"_s, u"뷁"_s,
                           u"c"_s,    u"메모"_s,   u"일정"_s, u"x"_s};
// Texts searched for: words, parts of words, one character, letters that are second bytes of
// Korean characters, a text CP949 cannot hold, a text in no note.
const QStringList Texts = {u"plan"_s,   u"회의"_s,     u"의록"_s, u"똠"_s,   u"갂"_s,
                           u"갡"_s,     u"c"_s,        u"an"_s,   u"font"_s, u"😀"_s,
                           u"없는말"_s, u"zebra 똠"_s, u"메"_s,   u"x"_s};

class SearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Store.path();
        QRandomGenerator rnd(7);
        // More notes than one round of reading takes.
        for (int i = 0; i < 600; ++i) {
            const QString folder = i % 3 == 0 ? QString() : u"폴더%1/"_s.arg(i % 7);
            const QString name =
                u"노트 %1%2.htm"_s.arg(i).arg(i % 11 == 0 ? u" plan"_s : QString());
            WriteFile(Root + u'/' + folder + name, Cp949Note(rnd));
        }
        WriteFile(Root + u"/___zq_quillet__folder.htm"_s, "root plan\r\n");
        WriteFile(Root + u"/폴더1/___zq_quillet__folder.htm"_s, Cp949Note(rnd));
        WriteFile(Root + u"/폴더1/__그림/안.htm"_s, "zebra\r\n");
        WriteFile(Root + u"/.hidden/plan.htm"_s, "plan\r\n");
        // Notes of other encodings are always read.
        WriteFile(Root + u"/utf8.htm"_s,
                  QByteArray("<meta charset=\"utf-8\">" + u"회의 😀 plan"_s.toUtf8() + "\r\n"));
        WriteFile(Root + u"/bom.htm"_s, QByteArray("\xEF\xBB\xBF" + u"똠 갂"_s.toUtf8() + "\r\n"));
        QByteArray utf16 = "\xFF\xFE";
        for (const QChar c : u"메모 Zebra\r\n"_s)
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        WriteFile(Root + u"/utf16.htm"_s, utf16);
    }
    void TearDown() override { Index.reset(); }

    QByteArray Cp949Note(QRandomGenerator& rnd)
    {
        QString text = u"<HTML><BODY>\r\n"_s;
        const int words = 3 + int(rnd.bounded(12));
        for (int w = 0; w < words; ++w) {
            text += Words[int(rnd.bounded(Words.size()))];
            text += rnd.bounded(5) == 0 ? u"\r\n"_s : u" "_s;
        }
        // Notes of a usual size: the index may take a quarter of what they take.
        return cp949::FromUnicode(QString(text + u"</BODY></HTML>\r\n"_s)) +
               QByteArray("<P>&nbsp;</P>\r\n").repeated(200);
    }

    void OpenIndex(bool watch)
    {
        Index = std::make_unique<TSearchIndex>(Cache.path());
        Index->SetWatchChanges(watch);
        Index->Open(Root);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Index->Ready(); }, 20000));
        EXPECT_EQ(Index->Watching(), watch);
    }

    // Every text below root and one folder: the index's hits are the full scan's.
    void ExpectSameHitsAsAFullScan(bool mustAnswer = true)
    {
        Index->Sync();
        for (const QString& folder : QStringList{Root, Root + u"/폴더1"_s}) {
            for (const QString& text : Texts) {
                SCOPED_TRACE(QString(folder + u" / "_s + text).toStdString());
                TFolderSearch search(FoldSearchText(text), folder);
                const TSearchOutcome scanned = search.Run();
                const std::optional<TIndexAnswer> answer =
                    Index->Answer(folder, FoldSearchText(text));
                if (!answer) {
                    EXPECT_FALSE(mustAnswer);
                    continue;
                }
                TFolderSearch indexed(FoldSearchText(text), folder);
                indexed.SetCandidates(answer->Candidates());
                const TSearchOutcome outcome = indexed.Run();
                EXPECT_EQ(outcome.Kind, scanned.Kind);
                EXPECT_EQ(outcome.Hits, scanned.Hits);
            }
        }
    }

    QTemporaryDir Store;
    QTemporaryDir Cache;
    QString Root;
    std::unique_ptr<TSearchIndex> Index;
};

} // namespace

TEST(NoteKeys, ATextsKeysAreAmongTheKeysOfEveryNoteHoldingIt)
{
    notekeys::TKeySet set;
    set.Collect(cp949::FromUnicode(u"<P>Plan 똠방각하\r\n갂x</P>"_s));
    const std::vector<notekeys::TKey> keys = set.Keys();
    const auto has = [&](const QString& text) {
        for (notekeys::TKey key : notekeys::TextKeys(cp949::FromUnicode(text))) {
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                return false;
        }
        return true;
    };
    for (const QString& text : {u"plan"_s, u"똠방"_s, u"각하"_s, u"x"_s, u"갂"_s, u"p>"_s})
        EXPECT_TRUE(has(text)) << text.toStdString();
    // Not across a line break.
    EXPECT_FALSE(has(u"하갂"_s));
}

TEST(NoteKeys, TheKeysOfRandomNotesAreTheirBytesAndPairsOfBytes)
{
    // Letters to fold, lead and trail bytes, bytes that are no lead, line breaks.
    const QByteArray alphabet("Aa<z\r\n\x80\xff\x81\xb0\xa2\xfe\x41 ", 14);
    std::mt19937 random(17);
    notekeys::TKeySet set;
    for (int round = 0; round < 500; ++round) {
        QByteArray note;
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i)
            note.append(alphabet[int(random() % alphabet.size())]);
        std::set<notekeys::TKey> expected;
        for (qsizetype i = 0; i < note.size(); ++i) {
            for (const QByteArray& text : {note.mid(i, 1), note.mid(i, 2)}) {
                for (notekeys::TKey key : notekeys::TextKeys(text))
                    expected.insert(key);
            }
        }
        set.Collect(note);
        const std::vector<notekeys::TKey> keys = set.Keys();
        EXPECT_EQ(std::set<notekeys::TKey>(keys.begin(), keys.end()), expected)
            << note.toHex().constData();
        EXPECT_EQ(keys.size(), expected.size());
        // The same text in other letter cases has the same keys.
        EXPECT_EQ(notekeys::TextKeys(note.toUpper()), notekeys::TextKeys(note.toLower()));
    }
}

TEST(NoteKeys, PostingsComeBackOrAreKnownDamaged)
{
    const std::vector<std::uint32_t> numbers = {0, 1, 5, 300, 70000};
    const QByteArray blob = notekeys::EncodePostings(numbers.data(), numbers.size());
    EXPECT_EQ(notekeys::DecodePostings(blob, 70001), numbers);
    EXPECT_FALSE(notekeys::DecodePostings(blob, 70000)); // beyond the segment
    for (qsizetype i = 0; i < blob.size(); ++i) {
        QByteArray scribbled = blob;
        scribbled[i] = char(scribbled[i] ^ 0x10);
        EXPECT_FALSE(notekeys::DecodePostings(scribbled, 1u << 30)) << i;
    }
    EXPECT_FALSE(notekeys::DecodePostings(blob.left(3), 1u << 30));
}

TEST_F(SearchIndexTest, TheIndexFindsWhatTheFullScanFindsWatchedOrNot)
{
    for (const bool watch : {true, false}) {
        SCOPED_TRACE(watch ? "watched" : "compared");
        OpenIndex(watch);
        ExpectSameHitsAsAFullScan();
        // It narrows: a text in no note leaves only the notes of other encodings to read.
        EXPECT_EQ(Index->Answer(Root, u"뷁뷁뷁"_s)->Read.size(), 3);
        Index.reset();
    }
    // The index lives in the cache folder, never in the store.
    EXPECT_FALSE(QDir(Cache.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(Root).entryList({u"*.db*"_s}, QDir::Files).isEmpty());
}

TEST_F(SearchIndexTest, ChangesBehindTheProgramsBackAreSeenByTheNextSearch)
{
    const struct {
        const char* Name;
        std::function<void(const QString&)> Change;
    } changes[] = {
        {"a note gets a word",
         [](const QString& root) {
             QFile f(root + u"/노트 0.htm"_s);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(cp949::FromUnicode(u"없는말 갡 😀\r\n"_s));
         }},
        {"a note is made",
         [](const QString& root) {
             WriteFile(root + u"/폴더1/새 노트.htm"_s, cp949::FromUnicode(u"회의록 zebra\r\n"_s));
         }},
        {"a note goes", [](const QString& root) { QFile::remove(root + u"/노트 3.htm"_s); }},
        {"a folder is renamed",
         [](const QString& root) { QDir(root).rename(u"폴더2"_s, u"폴더1/옮긴 폴더"_s); }},
        {"a folder of notes comes",
         [](const QString& root) {
             WriteFile(root + u"/새 폴더/깊이/plan 노트.htm"_s, "plan x\r\n");
         }},
        {"a note keeps its size and time but not its words",
         [](const QString& root) {
             const QString path = root + u"/노트 6.htm"_s;
             const QDateTime time = QFileInfo(path).lastModified();
             QByteArray bytes = testutil::ReadFile(path);
             bytes.replace(0, 6, "x c an");
             WriteFile(path, bytes);
             QFile f(path);
             f.open(QIODevice::ReadWrite);
             f.setFileTime(time, QFileDevice::FileModificationTime);
         }},
    };
    for (const bool watch : {true, false}) {
        SCOPED_TRACE(watch ? "watched" : "compared");
        OpenIndex(watch);
        for (const auto& change : changes) {
            SCOPED_TRACE(change.Name);
            change.Change(Root);
            // Right after the change, and again once the index filed it.
            ExpectSameHitsAsAFullScan();
            QTest::qWait(600);
            ExpectSameHitsAsAFullScan();
        }
        Index.reset();
        // Closed and opened again: what changed meanwhile is found too.
        WriteFile(Root + u"/닫힌 뒤.htm"_s, "plan 똠\r\n");
        OpenIndex(watch);
        ExpectSameHitsAsAFullScan();
        Index.reset();
    }
}

TEST_F(SearchIndexTest, ADamagedIndexIsMadeAnewAndNeverAnswersWrong)
{
    OpenIndex(true);
    const QString file = Index->FileFor(Root);
    Index.reset();
    const QByteArray good = testutil::ReadFile(file);
    ASSERT_GT(good.size(), 4096);
    const struct {
        const char* Name;
        std::function<void()> Damage;
    } damages[] = {
        {"truncated", [&] { QFile(file).resize(good.size() / 2); }},
        {"scribbled on",
         [&] {
             QByteArray bytes = good;
             for (qsizetype i = good.size() / 3; i < good.size(); i += 97)
                 bytes[i] = char(bytes[i] ^ 0x5A);
             WriteFile(file, bytes);
         }},
        {"not a database", [&] { WriteFile(file, QByteArray(good.size(), 'z')); }},
        {"of an older version",
         [&] {
             TIndexDb db;
             ASSERT_TRUE(db.OpenForWriting(file, Root));
             db.Close();
             QByteArray bytes = testutil::ReadFile(file);
             bytes.replace("zqQuillet search index 1", "zqQuillet search index 0");
             WriteFile(file, bytes);
         }},
        {"left by a run that crashed while building",
         [&] {
             TIndexDb db;
             ASSERT_TRUE(db.OpenForWriting(file, Root));
             db.SetComplete(false);
         }},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.Name);
        WriteFile(file, good);
        QFile::remove(file + u"-wal"_s);
        QFile::remove(file + u"-shm"_s);
        damage.Damage();
        Index = std::make_unique<TSearchIndex>(Cache.path());
        Index->Open(Root);
        // Whatever it answers meanwhile is right; once made anew it answers everything.
        ExpectSameHitsAsAFullScan(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Index->Ready(); }, 20000));
        ExpectSameHitsAsAFullScan(false);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Index->Answer(Root, u"plan"_s).has_value() && Index->Ready(); }, 20000));
        ExpectSameHitsAsAFullScan();
        Index.reset();
    }
}

TEST_F(SearchIndexTest, TheBuildWaitsWhileTheUserTypes)
{
    Index = std::make_unique<TSearchIndex>(Cache.path());
    Index->Open(Root);
    QObject window;
    QEvent key(QEvent::KeyPress);
    QElapsedTimer typing;
    typing.start();
    while (typing.elapsed() < 2000) {
        QCoreApplication::sendEvent(&window, &key);
        EXPECT_FALSE(Index->Ready());
        QTest::qWait(100);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return Index->Ready(); }, 20000));
}

TEST_F(SearchIndexTest, ASecondProgramOnTheSameDataDirectoryLeavesTheIndexToTheFirst)
{
    OpenIndex(true);
    TSearchIndex second(Cache.path());
    second.Open(Root);
    QTest::qWait(500);
    EXPECT_FALSE(second.Answer(Root, u"plan"_s).has_value());
    ExpectSameHitsAsAFullScan();
}
