#pragma once

#include "tools/configvalues.h"
#include "widgets/frmbluedialog.h"

#include <array>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class TzqPrjInfo;
class TzqGradiButton;
class T_rmTextFormat;

// "환경설정": the program-wide settings. Reads the settings file when it opens; OK writes
// every value in one change of the file, Cancel (Esc, the close glyph) writes nothing.
//
// After Execute returned true the caller re-applies what it caches: the data directory list
// and the tree, the open note, the auto-save interval (tmAuto), the tree show/hide button
// (SplitterHidden), the input-mode mark (ViewHangulMark) and the nickname (ReadMyName).
class TfrmConfig : public TfrmBlueDialog {
    Q_OBJECT

public:
    TfrmConfig(TzqPrjInfo& prj, QWidget* parent = nullptr);

    // Shows the dialog modally over parent with the caption strip's icon; true when the user
    // confirmed and the settings were written.
    static bool Execute(TzqPrjInfo& prj, QWidget* parent, const QIcon& icon = {});

    // The values as the controls show them now.
    TzqConfigValues Values() const;
    // The grid's current row, 1 to 50.
    int CurrentRow() const;
    void SelectRow(int n);

    // Stand-ins for the windows the dialog opens; tests replace them.
    // The data directory dialog for one row: it gets the row and returns true on OK with the
    // row changed.
    std::function<bool(const QString& caption, TzqDataDirRow& row, const QString& startDir)>
        FEditDataDir;
    // The open-file dialog for the text editor: the chosen file, or empty on cancel.
    std::function<QString(const QString& start)> FChooseTextEditor;
    std::function<void(const QString& text)> FShowError;

protected:
    void btnConfirmClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildDataDirGroup();
    QWidget* BuildProgramGroup();
    QWidget* BuildFormatGroup();
    QWidget* BuildSwitchesGroup();
    void LoadValues();
    void LoadDataDirGrid();
    void CreateFormatFrames();
    void ShowRow(int n);
    void UpdateGridActions();
    void ShowTextEditorPath();

    void btnTextEditorClick();
    void btnEraseEditoClick();
    void btnModifyDirClick();
    void btnDelDirClick();
    void btnInsertClick();
    void actMoveUpExecute();
    void actMoveDownExecute();

    TzqPrjInfo& FPrj;
    // What the file held when the dialog opened, and the grid's rows as edited.
    TzqConfigValues FValues;
    QString FTextEditorPath;
    QString FLastDataDir;
    std::array<T_rmTextFormat*, 9> FFormatFrames{};

    QTableWidget* grd = nullptr;
    TzqGradiButton* btnInsert = nullptr;
    TzqGradiButton* btnModifyDir = nullptr;
    TzqGradiButton* btnDelDir = nullptr;
    QAction* actMoveUp = nullptr;
    QAction* actMoveDown = nullptr;
    QLineEdit* edtMyName = nullptr;
    QButtonGroup* radPrgStart = nullptr;
    QCheckBox* chkDupEx = nullptr;
    QCheckBox* chkToTray = nullptr;
    QCheckBox* chkCharsGrid = nullptr;
    QCheckBox* chkFindRootOption = nullptr;
    QSpinBox* spnAutoInterval = nullptr;
    QLineEdit* edtDateFormat = nullptr;
    QLabel* pnlTextEditor = nullptr;
    TzqGradiButton* btnTextEditor = nullptr;
    TzqGradiButton* btnEraseEdito = nullptr;
    QLineEdit* edtCharSet = nullptr;
    QCheckBox* chkFilesPanel = nullptr;
    QCheckBox* chkCtrlDrag = nullptr;
    QCheckBox* chkChangeMsg = nullptr;
    QCheckBox* chkNoSplitter = nullptr;
    QCheckBox* chkInsertNoteAppend = nullptr;
    QCheckBox* chkViewHangulMark = nullptr;
    QGroupBox* grpTextFormat = nullptr;
};
