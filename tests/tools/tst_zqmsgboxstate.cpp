#include "tools/zqmsgboxstate.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(MsgBoxState, ClosesOnTheSeventeenthTick)
{
    TzqMsgBoxState state;
    for (int tick = 1; tick <= 16; ++tick) {
        EXPECT_FALSE(state.TimerTick()) << "tick " << tick;
        EXPECT_EQ(state.Ticks(), tick);
    }
    EXPECT_TRUE(state.TimerTick());
    // A tick that arrives after the decision closes again rather than counting on.
    EXPECT_TRUE(state.TimerTick());
    EXPECT_EQ(state.Ticks() * TzqMsgBoxState::TimerInterval, 3200);
}

TEST(MsgBoxState, MouseMoveClosesOnTheNextTick)
{
    TzqMsgBoxState fresh;
    fresh.MouseMoved();
    EXPECT_TRUE(fresh.TimerTick());

    TzqMsgBoxState late;
    for (int i = 0; i < 10; ++i)
        late.TimerTick();
    EXPECT_TRUE(late.MouseMoveHooked());
    late.MouseMoved();
    EXPECT_FALSE(late.MouseMoveHooked());
    late.MouseMoved();
    EXPECT_EQ(late.Ticks(), 99);
    EXPECT_TRUE(late.TimerTick());
}

TEST(MsgBoxState, TrimsBlanksAndKeepsInnerLineBreaks)
{
    EXPECT_EQ(TzqMsgBoxState::TrimMessage(u"  \t노트 내용이 변경되었습니다.\r\n "_s),
              u"노트 내용이 변경되었습니다."_s);
    EXPECT_EQ(TzqMsgBoxState::TrimMessage(u"\x01첫 줄\r\n둘째  줄\r셋째\n넷째\x1f"_s),
              u"첫 줄\n둘째  줄\n셋째\n넷째"_s);
    EXPECT_EQ(TzqMsgBoxState::TrimMessage(u" \r\n\t "_s), QString());
    // Only blanks and control characters go: a full-width space stays.
    EXPECT_EQ(TzqMsgBoxState::TrimMessage(u"\u3000가 "_s), u"\u3000가"_s);
}
