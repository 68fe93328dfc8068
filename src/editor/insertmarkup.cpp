#include "editor/insertmarkup.h"

#include "editor/safename.h"

#include "app/zqinifile.h"
#include "app/zqprjinfo.h"
#include "editor/clipboardhtml.h"
#include "platform/cp949.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/notestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QUrl>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

// ---- Time stamp -------------------------------------------------------------------------------

enum class TToken {
    Literal,
    Year4,
    Year2,
    MonthName,
    Month2,
    Month,
    Weekday,
    WeekdayShort,
    Day2,
    Day,
    Hour2,
    Hour,
    Minute2,
    Minute,
    Second2,
    Second,
    Milli3,
    Milli,
    AmPm,
};

struct TPattern {
    QLatin1StringView text;
    TToken token;
};

// Longest first, so "dddd" is not read as "dd" twice.
constexpr std::array Patterns{
    TPattern{"ampm"_L1, TToken::AmPm},
    TPattern{"yyyy"_L1, TToken::Year4},
    TPattern{"yyy"_L1, TToken::Year4},
    TPattern{"yy"_L1, TToken::Year2},
    TPattern{"y"_L1, TToken::Year2},
    TPattern{"mmmm"_L1, TToken::MonthName},
    TPattern{"mmm"_L1, TToken::MonthName},
    TPattern{"mm"_L1, TToken::Month2},
    TPattern{"m"_L1, TToken::Month},
    TPattern{"dddd"_L1, TToken::Weekday},
    TPattern{"ddd"_L1, TToken::WeekdayShort},
    TPattern{"dd"_L1, TToken::Day2},
    TPattern{"d"_L1, TToken::Day},
    TPattern{"hh"_L1, TToken::Hour2},
    TPattern{"h"_L1, TToken::Hour},
    TPattern{"nn"_L1, TToken::Minute2},
    TPattern{"n"_L1, TToken::Minute},
    TPattern{"ss"_L1, TToken::Second2},
    TPattern{"s"_L1, TToken::Second},
    TPattern{"zzz"_L1, TToken::Milli3},
    TPattern{"z"_L1, TToken::Milli},
};

struct TPiece {
    TToken token = TToken::Literal;
    QString text; // for literals
};

QList<TPiece> ParsePattern(const QString& format)
{
    QList<TPiece> pieces;
    const auto literal = [&pieces](QStringView text) {
        if (!pieces.isEmpty() && pieces.back().token == TToken::Literal)
            pieces.back().text += text;
        else
            pieces.append({TToken::Literal, text.toString()});
    };
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype close = format.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            literal(QStringView(format).sliced(i + 1, end - i - 1));
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        bool matched = false;
        for (const TPattern& p : Patterns) {
            if (QStringView(format).sliced(i).startsWith(p.text, Qt::CaseInsensitive)) {
                pieces.append({p.token, {}});
                i += p.text.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            literal(QStringView(format).sliced(i, 1));
            ++i;
        }
    }
    return pieces;
}

QString TwoDigits(int n)
{
    return u"%1"_s.arg(n, 2, 10, QChar(u'0'));
}

// Monday first, as QDate counts.
constexpr std::array<QStringView, 7> Weekdays{u"월요일", u"화요일", u"수요일", u"목요일",
                                              u"금요일", u"토요일", u"일요일"};

// ---- Markup -----------------------------------------------------------------------------------

constexpr QStringView FlashPluginsPage = u"https://www.adobe.com/go/getflashplayer";

bool IsSoundSuffix(const QString& ext)
{
    return ext == u".mp3" || ext == u".asf" || ext == u".wma" || ext == u".wav";
}

// ---- Names ------------------------------------------------------------------------------------

// The longest file name part kept, in UTF-8 bytes; the numbering and the suffix still fit
// within the 255 bytes of a Linux file name.
constexpr qsizetype MaxBaseBytes = 200;
constexpr qsizetype MaxSuffixChars = 32;

// Each `marker` goes with the two characters after it ("%20", "[1]"), as many times as it
// occurs.
void DeleteWithNextTwo(QString& text, QChar marker)
{
    qsizetype at = 0;
    while ((at = text.indexOf(marker, at)) >= 0)
        text.remove(at, 3);
}

