#include "editor/editfonts.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

QStringList EditorFontNames(const QStringList& installedFamilies)
{
    QStringList names = {u"굴림"_s,   u"굴림체"_s, u"돋움"_s,   u"돋움체"_s,    u"바탕"_s,
                         u"바탕체"_s, u"궁서"_s,   u"궁서체"_s, u"맑은 고딕"_s, u"새굴림"_s};
    QSet<QString> seen(names.cbegin(), names.cend());
    QStringList installed;
    for (const QString& family : installedFamilies) {
        // Names the font system keeps for itself (".Hidden") and repeats are left out.
        if (family.isEmpty() || family.startsWith(u'.') || seen.contains(family))
            continue;
        seen.insert(family);
        installed.append(family);
    }
    installed.sort(Qt::CaseInsensitive);
    return names + installed;
}
