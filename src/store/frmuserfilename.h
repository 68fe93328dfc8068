#pragma once

#include "widgets/frmbluedialog.h"

class QCheckBox;
class QLineEdit;

// The plain name dialog: a new name for a note or folder, or the name of a copy that would
// collide. OK cleans the name and stays open with the refusal in the caption line while the
// name is empty, ends in a dot or is taken in the target directory.
class TfrmUserFileName : public TfrmBlueDialog {
    Q_OBJECT

public:
    explicit TfrmUserFileName(QWidget* parent = nullptr);

    // The directory in which the name must be free (a trailing "/" is added).
    void SetTargetDir(const QString& dir);
    const QString& TargetDir() const { return FTargetDir; }
    // Folder or note; also sets the caption ("새 폴더 이름 입력" / "새 노트 이름 입력"), which
    // the caller may replace afterwards.
    void SetIsFolder(bool isFolder);
    bool IsFolder() const { return FIsFolder; }

    void SetName(const QString& name);
    // The name box, trimmed; after OK the cleaned name.
    QString Name() const;

protected:
    void btnConfirmClick() override;
    void showEvent(QShowEvent* event) override;

private:
    QString FTargetDir;
    bool FIsFolder = false;
    QLineEdit* edtName = nullptr;
    // The root choice of the new-name dialogs; a new name stays in its directory, so hidden.
    QCheckBox* chkIsRoot = nullptr;
};
