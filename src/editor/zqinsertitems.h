#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QAction;
class QToolBar;
class QWidget;
class TzqNoteEditor;
class TzqPaste;
class TzqWebEditView;

// The insert items of the editing toolbar: a link, a picture (a file of this computer is copied
// into the note's file folder, a web picture is brought there), links to files, the time, a
// layer, and the user's snippets of section "IHTMLS" (Alt+1 to Alt+9 for the first nine).
class TzqInsertItems : public QObject {
    Q_OBJECT

public:
    TzqInsertItems(QToolBar* bar, TzqWebEditView* view, TzqNoteEditor* logic, TzqPaste* paste,
                   QObject* parent = nullptr);

    void tbiLinkClick();
    void tbiImageClick();
    void tbiFileLinkClick();
    void tbiInsertTimeClick();
    void tbiLayerClick();
    // Alt+1 to Alt+9: the snippet of that slot, when there is one.
    void ClickSnippetItem(int n);
    const QList<QAction*>& SnippetItems() const { return FSnippetItems; }

    // Stand-ins for the file dialog and the picture address question (tests script them).
    using TChooseFiles = std::function<QStringList()>;
    using TAskAddress = std::function<std::optional<QString>()>;
    void SetChooseFiles(TChooseFiles choose) { FChooseFiles = std::move(choose); }
    void SetAskAddress(TAskAddress ask) { FAskAddress = std::move(ask); }

private:
    void LoadSnippetButtons();
    void Insert(const QString& html);

    QToolBar* FBar;
    TzqWebEditView* FView;
    TzqNoteEditor* FLogic;
    TzqPaste* FPaste;
    QList<QAction*> FSnippetItems;
    TChooseFiles FChooseFiles;
    TAskAddress FAskAddress;
};
