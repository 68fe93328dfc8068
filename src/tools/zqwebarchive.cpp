#include "tools/zqwebarchive.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "editor/zqnotepage.h"
#include "tools/mailnote.h"
#include "tools/mhtmllocations.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// One archive at a time: the wait runs the event loop, and a second command must not start
// another page meanwhile.
bool ArchiveRunning = false;

QString ProgramTempDir(const QString& tempDir)
{
    if (!tempDir.isEmpty())
        return tempDir;
    return PrjInfo ? PrjInfo->TempDir() : QDir::tempPath();
}

} // namespace

TzqWebArchive::TzqWebArchive(const QString& tempDir, QWidget* parent)
    : FTempDir(ProgramTempDir(tempDir)), FParent(parent)
{
}

TzqWebArchive::TResult TzqWebArchive::Fail(const QString& text)
{
    FError = text;
    return TResult::Failed;
}

TzqWebArchive::TResult TzqWebArchive::Build(const QString& notePath, const QString& target)
{
    FError.clear();
    if (ArchiveRunning)
        return Fail(u"웹 보관 파일을 이미 만들고 있습니다."_s);
    const QFileInfo note(notePath);
    if (!note.isFile())
        return Fail(u"노트 파일이 없습니다:\n%1"_s.arg(QDir::toNativeSeparators(notePath)));
    if (NoteScope().Resolve(note.absoluteFilePath()).isEmpty())
        return Fail(u"열린 자료 폴더 밖의 노트는 웹 보관 파일로 만들 수 없습니다:\n%1"_s.arg(
            QDir::toNativeSeparators(notePath)));

    // The engine's own archive still names the user's folders; it stays in a private folder
    // that goes with this run, however it ends.
    QDir().mkpath(FTempDir);
    QTemporaryDir work(QDir(FTempDir).filePath(u"zqmht-XXXXXX"_s));
    if (!work.isValid())
        return Fail(u"임시 폴더를 만들 수 없습니다:\n%1"_s.arg(QDir::toNativeSeparators(FTempDir)));
    const QString rawPath = work.filePath(u"raw.mht"_s);

    ArchiveRunning = true;
    const TResult saved = SaveRaw(note.absoluteFilePath(), rawPath);
    ArchiveRunning = false;
    if (saved != TResult::Done)
        return saved;

    QFile raw(rawPath);
    if (!raw.open(QIODevice::ReadOnly))
        return Fail(u"웹 보관 파일을 만들지 못했습니다."_s);
    // Written beside the target and put in its place only when complete.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return Fail(u"웹 보관 파일을 저장하지 못했습니다:\n%1\n%2"_s.arg(
            QDir::toNativeSeparators(target), out.errorString()));
    QString error;
    if (!RewriteMhtmlLocations(raw, out, note.absoluteFilePath(), &error)) {
        out.cancelWriting();
        return Fail(error);
    }
    if (!out.commit())
        return Fail(u"웹 보관 파일을 저장하지 못했습니다:\n%1\n%2"_s.arg(
            QDir::toNativeSeparators(target), out.errorString()));
    return TResult::Done;
}

