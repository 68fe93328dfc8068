#include "tools/frmmakezipfile.h"

#include "platform/zqerror.h"
#include "tools/zipexport.h"

#include <QBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

TfrmMakeZipFile::TfrmMakeZipFile(QWidget* parent)
    : TfrmBlueDialog(parent), FZip(std::make_unique<TzqZipExport>())
{
    setObjectName(u"frmMakeZipFile"_s);
    setWindowTitle(u"zip 파일 만들기"_s);
    labFile = new QLabel(u"파일을 모으는 중입니다."_s, Content());
    labFile->setObjectName(u"labFile"_s);
    labFile->setTextFormat(Qt::PlainText);
    labFile->setMinimumWidth(1);
    bar = new QProgressBar(Content());
    bar->setObjectName(u"bar"_s);
    bar->setRange(0, 1000);
    bar->setValue(0);
    bar->setTextVisible(true);
    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(labFile);
    layout->addWidget(bar);
    // Only the cancel button: the export closes the dialog itself when it is done.
    ConfirmButton()->hide();
    CancelButton()->setObjectName(u"btnCancel"_s);
    FPoll = new QTimer(this);
    FPoll->setInterval(50);
    connect(FPoll, &QTimer::timeout, this, &TfrmMakeZipFile::ShowProgress);
    FZip->SetProgress([this](qint64 done, qint64 total, const QString& entry) {
        FDone = done;
        FTotal = total;
        const QMutexLocker lock(&FEntryLock);
        if (!entry.isEmpty())
            FEntry = entry;
    });
    setFixedSize(420, 124);
}

TfrmMakeZipFile::~TfrmMakeZipFile()
{
    if (FWorker) {
        FZip->Cancel();
        FWorker->wait();
        delete FWorker;
    }
}

void TfrmMakeZipFile::SetSource(const QString& sourceFile, const QString& zipFileName)
{
    FSourceFile = sourceFile;
    FZipFileName = zipFileName;
}

bool TfrmMakeZipFile::Run()
{
    QTimer::singleShot(0, this, &TfrmMakeZipFile::Start);
    exec();
    return FSucceeded;
}

void TfrmMakeZipFile::Start()
{
    if (FWorker)
        return;
    FWorker = QThread::create([this] {
        try {
            const QList<TzqZipItem> items = CollectZipItems(FSourceFile, FZipFileName);
            FSucceeded = FZip->Run(items, FZipFileName);
        } catch (const EzqError& e) {
            FError = e.Message();
        } catch (const std::exception& e) {
            FError = u"zip 파일을 만들 수 없습니다.\n"_s + QString::fromLocal8Bit(e.what());
        }
    });
    connect(FWorker, &QThread::finished, this, &TfrmMakeZipFile::Finished);
    FWorker->start();
    FPoll->start();
}

void TfrmMakeZipFile::ShowProgress()
{
    const qint64 total = FTotal;
    if (total > 0)
        bar->setValue(int(FDone * 1000 / total));
    QString entry;
    {
        const QMutexLocker lock(&FEntryLock);
        entry = FEntry;
    }
    if (!entry.isEmpty() && !FCancelled)
        labFile->setText(entry);
}

void TfrmMakeZipFile::Finished()
{
    FPoll->stop();
    FWorker->deleteLater();
    FWorker = nullptr;
    if (FSucceeded) {
        bar->setValue(bar->maximum());
        accept();
    } else {
        QDialog::reject();
    }
}

void TfrmMakeZipFile::reject()
{
    // Esc, the close glyph and the cancel button stop the worker first; it ends the dialog.
    if (!FWorker) {
        QDialog::reject();
        return;
    }
    FCancelled = true;
    FZip->Cancel();
    labFile->setText(u"취소하는 중입니다."_s);
    CancelButton()->setEnabled(false);
}
