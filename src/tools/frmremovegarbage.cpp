#include "tools/frmremovegarbage.h"

#include "platform/guiutil.h"
#include "platform/zqerror.h"

#include <QApplication>
#include <QBoxLayout>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMutexLocker>
#include <QProgressBar>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {

// Pictures shown in the preview; anything else leaves it empty.
bool IsPreviewedSuffix(const QString& path)
{
    static const QStringList suffixes = {u"bmp"_s, u"jpg"_s, u"jpeg"_s,
                                         u"gif"_s, u"png"_s, u"webp"_s};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

// Names one to a line, at most a box's worth: thousands of them would push the box's button
// off the screen.
QString NameLines(const QStringList& names)
{
    constexpr qsizetype Shown = 10;
    QString text = names.mid(0, Shown).join(u'\n');
    if (names.size() > Shown)
        text += u"\n... 외 %1개"_s.arg(names.size() - Shown);
    return text;
}

} // namespace

TfrmRemoveGarbage::TfrmRemoveGarbage(const QString& userName, QWidget* parent,
                                     TGarbageScan::TTrashFunc trash)
    : TfrmBlueDialog(parent), FScan(userName, std::move(trash))
{
    setObjectName(u"frmRemoveGarbage"_s);
    setWindowTitle(u"폴더 정리"_s);
    resize(560, 400);

    lstFiles = new QListWidget(Content());
    lstFiles->setObjectName(u"lstFiles"_s);
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->hide();
    imgPrev = new QLabel(Content());
    imgPrev->setObjectName(u"imgPrev"_s);
    imgPrev->setAlignment(Qt::AlignCenter);
    imgPrev->setMinimumSize(200, 200);
    imgPrev->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    labCaption = new QLabel(u"파일 검색 중입니다."_s, Content());
    labCaption->setObjectName(u"labCaption"_s);
    labCaption->setAlignment(Qt::AlignCenter);
    labCaption->setTextFormat(Qt::PlainText);
    prgScan = new QProgressBar(Content());
    prgScan->setObjectName(u"prgScan"_s);
    prgScan->setRange(0, 0);
    prgScan->setMinimumWidth(220);
    labAnchors = new QLabel(Content());
    labAnchors->setObjectName(u"labAnchors"_s);
    labAnchors->setTextFormat(Qt::PlainText);
    labAnchors->hide();
    labCap2 = new QLabel(u"*** 서브폴더는 검색하지 않습니다!!"_s, Content());
    labCap2->setObjectName(u"labCap2"_s);
    labCap2->setTextFormat(Qt::PlainText);
    QPalette red = labCap2->palette();
    red.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    labCap2->setPalette(red);
    // Long file names in the status line are cut, not allowed to widen the dialog.
    labCap2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    prgDelete = new QProgressBar(Content());
    prgDelete->setObjectName(u"prgDelete"_s);
    prgDelete->hide();

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(labCaption);
    middle->addWidget(prgScan);
    middle->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(lstFiles, 1);
    // The message column takes no room once the list is shown.
    top->addLayout(middle, 0);
    top->addWidget(imgPrev, 1);
    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top, 1);
    layout->addWidget(labAnchors);
    layout->addWidget(prgDelete);
    layout->addWidget(labCap2);

    // Deleting is never the answer to a stray Enter.
    ConfirmButton()->setText(u"삭제(&D)"_s);
    ConfirmButton()->setDefault(false);
    ConfirmButton()->setAutoDefault(false);
    ConfirmButton()->setEnabled(false);
    CancelButton()->setText(u"취소(&C)"_s);
    CancelButton()->setAutoDefault(false);

    connect(lstFiles, &QListWidget::currentRowChanged, this, [this] { lstFilesClick(); });
}

TfrmRemoveGarbage::~TfrmRemoveGarbage()
{
    FStopDelete = true;
    if (FDeleteThread)
        FDeleteThread->wait();
}

