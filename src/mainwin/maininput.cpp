#include "mainwin/maininput.h"

#include "app/zqprjinfo.h"
#include "editor/frmcharsgrid.h"
#include "editor/zqbrowseview.h"
#include "editor/zqnotepage.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "mainwin/frmmainql.h"
#include "mainwin/hangulmark.h"
#include "mainwin/izqinputmodesource.h"
#include "mainwin/zqinputmodewatcher.h"
#include "platform/zqerror.h"
#include "store/zqtreeview.h"
#include "tools/frmnotepad.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QWheelEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

bool IsHangulMarkMode(int viewMode)
{
    return viewMode == TzqViewModes::vmEdit || viewMode == TzqViewModes::vmSource;
}

} // namespace

TzqMainInput::TzqMainInput(TfrmMainQL* window) : QObject(window), W(window)
{
    CreateHangulMark();
    // The window's own keys and gestures come before the widgets' (the browser engine claims
    // most keys while a document is edited).
    qApp->installEventFilter(this);
}

bool TzqMainInput::eventFilter(QObject* watched, QEvent* event)
{
    try {
        return AppMessage(watched, event);
    } catch (const EzqError&) {
        // An error while an event is handled is dropped with the event.
        return true;
    }
}

bool TzqMainInput::AppMessage(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    // Only while this window is the active one: a dialog, the notepad or another program in
    // front keeps its keys and clicks.
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != W || !W->isActiveWindow())
        return false;
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress && FOwnInputMode)
            FOwnInputMode->Observe(event);
        const TzqKeyDecision decision = DecideKey(KeyInput(key));
        if (!decision.Swallow)
            return false;
        if (type == QEvent::ShortcutOverride) {
            // Claimed before any shortcut: the key press itself follows and is done then.
            event->accept();
            return true;
        }
        W->MainCommands()->RunKeyCommand(decision);
        return true;
    }
    case QEvent::InputMethod:
        if (FOwnInputMode)
            FOwnInputMode->Observe(event);
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton || QApplication::activePopupWidget())
            return false;
        return GestureEvent(target, mouse);
    }
    case QEvent::ContextMenu: {
        // The platform's own request that comes with a right press: over the note the gesture
        // decides at the release whether a menu opens; during a rocker nowhere.
        auto* menu = static_cast<QContextMenuEvent*>(event);
        if (FReplayingClick || menu->reason() != QContextMenuEvent::Mouse)
            return false;
        return FGesture.State() == TzqGesture::TState::Rocker || InNoteViews(target);
    }
    case QEvent::Wheel:
        return RouteWheel(target, static_cast<QWheelEvent*>(event));
    default:
        return false;
    }
}

TzqKeyInput TzqMainInput::KeyInput(const QKeyEvent* key) const
{
    const TzqMainActions& actions = W->Actions();
    const TfrmNotePad* notePad = W->MainCommands()->NotePad();
    TzqKeyInput in;
    in.Key = key->key();
    in.Modifiers = key->modifiers();
    in.TreeMode = W->TreeMode();
    in.ViewMode = W->ViewMode();
    in.NotePadVisible = notePad && notePad->isVisible();
    in.SearchBoxFocused =
        !W->TreeMode() && QApplication::focusWidget() == W->MenuAndTree()->SearchBox();
    in.BrowseEnabled = actions.tbiBrowse->isEnabled();
    in.EditEnabled = actions.tbiEdit->isEnabled();
    in.SourceEnabled = actions.tbiSource->isEnabled();
    in.MainWindowActive = W->isActiveWindow();
    in.PopupOpen = QApplication::activePopupWidget() != nullptr;
    return in;
}

QRect TzqMainInput::NoteViewRect() const
{
    const QWidget* views = W->DhtmlEditor()->findChild<QWidget*>(u"pnlViews"_s);
    if (!views)
        return {};
    return QRect(views->mapToGlobal(QPoint(0, 0)), views->size());
}

bool TzqMainInput::InNoteViews(const QWidget* widget) const
{
    const QWidget* views = W->DhtmlEditor()->findChild<QWidget*>(u"pnlViews"_s);
    return views && widget && (widget == views || views->isAncestorOf(widget));
}

