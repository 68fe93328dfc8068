#pragma once

#include "widgets/frmbluedialog.h"

#include <QMutex>
#include <atomic>
#include <memory>

class QLabel;
class QProgressBar;
class QThread;
class QTimer;
class TzqZipExport;

// "zip 파일 만들기": gathers the files of a note or a folder and writes their zip archive on a
// worker thread, with a progress bar and a cancel that leaves any older archive as it was.
class TfrmMakeZipFile : public TfrmBlueDialog {
    Q_OBJECT

public:
    explicit TfrmMakeZipFile(QWidget* parent = nullptr);
    ~TfrmMakeZipFile() override;

    // The page to export (a note, or a folder's page for the whole folder) and the archive.
    void SetSource(const QString& sourceFile, const QString& zipFileName);

    // Shows the dialog until the export ends: true when the archive was written. After a
    // failure ErrorText tells why (empty after a cancel).
    bool Run();

    bool Succeeded() const { return FSucceeded; }
    const QString& ErrorText() const { return FError; }

protected:
    void reject() override;

private:
    void Start();
    void Finished();
    void ShowProgress();

    QString FSourceFile;
    QString FZipFileName;
    std::unique_ptr<TzqZipExport> FZip;
    QThread* FWorker = nullptr;
    QTimer* FPoll = nullptr;
    QLabel* labFile = nullptr;
    QProgressBar* bar = nullptr;

    // Written by the worker, read by the poll timer.
    std::atomic<qint64> FDone = 0;
    std::atomic<qint64> FTotal = 0;
    QMutex FEntryLock;
    QString FEntry;

    bool FSucceeded = false;
    bool FCancelled = false;
    QString FError;
};
