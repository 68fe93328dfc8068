#include "editor/frmattachedfiles.h"

#include "editor/attachedfiles.h"
#include "editor/izqattachedfilesui.h"
#include "platform/fileopdialogs.h"
#include "platform/fileoperation.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QSet>
#include <QSplitter>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BorderWidth = 3;
constexpr int SplitterBarHeight = 10;
constexpr QRgb PreviewGrey = 0x7F7F7F;
// A preview panel squeezed to nothing still gets a picture this large; growing it decodes the
// picture again at the new size.
constexpr int SmallestPreviewBox = 16;

// Only the picture's declared size is read first: one too big to hold is never decoded.
bool PreviewAllowed(const QSize& size)
{
    return size.isValid() && !size.isEmpty() &&
           qint64(size.width()) * qint64(size.height()) * 4 <= TfrmAttachedFiles::PreviewByteLimit;
}

// The panel's questions as message boxes, the file operation's through its dialogs.
class TAttachedFilesDialogs : public IzqAttachedFilesUi {
public:
    explicit TAttachedFilesDialogs(QWidget* owner) : FOwner(owner), FDialogs(owner) {}

    bool ConfirmDelete(const QString& question) override
    {
        return QMessageBox::question(FOwner, QString(), question,
                                     QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Ok) == QMessageBox::Ok;
    }
    TzqReplaceAnswer AskReplace(const QString& existing, bool isFolder) override
    {
        return FDialogs.AskReplace(existing, isFolder);
    }
    TzqDeleteAnswer AskDeleteForGood(const QString& path, bool isFolder, bool trashFailed) override
    {
        return FDialogs.AskDeleteForGood(path, isFolder, trashFailed);
    }
    bool Progress(int done, int total, const QString& current) override
    {
        return FDialogs.Progress(done, total, current);
    }
    void ProgressDone() override { FDialogs.ProgressDone(); }
    void ShowError(const QString& text) override { FDialogs.ShowError(text); }

private:
    QWidget* FOwner;
    TzqFileOpDialogs FDialogs;
};

// A small glyph for the drawn buttons: an arrow (up or down), or a picture beside text lines.
QIcon Glyph(int kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    switch (kind) {
    case 0: // open panel: arrow down collapses it
        p.drawPolygon(QPolygonF({QPointF(4, 6), QPointF(12, 6), QPointF(8, 11)}));
        break;
    case 1: // collapsed: arrow up
        p.drawPolygon(QPolygonF({QPointF(4, 11), QPointF(12, 11), QPointF(8, 6)}));
        break;
    default: { // 2 picture on the left, 3 on the right
        const bool left = kind == 2;
        p.setBrush(QColor(0x3A, 0x6E, 0xA5));
        p.drawRect(QRectF(left ? 1 : 9, 2, 6, 6));
        p.setBrush(QColor(0x40, 0x40, 0x40));
        for (int y = 2; y <= 6; y += 2)
            p.drawRect(QRectF(left ? 8 : 1, y, 7, 1));
        for (int y = 10; y <= 14; y += 2)
            p.drawRect(QRectF(1, y, 14, 1));
        break;
    }
    }
    return QIcon(pixmap);
}