bool TzqMainInput::GestureEvent(QWidget* target, QMouseEvent* mouse)
{
    if (FReplayingClick)
        return false;
    const QPoint pos = mouse->globalPosition().toPoint();
    TzqGesture::TResult result;
    if (mouse->type() == QEvent::MouseButtonRelease) {
        result = FGesture.RightUp(pos);
    } else {
        const bool over = InNoteViews(target) && NoteViewRect().contains(pos);
        result = FGesture.RightDown(pos, mouse->buttons().testFlag(Qt::LeftButton), over);
        if (FGesture.State() == TzqGesture::TState::Armed)
            FGestureTarget = target;
    }
    if (result.Action != TzqGesture::TAction::None) {
        // Done after the event: a gesture may load another note into the view it came from.
        const TzqGesture::TAction action = result.Action;
        QMetaObject::invokeMethod(
            this,
            [this, action, pos] {
                try {
                    if (action == TzqGesture::TAction::ContextMenu)
                        ReplayContextMenu(pos);
                    else
                        RunGesture(action);
                } catch (const EzqError&) {
                    // As with the event it came from: dropped.
                }
            },
            Qt::QueuedConnection);
    }
    return result.Swallow;
}

void TzqMainInput::RunGesture(TzqGesture::TAction action)
{
    const TzqMainActions& actions = W->Actions();
    switch (action) {
    case TzqGesture::TAction::ScrollToEnd:
        ScrollNote(true);
        break;
    case TzqGesture::TAction::ScrollToTop:
        ScrollNote(false);
        break;
    case TzqGesture::TAction::GoForward:
        if (actions.actGoFrwr->isEnabled())
            actions.actGoFrwr->trigger();
        break;
    case TzqGesture::TAction::GoBack:
        if (actions.actGoBack->isEnabled())
            actions.actGoBack->trigger();
        break;
    case TzqGesture::TAction::ContextMenu:
    case TzqGesture::TAction::None:
        break;
    }
}

void TzqMainInput::ScrollNote(bool toEnd)
{
    TfrmDhtmlEditor* editor = W->DhtmlEditor();
    if (W->ViewMode() == TzqViewModes::vmSource) {
        TzqSourceEdit* source = editor->SourceView();
        source->moveCursor(toEnd ? QTextCursor::End : QTextCursor::Start);
        source->ensureCursorVisible();
        return;
    }
    TzqNotePage* page = nullptr;
    if (W->ViewMode() == TzqViewModes::vmEdit) {
        // Without a document there is nothing to scroll; the gesture still counts.
        if (!editor->EditView()->DocumentReady())
            return;
        page = editor->EditView()->NotePage();
    } else {
        page = editor->Browser()->NotePage();
    }
    // The whole height of the document, however long the note is.
    page->runJavaScript(
        toEnd ? u"(function () { var e = document.scrollingElement || document.documentElement;"
                u" window.scrollTo(window.scrollX, e ? e.scrollHeight : 0); })()"_s
              : u"window.scrollTo(window.scrollX, 0)"_s,
        TzqNotePage::ScriptWorld());
}

void TzqMainInput::ReplayContextMenu(QPoint globalPos)
{
    QWidget* widget = FGestureTarget;
    if (FReplayingClick || !widget || !widget->isVisible())
        return;
    FReplayingClick = true;
    const auto done = qScopeGuard([this] { FReplayingClick = false; });
    QWidget* web = widget;
    while (web && !qobject_cast<QWebEngineView*>(web))
        web = web->parentWidget();
    if (web) {
        // The browser engine makes its context-menu request from a right click, with what lies
        // under the pointer (a link, a picture, the selection); the view takes no menu event
        // of ours. The edit view opens the editor's menu for the request.
        QWidget* input = web->focusProxy() ? web->focusProxy() : widget;
        const QPointF at = input->mapFromGlobal(QPointF(globalPos));
        QMouseEvent press(QEvent::MouseButtonPress, at, QPointF(globalPos), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, QPointF(globalPos), Qt::RightButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(input, &press);
        QApplication::sendEvent(input, &release);
        return;
    }
    // The source view opens the editor's menu.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, widget->mapFromGlobal(globalPos), globalPos);
    QApplication::sendEvent(widget, &menu);
}

bool TzqMainInput::RouteWheel(QWidget* target, QWheelEvent* wheel)
{
    const QPoint pos = wheel->globalPosition().toPoint();
    bool handled = false;
    // The special characters grid: the wheel moves its current row, one row a step.
    TfrmCharsGrid* chars = W->DhtmlEditor()->CharsGrid();
    QTableWidget* grid = chars ? chars->Grid() : nullptr;
    if (grid && grid->isVisible() && grid->rowCount() > 0) {
        const QPoint local = grid->viewport()->mapFromGlobal(pos);
        if (grid->viewport()->rect().contains(local) && grid->indexAt(local).isValid()) {
            const int steps = FGridWheel.Add(wheel->angleDelta().y());
            if (steps != 0) {
                // Turned away from the user: up the grid.
                const int row =
                    std::clamp(std::max(grid->currentRow(), 0) - steps, 0, grid->rowCount() - 1);
                grid->setCurrentCell(row, std::max(grid->currentColumn(), 0));
            }
            handled = true;
        }
    }
    // The tree panel: the tree, or the result list in search mode, scrolls wherever the
    // keyboard is.
    TfrmMenuAndTree* panel = W->MenuAndTree();
    if (panel->isVisible() &&
        QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size()).contains(pos)) {
        QAbstractScrollArea* list = W->TreeMode()
                                        ? static_cast<QAbstractScrollArea*>(panel->TreeView())
                                        : panel->ResultList();
        if (list->isVisible() && target != list->viewport() && !list->isAncestorOf(target)) {
            QWheelEvent copy(list->viewport()->mapFromGlobal(wheel->globalPosition()),
                             wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                             wheel->buttons(), wheel->modifiers(), wheel->phase(),
                             wheel->inverted(), wheel->source());
            QApplication::sendEvent(list->viewport(), &copy);
            handled = true;
        }
    }
    return handled;
}

