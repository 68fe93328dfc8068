// The picture item of the editing toolbar in the editor frame, with the real browser engine
// offscreen: chosen picture files go into the note's file folder, the note and the attached
// files panel; what cannot be used is told; a web address is brought in as a paste.
#include "editor/frmattachedfiles.h"
#include "editor/frmdhtmleditor.h"
#include "editor/izqeditorhost.h"
#include "editor/notecontent.h"
#include "editor/zqinsertitems.h"
#include "editor/zqnotepage.h"
#include "editor/zqpaste.h"
#include "editor/zqwebeditview.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

struct TEditHost : IzqEditorHost {
    QString Page;
    QString Root;

    int ViewMode() const override { return 1; }
    bool TreeMode() const override { return true; }
    QString CurrentPage() const override { return Page; }
    QString RootDir() const override { return Root; }
    bool Shared() const override { return false; }
    QString MyName() const override { return u"나"_s; }
    QString CharSet() const override { return u"euc-kr"_s; }
    int AutoSaveMinutes() const override { return 10; }
    bool ChangeMsg() const override { return false; }
    QList<QByteArray> FolderNoteDefault() const override { return {}; }
    void AddToHistory(const QString&) override {}
    bool SelectByRelativePath(const QString&) override { return false; }
    void OpenWithShell(const QString&) override {}
    void SetEditItemsEnabled(bool) override {}
    void ShowStatusText(const QString&) override {}
};

struct TEditUi : IzqEditorUi {
    QStringList Errors;

    void ShowError(const QString& text) override { Errors.append(text); }
    void ShowMsgBox(const QString&) override {}
    bool AskReload() override { return false; }
    TzqSaveConflictAnswer AskSaveConflict(const QString&) override
    {
        return TzqSaveConflictAnswer::Cancel;
    }
};

class InsertPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        NoteScope().SetPlaces({Store.path()}, {});
        Host.Root = Store.path();
        Host.Page = Store.filePath(u"note.htm"_s);
        WriteFile(Host.Page, "<html><body><p>text</p></body></html>");
    }
    void TearDown() override { NoteScope().SetPlaces({}, {}); }

    QTemporaryDir Store;
    QTemporaryDir Source;
    TEditHost Host;
    TEditUi Ui;
};

} // namespace

TEST_F(InsertPicture, ChosenPicturesComeIntoTheNoteAndThePanelAndTheRestAreToldWhy)
{
    TfrmDhtmlEditor editor(&Host, &Ui);
    editor.resize(800, 600);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QSignalSpy ready(editor.EditView(), &TzqWebEditView::DocumentComplete);
    editor.ModeChanged();
    ASSERT_TRUE(ready.wait(20000));
    // The caret after the text.
    editor.EditView()->NotePage()->RunScript(
        u"getSelection().collapse(document.querySelector('p'), 1); true"_s);

    const QString photo = Source.filePath(u"photo.JPG"_s);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(photo, "JPG"));
    WriteFile(Source.filePath(u"notes.png"_s), "plain text");
    TzqInsertItems* items = editor.InsertItems();
    items->SetChoosePictures([&] {
        return QStringList{photo, Source.filePath(u"notes.png"_s), Source.filePath(u"gone.png"_s)};
    });
    items->tbiImageClick();

    EXPECT_EQ(ReadFile(Store.filePath(u"__note/photo.JPG"_s)), ReadFile(photo));
    const auto* list = editor.FilesPanel()->findChild<QListWidget*>(u"lstFiles"_s);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), u"photo.JPG"_s);
    EXPECT_TRUE(editor.EditView()->DocumentHTML().value_or(QString()).contains(
        u"<p>text<img src=\"__note\\photo.JPG\" border=\"0\"></p>"_s))
        << qPrintable(editor.EditView()->DocumentHTML().value_or(QString()));
    const QString from = QDir::toNativeSeparators(Source.path()) + QDir::separator();
    EXPECT_EQ(Ui.Errors, QStringList{u"그림 파일이 아닙니다: "_s + from + u"notes.png\n"_s +
                                     u"그림 파일을 찾을 수 없습니다: "_s + from + u"gone.png"_s});

    // A mistyped path in the address question is told, not silently dropped.
    items->SetAskAddress([&] { return std::optional(Source.filePath(u"typo.png"_s)); });
    items->tbiImageAddressClick();
    EXPECT_EQ(Ui.Errors.size(), 2);
    EXPECT_EQ(Ui.Errors.value(1), u"그림 파일을 찾을 수 없습니다: "_s + from + u"typo.png"_s);

    // A web address is brought in as a pasted picture is.
    QSignalSpy progress(editor.Paster(), &TzqPaste::Progress);
    QSignalSpy finished(editor.Paster(), &TzqPaste::Finished);
    items->SetAskAddress([] { return std::optional(u"http://127.0.0.1:9/a.png"_s); });
    items->tbiImageAddressClick();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(40000));
    ASSERT_GE(progress.count(), 1);
    EXPECT_EQ(progress.first().at(1).toInt(), 1);
}
