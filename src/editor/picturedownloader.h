#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

// How one picture download ended.
enum TzqDownloadResult : int {
    zqDlOk = 0,
    zqDlRefusedScheme,    // not http or https: nothing was sent
    zqDlBadRedirect,      // a redirect without a usable address or to another scheme
    zqDlTooManyRedirects, // more redirects than allowed
    zqDlTimeout,          // the deadline for the whole picture passed
    zqDlTooLarge,         // the declared length or the bytes received exceeded the size cap
    zqDlHttpError,        // an HTTP status of 300 and above that is no redirect
    zqDlNetworkError,     // the connection failed
    zqDlNotPicture,       // the body is no picture, or the caller's validator refused it
    zqDlTargetExists,     // the target name is taken: nothing is overwritten
    zqDlWriteFailed,      // the temporary file could not be written or renamed
    zqDlCancelled,        // Cancel() came first
};

// Downloads the pictures of a pasted fragment into the note's file folder, a few at a time and
// started in document order. Every picture is bounded: http and https only (also after
// redirects), a deadline for the whole transfer, a size cap, error statuses fail. The body is
// written to a hidden temporary file beside the target and renamed onto the target only when
// it is complete and is a picture, and never over an existing file; a failed or cancelled
// picture leaves no file behind. Everything runs on the owner's thread through signals.
//
// Every job of a Start() gets exactly one PictureDone, then Finished comes once; nothing is
// emitted from inside Start() itself, and nothing after Cancel() returns.
class TzqPictureDownloader : public QObject {
    Q_OBJECT

public:
    struct TJob {
        QUrl Source;
        // The file name reserved by the caller inside the note's file folder. Its folder is
        // created when missing.
        QString Target;
        // The page the fragment came from, sent as the referrer when it is http or https.
        QUrl Referer = {};
    };

    struct TLimits {
        int Parallel = 16;
        int DeadlineMs = 30000;
        qint64 SizeLimit = 50LL * 1024 * 1024;
        int MaxRedirects = 5;
    };

    // Called with the complete temporary file before it is renamed onto the target; false
    // refuses the picture. The signature test has already passed.
    using TValidator = std::function<bool(const QString& path)>;

    explicit TzqPictureDownloader(QObject* parent = nullptr);
    explicit TzqPictureDownloader(const TLimits& limits, QObject* parent = nullptr);
    ~TzqPictureDownloader() override;

    const TLimits& Limits() const { return FLimits; }
    // Takes effect for downloads started afterwards.
    void SetLimits(const TLimits& limits);
    void SetValidator(TValidator validator) { FValidator = std::move(validator); }

    // Starts the jobs; false (and nothing happens) while a previous start is still running.
    bool Start(const QList<TJob>& jobs);
    // Stops every download: running and waiting jobs are reported as cancelled, their partial
    // files removed; pictures already saved stay.
    void Cancel();
    bool IsRunning() const { return FRunning; }

    // True when the first bytes of a file are those of a picture: PNG, JPEG, GIF, BMP, WebP,
    // ICO/CUR, AVIF/HEIF, or SVG text.
    static bool LooksLikePicture(QByteArrayView head);
    // A short English name of a result, for diagnostics.
    static QString ResultName(int result);

Q_SIGNALS:
    // done pictures of total, bytes received so far by all of them.
    void Progress(int done, int total, qint64 bytes);
    // One per job: index into the list given to Start(). detail says more on a failure.
    void PictureDone(int index, int result, const QString& detail);
    void Finished();

private:
    struct TRun;

    void Pump();
    int StartJob(int index, QString& detail);
    void Request(TRun* run);
    // False when the run ended or moved on to another reply.
    bool OnMetaData(TRun* run);
    // False when the run ended or moved on to another reply.
    bool OnReadyRead(TRun* run);
    void OnReplyFinished(TRun* run);
    bool FollowRedirect(TRun* run, QString& detail);
    void Complete(TRun* run);
    void Fail(TRun* run, int result, const QString& detail);
    void Report(int index, int result, const QString& detail);
    void DropReply(TRun* run);
    void Discard(TRun* run);
    void Abandon();

    // Each manager opens at most six connections to one host: a few of them let the
    // pictures of one site come in together.
    QList<QNetworkAccessManager*> FManagers;
    TLimits FLimits;
    TValidator FValidator;
    QList<TJob> FJobs;
    std::vector<std::unique_ptr<TRun>> FActive;
    qsizetype FNext = 0;
    int FDone = 0;
    qint64 FBytes = 0;
    bool FRunning = false;
    bool FPumping = false;
    // Changes with every Start() and Cancel(), so work queued for an earlier run is dropped.
    quint64 FGeneration = 0;
};
