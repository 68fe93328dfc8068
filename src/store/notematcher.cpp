#include "store/notematcher.h"

#include "platform/cp949.h"
#include "platform/noteencoding.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// How far into a note DetectNoteEncoding looks for a meta charset.
constexpr qsizetype MetaCharsetBytes = 4096;
// How far back a candidate looks for the start of its run of lead bytes before it walks from
// the last character start it knows.
constexpr qsizetype BackScanLimit = 64;

inline unsigned char FoldByte(unsigned char b)
{
    return static_cast<unsigned char>(b - 'A') < 26u ? static_cast<unsigned char>(b | 0x20) : b;
}

inline bool IsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

inline bool IsLineBreak(unsigned char b)
{
    return b == '\r' || b == '\n';
}

// The positions of the second bytes of double-byte characters in CP949 text. A lead byte
// before a line break stands alone, as lines are split at every CR and LF.
QList<int> TrailBytePositions(QByteArrayView text)
{
    QList<int> trail;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
            !IsLineBreak(static_cast<unsigned char>(text[i + 1]))) {
            trail.append(static_cast<int>(i + 1));
            ++i;
        }
    }
    return trail;
}

// How often a byte turns up in the notes, roughly, in either letter case: the rarer of a
// text's bytes are the ones scanned for. Hangul syllables mostly begin with B0 to C8; their
// second bytes spread over A1 to FE.
int Commonness(unsigned char b)
{
    static constexpr int Letters[26] = {80, 30, 50, 50, 100, 30, 30, 50, 70, 5,  10, 50, 40,
                                        70, 70, 30, 3,  60,  60, 80, 40, 15, 25, 8,  25, 4};
    b = FoldByte(b);
    if (b >= 'a' && b <= 'z')
        return Letters[b - 'a'];
    if (b >= '0' && b <= '9')
        return 25;
    if (std::strchr(" <>/=\"\r\n;:.,-#&", b) && b != 0)
        return 100;
    if (b >= 0xB0 && b <= 0xC8)
        return 60;
    if (b >= 0xA1)
        return 35;
    return 20;
}

// Whether the bytes hold "utf8" or "utf-8" in any letter case, which a meta charset of UTF-8
// needs. Looks for the digit first: it is rare in notes and never the second byte of a Korean
// character.
bool MayNameUtf8(QByteArrayView head)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(head.data());
    const auto* end = begin + head.size();
    const auto is = [](const unsigned char* at, const char* word, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i) {
            if (FoldByte(at[i]) != static_cast<unsigned char>(word[i]))
                return false;
        }
        return true;
    };
    for (const unsigned char* p = begin; p < end; ++p) {
        p = static_cast<const unsigned char*>(memchr(p, '8', static_cast<size_t>(end - p)));
        if (!p)
            return false;
        if ((p - begin >= 3 && is(p - 3, "utf", 3)) || (p - begin >= 4 && is(p - 4, "utf-", 4)))
            return true;
    }
    return false;
}

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

QString LowerAZ(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() | 0x20);
    }
    return text;
}

// Tells whether positions of one CP949 buffer, asked in increasing order, begin a character.
class TCharStarts {
public:
    TCharStarts(const unsigned char* bytes, qsizetype size) : FBytes(bytes), FSize(size) {}

    bool At(qsizetype p)
    {
        // A byte that is no lead byte ends a character, whether it stands alone or second: the
        // next byte begins one. From there the lead bytes before p pair up.
        qsizetype q = p;
        const qsizetype stop = std::max(FCursor, p - BackScanLimit);
        while (q > stop && IsLeadByte(FBytes[q - 1]))
            --q;
        if (q == 0 || q == FCursor || !IsLeadByte(FBytes[q - 1]))
            return (p - q) % 2 == 0 || IsLineBreak(FBytes[p]);
        // A long run of lead bytes: walk from the last start known, each buffer once at most.
        while (FCursor < p) {
            if (IsLeadByte(FBytes[FCursor]) && FCursor + 1 < FSize &&
                !IsLineBreak(FBytes[FCursor + 1]))
                FCursor += 2;
            else
                ++FCursor;
        }
        return FCursor == p;
    }

private:
    const unsigned char* FBytes;
    qsizetype FSize;
    qsizetype FCursor = 0; // a character start at or before every position asked
};

} // namespace

