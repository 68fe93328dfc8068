#pragma once

#include "store/izqtreecommandhost.h"

#include <memory>

class TfrmMainQL;
class TzqFileOpDialogs;

// What the tree commands need, answered by the main window, its editor, its history and the
// naming dialogs.
class TzqMainTreeCommandHost : public IzqTreeCommandHost {
public:
    explicit TzqMainTreeCommandHost(TfrmMainQL* window);
    ~TzqMainTreeCommandHost() override;

    bool SaveFile(const QString& page) override;
    bool SaveIfEditing() override;
    void LoadCurrentNote() override;
    int ViewMode() const override;
    void SetViewMode(int mode) override;
    bool TreeMode() const override;
    void UpdateCaption(const QString& page) override;
    bool IsEnglishWindows() const override;
    bool Browse() override;
    void SetTreeEnabled(bool enabled) override;
    void RenameEntries(const QString& oldPage, const QString& newPage) override;
    void Validate() override;
    void ShowMsgBox(const QString& text) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    bool Confirm(const QString& text) override;
    std::optional<TzqNewNameAnswer> AskNewName(TzqItemKind kind, const QString& dir) override;
    std::optional<QString> AskUserFileName(TzqItemKind kind, const QString& dir,
                                           const QString& currentName,
                                           const QString& caption) override;
    IzqFileOpUi* FileOpUi() override;
    bool OpenWithShell(const QString& path) override;
    void ShowInFileManager(const QString& path) override;
    QString MyName() const override;
    QString TemplateDir() const override;
    void MakeZipOf(const QString& page) override;
    void SaveMhtOf(const QString& page) override;
    void CleanFolder(const QString& folder) override;

private:
    TfrmMainQL* W;
    std::unique_ptr<TzqFileOpDialogs> FFileOpUi;
};
