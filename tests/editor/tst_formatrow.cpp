// The format preset rows of the settings dialog: what they show of the settings file, and that
// saving them without a change leaves the file byte for byte.
#include "app/zqinifile.h"
#include "editor/editfonts.h"
#include "editor/rmtextformat.h"
#include "testutil.h"
#include "widgets/colorpickerbutton.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// Nine presets as users' files hold them: odd but readable spellings, an unreadable colour, a
// size the box cannot show, a font this machine lacks.
QByteArray Presets()
{
    QByteArray ini = "[Format]\r\n";
    for (int n = 1; n <= 9; ++n) {
        const QByteArray k = QByteArray::number(n);
        const QByteArray font = n == 5 ? "NoSuchFont" : n == 2 ? "\xB1\xBC\xB8\xB2" : "Arial";
        ini += "FontName" + k + "=" + font + "\r\n";
        ini += "FontSize" + k + "=" + (n == 4 ? "9" : QByteArray::number(n % 7)) + "\r\n";
        ini += "FontColor" + k + "=" +
               (n == 1   ? "$000000FF"
                : n == 6 ? "purple?"
                         : "clBlack") +
               "\r\n";
        ini += "BackColor" + k + "=" + (n == 3 ? "16777215" : "clYellow") + "\r\n";
        ini += "bold" + k + "=" + (n == 2 ? "7" : "0") + "\r\n";
        ini += "italic" + k + "=1\r\n";
        ini += "under" + k + "=0\r\n";
        ini += "stride" + k + "=" + (n == 3 ? "5" : QByteArray::number(n % 3)) + "\r\n";
    }
    return ini;
}

} // namespace

TEST(FormatRowTest, RowsShowTheSettingsAndSaveThemBackByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"zqQuillet.ini"_s);
    WriteFile(path, Presets());
    TzqIniFile ini(path);

    std::vector<std::unique_ptr<T_rmTextFormat>> rows;
    for (int n = 1; n <= 9; ++n) {
        rows.push_back(std::make_unique<T_rmTextFormat>());
        rows.back()->Load(ini, n);
    }
    T_rmTextFormat& one = *rows[0];
    EXPECT_EQ(one.findChild<QLabel*>(u"labCtrl"_s)->text(), u"Ctrl-1"_s);
    EXPECT_EQ(one.FontColor()->SelectionColor(), QColor(255, 0, 0));
    EXPECT_EQ(one.FontSizeBox()->currentText(), u"2"_s);
    EXPECT_TRUE(rows[1]->findChild<QAction*>(u"tbiBold"_s)->isChecked()); // "7" reads as true
    EXPECT_EQ(rows[1]->FontNameBox()->currentText(), u"굴림"_s);
    EXPECT_TRUE(rows[2]->findChild<QAction*>(u"tbiAlignRight"_s)->isChecked()); // 5: right
    EXPECT_EQ(rows[3]->FontSizeBox()->currentIndex(), -1);                      // 9 cannot be shown
    EXPECT_EQ(rows[4]->FontNameBox()->currentText(), u"NoSuchFont"_s);
    EXPECT_EQ(rows[5]->FontColor()->SelectionColor(), QColor(Qt::black)); // unreadable: default

    for (const auto& row : rows)
        row->Save(ini);
    // Even the unreadable colour stays as the user wrote it: it was shown as its default and
    // not changed.
    QByteArray expected = Presets();
    EXPECT_EQ(ReadFile(path).toStdString(), expected.toStdString());

    // One change writes one key.
    rows[1]->findChild<QAction*>(u"tbiBold"_s)->setChecked(false);
    rows[1]->BackColor()->SetSelectionColor(QColor(0xF4, 0xFD, 0xFF).toRgb());
    rows[1]->Save(ini);
    expected.replace("bold2=7", "bold2=0");
    expected.replace("BackColor2=clYellow", "BackColor2=$00FFFDF4");
    EXPECT_EQ(ReadFile(path).toStdString(), expected.toStdString());
}

TEST(FormatRowTest, FontNamesOfferTheKoreanNamesFirstAndEachNameOnce)
{
    const QStringList names =
        EditorFontNames({u"Zeta"_s, u"돋움"_s, u".Hidden"_s, u"alpha"_s, u"Zeta"_s});
    EXPECT_EQ(names.first(), u"굴림"_s);
    EXPECT_EQ(names.count(u"돋움"_s), 1);
    EXPECT_EQ(names.mid(names.size() - 2), (QStringList{u"alpha"_s, u"Zeta"_s}));
    EXPECT_FALSE(names.contains(u".Hidden"_s));
}
