#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The settings file with the rules of a Windows private profile, on CP949 bytes:
// - section and key names match without regard to letter case; spaces around keys and values
//   are ignored; one pair of matching single or double quotes around a value is removed;
//   a read returns at most 2,047 characters;
// - the file is opened and closed for every single read or write, so several instances share
//   it key by key (the last writer wins); writers take turns through "<file>.lock" beside it,
//   so two instances writing at once both keep their keys;
// - a write replaces the value in place, adds the key at the end of its section or the section
//   at the end of the file, creates the file, and keeps every other line byte for byte;
//   new lines end in CR LF;
// - integers: decimal, "0x"/"0X" + hex (more than two characters), "$" + hex; anything that is
//   not a valid 32-bit integer reads as the default. Booleans are integers, non-zero is true;
//   they are written "1" / "0".
// A failed write throws EzqError("Unable to write to <path>"); values written before stay.
//
// Several keys can also be written as one change (BeginUpdate ... EndUpdate, or TUpdate): the
// writes in between are collected, reads see them, and EndUpdate puts all of them into the
// file in one read-modify-write under the lock. When that fails, none of them is written.
class TzqIniFile {
public:
    explicit TzqIniFile(QString fileName);

    const QString& FileName() const { return FFileName; }

    // Raw CP949 bytes of a value, or def when the file, section or key is missing.
    QByteArray ReadBytes(const QString& section, const QString& key, const QByteArray& def) const;
    QString ReadString(const QString& section, const QString& key, const QString& def = {}) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    void WriteBytes(const QString& section, const QString& key, const QByteArray& value);
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // A section exists when it holds at least one key.
    bool SectionExists(const QString& section) const;
    // The key names of a section, in file order.
    QStringList ReadSection(const QString& section) const;

    // The value rules, on their own (the fuzzer and the tests use them).
    static bool ParseInteger(QByteArrayView text, int& value);

    // Collects the following writes instead of writing each at once.
    void BeginUpdate();
    // Writes what was collected in one go (nothing when the file already holds it all) and
    // ends the update. Throws EzqError like a single write; then nothing was written.
    void EndUpdate();
    // Forgets what was collected and ends the update.
    void CancelUpdate();
    bool Updating() const { return FUpdating; }

    // An update for a scope: cancelled unless Commit ran.
    class TUpdate {
    public:
        explicit TUpdate(TzqIniFile& ini) : FIni(ini) { FIni.BeginUpdate(); }
        ~TUpdate()
        {
            if (FIni.Updating())
                FIni.CancelUpdate();
        }
        void Commit() { FIni.EndUpdate(); }
        TUpdate(const TUpdate&) = delete;
        TUpdate& operator=(const TUpdate&) = delete;

    private:
        TzqIniFile& FIni;
    };

    // How many times this object has replaced the file.
    int WriteCount() const { return FWriteCount; }

private:
    struct TPendingWrite {
        QByteArray Section;
        QByteArray Key;
        QByteArray Value;
    };

    // The file's bytes as reads see them; none when it is missing and nothing is pending.
    std::optional<QByteArray> Content() const;
    void Store(const std::vector<TPendingWrite>& writes);

    QString FFileName;
    bool FUpdating = false;
    std::vector<TPendingWrite> FPending;
    int FWriteCount = 0;
};
