#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class TzqIniFile;

// A colour as the program stores and hands it to the editing commands: red in the lowest byte,
// then green, then blue, top byte 0 (0x0000FF is red). The windows convert with
// editor/colorvalue.h; the core does not use the GUI library's colour type.
using TzqColorValue = quint32;

namespace formatpreset {
using namespace Qt::Literals::StringLiterals;
inline QString DefaultFontName()
{
    return u"돋움"_s;
}
} // namespace formatpreset

// One of the nine format presets of section "Format" (Ctrl+1 to Ctrl+9).
struct TzqFormatPreset {
    QString FontName = formatpreset::DefaultFontName(); // as stored
    // 0-based index into the size items "1" to "7"; a value outside 0..6 is kept as stored and
    // never applied.
    int FontSize = 1;
    TzqColorValue FontColor = 0x000000; // black
    TzqColorValue BackColor = 0xFFFFFF; // white
    bool Bold = false;
    bool Italic = false;
    bool Under = false;
    int Stride = 0; // 0 left, 1 centre, anything else right

    bool SizeApplies() const { return FontSize >= 0 && FontSize <= 6; }
    // The alignment as it is written: 0, 1 or 2.
    int StrideValue() const { return Stride == 0 ? 0 : Stride == 1 ? 1 : 2; }

    // The text each key held when the preset was read (none for a missing key). A key whose
    // value still reads as the preset's value is not written again, so a preset saved without
    // a change leaves the file byte for byte as it was ("$000000FF" stays, "bold1=7" stays).
    struct TStored {
        std::optional<QByteArray> FontName, FontSize, FontColor, BackColor, Bold, Italic, Under,
            Stride;
    };
    TStored Stored;
};

// Reads preset n (1 to 9). Missing or unreadable values read as their defaults; a colour that
// cannot be read is black for the text and white for the background.
TzqFormatPreset ReadFormatPreset(const TzqIniFile& ini, int n);

// Writes preset n (1 to 9): booleans "1"/"0", the alignment 0/1/2, colours as colour text.
// Keys whose stored text already reads as the value are left alone (see TStored).
void WriteFormatPreset(TzqIniFile& ini, int n, const TzqFormatPreset& preset);

// A colour's name ("clRed") when its value has one, else "$00BBGGRR".
QString ColorToText(TzqColorValue color);

// A colour name (letter case ignored), "$" + hexadecimal, "0x" + hexadecimal or a decimal
// number, holding red in the lowest byte. None for anything else, and for values with a
// non-zero top byte (the platform's system colours, "none"), which name no fixed colour.
std::optional<TzqColorValue> ColorFromText(const QString& text);
