#include "tools/frmnotepad.h"

#include "platform/zqerror.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSizeGrip>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize DefaultSize(320, 360);

QList<QRect> ScreenRects()
{
    QList<QRect> rects;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        rects.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            rects.append(screen->availableGeometry());
    }
    return rects;
}

} // namespace

TfrmNotePad::TfrmNotePad(QWidget* mainWindow, TzqPrjInfo& prjInfo)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint), FStore(prjInfo)
{
    FormCreate(mainWindow);
}

void TfrmNotePad::FormCreate(QWidget* mainWindow)
{
    setObjectName(u"frmNotePad"_s);
    setWindowTitle(u"메모장"_s);
    resize(DefaultSize);
    if (mainWindow) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, mainWindow->palette().color(QPalette::Window));
        setPalette(pal);
        setWindowIcon(mainWindow->windowIcon());
    }

    mem = new QPlainTextEdit(this);
    mem->setObjectName(u"mem"_s);
    QFont font(u"돋움체"_s, 9);
    font.setStyleHint(QFont::TypeWriter);
    mem->setFont(font);
    mem->setFrameShape(QFrame::NoFrame);
    mem->installEventFilter(this);

    pnlStatusBar = new QWidget(this);
    pnlStatusBar->setObjectName(u"pnlStatusBar"_s);
    pnlStatusBar->setFixedHeight(19);
    imgResize = new QSizeGrip(pnlStatusBar);
    imgResize->setObjectName(u"imgResize"_s);
    imgResize->setStyleSheet(
        u"QSizeGrip { image: url(:/icons/grip.png); width: 16px; height: 16px; }"_s);
    imgResize->setFixedSize(16, 16);
    imgResize->setCursor(Qt::SizeFDiagCursor);
    auto* statusLayout = new QHBoxLayout(pnlStatusBar);
    statusLayout->setContentsMargins(0, 0, 1, 1);
    statusLayout->addStretch();
    statusLayout->addWidget(imgResize, 0, Qt::AlignRight | Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mem, 1);
    layout->addWidget(pnlStatusBar);

    FShowError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
    try {
        LoadText();
    } catch (const EzqError& e) {
        // An unreadable file leaves the notepad empty; it is only replaced on the next close.
        FShowError(e.Message());
    }
}

void TfrmNotePad::SetErrorHandler(std::function<void(const QString&)> handler)
{
    FShowError = std::move(handler);
}

void TfrmNotePad::LoadText()
{
    mem->setPlainText(FStore.LoadText());
}

void TfrmNotePad::SaveState()
{
    FStore.SaveState(mem->toPlainText(), QRect(pos(), size()));
}

bool TfrmNotePad::CloseIfVisible()
{
    if (!isVisible())
        return false;
    close();
    return true;
}

void TfrmNotePad::showEvent(QShowEvent* event)
{
    if (!FShownOnce) {
        FShownOnce = true;
        FormShow();
    }
    QWidget::showEvent(event);
}

void TfrmNotePad::FormShow()
{
    if (const std::optional<QRect> stored = FStore.LoadPlacement()) {
        const QRect rect = TzqNotePadStore::FitPlacement(*stored, size(), ScreenRects());
        resize(rect.size());
        move(rect.topLeft());
    }
    mem->setFocus();
}

void TfrmNotePad::closeEvent(QCloseEvent* event)
{
    try {
        SaveState();
        event->accept();
    } catch (const EzqError& e) {
        // The text is not on disk yet: the window stays open so nothing typed is lost.
        event->ignore();
        if (FShowError)
            FShowError(e.Message());
    }
}

bool TfrmNotePad::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mem && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

TfrmNotePad* ToggleNotePad(QPointer<TfrmNotePad>& notePad, QWidget* mainWindow, TzqPrjInfo& prjInfo)
{
    if (!notePad) {
        notePad = new TfrmNotePad(mainWindow, prjInfo);
    } else if (notePad->isVisible()) {
        notePad->close();
        return notePad;
    }
    notePad->show();
    notePad->raise();
    notePad->activateWindow();
    return notePad;
}
