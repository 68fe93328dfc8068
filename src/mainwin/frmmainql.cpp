#include "mainwin/frmmainql.h"

#include "app/zqprjinfo.h"
#include "mainwin/caption.h"
#include "mainwin/placement.h"
#include "platform/zqerror.h"
#include "store/notestore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QRect> MonitorRects()
{
    QList<QRect> rects;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        rects.append(primary->geometry());
    for (QScreen* s : QGuiApplication::screens()) {
        if (s != QGuiApplication::primaryScreen())
            rects.append(s->geometry());
    }
    return rects;
}

} // namespace

TfrmMainQL::TfrmMainQL(bool furtherInstance, QWidget* parent)
    : QMainWindow(parent), FFurtherInstance(furtherInstance)
{
    setObjectName(u"frmMainQL"_s);
    FormCreate();
}

TfrmMainQL::~TfrmMainQL()
{
    // The views go before the tree they read.
    delete FEditor;
    FEditor = nullptr;
}

void TfrmMainQL::FormCreate()
{
    FViewMode = -1;
    FTreeMode = true;
    setWindowTitle(TzqPrjInfo::TitleText());
    setWindowIconText(TzqPrjInfo::TitleText());
    setMinimumSize(300, 200);
    resize(700, 500);

    QMenu* fileMenu = menuBar()->addMenu(u"파일(&F)"_s);
    fileMenu->setObjectName(u"mnuFile"_s);
    QAction* tbiClose = fileMenu->addAction(TzqPrjInfo::TitleText() + u" 종료(&X)"_s);
    tbiClose->setObjectName(u"tbiClose"_s);
    connect(tbiClose, &QAction::triggered, this, &QWidget::close);

    labStatus = new QLabel(this);
    labStatus->setObjectName(u"labStatus"_s);
    statusBar()->setObjectName(u"pnlStatusBar"_s);
    statusBar()->setStyleSheet(u"QStatusBar::item { border: none; }"_s);
    statusBar()->addWidget(labStatus, 1);

    FTree = new TzqTree(this, this);
    splMenuAndTree = new QSplitter(Qt::Horizontal, this);
    splMenuAndTree->setObjectName(u"splMenuAndTree"_s);
    splMenuAndTree->setChildrenCollapsible(false);
    FEditor = new TfrmDhtmlEditor(this, FTree, nullptr);
    FMenuAndTree = new TfrmMenuAndTree(this, FTree, splMenuAndTree);
    FMenuAndTree->setMinimumWidth(2);
    splMenuAndTree->addWidget(FMenuAndTree);
    splMenuAndTree->addWidget(FEditor);
    splMenuAndTree->setStretchFactor(0, 0);
    splMenuAndTree->setStretchFactor(1, 1);
    setCentralWidget(splMenuAndTree);

    connect(FEditor, &TfrmDhtmlEditor::BrowseLoadFinished, this,
            [this](bool) { labStatus->clear(); });

    SetViewMode(0);
}

void TfrmMainQL::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    const int width = FMenuAndTree->StoredWidth();
    splMenuAndTree->setSizes({width, std::max(1, splMenuAndTree->width() - width)});
}

bool TfrmMainQL::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && !FActivatedOnce)
        FormActivate();
    return handled;
}

void TfrmMainQL::FormActivate()
{
    if (FActivatedOnce)
        return;
    FActivatedOnce = true;
    TzqIniFile& ini = PrjInfo->Ini();
    TzqPlacementInput in;
    in.FirstStart = !ini.SectionExists(ProgramSection);
    in.Stored = QPoint(ini.ReadInteger(ProgramSection, u"Left"_s, 100),
                       ini.ReadInteger(ProgramSection, u"Top"_s, 100));
    in.Monitors = MonitorRects();
    in.FurtherInstance = FFurtherInstance;
    const QPoint place = PlaceWindow(in);
    const int w = ini.ReadInteger(ProgramSection, u"Width"_s, 700);
    const int h = ini.ReadInteger(ProgramSection, u"Height"_s, 500);
    // Left and Top are the frame's corner; Width and Height the window's own size.
    resize(w, h);
    move(place);
    const int bootMode = PrjInfo->GetBootMode();
    if (bootMode == 1 || (bootMode != 2 && ini.ReadBool(ProgramSection, u"Maximized"_s, false)))
        showMaximized();
    if (FTree->Model()->rowCount() > 0)
        RestoreTreeState();
}

