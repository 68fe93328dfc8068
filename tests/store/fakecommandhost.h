#pragma once

// The rest of the program as the tree and its commands see it, for the tree command tests.

#include "platform/fileoperation.h"
#include "platform/util.h"
#include "store/zqtree.h"
#include "store/zqtreecommands.h"

#include <QFileInfo>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

// The rest of the program as the tree and its commands see it: answers from a script, and a
// record of what was asked and shown.
class TFakeHost : public IzqTreeHost, public IzqTreeCommandHost, public IzqFileOpUi {
public:
    // both hosts
    bool SaveFile(const QString&) override
    {
        ++Saves;
        return SaveOk;
    }
    void LoadCurrentNote() override { ++Loads; }
    int ViewMode() const override { return Mode; }
    void SetViewMode(int mode) override { Mode = mode; }
    void UpdateCaption(const QString&) override {}
    void ShowMsgBox(const QString& text) override { Shown.append(u"note: "_s + text); }
    bool IsEnglishWindows() const override { return English; }
    QString MyName() const override { return u"alpha"_s; }
    // tree host
    void FocusLater() override {}
    bool CtrlDrag() const override { return false; }
    // command host
    bool SaveIfEditing() override { return Mode == 0 || SaveFile({}); }
    bool TreeMode() const override { return true; }
    bool Browse() override
    {
        if (!SaveIfEditing())
            return false;
        Mode = 0;
        return true;
    }
    void SetTreeEnabled(bool enabled) override { TreeEnabled = enabled; }
    void RenameEntries(const QString& from, const QString& to) override
    {
        History.append(ExtractFileName(from) + u" -> "_s + ExtractFileName(to));
    }
    void Validate() override { History.append(u"validate"_s); }
    void ShowMessage(const QString& text) override { Shown.append(u"box: "_s + text); }
    void ShowError(const QString& text) override { Shown.append(u"error: "_s + text); }
    bool Confirm(const QString& text) override
    {
        Shown.append(u"ask: "_s + text);
        return ConfirmAnswer;
    }
    std::optional<TzqNewNameAnswer> AskNewName(TzqItemKind, const QString& dir) override
    {
        AskedDir = dir;
        return NewName;
    }
    std::optional<QString> AskUserFileName(TzqItemKind, const QString&, const QString& current,
                                           const QString& caption) override
    {
        Shown.append(u"name: "_s + caption + u" "_s + current);
        return UserName;
    }
    IzqFileOpUi* FileOpUi() override { return this; }
    bool OpenWithShell(const QString&) override { return true; }
    void ShowInFileManager(const QString&) override {}
    QString TemplateDir() const override { return Templates; }
    // file operations
    TzqReplaceAnswer AskReplace(const QString& existing, bool) override
    {
        Shown.append(u"replace: "_s + QFileInfo(existing).fileName());
        return Replace;
    }
    TzqDeleteAnswer AskDeleteForGood(const QString&, bool, bool) override
    {
        return TzqDeleteAnswer::No;
    }
    bool Progress(int, int, const QString&) override { return true; }
    void ProgressDone() override {}

    int Mode = 0;
    int Loads = 0;
    // Saves asked for, and whether they succeed (a failed write, a declined question).
    int Saves = 0;
    bool SaveOk = true;
    bool English = false;
    bool TreeEnabled = true;
    bool ConfirmAnswer = true;
    TzqReplaceAnswer Replace = TzqReplaceAnswer::Cancel;
    std::optional<TzqNewNameAnswer> NewName;
    std::optional<QString> UserName;
    QString AskedDir;
    QString Templates;
    QStringList Shown;
    QStringList History;
};
