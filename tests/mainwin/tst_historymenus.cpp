#include "mainwin/travlist.h"
#include "mainwin/zqhistorymenus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

TEST(HistoryMenus, PressOpensTheListAndAnItemReportsItsEntry)
{
    TTravList list([] { return u"/data"_s; });
    for (const QString& rel : {u"A & B.htm"_s, u"Diary/___zq_quillet__folder.htm"_s, u"C.htm"_s})
        list.Add(u"/data/"_s + rel);
    list.JumpTo(1);

    QMainWindow window;
    auto* bar = window.addToolBar(u"bar"_s);
    TzqHistoryMenus menus(&list, bar, &window);
    QAction back(u"뒤로"_s);
    QAction forward(u"앞으로"_s);
    forward.setEnabled(false);
    menus.FollowActions(&back, &forward);
    bar->addWidget(menus.BackListButton());
    bar->addWidget(menus.FrwrListButton());
    window.show();

    EXPECT_TRUE(menus.BackListButton()->isEnabled());
    EXPECT_FALSE(menus.FrwrListButton()->isEnabled());
    forward.setEnabled(true);
    EXPECT_TRUE(menus.FrwrListButton()->isEnabled());

    QTest::mouseClick(menus.FrwrListButton(), Qt::LeftButton);
    QMenu* pop = menus.PopTrav();
    QTRY_VERIFY(pop->isVisible());
    ASSERT_EQ(pop->actions().size(), 1);
    EXPECT_EQ(pop->actions()[0]->text(), u"C"_s);
    pop->close();

    // The same menu, refilled with the back list; "&" stays visible.
    QTest::mouseClick(menus.BackListButton(), Qt::LeftButton);
    QTRY_VERIFY(pop->isVisible());
    ASSERT_EQ(pop->actions().size(), 1);
    EXPECT_EQ(pop->actions()[0]->text(), u"A && B"_s);
    QSignalSpy chosen(&menus, &TzqHistoryMenus::EntryChosen);
    pop->actions()[0]->trigger();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 0);
}
