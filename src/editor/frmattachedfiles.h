#pragma once

#include "platform/guiutil.h"

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class IzqAttachedFilesUi;
class QAction;
class QLabel;
class QListWidget;
class QMovie;
class QSplitter;
class TzqGradiButton;

// The attached files panel below the edit view: the files of the current note's file folder,
// a preview of the current one, attaching, deleting to the Trash, opening, and asking the
// editor to insert them. The editor is never called; it listens to the signals.
//
// Pictures are decoded at the preview's size on a thread of their own, so that arrowing
// through large photos never stops the window; the picture shown stays until the next one is
// ready, and a picture decoded for an item that is no longer current is dropped.
class TfrmAttachedFiles : public QWidget {
    Q_OBJECT

public:
    // Pictures whose pixels would take more than this are not previewed (and never decoded).
    static constexpr qint64 PreviewByteLimit = PreviewPictureByteLimit;
    static constexpr int ExpandedHeight = 150;

    explicit TfrmAttachedFiles(QWidget* parent = nullptr);
    ~TfrmAttachedFiles() override;

    // The full path of the note's file folder and its name as references use it ("__name").
    void SetFileFolder(const QString& noteFileFolderPath, const QString& folderName);
    QString FileFolder() const { return FFileFolder; }
    QString FolderName() const { return FFolderName; }

    // Attached files are inserted into the note at once.
    void SetInsertNoteAppend(bool append) { FInsertNoteAppend = append; }
    bool InsertNoteAppend() const { return FInsertNoteAppend; }

    // Questions and errors; null restores the message boxes. Not owned.
    void SetUi(IzqAttachedFilesUi* ui);
    // Chooses the files to attach (full paths); empty cancels. Defaults to an open dialog.
    void SetFileChooser(std::function<QStringList()> chooser);
    // Whether an attach moves the files (Shift or Ctrl held) instead of copying them.
    void SetMoveQuery(std::function<bool()> query);

    // Refills the list. For the same folder the current item and the selection stay (by file
    // name); the first item is made current only in a list that was empty.
    void LoadFileList();
    void ShowPreview();
    void ClearPreview();
    void FitPreview();
    void AttachFiles();
    void DeleteSelectedFiles();
    // Asks for the selected files to be inserted with the alignment (0 none, 1 left, 2 right).
    void InsertSelectedFiles(int align);

    // The preview shows a picture of the current item.
    // Runs before files are deleted (the editor saves the note there); false stops the delete,
    // so that the note read again afterwards cannot lose the user's edits.
    void SetSaveFirst(std::function<bool()> save) { FSaveFirst = std::move(save); }

    bool PreviewIsImage() const { return FPreviewIsImage; }
    // A picture for the current item is still being decoded.
    bool PreviewPending() const { return FPreviewPending; }
    // Whether the file can be read as a picture, told from its contents.
    static bool IsPictureFile(const QString& path);

    void CollapseFilesPanel();
    bool IsCollapsed() const;
    void SetPanelHeight(int height);
    int CollapsedHeight() const;

Q_SIGNALS:
    // references: "__name\file" per selected file, in list order; isPicture: per file.
    void InsertRequested(const QStringList& references, const QList<bool>& isPicture, int align);
    // Files were deleted; the note should be reloaded.
    void FilesChanged();
    void PanelHeightChanged(int height);
    // A picture decoded for the current item was shown, or the grey when it was none.
    void PreviewShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TDecoder;
    struct TDecoded;

    QString FullPath(const QString& item) const;
    // Asks the decoding thread for the picture at path; what is shown stays meanwhile.
    void DecodePreview(const QString& path);
    // The preview's room in device pixels.
    QSize PreviewBox() const;
    void PreviewDecoded(quint64 serial, const TDecoded& decoded);
    void ShowGif(const QString& path);
    void StopGif();
    void PaintGrey();
    IzqAttachedFilesUi* Ui();
    void lstFilesDblClick();
    void actSplitterUpdate();
    void actSplitterExecute();
    void pnlFilesResize();

    QString FFileFolder;
    QString FFolderName;
    bool FInsertNoteAppend = true;
    bool FPreviewIsImage = false;
    bool FPreviewPending = false;
    // Every request and every clear of the preview gets a new number; a decoded picture is
    // shown only while its number is the latest.
    quint64 FPreviewSerial = 0;
    QString FPreviewPath; // the picture file shown or being decoded
    QSize FPictureSize;   // the shown picture's own size; empty while grey
    QSize FDecodedSize;   // the size it was decoded at
    QSize FDecodedBox;    // the room it was decoded for
    QString FListedFolder;
    std::unique_ptr<TDecoder> FDecoder;
    IzqAttachedFilesUi* FUi = nullptr;
    std::unique_ptr<IzqAttachedFilesUi> FDefaultUi;
    std::function<QStringList()> FChooser;
    std::function<bool()> FMoveQuery;

    QWidget* shpSplitter;
    TzqGradiButton* btnSplitter;
    QAction* actSplitter;
    QSplitter* splVert;
    QWidget* pnlPreView;
    QLabel* imgPreView32;
    QLabel* pnlWebGif;
    QPointer<QMovie> FGifMovie;
    QListWidget* lstFiles;
    TzqGradiButton* btnInsertToNote;
    TzqGradiButton* zqGradiButton2;
    TzqGradiButton* zqGradiButton3;
    TzqGradiButton* zqGradiButton4;
    TzqGradiButton* zqGradiButton5;

    // Dragging the splitter bar.
    bool FDragging = false;
    int FDragStartY = 0;
    int FDragStartHeight = 0;
    std::function<bool()> FSaveFirst;
};
