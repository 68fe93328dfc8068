#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

private:
    QString FFileName;
};
