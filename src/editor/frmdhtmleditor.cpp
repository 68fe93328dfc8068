#include "editor/frmdhtmleditor.h"

#include "app/zqprjinfo.h"
#include "editor/frmattachedfiles.h"
#include "editor/frmcharsgrid.h"
#include "editor/frmfindinrich.h"
#include "editor/frmfindreplace.h"
#include "editor/insertmarkup.h"
#include "editor/zqbrowsefindtarget.h"
#include "editor/zqbrowseview.h"
#include "editor/zqeditfindtarget.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqinsertitems.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqpaste.h"
#include "editor/zqsourceedit.h"
#include "editor/zqsourcefindtarget.h"
#include "editor/zqwebeditview.h"
#include "platform/zqerror.h"
#include "store/notestore.h"
#include "store/zqtreeview.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmDhtmlEditor::TfrmDhtmlEditor(IzqEditorHost* host, IzqEditorUi* ui, QWidget* parent)
    : QWidget(parent), FHost(host), FUi(ui)
{
    setObjectName(u"DhtmlEditor"_s);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    auto* pnlViews = new QWidget(this);
    pnlViews->setObjectName(u"pnlViews"_s);
    FViews = new QStackedLayout(pnlViews);
    FViews->setContentsMargins(0, 0, 0, 0);

    pnlWeb = new QWidget(pnlViews);
    pnlWeb->setObjectName(u"pnlWeb"_s);
    auto* webLayout = new QVBoxLayout(pnlWeb);
    webLayout->setContentsMargins(0, 0, 0, 0);
    FBrowser = new TzqBrowseView(pnlWeb);
    webLayout->addWidget(FBrowser);
    FViews->addWidget(pnlWeb);
    dhtml = new TzqWebEditView(pnlViews);
    FViews->addWidget(dhtml);
    rchDhtml = new TzqSourceEdit(pnlViews);
    FViews->addWidget(rchDhtml);

    FLogic = new TzqNoteEditor(dhtml, FBrowser, rchDhtml, host, ui, this);
    // The editing toolbars stand above the views, in edit mode only.
    FToolbars = new TzqEditToolbars(dhtml, FLogic, this);
    FToolbars->hide();
    frame->addWidget(FToolbars);
    FPaste = new TzqPaste(dhtml, this);
    FInsertItems = new TzqInsertItems(FToolbars->EditBar(), dhtml, FLogic, FPaste, this);
    CreatePasteLine();
    frame->addWidget(pnlPaste);
    dhtml->SetPasteHandler(
        [this](const QMimeData* data) { FPaste->Paste(data, FLogic->DocumentPath()); });
    connect(FPaste, &TzqPaste::Failed, this, [this](const QString& text) { FUi->ShowError(text); });
    connect(FInsertItems, &TzqInsertItems::Failed, this,
            [this](const QString& text) { FUi->ShowError(text); });
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(pnlViews, 1);
    FCharsGrid = new TfrmCharsGrid(this);
    FCharsGrid->hide();
    body->addWidget(FCharsGrid);
    frame->addLayout(body, 1);
    CreateFilesPanel();
    frame->addWidget(pnlFiles);
    if (PrjInfo) {
        FCharsGrid->LoadCharsGrid(PrjInfo->CharsFileName());
        FToolbars->SpecialItem()->setChecked(PrjInfo->ReadFlag(TzqPrjInfo::idCharGrid));
    } else {
        FCharsGrid->LoadCharsGrid({});
    }
    connect(FToolbars, &TzqEditToolbars::SpecialToggled, this, &TfrmDhtmlEditor::ShowCharsGrid);
    connect(FCharsGrid, &TfrmCharsGrid::CharClicked, this, &TfrmDhtmlEditor::InsertChar);
    FBrowseFind = new TzqBrowseFindTarget(FBrowser);
    FEditFind = new TzqEditFindTarget(dhtml);
    // A match found in the edit view is the new selection: the toolbars show its formatting.
    connect(FEditFind, &TzqEditFindTarget::FindFinished, FToolbars,
            &TzqEditToolbars::RequestToolbarState);
    FSourceFind = std::make_unique<TzqSourceFindTarget>(rchDhtml);
    FBrowser->SetNavigationCheck([this](const QUrl& url, bool isMainFrame) {
        return !isMainFrame || FLogic->BeforeNavigate(url);
    });
    connect(FBrowser, &TzqBrowseView::DocumentComplete, this, [this](bool ok) {
        FLogic->BrowseDocumentComplete();
        Q_EMIT BrowseLoadFinished(ok);
    });
    connect(FBrowser, &TzqBrowseView::StatusText, FLogic, &TzqNoteEditor::BrowseStatusTextChange);
    connect(dhtml, &TzqWebEditView::DocumentComplete, FLogic, [this] {
        FLogic->EditDocumentComplete();
        FLogic->EditDisplayChanged();
    });
    connect(FLogic, &TzqNoteEditor::ModeApplied, this, &TfrmDhtmlEditor::ModeApplied);
    connect(FLogic, &TzqNoteEditor::FocusRequested, this, &TfrmDhtmlEditor::FocusLater);
    connect(dhtml, &TzqWebEditView::ShowContextMenu, this, &TfrmDhtmlEditor::ShowPopup);
    connect(rchDhtml, &TzqSourceEdit::ShowContextMenu, this, &TfrmDhtmlEditor::ShowPopup);

    tmrFocus = new QTimer(this);
    tmrFocus->setSingleShot(true);
    tmrFocus->setInterval(300);
    connect(tmrFocus, &QTimer::timeout, this, &TfrmDhtmlEditor::tmrFocusTimer);
    CreatePopupMenu();
}

