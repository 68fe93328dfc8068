#include "editor/picturedownloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Enough of the body's start to tell a picture, SVG's prologue included.
constexpr qsizetype HeadSize = 4096;
// The reply keeps no more than this unread; the rest waits in the socket.
constexpr qint64 ReadBuffer = 256 * 1024;

// The system's proxy, except for the machine itself, which is never reached through one.
class TSystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        const QString host = query.peerHostName();
        if (host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0 ||
            QHostAddress(host).isLoopback())
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

bool IsWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

bool StartsWith(QByteArrayView data, qsizetype at, QByteArrayView tag)
{
    return data.size() >= at + tag.size() && data.sliced(at, tag.size()) == tag;
}

quint32 LittleEndian32(QByteArrayView data, qsizetype at)
{
    return quint32(quint8(data[at])) | quint32(quint8(data[at + 1])) << 8 |
           quint32(quint8(data[at + 2])) << 16 | quint32(quint8(data[at + 3])) << 24;
}

bool LooksLikeSvg(QByteArrayView head)
{
    if (StartsWith(head, 0, "\xEF\xBB\xBF"))
        head = head.sliced(3);
    qsizetype i = 0;
    while (i < head.size() &&
           (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    const QByteArray rest = head.sliced(i).toByteArray().toLower();
    if (rest.startsWith("<svg"))
        return true;
    return rest.startsWith("<?xml") && rest.contains("<svg");
}

} // namespace

// One picture on its way: the reply of the current request (redirects replace it), the
// temporary file once body bytes arrive, and the deadline that spans all of it.
struct TzqPictureDownloader::TRun {
    int Index = 0;
    QUrl Url;
    QUrl Referer;
    QString Target;
    int Redirects = 0;
    QNetworkReply* Reply = nullptr;
    bool HeadersSeen = false;
    std::unique_ptr<QFile> Temp;
    qint64 Received = 0;
    QByteArray Head;
    QTimer* Deadline = nullptr;
};

TzqPictureDownloader::TzqPictureDownloader(QObject* parent)
    : TzqPictureDownloader(TLimits{}, parent)
{
}

TzqPictureDownloader::TzqPictureDownloader(const TLimits& limits, QObject* parent) : QObject(parent)
{
    SetLimits(limits);
    for (int i = 0; i < 3; ++i) {
        auto* manager = new QNetworkAccessManager(this);
        manager->setProxyFactory(new TSystemProxyFactory);
        FManagers.append(manager);
    }
}

TzqPictureDownloader::~TzqPictureDownloader()
{
    Abandon();
}

void TzqPictureDownloader::SetLimits(const TLimits& limits)
{
    FLimits = limits;
    FLimits.Parallel = std::max(1, FLimits.Parallel);
    FLimits.DeadlineMs = std::max(1, FLimits.DeadlineMs);
    FLimits.SizeLimit = std::max<qint64>(1, FLimits.SizeLimit);
    FLimits.MaxRedirects = std::max(0, FLimits.MaxRedirects);
}

bool TzqPictureDownloader::Start(const QList<TJob>& jobs)
{
    if (FRunning)
        return false;
    FJobs = jobs;
    FNext = 0;
    FDone = 0;
    FBytes = 0;
    FRunning = true;
    const quint64 generation = ++FGeneration;
    // Results come from the event loop, also those decided without any I/O.
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == FGeneration)
            Pump();
    });
    return true;
}

void TzqPictureDownloader::Cancel()
{
    if (!FRunning)
        return;
    const quint64 generation = ++FGeneration;
    FRunning = false;
    QList<int> stopped;
    for (const auto& run : FActive) {
        Discard(run.get());
        stopped.append(run->Index);
    }
    FActive.clear();
    for (qsizetype i = FNext; i < FJobs.size(); ++i)
        stopped.append(int(i));
    FNext = FJobs.size();
    std::sort(stopped.begin(), stopped.end());
    for (int index : stopped) {
        ++FDone;
        Q_EMIT PictureDone(index, zqDlCancelled, u"cancelled"_s);
        if (generation != FGeneration)
            return; // a slot started anew
    }
    Q_EMIT Finished();
}

