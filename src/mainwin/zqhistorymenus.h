#pragma once

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QToolButton;
class TTravList;

// The drop-down lists of the history beside the back and forward tool-bar items: two narrow
// picture buttons, btnBackList (Tag 0) and btnFrwrList (Tag 1), and the pop-up menu popTrav
// they share. A press on a button fills popTrav with that button's list and opens it at the
// pressed point; choosing an item reports the entry's index, and the window makes the step
// (TTravList::GoTo).
class TzqHistoryMenus : public QObject {
    Q_OBJECT

public:
    // The buttons are created as children of buttonParent (the tool bar), popTrav as a child
    // of menuParent (the window).
    TzqHistoryMenus(const TTravList* list, QWidget* buttonParent, QWidget* menuParent);

    QToolButton* BackListButton() const { return FBtnBackList; }
    QToolButton* FrwrListButton() const { return FBtnFrwrList; }
    QMenu* PopTrav() const { return FPopTrav; }

    // Adds one item per entry of the back (forward false) or forward list; an item's data is
    // the entry's index. Choosing it emits EntryChosen.
    void FillMenu(QMenu* menu, bool forward);
    // Each button takes the enabled state of its action, now and whenever it changes.
    void FollowActions(QAction* actGoBack, QAction* actGoFrwr);
    // Clears popTrav, fills it with the list of button and opens it at globalPos.
    void btnBackListMouseDown(QToolButton* button, const QPoint& globalPos);

Q_SIGNALS:
    void EntryChosen(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* NewListButton(QWidget* parent, const QString& name, int tag);

    const TTravList* FList;
    QToolButton* FBtnBackList;
    QToolButton* FBtnFrwrList;
    QMenu* FPopTrav;
};
