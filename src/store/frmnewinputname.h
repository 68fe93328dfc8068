#pragma once

#include "store/notestore.h"
#include "store/templates.h"
#include "widgets/frmbluedialog.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The new-name dialog of notes and folders: the page templates to choose from, the name box
// with its date and time buttons, and "create at the root". OK checks the name and stays open
// with the refusal in the caption line while a rule is broken.
class TfrmNewInputName : public TfrmBlueDialog {
    Q_OBJECT

public:
    // Sets the target directory (the folder the item goes into, a trailing separator optional)
    // and proposes the default name there.
    void Init(const QString& dir);
    // The store root, for "루트에 생성(&N)"; without one the root is not checked here and the
    // command that creates the item refuses a taken name itself.
    void SetRootDir(const QString& rootDir);

    // After OK: the cleaned name, the typed name trimmed (the page title), the chosen template
    // and the root choice.
    QString Name() const;
    const QString& RawName() const { return FRawName; }
    // The selected template; null when none is selected.
    const TzqTemplate* SelectedTemplate() const;
    bool AtRoot() const;

    const QList<TzqTemplate>& Templates() const { return FTemplates; }

protected:
    // kind: what is made; indexSetting: the setting id of the remembered template index.
    TfrmNewInputName(TzqItemKind kind, int indexSetting, const QString& caption,
                     QWidget* parent = nullptr);

    void btnConfirmClick() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void LoadTemplates();
    void lstTemplateSelectionChanged();
    void MoveSelection(int step);
    void InsertStamp(const QString& text);
    void Refuse(const QString& message);

    TzqItemKind FKind;
    int FIndexSetting;
    QString FTemplateBaseDir;
    QString FRootDir;
    QString FRawName;
    QList<TzqTemplate> FTemplates;

    QListWidget* lstTemplate = nullptr;
    QFrame* pnlIndividual = nullptr;
    QLabel* imgIcon = nullptr;
    QLabel* labTemplate = nullptr;
    QLineEdit* edtName = nullptr;
    QCheckBox* chkIsRoot = nullptr;
};
