#include "app/mappedhwnd.h"

#include <QFile>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// A local socket path is at most a little over a hundred bytes; anything far longer was not
// written by us.
constexpr qint64 MaxRecordSize = 4096;

} // namespace

TMappedHwnd::TMappedHwnd(QString recordDir) : FRecordDir(std::move(recordDir)) {}

QString TMappedHwnd::FileName() const
{
    return FRecordDir + u"/zqQuilletMap"_s;
}

QString TMappedHwnd::Get() const
{
    if (FRecordDir.isEmpty())
        return {};
    QFile f(FileName());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.read(MaxRecordSize + 1);
    if (bytes.size() > MaxRecordSize || bytes.contains('\0') || bytes.contains('\n') ||
        bytes.contains('\r'))
        return {};
    return QString::fromUtf8(bytes);
}

bool TMappedHwnd::Set(const QString& serverName)
{
    if (FRecordDir.isEmpty())
        return false;
    const QByteArray bytes = serverName.toUtf8();
    if (bytes.size() > MaxRecordSize || bytes.contains('\0') || bytes.contains('\n') ||
        bytes.contains('\r'))
        return false;
    QSaveFile f(FileName());
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}
