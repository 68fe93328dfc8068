// The main window's key table: each row's condition, what it does when the condition holds and
// whether the key is swallowed when it does not.
#include "mainwin/zqkeytable.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using C = TzqKeyCommand;

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Alt = Qt::AltModifier;

struct TCase {
    std::string Name;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    std::function<void(TzqKeyInput&)> State; // the window's state for the case
    TzqKeyDecision Expected;
};

TzqKeyInput Input(const TCase& c)
{
    TzqKeyInput in; // tree mode, browse mode, every mode item enabled, no notepad
    in.Key = c.Key;
    in.Modifiers = c.Modifiers;
    if (c.State)
        c.State(in);
    return in;
}

void Check(const std::vector<TCase>& cases)
{
    for (const TCase& c : cases) {
        const TzqKeyDecision d = DecideKey(Input(c));
        EXPECT_EQ(d.Command, c.Expected.Command) << c.Name;
        EXPECT_EQ(d.Number, c.Expected.Number) << c.Name;
        EXPECT_EQ(d.Swallow, c.Expected.Swallow) << c.Name;
    }
}

const auto Edit = [](TzqKeyInput& in) { in.ViewMode = 1; };
const auto Source = [](TzqKeyInput& in) { in.ViewMode = 2; };
const auto Search = [](TzqKeyInput& in) { in.TreeMode = false; };
const auto SearchInEdit = [](TzqKeyInput& in) {
    in.TreeMode = false;
    in.ViewMode = 1;
};

constexpr TzqKeyDecision Pass{};
constexpr TzqKeyDecision Eaten{C::None, 0, true};
constexpr TzqKeyDecision Does(C c, int n = 0)
{
    return {c, n, true};
}

} // namespace

TEST(KeyTable, CtrlKeysActOnlyUnderTheirConditionButAreAlwaysSwallowed)
{
    Check({
        {"Ctrl+Insert", Qt::Key_Insert, Ctrl, {}, Does(C::NewNote)},
        {"Ctrl+Insert search", Qt::Key_Insert, Ctrl, Search, Does(C::NewNote)},
        {"Ctrl+1 edit", Qt::Key_1, Ctrl, Edit, Does(C::FormatPreset, 1)},
        {"Ctrl+9 edit", Qt::Key_9, Ctrl, Edit, Does(C::FormatPreset, 9)},
        {"Ctrl+1 browse", Qt::Key_1, Ctrl, {}, Eaten},
        {"Ctrl+1 source", Qt::Key_1, Ctrl, Source, Eaten},
        {"Ctrl+1 edit, search", Qt::Key_1, Ctrl, SearchInEdit, Eaten},
        {"Ctrl+0", Qt::Key_0, Ctrl, Edit, Pass},
        {"Ctrl+keypad 1", Qt::Key_1, Ctrl | Qt::KeypadModifier, Edit, Pass},
        {"Ctrl+D edit", Qt::Key_D, Ctrl, Edit, Does(C::InsertTime)},
        {"Ctrl+D browse", Qt::Key_D, Ctrl, {}, Eaten},
        {"Ctrl+D edit, search", Qt::Key_D, Ctrl, SearchInEdit, Eaten},
        {"Ctrl+E", Qt::Key_E, Ctrl, {}, Does(C::EditItem)},
        {"Ctrl+E search", Qt::Key_E, Ctrl, Search, Eaten},
        {"Ctrl+F", Qt::Key_F, Ctrl, Search, Does(C::Find)},
        {"Ctrl+P", Qt::Key_P, Ctrl, Search, Does(C::Print)},
        {"Ctrl+R browse", Qt::Key_R, Ctrl, {}, Does(C::SourceItem)},
        {"Ctrl+R edit", Qt::Key_R, Ctrl, Edit, Does(C::SourceItem)},
        {"Ctrl+R source", Qt::Key_R, Ctrl, Source, Does(C::Replace)},
        {"Ctrl+R search", Qt::Key_R, Ctrl, Search, Eaten},
        {"Ctrl+S", Qt::Key_S, Ctrl, Search, Does(C::Save)},
        {"Ctrl+W", Qt::Key_W, Ctrl, Edit, Does(C::BrowseItem)},
        {"Ctrl+W search", Qt::Key_W, Ctrl, Search, Eaten},
        {"Ctrl+X notepad shown", Qt::Key_X, Ctrl, [](TzqKeyInput& in) { in.NotePadVisible = true; },
         Pass},
        {"Ctrl+X edit", Qt::Key_X, Ctrl, Edit, Pass},
        {"Ctrl+Q", Qt::Key_Q, Ctrl, {}, Pass},
    });
}