TzqGradiButton* MakeButton(const QString& caption, int tag, QWidget* parent)
{
    auto* button = new TzqGradiButton(caption, parent);
    button->SetColors(TzqGradiColors::DialogColors());
    button->setProperty("Tag", tag);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

// A picture decoded for the preview: null when the file is no picture or too big.
struct TfrmAttachedFiles::TDecoded {
    QImage Image;
    QSize PictureSize;
    QSize Box; // the room it was decoded for, in device pixels
};

// The decoding thread. Requests queue up in order; one that is no longer the latest when its
// turn comes is skipped, so arrowing fast through large pictures decodes only the last one.
struct TfrmAttachedFiles::TDecoder {
    TDecoder()
    {
        Thread.setObjectName(u"preview decoder"_s);
        Context->moveToThread(&Thread);
        QObject::connect(&Thread, &QThread::finished, Context, &QObject::deleteLater);
        Thread.start(QThread::LowPriority);
    }
    ~TDecoder()
    {
        Latest->store(0);
        Thread.quit();
        Thread.wait();
    }

    // The size a picture is decoded at for a preview of box (device pixels).
    static QSize DecodedSize(const QSize& pictureSize, const QSize& box)
    {
        return FitPictureSize(pictureSize,
                              box.expandedTo(QSize(SmallestPreviewBox, SmallestPreviewBox)));
    }

    static TDecoded Decode(const QString& path, const QSize& box)
    {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QSize size = reader.size();
        if (!PreviewAllowed(size))
            return {};
        const QSize scaled = DecodedSize(size, box);
        if (scaled != size)
            reader.setScaledSize(scaled);
        QImage image;
        if (!reader.read(&image) || image.isNull())
            return {};
        return {std::move(image), size, box};
    }

    QThread Thread;
    // Runs the requests; it goes with the thread's end.
    QObject* Context = new QObject;
    std::shared_ptr<std::atomic<quint64>> Latest = std::make_shared<std::atomic<quint64>>(0);
};

TfrmAttachedFiles::TfrmAttachedFiles(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"pnlFiles"_s);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(BorderWidth, BorderWidth, BorderWidth, BorderWidth);
    outer->setSpacing(0);

    shpSplitter = new QWidget(this);
    shpSplitter->setObjectName(u"shpSplitter"_s);
    shpSplitter->setFixedHeight(SplitterBarHeight);
    shpSplitter->setCursor(Qt::SizeVerCursor);
    shpSplitter->installEventFilter(this);
    btnSplitter = MakeButton(QString(), 0, shpSplitter);
    btnSplitter->setObjectName(u"btnSplitter"_s);
    btnSplitter->setFixedSize(40, SplitterBarHeight);
    btnSplitter->SetImages({Glyph(0), Glyph(1)});
    btnSplitter->SetIconY(-3);
    btnSplitter->SetIconX(12);
    btnSplitter->setCursor(Qt::ArrowCursor);
    actSplitter = new QAction(this);
    actSplitter->setObjectName(u"actSplitter"_s);
    connect(actSplitter, &QAction::triggered, this, &TfrmAttachedFiles::actSplitterExecute);
    connect(btnSplitter, &QPushButton::clicked, actSplitter, &QAction::trigger);
    outer->addWidget(shpSplitter);

    splVert = new QSplitter(Qt::Horizontal, this);
    splVert->setObjectName(u"splVert"_s);
    splVert->setChildrenCollapsible(false);
    outer->addWidget(splVert, 1);

    pnlPreView = new QWidget(splVert);
    pnlPreView->setObjectName(u"pnlPreView"_s);
    pnlPreView->setMinimumWidth(20);
    pnlPreView->installEventFilter(this);
    imgPreView32 = new QLabel(pnlPreView);
    imgPreView32->setObjectName(u"imgPreView32"_s);
    imgPreView32->setScaledContents(true);
    imgPreView32->move(0, 0);
    pnlWebGif = new QLabel(pnlPreView);
    pnlWebGif->setObjectName(u"pnlWebGif"_s);
    pnlWebGif->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pnlWebGif->setAutoFillBackground(true);
    pnlWebGif->hide();

    auto* right = new QWidget(splVert);
    auto* rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(3);
    lstFiles = new QListWidget(right);
    lstFiles->setObjectName(u"lstFiles"_s);
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstFiles->setUniformItemSizes(true);
    lstFiles->setStyleSheet(u"QListWidget::item { height: 20px; }"_s);
    rightLayout->addWidget(lstFiles, 1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    btnInsertToNote = MakeButton(u"삽입"_s, 0, right);
    btnInsertToNote->setObjectName(u"btnInsertToNote"_s);
    zqGradiButton2 = MakeButton(QString(), 1, right);
    zqGradiButton2->setObjectName(u"zqGradiButton2"_s);
    zqGradiButton2->SetImages({Glyph(2)});
    zqGradiButton2->SetImageIndex(0);
    zqGradiButton2->setToolTip(u"왼쪽 정렬로 삽입"_s);
    zqGradiButton3 = MakeButton(QString(), 2, right);
    zqGradiButton3->setObjectName(u"zqGradiButton3"_s);
    zqGradiButton3->SetImages({Glyph(3)});
    zqGradiButton3->SetImageIndex(0);
    zqGradiButton3->setToolTip(u"오른쪽 정렬로 삽입"_s);
    zqGradiButton4 = MakeButton(u"파일 첨부"_s, 0, right);
    zqGradiButton4->setObjectName(u"zqGradiButton4"_s);
    zqGradiButton5 = MakeButton(u"파일 삭제"_s, 0, right);
    zqGradiButton5->setObjectName(u"zqGradiButton5"_s);
    auto* aligns = new QHBoxLayout;
    aligns->setSpacing(2);
    btnInsertToNote->setFixedSize(80, 24);
    zqGradiButton2->setFixedSize(39, 24);
    zqGradiButton3->setFixedSize(39, 24);
    zqGradiButton4->setFixedSize(80, 24);
    zqGradiButton5->setFixedSize(80, 24);
    aligns->addWidget(zqGradiButton2);
    aligns->addWidget(zqGradiButton3);
    buttons->addWidget(btnInsertToNote);
    buttons->addLayout(aligns);
    buttons->addSpacing(6);
    buttons->addWidget(zqGradiButton4);
    buttons->addWidget(zqGradiButton5);
    buttons->addStretch(1);
    rightLayout->addLayout(buttons);

    splVert->addWidget(pnlPreView);
    splVert->addWidget(right);
    splVert->setStretchFactor(1, 1);
    splVert->setSizes({185, 400});

    for (TzqGradiButton* button : {btnInsertToNote, zqGradiButton2, zqGradiButton3}) {
        connect(button, &QPushButton::clicked, this,
                [this, button] { InsertSelectedFiles(button->property("Tag").toInt()); });
    }
    connect(zqGradiButton4, &QPushButton::clicked, this, &TfrmAttachedFiles::AttachFiles);
    connect(zqGradiButton5, &QPushButton::clicked, this, &TfrmAttachedFiles::DeleteSelectedFiles);
    connect(lstFiles, &QListWidget::currentRowChanged, this, [this] { ShowPreview(); });
    connect(lstFiles, &QListWidget::itemDoubleClicked, this, [this] { lstFilesDblClick(); });

    setFixedHeight(ExpandedHeight);
    ClearPreview();
    actSplitterUpdate();
}

TfrmAttachedFiles::~TfrmAttachedFiles()
{
    // The thread ends before anything it reports to goes.
    FDecoder.reset();
}

void TfrmAttachedFiles::SetFileFolder(const QString& noteFileFolderPath, const QString& folderName)
{
    FFileFolder = noteFileFolderPath;
    FFolderName = folderName;
}

void TfrmAttachedFiles::SetUi(IzqAttachedFilesUi* ui)
{
    FUi = ui;
}

void TfrmAttachedFiles::SetFileChooser(std::function<QStringList()> chooser)
{
    FChooser = std::move(chooser);
}

void TfrmAttachedFiles::SetMoveQuery(std::function<bool()> query)
{
    FMoveQuery = std::move(query);
}

IzqAttachedFilesUi* TfrmAttachedFiles::Ui()
{
    if (FUi)
        return FUi;
    if (!FDefaultUi)
        FDefaultUi = std::make_unique<TAttachedFilesDialogs>(this);
    return FDefaultUi.get();
}

QString TfrmAttachedFiles::FullPath(const QString& item) const
{
    return QDir(FFileFolder).filePath(item);
}

void TfrmAttachedFiles::LoadFileList()
{
    // A paste refills the list once for every picture it saves: the user's place and choice
    // in the same folder must survive that.
    const bool refill = FListedFolder == FFileFolder && lstFiles->count() > 0;
    FListedFolder = FFileFolder;
    const QListWidgetItem* wasCurrent = lstFiles->currentItem();
    const QString current = refill && wasCurrent ? wasCurrent->text() : QString();
    const int currentRow = lstFiles->currentRow();
    QSet<QString> selected;
    if (refill) {
        for (const QListWidgetItem* item : lstFiles->selectedItems())
            selected.insert(item->text());
    }
    const QSignalBlocker block(lstFiles);
    lstFiles->clear();
    lstFiles->addItems(ListAttachedFiles(FFileFolder));
    if (lstFiles->count() == 0) {
        ClearPreview();
        return;
    }
    if (!refill) {
        lstFiles->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        ShowPreview();
        return;
    }
    int row = -1;
    for (int i = 0; i < lstFiles->count(); ++i) {
        QListWidgetItem* item = lstFiles->item(i);
        if (item->text() == current)
            row = i;
        item->setSelected(selected.contains(item->text()));
    }
    if (row >= 0) {
        // Still the same file: its preview stays as it is.
        lstFiles->setCurrentRow(row, QItemSelectionModel::NoUpdate);
        return;
    }
    // The current file went: the one now at its place follows.
    row = qBound(0, currentRow, lstFiles->count() - 1);
    lstFiles->setCurrentRow(row, lstFiles->selectedItems().isEmpty()
                                     ? QItemSelectionModel::Select
                                     : QItemSelectionModel::NoUpdate);
    ShowPreview();
}

void TfrmAttachedFiles::ShowPreview()
{
    QListWidgetItem* item = lstFiles->currentItem();
    if (!item) {
        ClearPreview();
        return;
    }
    const QString path = FullPath(item->text());
    if (!QFileInfo(path).isFile()) {
        ClearPreview();
        const QSignalBlocker block(lstFiles);
        delete lstFiles->takeItem(lstFiles->row(item));
        return;
    }
    if (path.endsWith(u".gif"_s)) {
        ClearPreview();
        ShowGif(path);
        return;
    }
    // The picture shown so far stays until this one is ready.
    FPreviewIsImage = false;
    DecodePreview(path);
}

void TfrmAttachedFiles::ShowGif(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!PreviewAllowed(size))
        return;
    auto* movie = new QMovie(path, QByteArray(), pnlWebGif);
    if (!movie->isValid()) {
        delete movie;
        return;
    }
    FGifMovie = movie;
    FPreviewPath = path;
    FPictureSize = size;
    FPreviewIsImage = true;
    pnlWebGif->setMovie(movie);
    pnlWebGif->setGeometry(pnlPreView->rect());
    pnlWebGif->show();
    pnlWebGif->raise();
    movie->start();
    FitPreview();
}

