#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class TzqIniFile;

// What the editor inserts besides typed text and pasted fragments: time stamps, links to
// files and media players, linked pictures, links, the user's snippets and positioned layers,
// and the safe copies of files into a note's file folder that those refer to.
//
// Every reference, alt text and link text put into markup here is HTML-escaped; the user's
// snippets are markup of their own and go in as written.

// ---- Time stamp -------------------------------------------------------------------------------

// The date and time in the user's pattern. Letters, without regard to case:
//   yyyy (or yyy) four-digit year, yy (or y) two-digit year;
//   mm two-digit month, m month; dd two-digit day, d day;
//   dddd weekday in Korean ("일요일" ... "토요일"), ddd its first syllable ("일" ... "토");
//   hh two-digit hour, h hour (0 to 23, or 1 to 12 with ampm); nn two-digit minute, n minute;
//   ss two-digit second, s second; zzz milliseconds, z milliseconds without leading zeros;
//   ampm "오전" or "오후".
// Text in double or single quotes is copied without its quotes; every other character is
// copied as it stands.
QString FormatDateTime(const QString& format, const QDateTime& when);

// ---- Markup ---------------------------------------------------------------------------------

// The markup of a link to one file, by the reference's extension (lower-cased): ".swf" a
// flash player, ".mp3", ".asf", ".wma", ".wav" a link followed by a sound player, anything
// else a link with the file's name and a trailing space. The reference is a file folder
// reference ("__note\a.pdf"), a file: URL or an address.
QString FileLinkMarkup(const QString& reference);

// A picture that links to itself. alignment 1 left (followed by a line break), 2 right,
// anything else none.
QString PictureLinkMarkup(const QString& reference, int alignment);

// A link to an address; an empty text shows the address.
QString LinkMarkup(const QString& address, const QString& text);

// The file name shown for a reference: the part after its last "\" or "/", decoded for a
// file: URL.
QString ReferenceFileName(const QString& reference);

// The reference of a file on this computer outside the note's file folder: a file: URL with
// every character a browser would misread encoded ("file:///home/a/My%20%231.pdf").
QString LocalFileReference(const QString& path);

// The reference of a file inside a file folder, in the backslash form notes keep:
// "__My_plan\photo.png". fileFolder is the folder's path or its name.
QString FileFolderReference(const QString& fileFolder, const QString& fileName);

// ---- Snippets -------------------------------------------------------------------------------

inline const QString SnippetSection = QStringLiteral("IHTMLS");
// The number of snippets reachable by Alt+1 to Alt+9.
inline constexpr int SnippetSlotCount = 9;

// The snippet captions (the key names of the section) in file order.
QStringList SnippetCaptions(const TzqIniFile& ini);
// The markup of the snippet with that caption; empty when it has none.
QString SnippetHtml(const TzqIniFile& ini, const QString& caption);
// The markup of snippet slot n (1 to 9, the first nine captions); empty for an empty slot.
QString SnippetSlotHtml(const TzqIniFile& ini, int n);

// ---- Layers ---------------------------------------------------------------------------------

// The choices of the layer dialog. Colours are 0xRRGGBB.
struct TzqLayerOptions {
    bool Border = true;
    bool Fill = true;
    int BorderWidth = 1; // 1 to 10
    int Margin = 1;      // 0 to 10
    quint32 BorderColor = 0xFFE0B3;
    quint32 FillColor = 0xFFFDF4;

    bool operator==(const TzqLayerOptions&) const = default;
};

inline constexpr int LayerBorderWidthMin = 1;
inline constexpr int LayerBorderWidthMax = 10;
inline constexpr int LayerMarginMin = 0;
inline constexpr int LayerMarginMax = 10;

// The switches and widths stored in section PROGRAM (LBC, LFC, LBW, LMW); widths out of
// range are brought into it. The colours are not stored: they keep their initial values.
TzqLayerOptions ReadLayerOptions(const TzqIniFile& ini);
void WriteLayerOptions(TzqIniFile& ini, const TzqLayerOptions& options);

// A positioned layer: a table whose cell spacing draws the border around a cell in the fill
// colour, holding the text that invites a double click.
QString LayerMarkup(const TzqLayerOptions& options);

// Six upper-case hexadecimal digits RRGGBB of a 0xRRGGBB colour.
QString ColorToHex(quint32 rgb);

// ---- Copies into a file folder --------------------------------------------------------------

// A file name safe in a file folder and in a reference, from the name a file had elsewhere:
// in its base name each "%", "[" and "]" goes together with the two characters after it;
// separators and \ / : * ? " < > | are dropped; "#", control characters and characters CP949
// cannot write become "_"; leading dots become "_" (so no hidden names and no ".."), trailing
// dots and blanks go. An empty base becomes "zqzq". The extension keeps its letter case.
QString SafeFileName(const QString& wantedName);

// SafeFileName of wantedName, numbered when the folder holds that name already (letter case
// aside): "a.png", then "a01.png", "a02.png", ... "a99.png", "a100.png".
QString UniqueNameInFolder(const QString& folder, const QString& wantedName);

// Copies a file into a file folder (created with missing parents) under UniqueNameInFolder of
// its name, through a temporary file renamed onto the new name; an existing file is never
// replaced, not even one that appears meanwhile. Returns the new file's name. Throws EzqError
// when the source cannot be read or the copy cannot be written; nothing is left behind then.
QString CopyIntoFileFolder(const QString& source, const QString& fileFolder);

// A picture of this computer put into the note's file folder: its reference there, or the
// path unchanged when the file does not exist. Throws EzqError when the copy fails.
QString CopyImageToNoteFolder(const QString& source, const QString& page);
