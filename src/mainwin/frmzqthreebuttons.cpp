#include "mainwin/frmzqthreebuttons.h"

#include "app/zqprjinfo.h"
#include "mainwin/placement.h"
#include "mainwin/zqmessageboxquestions.h"
#include "platform/zqerror.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QSizeGrip>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QWindow>
#include <QWindowStateChangeEvent>

using namespace Qt::Literals::StringLiterals;

bool TfrmZqThreeButtons::FInTray = false;

namespace {

// The monitors' bounds, the primary one first.
QList<QRect> MonitorRects()
{
    QList<QRect> rects;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        rects.append(primary->geometry());
    for (QScreen* s : QGuiApplication::screens()) {
        if (s != primary)
            rects.append(s->geometry());
    }
    return rects;
}

} // namespace

TfrmZqThreeButtons::TfrmZqThreeButtons(bool furtherInstance, QWidget* parent)
    : QMainWindow(parent), FFurtherInstance(furtherInstance)
{
    FormCreate();
}

TfrmZqThreeButtons::~TfrmZqThreeButtons()
{
    if (FTrayIcon->isVisible()) {
        FTrayIcon->hide();
        FInTray = false;
    }
}

void TfrmZqThreeButtons::FormCreate()
{
    setWindowTitle(TzqPrjInfo::TitleText());
    setMinimumSize(300, 200);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xE7));
    setPalette(pal);
    QFont font(u"굴림체"_s);
    font.setPixelSize(12);
    setFont(font);

    pnlStatusBar = new QStatusBar(this);
    pnlStatusBar->setObjectName(u"pnlStatusBar"_s);
    pnlStatusBar->setSizeGripEnabled(false);
    pnlStatusBar->setFixedHeight(24);
    // The grip keeps the right end; the panel's own items stay left of it.
    pnlStatusBar->setContentsMargins(0, 0, 16, 0);
    setStatusBar(pnlStatusBar);

    // The grip hands the drag to the window system's resize loop where it has one.
    imgResize = new QSizeGrip(pnlStatusBar);
    imgResize->setObjectName(u"imgResize"_s);
    imgResize->setFixedSize(16, 16);
    imgResize->setStyleSheet(
        u"QSizeGrip { image: url(:/icons/grip.png); width: 16px; height: 16px; }"_s);
    imgResize->setCursor(Qt::SizeFDiagCursor);
    pnlStatusBar->installEventFilter(this);
    pnlStatusBarResize();

    QIcon icon;
    icon.addFile(u":/icons/quillet-16.png"_s, QSize(16, 16));
    icon.addFile(u":/icons/quillet-32.png"_s, QSize(32, 32));
    FTrayIcon = new QSystemTrayIcon(icon, this);
    FTrayIcon->setObjectName(u"trayIcon"_s);
    FTrayIcon->setToolTip(TzqPrjInfo::TitleText().left(63));
    connect(FTrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayActivated(reason); });

    FOwnQuestions = std::make_unique<TzqMessageBoxQuestions>(this);
    FQuestions = FOwnQuestions.get();
}

void TfrmZqThreeButtons::SetQuestions(IzqQuestions* questions)
{
    FQuestions = questions ? questions : FOwnQuestions.get();
}

bool TfrmZqThreeButtons::SystemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TfrmZqThreeButtons::ShiftHeld() const
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void TfrmZqThreeButtons::ShowAtStart(bool firstInstance)
{
    if (PrjInfo && PrjInfo->GetBootMode() == 2) {
        const bool inTray = ToTray();
        FormActivate();
        if (firstInstance) {
            // Without a tray the window waits minimized on the task bar instead.
            if (!inTray)
                showMinimized();
            return;
        }
    } else {
        FormActivate();
    }
    if (!isVisible())
        show();
}

bool TfrmZqThreeButtons::ToTray()
{
    if (!SystemTrayAvailable()) {
        FInTray = false;
        return false;
    }
    FTrayIcon->show();
    FWasMaximized = isMaximized();
    hide();
    FInTray = true;
    return true;
}