void TfrmRemoveGarbage::Run(QWidget* parent, const QString& folder, const QString& userName)
{
    TfrmRemoveGarbage dialog(userName, parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    if (dialog.ScanFolder(folder))
        dialog.exec();
}

bool TfrmRemoveGarbage::ScanFolder(const QString& folder)
{
    FScanning = true;
    FCancelRequested = false;
    QElapsedTimer sincePump;
    sincePump.start();
    QApplication::processEvents();
    const auto progress = [this, &sincePump](int done, int total) {
        prgScan->setRange(0, total);
        prgScan->setValue(done);
        // Pumping now and then keeps the window alive and lets Esc reach it.
        if (sincePump.elapsed() >= 30 || done == total) {
            QApplication::processEvents();
            sincePump.restart();
        }
        return !FCancelRequested;
    };
    bool scanned = false;
    QString error;
    try {
        scanned = FScan.ScanFolder(folder, progress);
    } catch (const EzqError& e) {
        error = e.Message();
    }
    FScanning = false;
    prgScan->hide();
    if (!error.isEmpty()) {
        ShowWarning(error);
        QDialog::reject();
        return false;
    }
    if (!scanned || FCancelRequested) {
        QDialog::reject();
        return false;
    }

    if (FScan.Candidates().isEmpty()) {
        labCaption->setText(u"삭제할 파일이 없습니다."_s);
        return true;
    }
    labCap2->setText(u"검색을 완료했습니다."_s);
    labCaption->hide();
    lstFiles->addItems(FScan.Candidates());
    lstFiles->show();
    if (!FScan.AnchorNotes().isEmpty()) {
        labAnchors->setText(
            u"빈 링크(<a></a>)를 지울 노트: %1개"_s.arg(FScan.AnchorNotes().size()));
        labAnchors->show();
    }
    ConfirmButton()->setEnabled(true);
    lstFiles->setCurrentRow(0);
    lstFiles->setFocus();
    return true;
}

void TfrmRemoveGarbage::btnConfirmClick()
{
    if (FDeleteThread)
        return;
    QStringList items;
    for (int row = 0; row < lstFiles->count(); ++row)
        items.append(lstFiles->item(row)->text());
    ConfirmButton()->setEnabled(false);
    lstFiles->setEnabled(false);
    CancelButton()->setFocus();
    prgDelete->setRange(0, 0);
    prgDelete->show();
    labCap2->setText(u"삭제를 준비하는 중입니다."_s);

    // Thousands of files on a shared folder take long: the window keeps answering meanwhile.
    FDeleteThread.reset(QThread::create([this, items] {
        try {
            FDeleteResult = FScan.DeleteGarbage(
                items, [this](TGarbageDeleteStep step, int done, int total, const QString& item) {
                    return DeleteProgress(step, done, total, item);
                });
        } catch (const EzqError& e) {
            FDeleteError = e.Message();
        } catch (const std::exception& e) {
            FDeleteError = u"폴더 정리 중 오류가 생겨 삭제를 멈췄습니다. (%1)"_s.arg(
                QString::fromLocal8Bit(e.what()));
        }
    }));
    connect(FDeleteThread.get(), &QThread::finished, this, [this] { DeleteFinished(); });
    FDeleteThread->start();
}

bool TfrmRemoveGarbage::IsDeleting() const
{
    // Until its end is reported: a stop asked for meanwhile still gets the report.
    return FDeleteThread && !FDeleteEnded;
}

bool TfrmRemoveGarbage::DeleteProgress(TGarbageDeleteStep step, int done, int total,
                                       const QString& item)
{
    bool post = false;
    {
        QMutexLocker lock(&FStatusLock);
        FStatus.Step = step;
        FStatus.Done = done;
        FStatus.Total = total;
        FStatus.Item = item;
        post = !std::exchange(FStatus.Posted, true);
    }
    // One call at a time is on its way; it shows whatever is latest when it arrives.
    if (post)
        QMetaObject::invokeMethod(
            this, [this] { ShowDeleteProgress(); }, Qt::QueuedConnection);
    return !FStopDelete;
}

void TfrmRemoveGarbage::ShowDeleteProgress()
{
    TDeleteStatus status;
    {
        QMutexLocker lock(&FStatusLock);
        FStatus.Posted = false;
        status = FStatus;
    }
    if (!IsDeleting() || FStopDelete)
        return;
    prgDelete->setRange(0, status.Total);
    prgDelete->setValue(status.Done);
    QString text;
    switch (status.Step) {
    case TGarbageDeleteStep::ReadNotes:
        text = u"노트를 다시 확인하는 중입니다. (%1/%2) %3"_s;
        break;
    case TGarbageDeleteStep::WriteNotes:
        text = u"빈 링크를 지우는 중입니다. (%1/%2) %3"_s;
        break;
    case TGarbageDeleteStep::TrashFiles:
        text = u"휴지통으로 옮기는 중입니다. (%1/%2) %3"_s;
        break;
    case TGarbageDeleteStep::TrashFolders:
        text = u"빈 파일 폴더를 휴지통으로 옮기는 중입니다. (%1/%2) %3"_s;
        break;
    }
    labCap2->setText(text.arg(status.Done + 1).arg(status.Total).arg(status.Item));
}

void TfrmRemoveGarbage::DeleteFinished()
{
    FDeleteThread->wait();
    FDeleteEnded = true;
    prgDelete->hide();
    if (!FDeleteError.isEmpty()) {
        ShowWarning(FDeleteError);
        QDialog::reject();
        return;
    }
    const TGarbageDeleteResult& result = FDeleteResult;
    QStringList report;
    if (result.Stopped) {
        QString text = u"삭제를 멈췄습니다. 휴지통으로 옮긴 파일은 %1개, 옮기지 않고 남겨 둔 "
                       u"파일은 %2개입니다."_s.arg(result.Trashed.size())
                           .arg(result.NotTried.size());
        if (!result.Trashed.isEmpty())
            text += u"\n\n휴지통으로 옮긴 파일:\n"_s + NameLines(result.Trashed);
        if (!result.NotTried.isEmpty())
            text += u"\n\n남겨 둔 파일:\n"_s + NameLines(result.NotTried);
        report.append(text);
    }
    if (!result.Left.isEmpty())
        report.append(u"다음 항목은 휴지통으로 옮기지 못해 그대로 남았습니다.\n"_s +
                      NameLines(result.Left));
    if (!result.NotesFailed.isEmpty())
        report.append(u"다음 노트의 빈 링크를 지우지 못했습니다.\n"_s +
                      NameLines(result.NotesFailed));
    if (!report.isEmpty())
        ShowWarning(report.join(u"\n\n"_s));
    if (result.Stopped)
        QDialog::reject();
    else
        accept();
}

void TfrmRemoveGarbage::reject()
{
    // During the scan the scan itself closes the dialog once it has stopped.
    if (FScanning) {
        FCancelRequested = true;
        return;
    }
    // The delete stops before its next item and closes the dialog with its report.
    if (IsDeleting()) {
        FStopDelete = true;
        labCap2->setText(u"삭제를 멈추는 중입니다. 지금 옮기는 파일까지만 옮깁니다."_s);
        return;
    }
    QDialog::reject();
}

void TfrmRemoveGarbage::resizeEvent(QResizeEvent* event)
{
    TfrmBlueDialog::resizeEvent(event);
    if (!FPicture.isNull())
        imgPrev->setPixmap(QPixmap::fromImage(FPicture).scaled(imgPrev->size(), Qt::KeepAspectRatio,
                                                               Qt::SmoothTransformation));
}

void TfrmRemoveGarbage::ShowWarning(const QString& text)
{
    QMessageBox::warning(this, windowTitle(), text);
}

void TfrmRemoveGarbage::lstFilesClick()
{
    ShowPreview();
}

void TfrmRemoveGarbage::ShowPreview()
{
    const QListWidgetItem* item = lstFiles->currentItem();
    if (!item) {
        HidePreview();
        return;
    }
    const QString path = FScan.Folder() + u'/' + QString(item->text()).replace(u'\\', u'/');
    if (!IsPreviewedSuffix(path) || !QFileInfo(path).isFile()) {
        HidePreview();
        return;
    }
    FPicture = ReadPreviewPicture(path);
    if (FPicture.isNull()) {
        HidePreview();
        return;
    }
    // Scaled down once to the box: a large picture is not kept at full size on screen.
    const QSize box = imgPrev->size();
    if (FPicture.width() > 2 * box.width() || FPicture.height() > 2 * box.height())
        FPicture = FPicture.scaled(box * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imgPrev->setPixmap(
        QPixmap::fromImage(FPicture).scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    imgPrev->show();
}

void TfrmRemoveGarbage::HidePreview()
{
    FPicture = QImage();
    imgPrev->clear();
}
