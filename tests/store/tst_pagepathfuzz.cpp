// Inputs the fuzzer found, kept so they stay answered the same way.
#include "store/pagepath.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(PagePathFuzzFindings, NoteNamedLikeTheFolderNote)
{
    // Only a last component that is the folder note itself stands for its folder; with a
    // further ".htm" it is a note of that name.
    const TzqPathQuery note = ParseRelativePagePath(u"___zq_quillet__folder.htm.htm"_s);
    EXPECT_EQ(note.Components, QStringList{u"___zq_quillet__folder.htm"_s});
    EXPECT_TRUE(note.IsNote);

    const TzqPathQuery folder = ParseRelativePagePath(u"a\\ ___zq_quillet__folder.htm"_s);
    EXPECT_EQ(folder.Components, QStringList{u"a"_s});
    EXPECT_FALSE(folder.IsNote);

    const TzqPathQuery nothing = ParseRelativePagePath(u".htm"_s);
    EXPECT_TRUE(nothing.Components.isEmpty());
    EXPECT_EQ(RelativePagePath(u"___zq_quillet__folder.htm.htm"_s, u".htm"_s), u".htm"_s);
}
