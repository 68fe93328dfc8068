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
#include <QScopeGuard>
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
    int Id = 0;     // the paste's place in the document is kept under this number
    int Serial = 0; // the edit view's document when the paste was made
    QByteArray Html;
    QString Source;
    QVariant Image;
    QString Text;
    QString NotePath;
};

// The paste under way, waiting for its pictures.
struct TzqPaste::TRun {
    int Id = 0;
    int Serial = 0;
    QString NotePath;
    QString Folder; // full path of the note's file folder
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
    if (!FView->DocumentReady())
        return;
    // Where the paste goes: the selection now, followed through later changes of the document.
    queued->Id = ++FLastId;
    queued->Serial = FView->LoadSerial();
    FView->NotePage()->RunScript(
        u"(function () { var s = window.getSelection(); window.zqPasteRanges ="
        " window.zqPasteRanges || {}; window.zqPasteRanges[%1] = s.rangeCount ?"
        " s.getRangeAt(0).cloneRange() : null; return true; })()"_s.arg(queued->Id));
    FQueue.append(std::shared_ptr<TQueued>(queued.release()));
    Next();
}

void TzqPaste::Next()
{
    while (!FRun && !FQueue.isEmpty()) {
        const std::shared_ptr<TQueued> next = FQueue.takeFirst();
        if (InItsDocument(next->Serial))
            Start(*next);
    }
}

bool TzqPaste::InItsDocument(int serial) const
{
    return FView->DocumentReady() && FView->LoadSerial() == serial;
}

void TzqPaste::Start(const TQueued& queued)
{
    if (!queued.Html.isEmpty())
        PasteHtml(queued);
    else if (queued.Image.isValid())
        PasteImage(queued);
    else
        InsertAt(queued.Id, queued.Text, true);
}

void TzqPaste::PasteHtml(const TQueued& queued)
{
    const QByteArray& html = queued.Html;
    // What a browser offers on any system is read as the header form with its page address.
    const QByteArray wrapped =
        html.startsWith("Version:") ? html : WrapClipboardHtml(html, queued.Source);
    const std::optional<TzqClipboardHtml> parsed = ParseClipboardHtml(wrapped);
    if (!parsed) {
        InsertAt(queued.Id, QString::fromUtf8(html));
        return;
    }
    const QString fragment = QString::fromUtf8(parsed->fragment);
    const QString& notePath = queued.NotePath;
    const QString folder = NoteFileFolder(notePath);
    const QString folderName = QFileInfo(folder).fileName();
    TzqClipboardRewrite rewrite =
        parsed->sourceAddress.isEmpty() || notePath.isEmpty()
            ? TzqClipboardRewrite{}
            : RewriteClipboardHtml(fragment, parsed->sourceAddress, folderName, NamesIn(folder));
    if (!rewrite.rewritten) {
        InsertAt(queued.Id, fragment);
        return;
    }
    if (rewrite.pictures.isEmpty()) {
        InsertAt(queued.Id, rewrite.fragment);
        return;
    }

    auto run = std::make_unique<TRun>();
    run->Id = queued.Id;
    run->Serial = queued.Serial;
    run->NotePath = notePath;
    run->Folder = folder;
    run->Saved = QStringList(rewrite.pictures.size(), QString());
    QList<TzqPictureDownloader::TJob> jobs;
    QStringList added;
    try {
        EnsureFileFolder(notePath);
    } catch (const EzqError&) {
        // No folder, no pictures: the fragment keeps the web addresses.
        InsertAt(queued.Id, SettleClipboardHtml(rewrite, run->Saved));
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
    // While the document is being left there is no waiting for the web.
    if (jobs.isEmpty() || FSettling) {
        InsertAt(queued.Id, SettleClipboardHtml(run->Rewrite, run->Saved));
        return;
    }
    run->Total = int(jobs.size());
    FRun = std::move(run);
    Q_EMIT Progress(0, FRun->Total);
    if (!FDownloader->Start(jobs))
        DownloadsFinished();
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
    if (InItsDocument(run->Serial))
        InsertAt(run->Id, SettleClipboardHtml(run->Rewrite, run->Saved));
    else
        Forget(run->Id);
    Q_EMIT Finished();
    Next();
}

void TzqPaste::InsertAt(int id, const QString& html, bool asText)
{
    if (!FView->DocumentReady())
        return;
    // Pastes still waiting at the same place follow this one: they go after it, in the order
    // they were made.
    TzqNotePage* page = FView->NotePage();
    page->RunScript(u"(function () { var m = window.zqPasteRanges || {}, r = m[%1]; delete m[%1];"
                    " window.zqPasteFollow = []; if (!r) return true;"
                    " for (var k in m) { var q = m[k]; try { if (q && q.collapsed &&"
                    " r.comparePoint(q.startContainer, q.startOffset) === 0)"
                    " window.zqPasteFollow.push(k); } catch (e) {} }"
                    " var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);"
                    " return true; })()"_s.arg(id));
    if (asText)
        FView->InsertText(html);
    else if (!html.isEmpty())
        FView->InsertHtml(html);
    if (!FQueue.isEmpty())
        page->RunScript(
            u"(function () { var m = window.zqPasteRanges || {},"
            " f = window.zqPasteFollow || [], s = window.getSelection();"
            " window.zqPasteFollow = []; if (!f.length || !s.rangeCount) return true;"
            " var c = s.getRangeAt(0); c.collapse(false);"
            " for (var i = 0; i < f.length; ++i) if (f[i] in m) m[f[i]] = c.cloneRange();"
            " return true; })()"_s);
}

void TzqPaste::Forget(int id)
{
    if (FView->DocumentReady())
        FView->NotePage()->RunScript(
            u"(function () { if (window.zqPasteRanges) delete window.zqPasteRanges[%1];"
            " return true; })()"_s.arg(id));
}

void TzqPaste::Cancel()
{
    if (!FRun)
        return;
    const int id = FRun->Id;
    // The downloader ends the run through its Finished signal, which may already start the
    // next paste: that one goes on.
    FDownloader->Cancel();
    if (FRun && FRun->Id == id)
        DownloadsFinished();
}

void TzqPaste::Settle()
{
    if (!Busy())
        return;
    FSettling = true;
    const auto done = qScopeGuard([this] { FSettling = false; });
    Cancel();
    Next();
}

void TzqPaste::PasteImage(const TQueued& queued)
{
    const QString& notePath = queued.NotePath;
    const QImage picture = qvariant_cast<QImage>(queued.Image);
    if (picture.isNull() || notePath.isEmpty()) {
        Forget(queued.Id);
        Q_EMIT Failed(u"클립보드의 그림을 읽을 수 없습니다."_s);
        return;
    }
    QString folder;
    try {
        folder = EnsureFileFolder(notePath);
    } catch (const EzqError& e) {
        Forget(queued.Id);
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
        Forget(queued.Id);
        Q_EMIT Failed(u"화면 그림을 '%1'에 저장할 수 없습니다."_s.arg(folder + name));
        return;
    }
    const QString ref =
        EscapeHtml(QString(QFileInfo(NoteFileFolder(notePath)).fileName() + u'\\' + name));
    InsertAt(queued.Id, u"<a href=\""_s + ref + u"\"><img alt=\""_s + ref + u"\" src=\""_s + ref +
                            u"\" border=\"0\"></a>"_s);
    Q_EMIT FilesAdded(notePath, {name});
}
