// Organising a store through the real window, offscreen: a note made from the new-note dialog,
// renamed through the plain name dialog, found by a word in it, and the result clicked.
#include "app/zqprjinfo.h"
#include "mainwin/frmmainql.h"
#include "mainwin/travlist.h"
#include "platform/cp949.h"
#include "store/zqtreeview.h"
#include "testutil.h"
#include "widgets/frmbluedialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// Fills the name box of the next dialog that opens and presses its OK button.
void AnswerNextDialog(const QString& name)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name] {
        auto* dialog = qobject_cast<TfrmBlueDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        auto* edit = dialog->findChild<QLineEdit*>(u"edtName"_s);
        edit->setText(name);
        dialog->ConfirmButton()->click();
    });
    timer->start(30);
}

} // namespace

TEST(Organising, CreateRenameSearchAndShowTheResult)
{
    QTemporaryDir program;
    const QString store = program.filePath(u"store"_s);
    QDir().mkpath(store + u"/Work"_s);
    WriteFile(store + u"/Work/Other.htm"_s, "nothing here");
    WriteFile(program.filePath(u"zqTemplate/Plain.htm"_s),
              cp949::FromUnicode(u"<html><body><h1><!--title--></h1><p>Zeppelin 비행선</p>"
                                 u"</body></html>\r\n"_s));
    WriteFile(program.filePath(u"zqQuillet.ini"_s),
              QByteArray("[PROGRAM]\r\nMyName=tester\r\n[DataDir1]\r\nName=S\r\ndir=" +
                         store.toUtf8() + "\r\n"));
    TzqPrjInfo prj(program.path());
    PrjInfo = &prj;
    {
        TfrmMainQL w;
        w.FormActivate();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_TRUE(w.Tree()->SelectByRelativePath(u"Work\\"_s));

        // A new note in the selected folder, in edit mode with the user's marker.
        AnswerNextDialog(u"  회의 a?b  "_s);
        w.MenuAndTree()->NewNoteAction()->trigger();
        const QString note = store + u"/Work/회의 a_b.htm"_s;
        ASSERT_TRUE(QFileInfo::exists(note));
        EXPECT_EQ(ReadFile(note), cp949::FromUnicode(u"<html><body><h1>회의 a?b</h1><p>Zeppelin "
                                                     u"비행선</p></body></html>\r\n"_s));
        EXPECT_EQ(w.ViewMode(), 1);
        EXPECT_EQ(ReadFile(store + u"/Work/회의 a_b.qzmod"_s), QByteArray("tester\r\n"));
        EXPECT_EQ(w.Tree()->CurrentPage(), note);

        // Renamed: browse mode, the marker gone, the tree and the history follow.
        AnswerNextDialog(u"Airship"_s);
        w.Actions().actFileRename->trigger();
        const QString renamed = store + u"/Work/Airship.htm"_s;
        ASSERT_TRUE(QFileInfo::exists(renamed));
        EXPECT_FALSE(QFileInfo::exists(note));
        EXPECT_FALSE(QFileInfo::exists(store + u"/Work/회의 a_b.qzmod"_s));
        EXPECT_EQ(w.ViewMode(), 0);
        EXPECT_EQ(w.Tree()->Model()->Text(w.Tree()->SelectedNode()), u"Airship"_s);
        EXPECT_FALSE(w.History()->Entries().contains(note));

        // Search for a word of the note from the folder of another page.
        ASSERT_TRUE(w.Tree()->SelectByRelativePath(u"Work\\Other.htm"_s));
        w.Modes()->btnToSearchModeClick();
        EXPECT_FALSE(w.TreeMode());
        TfrmMenuAndTree* panel = w.MenuAndTree();
        panel->SearchBox()->setText(u"zeppelin"_s);
        panel->SearchButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([panel] { return !panel->Searching(); }, 10000));
        ASSERT_EQ(panel->ResultList()->topLevelItemCount(), 1);
        EXPECT_EQ(panel->ResultList()->topLevelItem(0)->text(0), u"Airship"_s);
        EXPECT_EQ(panel->ResultPaths(), QStringList{renamed});
        // The first result is shown highlighted; the note itself is untouched.
        const QByteArray display = ReadFile(prj.SearchTempFileName());
        EXPECT_TRUE(display.contains(
            "<FONT style=\"BACKGROUND-COLOR: #ff6600\" color=#ffffff>Zeppelin</FONT>"));
        EXPECT_FALSE(ReadFile(renamed).contains("FONT"));

        // Back to the tree: the result shown last is selected there.
        w.Modes()->btnToTreeModeClick();
        EXPECT_TRUE(w.TreeMode());
        EXPECT_EQ(w.Tree()->CurrentPage(), renamed);
        w.close();
    }
    PrjInfo = nullptr;
}
