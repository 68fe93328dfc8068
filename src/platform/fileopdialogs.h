#pragma once

#include "platform/fileoperation.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// The file operation's questions as message boxes over a window, and its progress in a
// progress dialog that appears only when the work takes longer than half a second.
class TzqFileOpDialogs : public IzqFileOpUi {
public:
    explicit TzqFileOpDialogs(QWidget* owner);
    ~TzqFileOpDialogs() override;

    TzqReplaceAnswer AskReplace(const QString& existing, bool isFolder) override;
    TzqDeleteAnswer AskDeleteForGood(const QString& path, bool isFolder, bool trashFailed) override;
    bool Progress(int done, int total, const QString& current) override;
    void ProgressDone() override;
    void ShowError(const QString& text) override;

private:
    QWidget* FOwner;
    QPointer<QProgressDialog> FProgress;
    QElapsedTimer FStarted;
};
