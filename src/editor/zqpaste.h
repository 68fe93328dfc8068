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
// addresses made absolute; a picture alone (a screenshot) is saved there as PNG. A paste
// belongs to the document it was made in and goes where the caret was then: a paste that
// waits for the one before it keeps its place, and the editor settles every paste before it
// leaves the document, so nothing is inserted into another one and nothing pasted is lost.
// The user's clipboard is never written.
class TzqPaste : public QObject {
    Q_OBJECT

public:
    explicit TzqPaste(TzqWebEditView* view, QObject* parent = nullptr);
    ~TzqPaste() override;

    // Pastes what data holds (copied at once) into the document of notePath.
    void Paste(const QMimeData* data, const QString& notePath);
    // Markup taken as if copied from the page at source: its pictures come into the note.
    void PasteFragment(const QString& html, const QString& source, const QString& notePath);
    // Stops the downloads of the paste under way: it goes in with the pictures saved so far,
    // the others keep their web addresses. The pastes waiting for it go on.
    void Cancel();
    // The document is about to be left: the paste under way goes in as Cancel puts it, and the
    // pastes waiting go in at once, their web pictures keeping their addresses. Afterwards no
    // paste refers to the document.
    void Settle();
    // A paste is under way or waiting.
    bool Busy() const { return FRun || !FQueue.isEmpty(); }
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
    // Starts the first waiting paste that still has its document, until one has to download.
    void Next();
    void Start(const TQueued& queued);
    void PasteHtml(const TQueued& queued);
    void PasteImage(const TQueued& queued);
    void PictureDone(int index, int result);
    // The downloads of the paste under way are over: it goes in, once.
    void DownloadsFinished();
    // The view still holds the document the paste was made in.
    bool InItsDocument(int serial) const;
    // Inserts markup (or plain text) where paste id was made; the place is forgotten
    // afterwards.
    void InsertAt(int id, const QString& html, bool asText = false);
    void Forget(int id);

    TzqWebEditView* FView;
    TzqPictureDownloader* FDownloader;
    std::unique_ptr<TRun> FRun;
    QList<std::shared_ptr<TQueued>> FQueue;
    int FLastId = 0;
    // Settle is at work: the pastes waiting go in without downloads.
    bool FSettling = false;
};
