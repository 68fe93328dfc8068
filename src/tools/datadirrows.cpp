#include "tools/datadirrows.h"

#include "app/zqinifile.h"
#include "platform/cp949.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString SectionName(int n)
{
    return u"DataDir"_s + QString::number(n);
}

// The stored bytes while the text still reads as them, else the text in CP949.
QByteArray TextBytes(const QString& text, const QByteArray& stored)
{
    if (!stored.isEmpty() && cp949::ToUnicode(stored) == text)
        return stored;
    return cp949::FromUnicode(text);
}

} // namespace

TzqDataDirRows TzqDataDirRows::Load(const TzqIniFile& ini)
{
    TzqDataDirRows rows;
    for (int n = 1; n <= Count; ++n) {
        const QString section = SectionName(n);
        const QByteArray name = ini.ReadBytes(section, u"Name"_s, {});
        if (name.isEmpty())
            continue;
        const QByteArray dir = ini.ReadBytes(section, u"dir"_s, {});
        if (dir.isEmpty())
            continue;
        TzqDataDirRow& row = rows.FRows[n - 1];
        row.Name = cp949::ToUnicode(name);
        row.Dir = cp949::ToUnicode(dir);
        row.Shared = ini.ReadBool(section, u"IsShare"_s, true);
        row.StoredName = name;
        row.StoredDir = dir;
    }
    return rows;
}

void TzqDataDirRows::Save(TzqIniFile& ini) const
{
    for (int n = 1; n <= Count; ++n) {
        const TzqDataDirRow& row = FRows[n - 1];
        const QString section = SectionName(n);
        ini.WriteBytes(section, u"Name"_s, TextBytes(row.Name, row.StoredName));
        ini.WriteBytes(section, u"dir"_s, TextBytes(row.Dir, row.StoredDir));
        ini.WriteBool(section, u"IsShare"_s, row.Shared);
    }
}

const TzqDataDirRow& TzqDataDirRows::Row(int n) const
{
    static const TzqDataDirRow none;
    return Valid(n) ? FRows[n - 1] : none;
}

void TzqDataDirRows::SetRow(int n, const QString& name, const QString& dir, bool shared)
{
    if (!Valid(n))
        return;
    TzqDataDirRow& row = FRows[n - 1];
    row.Name = name;
    row.Dir = dir;
    row.Shared = shared;
}

bool TzqDataDirRows::CanInsert(int n) const
{
    return Valid(n) && FRows[Count - 1].IsEmpty();
}

bool TzqDataDirRows::Insert(int n)
{
    if (!CanInsert(n))
        return false;
    std::move_backward(FRows.begin() + (n - 1), FRows.end() - 1, FRows.end());
    FRows[n - 1] = TzqDataDirRow();
    return true;
}

bool TzqDataDirRows::Delete(int n)
{
    if (!Valid(n))
        return false;
    std::move(FRows.begin() + n, FRows.end(), FRows.begin() + (n - 1));
    FRows[Count - 1] = TzqDataDirRow();
    return true;
}

bool TzqDataDirRows::MoveUp(int n)
{
    if (!CanMoveUp(n))
        return false;
    std::swap(FRows[n - 1], FRows[n - 2]);
    return true;
}

bool TzqDataDirRows::MoveDown(int n)
{
    if (!CanMoveDown(n))
        return false;
    std::swap(FRows[n - 1], FRows[n]);
    return true;
}