void TzqPictureDownloader::Abandon()
{
    ++FGeneration;
    FRunning = false;
    for (const auto& run : FActive)
        Discard(run.get());
    FActive.clear();
}

void TzqPictureDownloader::Pump()
{
    if (FPumping)
        return;
    FPumping = true;
    const quint64 generation = FGeneration;
    while (generation == FGeneration && FRunning && qsizetype(FActive.size()) < FLimits.Parallel &&
           FNext < FJobs.size()) {
        const int index = int(FNext++);
        QString detail;
        const int result = StartJob(index, detail);
        if (result != zqDlOk)
            Report(index, result, detail);
    }
    FPumping = false;
    if (generation == FGeneration && FRunning && FActive.empty() && FNext >= FJobs.size()) {
        FRunning = false;
        Q_EMIT Finished();
    }
}

int TzqPictureDownloader::StartJob(int index, QString& detail)
{
    const TJob& job = FJobs.at(index);
    if (!job.Source.isValid() || !IsWebScheme(job.Source) || job.Source.host().isEmpty()) {
        detail = job.Source.scheme().isEmpty() ? u"no scheme"_s : job.Source.scheme();
        return zqDlRefusedScheme;
    }
    const QFileInfo target(job.Target);
    if (job.Target.isEmpty() || target.fileName().isEmpty()) {
        detail = u"no target name"_s;
        return zqDlWriteFailed;
    }
    if (target.exists() || target.isSymLink()) {
        detail = job.Target;
        return zqDlTargetExists;
    }
    if (!QDir().mkpath(target.absolutePath())) {
        detail = target.absolutePath();
        return zqDlWriteFailed;
    }

    auto run = std::make_unique<TRun>();
    run->Index = index;
    run->Url = job.Source;
    run->Referer = job.Referer;
    run->Target = target.absoluteFilePath();
    run->Deadline = new QTimer(this);
    run->Deadline->setSingleShot(true);
    TRun* raw = run.get();
    connect(run->Deadline, &QTimer::timeout, this, [this, raw] {
        Fail(raw, zqDlTimeout, u"no complete picture after %1 ms"_s.arg(FLimits.DeadlineMs));
    });
    FActive.push_back(std::move(run));
    raw->Deadline->start(FLimits.DeadlineMs);
    Request(raw);
    return zqDlOk;
}

void TzqPictureDownloader::Request(TRun* run)
{
    QNetworkRequest request(run->Url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Accept", "image/avif,image/webp,image/png,image/svg+xml,image/*;q=0.8,"
                                   "*/*;q=0.5");
    if (IsWebScheme(run->Referer))
        request.setRawHeader("Referer",
                             run->Referer.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment));
    run->HeadersSeen = false;
    run->Reply = FManagers.at(run->Index % FManagers.size())->get(request);
    run->Reply->setReadBufferSize(ReadBuffer);
    QNetworkReply* reply = run->Reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, run] { OnMetaData(run); });
    connect(reply, &QIODevice::readyRead, this, [this, run] { OnReadyRead(run); });
    connect(reply, &QNetworkReply::finished, this, [this, run] { OnReplyFinished(run); });
}

bool TzqPictureDownloader::OnMetaData(TRun* run)
{
    QNetworkReply* reply = run->Reply;
    const QVariant statusValue = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (run->HeadersSeen || !statusValue.isValid())
        return true;
    run->HeadersSeen = true;
    const int status = statusValue.toInt();
    if (status >= 300 && status < 400) {
        QString detail;
        if (!FollowRedirect(run, detail))
            Fail(run, detail.isEmpty() ? zqDlHttpError : zqDlBadRedirect,
                 detail.isEmpty() ? u"HTTP %1"_s.arg(status) : detail);
        return false;
    }
    if (status >= 400 || status < 200) {
        Fail(run, zqDlHttpError, u"HTTP %1"_s.arg(status));
        return false;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > FLimits.SizeLimit) {
        Fail(run, zqDlTooLarge, u"declared %1 bytes"_s.arg(length.toLongLong()));
        return false;
    }
    return true;
}