// The input-mode mark

void TzqMainInput::CreateHangulMark()
{
    pnlHangulMark = new QLabel(W);
    pnlHangulMark->setObjectName(u"pnlHangulMark"_s);
    pnlHangulMark->setFixedSize(50, 10);
    pnlHangulMark->setAlignment(Qt::AlignCenter);
    pnlHangulMark->setAutoFillBackground(true);
    pnlHangulMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font(u"Arial"_s);
    font.setPixelSize(9);
    pnlHangulMark->setFont(font);
    pnlHangulMark->move(-10000, 0);
    pnlHangulMark->hide();
    tmrHangulMark = new QTimer(this);
    tmrHangulMark->setObjectName(u"tmrHangulMark"_s);
    tmrHangulMark->setInterval(100);
    connect(tmrHangulMark, &QTimer::timeout, this, &TzqMainInput::tmrHangulMarkTimer);
    FOwnInputMode = new TzqInputModeWatcher(this);
    FInputMode = FOwnInputMode;
    ShowHangulMark(PrjInfo && PrjInfo->ReadFlag(TzqPrjInfo::idViewHangulMark));
}

void TzqMainInput::SetInputModeSource(IzqInputModeSource* source)
{
    FInputMode = source ? source : FOwnInputMode;
}

void TzqMainInput::ShowHangulMark(bool show)
{
    if (show)
        tmrHangulMark->start();
    else
        tmrHangulMark->stop();
    pnlHangulMark->setVisible(show && IsHangulMarkMode(W->ViewMode()));
}

void TzqMainInput::ModeChanged()
{
    // The mark is on while its timer runs (the setting, through ShowHangulMark).
    if (tmrHangulMark->isActive())
        pnlHangulMark->setVisible(IsHangulMarkMode(W->ViewMode()));
}

void TzqMainInput::tmrHangulMarkTimer()
{
    if (!W->isActiveWindow())
        return;
    const int viewMode = W->ViewMode();
    if (!IsHangulMarkMode(viewMode)) {
        pnlHangulMark->move(-10000, pnlHangulMark->y());
        return;
    }
    // The caret of the view that has the keyboard, on the screen.
    QWidget* focus = QApplication::focusWidget();
    QRect caret;
    QRect view;
    if (viewMode == TzqViewModes::vmSource) {
        TzqSourceEdit* source = W->DhtmlEditor()->SourceView();
        if (focus != source)
            return;
        QWidget* area = source->viewport();
        caret =
            QRect(area->mapToGlobal(source->cursorRect().topLeft()), source->cursorRect().size());
        view = QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
    } else {
        TzqWebEditView* edit = W->DhtmlEditor()->EditView();
        if (!focus || (focus != edit && !edit->isAncestorOf(focus)))
            return;
        const QRect local = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        caret = QRect(focus->mapToGlobal(local.topLeft()), local.size());
        view = QRect(focus->mapToGlobal(QPoint(0, 0)), focus->size());
    }
    if (const std::optional<bool> hangul = FInputMode ? FInputMode->IsHangul() : std::nullopt;
        hangul && hangul != FMarkHangul) {
        FMarkHangul = hangul;
        const TzqHangulMarkLook look = HangulMarkLook(*hangul);
        QPalette palette = pnlHangulMark->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(look.Background));
        palette.setColor(QPalette::WindowText, QColor::fromRgb(look.Text));
        pnlHangulMark->setPalette(palette);
        pnlHangulMark->setText(look.Caption);
    }
    const std::optional<QPoint> at = HangulMarkPosition(
        viewMode, caret, view, W->geometry().x() + W->width(), pnlHangulMark->size());
    if (!at)
        return;
    const QPoint client = W->mapFromGlobal(*at);
    if (client != pnlHangulMark->pos())
        pnlHangulMark->move(client);
    pnlHangulMark->raise();
}
