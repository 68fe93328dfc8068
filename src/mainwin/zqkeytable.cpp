#include "mainwin/zqkeytable.h"

namespace {

using C = TzqKeyCommand;

constexpr TzqKeyDecision Pass{};

constexpr TzqKeyDecision Swallow(C command = C::None, int number = 0)
{
    return {command, number, true};
}

// The digit of the main keyboard row; the keypad's digits are other keys (Alt with them types
// a character code).
int Digit(const TzqKeyInput& in)
{
    if (in.Modifiers.testFlag(Qt::KeypadModifier) || in.Key < Qt::Key_1 || in.Key > Qt::Key_9)
        return 0;
    return in.Key - Qt::Key_0;
}

bool EditingInTree(const TzqKeyInput& in)
{
    return in.TreeMode && in.ViewMode == 1;
}

TzqKeyDecision CtrlKey(const TzqKeyInput& in)
{
    if (const int n = Digit(in))
        return Swallow(EditingInTree(in) ? C::FormatPreset : C::None, EditingInTree(in) ? n : 0);
    switch (in.Key) {
    case Qt::Key_Insert:
        return Swallow(C::NewNote);
    case Qt::Key_D:
        return Swallow(EditingInTree(in) ? C::InsertTime : C::None);
    case Qt::Key_E:
        return Swallow(in.TreeMode ? C::EditItem : C::None);
    case Qt::Key_F:
        return Swallow(C::Find);
    case Qt::Key_P:
        return Swallow(C::Print);
    case Qt::Key_R:
        if (!in.TreeMode)
            return Swallow();
        return Swallow(in.ViewMode == 2 ? C::Replace : C::SourceItem);
    case Qt::Key_S:
        return Swallow(C::Save);
    case Qt::Key_V:
        // In edit mode the view's own paste brings pictures and web fragments in.
        if (in.ViewMode == 1 || in.TreeMode)
            return Pass;
        return in.SearchBoxFocused ? Swallow(C::SearchBoxPaste) : Pass;
    case Qt::Key_W:
        return Swallow(in.TreeMode ? C::BrowseItem : C::None);
    default:
        return Pass;
    }
}

TzqKeyDecision CtrlShiftKey(const TzqKeyInput& in)
{
    switch (in.Key) {
    case Qt::Key_Insert:
        return Swallow(C::NewFolder);
    case Qt::Key_Delete:
        return Swallow(C::DeleteNode);
    case Qt::Key_F:
        return Swallow(C::FindInFolder);
    case Qt::Key_Z:
        return Swallow(C::Redo);
    case Qt::Key_V:
        // Text only, into the note being edited.
        if (!in.TreeMode || in.ViewMode == 0)
            return Pass;
        return Swallow(C::PasteText);
    default:
        return Pass;
    }
}

// Alt with a character of the table; false for any other key, which the plain keys decide.
bool AltChar(const TzqKeyInput& in, TzqKeyDecision& out)
{
    if (const int n = Digit(in)) {
        out = Swallow(EditingInTree(in) ? C::Snippet : C::None, EditingInTree(in) ? n : 0);
        return true;
    }
    switch (in.Key) {
    case Qt::Key_D:
        out = Swallow(C::ToTreeMode);
        return true;
    case Qt::Key_E:
        if (!in.TreeMode)
            out = Swallow();
        else if (in.ViewMode == 1)
            out = Swallow(C::BrowseItem);
        else
            out = Swallow(in.EditEnabled ? C::EditItem : C::ShowWhoEdits);
        return true;
    case Qt::Key_F:
        out = Swallow(C::FileMenu);
        return true;
    case Qt::Key_Q:
        out = Swallow(C::GoBack);
        return true;
    case Qt::Key_S:
        out = Swallow(C::ToSearchMode);
        return true;
    case Qt::Key_W:
        out = Swallow(C::GoForward);
        return true;
    default:
        return false;
    }
}

TzqKeyDecision PlainKey(const TzqKeyInput& in)
{
    const bool alt = in.Modifiers.testFlag(Qt::AltModifier);
    switch (in.Key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (in.ViewMode != 1)
            return Pass;
        return Swallow(in.Key == Qt::Key_Backtab || in.Modifiers.testFlag(Qt::ShiftModifier)
                           ? C::Outdent
                           : C::Indent);
    case Qt::Key_Escape:
        if (in.NotePadVisible)
            return Swallow(C::CloseNotePad);
        if (in.MainWindowActive)
            return Swallow(C::Minimize);
        return Pass;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Keeps the views from going back and forward on their own.
        return alt ? Swallow() : Pass;
    case Qt::Key_F2:
        return Swallow(C::Rename);
    case Qt::Key_F6:
        return in.BrowseEnabled ? Swallow(C::BrowseItem) : Pass;
    case Qt::Key_F7:
        if (!in.TreeMode)
            return Pass;
        return Swallow(in.EditEnabled ? C::EditItem : C::ShowWhoEdits);
    case Qt::Key_F8:
        if (!in.TreeMode)
            return Pass;
        return Swallow(in.SourceEnabled ? C::SourceItem : C::ShowWhoEdits);
    case Qt::Key_F9:
        return Swallow(C::ExecAnother);
    case Qt::Key_F12:
        return Swallow(C::ToggleNotePad);
    default:
        return Pass;
    }
}

} // namespace

TzqKeyDecision DecideKey(const TzqKeyInput& in)
{
    // An open menu has the keyboard: Esc closes it and nothing else happens.
    if (in.PopupOpen)
        return Pass;
    const bool ctrl = in.Modifiers.testFlag(Qt::ControlModifier);
    const bool shift = in.Modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = in.Modifiers.testFlag(Qt::AltModifier);
    if (ctrl && !shift && !alt)
        return CtrlKey(in);
    if (ctrl && shift && !alt)
        return CtrlShiftKey(in);
    if (alt && !ctrl) {
        TzqKeyDecision out;
        if (AltChar(in, out))
            return out;
    }
    return PlainKey(in);
}
