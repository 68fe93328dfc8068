#pragma once

#include "widgets/frmbluedialog.h"

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

// One data directory record edited: its display name, its directory chosen in the folder
// browser and whether it is shared with other users. OK needs a name and a directory, both
// storable in the settings file; the caller reads the result and writes it.
class TfrmGetDataDir : public TfrmBlueDialog {
    Q_OBJECT

public:
    explicit TfrmGetDataDir(QWidget* parent = nullptr);

    // The chosen directory, shown shortened to fit its panel.
    void SetDirData(const QString& path);
    const QString& DirData() const { return FDirData; }
    // Where the folder browser starts while no directory is chosen.
    void SetStartDir(const QString& dir) { FStartDir = dir; }
    const QString& StartDir() const { return FStartDir; }

    QString Name() const;
    void SetName(const QString& name);
    bool IsShare() const;
    void SetIsShare(bool shared);

    // Stand-ins for the folder browser and the error box; tests replace them. The browser
    // gets the title and the start directory (empty when it does not exist) and returns the
    // chosen directory, or an empty text when the user cancels.
    std::function<QString(const QString& title, const QString& start)> FBrowseForFolder;
    std::function<void(const QString& text)> FShowError;

protected:
    void btnConfirmClick() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void btnDirDataClick();
    void UpdateDirText();

    QString FDirData;
    QString FStartDir;
    QLineEdit* edtName = nullptr;
    QLabel* pnlDirData = nullptr;
    QCheckBox* chkIsShare = nullptr;
};
