#include "mainwin/commandstate.h"
#include "mainwin/zqviewmodes.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records every call in order, as "Name(argument)".
class TFakeModeHost : public IzqViewModeHost {
public:
    bool IsEnglishWindows() const override { return English; }
    QString CurrentPage() const override { return Page; }
    bool EditItemEnabled() const override { return EditEnabled; }
    void UpdateCaption(const QString& page) override { Log << u"Caption(%1)"_s.arg(page); }
    void DeleteEditMarker(const QString& page) override { Log << u"DeleteMarker(%1)"_s.arg(page); }
    bool IsLockedByOther(const QString&) override { return Locked; }
    void WriteEditMarker(const QString& page) override { Log << u"WriteMarker(%1)"_s.arg(page); }
    bool SaveIfEditing() override
    {
        Log << u"Save"_s;
        return SaveOk;
    }
    void ModeChanged() override { Log << u"ModeChanged(%1)"_s.arg(Modes->ViewMode()); }
    void FocusLater() override { Log << u"Focus"_s; }
    QString TextEditor() const override { return Editor; }
    void OpenWithTextEditor(const QString& page) override { Log << u"External(%1)"_s.arg(page); }
    void ShowMessage(const QString& text) override { Log << u"Message(%1)"_s.arg(text); }
    void CheckModeItem(int mode) override { Log << u"Check(%1)"_s.arg(mode); }
    void SetPanelMode(bool tree) override { Log << u"Panel(%1)"_s.arg(tree); }
    void TreeModeChanged(bool tree) override { Log << u"TreeMode(%1)"_s.arg(tree); }
    void LoadCurrentNote() override { Log << u"Load"_s; }

    TzqViewModes* Modes = nullptr;
    bool English = false;
    bool EditEnabled = true;
    bool Locked = false;
    bool SaveOk = true;
    QString Page = u"/d/a.htm"_s;
    QString Editor;
    QStringList Log;
};

class ViewModesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Host.Modes = &Modes;
        Modes.SetViewMode(TzqViewModes::vmBrowse);
        Host.Log.clear();
    }
    TFakeModeHost Host;
    TzqViewModes Modes{&Host};
};

} // namespace

TEST_F(ViewModesTest, EditThenSourceSavesAndRewritesTheMarkerAtEveryStep)
{
    Modes.tbiBrowseClick(TzqViewModes::vmEdit);
    EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"Check(1)"_s,
                                     u"ModeChanged(1)"_s, u"WriteMarker(/d/a.htm)"_s, u"Focus"_s}));
    Host.Log.clear();
    Modes.tbiBrowseClick(TzqViewModes::vmSource);
    EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"DeleteMarker(/d/a.htm)"_s,
                                     u"Check(2)"_s, u"ModeChanged(2)"_s, u"WriteMarker(/d/a.htm)"_s,
                                     u"Focus"_s}));
    Host.Log.clear();
    Modes.tbiBrowseClick(TzqViewModes::vmBrowse);
    EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"DeleteMarker(/d/a.htm)"_s,
                                     u"Check(0)"_s, u"ModeChanged(0)"_s, u"Focus"_s}));
    EXPECT_EQ(Modes.ViewMode(), TzqViewModes::vmBrowse);
}

TEST_F(ViewModesTest, ANoteThatCannotBeSavedKeepsItsModeAndMarker)
{
    Modes.tbiBrowseClick(TzqViewModes::vmEdit);
    Host.Log.clear();
    Host.SaveOk = false;
    for (int wanted : {TzqViewModes::vmBrowse, TzqViewModes::vmSource}) {
        Modes.tbiBrowseClick(wanted);
        EXPECT_EQ(Modes.ViewMode(), TzqViewModes::vmEdit);
        EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"Check(1)"_s}));
        Host.Log.clear();
    }
    // Nor does the search list replace the tree.
    EXPECT_FALSE(Modes.SetTreeMode(false));
    EXPECT_TRUE(Modes.TreeMode());
    EXPECT_EQ(Host.Log, QStringList{u"Save"_s});
}

TEST_F(ViewModesTest, RefusalsLeaveEverythingAsItWas)
{
    Host.Locked = true;
    Modes.tbiBrowseClick(TzqViewModes::vmEdit);
    EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"Check(0)"_s}));
    EXPECT_EQ(Modes.ViewMode(), TzqViewModes::vmBrowse);

    Host.Log.clear();
    Host.EditEnabled = false;
    Modes.tbiBrowseClick(TzqViewModes::vmSource);
    EXPECT_TRUE(Host.Log.isEmpty());

    Host.English = true;
    Modes.tbiBrowseClick(TzqViewModes::vmBrowse);
    EXPECT_EQ(Host.Log, QStringList{u"Message(You can not edit in English Windows.)"_s});

    Host.Log.clear();
    Host.English = false;
    Host.EditEnabled = true;
    Host.Locked = false;
    Host.Page.clear();
    Modes.tbiBrowseClick(TzqViewModes::vmEdit);
    EXPECT_TRUE(Host.Log.isEmpty());
}

TEST_F(ViewModesTest, SourceModeWithAnExternalEditorStaysInBrowseMode)
{
    Host.Editor = u"/usr/bin/editor"_s;
    Modes.tbiBrowseClick(TzqViewModes::vmSource);
    EXPECT_EQ(Modes.ViewMode(), TzqViewModes::vmBrowse);
    EXPECT_EQ(Host.Log, (QStringList{u"Caption(/d/a.htm)"_s, u"Save"_s, u"External(/d/a.htm)"_s,
                                     u"Focus"_s}));
}

TEST_F(ViewModesTest, SearchModeReleasesTheMarkerAndReturnsToBrowseMode)
{
    Modes.tbiBrowseClick(TzqViewModes::vmEdit);
    Host.Log.clear();
    Modes.SetTreeMode(false);
    EXPECT_FALSE(Modes.TreeMode());
    EXPECT_EQ(Host.Log, (QStringList{u"Save"_s, u"Panel(0)"_s, u"DeleteMarker(/d/a.htm)"_s,
                                     u"Check(0)"_s, u"ModeChanged(0)"_s, u"TreeMode(0)"_s}));
    Host.Log.clear();
    Modes.SetTreeMode(false); // the panel is shown again, nothing else
    EXPECT_EQ(Host.Log, QStringList{u"Panel(0)"_s});
    Host.Log.clear();
    Modes.SetTreeMode(true);
    EXPECT_EQ(Host.Log, (QStringList{u"Panel(1)"_s, u"TreeMode(1)"_s, u"Load"_s}));
}

TEST(CommandState, EnablingRules)
{
    TzqCommandInput in;
    TzqCommandState s = ComputeCommandState(in);
    EXPECT_FALSE(s.Save);
    EXPECT_TRUE(s.Zoom);
    EXPECT_TRUE(s.EditItems);
    in.ViewMode = 2;
    s = ComputeCommandState(in);
    EXPECT_TRUE(s.Save);
    EXPECT_TRUE(s.Replace);
    EXPECT_FALSE(s.Zoom);
    in.ViewMode = 0;
    in.TreeMode = false;
    in.CanGoBack = true;
    s = ComputeCommandState(in);
    EXPECT_FALSE(s.GoBack);
    EXPECT_FALSE(s.BrowseItem);
    EXPECT_FALSE(s.Zoom);
    in.TreeMode = true;
    in.LockedByOther = true;
    s = ComputeCommandState(in);
    EXPECT_TRUE(s.GoBack);
    EXPECT_TRUE(s.BrowseItem);
    EXPECT_FALSE(s.EditItems);
}
