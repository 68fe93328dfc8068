#include "store/frmnewfoldername.h"

#include "app/zqprjinfo.h"

using namespace Qt::Literals::StringLiterals;

TfrmNewFolderName::TfrmNewFolderName(QWidget* parent)
    : TfrmNewInputName(TzqItemKind::Folder, TzqPrjInfo::idFolderTemplate, u"새 폴더 생성"_s, parent)
{
    Tint(88);
}
