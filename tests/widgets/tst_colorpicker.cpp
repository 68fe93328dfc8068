// The colour picker button and its palette offscreen: the colour and its change signal, the
// named grid, choices by keyboard and mouse, the comb, and where the palette opens.
#include "widgets/colorpickerbutton.h"
#include "widgets/colorpopup.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TForm {
    QWidget Window;
    TColorPickerButton* Button = new TColorPickerButton(&Window);

    TForm()
    {
        Window.resize(200, 60);
        Button->setGeometry(20, 10, 40, 22);
        Button->SetDefaultText(u"글자 색상"_s);
        Button->SetCustomText(u"사용자 색상"_s);
        Button->setToolTip(u"글자색상"_s);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
};

} // namespace

TEST(ColorPicker, ChangeOnlyForADifferentColour)
{
    TColorPickerButton button;
    EXPECT_EQ(button.SelectionColor(), QColor(0, 0, 0));
    EXPECT_EQ(button.DropDownWidth(), 15);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    QSignalSpy changes(&button, &TColorPickerButton::Change);
    button.SetSelectionColor(QColor(0, 0, 0));
    EXPECT_EQ(changes.count(), 0);
    button.SetSelectionColor(QColor(255, 0, 0));
    EXPECT_EQ(changes.count(), 1);
    button.SetSelectionColor(QColor(255, 0, 0));
    EXPECT_EQ(changes.count(), 1);
}

TEST(ColorPicker, TheFortyNamedColours)
{
    // The grid, row by row.
    const QList<std::pair<QString, QColor>> expected{
        {u"Black"_s, {0, 0, 0}},
        {u"Brown"_s, {153, 51, 0}},
        {u"Olive Green"_s, {51, 51, 0}},
        {u"Dark Green"_s, {0, 51, 0}},
        {u"Dark Teal"_s, {0, 51, 102}},
        {u"Dark blue"_s, {0, 0, 128}},
        {u"Indigo"_s, {51, 51, 153}},
        {u"Gray-80%"_s, {51, 51, 51}},
        {u"Dark Red"_s, {128, 0, 0}},
        {u"Orange"_s, {255, 102, 0}},
        {u"Dark Yellow"_s, {128, 128, 0}},
        {u"Green"_s, {0, 128, 0}},
        {u"Teal"_s, {0, 128, 128}},
        {u"Blue"_s, {0, 0, 255}},
        {u"Blue-Gray"_s, {102, 102, 153}},
        {u"Gray-50%"_s, {128, 128, 128}},
        {u"Red"_s, {255, 0, 0}},
        {u"Light Orange"_s, {255, 153, 0}},
        {u"Lime"_s, {153, 204, 0}},
        {u"Sea Green"_s, {51, 153, 102}},
        {u"Aqua"_s, {51, 204, 204}},
        {u"Light Blue"_s, {51, 102, 255}},
        {u"Violet"_s, {128, 0, 128}},
        {u"Grey-40%"_s, {150, 150, 150}},
        {u"Pink"_s, {255, 0, 255}},
        {u"Gold"_s, {255, 204, 0}},
        {u"Yellow"_s, {255, 255, 0}},
        {u"Bright Green"_s, {0, 255, 0}},
        {u"Turquoise"_s, {0, 255, 255}},
        {u"Sky Blue"_s, {0, 204, 255}},
        {u"Plum"_s, {153, 51, 102}},
        {u"Gray-25%"_s, {192, 192, 192}},
        {u"Rose"_s, {255, 153, 204}},
        {u"Tan"_s, {255, 204, 153}},
        {u"Light Yellow"_s, {255, 255, 153}},
        {u"Light Green"_s, {204, 255, 204}},
        {u"Light Turquoise"_s, {204, 255, 255}},
        {u"Pale Blue"_s, {153, 204, 255}},
        {u"Lavender"_s, {204, 153, 255}},
        {u"White"_s, {255, 255, 255}},
    };
    ASSERT_EQ(TColorPopup::StandardColorCount(), 40);
    TForm f;
    f.Button->DropDown();
    TColorPopup* popup = f.Button->Popup();
    ASSERT_TRUE(popup);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    const QImage shot = popup->grab().toImage();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(TColorPopup::StandardColorName(i), expected[i].first) << i;
        EXPECT_EQ(TColorPopup::StandardColor(i), expected[i].second) << i;
        // Eight 18-pixel cells to a row, each showing its colour and naming it on hover.
        const QRect cell = popup->CellRect(i);
        EXPECT_EQ(cell.size(), QSize(18, 18));
        EXPECT_EQ(cell.topLeft() - popup->CellRect(0).topLeft(), QPoint(i % 8 * 18, i / 8 * 18));
        EXPECT_EQ(shot.pixelColor(cell.center()), expected[i].second) << i;
        QTest::mouseMove(popup, cell.center());
        EXPECT_EQ(popup->Hint(), expected[i].first);
    }
    EXPECT_TRUE(popup->CellRect(40).isNull());
}

