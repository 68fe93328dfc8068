#include "tools/zqnotepadstore.h"

#include "app/zqprjinfo.h"
#include "platform/cp949.h"
#include "platform/textfile.h"

#include <QFileInfo>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF");

// Lines of UTF-8 bytes as text; a U+FEFF at the start of a line is text, not a mark.
QString DecodeUtf8(QByteArrayView bytes, bool* valid = nullptr)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (valid)
        *valid = !utf8.hasError();
    return text;
}

} // namespace

QString TzqNotePadStore::FileName() const
{
    return FPrjInfo.NotePadFileName();
}

QString TzqNotePadStore::LoadText() const
{
    const QString path = FileName();
    if (!QFileInfo::exists(path))
        return {};
    const QByteArray bytes = textfile::ReadAll(path);
    // The mark says UTF-8. Without it the file is CP949, as the notepad has always written it,
    // unless CP949 cannot read it and UTF-8 can: a file saved by another editor.
    bool utf8 = bytes.startsWith(Utf8Mark);
    const QByteArrayView body = utf8 ? QByteArrayView(bytes).sliced(Utf8Mark.size()) : bytes;
    if (!utf8 && cp949::ToUnicode(bytes).contains(QChar::ReplacementCharacter))
        DecodeUtf8(bytes, &utf8);
    QStringList lines;
    for (const QByteArray& line : textfile::SplitLines(body))
        lines.append(utf8 ? DecodeUtf8(line) : cp949::ToUnicode(line));
    return lines.join(u'\n');
}

void TzqNotePadStore::SaveText(const QString& text) const
{
    if (text.isEmpty()) {
        textfile::WriteAll(FileName(), {});
        return;
    }
    // CP949 while every character fits, so the file stays readable where only CP949 is; a
    // character it lacks (an accent, an emoji, a rare Hanja) would become "?", so such a text
    // is kept whole as UTF-8 behind a mark.
    bool fits = false;
    QByteArray bytes = cp949::FromUnicode(text, &fits);
    QByteArray out;
    if (!fits) {
        bytes = text.toUtf8();
        out = Utf8Mark.toByteArray();
    }
    out += textfile::JoinLines(bytes.split('\n'));
    textfile::WriteAll(FileName(), out);
}

std::optional<QRect> TzqNotePadStore::LoadPlacement() const
{
    return FPrjInfo.LoadFormPlacement(SectionName);
}

void TzqNotePadStore::SaveState(const QString& text, const QRect& bounds) const
{
    SaveText(text);
    FPrjInfo.SaveFormPlacement(SectionName, bounds);
}

QRect TzqNotePadStore::FitPlacement(const QRect& stored, const QSize& defaultSize,
                                    const QList<QRect>& screens)
{
    QRect rect = stored;
    if (rect.width() <= 0 || rect.height() <= 0)
        rect.setSize(defaultSize);
    if (screens.isEmpty())
        return rect;
    for (const QRect& screen : screens) {
        if (screen.intersects(rect))
            return rect;
    }
    rect.moveTopLeft(screens.first().topLeft());
    return rect;
}
