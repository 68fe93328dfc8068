#include "platform/fileopdialogs.h"
#include "platform/guiutil.h"
#include "platform/util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// Clicks the button with the given text in the next message box that opens.
void ClickInNextMessageBox(const QString& buttonText)
{
    QTimer::singleShot(0, qApp, [buttonText] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == buttonText) {
                    button->click();
                    return;
                }
            }
        }
        ClickInNextMessageBox(buttonText);
    });
}

} // namespace

TEST(GuiUtil, HueShiftBitmapRecoloursEveryPixelAndKeepsAlpha)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0x80FF0000u);
    image.setPixel(1, 0, 0xFF808080u);
    HueShiftBitmap(image, 80);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(0, 0), 0x8000FF00u);
    EXPECT_EQ(image.pixel(1, 0), 0xFF808080u);

    QImage opaque(1, 1, QImage::Format_RGB888);
    opaque.setPixel(0, 0, 0xFF0000FFu);
    HueShiftBitmap(opaque, 120);
    EXPECT_EQ(opaque.pixel(0, 0), 0xFFFFFF00u);

    const QFont font;
    const QString path = u"/home/someone/Documents/Notes/Work/2024"_s;
    const int full = QFontMetrics(font).horizontalAdvance(path);
    EXPECT_EQ(ShortenPathToWidth(path, font, full + 1), path);
    const QString shorter = ShortenPathToWidth(path, font, full);
    EXPECT_TRUE(shorter.contains(u"/.../"_s)) << qPrintable(shorter);
    EXPECT_LT(QFontMetrics(font).horizontalAdvance(shorter), full);

    EXPECT_EQ(ModifierMask(), 0);
    EXPECT_FALSE(IsCtrlDown() || IsShiftDown() || IsAltDown());
}

TEST(GuiUtil, FileOpDialogsAnswerThroughTheirButtons)
{
    TzqFileOpDialogs dialogs(nullptr);
    ClickInNextMessageBox(u"모두 바꾸기"_s);
    EXPECT_EQ(dialogs.AskReplace(u"/tmp/x/a.htm"_s, false), TzqReplaceAnswer::ReplaceAll);
    ClickInNextMessageBox(u"건너뛰기"_s);
    EXPECT_EQ(dialogs.AskReplace(u"/tmp/x/d"_s, true), TzqReplaceAnswer::Skip);
    ClickInNextMessageBox(u"취소"_s);
    EXPECT_EQ(dialogs.AskReplace(u"/tmp/x/a.htm"_s, false), TzqReplaceAnswer::Cancel);
    ClickInNextMessageBox(u"예"_s);
    EXPECT_EQ(dialogs.AskDeleteForGood(u"/tmp/x/a.htm"_s, false, true), TzqDeleteAnswer::Yes);
    ClickInNextMessageBox(u"아니요"_s);
    EXPECT_EQ(dialogs.AskDeleteForGood(u"/tmp/x/a.htm"_s, false, false), TzqDeleteAnswer::No);

    // The progress dialog's cancel button ends the operation at the next step.
    EXPECT_TRUE(dialogs.Progress(0, 10, u"/tmp/x/a.htm"_s));
    QProgressDialog* progress = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<QProgressDialog*>(widget))
            progress = found;
    }
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->labelText(), u"파일 작업 중...\na.htm"_s);
    progress->cancel();
    EXPECT_FALSE(dialogs.Progress(1, 10, u"/tmp/x/b.htm"_s));
    dialogs.ProgressDone();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QProgressDialog*>(widget), nullptr);
}
