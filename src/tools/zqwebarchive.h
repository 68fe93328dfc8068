#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// A single-file web archive (MHTML) of a note with its pictures, written by the browser
// engine's own archive writer.
//
// The note is loaded as it is, through the note scheme, into a page of its own (scripts off,
// no "file:" addresses); neither the note nor its file folder is written or renamed. The
// engine's archive goes to a private folder inside the program's temporary folder, which is
// always removed; the finished archive, with the note's folders taken out of its addresses
// (TMhtmlLocations), replaces the target only when it is complete. The note scheme must serve
// the note (NoteScope).
//
// The wait runs the event loop. When it lasts more than a moment a progress window with a
// cancel button appears; a time-out ends it with an error.
//
//     TzqWebArchive archive(PrjInfo->TempDir(), this);
//     if (archive.Build(note, target) == TzqWebArchive::TResult::Failed)
//         QMessageBox::warning(this, u"zqQuillet"_s, archive.ErrorText());
class TzqWebArchive {
public:
    enum class TResult { Done, Failed, Cancelled };

    static constexpr int DefaultTimeoutMs = 120000;
    static constexpr int DefaultProgressDelayMs = 400;

    // `parent` owns the progress window; it may be null.
    TzqWebArchive(const QString& tempDir, QWidget* parent);

    void SetTimeout(int ms) { FTimeoutMs = ms; }
    void SetProgressDelay(int ms) { FProgressDelayMs = ms; }

    // Writes the archive of the note to `target`. On Failed, ErrorText says why in Korean;
    // on Failed and Cancelled an existing target is left as it was.
    TResult Build(const QString& notePath, const QString& target);
    const QString& ErrorText() const { return FError; }

    // The object name of the progress window.
    static constexpr char ProgressName[] = "frmWebArchiveProgress";

private:
    TResult Fail(const QString& text);
    // Loads the note and has the engine write its archive to `rawPath`.
    TResult SaveRaw(const QString& notePath, const QString& rawPath);

    QString FTempDir;
    QPointer<QWidget> FParent;
    int FTimeoutMs = DefaultTimeoutMs;
    int FProgressDelayMs = DefaultProgressDelayMs;
    QString FError;
};

// The main window's "save as web archive": writes the archive of the note to `target`, a
// name the user has chosen and confirmed. True when written; false with the Korean reason in
// *error, or with an empty *error when the user cancelled.
bool SaveWebArchive(const QString& notePath, const QString& target, QWidget* parent, QString* error,
                    const QString& tempDir = QString());

// The main window's "mail": writes the archive of the note into the mail folder of the
// temporary folder (ExportBaseName + ".mht") and hands it to the mail program through
// xdg-email. Errors go to `report` (a failure of the mail program may come later, when it
// ends); an empty note path does nothing. The note is never written, so the editor need not
// load it again. `tempDir` defaults to the program's temporary folder.
void MailNote(const QString& notePath, QWidget* parent,
              const std::function<void(const QString& error)>& report,
              const QString& tempDir = QString());
