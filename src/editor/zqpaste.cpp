#include "editor/zqpaste.h"

#include "editor/picturedownloader.h"
#include "editor/picturefile.h"
#include "editor/zqnotepage.h"
#include "editor/zqwebeditview.h"
#include "platform/zqerror.h"
#include "store/notestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QSaveFile>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// The suffix a picture's first bytes call for; none for a type the program does not know.
QString SuffixOfContent(const QString& path)
{
    return PictureSuffixOfFile(path);
}

// Copies a picture of a page on this computer into the file folder; false when it cannot.
bool CopyPicture(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target))
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly) || !TzqPictureDownloader::LooksLikePicture(in.peek(64)))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[65536];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            return false;
    }
    return out.commit();
}

QSet<QString> NamesIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return {names.cbegin(), names.cend()};
}

} // namespace

// What was on the clipboard, kept until the paste before it is over.
struct TzqPaste::TQueued {
    QByteArray Html;
    QString Source;
    QVariant Image;
    QString Text;
    QString NotePath;
};

// The paste under way.
struct TzqPaste::TRun {
    QString NotePath;
    QString Folder; // full path of the note's file folder
    int Serial = 0; // the edit view's document when the paste began
    TzqClipboardRewrite Rewrite;
    QStringList Saved;     // per picture: the file name it was saved under, or empty
    QList<int> JobPicture; // per download: its picture
    int Done = 0;
    int Total = 0;
};

TzqPaste::TzqPaste(TzqWebEditView* view, QObject* parent)
    : QObject(parent), FView(view), FDownloader(new TzqPictureDownloader(this))
{
    connect(FDownloader, &TzqPictureDownloader::PictureDone, this,
            [this](int index, int result, const QString&) { PictureDone(index, result); });
    connect(FDownloader, &TzqPictureDownloader::Finished, this, &TzqPaste::DownloadsFinished);
}

TzqPaste::~TzqPaste() = default;

void TzqPaste::Paste(const QMimeData* data, const QString& notePath)
{
    if (!data)
        return;
    auto queued = std::make_unique<TQueued>();
    queued->NotePath = notePath;
    if (data->hasHtml()) {
        queued->Html = data->html().toUtf8();
        queued->Source = SourceAddressFromMime(data->data(u"chromium/x-source-url"_s),
                                               data->data(u"text/x-moz-url-priv"_s));
    } else if (data->hasImage() && !data->hasText()) {
        queued->Image = data->imageData();
    } else if (data->hasText()) {
        queued->Text = data->text();
    } else {
        return;
    }
    Enqueue(std::move(queued));
}

void TzqPaste::PasteFragment(const QString& html, const QString& source, const QString& notePath)
{
    auto queued = std::make_unique<TQueued>();
    queued->Html = html.toUtf8();
    queued->Source = source;
    queued->NotePath = notePath;
    Enqueue(std::move(queued));
}

void TzqPaste::Enqueue(std::unique_ptr<TQueued> queued)
{
    if (FRun) {
        FQueue.append(std::shared_ptr<TQueued>(queued.release()));
        return;
    }
    Start(std::move(queued));
}

void TzqPaste::Start(std::unique_ptr<TQueued> queued)
{
    if (!FView->DocumentReady())
        return;
    // Where the paste goes: the selection now, followed through later changes of the document.
    FView->NotePage()->RunScript(
        u"window.zqPasteRange = window.getSelection().rangeCount ?"
        " window.getSelection().getRangeAt(0).cloneRange() : null; true"_s);
    if (!queued->Html.isEmpty())
        PasteHtml(queued->Html, queued->Source, queued->NotePath);
    else if (queued->Image.isValid())
        PasteImage(queued->Image, queued->NotePath);
    else
        FView->InsertText(queued->Text);
    if (!FRun)
        Next();
}