TfrmDhtmlEditor::~TfrmDhtmlEditor() = default;

void TfrmDhtmlEditor::CreateFilesPanel()
{
    pnlFiles = new TfrmAttachedFiles(this);
    pnlFiles->hide();
    ApplySettings();
    connect(FLogic, &TzqNoteEditor::FileListRefillNeeded, this, &TfrmDhtmlEditor::LoadFileList);
    // Another document in the edit view without the note being left first (an outside change
    // read again): what was still being pasted into the old one stops.
    connect(FLogic, &TzqNoteEditor::FileListRefillNeeded, FPaste, &TzqPaste::Settle);
    connect(FPaste, &TzqPaste::FilesAdded, this, [this](const QString& note, const QStringList&) {
        if (note == FLogic->DocumentPath())
            LoadFileList();
    });
    connect(FInsertItems, &TzqInsertItems::FilesAdded, this,
            [this](const QString& note, const QStringList&) {
                if (note == FLogic->DocumentPath())
                    LoadFileList();
            });
    connect(pnlFiles, &TfrmAttachedFiles::InsertRequested, this,
            [this](const QStringList& refs, const QList<bool>& isPicture, int align) {
                QString html;
                for (int i = 0; i < refs.size(); ++i)
                    html += isPicture.value(i) ? PictureLinkMarkup(refs.at(i), align)
                                               : FileLinkMarkup(refs.at(i));
                if (!html.isEmpty() && FLogic->InsertHtml(html)) {
                    FLogic->RestartAutoSave();
                    dhtml->FocusDocument();
                }
            });
    // Deleting files saves the note first and reads it again after.
    pnlFiles->SetSaveFirst([this] { return SaveIfEditing(); });
    connect(pnlFiles, &TfrmAttachedFiles::FilesChanged, this, [this] { LoadCurrentNote(); });
}

void TfrmDhtmlEditor::ApplySettings()
{
    if (!PrjInfo)
        return;
    pnlFiles->SetInsertNoteAppend(PrjInfo->ReadFlag(TzqPrjInfo::idInsertNoteAppend));
    // Turned off, the panel closes; turned on again, it opens.
    const bool show = PrjInfo->ReadFlag(TzqPrjInfo::idFilePanel);
    if (!show)
        pnlFiles->CollapseFilesPanel();
    else if (!FShowFilesPanel && pnlFiles->IsCollapsed())
        pnlFiles->SetPanelHeight(TfrmAttachedFiles::ExpandedHeight);
    FShowFilesPanel = show;
}

void TfrmDhtmlEditor::LoadFileList()
{
    const QString note = FLogic->DocumentPath();
    const QString folder = note.isEmpty() ? QString() : NoteFileFolder(note);
    pnlFiles->SetFileFolder(folder, QFileInfo(folder).fileName());
    pnlFiles->LoadFileList();
}

void TfrmDhtmlEditor::CreatePasteLine()
{
    pnlPaste = new QWidget(this);
    pnlPaste->setObjectName(u"pnlPaste"_s);
    auto* line = new QHBoxLayout(pnlPaste);
    line->setContentsMargins(4, 2, 4, 2);
    labPaste = new QLabel(pnlPaste);
    labPaste->setObjectName(u"labPaste"_s);
    barPaste = new QProgressBar(pnlPaste);
    barPaste->setObjectName(u"barPaste"_s);
    barPaste->setMaximumHeight(14);
    barPaste->setTextVisible(false);
    auto* cancel = new TzqGradiButton(u"취소"_s, pnlPaste);
    cancel->setObjectName(u"btnPasteCancel"_s);
    cancel->SetColors(TzqGradiColors::DialogColors());
    cancel->setFixedSize(60, 20);
    cancel->setFocusPolicy(Qt::NoFocus);
    line->addWidget(labPaste);
    line->addWidget(barPaste, 1);
    line->addWidget(cancel);
    pnlPaste->hide();
    connect(cancel, &QAbstractButton::clicked, FPaste, &TzqPaste::Cancel);
    connect(FPaste, &TzqPaste::Progress, this, [this](int done, int total) {
        labPaste->setText(u"그림을 가져오는 중 (%1/%2)"_s.arg(done).arg(total));
        barPaste->setRange(0, total);
        barPaste->setValue(done);
        pnlPaste->show();
    });
    connect(FPaste, &TzqPaste::Finished, pnlPaste, &QWidget::hide);
}

