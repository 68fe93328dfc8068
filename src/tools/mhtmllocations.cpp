#include "tools/mhtmllocations.h"

#include "editor/notecontent.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// A folder name as the engine spelled it in a header or, with "&" escaped, in the HTML.
QString DecodeSegment(QByteArray segment)
{
    segment.replace("&amp;", "&");
    return QString::fromUtf8(QByteArray::fromPercentEncoding(segment));
}

} // namespace

TMhtmlLocations::TMhtmlLocations(const QString& notePath)
{
    const QString dir = QDir::cleanPath(QFileInfo(notePath).absolutePath());
    for (const QString& name : dir.split(u'/', Qt::SkipEmptyParts))
        FNoteDir.append(name);
}

TMhtmlLocations::TSplit TMhtmlLocations::Split(const QByteArray& location) const
{
    TSplit split;
    const QByteArray prefix = QByteArray(NoteScheme) + ':';
    if (!location.toLower().startsWith(prefix))
        return split;
    QByteArray rest = location.mid(prefix.size());
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        rest = slash < 0 ? QByteArray() : rest.mid(slash);
    }
    qsizetype end = rest.size();
    for (const char c : {'?', '#'}) {
        const qsizetype at = rest.indexOf(c);
        if (at >= 0)
            end = std::min(end, at);
    }
    QByteArray path = rest.left(end);
    split.Rest = rest.mid(end);
    // References inside notes are written with backslashes; however the engine spelled them,
    // they are folder levels.
    path.replace('\\', '/').replace("%5C", "/").replace("%5c", "/");
    for (const QByteArray& segment : path.split('/')) {
        if (segment.isEmpty() || segment == ".")
            continue;
        if (segment == "..") {
            if (!split.Segments.isEmpty())
                split.Segments.removeLast();
            continue;
        }
        split.Segments.append(segment);
    }
    split.Own = true;
    return split;
}

int TMhtmlLocations::CommonSegments(const QList<QByteArray>& segments) const
{
    // The last segment is the file's own name, never a folder level shared with the note.
    const qsizetype most = std::min(FNoteDir.size(), segments.size() - 1);
    int common = 0;
    while (common < most && DecodeSegment(segments.at(common)) == FNoteDir.at(common))
        ++common;
    return common;
}

void TMhtmlLocations::Collect(const QByteArray& location)
{
    const TSplit split = Split(location);
    if (!split.Own)
        return;
    FDepth = std::max(FDepth, int(FNoteDir.size()) - CommonSegments(split.Segments));
}

QByteArray TMhtmlLocations::Neutral(const QByteArray& location) const
{
    const TSplit split = Split(location);
    if (!split.Own)
        return location;
    const int common = CommonSegments(split.Segments);
    const int up = std::max(0, std::min(FDepth, int(FNoteDir.size()) - common));
    QByteArray neutral = NeutralRoot;
    for (int i = 0; i < FDepth - up; ++i)
        neutral += "_/";
    neutral += split.Segments.mid(common).join('/');
    return neutral + split.Rest;
}

