#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QPushButton>

#include "widgets/zqgradicolors.h"

// The program's push button: a two-colour gradient face with a light and a dark bevel line and
// a rounded border, an optional icon and corner flag, drawn normal, down or disabled and
// optionally greyed, in the colours of a TzqGradiColors scheme (and of its hover and focus
// schemes). Without a scheme it draws nothing. Keyboard use is the push button's: space
// clicks on release, Enter presses a default button in a dialog, Esc a Cancel button.
class TzqGradiButton : public QPushButton {
    Q_OBJECT

public:
    explicit TzqGradiButton(QWidget* parent = nullptr);
    explicit TzqGradiButton(const QString& caption, QWidget* parent = nullptr);

    TzqGradiColors* Colors() const { return FColors; }
    void SetColors(TzqGradiColors* colors);

    int CapX() const { return FCapX; }
    int CapY() const { return FCapY; }
    void SetCapX(int x);
    void SetCapY(int y);
    int IconX() const { return FIconX; }
    int IconY() const { return FIconY; }
    void SetIconX(int x);
    void SetIconY(int y);
    const QList<QIcon>& Images() const { return FImages; }
    void SetImages(const QList<QIcon>& images);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool VerticalGradi() const { return FVerticalGradi; }
    void SetVerticalGradi(bool vertical);
    bool Marked() const { return FMarked; }
    void SetMarked(bool marked);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool grayed);
    bool DrawFocus() const { return FDrawFocus; }
    void SetDrawFocus(bool draw);
    // Enter in the dialog presses it (the push button's default).
    bool Default() const { return isDefault(); }
    void SetDefault(bool value) { setDefault(value); }
    // Esc in the button's window presses it, when no other control takes the key.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool cancel);
    // After the click handlers connected so far, a dialog holding the button ends with this
    // result; 0 leaves the dialog alone.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int result);
    // The background behind the rounded border; invalid means the window colour.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);

    bool MouseIn() const { return FMouseIn; }

    // The scheme the button paints with now (focus and hover schemes applied).
    TzqGradiColors* CurrentColors() const;
    // The button's whole picture at the given device pixel ratio; null without a scheme.
    QImage Picture(qreal dpr = 1.0) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchWindow();
    void Repaint() { update(); }

    QPointer<TzqGradiColors> FColors;
    TzqSchemeWatch FColorWatch{this};
    int FCapX = -1;
    int FCapY = -1;
    int FIconX = 5;
    int FIconY = 5;
    QList<QIcon> FImages;
    int FImageIndex = -1;
    bool FVerticalGradi = false;
    bool FMarked = false;
    bool FGrayed = false;
    bool FDrawFocus = false;
    bool FCancel = false;
    int FModalResult = 0;
    QMetaObject::Connection FModalWatch;
    QColor FColor;
    QPointer<QWidget> FWatchedWindow;
    bool FMouseIn = false;
};
