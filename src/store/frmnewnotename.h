#pragma once

#include "store/frmnewinputname.h"

// "새 노트 생성": the new-name dialog for a note; remembers its template in `template`.
class TfrmNewNoteName : public TfrmNewInputName {
    Q_OBJECT

public:
    explicit TfrmNewNoteName(QWidget* parent = nullptr);
};