TEST(ColorPicker, DefaultEntryChangesNothing)
{
    TForm f;
    f.Button->SetSelectionColor(QColor(0, 0, 255));
    QSignalSpy changes(f.Button, &TColorPickerButton::Change);
    QSignalSpy defaults(f.Button, &TColorPickerButton::DefaultSelect);
    f.Button->DropDown();
    TColorPopup* popup = f.Button->Popup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->Selected(), 13); // "Blue"
    // From the first row, up reaches the default entry.
    QTest::keyClick(popup, Qt::Key_Up);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->Highlight(), int(TColorPopup::ItemDefault));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(defaults.count(), 1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(f.Button->SelectionColor(), QColor(0, 0, 255));
    EXPECT_FALSE(f.Button->IsDropped());
    EXPECT_EQ(f.Button->Popup(), nullptr);

    // By mouse, the same.
    f.Button->DropDown();
    popup = f.Button->Popup();
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->DefaultRect().center());
    EXPECT_EQ(defaults.count(), 2);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(f.Button->IsDropped());
}

TEST(ColorPicker, KeyboardAndMouseChoices)
{
    TForm f;
    QSignalSpy changes(f.Button, &TColorPickerButton::Change);
    f.Button->DropDown();
    TColorPopup* popup = f.Button->Popup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->Highlight(), 0); // black is selected
    QTest::keyClick(popup, Qt::Key_Right);
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->Highlight(), 9);
    // Left from a row's first cell goes to the previous row's last.
    QTest::keyClick(popup, Qt::Key_Left);
    QTest::keyClick(popup, Qt::Key_Left);
    EXPECT_EQ(popup->Highlight(), 7);
    QTest::keyClick(popup, Qt::Key_Right);
    QTest::keyClick(popup, Qt::Key_Right);
    QTest::keyClick(popup, Qt::Key_Enter);
    EXPECT_EQ(f.Button->SelectionColor(), QColor(255, 102, 0)); // "Orange"
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(f.Button->IsDropped());

    // Esc closes without a choice.
    f.Button->DropDown();
    popup = f.Button->Popup();
    EXPECT_EQ(popup->Selected(), 9);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_FALSE(f.Button->IsDropped());
    EXPECT_EQ(changes.count(), 1);

    // A release on a cell chooses it.
    f.Button->DropDown();
    popup = f.Button->Popup();
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(26).center());
    EXPECT_EQ(f.Button->SelectionColor(), QColor(255, 255, 0));
    EXPECT_EQ(changes.count(), 2);

    // A program change reaches an open palette.
    f.Button->DropDown();
    popup = f.Button->Popup();
    f.Button->SetSelectionColor(QColor(0, 128, 0));
    EXPECT_EQ(popup->Selected(), 11);
    f.Button->CloseUp();
}

