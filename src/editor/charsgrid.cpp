#include "editor/charsgrid.h"

#include "platform/cp949.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// The first line is read up to this many bytes; a longer one is cut there.
constexpr qint64 MaxLineBytes = 64 * 1024;

bool IsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool IsTrailByte(unsigned char b)
{
    return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
}

} // namespace

QStringList CharsGridCells(const QByteArray& firstLineCp949)
{
    QStringList cells;
    const qsizetype n = firstLineCp949.size();
    qsizetype i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(firstLineCp949[i]);
        if (b < 0x80) {
            // Control characters would insert nothing one could see or pick.
            if (b >= 0x20 && b != 0x7F)
                cells.append(QString(QChar(char16_t(b))));
            ++i;
            continue;
        }
        if (!IsLeadByte(b) || i + 1 >= n ||
            !IsTrailByte(static_cast<unsigned char>(firstLineCp949[i + 1]))) {
            // A stray byte: dropped alone, the next byte starts afresh.
            ++i;
            continue;
        }
        const QString c = cp949::ToUnicode(QByteArrayView(firstLineCp949).sliced(i, 2));
        if (!c.isEmpty() && !c.contains(QChar::ReplacementCharacter))
            cells.append(c);
        i += 2;
    }
    return cells;
}

QString BuiltInChars()
{
    // The Angstrom sign is U+212B, the character CP949 holds (A1 CA); the letter U+00C5 that
    // looks the same has no CP949 form and would not survive a save.
    return u"■□▶※●☎★♩♪♬±ø⅓⅔⅛⅜⅝⅞¹²³ⁿ₁₂₃₄αβ∑Ω\u212B℉℃°÷∞≡√↔←↑→↓↕↖↗↘↙∴∵∼∽"
           u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮ⓐⓑⓒⓓⓔⓕⓖⓗⓘⓙⓚⓛⓜⓝⓠⓡⓢⓣⓤⓥⓦⓧⓨⓩ㉮㉯㉰㉱㉲㉳㉴㉵㉶㉷㉸㉹㉺㉻"
           u"㎁㎂㎃㎄㎖㎗㎘㎲㎶㎼＼"_s;
}

QStringList LoadCharsGridCells(const QString& fileName)
{
    QStringList cells;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray line = file.readLine(MaxLineBytes);
        const qsizetype end = line.indexOf('\r') >= 0 ? line.indexOf('\r') : line.indexOf('\n');
        if (end >= 0)
            line.truncate(end);
        cells = CharsGridCells(line);
    }
    if (cells.isEmpty()) {
        const QString builtIn = BuiltInChars();
        for (const QChar c : builtIn)
            cells.append(QString(c));
    }
    return cells;
}
