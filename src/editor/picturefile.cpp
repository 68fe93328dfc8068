#include "editor/picturefile.h"

#include "editor/insertmarkup.h"
#include "editor/picturedownloader.h"
#include "platform/zqerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype HeadSize = 4096;

bool StartsWith(QByteArrayView data, qsizetype at, QByteArrayView tag)
{
    return data.size() >= at + tag.size() && data.sliced(at, tag.size()) == tag;
}

// The brands of an ISO media file's "ftyp" box: the major one at 8, the compatible ones from
// 16 to the end of the box.
QString SuffixOfBrands(QByteArrayView head)
{
    const QByteArrayView major = head.sliced(8, 4);
    if (major == "avif" || major == "avis")
        return u".avif"_s;
    if (major == "heic" || major == "heix" || major == "hevc" || major == "hevx")
        return u".heic"_s;
    // "mif1" and "msf1" say only "a still picture" or "a sequence": the compatible brands tell
    // AVIF from the other kinds.
    const qsizetype boxEnd =
        std::min(head.size(), qsizetype(quint8(head[0])) << 24 | qsizetype(quint8(head[1])) << 16 |
                                  qsizetype(quint8(head[2])) << 8 | qsizetype(quint8(head[3])));
    for (qsizetype at = 16; at + 4 <= boxEnd; at += 4) {
        const QByteArrayView brand = head.sliced(at, 4);
        if (brand == "avif" || brand == "avis")
            return u".avif"_s;
    }
    return u".heif"_s;
}

} // namespace

QString PictureSuffixOfContent(QByteArrayView head)
{
    // What is a picture at all is decided in one place; here only which kind it is.
    if (!TzqPictureDownloader::LooksLikePicture(head))
        return {};
    if (StartsWith(head, 0, "\x89PNG"))
        return u".png"_s;
    if (StartsWith(head, 0, "\xFF\xD8\xFF"))
        return u".jpg"_s;
    if (StartsWith(head, 0, "GIF8"))
        return u".gif"_s;
    if (StartsWith(head, 0, "BM"))
        return u".bmp"_s;
    if (StartsWith(head, 0, "RIFF"))
        return u".webp"_s;
    if (StartsWith(head, 0, QByteArrayView("\0\0\1\0", 4)))
        return u".ico"_s;
    if (StartsWith(head, 0, QByteArrayView("\0\0\2\0", 4)))
        return u".cur"_s;
    if (StartsWith(head, 4, "ftyp"))
        return SuffixOfBrands(head);
    return u".svg"_s;
}

QString PictureSuffixOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return PictureSuffixOfContent(file.read(HeadSize));
}

TzqChosenPicture CopyChosenPicture(const QString& path, const QString& notePath)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, {}, u"그림 파일을 찾을 수 없습니다: %1"_s.arg(shown)};
    QFile file(path);
    if (info.isFile() && !file.open(QIODevice::ReadOnly))
        return {{}, {}, u"그림 파일을 읽을 수 없습니다: %1 (%2)"_s.arg(shown, file.errorString())};
    if (!info.isFile() || PictureSuffixOfContent(file.read(HeadSize)).isEmpty())
        return {{}, {}, u"그림 파일이 아닙니다: %1"_s.arg(shown)};
    file.close();
    try {
        const QString reference = CopyImageToNoteFolder(path, notePath);
        return {reference, reference.section(u'\\', -1), {}};
    } catch (const EzqError& e) {
        return {{}, {}, u"그림을 노트의 파일 폴더에 복사할 수 없습니다.\n"_s + e.Message()};
    }
}
