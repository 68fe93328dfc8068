// The main window with the real browser engine, offscreen: a store with Korean names is
// opened, a folder and a note are clicked, and what the browse view shows is read back.
#include "app/pagedefaults.h"
#include "app/zqprjinfo.h"
#include "editor/zqbrowseview.h"
#include "mainwin/frmmainql.h"
#include "platform/cp949.h"
#include "platform/textfile.h"
#include "store/notestore.h"
#include "store/zqtreeview.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// Text of the browse view's document, read in the program's own script world (the page's own
// scripts are off).
QString BodyText(QWebEngineView* view)
{
    QString text;
    bool done = false;
    view->page()->runJavaScript(u"document.body ? document.body.innerText : ''"_s,
                                QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                                    text = v.toString();
                                    done = true;
                                });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Store = Program.filePath(u"노트"_s);
        Other = Program.filePath(u"other"_s);
        QDir().mkpath(Other);
        WriteFile(Other + u"/only.htm"_s, "x");
        const QByteArray html = cp949::FromUnicode(
            u"<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">"
            u"</HEAD><BODY><P>한글 똠방각하 ■ 돋움 뷁</P><IMG id=pic src=\"__회의록\\pic.png\">"
            u"</BODY></HTML>\r\n"_s);
        NotePath = Store + u"/업무/회의록.htm"_s;
        WriteFile(NotePath, html);
        // A 2 x 1 PNG picture in the note's file folder.
        QImage pic(2, 1, QImage::Format_RGB32);
        pic.fill(Qt::red);
        QDir().mkpath(Store + u"/업무/__회의록"_s);
        ASSERT_TRUE(pic.save(Store + u"/업무/__회의록/pic.png"_s));
        WriteFile(Store + u"/가나다.htm"_s, "a");
        const QByteArray ini =
            "[PROGRAM]\r\nMyName=tester\r\n[DataDir1]\r\nName=" + cp949::FromUnicode(u"내 노트"_s) +
            "\r\ndir=" + cp949::FromUnicode(Store) +
            "\r\nIsShare=0\r\n[DataDir2]\r\n"
            "Name=Other\r\ndir=" +
            Other.toUtf8() + "\r\n";
        WriteFile(Program.filePath(u"zqQuillet.ini"_s), ini);
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
    }
    void TearDown() override { PrjInfo = nullptr; }

    std::unique_ptr<TfrmMainQL> OpenWindow()
    {
        auto w = std::make_unique<TfrmMainQL>();
        w->FormActivate();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    // Clicks a node's label and waits until the browse view has loaded its page.
    bool ClickAndWaitForLoad(TfrmMainQL& w, const QModelIndex& node)
    {
        TzqTreeView* view = w.MenuAndTree()->TreeView();
        view->scrollTo(node);
        QSignalSpy loaded(w.DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished);
        const QRect r = view->visualRect(node);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        return loaded.wait(20000) && loaded.last().front().toBool();
    }

    QTemporaryDir Program;
    QString Store;
    QString Other;
    QString NotePath;
    std::unique_ptr<TzqPrjInfo> Prj;
};

} // namespace

TEST_F(MainWindowTest, ShowsFolderAndNotePagesWithTheHangulOnlyCp949Has)
{
    auto w = OpenWindow();
    TzqTree* tree = w->Tree();
    EXPECT_EQ(w->MenuAndTree()->DataDirBox()->currentText(), u"내 노트"_s);
    EXPECT_FALSE(tree->Shared());
    ASSERT_EQ(tree->Model()->rowCount(), 2);
    const QModelIndex folder = tree->Model()->index(0, 0);
    EXPECT_EQ(tree->Model()->Text(folder), u"업무"_s);

    // The folder's page is written from the default document, then shown.
    ASSERT_TRUE(ClickAndWaitForLoad(*w, folder));
    const QString folderNote = Store + u"/업무/___zq_quillet__folder.htm"_s;
    EXPECT_EQ(ReadFile(folderNote), textfile::JoinLines(FolderNoteDefault()));
    EXPECT_EQ(w->windowTitle(), Store + u"/업무"_s);
    EXPECT_EQ(w->windowIconText(), u"업무"_s);
    EXPECT_TRUE(tree->IsExpanded(folder)); // a click on a closed folder's label opens it
    EXPECT_TRUE(BodyText(w->DhtmlEditor()->Browser()).contains(u"title"_s));

    const QModelIndex note = tree->Model()->FindChild(folder, u"회의록"_s);
    ASSERT_TRUE(note.isValid());
    ASSERT_TRUE(ClickAndWaitForLoad(*w, note));
    EXPECT_EQ(tree->CurrentPage(), NotePath);
    EXPECT_EQ(w->windowTitle(), Store + u"/업무/회의록"_s);
    EXPECT_EQ(BodyText(w->DhtmlEditor()->Browser()).trimmed(), u"한글 똠방각하 ■ 돋움 뷁"_s);
    // The picture came through the file folder reference with its backslash.
    int width = 0;
    bool done = false;
    w->DhtmlEditor()->Browser()->page()->runJavaScript(
        u"document.getElementById('pic').naturalWidth"_s, QWebEngineScript::ApplicationWorld,
        [&](const QVariant& v) {
            width = v.toInt();
            done = true;
        });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    EXPECT_EQ(width, 2);
    // Browsing never writes the note.
    EXPECT_TRUE(ReadFile(NotePath).contains("\x8C\x63"));
}

TEST_F(MainWindowTest, ClosingStoresTheStateAndTheNextStartReturnsToThePage)
{
    {
        auto w = OpenWindow();
        const QModelIndex folder = w->Tree()->Model()->index(0, 0);
        ASSERT_TRUE(ClickAndWaitForLoad(*w, folder));
        const QModelIndex note = w->Tree()->Model()->FindChild(folder, u"회의록"_s);
        ASSERT_TRUE(ClickAndWaitForLoad(*w, note));
        w->close();
    }
    const TzqIniFile& ini = Prj->Ini();
    EXPECT_EQ(ini.ReadString(u"PROGRAM"_s, u"lstPage"_s), u"업무\\회의록.htm"_s);
    EXPECT_GT(ini.ReadInteger(u"PROGRAM"_s, u"TreeWidth"_s, 0), 1);
    EXPECT_EQ(ini.ReadInteger(u"PROGRAM"_s, u"Width"_s, 0), 700);

    auto w = OpenWindow();
    EXPECT_EQ(w->Tree()->CurrentPage(), NotePath);
}

TEST_F(MainWindowTest, PickingAnotherDataDirectoryReloadsTheTree)
{
    auto w = OpenWindow();
    QComboBox* box = w->MenuAndTree()->DataDirBox();
    ASSERT_EQ(box->count(), 2);
    box->setCurrentIndex(1);
    Q_EMIT box->activated(1);
    EXPECT_EQ(w->Tree()->RootDir(), Other);
    EXPECT_TRUE(w->Tree()->Shared());                            // IsShare absent reads as shared
    EXPECT_EQ(w->Tree()->CurrentPage(), Other + u"/only.htm"_s); // the first node is shown
    EXPECT_EQ(Prj->Ini().ReadString(u"PROGRAM"_s, u"LstDir"_s), u"Other"_s);
}