struct TNameParts {
    QString base;
    QString suffix; // with its dot, or empty
};

TNameParts SafeNameParts(const QString& wantedName)
{
    const QString name = ExtractFileName(wantedName);
    const qsizetype dot = name.lastIndexOf(u'.');
    TNameParts parts;
    QString base = dot < 0 ? name : name.first(dot);
    QString suffix = dot < 0 ? QString() : name.sliced(dot + 1);

    for (const QChar marker : {u'%', u'[', u']'})
        DeleteWithNextTwo(base, marker);
    base = SafeNamePart(base);
    // No hidden names and no "..": leading dots become "_". Trailing dots and blanks go, as a
    // shared folder on Windows would drop them.
    for (qsizetype i = 0; i < base.size() && base[i] == u'.'; ++i)
        base[i] = u'_';
    while (!base.isEmpty() && (base.back() == u'.' || base.back() == u' '))
        base.chop(1);
    base = CutToUtf8Bytes(base, MaxBaseBytes);
    if (base.isEmpty())
        base = u"zqzq"_s;

    suffix = SafeNamePart(suffix);
    while (!suffix.isEmpty() && (suffix.back() == u'.' || suffix.back() == u' '))
        suffix.chop(1);
    if (suffix.size() > MaxSuffixChars)
        suffix.clear();
    parts.base = base;
    parts.suffix = suffix.isEmpty() ? QString() : u'.' + suffix;
    return parts;
}

QString Numbered(const TNameParts& parts, int k)
{
    if (k == 0)
        return parts.base + parts.suffix;
    return parts.base + u"%1"_s.arg(k, 2, 10, QChar(u'0')) + parts.suffix;
}

