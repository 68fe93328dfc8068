#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Whether a note holds a search text, in its name or in its raw HTML.
//
// Matching ignores the letter case of A to Z only; Korean and every other text compares as it
// stands. Each note is searched in its own encoding (DetectNoteEncoding). Most are CP949 bytes,
// whose double-byte characters may carry a second byte in the range of A to Z or a to z: such a
// byte is never folded, and a match always begins at a character, so "c" does not match inside
// the character whose bytes are 8C 63. UTF-8 notes are searched for the UTF-8 bytes of the text,
// UTF-16 notes as decoded text. Lines are searched one by one: a text spanning a line break
// occurs nowhere.
//
// The notes are never folded as a whole: the bytes are scanned for two bytes of the text at
// their distance (in either letter case where the text has a letter), and each place found is
// then checked byte by byte. Every member is const and keeps no scratch space, so one matcher
// serves several threads at once.
class TNoteMatcher {
public:
    // foldedText as FoldSearchText gives it.
    explicit TNoteMatcher(const QString& foldedText);

    // A name not beginning with "__" containing the text.
    bool NameMatches(const QString& fileName) const;
    // Some line of a note's bytes, read in the note's encoding, contains the text.
    bool ContentMatches(QByteArrayView noteBytes) const;
    // The text can occur in the content of some note at all.
    bool ContentPossible() const { return FContentPossible; }

    const QString& Text() const { return FText; }
    // The text as CP949 notes hold it.
    const QByteArray& Cp949Bytes() const { return FBytes; }

    // One way to look for a byte string: the two bytes scanned for and how each byte is
    // compared. Public for the tests of the scanner.
    struct TNeedle {
        QByteArray Bytes;     // the bytes as the text has them, letters in lower case
        QByteArray FoldMask;  // 0x20 where a byte is a letter compared in either case, else 0
        qsizetype Probe1 = 0; // the two positions scanned for, Probe1 <= Probe2
        qsizetype Probe2 = 0;
        bool CharStarts = false; // matches must begin at a CP949 character
        void Prepare(QByteArrayView bytes, const QList<int>& exactPositions, bool charStarts);
        // The first match in haystack; -1 when there is none.
        qsizetype FindIn(QByteArrayView haystack) const;
    };

private:
    QString FText;
    QByteArray FBytes;
    TNeedle FCp949;
    TNeedle FUtf8;
    bool FContentPossible = true;
    bool FCp949Possible = true;
};
