#include "mainwin/mainexports.h"

#include "mainwin/frmmainql.h"
#include "mainwin/zqmessageboxquestions.h"
#include "tools/exporttarget.h"
#include "tools/frmmakezipfile.h"
#include "tools/frmremovegarbage.h"
#include "tools/zqwebarchive.h"

#include <QAction>
#include <QFileInfo>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

TzqMainExports::TzqMainExports(TfrmMainQL* window)
    : QObject(window), W(window), FOwnExportUi(std::make_unique<TzqMessageBoxQuestions>(window)),
      FExportUi(FOwnExportUi.get())
{
}

TzqMainExports::~TzqMainExports() = default;

void TzqMainExports::SetExportUi(IzqExportUi* ui)
{
    FExportUi = ui ? ui : FOwnExportUi.get();
}

std::optional<QString> TzqMainExports::ChooseExportFile(const QString& page, const QAction* action,
                                                        const QString& suffix)
{
    if (page.isEmpty() || !W->DhtmlEditor()->SaveNote())
        return std::nullopt;
    const std::optional<QString> target =
        ChooseExportTarget(*FExportUi, action->text(), page, suffix, FExportDir);
    if (target)
        FExportDir = QFileInfo(*target).absolutePath();
    return target;
}

void TzqMainExports::MakeZipOf(const QString& page)
{
    const std::optional<QString> target =
        ChooseExportFile(page, W->Actions().actMakeZip, u".zip"_s);
    if (!target)
        return;
    TfrmMakeZipFile dialog(W);
    dialog.SetSource(page, *target);
    if (!dialog.Run() && !dialog.ErrorText().isEmpty())
        FExportUi->ShowError(dialog.ErrorText());
}

void TzqMainExports::SaveMhtOf(const QString& page)
{
    const std::optional<QString> target =
        ChooseExportFile(page, W->Actions().actSaveMht, u".mht"_s);
    if (!target)
        return;
    QString error;
    if (!SaveWebArchive(page, *target, W, &error) && !error.isEmpty())
        FExportUi->ShowError(error);
}

void TzqMainExports::MailCurrentNote()
{
    if (!W->DhtmlEditor()->SaveNote())
        return;
    const QString page = W->CurrentPage();
    if (page.isEmpty() || !QFileInfo(page).isFile())
        return;
    // xdg-email may end after the window has gone.
    const QPointer<TzqMainExports> self(this);
    MailNote(page, W, [self](const QString& error) {
        if (self)
            self->FExportUi->ShowError(error);
    });
}

void TzqMainExports::CleanFolder(const QString& folder)
{
    // The clean-up reads every note of the folder: the one being edited is saved first.
    W->Modes()->tbiBrowseClick(TzqViewModes::vmBrowse);
    if (W->ViewMode() != TzqViewModes::vmBrowse || folder.isEmpty())
        return;
    TfrmRemoveGarbage::Run(W, folder, W->MyName());
}
