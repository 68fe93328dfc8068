#pragma once

#include "mainwin/izqinputmodesource.h"

#include <QObject>

class QEvent;

// Hangul or English input as the desktop shows it: the input method's language (ibus and fcitx
// report the active engine's there), corrected by what typing shows: the input method composing
// or committing Hangul means Hangul, Latin letters reaching a widget as plain key presses mean
// English. The latest of these wins.
class TzqInputModeWatcher : public QObject, public IzqInputModeSource {
    Q_OBJECT

public:
    explicit TzqInputModeWatcher(QObject* parent = nullptr);

    std::optional<bool> IsHangul() override;
    // Every event the main window sees passes here.
    void Observe(const QEvent* event);

    // True when text holds a Hangul syllable or letter.
    static bool HasHangul(const QString& text);

private:
    void LocaleChanged();

    std::optional<bool> FHangul;
};
