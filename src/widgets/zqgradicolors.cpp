#include "widgets/zqgradicolors.h"

#include <QCoreApplication>
#include <QWidget>

TzqGradiColors::TzqGradiColors(QObject* parent) : QObject(parent) {}

void TzqGradiColors::Assign(QColor& field, const QColor& color)
{
    if (field == color)
        return;
    field = color;
    Q_EMIT Changed();
}

void TzqGradiColors::Link(QPointer<TzqGradiColors>& field, QMetaObject::Connection& watch,
                          TzqGradiColors* colors)
{
    if (field == colors)
        return;
    disconnect(watch);
    field = colors;
    if (colors)
        watch = connect(colors, &QObject::destroyed, this, [this] { Q_EMIT Changed(); });
    Q_EMIT Changed();
}

void TzqGradiColors::SetColorsMouseIn(TzqGradiColors* colors)
{
    Link(FColorsMouseIn, FMouseInGone, colors);
}

void TzqGradiColors::SetColorsFocus(TzqGradiColors* colors)
{
    Link(FColorsFocus, FFocusGone, colors);
}

TzqGradiColors* TzqGradiColors::CreateWithHover(QObject* owner)
{
    auto* normal = new TzqGradiColors(owner);
    auto* hover = new TzqGradiColors(owner);
    // Under the mouse the face warms up and the frame turns amber.
    hover->SetClrBegin(QColor(255, 253, 244));
    hover->SetClrEnd(QColor(252, 228, 168));
    hover->SetClrOutShadow(QColor(226, 180, 96));
    hover->SetClrOutBorder(QColor(196, 120, 30));
    normal->SetColorsMouseIn(hover);
    return normal;
}

TzqGradiColors* TzqGradiColors::DialogColors()
{
    static QPointer<TzqGradiColors> shared;
    if (!shared)
        shared = CreateWithHover(QCoreApplication::instance());
    return shared;
}

void TzqSchemeWatch::Stop()
{
    for (const QMetaObject::Connection& c : std::as_const(FConnections))
        QObject::disconnect(c);
    FConnections.clear();
}

void TzqSchemeWatch::Watch(TzqGradiColors* colors)
{
    Stop();
    FColors = colors;
    if (!colors)
        return;
    QList<TzqGradiColors*> schemes{colors};
    const auto add = [&schemes](TzqGradiColors* s) {
        if (s && !schemes.contains(s))
            schemes << s;
    };
    add(colors->ColorsFocus());
    add(colors->ColorsMouseIn());
    if (colors->ColorsFocus())
        add(colors->ColorsFocus()->ColorsMouseIn());
    for (TzqGradiColors* s : std::as_const(schemes)) {
        FConnections << QObject::connect(s, &TzqGradiColors::Changed, FWidget, [this] {
            Watch(FColors);
            FWidget->update();
        });
    }
    FConnections << QObject::connect(colors, &QObject::destroyed, FWidget, [this] {
        FConnections.clear();
        FWidget->update();
    });
}
