#include "editor/notecontent.h"

#include "platform/noteencoding.h"
#include "platform/util.h"
#include "store/notestore.h"
#include "store/pagepath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

using namespace Qt::Literals::StringLiterals;

QUrl NoteUrl(const QString& path)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(NoteScheme));
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

QString NotePathFromUrl(const QUrl& url)
{
    if (url.scheme() != QLatin1StringView(NoteScheme))
        return {};
    QString path = url.path(QUrl::FullyDecoded);
    // Windows-style references inside notes use backslashes.
    path.replace(u'\\', u'/');
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(path.startsWith(u'/') ? path : u'/' + path);
}

namespace {

// The path with every link resolved; empty when it does not exist.
QString Canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

} // namespace

void TzqNoteScope::SetPlaces(const QStringList& folders, const QStringList& files)
{
    FFolders.clear();
    FFiles.clear();
    // Kept as spelled: a folder made later (the temporary folder) and links changed later
    // are resolved at each request.
    for (const QString& folder : folders) {
        if (!folder.isEmpty())
            FFolders.append(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    }
    for (const QString& file : files) {
        if (!file.isEmpty())
            FFiles.append(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    }
}

QString TzqNoteScope::Resolve(const QString& path) const
{
    const QString canonical = Canonical(path);
    if (canonical.isEmpty())
        return {};
    for (const QString& folder : FFolders) {
        const QString real = Canonical(folder);
        if (real == u"/"_s || (!real.isEmpty() && canonical.startsWith(real + u'/')))
            return canonical;
    }
    for (const QString& file : FFiles) {
        if (canonical == Canonical(file))
            return canonical;
    }
    return {};
}

TzqNoteScope& NoteScope()
{
    static TzqNoteScope scope;
    return scope;
}

bool IsNoteDocument(const QString& path)
{
    return path.endsWith(u".htm", Qt::CaseInsensitive) ||
           path.endsWith(u".zq", Qt::CaseInsensitive);
}

TzqServedFile ServeFile(const QString& path, const TzqNoteScope& scope)
{
    TzqServedFile served;
    const QString file = scope.Resolve(path);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return served;
    auto device = std::make_unique<QFile>(file);
    if (!device->open(QIODevice::ReadOnly))
        return served;
    served.Found = true;
    if (IsNoteDocument(file)) {
        // The header's charset wins over the note's own "euc-kr" meta.
        served.MimeType = "text/html;charset=utf-8";
        served.Body = DecodeNote(device->readAll()).toUtf8();
        return served;
    }
    static const QMimeDatabase mimes;
    served.MimeType = mimes.mimeTypeForFileNameAndData(file, device->peek(512)).name().toLatin1();
    served.Device = std::move(device);
    return served;
}

bool PreparePageForLoad(const QString& path, const QList<QByteArray>& folderNoteDefault)
{
    if (QFileInfo::exists(path))
        return true;
    if (ExtractFileName(path) != FolderNoteName)
        return false;
    WritePageLines(path, folderNoteDefault);
    return true;
}