void TfrmMainQL::BringToForeground()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TfrmMainQL::closeEvent(QCloseEvent* event)
{
    try {
        StorePlacement();
        FEditor->SaveIfEditing();
        SaveTreeState();
    } catch (const EzqError& e) {
        // A settings file that cannot be written must not keep the window open for ever.
        ShowError(e.Message());
    }
    event->accept();
}

void TfrmMainQL::StorePlacement()
{
    TzqIniFile& ini = PrjInfo->Ini();
    const bool maximized = isMaximized();
    ini.WriteBool(ProgramSection, u"Maximized"_s, maximized);
    if (!maximized) {
        ini.WriteInteger(ProgramSection, u"Left"_s, pos().x());
        ini.WriteInteger(ProgramSection, u"Top"_s, pos().y());
        ini.WriteInteger(ProgramSection, u"Width"_s, width());
        ini.WriteInteger(ProgramSection, u"Height"_s, height());
        return;
    }
    QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect stored(
        ini.ReadInteger(ProgramSection, u"Left"_s, 25),
        ini.ReadInteger(ProgramSection, u"Top"_s, 25),
        ini.ReadInteger(ProgramSection, u"Width"_s, screen->geometry().width() - 50),
        ini.ReadInteger(ProgramSection, u"Height"_s, screen->geometry().height() - 50));
    const QPoint moved = MaximizedStoredPlace(stored, screen->geometry(), MonitorRects());
    if (moved != stored.topLeft()) {
        ini.WriteInteger(ProgramSection, u"Left"_s, moved.x());
        ini.WriteInteger(ProgramSection, u"Top"_s, moved.y());
    }
}

void TfrmMainQL::SaveFile(const QString& page)
{
    FEditor->SaveFile(page);
}

void TfrmMainQL::LoadCurrentNote()
{
    FEditor->LoadCurrentNote();
}

void TfrmMainQL::FocusLater()
{
    FEditor->FocusLater();
}

void TfrmMainQL::SetViewMode(int mode)
{
    if (mode == FViewMode)
        return;
    FViewMode = mode;
    FEditor->ModeChanged();
}

void TfrmMainQL::UpdateCaption(const QString& page)
{
    QString holder;
    if (FViewMode == 0 && IsLockedByOther(page, MyName()))
        holder = ReadEditMarker(page);
    const TzqCaption caption = CaptionForPage(page, holder);
    setWindowTitle(caption.Window);
    setWindowIconText(caption.TaskBar);
}

void TfrmMainQL::ShowMsgBox(const QString& text)
{
    statusBar()->showMessage(text, 3400);
}

bool TfrmMainQL::IsEnglishWindows() const
{
    return ::IsEnglishWindows();
}

QString TfrmMainQL::MyName() const
{
    return PrjInfo->MyName();
}

bool TfrmMainQL::CtrlDrag() const
{
    return PrjInfo->ReadFlag(TzqPrjInfo::idCtrlDrag);
}

void TfrmMainQL::SaveTreeState()
{
    FMenuAndTree->SaveTreeState();
}

void TfrmMainQL::RestoreTreeState()
{
    FMenuAndTree->RestoreTreeState();
}

void TfrmMainQL::ShowError(const QString& text)
{
    QMessageBox::critical(this, TzqPrjInfo::TitleText(), text);
}

void TfrmMainQL::SaveCurrentPage()
{
    FEditor->SaveFile(FTree->CurrentPage());
}