void TfrmZqThreeButtons::RestoreFromTray()
{
    if (FWasMaximized)
        showMaximized();
    else
        showNormal();
    if (!isVisible())
        show();
    RemoveTrayIcon();
    BringToForeground();
}

void TfrmZqThreeButtons::RemoveTrayIcon()
{
    FTrayIcon->hide();
    FInTray = false;
}

void TfrmZqThreeButtons::TrayActivated(int reason)
{
    // A left or right click; the further clicks of a double click find the window restored.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context)
        return;
    if (FInTray)
        RestoreFromTray();
}

void TfrmZqThreeButtons::BringToForeground()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TfrmZqThreeButtons::MinimizeHandler()
{
    if (ShiftHeld() || (PrjInfo && PrjInfo->ReadFlag(TzqPrjInfo::idMiniTray)))
        ToTray();
}

void TfrmZqThreeButtons::PlaceWindow()
{
    if (!PrjInfo)
        return;
    move(
        ReadStartPlacement(PrjInfo->Ini(), PrjInfo->GetBootMode(), MonitorRects(), FFurtherInstance)
            .Place);
}

void TfrmZqThreeButtons::FormActivate()
{
    if (FActivatedOnce)
        return;
    FActivatedOnce = true;
    if (PrjInfo) {
        const TzqStartPlacement start = ReadStartPlacement(PrjInfo->Ini(), PrjInfo->GetBootMode(),
                                                           MonitorRects(), FFurtherInstance);
        // Left and Top are the frame's corner; Width and Height the window's own size.
        resize(start.Size);
        move(start.Place);
        if (start.Show == TzqStartShow::Maximized)
            showMaximized();
    }
    DoFirstActivate();
}

bool TfrmZqThreeButtons::FormCloseQuery()
{
    if (PrjInfo && PrjInfo->ReadFlag(TzqPrjInfo::idConfirmExit) &&
        !FQuestions->Confirm(u"zqQuillet 을(를) 종료할까요?"_s))
        return false;
    RemoveTrayIcon();
    try {
        StorePlacement();
    } catch (const EzqError& e) {
        // A settings file that cannot be written must not keep the program open for ever.
        FQuestions->ShowError(e.Message());
    }
    return true;
}

void TfrmZqThreeButtons::StorePlacement()
{
    if (!PrjInfo)
        return;
    const QRect windowMonitor = screen() ? screen()->geometry() : QRect();
    WriteClosePlacement(PrjInfo->Ini(), isMaximized(), QRect(pos(), size()), windowMonitor,
                        MonitorRects());
}

void TfrmZqThreeButtons::SetActive(bool active)
{
    FActive = active;
}

void TfrmZqThreeButtons::pnlStatusBarResize()
{
    imgResize->move(pnlStatusBar->width() - imgResize->width(),
                    pnlStatusBar->height() - imgResize->height());
    imgResize->raise();
}

bool TfrmZqThreeButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pnlStatusBar && event->type() == QEvent::Resize)
        pnlStatusBarResize();
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmZqThreeButtons::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate) {
        SetActive(true);
        FormActivate();
    } else if (event->type() == QEvent::WindowDeactivate) {
        SetActive(false);
    }
    return handled;
}

void TfrmZqThreeButtons::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (!isMinimized() || (change->oldState() & Qt::WindowMinimized) || FMinimizePending)
        return;
    // Hiding the window inside its own state change would confuse the window system: the
    // handler runs once the minimize is done.
    FMinimizePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FMinimizePending = false;
            if (isMinimized() && isVisible())
                MinimizeHandler();
        },
        Qt::QueuedConnection);
}

void TfrmZqThreeButtons::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    DoFirstShow();
}

void TfrmZqThreeButtons::closeEvent(QCloseEvent* event)
{
    if (!DoCloseQuery() || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    DoClose();
    event->accept();
}
