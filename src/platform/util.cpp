#include "platform/util.h"

#include "platform/zqerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

// Index of the last separator or drive colon, or -1.
qsizetype LastDelimiter(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (IsPathSeparator(c) || (c == u':' && i == 1))
            return i;
    }
    return -1;
}

} // namespace

QString ExtractFileName(const QString& path)
{
    return path.mid(LastDelimiter(path) + 1);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(LastDelimiter(path) + 1);
}

QString ExtractFileExt(const QString& path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString FileBaseName(const QString& path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString StripTrailingSeparator(const QString& path)
{
    if (!path.isEmpty() && (IsPathSeparator(path.back()) || path.back() == u':'))
        return path.chopped(1);
    return path;
}

QString ShortenPathToWidth(const QString& path, const std::function<int(const QString&)>& widthOf,
                           int maxWidth)
{
    if (path.isEmpty())
        return {};
    const QString p = StripTrailingSeparator(path);
    if (widthOf(p) < maxWidth)
        return p;

    // The ellipsis takes the separator the path itself is written with.
    const QChar sep = p.contains(u'\\') || !p.contains(u'/') ? u'\\' : u'/';
    const QString ellipsis = sep + u"..."_s + sep;
    const QString name = ExtractFileName(p);
    QString head =
        StripTrailingSeparator(ExtractFilePath(StripTrailingSeparator(ExtractFilePath(p))));
    while (!head.isEmpty()) {
        const QString candidate = head + ellipsis + name;
        if (widthOf(candidate) < maxWidth)
            return candidate;
        head = StripTrailingSeparator(ExtractFilePath(head));
    }
    return name;
}

qsizetype PosFrom(const QString& sub, const QString& text, qsizetype start)
{
    if (text.isEmpty())
        return 0;
    if (start < 1)
        start = 1;
    if (sub.isEmpty())
        return start;
    if (start - 1 + sub.size() > text.size())
        return 0;
    return text.indexOf(sub, start - 1, Qt::CaseSensitive) + 1;
}

int DetectImageType(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return zqImageNone;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EzqError(u"파일을 읽을 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path),
                                                                 file.errorString()));
    const QByteArray head = file.read(512).toUpper();
    // 1-based positions: bytes first..first+tag.size()-1 equal tag.
    const auto at = [&head](qsizetype first, QByteArrayView tag) {
        return head.size() >= first - 1 + tag.size() && head.sliced(first - 1, tag.size()) == tag;
    };
    for (const char* tag : {"BM", "BA", "CI", "CP", "IC", "PT"}) {
        if (at(1, tag))
            return zqImageBmp;
    }
    if (at(1, "GIF"))
        return zqImageGif;
    if (at(7, "JFIF"))
        return zqImageJpeg;
    if (at(2, "PNG"))
        return zqImagePng;
    if (at(7, "EXIF"))
        return zqImageJpeg;
    return zqImageNone;
}

bool CopyFileContents(const QString& source, const QString& target)
{
    const auto fail = [](const QString& path, const QString& reason) {
        return EzqError(
            u"파일을 복사할 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path), reason));
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw fail(source, in.errorString());
    QSaveFile out(target);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        throw fail(target, out.errorString());
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            throw fail(source, in.errorString());
        }
        if (out.write(buffer) != buffer.size()) {
            const QString reason = out.errorString();
            out.cancelWriting();
            throw fail(target, reason);
        }
    }
    if (!out.commit())
        throw fail(target, out.errorString());
    return true;
}

qint64 FileLastWriteTime(const QString& path)
{
    namespace fs = std::filesystem;
    using namespace std::chrono;
#ifdef Q_OS_WIN
    const fs::path fsPath(path.toStdWString());
#else
    const fs::path fsPath(QFile::encodeName(path).toStdString());
#endif
    std::error_code error;
    const fs::file_time_type stamp = fs::last_write_time(fsPath, error);
    if (error || path.isEmpty())
        return 0;
    // 1601-01-01 lies 11644473600 seconds before the Unix epoch.
    const auto sinceUnix = duration_cast<nanoseconds>(file_clock::to_sys(stamp).time_since_epoch());
    return sinceUnix.count() / 100 + Q_INT64_C(116444736000000000);
}

QString ComputerNameOrDefault()
{
    QString name = QSysInfo::machineHostName().left(15);
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    return name.isEmpty() ? u"No Name"_s : name;
}

namespace {

// One channel of the HSL to RGB conversion, 0 to 255, halves rounded to even.
int HueChannel(double p, double q, double x)
{
    if (x < 0)
        x += 1;
    else if (x > 1)
        x -= 1;
    double v;
    if (6 * x < 1)
        v = p + (q - p) * 6 * x;
    else if (2 * x < 1)
        v = q;
    else if (3 * x < 2)
        v = p + (q - p) * (2.0 / 3.0 - x) * 6;
    else
        v = p;
    return static_cast<int>(std::nearbyint(v * 255));
}

} // namespace

quint32 HueShiftRgb(quint32 argb, int shift)
{
    const double r = ((argb >> 16) & 0xFF) / 255.0;
    const double g = ((argb >> 8) & 0xFF) / 255.0;
    const double b = (argb & 0xFF) / 255.0;
    const double mx = std::max({r, g, b});
    const double mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    const quint32 alpha = argb & 0xFF000000u;
    if (mx == mn) {
        const quint32 v = static_cast<quint32>(std::nearbyint(l * 255));
        return alpha | (v << 16) | (v << 8) | v;
    }
    const double d = mx - mn;
    const double s = l >= 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    double h;
    if (mx == r)
        h = (g - b) / d;
    else if (mx == g)
        h = 2 + (b - r) / d;
    else
        h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0)
        h += 1;
    h += shift / 240.0;
    // The channels below wrap their argument only once, which is enough for hues from -2/3 to
    // 5/3; a larger shift is first brought back onto the circle.
    if (h < -2.0 / 3.0 || h > 5.0 / 3.0)
        h -= std::floor(h);
    const double q = l > 0.5 ? l + s - l * s : l * (1 + s);
    const double p = 2 * l - q;
    const quint32 nr = HueChannel(p, q, h + 1.0 / 3.0);
    const quint32 ng = HueChannel(p, q, h);
    const quint32 nb = HueChannel(p, q, h - 1.0 / 3.0);
    return alpha | (nr << 16) | (ng << 8) | nb;
}
