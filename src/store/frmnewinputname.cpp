#include "store/frmnewinputname.h"

#include "app/zqprjinfo.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize ClientSize(426, 284);
constexpr int IconSize = 32;

// A see-through picture for templates without one: their captions stay in line with the
// others instead of rising into the picture's place.
QIcon BlankIcon()
{
    QPixmap blank(IconSize, IconSize);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

TfrmNewInputName::TfrmNewInputName(TzqItemKind kind, int indexSetting, const QString& caption,
                                   QWidget* parent)
    : TfrmBlueDialog(parent), FKind(kind), FIndexSetting(indexSetting)
{
    setWindowTitle(caption);
    BuildControls();
    LoadTemplates();
    setFixedSize(ClientSize);

    // Up and Down choose the template wherever the focus is.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmNewInputName::BuildControls()
{
    auto* labSelect = new QLabel(u"양식 선택"_s, Content());
    labSelect->setObjectName(u"labSelect"_s);
    auto* labKeys = new QLabel(u"키보드 ↑↓ 로 양식 변경"_s, Content());
    labKeys->setObjectName(u"labKeys"_s);
    QPalette grey = labKeys->palette();
    grey.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    labKeys->setPalette(grey);

    lstTemplate = new QListWidget(Content());
    lstTemplate->setObjectName(u"lstTemplate"_s);
    lstTemplate->setViewMode(QListView::IconMode);
    lstTemplate->setIconSize(QSize(IconSize, IconSize));
    lstTemplate->setGridSize(QSize(62, 70));
    lstTemplate->setSpacing(0);
    lstTemplate->setMovement(QListView::Static);
    lstTemplate->setResizeMode(QListView::Adjust);
    lstTemplate->setWrapping(true);
    lstTemplate->setWordWrap(true);
    lstTemplate->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTemplate->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstTemplate->setDragEnabled(false);
    lstTemplate->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The chosen template stays marked as clearly while the name box has the focus.
    QPalette pal = lstTemplate->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    lstTemplate->setPalette(pal);
    connect(lstTemplate, &QListWidget::itemSelectionChanged, this,
            [this] { lstTemplateSelectionChanged(); });
    connect(lstTemplate, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { btnConfirmClick(); });

    pnlIndividual = new QFrame(Content());
    pnlIndividual->setObjectName(u"pnlIndividual"_s);
    pnlIndividual->setFrameShape(QFrame::StyledPanel);
    imgIcon = new QLabel(pnlIndividual);
    imgIcon->setObjectName(u"imgIcon"_s);
    imgIcon->setFixedSize(IconSize, IconSize);
    labTemplate = new QLabel(pnlIndividual);
    labTemplate->setObjectName(u"labTemplate"_s);
    QFont bold = labTemplate->font();
    bold.setBold(true);
    labTemplate->setFont(bold);
    edtName = new QLineEdit(pnlIndividual);
    edtName->setObjectName(u"edtName"_s);
    chkIsRoot = new QCheckBox(u"루트에 생성(&N)"_s, pnlIndividual);
    chkIsRoot->setObjectName(u"chkIsRoot"_s);
    chkIsRoot->setEnabled(false);
    auto* btnDate = new TzqGradiButton(u"날짜(&D)"_s, pnlIndividual);
    btnDate->setObjectName(u"btnDate"_s);
    auto* btnTime = new TzqGradiButton(u"시간(&H)"_s, pnlIndividual);
    btnTime->setObjectName(u"btnTime"_s);
    for (TzqGradiButton* b : {btnDate, btnTime}) {
        b->SetColors(TzqGradiColors::DialogColors());
        b->setFixedSize(72, 24);
    }
    edtName->setFixedHeight(24);
    connect(btnDate, &QAbstractButton::clicked, this,
            [this] { InsertStamp(NameDateText(QDate::currentDate())); });
    connect(btnTime, &QAbstractButton::clicked, this,
            [this] { InsertStamp(NameTimeText(QTime::currentTime())); });

    auto* panel = new QGridLayout(pnlIndividual);
    panel->setContentsMargins(8, 6, 8, 8);
    panel->setHorizontalSpacing(6);
    panel->setVerticalSpacing(6);
    panel->addWidget(imgIcon, 0, 0);
    panel->addWidget(labTemplate, 0, 1);
    panel->addWidget(chkIsRoot, 0, 2, 1, 2, Qt::AlignRight | Qt::AlignVCenter);
    panel->addWidget(edtName, 1, 0, 1, 2);
    panel->addWidget(btnDate, 1, 2);
    panel->addWidget(btnTime, 1, 3);
    panel->setColumnStretch(1, 1);

    auto* labels = new QHBoxLayout;
    labels->addWidget(labSelect);
    labels->addStretch(1);
    labels->addWidget(labKeys);
    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(labels);
    layout->addWidget(lstTemplate, 1);
    layout->addSpacing(2);
    layout->addWidget(pnlIndividual);
}

void TfrmNewInputName::LoadTemplates()
{
    FTemplates = PrjInfo ? ListTemplates(PrjInfo->TemplateDir()) : QList<TzqTemplate>();
    const QIcon blank = BlankIcon();
    for (const TzqTemplate& t : std::as_const(FTemplates)) {
        // A picture that does not load leaves the template without one; the template itself
        // is still usable.
        const QIcon icon = t.IconPath.isEmpty() ? QIcon() : QIcon(t.IconPath);
        auto* item = new QListWidgetItem(icon.isNull() ? blank : icon, t.Name, lstTemplate);
        item->setData(Qt::UserRole, !icon.isNull());
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    const int remembered = PrjInfo ? PrjInfo->ReadIntSetting(FIndexSetting) : 0;
    if (remembered >= 0 && remembered < lstTemplate->count())
        lstTemplate->setCurrentRow(remembered);
    else
        lstTemplate->setCurrentRow(-1);
    lstTemplateSelectionChanged();
}

void TfrmNewInputName::Init(const QString& dir)
{
    FTemplateBaseDir = dir;
    if (!FTemplateBaseDir.isEmpty() && !FTemplateBaseDir.endsWith(u'/') &&
        !FTemplateBaseDir.endsWith(u'\\'))
        FTemplateBaseDir += u'/';
    edtName->setText(DefaultNewName(FTemplateBaseDir, FKind));
    edtName->selectAll();
}

void TfrmNewInputName::SetRootDir(const QString& rootDir)
{
    FRootDir = rootDir;
    while (FRootDir.size() > 1 && (FRootDir.endsWith(u'/') || FRootDir.endsWith(u'\\')))
        FRootDir.chop(1);
    chkIsRoot->setEnabled(!FRootDir.isEmpty());
    if (FRootDir.isEmpty())
        chkIsRoot->setChecked(false);
}

QString TfrmNewInputName::Name() const
{
    return TrimBlanks(edtName->text());
}

const TzqTemplate* TfrmNewInputName::SelectedTemplate() const
{
    const QList<QListWidgetItem*> selected = lstTemplate->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = lstTemplate->row(selected.first());
    return row >= 0 && row < FTemplates.size() ? &FTemplates[row] : nullptr;
}

bool TfrmNewInputName::AtRoot() const
{
    return chkIsRoot->isChecked();
}

void TfrmNewInputName::lstTemplateSelectionChanged()
{
    const QList<QListWidgetItem*> selected = lstTemplate->selectedItems();
    if (selected.isEmpty()) {
        imgIcon->clear();
        labTemplate->clear();
        return;
    }
    QListWidgetItem* item = selected.first();
    if (item->data(Qt::UserRole).toBool())
        imgIcon->setPixmap(item->icon().pixmap(IconSize, IconSize));
    else
        imgIcon->clear();
    labTemplate->setText(item->text());
}

void TfrmNewInputName::MoveSelection(int step)
{
    const int count = lstTemplate->count();
    if (count == 0)
        return;
    const QList<QListWidgetItem*> selected = lstTemplate->selectedItems();
    // With nothing chosen yet either key picks the first template.
    const int next = selected.isEmpty() ? 0 : lstTemplate->row(selected.first()) + step;
    if (next < 0 || next >= count)
        return;
    lstTemplate->setCurrentRow(next);
    lstTemplate->scrollToItem(lstTemplate->item(next));
}

void TfrmNewInputName::InsertStamp(const QString& text)
{
    // At the caret, leaving a selected default name in place: the stamp adds to the name.
    const int caret = edtName->cursorPosition();
    edtName->deselect();
    edtName->setCursorPosition(caret);
    edtName->insert(text);
    edtName->setFocus();
}

void TfrmNewInputName::Refuse(const QString& message)
{
    setWindowTitle(message);
    edtName->setFocus();
    edtName->selectAll();
}

void TfrmNewInputName::btnConfirmClick()
{
    FRawName = TrimBlanks(edtName->text());
    const bool atRoot = AtRoot() && !FRootDir.isEmpty();
    const QString dir = atRoot ? FRootDir + u'/' : FTemplateBaseDir;
    const TzqTemplate* chosen = SelectedTemplate();
    const TzqNameCheck check = CheckNewName(edtName->text(), dir, FKind, chosen != nullptr);
    if (check.WriteBack)
        edtName->setText(check.Name);
    if (!check.Accepted) {
        Refuse(check.Message);
        return;
    }
    if (PrjInfo)
        PrjInfo->WriteIntSetting(FIndexSetting, int(chosen - FTemplates.constData()));
    accept();
}

void TfrmNewInputName::showEvent(QShowEvent* event)
{
    TfrmBlueDialog::showEvent(event);
    if (event->spontaneous())
        return;
    edtName->setFocus();
    edtName->selectAll();
}

bool TfrmNewInputName::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && mods == Qt::NoModifier) {
            MoveSelection(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return TfrmBlueDialog::eventFilter(watched, event);
}
