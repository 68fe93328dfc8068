// The layer dialog offscreen: what it shows from the settings, what OK stores and returns,
// that Cancel stores nothing, the palette and the colour swatches.
#include "app/zqinifile.h"
#include "editor/frmdisignlayer.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// The colour dialog replaced by a scripted answer.
class TScriptedLayerDialog : public TfrmDisignLayer {
public:
    using TfrmDisignLayer::TfrmDisignLayer;
    std::optional<QColor> Answer;
    QStringList Asked;

protected:
    std::optional<QColor> ChooseColor(const QColor&, const QString& title) override
    {
        Asked += title;
        return Answer;
    }
};

class DisignLayerTest : public ::testing::Test {
protected:
    QString IniPath() const { return Dir.filePath(u"zqQuillet.ini"_s); }

    template <typename T> static T* Child(QWidget* d, const QString& name)
    {
        T* w = d->findChild<T*>(name);
        EXPECT_TRUE(w) << qPrintable(name);
        return w;
    }
    static void Show(QDialog& d)
    {
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    }
    static void Press(QDialog& d, const QString& button)
    {
        Child<QAbstractButton>(&d, button)->click();
    }

    QTemporaryDir Dir;
};

const QString LayerOpen = u"<div style=\"position:absolute; width:200px; z-index:100\">"_s;
const QString LayerClose = u"<div>더블클릭으로 내용 입력</div></TD></TR></TABLE></div>"_s;

TEST_F(DisignLayerTest, DefaultsAndOkStoresTheChoices)
{
    TzqIniFile ini(IniPath());
    TScriptedLayerDialog d(nullptr, &ini);
    Show(d);
    EXPECT_EQ(d.windowTitle(), u"Layer option"_s);
    EXPECT_TRUE(Child<QCheckBox>(&d, u"chkBorder"_s)->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(&d, u"chkFill"_s)->isChecked());
    EXPECT_EQ(Child<QCheckBox>(&d, u"chkBorder"_s)->text(), u"테두리 색상"_s);
    EXPECT_EQ(Child<QCheckBox>(&d, u"chkFill"_s)->text(), u"내부 색상"_s);
    auto* border = Child<QSpinBox>(&d, u"spnBorder"_s);
    auto* margin = Child<QSpinBox>(&d, u"spnMargin"_s);
    EXPECT_EQ(border->value(), 1);
    EXPECT_EQ(margin->value(), 1);
    EXPECT_EQ(border->minimum(), 1);
    EXPECT_EQ(margin->minimum(), 0);
    EXPECT_EQ(margin->maximum(), 10);
    EXPECT_FALSE(QFileInfo::exists(IniPath()));

    border->setValue(2);
    margin->setValue(3);
    Press(d, u"btnConfirm"_s);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Markup(),
              LayerOpen +
                  u" <TABLE WIDTH=\"100%\" border=0 cellPadding=3 cellSpacing=2 bgColor=#FFE0B3>"
                  u"<TR><TD valign=\"top\" bgColor=#FFFDF4>"_s +
                  LayerClose);
    EXPECT_EQ(ReadFile(IniPath()), "[PROGRAM]\r\nLBC=1\r\nLFC=1\r\nLBW=2\r\nLMW=3\r\n");
}

TEST_F(DisignLayerTest, ShowsTheStoredChoicesAndCancelStoresNothing)
{
    const QByteArray before = "[PROGRAM]\r\nLBC=0\r\nLFC=1\r\nLBW=4\r\nLMW=0\r\n";
    WriteFile(IniPath(), before);
    TzqIniFile ini(IniPath());
    TScriptedLayerDialog d(nullptr, &ini);
    Show(d);
    auto* chkBorder = Child<QCheckBox>(&d, u"chkBorder"_s);
    EXPECT_FALSE(chkBorder->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(&d, u"chkFill"_s)->isChecked());
    EXPECT_EQ(Child<QSpinBox>(&d, u"spnBorder"_s)->value(), 4);
    EXPECT_EQ(Child<QSpinBox>(&d, u"spnMargin"_s)->value(), 0);
    EXPECT_FALSE(Child<QAbstractButton>(&d, u"shpBorder"_s)->isEnabled());

    chkBorder->setChecked(true);
    Child<QSpinBox>(&d, u"spnMargin"_s)->setValue(9);
    Press(d, u"btnCancel"_s);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(d.Markup().isEmpty());
    EXPECT_EQ(ReadFile(IniPath()), before);

    // Opened again, it shows the stored choices, not those of the cancelled visit.
    Show(d);
    EXPECT_FALSE(chkBorder->isChecked());
    EXPECT_EQ(Child<QSpinBox>(&d, u"spnMargin"_s)->value(), 0);
    Child<QCheckBox>(&d, u"chkFill"_s)->setChecked(false);
    Press(d, u"btnConfirm"_s);
    EXPECT_EQ(d.Markup(), LayerOpen + u"<div>더블클릭으로 내용 입력</div></div>"_s);
    EXPECT_EQ(ReadFile(IniPath()), "[PROGRAM]\r\nLBC=0\r\nLFC=0\r\nLBW=4\r\nLMW=0\r\n");
}

TEST_F(DisignLayerTest, PaletteAndColourSwatches)
{
    TzqIniFile ini(IniPath());
    TScriptedLayerDialog d(nullptr, &ini);
    Show(d);
    ASSERT_EQ(TfrmDisignLayer::PaletteColors().size(), 18);

    // A palette swatch gives the fill its inner colour and the border its outline colour.
    QTest::mousePress(Child<QAbstractButton>(&d, u"shpTemp14"_s), Qt::LeftButton);
    QTest::mouseRelease(Child<QAbstractButton>(&d, u"shpTemp14"_s), Qt::LeftButton);
    EXPECT_EQ(d.Options().FillColor, 0xFF8E6Eu);
    EXPECT_EQ(d.Options().BorderColor, 0xBD2B00u);

    // The border swatch asks for a colour; a cancelled choice changes nothing.
    d.Answer = std::nullopt;
    Press(d, u"shpBorder"_s);
    EXPECT_EQ(d.Options().BorderColor, 0xBD2B00u);
    d.Answer = QColor(0x12, 0x34, 0x56);
    Press(d, u"shpBorder"_s);
    d.Answer = QColor(0xAB, 0xCD, 0xEF);
    Press(d, u"shpFill"_s);
    EXPECT_EQ(d.Asked, (QStringList{u"테두리 색상"_s, u"테두리 색상"_s, u"내부 색상"_s}));
    Press(d, u"btnConfirm"_s);
    EXPECT_TRUE(d.Markup().contains(u"bgColor=#123456><TR><TD valign=\"top\" bgColor=#ABCDEF>"_s));

    // Colours are not kept: the next opening starts from the initial ones.
    Show(d);
    EXPECT_EQ(d.Options().BorderColor, 0xFFE0B3u);
    EXPECT_EQ(d.Options().FillColor, 0xFFFDF4u);
    EXPECT_FALSE(ReadFile(IniPath()).contains("123456"));

    d.grab().save(u"/tmp/insert-layer-dialog.png"_s);
    d.reject();
}

} // namespace
