#include "platform/cp949.h"

#include <QList>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace cp949 {
namespace {

// One conversion descriptor per direction and call; iconv_t is not thread-safe to share.
class TIconv {
public:
    TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
    ~TIconv()
    {
        if (Valid())
            iconv_close(FHandle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return FHandle; }

private:
    iconv_t FHandle;
};

enum class TMissing { Question, CharRef };

QByteArray Encode(QStringView text, TMissing missing, bool* lossless)
{
    QByteArray out;
    bool allKept = true;
    const QList<uint> ucs4 = text.toUcs4();
    TIconv cd("CP949", "UTF-32LE");
    const char* inp = reinterpret_cast<const char*>(ucs4.constData());
    size_t inLeft = static_cast<size_t>(ucs4.size()) * 4;
    out.resize(static_cast<qsizetype>(inLeft / 2 + 16));
    qsizetype used = 0;
    while (inLeft > 0) {
        if (!cd.Valid()) {
            allKept = false;
            break;
        }
        char* outp = out.data() + used;
        size_t outLeft = static_cast<size_t>(out.size() - used);
        const size_t r = iconv(cd.Handle(), const_cast<char**>(&inp), &inLeft, &outp, &outLeft);
        used = outp - out.data();
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        // A character CP949 lacks: replace it and go on behind it.
        iconv(cd.Handle(), nullptr, nullptr, nullptr, nullptr);
        allKept = false;
        uint cp = 0;
        std::memcpy(&cp, inp, 4);
        inp += 4;
        inLeft -= 4;
        const QByteArray repl = missing == TMissing::CharRef
                                    ? "&#x" + QByteArray::number(cp, 16).toUpper() + ';'
                                    : QByteArray("?");
        out.resize(used);
        out.append(repl);
        used = out.size();
        out.resize(used + static_cast<qsizetype>(inLeft / 2 + 16));
    }
    out.resize(used);
    if (!cd.Valid() && !ucs4.isEmpty()) {
        // Without a codec only ASCII survives.
        out.clear();
        for (uint cp : ucs4)
            out.append(cp < 0x80 ? static_cast<char>(cp) : '?');
    }
    if (lossless)
        *lossless = allKept;
    return out;
}

} // namespace

bool Available()
{
    TIconv cd("CP949", "UTF-8");
    return cd.Valid();
}

QString ToUnicode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    TIconv cd("UTF-16LE", "CP949");
    while (i < n) {
        // Runs of ASCII are copied directly; iconv sees only the double-byte runs.
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(char16_t(b)));
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < n && static_cast<unsigned char>(bytes[j]) >= 0x80)
            j += 2;
        j = std::min(j, n);
        if (!cd.Valid()) {
            for (; i < j; ++i)
                out.append(QChar::ReplacementCharacter);
            continue;
        }
        while (i < j) {
            char* inp = const_cast<char*>(bytes.data() + i);
            size_t inLeft = static_cast<size_t>(j - i);
            char16_t buf[512];
            char* outp = reinterpret_cast<char*>(buf);
            size_t outLeft = sizeof buf;
            const size_t r = iconv(cd.Handle(), &inp, &inLeft, &outp, &outLeft);
            out.append(QStringView(buf, static_cast<qsizetype>((sizeof buf - outLeft) / 2)));
            const qsizetype used = static_cast<qsizetype>(inp - (bytes.data() + i));
            i += used;
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                // An undefined or cut-off sequence: one replacement for its lead byte.
                iconv(cd.Handle(), nullptr, nullptr, nullptr, nullptr);
                out.append(QChar::ReplacementCharacter);
                ++i;
                // The trail byte may be ASCII; the outer loop takes care of it.
                if (i < n && static_cast<unsigned char>(bytes[i]) < 0x80)
                    break;
                j = i;
                while (j < n && static_cast<unsigned char>(bytes[j]) >= 0x80)
                    j += 2;
                j = std::min(j, n);
            }
        }
    }
    return out;
}

QByteArray FromUnicode(QStringView text, bool* lossless)
{
    return Encode(text, TMissing::Question, lossless);
}

QByteArray FromUnicodeWithCharRefs(QStringView text)
{
    return Encode(text, TMissing::CharRef, nullptr);
}

QString UnencodableChars(QStringView text)
{
    bool lossless = true;
    FromUnicode(text, &lossless);
    QString missing;
    if (lossless)
        return missing;
    qsizetype i = 0;
    while (i < text.size()) {
        // A surrogate pair is one character.
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        const QStringView ch = text.sliced(i, len);
        bool lossless = true;
        FromUnicode(ch, &lossless);
        if (!lossless && !missing.contains(ch))
            missing += ch;
        i += len;
    }
    return missing;
}

} // namespace cp949