TzqWebArchive::TResult TzqWebArchive::SaveRaw(const QString& notePath, const QString& rawPath)
{
    enum class TState { Loading, Saving, Done, Failed, Cancelled };
    TState state = TState::Loading;
    QString failure;
    QEventLoop loop;
    auto end = [&](TState how, const QString& text = QString()) {
        if (state == TState::Done || state == TState::Failed || state == TState::Cancelled)
            return;
        state = how;
        failure = text;
        loop.quit();
    };

    auto page = std::make_unique<TzqNotePage>();
    // Nothing but the note itself is loaded into this page.
    page->SetNavigationCheck([](const QUrl&, bool isMainFrame) { return !isMainFrame; });
    QPointer<QWebEngineDownloadRequest> download;

    QObject::connect(page.get(), &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
        if (state != TState::Loading)
            return;
        if (!ok) {
            end(TState::Failed,
                u"노트를 읽어 들이지 못했습니다:\n%1"_s.arg(QDir::toNativeSeparators(notePath)));
            return;
        }
        state = TState::Saving;
        // The engine accepts the download of its own archive by itself; downloadRequested
        // tells which one it is.
        page->save(rawPath, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    });
    QObject::connect(
        page->profile(), &QWebEngineProfile::downloadRequested, &loop,
        [&](QWebEngineDownloadRequest* request) {
            if (request->page() != page.get() || !request->isSavePageDownload() || download)
                return;
            download = request;
            auto check = [&, request] {
                if (!request->isFinished())
                    return;
                if (request->state() == QWebEngineDownloadRequest::DownloadCompleted &&
                    QFileInfo(rawPath).isFile())
                    end(TState::Done);
                else
                    end(TState::Failed, u"웹 보관 파일을 만들지 못했습니다.\n%1"_s.arg(
                                            request->interruptReasonString()));
            };
            QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, &loop, check);
            if (request->state() == QWebEngineDownloadRequest::DownloadRequested)
                request->accept();
            check();
        });

    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
        end(TState::Failed, u"웹 보관 파일을 만드는 데 시간이 너무 걸려 그만두었습니다."_s);
    });
    timeout.start(FTimeoutMs);

    page->NavigateOwn(NoteUrl(notePath));

    // A quick archive is made without a window, and the user's input waits meanwhile; a slow
    // one shows a progress window whose cancel button ends it.
    QTimer showProgress;
    showProgress.setSingleShot(true);
    QObject::connect(&showProgress, &QTimer::timeout, &loop, [&] { loop.quit(); });
    showProgress.start(FProgressDelayMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    // Owned here; the parent may go first, when its window closes meanwhile.
    QPointer<QProgressDialog> progress;
    if (state == TState::Loading || state == TState::Saving) {
        progress = new QProgressDialog(u"웹 보관 파일(mht)을 만드는 중입니다..."_s, u"취소(&C)"_s,
                                       0, 0, FParent.data());
        progress->setObjectName(QString::fromLatin1(ProgressName));
        progress->setWindowTitle(TzqPrjInfo::TitleText());
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumDuration(0);
        QObject::connect(progress.data(), &QProgressDialog::canceled, &loop,
                         [&] { end(TState::Cancelled); });
        progress->show();
        loop.exec();
    }
    timeout.stop();
    delete progress.data();

    if (state == TState::Loading)
        page->triggerAction(QWebEnginePage::Stop);
    if (download && !download->isFinished()) {
        // The engine writes the archive on a thread of its own; it stops before the private
        // folder goes.
        download->cancel();
        QEventLoop stop;
        QTimer grace;
        grace.setSingleShot(true);
        QObject::connect(&grace, &QTimer::timeout, &stop, &QEventLoop::quit);
        QObject::connect(download.data(), &QWebEngineDownloadRequest::isFinishedChanged, &stop,
                         &QEventLoop::quit);
        grace.start(3000);
        if (download && !download->isFinished())
            stop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    page.reset();

    switch (state) {
    case TState::Done:
        return TResult::Done;
    case TState::Cancelled:
        return TResult::Cancelled;
    default:
        return Fail(failure);
    }
}

bool SaveWebArchive(const QString& notePath, const QString& target, QWidget* parent, QString* error,
                    const QString& tempDir)
{
    TzqWebArchive archive(tempDir, parent);
    const TzqWebArchive::TResult result = archive.Build(notePath, target);
    if (error)
        *error = result == TzqWebArchive::TResult::Failed ? archive.ErrorText() : QString();
    return result == TzqWebArchive::TResult::Done;
}

void MailNote(const QString& notePath, QWidget* parent,
              const std::function<void(const QString& error)>& report, const QString& tempDir)
{
    if (notePath.isEmpty())
        return;
    const QString temp = ProgramTempDir(tempDir);
    const auto show = report;
    if (MailArchiveDir(temp).isEmpty()) {
        show(u"임시 폴더를 만들 수 없습니다:\n%1"_s.arg(QDir::toNativeSeparators(temp)));
        return;
    }
    const QString archivePath = MailArchivePath(notePath, temp);
    TzqWebArchive archive(temp, parent);
    const TzqWebArchive::TResult result = archive.Build(notePath, archivePath);
    if (result == TzqWebArchive::TResult::Failed)
        show(archive.ErrorText());
    if (result != TzqWebArchive::TResult::Done)
        return;
    // The archive stays after the hand-over: the mail program may read it later.
    QString error;
    if (!MailWebArchive(
            archivePath, qApp,
            [show](const QString& text) {
                if (!text.isEmpty())
                    show(text);
            },
            &error))
        show(error);
}
