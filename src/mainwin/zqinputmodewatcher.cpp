#include "mainwin/zqinputmodewatcher.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

TzqInputModeWatcher::TzqInputModeWatcher(QObject* parent) : QObject(parent)
{
    connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this,
            &TzqInputModeWatcher::LocaleChanged);
    LocaleChanged();
}

std::optional<bool> TzqInputModeWatcher::IsHangul()
{
    return FHangul;
}

void TzqInputModeWatcher::LocaleChanged()
{
    FHangul = QGuiApplication::inputMethod()->locale().language() == QLocale::Korean;
}

bool TzqInputModeWatcher::HasHangul(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0xAC00 && u <= 0xD7A3) || (u >= 0x1100 && u <= 0x11FF) ||
            (u >= 0x3130 && u <= 0x318F))
            return true;
    }
    return false;
}

void TzqInputModeWatcher::Observe(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::InputMethod: {
        const auto* im = static_cast<const QInputMethodEvent*>(event);
        if (HasHangul(im->preeditString()) || HasHangul(im->commitString()))
            FHangul = true;
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            break;
        // A letter the input method let through: it does not compose Hangul now.
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isLetter() && text.at(0).unicode() < 0x80)
            FHangul = false;
        else if (HasHangul(text))
            FHangul = true;
        break;
    }
    default:
        break;
    }
}
