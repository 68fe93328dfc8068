#include "tools/zqmsgboxstate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Trimming drops everything up to the space, control characters included.
bool IsBlank(QChar c)
{
    return c.unicode() <= u' ';
}

} // namespace

bool TzqMsgBoxState::TimerTick()
{
    if (FTicks > 15)
        return true;
    ++FTicks;
    return false;
}

void TzqMsgBoxState::MouseMoved()
{
    if (!FMouseMoveHooked)
        return;
    FMouseMoveHooked = false;
    FTicks = 99;
}

QString TzqMsgBoxState::TrimMessage(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text.at(begin)))
        ++begin;
    while (end > begin && IsBlank(text.at(end - 1)))
        --end;
    QString trimmed = text.mid(begin, end - begin);
    trimmed.replace(u"\r\n"_s, u"\n"_s);
    trimmed.replace(u'\r', u'\n');
    return trimmed;
}

QPoint TzqMsgBoxState::BoxPosition(const QRect& mainFrame, int boxWidth)
{
    return {mainFrame.left() + mainFrame.width() - boxWidth - 3, mainFrame.top() + 22};
}