// The names in a folder, letter case aside: a shared folder may not tell case apart.
QSet<QString> FolderNames(const QString& folder)
{
    QSet<QString> names;
    const QDir dir(folder);
    for (const QString& n :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        names.insert(n.toCaseFolded());
    return names;
}

QString UniqueName(const QSet<QString>& taken, const TNameParts& parts)
{
    for (int k = 0;; ++k) {
        const QString name = Numbered(parts, k);
        if (!taken.contains(name.toCaseFolded()))
            return name;
    }
}

[[noreturn]] void CopyFailed(const QString& path, const QString& reason)
{
    throw EzqError(
        u"파일을 복사할 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

// ---- Time stamp -------------------------------------------------------------------------------

QString FormatDateTime(const QString& format, const QDateTime& when)
{
    const QList<TPiece> pieces = ParsePattern(format);
    bool twelveHours = false;
    for (const TPiece& p : pieces)
        twelveHours = twelveHours || p.token == TToken::AmPm;

    const QDate date = when.date();
    const QTime time = when.time();
    int hour = time.hour();
    if (twelveHours) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    QString out;
    for (const TPiece& p : pieces) {
        switch (p.token) {
        case TToken::Literal:
            out += p.text;
            break;
        case TToken::Year4:
            out += u"%1"_s.arg(date.year(), 4, 10, QChar(u'0'));
            break;
        case TToken::Year2:
            out += TwoDigits(date.year() % 100);
            break;
        case TToken::MonthName:
            out += QString::number(date.month()) + u"월"_s;
            break;
        case TToken::Month2:
            out += TwoDigits(date.month());
            break;
        case TToken::Month:
            out += QString::number(date.month());
            break;
        case TToken::Weekday:
            out += Weekdays[date.dayOfWeek() - 1];
            break;
        case TToken::WeekdayShort:
            out += Weekdays[date.dayOfWeek() - 1].first(1);
            break;
        case TToken::Day2:
            out += TwoDigits(date.day());
            break;
        case TToken::Day:
            out += QString::number(date.day());
            break;
        case TToken::Hour2:
            out += TwoDigits(hour);
            break;
        case TToken::Hour:
            out += QString::number(hour);
            break;
        case TToken::Minute2:
            out += TwoDigits(time.minute());
            break;
        case TToken::Minute:
            out += QString::number(time.minute());
            break;
        case TToken::Second2:
            out += TwoDigits(time.second());
            break;
        case TToken::Second:
            out += QString::number(time.second());
            break;
        case TToken::Milli3:
            out += u"%1"_s.arg(time.msec(), 3, 10, QChar(u'0'));
            break;
        case TToken::Milli:
            out += QString::number(time.msec());
            break;
        case TToken::AmPm:
            out += time.hour() < 12 ? u"오전"_s : u"오후"_s;
            break;
        }
    }
    return out;
}

// ---- Markup -----------------------------------------------------------------------------------

QString ReferenceFileName(const QString& reference)
{
    if (reference.startsWith(u"file:"_s, Qt::CaseInsensitive)) {
        const QUrl url(reference);
        if (url.isValid() && url.isLocalFile())
            return url.fileName(QUrl::FullyDecoded);
    }
    return ExtractFileName(reference);
}

QString LocalFileReference(const QString& path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded));
}

QString FileFolderReference(const QString& fileFolder, const QString& fileName)
{
    return ExtractFileName(StripTrailingSeparator(fileFolder)) + u'\\' + fileName;
}

QString FileLinkMarkup(const QString& reference)
{
    const QString name = ReferenceFileName(reference);
    const QString ext = ExtractFileExt(name).toLower();
    const QString r = EscapeHtml(reference);
    if (ext == u".swf")
        return u"<embed src=\""_s + r + u"\" pluginspage=\""_s + FlashPluginsPage +
               u"\" type=\"application/x-shockwave-flash\" width=\"450\" height=\"300\" "
               u"quality=\"high\"></embed>"_s;
    if (IsSoundSuffix(ext))
        return u"<a href=\""_s + r + u"\">"_s + EscapeHtml(FileBaseName(name)) +
               u"</a><br><EMBED style=\"WIDTH: 300px; HEIGHT: 45px;\" src=\""_s + r +
               u"\" type=\"text/plain; charset=EUC-KR\" AllowScriptAccess =\"never\" "
               u"autostart =\"false\" invokeURLs=\"false\"><br>"_s;
    return u"<a href=\""_s + r + u"\">"_s + EscapeHtml(name) + u"</a> "_s;
}

QString PictureLinkMarkup(const QString& reference, int alignment)
{
    const QString r = EscapeHtml(reference);
    const QString head =
        u"<a href=\""_s + r + u"\"><img alt=\""_s + r + u"\" src=\""_s + r + u"\" border=\"0\""_s;
    switch (alignment) {
    case 1:
        return head + u" align=\"left\"></a><br>"_s;
    case 2:
        return head + u" align=\"right\"></a>"_s;
    default:
        return head + u"></a>"_s;
    }
}

QString LinkMarkup(const QString& address, const QString& text)
{
    const QString shown = text.isEmpty() ? address : text;
    return u"<a href=\""_s + EscapeHtml(address) + u"\">"_s + EscapeHtml(shown) + u"</a>"_s;
}

// ---- Snippets ---------------------------------------------------------------------------------

QStringList SnippetCaptions(const TzqIniFile& ini)
{
    return ini.ReadSection(SnippetSection);
}

QString SnippetHtml(const TzqIniFile& ini, const QString& caption)
{
    if (caption.isEmpty())
        return {};
    return ini.ReadString(SnippetSection, caption);
}

QString SnippetSlotHtml(const TzqIniFile& ini, int n)
{
    if (n < 1 || n > SnippetSlotCount)
        return {};
    const QStringList captions = SnippetCaptions(ini);
    return n <= captions.size() ? SnippetHtml(ini, captions[n - 1]) : QString();
}

// ---- Layers -----------------------------------------------------------------------------------

TzqLayerOptions ReadLayerOptions(const TzqIniFile& ini)
{
    TzqLayerOptions o;
    o.Border = ini.ReadBool(ProgramSection, u"LBC"_s, true);
    o.Fill = ini.ReadBool(ProgramSection, u"LFC"_s, true);
    o.BorderWidth = std::clamp(ini.ReadInteger(ProgramSection, u"LBW"_s, 1), LayerBorderWidthMin,
                               LayerBorderWidthMax);
    o.Margin =
        std::clamp(ini.ReadInteger(ProgramSection, u"LMW"_s, 1), LayerMarginMin, LayerMarginMax);
    return o;
}

void WriteLayerOptions(TzqIniFile& ini, const TzqLayerOptions& options)
{
    ini.WriteBool(ProgramSection, u"LBC"_s, options.Border);
    ini.WriteBool(ProgramSection, u"LFC"_s, options.Fill);
    ini.WriteInteger(ProgramSection, u"LBW"_s, options.BorderWidth);
    ini.WriteInteger(ProgramSection, u"LMW"_s, options.Margin);
}

QString ColorToHex(quint32 rgb)
{
    return u"%1"_s.arg(rgb & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
}

QString LayerMarkup(const TzqLayerOptions& options)
{
    const QString open = u"<div style=\"position:absolute; width:200px; z-index:100\">"_s;
    const QString prompt = u"<div>더블클릭으로 내용 입력</div>"_s;
    if (!options.Border && !options.Fill)
        return open + prompt + u"</div>"_s;
    QString t =
        u"<TABLE WIDTH=\"100%\" border=0 cellPadding=%1 cellSpacing=%2"_s.arg(options.Margin)
            .arg(options.BorderWidth);
    if (options.Border)
        t = u" "_s + t + u" bgColor=#"_s + ColorToHex(options.BorderColor) + u">"_s;
    else
        t += u">"_s;
    if (options.Fill)
        t += u"<TR><TD valign=\"top\" bgColor=#"_s + ColorToHex(options.FillColor) + u">"_s;
    else
        t += u"<TR><TD valign=\"top\">"_s;
    return open + t + prompt + u"</TD></TR></TABLE></div>"_s;
}

// ---- Copies into a file folder ----------------------------------------------------------------

QString SafeFileName(const QString& wantedName)
{
    const TNameParts parts = SafeNameParts(wantedName);
    return parts.base + parts.suffix;
}

QString UniqueNameInFolder(const QString& folder, const QString& wantedName)
{
    return UniqueName(FolderNames(folder), SafeNameParts(wantedName));
}

QString CopyIntoFileFolder(const QString& source, const QString& fileFolder)
{
    const QFileInfo info(source);
    if (!info.isFile())
        CopyFailed(source, u"파일이 없습니다"_s);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        CopyFailed(source, in.errorString());
    if (!QDir().mkpath(fileFolder))
        throw EzqError(u"폴더를 만들 수 없습니다: %1"_s.arg(QDir::toNativeSeparators(fileFolder)));

    const QString folder = StripTrailingSeparator(fileFolder);
    // The bytes go to a hidden file beside the target first, so a failed copy never leaves a
    // part of a file under a name the note could refer to.
    QTemporaryFile temp(folder + u"/.zqcopy-XXXXXX"_s);
    if (!temp.open())
        CopyFailed(folder, temp.errorString());
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            CopyFailed(source, in.errorString());
        if (n == 0)
            break;
        if (temp.write(buffer.constData(), n) != n)
            CopyFailed(temp.fileName(), temp.errorString());
    }
    if (!temp.flush())
        CopyFailed(temp.fileName(), temp.errorString());
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    const QString tempPath = temp.fileName();
    temp.close();

    const TNameParts parts = SafeNameParts(info.fileName());
    QSet<QString> taken = FolderNames(folder);
    // The rename never replaces a file: when another file took the name meanwhile, the next
    // free name is tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = UniqueName(taken, parts);
        const QString target = folder + u'/' + name;
        if (QFile::rename(tempPath, target)) {
            temp.setAutoRemove(false);
            return name;
        }
        if (!QFileInfo::exists(target))
            CopyFailed(target, u"이름을 바꿀 수 없습니다"_s);
        taken.insert(name.toCaseFolded());
    }
    CopyFailed(folder, u"빈 이름이 없습니다"_s);
}

QString CopyImageToNoteFolder(const QString& source, const QString& page)
{
    if (!QFileInfo(source).isFile())
        return source;
    const QString folder = EnsureFileFolder(page);
    return FileFolderReference(folder, CopyIntoFileFolder(source, folder));
}