TEST(KeyTable, CtrlVPastesIntoTheSearchBoxAndLeavesTheViewsTheirOwnPaste)
{
    const auto searchBox = [](TzqKeyInput& in) {
        in.TreeMode = false;
        in.SearchBoxFocused = true;
    };
    Check({
        // The edit view's own paste brings pictures and web fragments in.
        {"edit", Qt::Key_V, Ctrl, Edit, Pass},
        {"browse", Qt::Key_V, Ctrl, {}, Pass},
        {"source", Qt::Key_V, Ctrl, Source, Pass},
        {"search, box focused", Qt::Key_V, Ctrl, searchBox, Does(C::SearchBoxPaste)},
        {"search, elsewhere", Qt::Key_V, Ctrl, Search, Pass},
        // The box's flag alone never takes a paste in tree mode.
        {"tree, box flag", Qt::Key_V, Ctrl, [](TzqKeyInput& in) { in.SearchBoxFocused = true; },
         Pass},
    });
}

TEST(KeyTable, CtrlShiftKeysAlwaysActAndAreSwallowed)
{
    Check({
        {"Ctrl+Shift+Insert", Qt::Key_Insert, Ctrl | Shift, {}, Does(C::NewFolder)},
        {"Ctrl+Shift+Delete", Qt::Key_Delete, Ctrl | Shift, Search, Does(C::DeleteNode)},
        {"Ctrl+Shift+F", Qt::Key_F, Ctrl | Shift, Search, Does(C::FindInFolder)},
        {"Ctrl+Shift+Z", Qt::Key_Z, Ctrl | Shift, Edit, Does(C::Redo)},
        {"Ctrl+Shift+V edit", Qt::Key_V, Ctrl | Shift, Edit, Does(C::PasteText)},
        {"Ctrl+Shift+V source", Qt::Key_V, Ctrl | Shift, Source, Does(C::PasteText)},
        {"Ctrl+Shift+V browse", Qt::Key_V, Ctrl | Shift, {}, Pass},
        {"Ctrl+Shift+V search", Qt::Key_V, Ctrl | Shift, Search, Pass},
        // Ctrl, Shift and Alt together are plain keys: Ctrl+Alt+Shift+Insert passes.
        {"Ctrl+Alt+Shift+Insert", Qt::Key_Insert, Ctrl | Shift | Alt, {}, Pass},
    });
}

TEST(KeyTable, PlainKeysFollowTheirConditions)
{
    Check({
        {"Tab edit", Qt::Key_Tab, {}, Edit, Does(C::Indent)},
        {"Shift+Tab edit", Qt::Key_Backtab, Shift, Edit, Does(C::Outdent)},
        {"Shift+Tab as Tab with Shift", Qt::Key_Tab, Shift, Edit, Does(C::Outdent)},
        {"Tab browse", Qt::Key_Tab, {}, {}, Pass},
        {"Tab source", Qt::Key_Tab, {}, Source, Pass},
        {"Esc notepad",
         Qt::Key_Escape,
         {},
         [](TzqKeyInput& in) { in.NotePadVisible = true; },
         Does(C::CloseNotePad)},
        {"Esc", Qt::Key_Escape, {}, {}, Does(C::Minimize)},
        {"Esc, window not active",
         Qt::Key_Escape,
         {},
         [](TzqKeyInput& in) { in.MainWindowActive = false; },
         Pass},
        {"Alt+Left", Qt::Key_Left, Alt, {}, Eaten},
        {"Alt+Right", Qt::Key_Right, Alt, Edit, Eaten},
        {"Left", Qt::Key_Left, {}, Edit, Pass},
        {"Shift+Right", Qt::Key_Right, Shift, Edit, Pass},
        {"F2", Qt::Key_F2, {}, Search, Does(C::Rename)},
        {"Shift+F2", Qt::Key_F2, Shift, {}, Does(C::Rename)},
        {"F6", Qt::Key_F6, {}, Edit, Does(C::BrowseItem)},
        {"F6 disabled", Qt::Key_F6, {}, [](TzqKeyInput& in) { in.BrowseEnabled = false; }, Pass},
        {"F7", Qt::Key_F7, {}, {}, Does(C::EditItem)},
        {"F7 locked",
         Qt::Key_F7,
         {},
         [](TzqKeyInput& in) { in.EditEnabled = false; },
         Does(C::ShowWhoEdits)},
        {"F7 search", Qt::Key_F7, {}, Search, Pass},
        {"F8", Qt::Key_F8, {}, {}, Does(C::SourceItem)},
        {"F8 locked",
         Qt::Key_F8,
         {},
         [](TzqKeyInput& in) { in.SourceEnabled = false; },
         Does(C::ShowWhoEdits)},
        {"F8 search", Qt::Key_F8, {}, Search, Pass},
        {"F9", Qt::Key_F9, {}, {}, Does(C::ExecAnother)},
        {"F12", Qt::Key_F12, {}, Source, Does(C::ToggleNotePad)},
        {"Ctrl+Alt+F12", Qt::Key_F12, Ctrl | Alt, {}, Does(C::ToggleNotePad)},
        {"F5 is the reload command's own", Qt::Key_F5, {}, {}, Pass},
        {"Ctrl+Tab", Qt::Key_Tab, Ctrl, Edit, Pass},
    });
}

