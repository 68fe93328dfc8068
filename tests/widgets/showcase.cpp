// Not a check: draws the component set and an open palette into a PNG for a person to look at.
// Run with --gtest_also_run_disabled_tests and QUILLET_SHOWCASE=<file.png>.
#include "widgets/colorpickerbutton.h"
#include "widgets/colorpopup.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QPainter>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

TEST(Showcase, DISABLED_DrawsTheComponentSet)
{
    const QString path = qEnvironmentVariable("QUILLET_SHOWCASE", u"showcase.png"_s);
    QWidget form;
    form.resize(470, 330);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(0xFB, 0xFB, 0xF9));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    QFont font(u"NanumGothic"_s);
    font.setPixelSize(12);
    form.setFont(font);

    TzqGradiColors* colors = TzqGradiColors::CreateWithHover(&form);
    const auto push = [&](const QString& text, int x, int y) {
        auto* b = new TzqGradiButton(text, &form);
        b->SetColors(colors);
        b->setGeometry(x, y, 90, 24);
        return b;
    };
    push(u"확인(&Y)"_s, 10, 10)->SetDefault(true);
    push(u"취소(&C)"_s, 110, 10);
    push(u"눌림"_s, 210, 10)->setDown(true);
    auto* hover = push(u"마우스 위"_s, 310, 10);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(hover, &enter);
    push(u"사용 안 함"_s, 10, 44)->setEnabled(false);
    push(u"회색"_s, 110, 44)->SetGrayed(true);
    push(u"표시"_s, 210, 44)->SetMarked(true);
    auto* icon = push(u"굵게"_s, 310, 44);
    icon->SetImages({QIcon(u":/icons/format-bold.png"_s)});
    icon->SetImageIndex(0);
    icon->SetIconX(6);
    icon->SetIconY(4);
    icon->SetCapX(28);
    icon->SetCapY(5);
    auto* split = push(u"두 줄|캡션"_s, 10, 78);
    split->resize(90, 36);
    split->SetCapX(20);
    split->SetCapY(4);
    // Narrow: each column moves every component by at least one unit.
    auto* vertical = push(u"세로"_s, 110, 78);
    vertical->resize(60, 36);
    vertical->SetVerticalGradi(true);

    auto* fontColor = new TColorPickerButton(&form);
    fontColor->setGeometry(10, 170, 40, 24);
    fontColor->SetGlyph(QIcon(u":/icons/font-color.png"_s));
    fontColor->SetSelectionColor(QColor(255, 0, 0));
    fontColor->SetDefaultText(u"글자 색상"_s);
    fontColor->SetCustomText(u"사용자 색상"_s);
    auto* backColor = new TColorPickerButton(&form);
    backColor->setGeometry(55, 170, 40, 24);
    backColor->SetGlyph(QIcon(u":/icons/back-color.png"_s));
    backColor->SetSelectionColor(QColor(255, 255, 0));

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    fontColor->DropDown();
    TColorPopup* popup = fontColor->Popup();
    ASSERT_TRUE(popup);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    ASSERT_TRUE(popup->CombShown());
    const auto& cells = popup->CombCells();
    QTest::mouseMove(popup, cells.at(cells.size() / 3).Centre.toPoint());
    popup->update();

    const QPixmap formShot = form.grab();
    const QPixmap popupShot = popup->grab();
    const qreal dpr = formShot.devicePixelRatio();
    QImage sheet((QSizeF(form.width() + popupShot.width() / dpr + 20,
                         std::max<qreal>(form.height(), popupShot.height() / dpr + 20)) *
                  dpr)
                     .toSize(),
                 QImage::Format_RGB32);
    sheet.setDevicePixelRatio(dpr);
    sheet.fill(QColor(0xE8, 0xE6, 0xE0));
    {
        QPainter p(&sheet);
        p.drawPixmap(0, 0, formShot);
        p.drawPixmap(form.width() + 10, 10, popupShot);
    }
    EXPECT_TRUE(sheet.save(path));
}
