#pragma once

#include "tools/garbagescan.h"
#include "widgets/frmbluedialog.h"

class QLabel;
class QListWidget;
class QProgressBar;

// "폴더 정리": lists the files of a folder's file folders that no note of the folder refers
// to, with a preview of pictures, and moves them to the Trash on "삭제". The scan runs while
// the dialog shows its progress; Esc, the close glyph or "취소" stop it without any change.
class TfrmRemoveGarbage : public TfrmBlueDialog {
    Q_OBJECT

public:
    // userName is the name edit markers are compared with.
    explicit TfrmRemoveGarbage(const QString& userName, QWidget* parent = nullptr);

    // The whole clean-up of folder (a full path): the dialog is shown, scans, and stays open
    // modally until the user deletes or cancels. A note that cannot be read is reported and
    // ends it without any change.
    static void Run(QWidget* parent, const QString& folder, const QString& userName);

    // Scans folder with the dialog's progress showing (the dialog should be visible). False
    // when the user cancelled or a note could not be read (reported); the dialog is closed then.
    bool ScanFolder(const QString& folder);

    const TGarbageScan& Scan() const { return FScan; }

protected:
    // Deletes what is listed, reports what stayed, and closes.
    void btnConfirmClick() override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;
    // A warning the user must read; tests replace it.
    virtual void ShowWarning(const QString& text);

private:
    void lstFilesClick();
    void ShowPreview();
    void HidePreview();

    TGarbageScan FScan;
    QImage FPicture;
    bool FScanning = false;
    bool FCancelRequested = false;

    QListWidget* lstFiles = nullptr;
    QLabel* imgPrev = nullptr;
    QLabel* labCaption = nullptr;
    QLabel* labCap2 = nullptr;
    QLabel* labAnchors = nullptr;
    QProgressBar* prgScan = nullptr;
};
