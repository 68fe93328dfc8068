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

// The insert items of the editing toolbar: a link, a picture (picture files of this computer
// are copied into the note's file folder, a web picture is brought there), links to files, the
// time, a layer, and the user's snippets of section "IHTMLS" (Alt+1 to Alt+9 for the first
// nine).
class TzqInsertItems : public QObject {
    Q_OBJECT

public:
    TzqInsertItems(QToolBar* bar, TzqWebEditView* view, TzqNoteEditor* logic, TzqPaste* paste,
                   QObject* parent = nullptr);

    void tbiLinkClick();
    // The picture item: picture files chosen in a file dialog. Its drop-down menu offers the
    // same and the address of a web picture (tbiImageAddressClick).
    void tbiImageClick();
    void tbiImageAddressClick();
    void tbiFileLinkClick();
    void tbiInsertTimeClick();
    void tbiLayerClick();
    // Alt+1 to Alt+9: the snippet of that slot, when there is one.
    void ClickSnippetItem(int n);
    const QList<QAction*>& SnippetItems() const { return FSnippetItems; }

    // Stand-ins for the file dialogs and the picture address question (tests script them).
    using TChooseFiles = std::function<QStringList()>;
    using TAskAddress = std::function<std::optional<QString>()>;
    void SetChooseFiles(TChooseFiles choose) { FChooseFiles = std::move(choose); }
    void SetChoosePictures(TChooseFiles choose) { FChoosePictures = std::move(choose); }
    void SetAskAddress(TAskAddress ask) { FAskAddress = std::move(ask); }

Q_SIGNALS:
    // Pictures were copied into the file folder of the note at notePath.
    void FilesAdded(const QString& notePath, const QStringList& names);
    // Why a picture could not be used; the editor shows it.
    void Failed(const QString& text);

private:
    void LoadSnippetButtons();
    void Insert(const QString& html);
    // Copies the picture files into the note and inserts them; the ones that cannot be used
    // are told in one message.
    void InsertPictureFiles(const QStringList& paths);

    QToolBar* FBar;
    TzqWebEditView* FView;
    TzqNoteEditor* FLogic;
    TzqPaste* FPaste;
    QList<QAction*> FSnippetItems;
    TChooseFiles FChooseFiles;
    TChooseFiles FChoosePictures;
    TAskAddress FAskAddress;
    QString FPictureDir; // where the picture dialog opens
};
