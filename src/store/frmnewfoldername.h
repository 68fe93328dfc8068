#pragma once

#include "store/frmnewinputname.h"

// "새 폴더 생성": the new-name dialog for a folder, in the tinted frame; remembers its template
// in `fld_temp`.
class TfrmNewFolderName : public TfrmNewInputName {
    Q_OBJECT

public:
    explicit TfrmNewFolderName(QWidget* parent = nullptr);
};
