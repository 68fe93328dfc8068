#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class TzqIniFile;

// One row of the settings dialog's data directory grid: record DataDir<n>.
struct TzqDataDirRow {
    QString Name;
    QString Dir;
    bool Shared = false;
    // The bytes the file held for Name and Dir: a row written back unchanged keeps them, even
    // where they are no valid CP949 and would not survive a round trip through text.
    QByteArray StoredName;
    QByteArray StoredDir;

    bool IsEmpty() const { return Name.isEmpty() && Dir.isEmpty(); }
    bool operator==(const TzqDataDirRow& other) const
    {
        return Name == other.Name && Dir == other.Dir && Shared == other.Shared;
    }
};

// The fifty data directory records as the settings dialog edits them, numbered 1 to 50. The
// row operations move whole rows (name, directory and shared flag together).
class TzqDataDirRows {
public:
    static constexpr int Count = 50;

    // Reads DataDir1 to DataDir50. A record counts only with a name and a directory; any
    // other is an empty row. An absent IsShare means shared.
    static TzqDataDirRows Load(const TzqIniFile& ini);
    // Writes all fifty sections, empty rows included (empty Name and dir, IsShare 0).
    void Save(TzqIniFile& ini) const;

    const TzqDataDirRow& Row(int n) const;
    // Sets a row from what the user entered.
    void SetRow(int n, const QString& name, const QString& dir, bool shared);

    // Insert an empty row at n, moving rows n..49 down. Refused while row 50 is used, whose
    // record would be pushed out and lost.
    bool CanInsert(int n) const;
    bool Insert(int n);
    // Removes row n; the rows below move up and row 50 becomes empty.
    bool Delete(int n);
    bool CanMoveUp(int n) const { return n > 1 && n <= Count; }
    bool CanMoveDown(int n) const { return n >= 1 && n < Count; }
    // Swap row n with its neighbour; false (nothing moved) at the ends.
    bool MoveUp(int n);
    bool MoveDown(int n);

    bool operator==(const TzqDataDirRows& other) const { return FRows == other.FRows; }

private:
    static bool Valid(int n) { return n >= 1 && n <= Count; }

    std::array<TzqDataDirRow, Count> FRows;
};
