#pragma once

#include "widgets/frmbluedialog.h"

class QCheckBox;
class QLineEdit;

// The find-in-tree dialog: the text to search the notes for and whether to search from the
// data directory's root.
class TfrmFindInTree : public TfrmBlueDialog {
    Q_OBJECT

public:
    // text and searchRoot: the tree panel's search box and its root check box. The root box
    // starts ticked anyway when the setting FindRootOption says so.
    TfrmFindInTree(const QString& text, bool searchRoot, QWidget* parent = nullptr);

    // The text as typed, untrimmed.
    QString InputText() const;
    bool SearchRoot() const;

protected:
    void btnConfirmClick() override;

private:
    QLineEdit* edtInput = nullptr;
    QCheckBox* chkRoot = nullptr;
};
