#pragma once

#include <QMainWindow>
#include <memory>

class IzqQuestions;
class QSizeGrip;
class QStatusBar;
class QSystemTrayIcon;

// The frame of the main window: an ordinary sizeable window with the system caption, a status
// bar with a resize grip, the tray icon, the placement stored in section PROGRAM and the close
// question. A derived window adds its own steps through the Do... hooks.
class TfrmZqThreeButtons : public QMainWindow {
    Q_OBJECT

public:
    // furtherInstance: started with "zqzq" beside a running instance (placed 30 pixels down
    // and right of the stored place).
    explicit TfrmZqThreeButtons(bool furtherInstance = false, QWidget* parent = nullptr);
    ~TfrmZqThreeButtons() override;

    // The tray icon is shown and the window waits hidden in the tray. One flag for the process.
    static bool InTray() { return FInTray; }
    bool WasMaximized() const { return FWasMaximized; }
    bool Active() const { return FActive; }

    // Shows the window at the start the way the settings ask: BootMode 2 sends it to the tray
    // (a further instance shows its window all the same), or minimized when there is no tray;
    // otherwise placed and normal or maximized. firstInstance: no other instance runs.
    void ShowAtStart(bool firstInstance = true);

    // The tray icon goes up and the window hides; false (and nothing changes) when the icon
    // cannot be shown.
    bool ToTray();
    virtual void RestoreFromTray();
    // Back in front of the user's other windows, restored when it was minimized.
    void BringToForeground();
    // Left and Top from the settings, onto a monitor that exists.
    void PlaceWindow();
    // First activation only: placement, size and the maximized state, then DoFirstActivate.
    // The start-up calls it itself for a window that starts hidden.
    void FormActivate();
    // The exit question, the tray icon and the placement; false keeps the window open.
    bool FormCloseQuery();

    // Follows the window's activation; the main window installs or removes its key handling.
    virtual void SetActive(bool active);

    // The questions go to the given answerer instead of message boxes; not owned.
    void SetQuestions(IzqQuestions* questions);
    QSystemTrayIcon* TrayIcon() const { return FTrayIcon; }

protected:
    // The derived window's own steps: after the base's first show, after the first activation
    // (placement done), and its close steps, called only when the close was allowed (tray
    // icon gone, placement stored). They report their own errors; nothing may escape them.
    virtual void DoFirstShow() {}
    virtual void DoFirstActivate() {}
    // Before anything of the close happens: false keeps the window open as it is (the note
    // shown could not be saved).
    virtual bool DoCloseQuery() { return true; }
    virtual void DoClose() {}

    // Platform queries, replaceable where the platform has no tray or no keyboard.
    virtual bool SystemTrayAvailable() const;
    virtual bool ShiftHeld() const;

    // The window went to the task bar: Shift or the MiniTray setting send it on to the tray.
    void MinimizeHandler();

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void TrayActivated(int reason);
    void RemoveTrayIcon();
    void StorePlacement();
    void pnlStatusBarResize();
    bool eventFilter(QObject* watched, QEvent* event) override;

    static bool FInTray;
    bool FFurtherInstance;
    bool FWasMaximized = false;
    bool FActive = false;
    bool FActivatedOnce = false;
    bool FShownOnce = false;
    bool FMinimizePending = false;
    QStatusBar* pnlStatusBar = nullptr;
    QSizeGrip* imgResize = nullptr;
    QSystemTrayIcon* FTrayIcon = nullptr;
    std::unique_ptr<IzqQuestions> FOwnQuestions;
    IzqQuestions* FQuestions = nullptr;
};
