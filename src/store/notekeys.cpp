#include "store/notekeys.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace notekeys {

namespace {

constexpr TKey PairFlag = TKey(1) << 32;
// How far into a note a meta charset naming UTF-8 is looked for (as the note's encoding is told).
constexpr qsizetype HeadBytes = 4096;

constexpr unsigned FoldByte(unsigned char b)
{
    return static_cast<unsigned char>(b - 'A') < 26u ? b | 0x20u : b;
}

inline TKey PairKey(unsigned first, unsigned second)
{
    return PairFlag | (first << 8) | second;
}

} // namespace

TKeySet::TKeySet() : FSeen(65536 / 64, 0) {}

void TKeySet::Collect(QByteArrayView bytes)
{
    FKeys.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    if (n == 1)
        FKeys.push_back(FoldByte(p[0]));
    if (n < 2)
        return;
    // One bit per pair of neighbouring bytes: the loop an index build spends most of its time in.
    static constexpr auto Folded = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned b = 0; b < 256; ++b)
            table[b] = static_cast<unsigned char>(FoldByte(static_cast<unsigned char>(b)));
        return table;
    }();
    std::uint64_t* const seen = FSeen.data();
    unsigned previous = Folded[p[0]];
    for (qsizetype i = 1; i < n; ++i) {
        const unsigned next = Folded[p[i]];
        const unsigned pair = (previous << 8) | next;
        seen[pair >> 6] |= std::uint64_t(1) << (pair & 63);
        previous = next;
    }
    // The pairs read out, the bitmap cleared for the next note; every byte of a pair is a key too.
    std::uint64_t singles[4] = {};
    for (std::size_t w = 0; w < FSeen.size(); ++w) {
        std::uint64_t bits = std::exchange(FSeen[w], 0);
        if (bits == 0)
            continue;
        const auto first = static_cast<unsigned>(w >> 2);
        singles[first >> 6] |= std::uint64_t(1) << (first & 63);
        for (; bits != 0; bits &= bits - 1) {
            const auto second = static_cast<unsigned>((w & 3) * 64 + std::countr_zero(bits));
            singles[second >> 6] |= std::uint64_t(1) << (second & 63);
            FKeys.push_back(PairKey(first, second));
        }
    }
    for (unsigned w = 0; w < 4; ++w) {
        for (std::uint64_t bits = singles[w]; bits != 0; bits &= bits - 1)
            FKeys.push_back(w * 64 + static_cast<unsigned>(std::countr_zero(bits)));
    }
}

std::vector<TKey> TKeySet::Keys() const
{
    return FKeys;
}

void TPostings::Add(TKey key, std::uint16_t note)
{
    // Every key has its own slot: the bytes, then the pairs.
    if (FIndex.empty())
        FIndex.assign(256 + 65536, ~0u);
    const std::size_t slot = (key & PairFlag) ? 256 + (key & 0xFFFF) : (key & 0xFF);
    std::uint32_t& at = FIndex[slot];
    if (at == ~0u) {
        at = static_cast<std::uint32_t>(FKeys.size());
        FKeys.push_back(key);
        FLists.emplace_back();
    }
    FLists[at].push_back(note);
    ++FEntries;
}

std::vector<TKey> TextKeys(QByteArrayView text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<TKey> keys;
    if (text.size() == 1)
        keys.push_back(FoldByte(p[0]));
    for (qsizetype i = 1; i < text.size(); ++i)
        keys.push_back(PairKey(FoldByte(p[i - 1]), FoldByte(p[i])));
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
