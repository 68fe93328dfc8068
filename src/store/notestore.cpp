#include "store/notestore.h"

#include "app/pagedefaults.h"
#include "platform/cp949.h"
#include "platform/noteencoding.h"
#include "platform/textfile.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/pagepath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<bool> GHangulFontAvailable{true};

constexpr QByteArrayView TitlePlaceholder = "<!--title-->";

// Messages of the naming dialogs.
const QString MsgNameRequired = u"이름을 반드시 입력하여 주십시오."_s;
const QString MsgBadEnding = u"이름 끝에 .\\/:*?\"<>|를 사용할 수 없습니다."_s;
const QString MsgNoTemplate = u"노트 양식을 선택하여 주십시오."_s;
const QString MsgNewFileExists = u"같은 이름의 파일이 이미 존재합니다."_s;
const QString MsgNewFolderExists = u"같은 이름의 폴더가 이미 존재합니다."_s;
const QString MsgDotEnding = u"이름 끝에 . 을 사용하실 수 없습니다."_s;
const QString MsgDirExists = u"같은 이름의 디렉토리가 존재합니다."_s;
const QString MsgFileExists = u"같은 이름의 파일이 존재합니다."_s;
const QString MsgHiddenFolder = u"폴더 이름은 . 이나 __ 로 시작할 수 없습니다."_s;
const QString MsgFolderNoteName = u"이 이름은 노트 이름으로 사용할 수 없습니다."_s;

QString JoinPath(const QString& dir, const QString& name)
{
    if (dir.isEmpty() || IsPathSeparator(dir.back()))
        return dir + name;
    return dir + u'/' + name;
}

// Any entry at the path takes the name, a dangling link included: nothing else can be created
// there.
bool EntryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The path a new note or folder of that name gets. A note is always made with ".htm"; an
// existing "Name.HTM" on a case-sensitive file system does not take the name.
QString ItemPath(const QString& dir, const QString& name, TzqItemKind kind)
{
    return JoinPath(dir, kind == TzqItemKind::Note ? name + u".htm"_s : name);
}

// Names the tree would never show as what was asked for: a directory starting with "." or "__"
// is hidden (a "__" one even passes for the file folder of a note, and is deleted with it), and
// a note named like the folder note would become the folder's own page.
bool IsHiddenName(const QString& name, TzqItemKind kind)
{
    if (kind == TzqItemKind::Folder)
        return name.startsWith(u'.') || name.startsWith(u"__"_s);
    return name.compare(FileBaseName(QString::fromUtf16(FolderNoteName)), Qt::CaseInsensitive) == 0;
}

QString HiddenNameMessage(TzqItemKind kind)
{
    return kind == TzqItemKind::Folder ? MsgHiddenFolder : MsgFolderNoteName;
}

TzqNameCheck Refuse(const QString& message)
{
    TzqNameCheck check;
    check.Message = message;
    return check;
}

// Names and titles go into CP949 files; a character CP949 lacks becomes a character reference,
// as the editor saves it, so references still match and titles still read right.
QByteArray ToPageBytes(const QString& text)
{
    return cp949::FromUnicodeWithCharRefs(text);
}

// The marker's first line: the bytes before the first CR or LF.
QByteArray ReadMarkerLine(const QString& marker)
{
    QFile file(marker);
    if (!file.open(QIODevice::ReadOnly))
        throw EzqError(u"편집 중 표시 파일을 읽을 수 없습니다: %1 (%2)"_s.arg(
            QDir::toNativeSeparators(marker), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EzqError(u"편집 중 표시 파일을 읽을 수 없습니다: %1 (%2)"_s.arg(
            QDir::toNativeSeparators(marker), file.errorString()));
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.left(end);
}

} // namespace

// ---- File folders ---------------------------------------------------------------------------

QString NoteFileFolder(const QString& page)
{
    QString base = FileBaseName(page);
    base.replace(u' ', u'_');
    return ExtractFilePath(page) + u"__"_s + base;
}

QString LegacyNoteFileFolder(const QString& page)
{
    return ExtractFilePath(page) + u"__"_s + FileBaseName(page);
}

QString EnsureFileFolder(const QString& page)
{
    const QString folder = NoteFileFolder(page);
    if (!QDir().mkpath(folder))
        throw EzqError(u"폴더를 만들 수 없습니다: %1"_s.arg(QDir::toNativeSeparators(folder)));
    return folder + u'/';
}

// ---- Names ------------------------------------------------------------------------------------

QString MakeValidFileName(const QString& name)
{
    QString out = name;
    for (QChar& c : out) {
        switch (c.unicode()) {
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'<':
        case u'>':
        case u'|':
        case u'"':
            c = u'_';
            break;
        default:
            break;
        }
    }
    return out;
}

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

TzqNameCheck CheckNewName(const QString& typed, const QString& dir, TzqItemKind kind,
                          bool templateSelected)
{
    const QString trimmed = TrimBlanks(typed);
    if (trimmed.isEmpty())
        return Refuse(MsgNameRequired);

    QString name = MakeValidFileName(trimmed);
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u'_'))
        name.chop(1);
    if (name.isEmpty())
        return Refuse(MsgBadEnding);

    // From here on the name box shows the cleaned name, refused or not.
    TzqNameCheck check;
    check.WriteBack = true;
    check.Name = name;
    check.Title = trimmed;
    if (!templateSelected)
        check.Message = MsgNoTemplate;
    else if (EntryExists(ItemPath(dir, name, kind)))
        check.Message = kind == TzqItemKind::Note ? MsgNewFileExists : MsgNewFolderExists;
    else if (IsHiddenName(name, kind))
        check.Message = HiddenNameMessage(kind);
    check.Accepted = check.Message.isEmpty();
    return check;
}

