#pragma once

#include "tools/garbagescan.h"
#include "widgets/frmbluedialog.h"

#include <QMutex>

#include <atomic>
#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QThread;

// "폴더 정리": lists the files of a folder's file folders that no note of the folder refers
// to, with a preview of pictures, and moves them to the Trash on "삭제". The scan runs while
// the dialog shows its progress; Esc, the close glyph or "취소" stop it without any change.
// The delete runs on a thread of its own with its progress in the dialog; Esc, the close glyph
// or "취소" stop it before the next item, and the dialog reports what went and what stayed.
class TfrmRemoveGarbage : public TfrmBlueDialog {
    Q_OBJECT

public:
    // userName is the name edit markers are compared with; trash moves a file to the Trash
    // (TrashFilesOneByOne unless given).
    explicit TfrmRemoveGarbage(const QString& userName, QWidget* parent = nullptr,
                               TGarbageScan::TTrashFunc trash = {});
    // A delete still running finishes the item in hand and stops before the dialog goes.
    ~TfrmRemoveGarbage() override;

    // The whole clean-up of folder (a full path): the dialog is shown, scans, and stays open
    // modally until the user deletes or cancels. A note that cannot be read is reported and
    // ends it without any change.
    static void Run(QWidget* parent, const QString& folder, const QString& userName);

    // Scans folder with the dialog's progress showing (the dialog should be visible). False
    // when the user cancelled or a note could not be read (reported); the dialog is closed then.
    bool ScanFolder(const QString& folder);

    const TGarbageScan& Scan() const { return FScan; }
    // What the delete did, once it has ended.
    const TGarbageDeleteResult& DeleteResult() const { return FDeleteResult; }

protected:
    // Starts deleting what is listed; when it ends, reports what stayed and closes.
    void btnConfirmClick() override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;
    // A warning the user must read; tests replace it.
    virtual void ShowWarning(const QString& text);

private:
    void lstFilesClick();
    void ShowPreview();
    void HidePreview();
    bool IsDeleting() const;
    // Called on the delete's thread: keeps the latest step for the window to show.
    bool DeleteProgress(TGarbageDeleteStep step, int done, int total, const QString& item);
    void ShowDeleteProgress();
    void DeleteFinished();

    TGarbageScan FScan;
    QImage FPicture;
    bool FScanning = false;
    bool FCancelRequested = false;

    // The delete's thread; it touches only FScan, the fields below and nothing on screen.
    std::unique_ptr<QThread> FDeleteThread;
    std::atomic<bool> FStopDelete = false;
    bool FDeleteEnded = false;
    TGarbageDeleteResult FDeleteResult;
    QString FDeleteError;
    struct TDeleteStatus {
        TGarbageDeleteStep Step = TGarbageDeleteStep::ReadNotes;
        int Done = 0;
        int Total = 0;
        QString Item;
        bool Posted = false; // a call to ShowDeleteProgress is on its way
    };
    QMutex FStatusLock;
    TDeleteStatus FStatus;

    QListWidget* lstFiles = nullptr;
    QLabel* imgPrev = nullptr;
    QLabel* labCaption = nullptr;
    QLabel* labCap2 = nullptr;
    QLabel* labAnchors = nullptr;
    QProgressBar* prgScan = nullptr;
    QProgressBar* prgDelete = nullptr;
};
