#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QAction;
class IzqExportUi;
class TfrmMainQL;
class TzqMessageBoxQuestions;

// The exports of a page (a zip file, a web archive, a mail) and the clean-up of a folder's
// file folders.
class TzqMainExports : public QObject {
    Q_OBJECT

public:
    explicit TzqMainExports(TfrmMainQL* window);
    ~TzqMainExports() override;

    // The exports of a page (a note, or a folder's page for the whole folder): the note being
    // edited is saved first, and nothing happens when that fails.
    void MakeZipOf(const QString& page);
    void SaveMhtOf(const QString& page);
    // The web archive of the page shown, handed to the desktop's mail program.
    void MailCurrentNote();
    // The clean-up of a folder's file folders; the view goes to browse mode first.
    void CleanFolder(const QString& folder);
    // The save-file dialog and the errors of the exports; null restores the platform's own.
    void SetExportUi(IzqExportUi* ui);

private:
    // Saves the note being edited, then asks where the export of page goes (the caption of
    // the action, the suffix appended); nothing when the save fails or the user cancels.
    std::optional<QString> ChooseExportFile(const QString& page, const QAction* action,
                                            const QString& suffix);

    TfrmMainQL* W;
    std::unique_ptr<TzqMessageBoxQuestions> FOwnExportUi;
    IzqExportUi* FExportUi = nullptr;
    // Where the last export went; the next one starts there.
    QString FExportDir;
};