bool TzqPictureDownloader::FollowRedirect(TRun* run, QString& detail)
{
    const int status = run->Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return false; // detail stays empty: an HTTP error
    const QByteArray location = run->Reply->rawHeader("Location").trimmed();
    const QUrl next = run->Reply->url().resolved(QUrl::fromEncoded(location));
    if (location.isEmpty() || !next.isValid()) {
        detail = u"redirect without an address"_s;
        return false;
    }
    if (!IsWebScheme(next) || next.host().isEmpty()) {
        detail = u"redirect to %1"_s.arg(next.scheme());
        return false;
    }
    if (++run->Redirects > FLimits.MaxRedirects) {
        Fail(run, zqDlTooManyRedirects, u"more than %1 redirects"_s.arg(FLimits.MaxRedirects));
        return true; // decided here
    }
    DropReply(run);
    run->Url = next;
    run->Received = 0;
    run->Head.clear();
    if (run->Temp) {
        run->Temp->resize(0);
        run->Temp->seek(0);
    }
    Request(run);
    return true;
}

bool TzqPictureDownloader::OnReadyRead(TRun* run)
{
    if (!OnMetaData(run))
        return false; // failed or redirected
    QNetworkReply* reply = run->Reply;
    const QByteArray data = reply->readAll();
    if (data.isEmpty())
        return true;
    run->Received += data.size();
    FBytes += data.size();
    if (run->Received > FLimits.SizeLimit) {
        Fail(run, zqDlTooLarge, u"more than %1 bytes"_s.arg(FLimits.SizeLimit));
        return false;
    }
    if (run->Head.size() < HeadSize)
        run->Head.append(data.first(std::min(data.size(), HeadSize - run->Head.size())));
    if (!run->Temp) {
        // A hidden name beside the target, taken exclusively.
        const QFileInfo target(run->Target);
        for (int attempt = 0; attempt < 16 && !run->Temp; ++attempt) {
            auto file = std::make_unique<QFile>(
                target.absolutePath() + u"/."_s + target.fileName() + u"."_s +
                QString::number(QRandomGenerator::global()->generate(), 36) + u".part"_s);
            if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly))
                run->Temp = std::move(file);
            else if (file->exists())
                continue;
            else
                break;
        }
        if (!run->Temp) {
            Fail(run, zqDlWriteFailed, u"cannot create a file beside %1"_s.arg(run->Target));
            return false;
        }
    }
    if (run->Temp->write(data) != data.size()) {
        Fail(run, zqDlWriteFailed, run->Temp->errorString());
        return false;
    }
    const quint64 generation = FGeneration;
    Q_EMIT Progress(FDone, int(FJobs.size()), FBytes);
    return generation == FGeneration;
}

void TzqPictureDownloader::OnReplyFinished(TRun* run)
{
    if (!OnMetaData(run))
        return;
    QNetworkReply* reply = run->Reply;
    if (reply->bytesAvailable() > 0 && !OnReadyRead(run))
        return;
    if (reply->error() != QNetworkReply::NoError) {
        Fail(run, zqDlNetworkError, reply->errorString());
        return;
    }
    Complete(run);
}

void TzqPictureDownloader::Complete(TRun* run)
{
    DropReply(run);
    if (!run->Temp) {
        Fail(run, zqDlNotPicture, u"empty body"_s);
        return;
    }
    if (!run->Temp->flush()) {
        Fail(run, zqDlWriteFailed, run->Temp->errorString());
        return;
    }
    run->Temp->close();
    if (!LooksLikePicture(run->Head)) {
        Fail(run, zqDlNotPicture, u"not a picture"_s);
        return;
    }
    if (FValidator && !FValidator(run->Temp->fileName())) {
        Fail(run, zqDlNotPicture, u"refused by the validator"_s);
        return;
    }
    // QFile::rename never replaces an existing file.
    if (QFileInfo::exists(run->Target) || QFileInfo(run->Target).isSymLink()) {
        Fail(run, zqDlTargetExists, run->Target);
        return;
    }
    if (!run->Temp->rename(run->Target)) {
        Fail(run, QFileInfo::exists(run->Target) ? zqDlTargetExists : zqDlWriteFailed,
             run->Temp->errorString());
        return;
    }
    run->Temp.reset();
    const int index = run->Index;
    Discard(run);
    std::erase_if(FActive, [run](const auto& r) { return r.get() == run; });
    Report(index, zqDlOk, {});
}

