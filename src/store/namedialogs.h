#pragma once

#include "store/izqtreecommandhost.h"

#include <QString>
#include <optional>

class QWidget;

// The naming dialogs as the tree commands ask them: each shows its dialog modally and gives
// nothing on Cancel.

// The new note or new folder dialog for the directory dir. rootDir is the store root that
// "루트에 생성(&N)" stands for; when empty it is taken from the tree panel of parent's window,
// and without one the check box stays disabled.
std::optional<TzqNewNameAnswer> AskNewName(QWidget* parent, TzqItemKind kind, const QString& dir,
                                           const QString& rootDir = {});

// The plain name dialog: the name must be free in dir; the name box starts with currentName.
// caption, when not empty, replaces the dialog's own ("새 노트 이름 입력" / "새 폴더 이름 입력").
std::optional<QString> AskUserFileName(QWidget* parent, TzqItemKind kind, const QString& dir,
                                       const QString& currentName, const QString& caption = {});
