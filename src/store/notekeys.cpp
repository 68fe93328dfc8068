#include "store/notekeys.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace notekeys {

namespace {

constexpr TKey PairFlag = TKey(1) << 32;
// How far into a note a meta charset naming UTF-8 is looked for (as the note's encoding is told).
constexpr qsizetype HeadBytes = 4096;

inline bool IsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

inline unsigned FoldByte(unsigned char b)
{
    return static_cast<unsigned char>(b - 'A') < 26u ? b | 0x20u : b;
}

// Calls take(code) for every character of bytes, and breaks() at each line break.
template <typename TTake, typename TBreak>
void ForEachCharacter(QByteArrayView bytes, TTake&& take, TBreak&& breaks)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (IsLeadByte(b) && i + 1 < n && p[i + 1] != '\r' && p[i + 1] != '\n') {
            take((unsigned(b) << 8) | p[i + 1]);
            i += 2;
        } else {
            if (b == '\r' || b == '\n')
                breaks();
            else
                take(FoldByte(b));
            ++i;
        }
    }
}

inline TKey PairKey(unsigned first, unsigned second)
{
    return PairFlag | (TKey(first) << 16) | second;
}

inline std::size_t Slot64(TKey key, std::size_t mask)
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 40) & mask;
}

inline std::size_t Slot32(std::uint32_t key, std::size_t mask)
{
    return static_cast<std::size_t>((key * 0x9E3779B1u) >> 12) & mask;
}

} // namespace

TKeySet::TKeySet() : FSeen(65536 / 64, 0), FSeenBytePairs(65536 / 64, 0), FSlots(4096, 0) {}

TKey TKeySet::PairKey(std::uint32_t pair)
{
    return PairFlag | pair;
}

void TKeySet::Grow()
{
    FSlots.assign(FSlots.size() * 2, 0);
    FUsed.clear();
    const std::size_t mask = FSlots.size() - 1;
    for (std::uint32_t pair : FPairs) {
        std::size_t s = Slot32(pair, mask);
        while (FSlots[s] != 0)
            s = (s + 1) & mask;
        FSlots[s] = pair + 1;
        FUsed.push_back(static_cast<std::uint32_t>(s));
    }
}

inline void TKeySet::InsertPair(std::uint32_t pair)
{
    const std::size_t mask = FSlots.size() - 1;
    std::size_t s = Slot32(pair, mask);
    for (;;) {
        const std::uint32_t at = FSlots[s];
        if (at == pair + 1)
            return;
        if (at == 0)
            break;
        s = (s + 1) & mask;
    }
    FSlots[s] = pair + 1;
    FUsed.push_back(static_cast<std::uint32_t>(s));
    FPairs.push_back(pair);
    if (FPairs.size() * 2 > FSlots.size())
        Grow();
}

void TKeySet::Collect(QByteArrayView bytes)
{
    // The last note's pairs of double-byte characters go.
    if (FPairs.size() * 8 < FSlots.size()) {
        for (std::uint32_t slot : FUsed)
            FSlots[slot] = 0;
    } else {
        std::fill(FSlots.begin(), FSlots.end(), 0);
    }
    FUsed.clear();
    FCharacters.clear();
    FPairs.clear();

    // The walk of ForEachCharacter, by hand: this loop is most of the time an index build takes.
    constexpr unsigned None = ~0u;
    std::uint64_t* const seen = FSeen.data();
    std::uint64_t* const seenBytePairs = FSeenBytePairs.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    unsigned previous = None;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        unsigned code;
        if (b < 0x81 || b == 0xFF) {
            ++i;
            if (b == '\r' || b == '\n') {
                previous = None;
                continue;
            }
            code = FoldByte(b);
            if (previous < 256) {
                const unsigned pair = (previous << 8) | code;
                seenBytePairs[pair >> 6] |= std::uint64_t(1) << (pair & 63);
                seen[code >> 6] |= std::uint64_t(1) << (code & 63);
                previous = code;
                continue;
            }
        } else if (i + 1 < n && p[i + 1] != '\r' && p[i + 1] != '\n') {
            code = (unsigned(b) << 8) | p[i + 1];
            i += 2;
        } else {
            code = b;
            ++i;
        }
        seen[code >> 6] |= std::uint64_t(1) << (code & 63);
        if (previous != None) {
            if ((previous | code) < 256) {
                const unsigned pair = (previous << 8) | code;
                seenBytePairs[pair >> 6] |= std::uint64_t(1) << (pair & 63);
            } else {
                InsertPair((previous << 16) | code);
            }
        }
        previous = code;
    }

    // The bitmaps read out and cleared for the next note.
    for (std::size_t w = 0; w < FSeen.size(); ++w) {
        for (std::uint64_t bits = std::exchange(FSeen[w], 0); bits != 0; bits &= bits - 1)
            FCharacters.push_back(static_cast<std::uint16_t>(w * 64 + std::countr_zero(bits)));
    }
    for (std::size_t w = 0; w < FSeenBytePairs.size(); ++w) {
        for (std::uint64_t bits = std::exchange(FSeenBytePairs[w], 0); bits != 0;
             bits &= bits - 1) {
            const unsigned pair = static_cast<unsigned>(w * 64 + std::countr_zero(bits));
            FPairs.push_back(((pair >> 8) << 16) | (pair & 0xFFu));
        }
    }
}