void TzqPictureDownloader::Fail(TRun* run, int result, const QString& detail)
{
    const int index = run->Index;
    Discard(run);
    std::erase_if(FActive, [run](const auto& r) { return r.get() == run; });
    Report(index, result, detail);
}

void TzqPictureDownloader::Report(int index, int result, const QString& detail)
{
    ++FDone;
    const quint64 generation = FGeneration;
    Q_EMIT PictureDone(index, result, detail);
    if (generation != FGeneration)
        return;
    Q_EMIT Progress(FDone, int(FJobs.size()), FBytes);
    if (generation != FGeneration)
        return;
    // More may start now; Pump() ignores the call while it is the one reporting.
    Pump();
}

void TzqPictureDownloader::DropReply(TRun* run)
{
    if (!run->Reply)
        return;
    QNetworkReply* reply = run->Reply;
    run->Reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    // Stopped from the event loop: the reply may be inside one of its own signals, with its
    // error report for an HTTP status still queued.
    QTimer::singleShot(0, reply, [reply] {
        if (reply->isRunning())
            reply->abort();
        reply->deleteLater();
    });
}

void TzqPictureDownloader::Discard(TRun* run)
{
    DropReply(run);
    if (run->Deadline) {
        // Possibly inside its own timeout signal: deleted later.
        run->Deadline->stop();
        disconnect(run->Deadline, nullptr, this, nullptr);
        run->Deadline->deleteLater();
        run->Deadline = nullptr;
    }
    if (run->Temp) {
        run->Temp->close();
        run->Temp->remove();
        run->Temp.reset();
    }
}

bool TzqPictureDownloader::LooksLikePicture(QByteArrayView head)
{
    if (StartsWith(head, 0, "\x89PNG\r\n\x1A\n"))
        return true;
    if (StartsWith(head, 0, "\xFF\xD8\xFF"))
        return true;
    if (StartsWith(head, 0, "GIF87a") || StartsWith(head, 0, "GIF89a"))
        return true;
    // Bitmap: the file header, then a known size of the information header.
    if (StartsWith(head, 0, "BM") && head.size() >= 18) {
        const quint32 info = LittleEndian32(head, 14);
        if (info == 12 || info == 40 || info == 52 || info == 56 || info == 64 || info == 108 ||
            info == 124)
            return true;
    }
    if (StartsWith(head, 0, "RIFF") && StartsWith(head, 8, "WEBP"))
        return true;
    // Icon or cursor directory with at least one entry.
    if ((StartsWith(head, 0, QByteArrayView("\0\0\1\0", 4)) ||
         StartsWith(head, 0, QByteArrayView("\0\0\2\0", 4))) &&
        head.size() >= 6 && (head[4] != 0 || head[5] != 0))
        return true;
    if (StartsWith(head, 4, "ftyp") && head.size() >= 12) {
        const QByteArrayView brand = head.sliced(8, 4);
        for (const char* known : {"avif", "avis", "heic", "heix", "hevc", "hevx", "mif1", "msf1"}) {
            if (brand == QByteArrayView(known))
                return true;
        }
    }
    return LooksLikeSvg(head);
}

QString TzqPictureDownloader::ResultName(int result)
{
    switch (result) {
    case zqDlOk:
        return u"ok"_s;
    case zqDlRefusedScheme:
        return u"refused scheme"_s;
    case zqDlBadRedirect:
        return u"bad redirect"_s;
    case zqDlTooManyRedirects:
        return u"too many redirects"_s;
    case zqDlTimeout:
        return u"timeout"_s;
    case zqDlTooLarge:
        return u"too large"_s;
    case zqDlHttpError:
        return u"HTTP error"_s;
    case zqDlNetworkError:
        return u"network error"_s;
    case zqDlNotPicture:
        return u"not a picture"_s;
    case zqDlTargetExists:
        return u"target exists"_s;
    case zqDlWriteFailed:
        return u"write failed"_s;
    case zqDlCancelled:
        return u"cancelled"_s;
    }
    return u"unknown"_s;
}
