#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One item of a history drop-down list: the caption shown and the entry's index (its Tag).
struct TTravMenuItem {
    QString Caption;
    int Tag = -1;
};

// The back and forward history of the pages shown. Entries are relative page paths in
// backslash form below the data directory shown in the tree (Diary\2024\May.htm for a note,
// Diary\2024\ for a folder, the empty text for the data directory's own folder note). The
// cursor is the entry shown now; -1 while the list is empty.
class TTravList {
public:
    static constexpr int MaxEntries = 50;
    static constexpr int MaxMenuItems = 20;

    // Shows a relative page path (selects its node in the tree); false when nothing matched.
    using TShowEntry = std::function<bool(const QString& entry)>;

    // rootDir gives the tree's root directory at the moment of each call.
    explicit TTravList(std::function<QString()> rootDir);

    // Records the full page path just shown; the forward part is dropped. Returns the new
    // entry's index, or -1 when nothing was recorded (an empty path, or a skipped record).
    int Add(const QString& path);
    // Empties the list; called when another data directory is opened.
    void Clear();
    // Removes one entry; the cursor stays on the entry it was on where that one remains.
    void Delete(int index);
    void RemoveAdjacentDuplicates();

    bool CanGoBack() const;
    bool CanGoForward() const;
    // Moves the cursor one step and returns the entry there.
    QString Step(bool forward);
    // Moves the cursor to index and returns that entry; an index outside the list returns
    // the empty text and leaves the cursor.
    QString JumpTo(int index);

    // The next Add records (false while a step through the list loads its page).
    bool RecordNext() const { return FRecordNext; }

    // A history step as the back and forward commands and the drop-down lists make it: moves
    // the cursor, then shows the entry unless it is empty, without recording that page again.
    // The skip ends when show returns, so a page that was already current (no load) or an
    // entry with no node never swallows the next page the user opens. Returns show's answer
    // (false for an empty entry).
    bool GoBack(const TShowEntry& show);
    bool GoForward(const TShowEntry& show);
    bool GoTo(int index, const TShowEntry& show);

    // The items of the back list (from the entry before the cursor downwards) or the forward
    // list (from the entry after it upwards), at most MaxMenuItems.
    QList<TTravMenuItem> MenuItems(bool forward) const;
    // The caption of an entry: a note's name without ".htm", a folder's last name.
    static QString MenuCaption(const QString& entry);

    // After a note or a folder was renamed (full paths on disk: the note files, or the
    // folders' directories or folder notes): the entries of the old page become the new one;
    // for a folder every entry below it follows as well.
    void RenameEntries(const QString& oldPath, const QString& newPath);
    // Drops adjacent duplicates and the entries whose page no longer exists; the last entry,
    // normally the page just shown, is kept.
    void Validate();

    int Count() const { return int(FEntries.size()); }
    int Cursor() const { return FCursor; }
    const QStringList& Entries() const { return FEntries; }

private:
    bool Travel(const QString& entry, const TShowEntry& show);

    std::function<QString()> FRootDir;
    QStringList FEntries;
    int FCursor = -1;
    bool FRecordNext = true;
};
