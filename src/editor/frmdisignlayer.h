#pragma once

#include "editor/insertmarkup.h"
#include "widgets/frmbluedialog.h"

#include <QColor>
#include <QList>

#include <optional>

class QAbstractButton;
class QCheckBox;
class QFrame;
class QSpinBox;
class TzqIniFile;

// The layer dialog: border and fill colours with their switches, the border and margin widths,
// a palette of colour pairs and a preview of the layer. The switches and widths come from the
// settings each time the dialog is shown and are stored on OK, with the markup to insert kept
// for the caller; Cancel stores nothing. The colours start from their initial values at every
// opening.
class TfrmDisignLayer : public TfrmBlueDialog {
    Q_OBJECT

public:
    // The palette: inner and outline colour of each swatch, 0xRRGGBB, row by row.
    struct TSwatchColors {
        quint32 Inner;
        quint32 Outline;
    };
    static const QList<TSwatchColors>& PaletteColors();

    // ini: the settings file to use; without one the program's settings (none in most tests:
    // then the defaults are shown and nothing is stored).
    explicit TfrmDisignLayer(QWidget* parent = nullptr, TzqIniFile* ini = nullptr);

    // The choices as the controls show them now.
    TzqLayerOptions Options() const;
    void SetBorderColor(quint32 rgb);
    void SetFillColor(quint32 rgb);
    // After OK: the markup to insert; empty before.
    const QString& Markup() const { return FMarkup; }

protected:
    void btnConfirmClick() override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    // The colour dialog of a swatch; nothing when the user cancels it.
    virtual std::optional<QColor> ChooseColor(const QColor& initial, const QString& title);

private:
    void BuildControls();
    TzqIniFile* Settings() const;
    void frmZqNoCaptionActivate();
    void frmZqNoCaptionShow();
    void frmZqNoCaptionClose();
    void StyleChange();
    void shpBorderMouseUp(bool fill);
    void shpTempMouseDown(int index);

    TzqIniFile* FIni = nullptr;
    TzqLayerOptions FOptions;
    QString FMarkup;
    QPoint FShownAt;

    QCheckBox* chkBorder = nullptr;
    QCheckBox* chkFill = nullptr;
    QAbstractButton* shpBorder = nullptr;
    QAbstractButton* shpFill = nullptr;
    QSpinBox* spnBorder = nullptr;
    QSpinBox* spnMargin = nullptr;
    QFrame* panel = nullptr;
    QWidget* shape = nullptr;
};
