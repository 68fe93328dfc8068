#include "mainwin/travlist.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Root = u"/data/Notes"_s;

QString Page(const QString& rel)
{
    return Root + u'/' + rel;
}

QStringList Captions(const QList<TTravMenuItem>& items)
{
    QStringList out;
    for (const TTravMenuItem& item : items)
        out.append(item.Caption + u'#' + QString::number(item.Tag));
    return out;
}

} // namespace

TEST(TravList, AddStepsAndForwardPartDropped)
{
    TTravList list([] { return Root; });
    EXPECT_FALSE(list.CanGoBack());
    EXPECT_FALSE(list.CanGoForward());
    EXPECT_EQ(list.Add({}), -1);

    list.Add(Page(u"A.htm"_s));
    list.Add(Page(u"Diary/___zq_quillet__folder.htm"_s));
    EXPECT_EQ(list.Add(Page(u"Diary/2024/C.htm"_s)), 2);
    EXPECT_EQ(list.Entries(), (QStringList{u"A.htm"_s, u"Diary\\"_s, u"Diary\\2024\\C.htm"_s}));
    EXPECT_TRUE(list.CanGoBack());
    EXPECT_FALSE(list.CanGoForward());

    EXPECT_EQ(list.Step(false), u"Diary\\"_s);
    EXPECT_EQ(list.Step(false), u"A.htm"_s);
    EXPECT_FALSE(list.CanGoBack());
    EXPECT_TRUE(list.CanGoForward());
    // Showing another page from here drops B and C.
    EXPECT_EQ(list.Add(Page(u"D.htm"_s)), 1);
    EXPECT_EQ(list.Entries(), (QStringList{u"A.htm"_s, u"D.htm"_s}));
    EXPECT_EQ(list.Cursor(), 1);

    // The same page again leaves one entry; the data directory's own folder note is "".
    EXPECT_EQ(list.Add(Page(u"D.htm"_s)), 1);
    EXPECT_EQ(list.Count(), 2);
    list.Add(Page(u"___zq_quillet__folder.htm"_s));
    EXPECT_EQ(list.Entries().back(), QString());

    EXPECT_EQ(list.JumpTo(7), QString());
    EXPECT_EQ(list.Cursor(), 2);
    // Removing the current entry at the end leaves the cursor inside the list.
    list.Delete(2);
    EXPECT_EQ(list.Cursor(), 1);
    EXPECT_EQ(list.JumpTo(0), u"A.htm"_s);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Cursor(), -1);
    EXPECT_FALSE(list.CanGoBack());
    EXPECT_FALSE(list.CanGoForward());
}

TEST(TravList, FiftyEntriesAndMenuLists)
{
    TTravList list([] { return Root; });
    for (int i = 0; i < 51; ++i)
        list.Add(Page(u"N%1.htm"_s.arg(i)));
    EXPECT_EQ(list.Count(), 50);
    EXPECT_EQ(list.Entries().front(), u"N1.htm"_s);
    EXPECT_EQ(list.Cursor(), 49);
    EXPECT_TRUE(list.MenuItems(true).isEmpty());

    // Forty entries, the cursor on entry 30.
    list.Clear();
    for (int i = 0; i < 40; ++i)
        list.Add(Page(u"N%1.htm"_s.arg(i)));
    list.JumpTo(30);
    const QList<TTravMenuItem> back = list.MenuItems(false);
    ASSERT_EQ(back.size(), 20);
    EXPECT_EQ(back.front().Tag, 29);
    EXPECT_EQ(back.back().Tag, 10);
    EXPECT_EQ(back.front().Caption, u"N29"_s);
    const QList<TTravMenuItem> forward = list.MenuItems(true);
    ASSERT_EQ(forward.size(), 9);
    EXPECT_EQ(forward.front().Tag, 31);
    EXPECT_EQ(forward.back().Tag, 39);
    list.JumpTo(0);
    EXPECT_TRUE(list.MenuItems(false).isEmpty());

    // Captions: a note without ".htm", a folder by its last name, the data directory empty.
    list.Clear();
    list.Add(Page(u"Diary/___zq_quillet__folder.htm"_s));
    list.Add(Page(u"Diary/2024/May.htm"_s));
    list.Add(Page(u"___zq_quillet__folder.htm"_s));
    list.Add(Page(u"a.b.htm"_s));
    EXPECT_EQ(Captions(list.MenuItems(false)), (QStringList{u"#2"_s, u"May#1"_s, u"Diary#0"_s}));
}

