#pragma once

#include <QList>
#include <QWidget>

class QAction;
class QComboBox;
class QTimer;
class QToolBar;
class TColorPickerButton;
class TzqNoteEditor;
class TzqWebEditView;
struct TzqFormatPreset;

// The two editing toolbars above the edit view: paragraph items (tbEdit) and character items
// with the font boxes and colour pickers (tbEditTool). They act on the edit view's selection
// and follow the formatting at its caret.
class TzqEditToolbars : public QWidget {
    Q_OBJECT

public:
    TzqEditToolbars(TzqWebEditView* view, TzqNoteEditor* logic, QWidget* parent = nullptr);

    QToolBar* EditBar() const { return tbEdit; }
    QToolBar* ToolBar() const { return tbEditTool; }
    QComboBox* FontNameBox() const { return cmbFontName; }
    QComboBox* FontSizeBox() const { return cmbFontSize; }
    TColorPickerButton* FontColor() const { return clrFont; }
    TColorPickerButton* BackColor() const { return clrBack; }
    // The special characters item: the grid beside the edit view follows it.
    QAction* SpecialItem() const { return tbiSpecial; }
    // Tab and Shift+Tab in edit mode.
    QAction* IndentItem() const { return tbiIndent; }
    QAction* OutdentItem() const { return tbiOutdent; }

    // Asks the edit view for the states at the caret; calls close together make one request.
    void RequestToolbarState();
    // Refreshes every item from the edit view's answer, without waiting for it.
    void UpdateToolbarState();
    // Ctrl+1 to Ctrl+9: the preset of that number from the settings, on the selection.
    void ApplyFormatPreset(int n);
    // The toolbars' font boxes and pickers show a preset's values; what cannot be shown is left.
    void ShowPreset(const TzqFormatPreset& preset);
    // The number of state requests answered (benchmarks count round trips by it).
    int StateAnswers() const { return FStateAnswers; }

Q_SIGNALS:
    void SpecialToggled(bool shown);

private:
    QAction* NewItem(QToolBar* bar, const QString& name, const QString& hint, const QString& icon,
                     int tag, bool checkable);
    void tbiStyleClick(QAction* item);
    void cmbFontNameChange();
    void cmbFontSizeChange();
    void clrFontChange();
    void clrBackChange();
    void tbiStrikeClick();
    void tbiNormalClick();
    void tbiShowHtmlTagClick();
    // After a toolbar command: the caret's states, the auto-save countdown, the keyboard back
    // in the note.
    void AfterCommand();

    TzqWebEditView* FView;
    TzqNoteEditor* FLogic;
    QToolBar* tbEdit = nullptr;
    QToolBar* tbEditTool = nullptr;
    QComboBox* cmbFontName = nullptr;
    QComboBox* cmbFontSize = nullptr;
    TColorPickerButton* clrFont = nullptr;
    TColorPickerButton* clrBack = nullptr;
    QAction* tbiSpecial = nullptr;
    QAction* tbiIndent = nullptr;
    QAction* tbiOutdent = nullptr;
    QAction* tbiShowHtmlTag = nullptr;
    // The items that carry a command id, tbEdit's first.
    QList<QAction*> FStyleItems;
    QTimer* FStateTimer = nullptr;
    bool FStateAsked = false;
    bool FStateAgain = false;
    int FStateAnswers = 0;
};