void TzqPaste::PasteHtml(const QByteArray& html, const QString& source, const QString& notePath)
{
    // What a browser offers on any system is read as the header form with its page address.
    const QByteArray wrapped = html.startsWith("Version:") ? html : WrapClipboardHtml(html, source);
    const std::optional<TzqClipboardHtml> parsed = ParseClipboardHtml(wrapped);
    if (!parsed) {
        FView->InsertHtml(QString::fromUtf8(html));
        return;
    }
    const QString fragment = QString::fromUtf8(parsed->fragment);
    const QString folder = NoteFileFolder(notePath);
    const QString folderName = QFileInfo(folder).fileName();
    TzqClipboardRewrite rewrite =
        parsed->sourceAddress.isEmpty() || notePath.isEmpty()
            ? TzqClipboardRewrite{}
            : RewriteClipboardHtml(fragment, parsed->sourceAddress, folderName, NamesIn(folder));
    if (!rewrite.rewritten) {
        FView->InsertHtml(fragment);
        return;
    }
    if (rewrite.pictures.isEmpty()) {
        FView->InsertHtml(rewrite.fragment);
        return;
    }

    auto run = std::make_unique<TRun>();
    run->NotePath = notePath;
    run->Folder = folder;
    run->Serial = FView->LoadSerial();
    run->Saved = QStringList(rewrite.pictures.size(), QString());
    QList<TzqPictureDownloader::TJob> jobs;
    QStringList added;
    try {
        EnsureFileFolder(notePath);
    } catch (const EzqError&) {
        // No folder, no pictures: the fragment keeps the web addresses.
        FView->InsertHtml(SettleClipboardHtml(rewrite, run->Saved));
        return;
    }
    for (int i = 0; i < rewrite.pictures.size(); ++i) {
        const TzqPictureFetch& p = rewrite.pictures.at(i);
        if (p.copy) {
            const QString local = QUrl(p.address).toLocalFile();
            const QString name =
                p.typeByContent ? PictureFileName(p, SuffixOfContent(local)) : p.name;
            if (CopyPicture(local, folder + u'/' + name)) {
                run->Saved[i] = name;
                added.append(name);
            }
            continue;
        }
        jobs.append({QUrl(p.address), folder + u'/' + p.name, QUrl(parsed->sourceAddress)});
        run->JobPicture.append(i);
    }
    run->Rewrite = std::move(rewrite);
    if (!added.isEmpty())
        Q_EMIT FilesAdded(notePath, added);
    if (jobs.isEmpty()) {
        FView->InsertHtml(SettleClipboardHtml(run->Rewrite, run->Saved));
        return;
    }
    run->Total = int(jobs.size());
    FRun = std::move(run);
    Q_EMIT Progress(0, FRun->Total);
    FDownloader->Start(jobs);
}

void TzqPaste::PictureDone(int index, int result)
{
    if (!FRun || index < 0 || index >= FRun->JobPicture.size())
        return;
    ++FRun->Done;
    Q_EMIT Progress(FRun->Done, FRun->Total);
    if (result != zqDlOk)
        return;
    const int picture = FRun->JobPicture.at(index);
    const TzqPictureFetch& p = FRun->Rewrite.pictures.at(picture);
    QString name = p.name;
    if (p.typeByContent) {
        // Its type is known only now: the name gets the suffix the content calls for.
        const QString saved = FRun->Folder + u'/' + p.name;
        const QString named = PictureFileName(p, SuffixOfContent(saved));
        if (QFile::rename(saved, FRun->Folder + u'/' + named))
            name = named;
    }
    FRun->Saved[picture] = name;
    Q_EMIT FilesAdded(FRun->NotePath, {name});
}

void TzqPaste::DownloadsFinished()
{
    if (!FRun)
        return;
    const std::unique_ptr<TRun> run = std::move(FRun);
    if (FView->DocumentReady() && FView->LoadSerial() == run->Serial)
        InsertAtStart(SettleClipboardHtml(run->Rewrite, run->Saved));
    Q_EMIT Finished();
    Next();
}

void TzqPaste::InsertAtStart(const QString& html)
{
    FView->NotePage()->RunScript(u"(function () { var r = window.zqPasteRange;"
                                 " if (!r) return true;"
                                 " var s = window.getSelection(); s.removeAllRanges();"
                                 " s.addRange(r); return true; })()"_s);
    FView->InsertHtml(html);
}

void TzqPaste::Cancel()
{
    if (FRun)
        FDownloader->Cancel();
    // The downloader tells nothing after a cancel: what was saved goes in now.
    DownloadsFinished();
}

void TzqPaste::Next()
{
    if (FRun || FQueue.isEmpty())
        return;
    const std::shared_ptr<TQueued> next = FQueue.takeFirst();
    Start(std::make_unique<TQueued>(*next));
}

void TzqPaste::PasteImage(const QVariant& image, const QString& notePath)
{
    const QImage picture = qvariant_cast<QImage>(image);
    if (picture.isNull() || notePath.isEmpty()) {
        Q_EMIT Failed(u"클립보드의 그림을 읽을 수 없습니다."_s);
        return;
    }
    QString folder;
    try {
        folder = EnsureFileFolder(notePath);
    } catch (const EzqError& e) {
        Q_EMIT Failed(e.Message());
        return;
    }
    const QSet<QString> present = NamesIn(folder);
    QString name = u"capture.png"_s;
    for (int n = 1; present.contains(name) || QFileInfo::exists(folder + name); ++n)
        name = u"capture%1.png"_s.arg(n, 2, 10, QChar(u'0'));
    QSaveFile file(folder + name);
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(picture) || !file.commit()) {
        Q_EMIT Failed(u"화면 그림을 '%1'에 저장할 수 없습니다."_s.arg(folder + name));
        return;
    }
    const QString ref =
        EscapeHtml(QString(QFileInfo(NoteFileFolder(notePath)).fileName() + u'\\' + name));
    FView->InsertHtml(u"<a href=\""_s + ref + u"\"><img alt=\""_s + ref + u"\" src=\""_s + ref +
                      u"\" border=\"0\"></a>"_s);
    Q_EMIT FilesAdded(notePath, {name});
}
