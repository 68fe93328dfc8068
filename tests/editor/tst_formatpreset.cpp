// The nine format presets of section "Format" and the colour text: what the file's bytes read
// as, what a save writes, and that a preset saved unchanged leaves the file as it was.
#include "app/zqinifile.h"
#include "editor/formatpreset.h"
#include "platform/cp949.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

class FormatPresetTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString FPath = FDir.filePath(u"zqQuillet.ini"_s);
    TzqIniFile FIni{FPath};

    void Given(QByteArrayView bytes) { testutil::WriteFile(FPath, bytes); }
    QByteArray Contents() const { return testutil::ReadFile(FPath); }
};

} // namespace

TEST(ColorText, NamesDollarFormsAndNumbers)
{
    const std::pair<const char*, TzqColorValue> named[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080},     {"clGreen", 0x008000},
        {"clOlive", 0x008080}, {"clNavy", 0x800000},       {"clPurple", 0x800080},
        {"clTeal", 0x808000},  {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},   {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
        {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    };
    for (const auto& [name, value] : named) {
        EXPECT_EQ(ColorToText(value), QString::fromLatin1(name));
        EXPECT_EQ(ColorFromText(QString::fromLatin1(name)), value) << name;
    }
    EXPECT_EQ(ColorFromText(u"CLRED"_s), 0x0000FFu);

    // Unnamed values: "$" and eight upper-case digits, blue first.
    EXPECT_EQ(ColorToText(0xF4FDFF), u"$00F4FDFF"_s);
    EXPECT_EQ(ColorToText(0x000001), u"$00000001"_s);
    // Only the colour bytes are written.
    EXPECT_EQ(ColorToText(0xFF0000FF), u"clRed"_s);

    EXPECT_EQ(ColorFromText(u"$00F4FDFF"_s), 0xF4FDFFu);
    EXPECT_EQ(ColorFromText(u"$f4fdff"_s), 0xF4FDFFu);
    EXPECT_EQ(ColorFromText(u"$000000FF"_s), 0x0000FFu);
    EXPECT_EQ(ColorFromText(u"255"_s), 0x0000FFu);
    EXPECT_EQ(ColorFromText(u"0x00FF00"_s), 0x00FF00u);
    EXPECT_EQ(ColorFromText(u"16777215"_s), 0xFFFFFFu);

    // Nothing that is not a fixed colour: system colours, "none", out of range, words.
    for (const QString& bad : {u""_s, u"$"_s, u"$8000000F"_s, u"$1FFFFFFF"_s, u"-1"_s,
                               u"16777216"_s, u"clBtnFace"_s, u"red"_s, u"빨강"_s, u"12ab"_s})
        EXPECT_EQ(ColorFromText(bad), std::nullopt) << bad.toStdString();
}

TEST_F(FormatPresetTest, MissingFileReadsDefaultsAndASaveWritesEveryKey)
{
    const TzqFormatPreset preset = ReadFormatPreset(FIni, 4);
    EXPECT_EQ(preset.FontName, u"돋움"_s);
    EXPECT_EQ(preset.FontSize, 1);
    EXPECT_TRUE(preset.SizeApplies());
    EXPECT_EQ(preset.FontColor, 0x000000u);
    EXPECT_EQ(preset.BackColor, 0xFFFFFFu);
    EXPECT_FALSE(preset.Bold || preset.Italic || preset.Under);
    EXPECT_EQ(preset.Stride, 0);

    WriteFormatPreset(FIni, 4, preset);
    EXPECT_EQ(Contents(), "[Format]\r\n"
                          "FontName4=\xB5\xB8\xBF\xF2\r\n"
                          "FontSize4=1\r\n"
                          "FontColor4=clBlack\r\n"
                          "BackColor4=clWhite\r\n"
                          "bold4=0\r\n"
                          "italic4=0\r\n"
                          "under4=0\r\n"
                          "stride4=0\r\n");
}

TEST_F(FormatPresetTest, UnchangedPresetsKeepTheFileByteForByte)
{
    // Odd but readable spellings, a quoted name, spaces, an LF-only line and CP949 text.
    const QByteArray file = "[PROGRAM]\r\n"
                            "MyName=\xB1\xE8\r\n"
                            "[Format]\r\n"
                            "FontName1=\xB1\xBC\xB8\xB2\r\n" // 굴림
                            "FontSize1=9\r\n"                // kept, never applied
                            "FontColor1=$000000FF\r\n"       // red, unnamed spelling
                            "BackColor1=255\r\n"             // red as a decimal number
                            "bold1=7\r\n"                    // true
                            "italic1=0\r\n"
                            "stride1=5\r\n"                        // right
                            " fontname2 = \"\xB1\xC3\xBC\xAD\" \n" // "궁서"
                            "FontSize2=-1\r\n"
                            "FontColor2=not a colour\r\n"
                            "BackColor2=$80000005\r\n"
                            "bold2=yes\r\n"
                            "stride2=0x1\r\n";
    Given(file);

    const TzqFormatPreset one = ReadFormatPreset(FIni, 1);
    EXPECT_EQ(one.FontName, u"굴림"_s);
    EXPECT_EQ(one.FontSize, 9);
    EXPECT_FALSE(one.SizeApplies());
    EXPECT_EQ(one.FontColor, 0x0000FFu);
    EXPECT_EQ(one.BackColor, 0x0000FFu);
    EXPECT_TRUE(one.Bold);
    EXPECT_FALSE(one.Italic);
    EXPECT_FALSE(one.Under); // missing
    EXPECT_EQ(one.StrideValue(), 2);

    const TzqFormatPreset two = ReadFormatPreset(FIni, 2);
    EXPECT_EQ(two.FontName, u"궁서"_s);
    EXPECT_EQ(two.FontSize, -1);
    EXPECT_FALSE(two.SizeApplies());
    // Colours that cannot be read fall back to the key's default.
    EXPECT_EQ(two.FontColor, 0x000000u);
    EXPECT_EQ(two.BackColor, 0xFFFFFFu);
    EXPECT_FALSE(two.Bold);
    EXPECT_EQ(two.Stride, 1);

    // Only what the file lacks is added, at the end of the section: under1 for preset 1,
    // italic2 and under2 for preset 2.
    WriteFormatPreset(FIni, 1, one);
    WriteFormatPreset(FIni, 2, two);
    EXPECT_EQ(Contents(), file + "under1=0\r\nitalic2=0\r\nunder2=0\r\n");

    // With every key present, load and save is the identity.
    const QByteArray complete = Contents();
    for (int n = 1; n <= 2; ++n)
        WriteFormatPreset(FIni, n, ReadFormatPreset(FIni, n));
    EXPECT_EQ(Contents(), complete);
}

TEST_F(FormatPresetTest, ChangedValuesAreWrittenInTheirOwnForm)
{
    Given("[Format]\r\n"
          "FontName1=\xB1\xBC\xB8\xB2\r\n"
          "FontSize1=9\r\n"
          "FontColor1=$000000FF\r\n"
          "BackColor1=255\r\n"
          "bold1=7\r\n"
          "italic1=0\r\n"
          "under1=1\r\n"
          "stride1=5\r\n"
          "[Other]\r\n"
          "x=1\r\n");
    TzqFormatPreset preset = ReadFormatPreset(FIni, 1);
    preset.FontName = u"바탕"_s;
    preset.FontSize = 3;
    preset.FontColor = 0xF4FDFF;
    preset.BackColor = 0x000080;
    preset.Bold = false;
    preset.Italic = true;
    preset.Stride = 1;
    WriteFormatPreset(FIni, 1, preset);
    EXPECT_EQ(Contents(), "[Format]\r\n"
                          "FontName1=\xB9\xD9\xC5\xC1\r\n"
                          "FontSize1=3\r\n"
                          "FontColor1=$00F4FDFF\r\n"
                          "BackColor1=clMaroon\r\n"
                          "bold1=0\r\n"
                          "italic1=1\r\n"
                          "under1=1\r\n"
                          "stride1=1\r\n"
                          "[Other]\r\n"
                          "x=1\r\n");

    // Any alignment other than left and centre is written as 2.
    preset = ReadFormatPreset(FIni, 1);
    preset.Stride = 7;
    WriteFormatPreset(FIni, 1, preset);
    EXPECT_EQ(FIni.ReadBytes(u"Format"_s, u"stride1"_s, {}), "2");
    EXPECT_EQ(ReadFormatPreset(FIni, 1).Stride, 2);
}
