#pragma once

#include "editor/formatpreset.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QToolBar;
class TColorPickerButton;
class TzqIniFile;

// One row of the settings dialog's format presets: "Ctrl-N", font, size, the two colours, bold,
// italic, underline and the alignment. A row loaded and saved without a change leaves the
// settings file as it was.
class T_rmTextFormat : public QWidget {
    Q_OBJECT

public:
    explicit T_rmTextFormat(QWidget* parent = nullptr);

    // Shows preset n (1 to 9) of the settings.
    void Load(const TzqIniFile& ini, int n);
    // Writes what the row shows back as preset n.
    void Save(TzqIniFile& ini) const;
    // What the row shows, as a preset.
    TzqFormatPreset Preset() const;
    int Number() const { return FNumber; }

    QComboBox* FontNameBox() const { return cmbFontName; }
    QComboBox* FontSizeBox() const { return cmbFontSize; }
    TColorPickerButton* FontColor() const { return clrFont; }
    TColorPickerButton* BackColor() const { return clrBack; }

private:
    QAction* NewItem(const QString& name, const QString& hint, const QString& icon);

    int FNumber = 0;
    // The preset as it was read: what the row does not change is written back as it was.
    TzqFormatPreset FLoaded;
    QLabel* labCtrl = nullptr;
    QComboBox* cmbFontName = nullptr;
    QComboBox* cmbFontSize = nullptr;
    TColorPickerButton* clrFont = nullptr;
    TColorPickerButton* clrBack = nullptr;
    QToolBar* tbStyle = nullptr;
    QAction* tbiBold = nullptr;
    QAction* tbiItalic = nullptr;
    QAction* tbiUnderLine = nullptr;
    QAction* tbiAlignLeft = nullptr;
    QAction* tbiAlignCenter = nullptr;
    QAction* tbiAlignRight = nullptr;
};
