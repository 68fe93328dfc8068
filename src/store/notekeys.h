#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

// The keys under which the search index files a CP949 note: every pair of neighbouring bytes
// and every byte, each byte with A to Z folded. A text found in a note has all its pairs (or, one
// byte long, its byte) among the note's keys, so the notes holding every key of a text are a
// superset of those holding the text; the search's own matcher then tells which really do (a
// match begins at a character, a second byte is never folded, a line break ends a match).
namespace notekeys {

using TKey = std::uint64_t;

// Collects the distinct keys of a note's bytes. Reused from note to note.
class TKeySet {
public:
    TKeySet();
    void Collect(QByteArrayView bytes);
    // The keys of the last note: its pairs, then its bytes.
    std::vector<TKey> Keys() const;
    std::size_t Size() const { return FKeys.size(); }
    template <typename F> void ForEach(F&& take) const
    {
        for (TKey key : FKeys)
            take(key);
    }

private:
    std::vector<std::uint64_t> FSeen; // one bit per pair of bytes
    std::vector<TKey> FKeys;
};

// The notes of each key of a batch, in the order they were added.
class TPostings {
public:
    void Add(TKey key, std::uint16_t note);
    std::size_t KeyCount() const { return FKeys.size(); }
    TKey Key(std::size_t i) const { return FKeys[i]; }
    const std::vector<std::uint16_t>& Notes(std::size_t i) const { return FLists[i]; }
    std::size_t Entries() const { return FEntries; }

private:
    std::vector<std::uint32_t> FIndex; // per key's slot: its index into FKeys
    std::vector<TKey> FKeys;
    std::vector<std::vector<std::uint16_t>> FLists;
    std::size_t FEntries = 0;
};

// The keys a note must hold to contain text (CP949 bytes, A to Z folded); empty for an empty
// text.
std::vector<TKey> TextKeys(QByteArrayView text);

// Whether a note must always be read by a search instead of being filed under keys: it may not
// be CP949 (a byte-order mark, or the word "utf" where a meta charset could name UTF-8).
bool MayNotBeCp949(QByteArrayView bytes);

// ---- Posting lists: sorted numbers as a checksummed blob ---------------------------------------

// Ascending numbers as differences in variable-length bytes, then a checksum of four bytes.
QByteArray EncodePostings(const std::uint32_t* numbers, std::size_t count);
// The numbers of a blob; none when the blob is damaged (bad checksum, overlong, not ascending,
// beyond limit).
std::optional<std::vector<std::uint32_t>> DecodePostings(QByteArrayView blob, std::uint32_t limit);

// The checksum the blobs and the index's rows carry.
std::uint32_t Checksum(QByteArrayView bytes);

} // namespace notekeys
