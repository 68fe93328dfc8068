#pragma once

#include <QString>
#include <QStringList>

class TzqPrjInfo;

// The registered data directories as the tree panel offers them.

// The display names of the usable records (name and directory given, directory existing),
// in record order. When there is none, the record "기본 폴더" for the default data directory
// is written as DataDir1 and offered alone.
QStringList LoadDataDirList(TzqPrjInfo& prj);

// The entry to open at start: the one equal to lastName without regard to letter case, or
// the first; -1 for an empty list.
int IndexOfLastDataDir(const QStringList& names, const QString& lastName);

struct TzqDataDir {
    QString Dir;
    bool Shared = false;
};

// The directory to open for a name: the record's, or the fallback when no record has it.
TzqDataDir ResolveDataDir(const TzqPrjInfo& prj, const QString& name, const TzqDataDir& fallback);
