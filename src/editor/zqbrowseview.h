#pragma once

#include "editor/izqviews.h"
#include "editor/zqnotepage.h"

#include <QWebEngineView>
#include <memory>

class QPrinter;

// Browse mode: the note shown read-only. Link clicks and navigations the program did not start
// are put to the editor's check; the note's own scripts never run.
class TzqBrowseView : public QWebEngineView, public IzqBrowseView {
    Q_OBJECT

public:
    explicit TzqBrowseView(QWidget* parent = nullptr);
    ~TzqBrowseView() override;

    void SetNavigationCheck(TzqNotePage::TNavigationCheck check);

    void Navigate(const QString& path) override;
    void Refresh() override;
    int ScrollTop() override;
    void ScrollTo(int y) override;
    void Print() override;
    void Clear() override;
    void Stop();

    TzqNotePage* NotePage() const { return FPage; }

Q_SIGNALS:
    void DocumentComplete(bool ok);
    // The address under the pointer; empty when it leaves a link.
    void StatusText(const QString& text);

private:
    TzqNotePage* FPage;
    std::unique_ptr<QPrinter> FPrinter;
};
