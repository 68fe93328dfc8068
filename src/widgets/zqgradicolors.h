#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>

// A colour scheme of the gradient buttons. Several buttons share one scheme; a scheme may name
// another one to be used while the mouse is over a button (ColorsMouseIn) or while a push
// button has the keyboard focus (ColorsFocus). A destroyed linked scheme is forgotten.
class TzqGradiColors : public QObject {
    Q_OBJECT

public:
    explicit TzqGradiColors(QObject* parent = nullptr);

    QColor clrBegin() const { return FBegin; }
    QColor clrEnd() const { return FEnd; }
    QColor clrOutBright() const { return FOutBright; }
    QColor clrOutShadow() const { return FOutShadow; }
    QColor clrOutBorder() const { return FOutBorder; }
    QColor clrMarkFace() const { return FMarkFace; }
    QColor clrMarkBorder() const { return FMarkBorder; }
    QColor clrText() const { return FText; }
    QColor clrDefault() const { return FDefault; }
    QColor clrDown() const { return FDown; }
    QColor clrDownText() const { return FDownText; }
    TzqGradiColors* ColorsMouseIn() const { return FColorsMouseIn; }
    TzqGradiColors* ColorsFocus() const { return FColorsFocus; }

    void SetClrBegin(const QColor& color) { Assign(FBegin, color); }
    void SetClrEnd(const QColor& color) { Assign(FEnd, color); }
    void SetClrOutBright(const QColor& color) { Assign(FOutBright, color); }
    void SetClrOutShadow(const QColor& color) { Assign(FOutShadow, color); }
    void SetClrOutBorder(const QColor& color) { Assign(FOutBorder, color); }
    void SetClrMarkFace(const QColor& color) { Assign(FMarkFace, color); }
    void SetClrMarkBorder(const QColor& color) { Assign(FMarkBorder, color); }
    void SetClrText(const QColor& color) { Assign(FText, color); }
    void SetClrDefault(const QColor& color) { Assign(FDefault, color); }
    void SetClrDown(const QColor& color) { Assign(FDown, color); }
    void SetClrDownText(const QColor& color) { Assign(FDownText, color); }
    void SetColorsMouseIn(TzqGradiColors* colors);
    void SetColorsFocus(TzqGradiColors* colors);

    // A new scheme of the default colours whose ColorsMouseIn names a warmer hover scheme;
    // both belong to owner.
    static TzqGradiColors* CreateWithHover(QObject* owner);
    // The scheme the dialogs' push buttons share, with its hover scheme; it lives as long as
    // the application object.
    static TzqGradiColors* DialogColors();

Q_SIGNALS:
    // A colour or a link changed, or a linked scheme went away: users repaint.
    void Changed();

private:
    void Assign(QColor& field, const QColor& color);
    void Link(QPointer<TzqGradiColors>& field, QMetaObject::Connection& watch,
              TzqGradiColors* colors);

    QColor FBegin{255, 252, 238};
    QColor FEnd{244, 239, 213};
    QColor FOutBright{255, 255, 255};
    QColor FOutShadow{203, 191, 154};
    QColor FOutBorder{88, 88, 88};
    QColor FMarkFace{255, 175, 96};
    QColor FMarkBorder{234, 117, 0};
    QColor FText{0, 0, 0};
    QColor FDefault{0, 0, 0};
    QColor FDown{249, 249, 249};
    QColor FDownText{0, 0, 0};
    QPointer<TzqGradiColors> FColorsMouseIn;
    QPointer<TzqGradiColors> FColorsFocus;
    QMetaObject::Connection FMouseInGone;
    QMetaObject::Connection FFocusGone;
};

class QWidget;

// Keeps a widget repainted while its scheme, or a scheme that scheme links to (focus, hover,
// and the focus scheme's hover), changes; the linked set is gathered anew on every change.
class TzqSchemeWatch {
public:
    explicit TzqSchemeWatch(QWidget* widget) : FWidget(widget) {}
    ~TzqSchemeWatch() { Stop(); }
    TzqSchemeWatch(const TzqSchemeWatch&) = delete;
    TzqSchemeWatch& operator=(const TzqSchemeWatch&) = delete;

    void Watch(TzqGradiColors* colors);

private:
    void Stop();

    QWidget* FWidget;
    QPointer<TzqGradiColors> FColors;
    QList<QMetaObject::Connection> FConnections;
};
