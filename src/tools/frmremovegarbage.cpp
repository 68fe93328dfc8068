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
#include <QProgressBar>

using namespace Qt::Literals::StringLiterals;

namespace {

// Pictures shown in the preview; anything else leaves it empty.
bool IsPreviewedSuffix(const QString& path)
{
    static const QStringList suffixes = {u"bmp"_s, u"jpg"_s, u"jpeg"_s,
                                         u"gif"_s, u"png"_s, u"webp"_s};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

} // namespace

TfrmRemoveGarbage::TfrmRemoveGarbage(const QString& userName, QWidget* parent)
    : TfrmBlueDialog(parent), FScan(userName)
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
    QStringList items;
    for (int row = 0; row < lstFiles->count(); ++row)
        items.append(lstFiles->item(row)->text());
    ConfirmButton()->setEnabled(false);
    TGarbageDeleteResult result;
    try {
        result = FScan.DeleteGarbage(items);
    } catch (const EzqError& e) {
        ShowWarning(e.Message());
        QDialog::reject();
        return;
    }
    QStringList report;
    if (!result.Left.isEmpty())
        report.append(u"다음 항목은 휴지통으로 옮기지 못해 그대로 남았습니다.\n"_s +
                      result.Left.join(u'\n'));
    if (!result.NotesFailed.isEmpty())
        report.append(u"다음 노트의 빈 링크를 지우지 못했습니다.\n"_s +
                      result.NotesFailed.join(u'\n'));
    if (!report.isEmpty())
        ShowWarning(report.join(u"\n\n"_s));
    accept();
}

void TfrmRemoveGarbage::reject()
{
    // During the scan the scan itself closes the dialog once it has stopped.
    if (FScanning) {
        FCancelRequested = true;
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
