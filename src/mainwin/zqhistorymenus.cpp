#include "mainwin/zqhistorymenus.h"

#include "mainwin/travlist.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// The list picture is drawn centred on the tool bar's 16-pixel grid; the buttons show its
// middle strip, so they stand as a narrow arrow right beside the 16 x 16 items.
constexpr int ListButtonWidth = 7;

} // namespace

TzqHistoryMenus::TzqHistoryMenus(const TTravList* list, QWidget* buttonParent, QWidget* menuParent)
    : QObject(menuParent), FList(list)
{
    FPopTrav = new QMenu(menuParent);
    FPopTrav->setObjectName(u"popTrav"_s);
    FBtnBackList = NewListButton(buttonParent, u"btnBackList"_s, 0);
    FBtnFrwrList = NewListButton(buttonParent, u"btnFrwrList"_s, 1);
    // The button looks pressed while its list is open.
    connect(FPopTrav, &QMenu::aboutToHide, this, [this] {
        FBtnBackList->setDown(false);
        FBtnFrwrList->setDown(false);
    });
}

QToolButton* TzqHistoryMenus::NewListButton(QWidget* parent, const QString& name, int tag)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setProperty("Tag", tag);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    const QPixmap picture(u":/icons/history-list.png"_s);
    const int left = (picture.width() - ListButtonWidth) / 2;
    button->setIcon(QIcon(picture.copy(left, 0, ListButtonWidth, picture.height())));
    button->setIconSize(QSize(ListButtonWidth, picture.height()));
    button->setFixedWidth(ListButtonWidth + 2);
    button->setStyleSheet(u"QToolButton { padding: 0; margin: 0; }"_s);
    button->setEnabled(false);
    button->installEventFilter(this);
    return button;
}

void TzqHistoryMenus::FillMenu(QMenu* menu, bool forward)
{
    for (const TTravMenuItem& item : FList->MenuItems(forward)) {
        // An ampersand in a note's name is text, not a mnemonic.
        QString caption = item.Caption;
        caption.replace(u'&', u"&&"_s);
        QAction* action = menu->addAction(caption);
        action->setData(item.Tag);
        const int tag = item.Tag;
        connect(action, &QAction::triggered, this, [this, tag] { Q_EMIT EntryChosen(tag); });
    }
}

void TzqHistoryMenus::FollowActions(QAction* actGoBack, QAction* actGoFrwr)
{
    const auto follow = [](QAction* action, QToolButton* button) {
        button->setEnabled(action->isEnabled());
        connect(action, &QAction::changed, button,
                [action, button] { button->setEnabled(action->isEnabled()); });
    };
    follow(actGoBack, FBtnBackList);
    follow(actGoFrwr, FBtnFrwrList);
}

void TzqHistoryMenus::btnBackListMouseDown(QToolButton* button, const QPoint& globalPos)
{
    FPopTrav->clear();
    FillMenu(FPopTrav, button->property("Tag").toInt() == 1);
    if (FPopTrav->isEmpty())
        return;
    button->setDown(true);
    FPopTrav->popup(globalPos);
}

bool TzqHistoryMenus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == FBtnBackList || watched == FBtnFrwrList)) {
        auto* button = static_cast<QToolButton*>(watched);
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && button->isEnabled()) {
            btnBackListMouseDown(button, press->globalPosition().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
