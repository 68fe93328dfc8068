#include "platform/filemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {
// A file manager that is started for the call needs a moment; one that never answers must not
// hold the window for long.
constexpr int ShowItemsTimeoutMs = 5000;
} // namespace

bool ShowInFileManager(const QString& path)
{
    const QFileInfo info(path);
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
            u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
        call << QStringList{url.toString()} << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, ShowItemsTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
}