void TNoteMatcher::TNeedle::Prepare(QByteArrayView bytes, const QList<int>& exactPositions,
                                    bool charStarts)
{
    Bytes = bytes.toByteArray();
    FoldMask = QByteArray(Bytes.size(), '\0');
    CharStarts = charStarts;
    for (qsizetype i = 0; i < Bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(Bytes[i]);
        if (FoldByte(b) != b || (b >= 'a' && b <= 'z')) {
            if (!exactPositions.contains(static_cast<int>(i))) {
                Bytes[i] = static_cast<char>(FoldByte(b));
                FoldMask[i] = 0x20;
            }
        }
    }
    // The rarest byte, and the rarest other one, preferring the farther at equal rarity.
    Probe1 = Probe2 = 0;
    const auto rank = [&](qsizetype i) { return Commonness(static_cast<unsigned char>(Bytes[i])); };
    for (qsizetype i = 1; i < Bytes.size(); ++i) {
        if (rank(i) < rank(Probe1))
            Probe1 = i;
    }
    qsizetype second = -1;
    for (qsizetype i = 0; i < Bytes.size(); ++i) {
        if (i == Probe1)
            continue;
        if (second < 0 || rank(i) < rank(second) ||
            (rank(i) == rank(second) && std::abs(i - Probe1) > std::abs(second - Probe1)))
            second = i;
    }
    if (second >= 0) {
        Probe2 = std::max(Probe1, second);
        Probe1 = std::min(Probe1, second);
    } else {
        Probe2 = Probe1;
    }
}

qsizetype TNoteMatcher::TNeedle::FindIn(QByteArrayView haystack) const
{
    const qsizetype m = Bytes.size();
    const qsizetype n = haystack.size();
    if (m == 0 || n < m)
        return -1;
    const auto* s = reinterpret_cast<const unsigned char*>(haystack.data());
    const auto* needle = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const auto* fold = reinterpret_cast<const unsigned char*>(FoldMask.constData());
    const unsigned char b1 = needle[Probe1], f1 = fold[Probe1];
    const unsigned char b2 = needle[Probe2], f2 = fold[Probe2];
    TCharStarts starts(s, n);
    const auto verify = [&](qsizetype p) {
        for (qsizetype k = 0; k < m; ++k) {
            if ((s[p + k] | fold[k]) != needle[k])
                return false;
        }
        return !CharStarts || starts.At(p);
    };
    const qsizetype last = n - m; // the last place a match can begin
    qsizetype p = 0;
#if defined(__SSE2__)
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(b1));
    const __m128i v2 = _mm_set1_epi8(static_cast<char>(b2));
    const __m128i m1 = _mm_set1_epi8(static_cast<char>(f1));
    const __m128i m2 = _mm_set1_epi8(static_cast<char>(f2));
    const auto block = [&](qsizetype at) {
        const __m128i x1 =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + Probe1)), m1);
        const __m128i x2 =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + Probe2)), m2);
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x1, v1), _mm_cmpeq_epi8(x2, v2))));
    };
    // Two blocks a turn: most turns find nothing in either.
    for (; p + 31 <= last; p += 32) {
        unsigned mask = block(p) | (block(p + 16) << 16);
        while (mask) {
            const qsizetype at = p + __builtin_ctz(mask);
            if (verify(at))
                return at;
            mask &= mask - 1;
        }
    }
    for (; p + 15 <= last; p += 16) {
        unsigned mask = block(p);
        while (mask) {
            const qsizetype at = p + __builtin_ctz(mask);
            if (verify(at))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; p <= last; ++p) {
        if ((s[p + Probe1] | f1) == b1 && (s[p + Probe2] | f2) == b2 && verify(p))
            return p;
    }
    return -1;
}

TNoteMatcher::TNoteMatcher(const QString& foldedText) : FText(foldedText)
{
    bool lossless = true;
    FBytes = cp949::FromUnicode(FText, &lossless);
    FCp949.Prepare(FBytes, TrailBytePositions(FBytes), true);
    FUtf8.Prepare(LowerAZ(FText).toUtf8(), {}, false);
    FContentPossible = !FText.isEmpty() && !FText.contains(u'\r') && !FText.contains(u'\n');
    // A text CP949 cannot write occurs in Unicode notes only.
    FCp949Possible = FContentPossible && lossless;
}

bool TNoteMatcher::NameMatches(const QString& fileName) const
{
    if (fileName.startsWith(u"__"_s))
        return false;
    return LowerAZ(fileName).contains(FText);
}

bool TNoteMatcher::ContentMatches(QByteArrayView noteBytes) const
{
    if (!FContentPossible)
        return false;
    if (StartsWithUtf16Bom(noteBytes))
        return LowerAZ(DecodeNote(noteBytes, DetectNoteEncoding(noteBytes)))
            .contains(LowerAZ(FText));
    // Notes are CP949 by the thousand and UTF-8 by the few: the full test, which reads the meta
    // charset, runs only where the note may name UTF-8 where that test looks.
    if ((noteBytes.startsWith("\xEF\xBB\xBF") ||
         MayNameUtf8(noteBytes.first(std::min(noteBytes.size(), MetaCharsetBytes)))) &&
        DetectNoteEncoding(noteBytes) != TzqNoteEncoding::Cp949)
        return FUtf8.FindIn(noteBytes) >= 0;
    return FCp949Possible && FCp949.FindIn(noteBytes) >= 0;
}
