#include "store/datadirs.h"

#include "app/zqprjinfo.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QStringList LoadDataDirList(TzqPrjInfo& prj)
{
    QStringList names;
    const TzqIniFile& ini = prj.Ini();
    for (int n = 1; n <= 50; ++n) {
        const QString section = u"DataDir"_s + QString::number(n);
        const QString name = ini.ReadString(section, u"Name"_s);
        if (name.isEmpty())
            continue;
        const QString dir = ini.ReadString(section, u"dir"_s);
        if (!dir.isEmpty() && QFileInfo(dir).isDir())
            names.append(name);
    }
    if (names.isEmpty()) {
        const QString name = u"기본 폴더"_s;
        prj.Ini().WriteString(u"DataDir1"_s, u"Name"_s, name);
        prj.Ini().WriteString(u"DataDir1"_s, u"dir"_s, prj.DefaultDataDir());
        names.append(name);
    }
    return names;
}

int IndexOfLastDataDir(const QStringList& names, const QString& lastName)
{
    if (names.isEmpty())
        return -1;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(lastName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return 0;
}

TzqDataDir ResolveDataDir(const TzqPrjInfo& prj, const QString& name, const TzqDataDir& fallback)
{
    TzqDataDir result = fallback;
    prj.FindDataDir(name, result.Dir, result.Shared);
    return result;
}
