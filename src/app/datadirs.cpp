#include "app/datadirs.h"

#include "app/zqprjinfo.h"
#include "platform/cp949.h"

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

TzqDataDirRefusal CheckDataDirEntry(const QString& name, const QString& dir)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {TzqDataDirRefusal::Name, u"데이터 경로에 대한 이름을 반드시 입력하셔야 합니다."_s};
    if (const QString bad = cp949::UnencodableChars(trimmed); !bad.isEmpty())
        return {TzqDataDirRefusal::Name,
                u"데이터 경로의 이름에 설정 파일에 저장할 수 없는 문자가 있습니다: %1"_s.arg(bad)};
    if (dir.isEmpty())
        return {TzqDataDirRefusal::Name, u"데이터 경로를 지정하여 주십시오."_s};
    if (const QString bad = cp949::UnencodableChars(dir); !bad.isEmpty())
        return {TzqDataDirRefusal::Dir,
                u"데이터 경로에 설정 파일에 저장할 수 없는 문자가 있습니다: %1\n"
                u"다른 폴더를 지정하여 주십시오."_s.arg(bad)};
    return {};
}