std::vector<TKey> TKeySet::Keys() const
{
    std::vector<TKey> keys;
    keys.reserve(Size());
    ForEach([&](TKey key) { keys.push_back(key); });
    return keys;
}

void TPostings::Grow()
{
    const std::size_t size = FSlots.empty() ? 4096 : FSlots.size() * 2;
    FSlots.assign(size, 0);
    FIndex.assign(size, 0);
    for (std::size_t i = 0; i < FKeys.size(); ++i) {
        std::size_t s = Slot64(FKeys[i], size - 1);
        while (FSlots[s] != 0)
            s = (s + 1) & (size - 1);
        FSlots[s] = FKeys[i] + 1;
        FIndex[s] = static_cast<std::uint32_t>(i);
    }
}

void TPostings::Add(TKey key, std::uint16_t note)
{
    if ((FKeys.size() + 1) * 2 > FSlots.size())
        Grow();
    const std::size_t mask = FSlots.size() - 1;
    std::size_t s = Slot64(key, mask);
    for (;;) {
        if (FSlots[s] == key + 1) {
            FLists[FIndex[s]].push_back(note);
            ++FEntries;
            return;
        }
        if (FSlots[s] == 0)
            break;
        s = (s + 1) & mask;
    }
    FSlots[s] = key + 1;
    FIndex[s] = static_cast<std::uint32_t>(FKeys.size());
    FKeys.push_back(key);
    FLists.push_back({note});
    ++FEntries;
}

std::vector<TKey> TextKeys(QByteArrayView text)
{
    std::vector<unsigned> codes;
    ForEachCharacter(
        text, [&](unsigned code) { codes.push_back(code); }, [&] { codes.push_back(~0u); });
    std::vector<TKey> keys;
    if (codes.size() == 1) {
        keys.push_back(codes.front());
    } else {
        for (std::size_t i = 1; i < codes.size(); ++i) {
            if (codes[i - 1] != ~0u && codes[i] != ~0u)
                keys.push_back(PairKey(codes[i - 1], codes[i]));
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

bool MayNotBeCp949(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return true;
    const QByteArrayView head = bytes.first(std::min(bytes.size(), HeadBytes));
    const char* begin = head.data();
    const char* end = begin + head.size();
    // The middle letter in either case, then its neighbours: quick on notes without it.
    for (const char t : {'t', 'T'}) {
        for (const char* p = begin + 1; p + 1 < end; ++p) {
            p = static_cast<const char*>(std::memchr(p, t, static_cast<std::size_t>(end - 1 - p)));
            if (!p)
                break;
            if ((p[-1] | 0x20) == 'u' && (p[1] | 0x20) == 'f')
                return true;
        }
    }
    return false;
}

std::uint32_t Checksum(QByteArrayView bytes)
{
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

QByteArray EncodePostings(const std::uint32_t* numbers, std::size_t count)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(count * 2 + 4));
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t v = numbers[i] - last;
        last = numbers[i];
        while (v >= 0x80) {
            out.append(static_cast<char>(v | 0x80));
            v >>= 7;
        }
        out.append(static_cast<char>(v));
    }
    const std::uint32_t sum = Checksum(out);
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>(sum >> shift));
    return out;
}

std::optional<std::vector<std::uint32_t>> DecodePostings(QByteArrayView blob, std::uint32_t limit)
{
    if (blob.size() < 4)
        return std::nullopt;
    const QByteArrayView payload = blob.first(blob.size() - 4);
    std::uint32_t stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= std::uint32_t(static_cast<unsigned char>(blob[payload.size() + i])) << (8 * i);
    if (stored != Checksum(payload))
        return std::nullopt;
    std::vector<std::uint32_t> numbers;
    numbers.reserve(static_cast<std::size_t>(payload.size()));
    std::uint64_t value = 0;
    for (qsizetype i = 0; i < payload.size();) {
        std::uint64_t delta = 0;
        int shift = 0;
        for (;;) {
            if (i >= payload.size() || shift > 28)
                return std::nullopt;
            const auto b = static_cast<unsigned char>(payload[i++]);
            delta |= std::uint64_t(b & 0x7F) << shift;
            shift += 7;
            if (!(b & 0x80))
                break;
        }
        if (!numbers.empty() && delta == 0)
            return std::nullopt;
        value += delta;
        if (value >= limit)
            return std::nullopt;
        numbers.push_back(static_cast<std::uint32_t>(value));
    }
    return numbers;
}

} // namespace notekeys
