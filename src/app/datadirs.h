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

// Why a data directory record cannot be taken as entered, or empty when it can: a name is
// needed, a directory is needed, and both must be storable in the settings file (a character
// CP949 lacks would be stored as "?" and the directory lost at the next start). The name is
// taken trimmed.
struct TzqDataDirRefusal {
    enum TField { None, Name, Dir };
    TField Field = None;
    QString Message;
};
TzqDataDirRefusal CheckDataDirEntry(const QString& name, const QString& dir);
