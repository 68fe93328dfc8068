#include "editor/zqinsertitems.h"

#include "app/zqprjinfo.h"
#include "editor/clipboardhtml.h"
#include "editor/frmdisignlayer.h"
#include "editor/insertmarkup.h"
#include "editor/picturefile.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqpaste.h"
#include "editor/zqwebeditview.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QInputDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

TzqInsertItems::TzqInsertItems(QToolBar* bar, TzqWebEditView* view, TzqNoteEditor* logic,
                               TzqPaste* paste, QObject* parent)
    : QObject(parent), FBar(bar), FView(view), FLogic(logic), FPaste(paste)
{
    struct TItem {
        const char16_t* Name;
        const char16_t* Hint;
        const char16_t* Icon;
        void (TzqInsertItems::*Handler)();
    };
    const TItem items[] = {
        {u"tbiLink", u"링크 넣기", u"insert-link", &TzqInsertItems::tbiLinkClick},
        {u"tbiImage", u"이미지 링크 삽입", u"insert-image", &TzqInsertItems::tbiImageClick},
        {u"tbiFileLink", u"파일링크 추가", u"insert-file-link", &TzqInsertItems::tbiFileLinkClick},
        {u"tbiInsertTime", u"시간 넣기 (Ctrl+D)", u"insert-time",
         &TzqInsertItems::tbiInsertTimeClick},
        {u"tbiLayer", u"레이어", u"insert-layer", &TzqInsertItems::tbiLayerClick},
    };
    FBar->addSeparator();
    for (const TItem& item : items) {
        auto* a = new QAction(QIcon(u":/icons/"_s + QString::fromUtf16(item.Icon) + u".png"_s),
                              QString::fromUtf16(item.Hint), this);
        a->setObjectName(QString::fromUtf16(item.Name));
        a->setToolTip(QString::fromUtf16(item.Hint));
        connect(a, &QAction::triggered, this, item.Handler);
        FBar->addAction(a);
    }
    // The picture item opens the file dialog at once; its arrow also offers a web address.
    if (auto* image = findChild<QAction*>(u"tbiImage"_s)) {
        auto* menu = new QMenu(FBar);
        menu->setObjectName(u"popImage"_s);
        connect(menu->addAction(u"그림 파일 선택(&F)..."_s), &QAction::triggered, this,
                &TzqInsertItems::tbiImageClick);
        connect(menu->addAction(u"웹 주소 입력(&W)..."_s), &QAction::triggered, this,
                &TzqInsertItems::tbiImageAddressClick);
        image->setMenu(menu);
        if (auto* button = qobject_cast<QToolButton*>(FBar->widgetForAction(image)))
            button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    FChooseFiles = [this] {
        return QFileDialog::getOpenFileNames(FView->window(), u"파일링크 추가"_s, {},
                                             u"All files(*.*) (*)"_s);
    };
    FChoosePictures = [this] {
        // The folder of the pictures chosen last, else the user's pictures folder. Cameras
        // name their files in capitals, and some file dialogs match names by case.
        if (FPictureDir.isEmpty() || !QFileInfo(FPictureDir).isDir())
            FPictureDir = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!QFileInfo(FPictureDir).isDir())
            FPictureDir = QDir::homePath();
        const QStringList chosen = QFileDialog::getOpenFileNames(
            FView->window(), u"그림 파일 선택"_s, FPictureDir,
            u"그림 파일 (*.png *.jpg *.jpeg *.gif *.bmp *.webp *.avif *.ico *.svg "
            u"*.PNG *.JPG *.JPEG *.GIF *.BMP *.WEBP *.AVIF *.ICO *.SVG);;모든 파일 (*)"_s,
            nullptr, QFileDialog::HideNameFilterDetails);
        if (!chosen.isEmpty())
            FPictureDir = QFileInfo(chosen.first()).absolutePath();
        return chosen;
    };
    FAskAddress = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(FView->window(), u"이미지 링크 삽입"_s, u"그림 주소 또는 파일:"_s,
                                  QLineEdit::Normal, u"http://"_s, &ok);
        if (!ok)
            return std::nullopt;
        return text.trimmed();
    };
    LoadSnippetButtons();
    for (QToolButton* b : FBar->findChildren<QToolButton*>())
        b->setFocusPolicy(Qt::NoFocus);
}

