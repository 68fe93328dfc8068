#pragma once

#include "editor/clipboardhtml.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class QMimeData;
class TzqPictureDownloader;
class TzqWebEditView;

// A paste into the edit view: a web fragment has its pictures brought into the note's file
// folder (downloaded a few at a time, a progress line with a cancel meanwhile) and its
// addresses made absolute; a picture alone (a screenshot) is saved there as PNG. The paste
// belongs to the note it started in: its file folder and document are fixed at the start, and
// when the user has left that document by the end, nothing is inserted anywhere. The user's
// clipboard is never written. A second paste waits for the first.
class TzqPaste : public QObject {
    Q_OBJECT

public:
    explicit TzqPaste(TzqWebEditView* view, QObject* parent = nullptr);
    ~TzqPaste() override;

    // Pastes what data holds (copied at once) into the document of notePath.
    void Paste(const QMimeData* data, const QString& notePath);
    // Markup taken as if copied from the page at source: its pictures come into the note.
    void PasteFragment(const QString& html, const QString& source, const QString& notePath);
    // Stops the downloads; the pictures saved so far stay with their note and are inserted.
    void Cancel();
    bool Busy() const { return static_cast<bool>(FRun); }
    TzqPictureDownloader* Downloader() const { return FDownloader; }

Q_SIGNALS:
    // Pictures are being fetched: done of total.
    void Progress(int done, int total);
    // The fetching is over (or there was none).
    void Finished();
    // Files were saved into the note's file folder (for the attached files list).
    void FilesAdded(const QString& notePath, const QStringList& names);
    // Something the user must know: a screenshot that could not be saved.
    void Failed(const QString& text);

private:
    struct TRun;
    struct TQueued;
    void Enqueue(std::unique_ptr<TQueued> queued);
    void Start(std::unique_ptr<TQueued> queued);
    void PasteHtml(const QByteArray& html, const QString& source, const QString& notePath);
    void PasteImage(const QVariant& image, const QString& notePath);
    void PictureDone(int index, int result);
    void DownloadsFinished();
    // Inserts markup where the paste began, when the document is still the one it began in.
    void InsertAtStart(const QString& html);
    void Next();

    TzqWebEditView* FView;
    TzqPictureDownloader* FDownloader;
    std::unique_ptr<TRun> FRun;
    QList<std::shared_ptr<TQueued>> FQueue;
};