TEST(ColorPicker, CustomEntryUnfoldsTheComb)
{
    TForm f;
    QSignalSpy changes(f.Button, &TColorPickerButton::Change);
    f.Button->DropDown();
    TColorPopup* popup = f.Button->Popup();
    const int folded = popup->height();
    // Alt with the accelerator of the custom text; "사용자 색상" has none, so by keys.
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->Highlight(), int(TColorPopup::ItemCustom));
    QTest::keyClick(popup, Qt::Key_Space);
    ASSERT_TRUE(popup->CombShown());
    EXPECT_TRUE(f.Button->IsDropped());
    EXPECT_GT(popup->height(), folded);

    // Every comb cell is a distinct colour; hovering one names its components.
    const auto& cells = popup->CombCells();
    ASSERT_GT(cells.size(), 100u);
    QSet<QRgb> distinct;
    for (const auto& c : cells)
        distinct.insert(c.Color.rgb());
    EXPECT_EQ(distinct.size(), qsizetype(cells.size()));
    const auto& cell = cells.at(cells.size() / 3);
    const QPoint at = cell.Centre.toPoint();
    EXPECT_EQ(popup->CombColorAt(at), cell.Color);
    QTest::mouseMove(popup, at);
    EXPECT_EQ(popup->Hint(), u"red: %1, green: %2, blue: %3"_s.arg(cell.Color.red())
                                 .arg(cell.Color.green())
                                 .arg(cell.Color.blue()));
    // The grey row, white at its left end and black at its right.
    QTest::mouseMove(popup, popup->GreyRect().topLeft() + QPoint(1, 2));
    EXPECT_EQ(popup->Hint(), u"Intensity: 100%"_s);
    QTest::mouseMove(popup, popup->GreyRect().topRight() + QPoint(-1, 2));
    EXPECT_EQ(popup->Hint(), u"Intensity: 0%"_s);

    QTest::mouseClick(popup, Qt::LeftButton, {}, at);
    EXPECT_EQ(f.Button->SelectionColor(), cell.Color);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(f.Button->IsDropped());
}

TEST(ColorPicker, AltAcceleratorsOfTheEntries)
{
    TForm f;
    f.Button->SetDefaultText(u"자동(&A)"_s);
    f.Button->SetCustomText(u"기타 색(&M)"_s);
    QSignalSpy defaults(f.Button, &TColorPickerButton::DefaultSelect);
    f.Button->DropDown();
    QTest::keyClick(f.Button->Popup(), Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(f.Button->Popup()->CombShown());
    QTest::keyClick(f.Button->Popup(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(defaults.count(), 1);
    EXPECT_FALSE(f.Button->IsDropped());
}

TEST(ColorPicker, LeftPartClicksRightPartDrops)
{
    TForm f;
    QSignalSpy clicks(f.Button, &QAbstractButton::clicked);
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(f.Button->IsDropped());
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(35, 10));
    EXPECT_TRUE(f.Button->IsDropped());
    EXPECT_EQ(clicks.count(), 1);
    f.Button->CloseUp();
}

TEST(ColorPicker, PaletteStaysOnTheScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect area = screen->availableGeometry();
    {
        // Room below: under the button's left edge.
        TForm f;
        f.Window.move(area.left() + 100, area.top() + 50);
        QCoreApplication::processEvents();
        f.Button->DropDown();
        const QPoint below = f.Button->mapToGlobal(QPoint(0, f.Button->height()));
        EXPECT_EQ(f.Button->Popup()->geometry().topLeft(), below);
        f.Button->CloseUp();
    }
    {
        // Near the bottom right: above the button, pushed left onto the screen.
        TForm f;
        f.Window.move(area.right() - 70, area.bottom() - 50);
        QCoreApplication::processEvents();
        f.Button->DropDown();
        const QRect popup = f.Button->Popup()->geometry();
        const QPoint top = f.Button->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(popup.bottom() + 1, top.y());
        EXPECT_LE(popup.right(), area.right());
        EXPECT_LT(popup.left(), top.x());
        f.Button->CloseUp();
    }
}
