#include "tools/zqnotepadstore.h"

#include "app/zqprjinfo.h"
#include "platform/cp949.h"
#include "platform/textfile.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString TzqNotePadStore::FileName() const
{
    return FPrjInfo.NotePadFileName();
}

QString TzqNotePadStore::LoadText() const
{
    const QString path = FileName();
    if (!QFileInfo::exists(path))
        return {};
    QStringList lines;
    for (const QByteArray& line : textfile::ReadLines(path))
        lines.append(cp949::ToUnicode(line));
    return lines.join(u'\n');
}

void TzqNotePadStore::SaveText(const QString& text) const
{
    QList<QByteArray> lines;
    if (!text.isEmpty()) {
        for (QStringView line : QStringView(text).split(u'\n'))
            lines.append(cp949::FromUnicode(line));
    }
    textfile::WriteLines(FileName(), lines);
}

std::optional<QRect> TzqNotePadStore::LoadPlacement() const
{
    return FPrjInfo.LoadFormPlacement(SectionName);
}

void TzqNotePadStore::SaveState(const QString& text, const QRect& bounds) const
{
    SaveText(text);
    FPrjInfo.SaveFormPlacement(SectionName, bounds);
}

QRect TzqNotePadStore::FitPlacement(const QRect& stored, const QSize& defaultSize,
                                    const QList<QRect>& screens)
{
    QRect rect = stored;
    if (rect.width() <= 0 || rect.height() <= 0)
        rect.setSize(defaultSize);
    if (screens.isEmpty())
        return rect;
    for (const QRect& screen : screens) {
        if (screen.intersects(rect))
            return rect;
    }
    rect.moveTopLeft(screens.first().topLeft());
    return rect;
}
