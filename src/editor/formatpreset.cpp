#include "editor/formatpreset.h"

#include "app/zqinifile.h"
#include "platform/cp949.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Section = u"Format"_s;

// What a read returns for a key the file lacks: a value never holds a line break.
const QByteArray Missing = QByteArrayLiteral("\n");

struct TNamedColor {
    QStringView Name;
    quint32 Value; // red in the lowest byte, then green, then blue
};

constexpr std::array<TNamedColor, 20> NamedColors{{
    {u"clBlack", 0x000000}, {u"clMaroon", 0x000080},     {u"clGreen", 0x008000},
    {u"clOlive", 0x008080}, {u"clNavy", 0x800000},       {u"clPurple", 0x800080},
    {u"clTeal", 0x808000},  {u"clGray", 0x808080},       {u"clSilver", 0xC0C0C0},
    {u"clRed", 0x0000FF},   {u"clLime", 0x00FF00},       {u"clYellow", 0x00FFFF},
    {u"clBlue", 0xFF0000},  {u"clFuchsia", 0xFF00FF},    {u"clAqua", 0xFFFF00},
    {u"clWhite", 0xFFFFFF}, {u"clMoneyGreen", 0xC0DCC0}, {u"clSkyBlue", 0xF0CAA6},
    {u"clCream", 0xF0FBFF}, {u"clMedGray", 0xA4A0A0},
}};

QString Key(const char* name, int n)
{
    return QString::fromLatin1(name) + QString::number(n);
}

std::optional<QByteArray> ReadRaw(const TzqIniFile& ini, const QString& key)
{
    QByteArray value = ini.ReadBytes(Section, key, Missing);
    if (value == Missing)
        return std::nullopt;
    return value;
}

// How each stored text reads; the same rules decide whether a value changed.
QString FontNameOf(const std::optional<QByteArray>& raw)
{
    return raw ? cp949::ToUnicode(*raw) : formatpreset::DefaultFontName();
}

int IntegerOf(const std::optional<QByteArray>& raw, int def)
{
    int value = def;
    if (raw && TzqIniFile::ParseInteger(*raw, value))
        return value;
    return def;
}

bool BoolOf(const std::optional<QByteArray>& raw)
{
    return IntegerOf(raw, 0) != 0;
}

TzqColorValue ColorOf(const std::optional<QByteArray>& raw, TzqColorValue def)
{
    if (!raw)
        return def;
    return ColorFromText(cp949::ToUnicode(*raw)).value_or(def);
}

int StrideOf(int stride)
{
    return stride == 0 ? 0 : stride == 1 ? 1 : 2;
}

} // namespace

QString ColorToText(TzqColorValue color)
{
    // Only the three colour bytes count.
    const quint32 value = color & 0xFFFFFF;
    for (const TNamedColor& named : NamedColors) {
        if (named.Value == value)
            return named.Name.toString();
    }
    return u'$' + QString::number(value, 16).toUpper().rightJustified(8, u'0');
}

std::optional<TzqColorValue> ColorFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const TNamedColor& named : NamedColors) {
        if (trimmed.compare(named.Name, Qt::CaseInsensitive) == 0)
            return named.Value;
    }
    // Numbers are ASCII; anything else cannot be one.
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    int value = 0;
    if (!TzqIniFile::ParseInteger(trimmed.toLatin1(), value))
        return std::nullopt;
    if (value < 0 || value > 0xFFFFFF)
        return std::nullopt;
    return static_cast<TzqColorValue>(value);
}

TzqFormatPreset ReadFormatPreset(const TzqIniFile& ini, int n)
{
    TzqFormatPreset preset;
    TzqFormatPreset::TStored& s = preset.Stored;
    s.FontName = ReadRaw(ini, Key("FontName", n));
    s.FontSize = ReadRaw(ini, Key("FontSize", n));
    s.FontColor = ReadRaw(ini, Key("FontColor", n));
    s.BackColor = ReadRaw(ini, Key("BackColor", n));
    s.Bold = ReadRaw(ini, Key("bold", n));
    s.Italic = ReadRaw(ini, Key("italic", n));
    s.Under = ReadRaw(ini, Key("under", n));
    s.Stride = ReadRaw(ini, Key("stride", n));

    preset.FontName = FontNameOf(s.FontName);
    preset.FontSize = IntegerOf(s.FontSize, 1);
    preset.FontColor = ColorOf(s.FontColor, 0x000000);
    preset.BackColor = ColorOf(s.BackColor, 0xFFFFFF);
    preset.Bold = BoolOf(s.Bold);
    preset.Italic = BoolOf(s.Italic);
    preset.Under = BoolOf(s.Under);
    preset.Stride = IntegerOf(s.Stride, 0);
    return preset;
}

void WriteFormatPreset(TzqIniFile& ini, int n, const TzqFormatPreset& preset)
{
    const TzqFormatPreset::TStored& s = preset.Stored;
    // A key is written when the file lacks it or its text reads as another value.
    if (!s.FontName || FontNameOf(s.FontName) != preset.FontName)
        ini.WriteString(Section, Key("FontName", n), preset.FontName);
    if (!s.FontSize || IntegerOf(s.FontSize, 1) != preset.FontSize)
        ini.WriteInteger(Section, Key("FontSize", n), preset.FontSize);
    if (!s.FontColor || ColorOf(s.FontColor, 0x000000) != (preset.FontColor & 0xFFFFFF))
        ini.WriteString(Section, Key("FontColor", n), ColorToText(preset.FontColor));
    if (!s.BackColor || ColorOf(s.BackColor, 0xFFFFFF) != (preset.BackColor & 0xFFFFFF))
        ini.WriteString(Section, Key("BackColor", n), ColorToText(preset.BackColor));
    if (!s.Bold || BoolOf(s.Bold) != preset.Bold)
        ini.WriteBool(Section, Key("bold", n), preset.Bold);
    if (!s.Italic || BoolOf(s.Italic) != preset.Italic)
        ini.WriteBool(Section, Key("italic", n), preset.Italic);
    if (!s.Under || BoolOf(s.Under) != preset.Under)
        ini.WriteBool(Section, Key("under", n), preset.Under);
    if (!s.Stride || StrideOf(IntegerOf(s.Stride, 0)) != preset.StrideValue())
        ini.WriteInteger(Section, Key("stride", n), preset.StrideValue());
}
