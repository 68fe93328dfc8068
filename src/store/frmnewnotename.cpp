#include "store/frmnewnotename.h"

#include "app/zqprjinfo.h"

using namespace Qt::Literals::StringLiterals;

TfrmNewNoteName::TfrmNewNoteName(QWidget* parent)
    : TfrmNewInputName(TzqItemKind::Note, TzqPrjInfo::idTemplate, u"새 노트 생성"_s, parent)
{
}