namespace {

struct THeaderField {
    QByteArray Raw; // every line of the field as read, line ends included
    QByteArray Name;
    QByteArray Value; // unfolded: the pieces joined with one space
    QByteArray Eol;   // the line end of the field's first line
};

QByteArray LineEnd(const QByteArray& line)
{
    if (line.endsWith("\r\n"))
        return "\r\n";
    if (line.endsWith('\n'))
        return "\n";
    return {};
}

QByteArray Chomp(const QByteArray& line)
{
    return line.left(line.size() - LineEnd(line).size());
}

// Reads the header lines of the message or of a part, up to the blank line that ends them
// (returned in `blank`, empty at the end of the input).
void ReadHeaders(QIODevice& in, QList<THeaderField>& fields, QByteArray& blank)
{
    fields.clear();
    blank.clear();
    while (!in.atEnd()) {
        const QByteArray line = in.readLine();
        if (line.isEmpty())
            break;
        if (Chomp(line).isEmpty()) {
            blank = line;
            return;
        }
        if ((line.at(0) == ' ' || line.at(0) == '\t') && !fields.isEmpty()) {
            fields.last().Raw += line;
            fields.last().Value += ' ' + Chomp(line).trimmed();
            continue;
        }
        THeaderField field;
        field.Raw = line;
        field.Eol = LineEnd(line);
        const qsizetype colon = line.indexOf(':');
        field.Name = colon < 0 ? QByteArray() : line.left(colon).trimmed();
        field.Value = colon < 0 ? QByteArray() : Chomp(line.mid(colon + 1)).trimmed();
        fields.append(field);
    }
}

bool IsLocationField(const QByteArray& name)
{
    return name.compare("Content-Location", Qt::CaseInsensitive) == 0 ||
           name.compare("Snapshot-Content-Location", Qt::CaseInsensitive) == 0;
}

// An address folded over lines has its folding blanks removed when read back.
QByteArray UnfoldedLocation(const QByteArray& value)
{
    QByteArray out;
    for (const char c : value) {
        if (c != ' ' && c != '\t')
            out += c;
    }
    return out;
}

// One field line; an address too long for one line is folded, which readers undo by removing
// the folding blanks.
QByteArray LocationField(const THeaderField& field, const QByteArray& value)
{
    const QByteArray eol = field.Eol.isEmpty() ? QByteArray("\r\n") : field.Eol;
    QByteArray line = field.Name + ": ";
    constexpr qsizetype LineLimit = 998;
    if (line.size() + value.size() <= LineLimit)
        return line + value + eol;
    constexpr qsizetype Piece = 76;
    for (qsizetype at = 0; at < value.size(); at += Piece)
        line += (at ? eol + ' ' : QByteArray()) + value.mid(at, Piece);
    return line + eol;
}

QByteArray Boundary(const QList<THeaderField>& fields)
{
    static const QRegularExpression boundary(uR"re(boundary\s*=\s*(?:"([^"]*)"|([^;\s]+)))re"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    for (const THeaderField& field : fields) {
        if (field.Name.compare("Content-Type", Qt::CaseInsensitive) != 0)
            continue;
        const QRegularExpressionMatch m = boundary.match(QString::fromLatin1(field.Value));
        if (m.hasMatch())
            return (m.hasCaptured(1) ? m.captured(1) : m.captured(2)).toLatin1();
    }
    return {};
}

// ---- Text parts ------------------------------------------------------------------------------
//
// The engine writes the note's HTML (and style sheets) with every reference made absolute, so
// the addresses inside text parts are rewritten as well. The part is decoded, its addresses
// replaced, and encoded again the same way; a part without addresses of the note scheme is
// copied as it was.

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Hard line breaks come out as "\n".
QByteArray QuotedPrintableDecode(const QByteArray& body)
{
    QByteArray out;
    out.reserve(body.size());
    qsizetype at = 0;
    while (at < body.size()) {
        qsizetype next = body.indexOf('\n', at);
        const bool hasEnd = next >= 0;
        if (!hasEnd)
            next = body.size();
        QByteArray line = body.mid(at, next - at);
        at = next + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        while (line.endsWith(' ') || line.endsWith('\t'))
            line.chop(1);
        const bool soft = line.endsWith('=');
        if (soft)
            line.chop(1);
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char c = line.at(i);
            if (c == '=' && i + 2 < line.size() && HexValue(line.at(i + 1)) >= 0 &&
                HexValue(line.at(i + 2)) >= 0) {
                out += char(HexValue(line.at(i + 1)) * 16 + HexValue(line.at(i + 2)));
                i += 2;
            } else {
                out += c;
            }
        }
        if (!soft && hasEnd)
            out += '\n';
    }
    return out;
}

// Lines of at most 76 characters with soft breaks; "\n" becomes a hard break `eol`.
QByteArray QuotedPrintableEncode(const QByteArray& text, const QByteArray& eol)
{
    static const char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(text.size() * 11 / 10);
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray& line = lines.at(n);
        // The piece after the last "\n" is empty when the text ends in a line break.
        if (n == lines.size() - 1 && line.isEmpty())
            break;
        qsizetype width = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const uchar c = uchar(line.at(i));
            const bool last = i == line.size() - 1;
            QByteArray token;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                token = QByteArray(1, char(c));
            else
                token = QByteArray(1, '=') + Hex[c >> 4] + Hex[c & 15];
            if (width + token.size() > 75) {
                out += '=' + eol;
                width = 0;
            }
            out += token;
            width += token.size();
        }
        if (n < lines.size() - 1)
            out += eol;
    }
    return out;
}

QByteArray Base64Lines(const QByteArray& bytes, const QByteArray& eol)
{
    const QByteArray flat = bytes.toBase64();
    QByteArray out;
    for (qsizetype at = 0; at < flat.size(); at += 76)
        out += flat.mid(at, 76) + eol;
    return out;
}

// Every address of the note scheme in a text, handed to `map`; the text with the answers.
QByteArray MapAddresses(const QByteArray& text,
                        const std::function<QByteArray(const QByteArray&)>& map)
{
    const QByteArray scheme = QByteArray(NoteScheme) + ':';
    QByteArray out;
    qsizetype at = 0;
    while (true) {
        const qsizetype found = text.indexOf(scheme, at);
        if (found < 0)
            break;
        // An address runs to the quote, bracket or blank that ends it in HTML and CSS.
        qsizetype end = found + scheme.size();
        while (end < text.size()) {
            const char c = text.at(end);
            if (c == '"' || c == '\'' || c == '<' || c == '>' || c == '`' || uchar(c) <= ' ')
                break;
            ++end;
        }
        out += text.mid(at, found - at);
        out += map(text.mid(found, end - found));
        at = end;
    }
    if (at == 0)
        return text;
    return out + text.mid(at);
}