void TzqInsertItems::Insert(const QString& html)
{
    if (html.isEmpty() || !FLogic->InsertHtml(html))
        return;
    FLogic->RestartAutoSave();
    FView->FocusDocument();
}

void TzqInsertItems::tbiLinkClick()
{
    FLogic->ExecIfEnabled(DECMD_HYPERLINK, OLECMDEXECOPT_PROMPTUSER);
    FLogic->RestartAutoSave();
    FView->FocusDocument();
}

void TzqInsertItems::tbiImageClick()
{
    if (!FLogic->DocumentReady() || !FChoosePictures)
        return;
    InsertPictureFiles(FChoosePictures());
}

void TzqInsertItems::tbiImageAddressClick()
{
    if (!FLogic->DocumentReady())
        return;
    const std::optional<QString> asked = FAskAddress ? FAskAddress() : std::nullopt;
    if (!asked || asked->isEmpty() || *asked == u"http://"_s)
        return;
    const QUrl url = QUrl::fromUserInput(*asked);
    if (url.scheme() == u"http"_s || url.scheme() == u"https"_s) {
        // A web picture comes into the note as a pasted one does.
        FPaste->PasteFragment(u"<img src=\""_s + EscapeHtml(url.toString(QUrl::FullyEncoded)) +
                                  u"\">"_s,
                              url.toString(QUrl::FullyEncoded), FLogic->DocumentPath());
        return;
    }
    // A path typed or pasted into the question is a picture file like a chosen one.
    InsertPictureFiles({url.isLocalFile() ? url.toLocalFile() : *asked});
}

void TzqInsertItems::InsertPictureFiles(const QStringList& paths)
{
    // The note may have gone while the dialog was open.
    if (paths.isEmpty() || !FLogic->DocumentReady())
        return;
    const QString note = FLogic->DocumentPath();
    QString html;
    QStringList names;
    QStringList errors;
    for (const QString& path : paths) {
        const TzqChosenPicture picture = CopyChosenPicture(path, note);
        if (!picture.Error.isEmpty()) {
            errors.append(picture.Error);
            continue;
        }
        html += u"<img src=\""_s + EscapeHtml(picture.Reference) + u"\" border=\"0\">"_s;
        names.append(picture.Name);
    }
    if (!names.isEmpty()) {
        Q_EMIT FilesAdded(note, names);
        Insert(html);
    }
    if (!errors.isEmpty())
        Q_EMIT Failed(errors.join(u'\n'));
}

void TzqInsertItems::tbiFileLinkClick()
{
    if (!FLogic->DocumentReady() || !FChooseFiles)
        return;
    QString html;
    for (const QString& path : FChooseFiles())
        html += FileLinkMarkup(LocalFileReference(path));
    Insert(html);
}

void TzqInsertItems::tbiInsertTimeClick()
{
    if (!FLogic->DocumentReady() || !PrjInfo)
        return;
    FView->InsertText(FormatDateTime(PrjInfo->ReadDateFormat(), QDateTime::currentDateTime()));
    FLogic->RestartAutoSave();
    FView->FocusDocument();
}

void TzqInsertItems::tbiLayerClick()
{
    if (!FLogic->DocumentReady())
        return;
    TfrmDisignLayer dialog(FView->window());
    if (dialog.exec() == QDialog::Accepted)
        Insert(dialog.Markup());
}

void TzqInsertItems::LoadSnippetButtons()
{
    if (!PrjInfo)
        return;
    const QStringList captions = SnippetCaptions(PrjInfo->Ini());
    if (captions.isEmpty())
        return;
    FBar->addSeparator();
    for (const QString& caption : captions) {
        // An "&" of the caption is shown, not taken for a shortcut mark.
        auto* a = new QAction(QString(caption).replace(u'&', u"&&"_s), this);
        a->setObjectName(u"tbiSnippet"_s);
        a->setToolTip(caption);
        connect(a, &QAction::triggered, this, [this, caption] {
            if (FLogic->DocumentReady() && PrjInfo)
                Insert(SnippetHtml(PrjInfo->Ini(), caption));
        });
        FBar->addAction(a);
        if (FSnippetItems.size() < 9)
            FSnippetItems.append(a);
    }
}

void TzqInsertItems::ClickSnippetItem(int n)
{
    if (n >= 1 && n <= FSnippetItems.size())
        FSnippetItems.at(n - 1)->trigger();
}