TzqNameCheck CheckUserFileName(const QString& typed, const QString& dir, TzqItemKind kind)
{
    TzqNameCheck check;
    check.WriteBack = true;
    check.Name = MakeValidFileName(TrimBlanks(typed));
    if (check.Name.isEmpty())
        check.Message = MsgNameRequired;
    else if (check.Name.endsWith(u'.'))
        check.Message = MsgDotEnding;
    // The node's own unchanged name exists too and is refused: keeping the name means Cancel.
    else if (EntryExists(ItemPath(dir, check.Name, kind)))
        check.Message = kind == TzqItemKind::Note ? MsgFileExists : MsgDirExists;
    else if (IsHiddenName(check.Name, kind))
        check.Message = HiddenNameMessage(kind);
    check.Accepted = check.Message.isEmpty();
    return check;
}

QString DefaultNewName(const QString& dir, TzqItemKind kind)
{
    QString base = ExtractFileName(StripTrailingSeparator(dir));
    if (base.isEmpty())
        base = kind == TzqItemKind::Note ? u"새 노트"_s : u"새 폴더"_s;
    // Only the kind asked for is tested: the directory Work_01 leaves the note Work_01 free,
    // since the note's file is Work_01.htm.
    for (int n = 1;; ++n) {
        const QString candidate = base + u'_' + QString::number(n).rightJustified(2, u'0');
        if (!EntryExists(ItemPath(dir, candidate, kind)))
            return candidate;
    }
}

// ---- New pages --------------------------------------------------------------------------------

void WritePageLines(const QString& path, const QList<QByteArray>& lines)
{
    textfile::WriteLines(path, lines);
}

void InstantiateTemplate(const QString& templateFile, const QString& title, const QString& target)
{
    if (!QFileInfo(templateFile).isFile()) {
        WritePageLines(target, NewPageSkeleton());
        return;
    }
    QList<QByteArray> lines = textfile::ReadLines(templateFile);
    const QByteArray titleBytes = ToPageBytes(title);
    // "<" "!" "-" are never CP949 trail bytes, so a match cannot start inside a character.
    for (QByteArray& line : lines) {
        const qsizetype at = line.indexOf(TitlePlaceholder);
        if (at >= 0)
            line.replace(at, TitlePlaceholder.size(), titleBytes);
    }
    WritePageLines(target, lines);
}

namespace {

// Replaces each "oldName\ (the pattern) by "newName\ . The search goes on after each replaced
// name, so a new name that holds the old one (or equals it) cannot make the loop run forever.
template <typename T> bool ReplaceFolderRefs(T& text, const T& pattern, const T& newName)
{
    const qsizetype oldSize = pattern.size() - 2;
    bool changed = false;
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(pattern, from)) >= 0;) {
        text.replace(at + 1, oldSize, newName);
        from = at + 1 + newName.size();
        changed = true;
    }
    return changed;
}

} // namespace

void RewriteFileFolderRefs(const QString& page, const QString& oldName, const QString& newName)
{
    const QByteArray bytes = textfile::ReadAll(page);
    if (oldName.isEmpty() || oldName == newName)
        return;
    // A CP949 note changes in the names only, byte for byte: '"' is never the second byte of a
    // character, so a match cannot start inside one.
    const TzqNoteEncoding encoding = DetectNoteEncoding(bytes);
    QByteArray out = bytes;
    bool changed = false;
    if (encoding == TzqNoteEncoding::Cp949) {
        changed = ReplaceFolderRefs<QByteArray>(out, '"' + ToPageBytes(oldName) + '\\',
                                                ToPageBytes(newName));
    } else {
        QString text = DecodeNote(bytes, encoding);
        changed = ReplaceFolderRefs<QString>(text, u'"' + oldName + u'\\', newName);
        if (changed)
            out = EncodeNote(text, encoding);
    }
    if (changed)
        textfile::WriteAll(page, out);
}

// ---- Edit markers ---------------------------------------------------------------------------

QString EditMarkerPath(const QString& page)
{
    const QString ext = ExtractFileExt(page);
    return page.left(page.size() - ext.size()) + u".qzmod"_s;
}

void WriteEditMarker(const QString& page, const QString& userName, bool shared)
{
    if (!shared)
        return;
    const QString marker = EditMarkerPath(page);
    try {
        textfile::WriteLines(marker, {ToPageBytes(userName)});
    } catch (const EzqError&) {
        throw EzqError(
            u"편집 중 표시 파일을 만들 수 없습니다: %1"_s.arg(QDir::toNativeSeparators(marker)));
    }
}

QString ReadEditMarker(const QString& page)
{
    const QString marker = EditMarkerPath(page);
    if (!EntryExists(marker))
        return {};
    return cp949::ToUnicode(ReadMarkerLine(marker));
}

bool IsLockedByOther(const QString& page, const QString& userName)
{
    const QString marker = EditMarkerPath(page);
    if (!EntryExists(marker))
        return false;
    // Compared as written, so a name with a character CP949 lacks still matches its own marker.
    return ReadMarkerLine(marker) != ToPageBytes(userName);
}

bool DeleteEditMarker(const QString& page)
{
    const QString marker = EditMarkerPath(page);
    if (!EntryExists(marker))
        return true;
    return QFile::remove(marker) || !EntryExists(marker);
}

// ---- Korean interface ---------------------------------------------------------------------------

bool IsEnglishWindows()
{
    if (!cp949::Available())
        return true;
    bool lossless = false;
    const QByteArray caption = cp949::FromUnicode(u"파일(F)"_s, &lossless);
    if (!lossless || caption.isEmpty() || caption.front() == '?')
        return true;
    return !GHangulFontAvailable.load();
}

void SetHangulFontAvailable(bool available)
{
    GHangulFontAvailable.store(available);
}