struct TPartKind {
    bool Text = false;
    QByteArray Encoding; // lower case
};

TPartKind KindOf(const QList<THeaderField>& fields)
{
    TPartKind kind;
    for (const THeaderField& field : fields) {
        if (field.Name.compare("Content-Type", Qt::CaseInsensitive) == 0)
            kind.Text = field.Value.trimmed().toLower().startsWith("text/");
        else if (field.Name.compare("Content-Transfer-Encoding", Qt::CaseInsensitive) == 0)
            kind.Encoding = field.Value.trimmed().toLower();
    }
    return kind;
}

// The body of a text part with its addresses mapped; the original bytes when nothing changed.
QByteArray MapTextBody(const QByteArray& body, const TPartKind& kind,
                       const std::function<QByteArray(const QByteArray&)>& map)
{
    const QByteArray eol = body.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    if (kind.Encoding == "quoted-printable") {
        const QByteArray text = QuotedPrintableDecode(body);
        const QByteArray mapped = MapAddresses(text, map);
        return mapped == text ? body : QuotedPrintableEncode(mapped, eol);
    }
    if (kind.Encoding == "base64") {
        const QByteArray text = QByteArray::fromBase64(body);
        const QByteArray mapped = MapAddresses(text, map);
        return mapped == text ? body : Base64Lines(mapped, eol);
    }
    return MapAddresses(body, map);
}

// Goes through the archive once: every address is handed to `map`, and when `out` is given
// the archive is written there with the addresses `map` returns.
bool Walk(QIODevice& in, QIODevice* out, const std::function<QByteArray(const QByteArray&)>& map,
          QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    bool written = true;
    auto write = [&](const QByteArray& bytes) {
        if (out && written && out->write(bytes) != bytes.size())
            written = false;
    };
    auto writeHeaders = [&](const QList<THeaderField>& fields, const QByteArray& blank) {
        for (const THeaderField& field : fields) {
            if (IsLocationField(field.Name))
                write(LocationField(field, map(UnfoldedLocation(field.Value))));
            else
                write(field.Raw);
        }
        write(blank);
    };

    QList<THeaderField> fields;
    QByteArray blank;
    ReadHeaders(in, fields, blank);
    const QByteArray boundary = Boundary(fields);
    if (boundary.isEmpty() || blank.isEmpty())
        return fail(u"웹 보관 파일의 모양이 알맞지 않습니다."_s);
    writeHeaders(fields, blank);

    const QByteArray delimiter = "--" + boundary;
    const QByteArray closing = delimiter + "--";
    auto isDelimiter = [&](const QByteArray& line) {
        // Blanks may follow a delimiter.
        if (!line.startsWith(delimiter))
            return false;
        const QByteArray bare = Chomp(line).trimmed();
        return bare == delimiter || bare == closing;
    };
    bool closed = false;
    QByteArray line;
    bool pending = false; // `line` was read ahead and waits to be handled
    while (pending || !in.atEnd()) {
        if (!pending)
            line = in.readLine();
        pending = false;
        if (line.isEmpty())
            break;
        write(line);
        if (closed || !isDelimiter(line))
            continue;
        if (Chomp(line).trimmed() == closing) {
            closed = true;
            continue;
        }
        ReadHeaders(in, fields, blank);
        writeHeaders(fields, blank);
        const TPartKind kind = KindOf(fields);
        if (!kind.Text)
            continue;
        // A text part is read whole up to the next delimiter.
        QByteArray body;
        while (!in.atEnd()) {
            line = in.readLine();
            if (line.isEmpty())
                break;
            if (isDelimiter(line)) {
                pending = true;
                break;
            }
            body += line;
        }
        write(MapTextBody(body, kind, map));
    }
    if (!closed)
        return fail(u"웹 보관 파일이 끝까지 쓰이지 않았습니다."_s);
    if (!written)
        return fail(u"웹 보관 파일을 쓰지 못했습니다: %1"_s.arg(out->errorString()));
    return true;
}

} // namespace

bool RewriteMhtmlLocations(QIODevice& raw, QIODevice& out, const QString& notePath, QString* error)
{
    TMhtmlLocations locations(notePath);
    if (!Walk(
            raw, nullptr,
            [&](const QByteArray& location) {
                locations.Collect(location);
                return location;
            },
            error))
        return false;
    if (!raw.seek(0)) {
        if (error)
            *error = u"웹 보관 파일을 다시 읽지 못했습니다."_s;
        return false;
    }
    return Walk(
        raw, &out, [&](const QByteArray& location) { return locations.Neutral(location); }, error);
}