QSize TfrmAttachedFiles::PreviewBox() const
{
    return pnlPreView->size() * pnlPreView->devicePixelRatioF();
}

void TfrmAttachedFiles::DecodePreview(const QString& path)
{
    if (!FDecoder)
        FDecoder = std::make_unique<TDecoder>();
    const quint64 serial = ++FPreviewSerial;
    FDecoder->Latest->store(serial);
    FPreviewPending = true;
    FPreviewPath = path;
    const QSize box = PreviewBox();
    QMetaObject::invokeMethod(
        FDecoder->Context,
        [this, serial, path, box, latest = FDecoder->Latest] {
            if (latest->load() != serial)
                return;
            TDecoded decoded = TDecoder::Decode(path, box);
            // The panel waits for this thread before it goes, so it is still there.
            QMetaObject::invokeMethod(
                this, [this, serial, decoded] { PreviewDecoded(serial, decoded); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void TfrmAttachedFiles::PreviewDecoded(quint64 serial, const TDecoded& decoded)
{
    if (serial != FPreviewSerial)
        return;
    FPreviewPending = false;
    if (decoded.Image.isNull()) {
        ClearPreview();
        Q_EMIT PreviewShown();
        return;
    }
    StopGif();
    FPictureSize = decoded.PictureSize;
    FDecodedSize = decoded.Image.size();
    FDecodedBox = decoded.Box;
    imgPreView32->setPixmap(QPixmap::fromImage(decoded.Image));
    FPreviewIsImage = true;
    FitPreview();
    Q_EMIT PreviewShown();
}

void TfrmAttachedFiles::StopGif()
{
    if (FGifMovie) {
        pnlWebGif->setMovie(nullptr);
        delete FGifMovie;
    }
    pnlWebGif->hide();
}

void TfrmAttachedFiles::ClearPreview()
{
    // A picture still being decoded is no longer wanted.
    ++FPreviewSerial;
    FPreviewPending = false;
    FPreviewIsImage = false;
    FPreviewPath.clear();
    FPictureSize = QSize();
    FDecodedSize = QSize();
    FDecodedBox = QSize();
    StopGif();
    PaintGrey();
}

void TfrmAttachedFiles::PaintGrey()
{
    QPixmap grey(qMax(1, pnlPreView->width()), qMax(1, pnlPreView->height()));
    grey.fill(QColor::fromRgb(PreviewGrey));
    imgPreView32->setPixmap(grey);
    imgPreView32->setGeometry(pnlPreView->rect());
}

void TfrmAttachedFiles::FitPreview()
{
    if (FPictureSize.isEmpty()) {
        // The grey stays as large as the panel.
        if (imgPreView32->size() != pnlPreView->size())
            PaintGrey();
        return;
    }
    const QSize fitted = FitPictureSize(FPictureSize, pnlPreView->size());
    if (FGifMovie) {
        pnlWebGif->setGeometry(pnlPreView->rect());
        FGifMovie->setScaledSize(fitted);
        return;
    }
    imgPreView32->setGeometry(QRect(QPoint(0, 0), fitted));
    // A panel grown beyond the room the picture was decoded for gets it again, sharper.
    if (!FPreviewIsImage || FPreviewPending)
        return;
    const QSize box = PreviewBox();
    const QSize wanted = TDecoder::DecodedSize(FPictureSize, box);
    if ((box.width() > FDecodedBox.width() || box.height() > FDecodedBox.height()) &&
        (wanted.width() > FDecodedSize.width() || wanted.height() > FDecodedSize.height()))
        DecodePreview(FPreviewPath);
}

bool TfrmAttachedFiles::IsPictureFile(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.canRead() && reader.size().isValid();
}

void TfrmAttachedFiles::InsertSelectedFiles(int align)
{
    QStringList references;
    QList<bool> isPicture;
    for (int row = 0; row < lstFiles->count(); ++row) {
        QListWidgetItem* item = lstFiles->item(row);
        if (!item->isSelected())
            continue;
        references.append(AttachedFileReference(FFolderName, item->text()));
        isPicture.append(IsPictureFile(FullPath(item->text())));
    }
    if (!references.isEmpty())
        Q_EMIT InsertRequested(references, isPicture, align);
}

void TfrmAttachedFiles::AttachFiles()
{
    if (FFileFolder.isEmpty())
        return;
    const QStringList chosen =
        FChooser ? FChooser()
                 // "*" stands for every file here; "*.*" would leave out names without a dot.
                 : QFileDialog::getOpenFileNames(this, QString(), QString(), u"All files(*)"_s);
    if (chosen.isEmpty())
        return;
    const bool move = FMoveQuery ? FMoveQuery()
                                 : bool(QGuiApplication::queryKeyboardModifiers() &
                                        (Qt::ShiftModifier | Qt::ControlModifier));
    IzqAttachedFilesUi* ui = Ui();
    if (!QDir().mkpath(FFileFolder)) {
        ui->ShowError(
            u"파일 폴더를 만들 수 없습니다: %1"_s.arg(QDir::toNativeSeparators(FFileFolder)));
        return;
    }
    ShellFileOp(chosen, FFileFolder, move ? TzqFileOp::Move : TzqFileOp::Copy, 0, ui);
    LoadFileList();
    lstFiles->clearSelection();
    const QStringList names = AttachedNames(ListAttachedFiles(FFileFolder), chosen);
    // The current file may have been replaced by one of the same name.
    if (const QListWidgetItem* current = lstFiles->currentItem();
        current && names.contains(current->text()))
        ShowPreview();
    if (!FInsertNoteAppend)
        return;
    for (int row = 0; row < lstFiles->count(); ++row) {
        QListWidgetItem* item = lstFiles->item(row);
        item->setSelected(names.contains(item->text()));
    }
    InsertSelectedFiles(0);
}

void TfrmAttachedFiles::DeleteSelectedFiles()
{
    if (lstFiles->selectedItems().isEmpty())
        return;
    if (FSaveFirst && !FSaveFirst())
        return;
    IzqAttachedFilesUi* ui = Ui();
    if (!ui->ConfirmDelete(u"선택한 파일을 삭제 하시겠습니까?"_s))
        return;
    QStringList items;
    QList<int> rows;
    for (int row = 0; row < lstFiles->count(); ++row) {
        items.append(lstFiles->item(row)->text());
        if (lstFiles->item(row)->isSelected())
            rows.append(row);
    }
    const QStringList paths = SelectedFilePaths(FFileFolder, items, rows);
    const QStringList left = TrashFilesOneByOne(paths);
    LoadFileList();
    if (!left.isEmpty())
        ui->ShowError(u"휴지통으로 옮기지 못한 파일이 있습니다.\n"_s + left.join(u'\n'));
    Q_EMIT FilesChanged();
}

void TfrmAttachedFiles::lstFilesDblClick()
{
    if (QListWidgetItem* item = lstFiles->currentItem())
        QDesktopServices::openUrl(QUrl::fromLocalFile(FullPath(item->text())));
}

int TfrmAttachedFiles::CollapsedHeight() const
{
    return btnSplitter->height() + BorderWidth;
}

bool TfrmAttachedFiles::IsCollapsed() const
{
    return height() < btnSplitter->height() + 10;
}

void TfrmAttachedFiles::CollapseFilesPanel()
{
    SetPanelHeight(CollapsedHeight());
}

void TfrmAttachedFiles::SetPanelHeight(int height)
{
    height = qMax(height, CollapsedHeight());
    if (height == this->height() && minimumHeight() == height)
        return;
    setFixedHeight(height);
    actSplitterUpdate();
    Q_EMIT PanelHeightChanged(height);
}

void TfrmAttachedFiles::actSplitterUpdate()
{
    btnSplitter->SetImageIndex(IsCollapsed() ? 1 : 0);
}

void TfrmAttachedFiles::actSplitterExecute()
{
    if (IsCollapsed())
        SetPanelHeight(ExpandedHeight);
    else
        CollapseFilesPanel();
}

void TfrmAttachedFiles::pnlFilesResize()
{
    btnSplitter->move(shpSplitter->width() / 2 - btnSplitter->width() / 2, 0);
}

void TfrmAttachedFiles::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    pnlFilesResize();
    actSplitterUpdate();
}

bool TfrmAttachedFiles::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pnlPreView && event->type() == QEvent::Resize) {
        FitPreview();
    } else if (watched == shpSplitter) {
        switch (event->type()) {
        case QEvent::Resize:
            pnlFilesResize();
            break;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                FDragging = true;
                FDragStartY = mouse->globalPosition().toPoint().y();
                FDragStartHeight = height();
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (FDragging) {
                auto* mouse = static_cast<QMouseEvent*>(event);
                const int dy = mouse->globalPosition().toPoint().y() - FDragStartY;
                // The edit view above keeps a little room.
                const int most = parentWidget()
                                     ? qMax(CollapsedHeight(), parentWidget()->height() - 40)
                                     : FDragStartHeight - dy;
                SetPanelHeight(qMin(FDragStartHeight - dy, most));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (FDragging) {
                FDragging = false;
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
