#include "editor/clipboardhtml.h"

#include "editor/safename.h"

#include "platform/cp949.h"

#include <QHash>
#include <QUrl>
#include <QVarLengthArray>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype HeaderLength = 144;
constexpr int MaxHeaderDigits = 18;
// Bytes of UTF-8 a name's base may take, leaving room for a number and a suffix below the
// 255 bytes of a file name.
constexpr qsizetype MaxBaseBytes = 120;

const QLatin1StringView PictureSuffixes[] = {".bmp"_L1, ".gif"_L1, ".png"_L1, ".jpg"_L1};

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// ---- Header form ----------------------------------------------------------------------------

struct THeaderValues {
    QHash<QByteArray, QByteArray> values;
};

// The "Key:value" lines at the front of the data, up to the first line that is not one.
THeaderValues ReadHeader(QByteArrayView data)
{
    THeaderValues header;
    qsizetype at = 0;
    while (at < data.size()) {
        qsizetype end = at;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        const QByteArrayView line = data.sliced(at, end - at);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            break;
        bool keyOk = true;
        for (qsizetype i = 0; i < colon && keyOk; ++i) {
            const char c = line[i];
            keyOk = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        }
        if (!keyOk)
            break;
        const QByteArray key = line.first(colon).toByteArray();
        if (!header.values.contains(key))
            header.values.insert(key, line.sliced(colon + 1).trimmed().toByteArray());
        at = end;
        if (at < data.size() && data[at] == '\r')
            ++at;
        if (at < data.size() && data[at] == '\n')
            ++at;
    }
    return header;
}

enum class TNumber { Absent, Bad, Good };

TNumber HeaderNumber(const THeaderValues& header, const char* key, qsizetype size, qsizetype* out)
{
    const auto it = header.values.constFind(QByteArray(key));
    if (it == header.values.constEnd())
        return TNumber::Absent;
    const QByteArray& digits = *it;
    if (digits.isEmpty() || digits.size() > MaxHeaderDigits)
        return TNumber::Bad;
    qint64 n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return TNumber::Bad;
        n = n * 10 + (c - '0');
    }
    if (n > size)
        return TNumber::Bad;
    *out = n;
    return TNumber::Good;
}

// ---- Names ----------------------------------------------------------------------------------

struct TNameParts {
    QString base;
    QString suffix; // a picture suffix, lower case, or empty
};

// Base and picture suffix of an address's last path segment; nothing when the path ends in
// "/" (a page, not a file).
std::optional<TNameParts> NamePartsOfAddress(const QUrl& url)
{
    const QString segment = url.fileName(QUrl::FullyDecoded);
    if (segment.isEmpty())
        return std::nullopt;
    const qsizetype dot = segment.lastIndexOf(u'.');
    QString base = dot < 0 ? segment : segment.first(dot);
    QString ext = dot < 0 ? QString() : segment.sliced(dot);
    TNameParts parts;
    QString cleanExt;
    for (const QChar c : ext)
        if (!IsStrippedNameChar(c))
            cleanExt += c;
    cleanExt = cleanExt.toLower();
    for (const QLatin1StringView s : PictureSuffixes)
        if (cleanExt == s)
            parts.suffix = cleanExt;
    base = SafeNamePart(base);
    // No hidden files, and nothing Windows would trim on a shared folder.
    for (qsizetype i = 0; i < base.size() && base[i] == u'.'; ++i)
        base[i] = u'_';
    while (!base.isEmpty() && (base.back() == u'.' || base.back() == u' '))
        base.chop(1);
    base = CutToUtf8Bytes(base, MaxBaseBytes);
    if (base.isEmpty())
        base = u"zqzq"_s;
    parts.base = base;
    return parts;
}

QString Numbered(const QString& base, int k, QStringView suffix)
{
    if (k == 0)
        return base + suffix;
    return base + u"%1"_s.arg(k, 2, 10, QChar(u'0')) + suffix;
}

