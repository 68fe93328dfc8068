// The scratch notepad offscreen: what it leaves on disk when opened, typed into and closed.
#include "app/zqprjinfo.h"
#include "testutil.h"
#include "tools/frmnotepad.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// Korean text arrives from the input method as committed strings.
void TypeKorean(QWidget* widget, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

class NotePadTest : public ::testing::Test {
protected:
    void SetUp() override { Main = NewMain(); }
    std::unique_ptr<QWidget> NewMain()
    {
        auto main = std::make_unique<QWidget>();
        main->setGeometry(100, 100, 700, 500);
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        return main;
    }
    QString TextFile() const { return Dir.filePath(u"tmpzqq.txt"_s); }
    QString Ini() const { return Dir.filePath(u"zqQuillet.ini"_s); }

    QTemporaryDir Dir;
    TzqPrjInfo Prj{Dir.path()};
    std::unique_ptr<QWidget> Main;
    QPointer<TfrmNotePad> Pad;
};

} // namespace

TEST_F(NotePadTest, NothingIsWrittenUntilTheNotePadCloses)
{
    WriteFile(TextFile(), "old\r\n");
    WriteFile(Ini(), "[PROGRAM]\r\nTreeWidth=250\r\n");
    Main.reset();
    Main = NewMain();
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("old\r\n"));
    EXPECT_EQ(ReadFile(Ini()), QByteArray("[PROGRAM]\r\nTreeWidth=250\r\n"));

    // Opening only reads.
    ToggleNotePad(Pad, Main.get(), Prj);
    EXPECT_EQ(Pad->Memo()->toPlainText(), u"old"_s);
    Main.reset();
    EXPECT_TRUE(Pad.isNull()) << "the main window owns the notepad";
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("old\r\n"));
    EXPECT_EQ(ReadFile(Ini()), QByteArray("[PROGRAM]\r\nTreeWidth=250\r\n"));
}

TEST_F(NotePadTest, OpenTypeEscapeReopenKeepsTheText)
{
    EXPECT_FALSE(QFileInfo::exists(TextFile()));
    ToggleNotePad(Pad, Main.get(), Prj);
    ASSERT_TRUE(Pad);
    EXPECT_TRUE(Pad->isVisible());
    EXPECT_EQ(Pad->Memo()->toPlainText(), QString()) << "no file: an empty notepad";

    QPlainTextEdit* mem = Pad->Memo();
    TypeKorean(mem, u"할 일"_s);
    QTest::keyClick(mem, Qt::Key_Return);
    QTest::keyClicks(mem, u"milk"_s);
    Pad->resize(333, 222);
    Pad->move(150, 160);
    const QRect bounds(Pad->pos(), Pad->size());

    QTest::keyClick(mem, Qt::Key_Escape);
    EXPECT_FALSE(Pad->isVisible());
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("\xC7\xD2 \xC0\xCF\r\nmilk\r\n"));
    EXPECT_EQ(Prj.LoadFormPlacement(u"TfrmNotePad"_s), bounds);

    // The tool bar item shows it again, same text; a second click closes it again.
    ToggleNotePad(Pad, Main.get(), Prj);
    EXPECT_TRUE(Pad->isVisible());
    EXPECT_EQ(Pad->Memo()->toPlainText(), u"할 일\nmilk"_s);
    QTest::keyClicks(Pad->Memo(), u"!"_s);
    ToggleNotePad(Pad, Main.get(), Prj);
    EXPECT_FALSE(Pad->isVisible());
    EXPECT_EQ(ReadFile(TextFile()), QByteArray("\xC7\xD2 \xC0\xCF\r\nmilk!\r\n"));
    EXPECT_FALSE(Pad->CloseIfVisible());

    // The next run: same text, same place and size.
    Main = NewMain();
    ASSERT_TRUE(Pad.isNull());
    ToggleNotePad(Pad, Main.get(), Prj);
    EXPECT_EQ(Pad->Memo()->toPlainText(), u"할 일\nmilk!"_s);
    EXPECT_EQ(QRect(Pad->pos(), Pad->size()), bounds);
    EXPECT_TRUE(Pad->CloseIfVisible());
}

TEST_F(NotePadTest, TextThatCannotBeWrittenKeepsTheWindowOpen)
{
    ToggleNotePad(Pad, Main.get(), Prj);
    QStringList errors;
    Pad->SetErrorHandler([&](const QString& text) { errors.append(text); });
    TypeKorean(Pad->Memo(), u"소중한 메모"_s);
    // A directory stands where the file should go.
    QDir().mkpath(TextFile());

    Pad->close();
    EXPECT_TRUE(Pad->isVisible());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(u"tmpzqq.txt"_s));
    EXPECT_FALSE(Prj.LoadFormPlacement(u"TfrmNotePad"_s).has_value());
    EXPECT_EQ(Pad->Memo()->toPlainText(), u"소중한 메모"_s);

    QDir().rmdir(TextFile());
    Pad->close();
    EXPECT_FALSE(Pad->isVisible());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(Prj.LoadFormPlacement(u"TfrmNotePad"_s).has_value());
}