void TfrmDhtmlEditor::CreatePopupMenu()
{
    pop = new QMenu(this);
    pop->setObjectName(u"pop"_s);
    struct TItem {
        const char16_t* Name;
        const char16_t* Caption;
        const char16_t* Key;
        int Kind;
    };
    // Kind: the clipboard command (0 cut, 1 copy, 2 paste, 3 undo, 4 redo), 5 paste text.
    const TItem items[] = {
        {u"actCut", u"잘라내기", u"Ctrl+X", 0},
        {u"actCopy", u"복사", u"Ctrl+C", 1},
        {u"actPaste", u"붙여넣기", u"Ctrl+V", 2},
        {u"actPasteText", u"텍스트만 붙여넣기", u"Shift+Ctrl+V", 5},
        {nullptr, nullptr, nullptr, -1},
        {u"actUndo", u"작업 취소", u"Ctrl+Z", 3},
        {u"actRedo", u"취소를 실행", u"Shift+Ctrl+Z", 4},
    };
    for (const TItem& item : items) {
        if (!item.Name) {
            pop->addSeparator();
            continue;
        }
        QAction* a = pop->addAction(QString::fromUtf16(item.Caption));
        a->setObjectName(QString::fromUtf16(item.Name));
        // The views handle these keys themselves; the menu only shows them.
        a->setShortcut(QKeySequence(QString::fromUtf16(item.Key)));
        a->setShortcutContext(Qt::WidgetShortcut);
        const int kind = item.Kind;
        connect(a, &QAction::triggered, this, [this, kind] {
            if (kind == 5)
                PasteText();
            else
                FLogic->ClipboardCommand(kind);
        });
    }
}

void TfrmDhtmlEditor::Redo()
{
    FLogic->ClipboardCommand(4);
}

void TfrmDhtmlEditor::ShowPopup(const QPoint& globalPos)
{
    for (QAction* a : pop->actions()) {
        const QString name = a->objectName();
        const int kind = name == u"actCut"_s    ? 0
                         : name == u"actCopy"_s ? 1
                         : name == u"actUndo"_s ? 3
                         : name == u"actRedo"_s ? 4
                                                : -1;
        if (kind >= 0)
            a->setEnabled(FLogic->ClipboardCommandEnabled(kind));
    }
    // The paste items say whether there is something they can paste here.
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const bool text = data && data->hasText();
    const bool edit = FHost->ViewMode() == 1;
    pop->findChild<QAction*>(u"actPaste"_s)
        ->setEnabled(text || (edit && data && (data->hasHtml() || data->hasImage())));
    pop->findChild<QAction*>(u"actPasteText"_s)->setEnabled(text);
    pop->popup(globalPos);
}

void TfrmDhtmlEditor::PasteText()
{
    const QString text = QApplication::clipboard()->text();
    // In the source view a paste is text only anyway, within the view's limit.
    if (FHost->ViewMode() == 2) {
        rchDhtml->paste();
        return;
    }
    if (FHost->ViewMode() != 1 || text.isEmpty() || !FLogic->DocumentReady())
        return;
    // Text only: what the clipboard holds is typed as text, never read as markup, in its turn
    // after the pastes before it.
    QMimeData plain;
    plain.setText(text);
    FPaste->Paste(&plain, FLogic->DocumentPath());
}

QWebEngineView* TfrmDhtmlEditor::CurrentWebView() const
{
    switch (FHost->ViewMode()) {
    case 0:
        return FBrowser;
    case 1:
        return dhtml;
    default:
        return nullptr;
    }
}

void TfrmDhtmlEditor::ModeApplied(int mode)
{
    setUpdatesEnabled(false);
    // The hidden browse view lets its copy of the note go; leaving the editing views loads the
    // note into it again anyway.
    if (mode != 0)
        FBrowser->Clear();
    FToolbars->setVisible(mode == 1);
    pnlFiles->setVisible(mode == 1);
    ShowCharsGrid();
    // The find dialog follows the mode's view; replacing is for the source text only.
    if (FFindDialog)
        FFindDialog->SetTarget(FindTarget(mode));
    if (FReplaceDialog && mode != 2)
        FReplaceDialog->close();
    if (mode == 1)
        FViews->setCurrentWidget(dhtml);
    else if (mode == 2)
        FViews->setCurrentWidget(rchDhtml);
    else
        FViews->setCurrentWidget(pnlWeb);
    setUpdatesEnabled(true);
}

