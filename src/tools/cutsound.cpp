#include "tools/cutsound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

QtMessageHandler PreviousHandler = nullptr;

// The sound system's complaints while it looks for a device (no sound server, no device) are
// not the user's concern; everything else goes on to the handler that was there before.
void QuietAudioProbe(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg || type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (PreviousHandler)
        PreviousHandler(type, context, message);
}

bool HasAudioOutput()
{
    static bool probed = false;
    if (!probed) {
        probed = true;
        PreviousHandler = qInstallMessageHandler(QuietAudioProbe);
        const bool any = !QMediaDevices::audioOutputs().isEmpty();
        qInstallMessageHandler(PreviousHandler);
        PreviousHandler = nullptr;
        return any;
    }
    return !QMediaDevices::audioOutputs().isEmpty();
}

// One effect for the whole run, loaded on first use and freed with the application.
QSoundEffect* CutSound()
{
    static QPointer<QSoundEffect> effect;
    if (!effect && QCoreApplication::instance()) {
        effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl(u"qrc:/sounds/cut.wav"_s));
    }
    return effect;
}

} // namespace

void PlayCutSound()
{
    if (!HasAudioOutput())
        return;
    QSoundEffect* effect = CutSound();
    if (!effect)
        return;
    effect->stop();
    effect->play();
}
