#include "editor/notecontent.h"

#include "platform/cp949.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/util.h"

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
    return path;
}

bool IsNoteDocument(const QString& path)
{
    return path.endsWith(u".htm", Qt::CaseInsensitive) ||
           path.endsWith(u".zq", Qt::CaseInsensitive);
}

TzqServedFile ServeFile(const QString& path)
{
    TzqServedFile served;
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return served;
    served.Found = true;
    const QByteArray bytes = file.readAll();
    if (IsNoteDocument(path)) {
        // The header's charset wins over the note's own "euc-kr" meta.
        served.MimeType = "text/html;charset=utf-8";
        served.Body = cp949::ToUnicode(bytes).toUtf8();
        return served;
    }
    static const QMimeDatabase mimes;
    served.MimeType = mimes.mimeTypeForFileNameAndData(path, bytes.left(512)).name().toLatin1();
    served.Body = bytes;
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