// Names reserved in document order against those in the folder, letter case aside.
class TNameBook {
public:
    explicit TNameBook(const QSet<QString>& present)
    {
        for (const QString& n : present)
            FTaken.insert(n.toCaseFolded());
    }

    QString Reserve(const TNameParts& parts)
    {
        // Numbers below the last one given for this name are all taken already.
        int& next = FNext[parts.base.toCaseFolded() + u'/' + parts.suffix];
        for (int k = next;; ++k) {
            const QString name = Numbered(parts.base, k, parts.suffix);
            QStringList all{name};
            if (parts.suffix.isEmpty())
                for (const QLatin1StringView s : PictureSuffixes)
                    all += name + s;
            if (Take(all)) {
                next = k + 1;
                return name;
            }
        }
    }

private:
    bool Take(const QStringList& names)
    {
        for (const QString& n : names)
            if (FTaken.contains(n.toCaseFolded()))
                return false;
        for (const QString& n : names)
            FTaken.insert(n.toCaseFolded());
        return true;
    }

    QSet<QString> FTaken;
    QHash<QString, int> FNext;
};

// ---- Addresses ------------------------------------------------------------------------------

bool HasScheme(QStringView ref)
{
    if (ref.isEmpty() || !IsAsciiLetter(ref[0]))
        return false;
    for (qsizetype i = 1; i < ref.size(); ++i) {
        const QChar c = ref[i];
        if (c == u':')
            return true;
        if (!(IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return false;
}

QString DecodeEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out += text[i];
            continue;
        }
        const qsizetype semi = text.indexOf(u';', i + 1);
        if (semi < 0 || semi - i > 10) {
            out += text[i];
            continue;
        }
        const QStringView name = text.sliced(i + 1, semi - i - 1);
        char32_t code = 0;
        if (name == u"amp")
            code = u'&';
        else if (name == u"lt")
            code = u'<';
        else if (name == u"gt")
            code = u'>';
        else if (name == u"quot")
            code = u'"';
        else if (name == u"apos")
            code = u'\'';
        else if (name.startsWith(u'#') && name.size() > 1) {
            bool ok = false;
            const uint n = (name[1] == u'x' || name[1] == u'X') ? name.sliced(2).toUInt(&ok, 16)
                                                                : name.sliced(1).toUInt(&ok, 10);
            if (ok && n > 0 && n <= 0x10FFFF && !QChar::isSurrogate(n))
                code = n;
        }
        if (code == 0) {
            out += text[i];
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi;
    }
    return out;
}

bool UsableBase(const QUrl& base)
{
    if (!base.isValid() || base.isRelative())
        return false;
    const QString scheme = base.scheme();
    if (scheme == u"file")
        return true;
    return !base.host().isEmpty();
}

// A reference as written in an attribute, resolved. `changed` is false for an address with a
// scheme of its own, an empty one or one within the page ("#top"): those are left as written.
struct TResolved {
    bool changed = false;
    QUrl url;
};

TResolved Resolve(const QUrl& base, QStringView raw)
{
    const QString ref = DecodeEntities(raw).trimmed();
    TResolved r;
    if (ref.isEmpty() || ref.startsWith(u'#'))
        return r;
    if (HasScheme(ref)) {
        r.url = QUrl(ref);
        return r;
    }
    r.url = base.resolved(QUrl(ref));
    r.changed = r.url.isValid();
    return r;
}

// ---- Tags -----------------------------------------------------------------------------------

struct TAttr {
    qsizetype nameStart = 0, nameEnd = 0;
    qsizetype valueStart = 0, valueEnd = 0; // inside any quotes
    qsizetype rawEnd = 0;                   // after the closing quote
    bool hasValue = false;
};

struct TTag {
    qsizetype start = 0, end = 0; // end: after ">"
    QStringView name;
    QVarLengthArray<TAttr, 12> attrs;
};

// The tag opening at `at` ("<" and a letter). False when it does not close before the end.
bool ParseTag(QStringView s, qsizetype at, TTag& tag)
{
    tag.start = at;
    tag.attrs.clear();
    qsizetype i = at + 1;
    while (i < s.size() && !IsHtmlSpace(s[i]) && s[i] != u'>' && s[i] != u'/')
        ++i;
    tag.name = s.sliced(at + 1, i - at - 1);
    for (;;) {
        while (i < s.size() && (IsHtmlSpace(s[i]) || s[i] == u'/'))
            ++i;
        if (i >= s.size())
            return false;
        if (s[i] == u'>') {
            tag.end = i + 1;
            return true;
        }
        TAttr a;
        a.nameStart = i;
        while (i < s.size() && !IsHtmlSpace(s[i]) && s[i] != u'>' && s[i] != u'=' && s[i] != u'/')
            ++i;
        if (i == a.nameStart) // a lone "=": part of no attribute
            ++i;
        a.nameEnd = i;
        a.rawEnd = i;
        qsizetype j = i;
        while (j < s.size() && IsHtmlSpace(s[j]))
            ++j;
        if (j < s.size() && s[j] == u'=' && a.nameEnd > a.nameStart) {
            ++j;
            while (j < s.size() && IsHtmlSpace(s[j]))
                ++j;
            if (j >= s.size())
                return false;
            a.hasValue = true;
            if (s[j] == u'"' || s[j] == u'\'') {
                const qsizetype close = s.indexOf(s[j], j + 1);
                if (close < 0)
                    return false;
                a.valueStart = j + 1;
                a.valueEnd = close;
                a.rawEnd = close + 1;
            } else {
                a.valueStart = j;
                while (j < s.size() && !IsHtmlSpace(s[j]) && s[j] != u'>')
                    ++j;
                a.valueEnd = j;
                a.rawEnd = j;
            }
            i = a.rawEnd;
        }
        tag.attrs.append(a);
    }
}

const TAttr* FindAttr(QStringView s, const TTag& tag, QLatin1StringView name)
{
    for (const TAttr& a : tag.attrs)
        if (s.sliced(a.nameStart, a.nameEnd - a.nameStart).compare(name, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

QStringView RawAttr(QStringView s, const TAttr& a)
{
    return s.sliced(a.nameStart, a.rawEnd - a.nameStart);
}

QStringView Value(QStringView s, const TAttr& a)
{
    return s.sliced(a.valueStart, a.valueEnd - a.valueStart);
}

// ---- Removal passes -------------------------------------------------------------------------

qsizetype FindCi(QStringView s, QStringView key, qsizetype from)
{
    if (from > s.size())
        return -1;
    return s.indexOf(key, from, Qt::CaseInsensitive);
}

// Every occurrence of the key, up to and not including the next ">".
QString CutToTagEnd(const QString& text, QStringView key)
{
    qsizetype at = FindCi(text, key, 0);
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    while (at >= 0) {
        const qsizetype gt = text.indexOf(u'>', at + key.size());
        if (gt < 0)
            break;
        out += QStringView(text).sliced(copied, at - copied);
        copied = gt;
        at = FindCi(text, key, gt);
    }
    out += QStringView(text).sliced(copied);
    return out;
}

// Every element opening with the key, through its own closing tag: elements of the same kind
// inside it are counted, so an advertisement block with nested blocks goes as a whole. One
// without a closing tag is left.
QString CutElement(const QString& text, QStringView key, QStringView open, QStringView close)
{
    qsizetype at = FindCi(text, key, 0);
    if (at < 0)
        return text;
    const QStringView s(text);
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    while (at >= 0) {
        int depth = 1;
        qsizetype pos = at + open.size();
        qsizetype nextOpen = FindCi(s, open, pos);
        qsizetype end = -1;
        for (;;) {
            const qsizetype nextClose = FindCi(s, close, pos);
            if (nextClose < 0)
                break;
            while (nextOpen >= 0 && nextOpen < nextClose) {
                const qsizetype after = nextOpen + open.size();
                if (after < s.size() && (IsHtmlSpace(s[after]) || s[after] == u'>'))
                    ++depth;
                nextOpen = FindCi(s, open, after);
            }
            pos = nextClose + close.size();
            if (--depth == 0) {
                end = pos;
                break;
            }
        }
        if (end < 0)
            break;
        out += s.sliced(copied, at - copied);
        copied = end;
        at = FindCi(s, key, end);
    }
    out += s.sliced(copied);
    return out;
}

QString RemoveAdvertisements(QString text)
{
    text = CutToTagEnd(text, u"style=\"box-sizing: border-box;");
    static const QStringView Blocks[] = {
        u"<div id=\"ruvomekmobiletop\"",          u"<div id=\"ruvomekconmiddletop\"",
        u"<div id=\"ruvomekmobilemiddletop\"",    u"<div id=\"ruvomekconmiddlebottom\"",
        u"<div id=\"ruvomekmobilemiddlebottom\"", u"<div id=\"ruvomekconbottom\"",
        u"<div id=\"ruvomekmobilebottom\""};
    for (const QStringView key : Blocks)
        text = CutElement(text, key, u"<div", u"</div>");
    text = CutElement(text, u"<ins class=\"adsbygoogle", u"<ins", u"</ins>");
    text = CutToTagEnd(text, u"width=0 height=0");
    text = CutToTagEnd(text, u"width=0");
    text = CutToTagEnd(text, u"height=0");
    return text;
}

// A <span> (or a later <script>) up to the next </span> is removed when "CallBack_bootstrapperSrc"
// stands in it; the text after a removed block is tested the same way.
QString RemoveBootstrappers(const QString& text)
{
    static constexpr QStringView Marker = u"CallBack_bootstrapperSrc";
    static constexpr QStringView Close = u"</span>";
    const QStringView s(text);
    qsizetype e = FindCi(s, u"<span", 0);
    if (e < 0 || !s.contains(Marker))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    qsizetype f = -2; // next closing at or after e, found lazily
    qsizetype m = -2; // next marker at or after e
    while (e >= 0) {
        if (f != -1 && f < e)
            f = FindCi(s, Close, e);
        if (f >= 0) {
            if (m != -1 && m < e)
                m = s.indexOf(Marker, e);
            if (m >= 0 && m + Marker.size() <= f) {
                out += s.sliced(copied, e - copied);
                copied = f + Close.size();
                e = copied;
                continue;
            }
        }
        e = FindCi(s, u"<script", e + 4);
    }
    out += s.sliced(copied);
    return out;
}

// ---- The rewrite ----------------------------------------------------------------------------

class TRewriter {
public:
    TRewriter(const QUrl& base, const QString& folder, const QSet<QString>& present)
        : FBase(base), FLocalPage(base.scheme() == u"file"), FBook(present)
    {
        FResult.fileFolderName = folder;
        FResult.rewritten = true;
    }

    TzqClipboardRewrite Run(QStringView s)
    {
        QString& out = FResult.fragment;
        out.reserve(s.size() + s.size() / 16 + 64);
        qsizetype copied = 0;
        qsizetype i = 0;
        TTag tag;
        while (i < s.size()) {
            const qsizetype lt = s.indexOf(u'<', i);
            if (lt < 0 || lt + 1 >= s.size())
                break;
            const QChar next = s[lt + 1];
            if (next == u'!') {
                if (s.sliced(lt).startsWith(u"<!--")) {
                    const qsizetype end = s.indexOf(u"-->", lt + 4);
                    if (end < 0)
                        break;
                    i = end + 3;
                } else {
                    i = lt + 2;
                }
                continue;
            }
            if (!IsAsciiLetter(next)) {
                i = lt + 1;
                continue;
            }
            if (!ParseTag(s, lt, tag))
                break;
            i = tag.end;
            if (tag.name.compare(u"script"_s, Qt::CaseInsensitive) == 0 ||
                tag.name.compare(u"style"_s, Qt::CaseInsensitive) == 0) {
                // Raw text: nothing inside is a tag.
                const QString close = u"</"_s + tag.name;
                const qsizetype end = FindCi(s, close, i);
                if (end < 0)
                    break;
                i = end;
                continue;
            }
            FTag.clear();
            if (tag.name.compare(u"img"_s, Qt::CaseInsensitive) == 0)
                RewritePicture(s, tag);
            else if (tag.name.compare(u"a"_s, Qt::CaseInsensitive) == 0)
                RewriteAnchor(s, tag);
            else
                RewriteOther(s, tag);
            if (FTag.isNull())
                continue;
            out += s.sliced(copied, tag.start - copied);
            const qsizetype tagAt = out.size();
            out += FTag;
            for (TzqPictureReference r : FTagRefs) {
                r.start += tagAt;
                FResult.references.append(r);
            }
            FTagRefs.clear();
            copied = tag.end;
        }
        out += s.sliced(copied);
        return std::move(FResult);
    }

private:
    // The tag again, into FTag, with the given attribute's value replaced by an escaped,
    // double-quoted one.
    void ReplaceValue(QStringView s, const TTag& tag, const TAttr& a, const QString& value)
    {
        FTag = s.sliced(tag.start, a.valueStart - tag.start).toString();
        const bool quoted = a.valueStart > 0 &&
                            (s[a.valueStart - 1] == u'"' || s[a.valueStart - 1] == u'\'') &&
                            a.rawEnd == a.valueEnd + 1;
        if (!quoted)
            FTag += u'"';
        FTag += EscapeHtml(value);
        if (!quoted)
            FTag += u'"';
        FTag += s.sliced(a.valueEnd, tag.end - a.valueEnd);
    }

    void RewriteOther(QStringView s, const TTag& tag)
    {
        for (const TAttr& a : tag.attrs) {
            if (!a.hasValue)
                continue;
            const QStringView name = s.sliced(a.nameStart, a.nameEnd - a.nameStart);
            if (name.compare(u"src"_s, Qt::CaseInsensitive) != 0 &&
                name.compare(u"href"_s, Qt::CaseInsensitive) != 0)
                continue;
            const TResolved r = Resolve(FBase, Value(s, a));
            if (r.changed)
                ReplaceValue(s, tag, a, r.url.toString(QUrl::FullyEncoded));
            return;
        }
    }

    void RewriteAnchor(QStringView s, const TTag& tag)
    {
        const TAttr* href = FindAttr(s, tag, "href"_L1);
        if (!href || !href->hasValue)
            return;
        if (s.sliced(tag.start, tag.end - tag.start)
                .contains(u"javascript:"_s, Qt::CaseInsensitive))
            return;
        const TResolved r = Resolve(FBase, Value(s, *href));
        if (!r.changed)
            return;
        FTag = u"<A href=\""_s + EscapeHtml(r.url.toString(QUrl::FullyEncoded)) + u'"';
        for (const TAttr& a : tag.attrs)
            if (&a != href)
                FTag += u' ' + RawAttr(s, a);
        FTag += u'>';
    }

    void RewritePicture(QStringView s, const TTag& tag)
    {
        const TAttr* src = FindAttr(s, tag, "src"_L1);
        if (!src || !src->hasValue)
            return;
        const TResolved r = Resolve(FBase, Value(s, *src));
        if (!r.url.isValid())
            return;
        const QString scheme = r.url.scheme();
        const bool web = scheme == u"http" || scheme == u"https";
        const bool local = scheme == u"file" && FLocalPage;
        const QString address = r.url.toString(QUrl::FullyEncoded);
        qsizetype index = -1;
        if (web || local)
            index = PictureIndex(r.url, address, local);
        if (index < 0) {
            if (r.changed)
                ReplaceValue(s, tag, *src, address);
            return;
        }
        const TzqPictureFetch& p = FResult.pictures.at(index);
        const QString ref = EscapeHtml(QString(FResult.fileFolderName + u'\\' + p.name));
        FTag = u"<IMG src=\""_s;
        FTagRefs.append({index, FTag.size(), ref.size()});
        FTag += ref + u'"';
        for (const QLatin1StringView name : {"width"_L1, "height"_L1, "border"_L1, "align"_L1}) {
            const TAttr* a = FindAttr(s, tag, name);
            if (a)
                FTag += u' ' + RawAttr(s, *a);
            else if (name == "border"_L1)
                FTag += u" border=0"_s;
        }
        FTag += u'>';
    }

    qsizetype PictureIndex(const QUrl& url, const QString& address, bool copy)
    {
        const auto known = FByAddress.constFind(address);
        if (known != FByAddress.constEnd())
            return *known;
        const std::optional<TNameParts> parts = NamePartsOfAddress(url);
        if (!parts)
            return -1;
        TzqPictureFetch p;
        p.address = address;
        p.copy = copy;
        p.typeByContent = parts->suffix.isEmpty();
        p.name = FBook.Reserve(*parts);
        FResult.pictures.append(p);
        const qsizetype index = FResult.pictures.size() - 1;
        FByAddress.insert(address, index);
        return index;
    }

    QUrl FBase;
    bool FLocalPage;
    TNameBook FBook;
    QHash<QString, qsizetype> FByAddress;
    TzqClipboardRewrite FResult;
    QString FTag;
    QList<TzqPictureReference> FTagRefs;
};

} // namespace

bool IsAdvertisingSource(QStringView sourceAddress)
{
    return sourceAddress.startsWith(PublisherSiteAddress, Qt::CaseInsensitive) ||
           sourceAddress.startsWith(PublisherBlogAddress, Qt::CaseInsensitive);
}

QByteArray BuildHtmlHeader(qsizetype fragmentLength)
{
    const QByteArray h = QByteArray::number(HeaderLength).rightJustified(9, '0');
    const QByteArray t = QByteArray::number(HeaderLength + fragmentLength).rightJustified(9, '0');
    return "Version:1.0\rStartHTML:" + h + "\rEndHTML:" + t + "\rStartFragment:" + h +
           "\rEndFragment:" + t + "\rStartSelection:" + h + "\rEndSelection:" + t + '\r';
}

QByteArray WrapClipboardHtml(QByteArrayView html, const QString& sourceAddress)
{
    static constexpr QByteArrayView StartMark = "<!--StartFragment-->";
    static constexpr QByteArrayView EndMark = "<!--EndFragment-->";
    qsizetype fragStart = 0;
    qsizetype fragEnd = html.size();
    const qsizetype s = html.indexOf(StartMark);
    if (s >= 0) {
        const qsizetype e = html.indexOf(EndMark, s + StartMark.size());
        if (e >= 0) {
            fragStart = s + StartMark.size();
            fragEnd = e;
        }
    }
    // Newlines or other controls in the address would end its header line early.
    QByteArray source = sourceAddress.toUtf8();
    source.replace('\r', "").replace('\n', "").replace('\0', "");
    const auto header = [&](qsizetype headerSize) {
        const auto n = [](qsizetype v) { return QByteArray::number(v).rightJustified(10, '0'); };
        QByteArray h = "Version:1.0\r\nStartHTML:" + n(headerSize) +
                       "\r\nEndHTML:" + n(headerSize + html.size()) +
                       "\r\nStartFragment:" + n(headerSize + fragStart) +
                       "\r\nEndFragment:" + n(headerSize + fragEnd) +
                       "\r\nStartSelection:" + n(headerSize + fragStart) +
                       "\r\nEndSelection:" + n(headerSize + fragEnd) + "\r\n";
        if (!source.isEmpty())
            h += "SourceURL:" + source + "\r\n";
        return h;
    };
    const QByteArray h = header(header(0).size());
    return h + html;
}

std::optional<TzqClipboardHtml> ParseClipboardHtml(QByteArrayView data)
{
    const qsizetype zero = data.indexOf('\0');
    if (zero >= 0)
        data = data.first(zero);
    if (!data.startsWith("Version:"))
        return std::nullopt;
    const THeaderValues header = ReadHeader(data);
    TzqClipboardHtml result;
    result.version09 = data.startsWith("Version:0.9");
    const char* pairs[3][2] = {{"StartSelection", "EndSelection"},
                               {"StartFragment", "EndFragment"},
                               {"StartHTML", "EndHTML"}};
    if (result.version09)
        std::swap(pairs[0], pairs[1]);
    for (const auto& pair : pairs) {
        qsizetype start = 0;
        qsizetype end = 0;
        const TNumber a = HeaderNumber(header, pair[0], data.size(), &start);
        const TNumber b = HeaderNumber(header, pair[1], data.size(), &end);
        if (a == TNumber::Absent && b == TNumber::Absent)
            continue;
        if (a != TNumber::Good || b != TNumber::Good || start > end)
            return std::nullopt;
        result.fragment = data.sliced(start, end - start).toByteArray();
        result.sourceAddress = QString::fromUtf8(header.values.value("SourceURL"));
        return result;
    }
    return std::nullopt;
}

QString SourceAddressFromMime(const QByteArray& chromiumSourceUrl, const QByteArray& mozUrlPriv)
{
    const auto firstLine = [](QString text) {
        const qsizetype nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        qsizetype cut = text.size();
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == u'\n' || text[i] == u'\r') {
                cut = i;
                break;
            }
        return text.first(cut).trimmed();
    };
    const QString chromium = firstLine(QString::fromUtf8(chromiumSourceUrl));
    if (!chromium.isEmpty())
        return chromium;
    const qsizetype units = mozUrlPriv.size() / 2;
    QString moz(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        moz[i] = QChar(char16_t(uchar(mozUrlPriv[2 * i]) | (uchar(mozUrlPriv[2 * i + 1]) << 8)));
    return firstLine(moz);
}

TzqClipboardRewrite RewriteClipboardHtml(QStringView fragment, const QString& sourceAddress,
                                         const QString& fileFolderName,
                                         const QSet<QString>& presentNames)
{
    QUrl base(sourceAddress.trimmed());
    if (!UsableBase(base)) {
        TzqClipboardRewrite unchanged;
        unchanged.fragment = fragment.toString();
        unchanged.fileFolderName = fileFolderName;
        return unchanged;
    }
    base.setQuery(QString());
    base.setFragment(QString());
    // Blocks that go are removed before any picture in them is planned.
    QString text = fragment.toString();
    if (IsAdvertisingSource(sourceAddress.trimmed()))
        text = RemoveAdvertisements(text);
    text = RemoveBootstrappers(text);
    return TRewriter(base, fileFolderName, presentNames).Run(text);
}

QString PictureFileName(const TzqPictureFetch& picture, QStringView suffix)
{
    return picture.typeByContent ? picture.name + suffix : picture.name;
}

QString SettleClipboardHtml(const TzqClipboardRewrite& rewrite, const QStringList& savedNames)
{
    const QString& s = rewrite.fragment;
    QString out;
    out.reserve(s.size() + 256);
    qsizetype copied = 0;
    for (const TzqPictureReference& r : rewrite.references) {
        out += QStringView(s).sliced(copied, r.start - copied);
        const QString saved = savedNames.value(r.picture);
        if (saved.isEmpty())
            out += EscapeHtml(rewrite.pictures.at(r.picture).address);
        else
            out += EscapeHtml(QString(rewrite.fileFolderName + u'\\' + saved));
        copied = r.start + r.length;
    }
    out += QStringView(s).sliced(copied);
    return out;
}

QString EscapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}