TEST(TravList, HistoryStepsSkipTheirOwnRecord)
{
    TTravList list([] { return Root; });
    list.Add(Page(u"A.htm"_s));
    list.Add(Page(u"B.htm"_s));
    list.Add(Page(u"C.htm"_s));

    // The page load that a step causes is not recorded.
    QStringList shown;
    const auto show = [&](const QString& entry) {
        shown.append(entry);
        EXPECT_EQ(list.Add(Page(entry)), -1);
        return true;
    };
    EXPECT_TRUE(list.GoBack(show));
    EXPECT_TRUE(list.GoTo(0, show));
    EXPECT_TRUE(list.GoForward(show));
    EXPECT_EQ(shown, (QStringList{u"B.htm"_s, u"A.htm"_s, u"B.htm"_s}));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Cursor(), 1);

    // A step that loads nothing (the page was current, or no node matched) does not swallow
    // the next page the user opens.
    EXPECT_FALSE(list.GoForward([](const QString&) { return false; }));
    EXPECT_TRUE(list.RecordNext());
    list.JumpTo(0);
    EXPECT_EQ(list.Add(Page(u"E.htm"_s)), 1);
    EXPECT_EQ(list.Add(Page(u"F.htm"_s)), 2);

    // An empty entry (the data directory) moves the cursor and shows nothing.
    list.Add(Page(u"___zq_quillet__folder.htm"_s));
    list.Add(Page(u"G.htm"_s));
    bool called = false;
    EXPECT_FALSE(list.GoBack([&](const QString&) { return called = true; }));
    EXPECT_FALSE(called);
    EXPECT_EQ(list.Cursor(), 3);
}

TEST(TravList, RenameAndValidate)
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    TTravList list([&] { return root; });
    const auto add = [&](const QString& rel) { list.Add(root + u'/' + rel); };
    testutil::WriteFile(root + u"/Diary/2024/May.htm"_s, "x");
    testutil::WriteFile(root + u"/Diary/___zq_quillet__folder.htm"_s, "x");
    testutil::WriteFile(root + u"/Diaryx.htm"_s, "x");
    testutil::WriteFile(root + u"/Old.htm"_s, "x");

    add(u"Old.htm"_s);
    add(u"Diary/2024/May.htm"_s);
    add(u"Old.htm"_s);
    add(u"Diary/___zq_quillet__folder.htm"_s);
    add(u"Diaryx.htm"_s);

    // A note: only its own entries.
    ASSERT_TRUE(QFile::rename(root + u"/Old.htm"_s, root + u"/New.htm"_s));
    list.RenameEntries(root + u"/Old.htm"_s, root + u"/New.htm"_s);
    EXPECT_EQ(list.Entries(), (QStringList{u"New.htm"_s, u"Diary\\2024\\May.htm"_s, u"New.htm"_s,
                                           u"Diary\\"_s, u"Diaryx.htm"_s}));

    // A folder, given by its directory: the folder and everything below it, not its
    // namesake prefix.
    ASSERT_TRUE(QDir(root).rename(u"Diary"_s, u"Log"_s));
    list.RenameEntries(root + u"/Diary"_s, root + u"/Log"_s);
    EXPECT_EQ(list.Entries(), (QStringList{u"New.htm"_s, u"Log\\2024\\May.htm"_s, u"New.htm"_s,
                                           u"Log\\"_s, u"Diaryx.htm"_s}));
    // The same by folder notes.
    ASSERT_TRUE(QDir(root).rename(u"Log"_s, u"Diary"_s));
    list.RenameEntries(root + u"/Log/___zq_quillet__folder.htm"_s,
                       root + u"/Diary/___zq_quillet__folder.htm"_s);
    EXPECT_EQ(list.Entries()[3], u"Diary\\"_s);

    // Deleted pages go, except the last entry; the removal joins two visits of New.htm.
    list.JumpTo(3);
    QFile::remove(root + u"/Diary/2024/May.htm"_s);
    QFile::remove(root + u"/Diaryx.htm"_s);
    list.Validate();
    EXPECT_EQ(list.Entries(), (QStringList{u"New.htm"_s, u"Diary\\"_s, u"Diaryx.htm"_s}));
    EXPECT_EQ(list.Cursor(), 1);
    EXPECT_EQ(list.Entries()[list.Cursor()], u"Diary\\"_s);
}