void TfrmDhtmlEditor::LoadCurrentNote()
{
    try {
        FLogic->LoadCurrentNote();
    } catch (const EzqError& e) {
        FUi->ShowError(e.Message());
    }
}

void TfrmDhtmlEditor::LoadFile(const QString& path)
{
    try {
        FLogic->LoadFile(path);
    } catch (const EzqError& e) {
        FUi->ShowError(e.Message());
    }
}

bool TfrmDhtmlEditor::SaveFile(const QString& path)
{
    FPaste->Settle();
    return FLogic->SaveFile(path);
}

bool TfrmDhtmlEditor::SaveIfEditing()
{
    FPaste->Settle();
    return FLogic->SaveIfEditing();
}

bool TfrmDhtmlEditor::SaveNote()
{
    return FLogic->SaveIfEditing();
}

void TfrmDhtmlEditor::ModeChanged()
{
    FLogic->ModeChanged();
}

void TfrmDhtmlEditor::FocusLater()
{
    tmrFocus->start();
}

void TfrmDhtmlEditor::PrintNote()
{
    FLogic->PrintNote();
}

bool TfrmDhtmlEditor::CloseEditor()
{
    return FLogic->CloseEditor();
}

void TfrmDhtmlEditor::CheckExternalChange()
{
    FLogic->CheckExternalChange();
}

bool TfrmDhtmlEditor::AutoSaveRunning() const
{
    return FLogic->AutoSaveRunning();
}

void TfrmDhtmlEditor::UpdateAutoSaveInterval()
{
    FLogic->UpdateAutoSaveInterval();
}

void TfrmDhtmlEditor::ApplyFormatPreset(int n)
{
    if (FHost->ViewMode() == 1)
        FToolbars->ApplyFormatPreset(n);
}

IzqFindTarget* TfrmDhtmlEditor::FindTarget(int mode) const
{
    switch (mode) {
    case 1:
        return FEditFind;
    case 2:
        return FSourceFind.get();
    default:
        return FBrowseFind;
    }
}

TfrmFindInRich* TfrmDhtmlEditor::FindDialog() const
{
    return FFindDialog;
}

TfrmFindReplace* TfrmDhtmlEditor::ReplaceDialog() const
{
    return FReplaceDialog;
}

void TfrmDhtmlEditor::FindInNote()
{
    if (!FFindDialog) {
        FFindDialog = new TfrmFindInRich(FindTarget(FHost->ViewMode()), window());
        FFindDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    FFindDialog->SetTarget(FindTarget(FHost->ViewMode()));
    FFindDialog->show();
    FFindDialog->raise();
    FFindDialog->activateWindow();
}

void TfrmDhtmlEditor::ReplaceInNote()
{
    if (FHost->ViewMode() != 2)
        return;
    if (!FReplaceDialog) {
        FReplaceDialog = new TfrmFindReplace(rchDhtml, window());
        FReplaceDialog->setAttribute(Qt::WA_DeleteOnClose);
        FReplaceDialog->SetMaxLength(TzqSourceEdit::MaxLength);
    }
    FReplaceDialog->show();
    FReplaceDialog->raise();
    FReplaceDialog->activateWindow();
}

void TfrmDhtmlEditor::ShowCharsGrid()
{
    FCharsGrid->setVisible(FHost->ViewMode() == 1 && FToolbars->SpecialItem()->isChecked());
}

void TfrmDhtmlEditor::InsertChar(const QString& text)
{
    if (text.isEmpty() || !FLogic->InsertHtml(text.toHtmlEscaped()))
        return;
    FLogic->RestartAutoSave();
    dhtml->FocusDocument();
}

void TfrmDhtmlEditor::tmrFocusTimer()
{
    // In search mode the keyboard stays with the search box and the result list.
    if (!isVisible() || !window()->isActiveWindow() || !FHost->TreeMode())
        return;
    // Moving through the tree with the keys keeps the focus in the tree.
    if (auto* tree = qobject_cast<TzqTreeView*>(QApplication::focusWidget());
        tree && tree->KeyboardNavigating())
        return;
    switch (FHost->ViewMode()) {
    case 1:
        dhtml->FocusDocument();
        break;
    case 2:
        rchDhtml->setFocus();
        break;
    default:
        FBrowser->setFocus();
        break;
    }
}
