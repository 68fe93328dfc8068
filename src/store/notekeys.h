#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

// The keys under which the search index files a CP949 note: every pair of neighbouring
// characters and every single character, A to Z folded, a character being one byte or a lead
// byte with the byte after it (a lead byte before a line break stands alone), exactly as the
// folder search walks a note. A text found in a note at a character start has all its pairs (or,
// one character long, its character) among the note's keys, so the notes holding every key of
// a text are a superset of those holding the text.
namespace notekeys {

using TKey = std::uint64_t;

// Collects the distinct keys of a note's bytes. Reused from note to note without clearing.
class TKeySet {
public:
    TKeySet();
    void Collect(QByteArrayView bytes);
    const std::vector<TKey>& Keys() const { return FKeys; }

private:
    void Insert(TKey key);
    void Grow();

    std::vector<TKey> FKeys;
    std::vector<TKey> FSlots;
    std::vector<std::uint32_t> FStamps;
    std::uint32_t FStamp = 0;
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