TEST(KeyTable, AltCharactersFollowTheirConditions)
{
    Check({
        {"Alt+1 edit", Qt::Key_1, Alt, Edit, Does(C::Snippet, 1)},
        {"Alt+9 edit", Qt::Key_9, Alt, Edit, Does(C::Snippet, 9)},
        {"Alt+1 browse", Qt::Key_1, Alt, {}, Eaten},
        {"Alt+1 edit, search", Qt::Key_1, Alt, SearchInEdit, Eaten},
        {"Alt+D", Qt::Key_D, Alt, Search, Does(C::ToTreeMode)},
        {"Alt+Shift+D", Qt::Key_D, Alt | Shift, {}, Does(C::ToTreeMode)},
        {"Alt+E edit", Qt::Key_E, Alt, Edit, Does(C::BrowseItem)},
        {"Alt+E browse", Qt::Key_E, Alt, {}, Does(C::EditItem)},
        {"Alt+E source", Qt::Key_E, Alt, Source, Does(C::EditItem)},
        {"Alt+E locked", Qt::Key_E, Alt, [](TzqKeyInput& in) { in.EditEnabled = false; },
         Does(C::ShowWhoEdits)},
        {"Alt+E search", Qt::Key_E, Alt, Search, Eaten},
        {"Alt+F", Qt::Key_F, Alt, Search, Does(C::FileMenu)},
        {"Alt+Q", Qt::Key_Q, Alt, {}, Does(C::GoBack)},
        {"Alt+S", Qt::Key_S, Alt, {}, Does(C::ToSearchMode)},
        {"Alt+W", Qt::Key_W, Alt, {}, Does(C::GoForward)},
        {"Alt+X", Qt::Key_X, Alt, {}, Pass},
        // Ctrl with Alt types no Alt character: Ctrl+Alt+Q is a plain key and passes.
        {"Ctrl+Alt+Q", Qt::Key_Q, Ctrl | Alt, {}, Pass},
        // Alt with a key of the plain table: that table decides.
        {"Alt+F2", Qt::Key_F2, Alt, {}, Does(C::Rename)},
    });
}

TEST(KeyTable, NothingHappensWhileAMenuIsOpen)
{
    for (const auto& [key, modifiers] :
         std::vector<std::pair<int, Qt::KeyboardModifiers>>{{Qt::Key_Escape, {}},
                                                            {Qt::Key_F7, {}},
                                                            {Qt::Key_Insert, Ctrl},
                                                            {Qt::Key_Z, Ctrl | Shift},
                                                            {Qt::Key_F, Alt},
                                                            {Qt::Key_Tab, {}}}) {
        TzqKeyInput in;
        in.ViewMode = 1;
        in.Key = key;
        in.Modifiers = modifiers;
        in.PopupOpen = true;
        EXPECT_EQ(DecideKey(in), Pass) << key;
    }
}
