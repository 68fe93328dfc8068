#include "editor/zqedittoolbars.h"

#include "app/zqprjinfo.h"
#include "editor/colorvalue.h"
#include "editor/editfonts.h"
#include "editor/formatpreset.h"
#include "editor/zqflowlayout.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqwebeditview.h"
#include "widgets/colorpickerbutton.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QIcon>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long key strokes and clicks are gathered before the states are asked for once.
constexpr int StateDelayMs = 40;

// A colour as the edit commands take it: red in the lowest byte, then green, then blue.
int ColorInteger(const QColor& color)
{
    return static_cast<int>(ValueOfColor(color));
}

QToolBar* NewBar(const QString& name, QWidget* parent)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setStyleSheet(u"QToolBar { border: none; spacing: 1px; padding: 1px; }"_s);
    return bar;
}

} // namespace

TzqEditToolbars::TzqEditToolbars(TzqWebEditView* view, TzqNoteEditor* logic, QWidget* parent)
    : QWidget(parent), FView(view), FLogic(logic)
{
    setObjectName(u"pnlEditTools"_s);
    auto* flow = new TzqFlowLayout(this, 6);
    flow->setContentsMargins(2, 1, 2, 1);
    tbEdit = NewBar(u"tbEdit"_s, this);
    tbEditTool = NewBar(u"tbEditTool"_s, this);
    flow->addWidget(tbEditTool);
    flow->addWidget(tbEdit);

    tbiOutdent =
        NewItem(tbEdit, u"tbiOutdent"_s, u"내여쓰기"_s, u"format-outdent"_s, DECMD_OUTDENT, false);
    tbiIndent =
        NewItem(tbEdit, u"tbiIndent"_s, u"들여쓰기"_s, u"format-indent"_s, DECMD_INDENT, false);
    NewItem(tbEdit, u"tbiNumeric"_s, u"숫자목록"_s, u"list-numbered"_s, DECMD_ORDERLIST, true);
    NewItem(tbEdit, u"tbiBullet"_s, u"리스트"_s, u"list-bullet"_s, DECMD_UNORDERLIST, true);
    tbEdit->addSeparator();
    tbiSpecial = NewItem(tbEdit, u"tbiSpecial"_s, u"특수문자"_s, u"special-chars"_s, 0, true);
    connect(tbiSpecial, &QAction::toggled, this, &TzqEditToolbars::SpecialToggled);

    cmbFontName = new QComboBox(tbEditTool);
    cmbFontName->setObjectName(u"cmbFontName"_s);
    cmbFontName->setToolTip(u"글꼴"_s);
    cmbFontName->setEditable(true);
    cmbFontName->setInsertPolicy(QComboBox::NoInsert);
    cmbFontName->addItems(EditorFontNames(QFontDatabase::families()));
    cmbFontName->setCurrentIndex(-1);
    cmbFontName->setMinimumContentsLength(7);
    cmbFontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbFontName->setMaxVisibleItems(20);
    tbEditTool->addWidget(cmbFontName);
    connect(cmbFontName, &QComboBox::textActivated, this, &TzqEditToolbars::cmbFontNameChange);

    cmbFontSize = new QComboBox(tbEditTool);
    cmbFontSize->setObjectName(u"cmbFontSize"_s);
    cmbFontSize->setToolTip(u"글 크기"_s);
    for (int i = 1; i <= 7; ++i)
        cmbFontSize->addItem(QString::number(i));
    cmbFontSize->setCurrentIndex(-1);
    tbEditTool->addWidget(cmbFontSize);
    connect(cmbFontSize, &QComboBox::activated, this, &TzqEditToolbars::cmbFontSizeChange);

    auto picker = [this](const QString& name, const QString& hint, const QString& text,
                         const QString& icon, const QColor& color) {
        auto* p = new TColorPickerButton(tbEditTool);
        p->setObjectName(name);
        p->setToolTip(hint);
        p->SetDefaultText(text);
        p->SetCustomText(u"사용자 색상"_s);
        p->SetGlyph(QIcon(u":/icons/"_s + icon + u".png"_s));
        p->SetSelectionColor(color);
        tbEditTool->addWidget(p);
        return p;
    };
    clrFont = picker(u"clrFont"_s, u"글자색상"_s, u"글자 색상"_s, u"font-color"_s, Qt::black);
    clrBack = picker(u"clrBack"_s, u"배경색"_s, u"배경 색상"_s, u"back-color"_s, Qt::yellow);
    connect(clrFont, &TColorPickerButton::Change, this, &TzqEditToolbars::clrFontChange);
    connect(clrFont, &QAbstractButton::clicked, this, &TzqEditToolbars::clrFontChange);
    connect(clrBack, &TColorPickerButton::Change, this, &TzqEditToolbars::clrBackChange);
    connect(clrBack, &QAbstractButton::clicked, this, &TzqEditToolbars::clrBackChange);

    tbEditTool->addSeparator();
    NewItem(tbEditTool, u"tbiBold"_s, u"굵게"_s, u"format-bold"_s, DECMD_BOLD, true);
    NewItem(tbEditTool, u"tbiItalic"_s, u"기울임"_s, u"format-italic"_s, DECMD_ITALIC, true);
    NewItem(tbEditTool, u"tbiUnderLine"_s, u"밑줄"_s, u"format-underline"_s, DECMD_UNDERLINE, true);
    QAction* strike =
        NewItem(tbEditTool, u"tbiStrike"_s, u"취소선"_s, u"format-strike"_s, 0, false);
    connect(strike, &QAction::triggered, this, &TzqEditToolbars::tbiStrikeClick);
    tbEditTool->addSeparator();
    NewItem(tbEditTool, u"tbiAlignLeft"_s, u"왼쪽 정렬"_s, u"align-left"_s, DECMD_JUSTIFYLEFT,
            true);
    NewItem(tbEditTool, u"tbiAlignCenter"_s, u"중앙 정렬"_s, u"align-center"_s, DECMD_JUSTIFYCENTER,
            true);
    NewItem(tbEditTool, u"tbiAlignRight"_s, u"오른쪽 정렬"_s, u"align-right"_s, DECMD_JUSTIFYRIGHT,
            true);
    tbEditTool->addSeparator();
    QAction* normal =
        NewItem(tbEditTool, u"tbiNormal"_s, u"양식 없애기"_s, u"format-clear"_s, 0, false);
    connect(normal, &QAction::triggered, this, &TzqEditToolbars::tbiNormalClick);
    tbiShowHtmlTag =
        NewItem(tbEditTool, u"tbiShowHtmlTag"_s, u"태그 보기"_s, u"show-tags"_s, 0, true);
    connect(tbiShowHtmlTag, &QAction::triggered, this, &TzqEditToolbars::tbiShowHtmlTagClick);

    // Toolbar items never take the keyboard from the note.
    for (QToolBar* bar : {tbEdit, tbEditTool}) {
        for (QToolButton* b : bar->findChildren<QToolButton*>())
            b->setFocusPolicy(Qt::NoFocus);
    }

    FStateTimer = new QTimer(this);
    FStateTimer->setSingleShot(true);
    FStateTimer->setInterval(StateDelayMs);
    connect(FStateTimer, &QTimer::timeout, this, &TzqEditToolbars::UpdateToolbarState);
    connect(FView, &TzqWebEditView::CaretMayHaveMoved, this, &TzqEditToolbars::RequestToolbarState);
    connect(FView, &TzqWebEditView::DocumentComplete, this, &TzqEditToolbars::RequestToolbarState);
}

QAction* TzqEditToolbars::NewItem(QToolBar* bar, const QString& name, const QString& hint,
                                  const QString& icon, int tag, bool checkable)
{
    auto* a = new QAction(QIcon(u":/icons/"_s + icon + u".png"_s), hint, this);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setCheckable(checkable);
    a->setData(tag);
    bar->addAction(a);
    if (tag > 0) {
        FStyleItems.append(a);
        connect(a, &QAction::triggered, this, [this, a] { tbiStyleClick(a); });
    }
    return a;
}

void TzqEditToolbars::RequestToolbarState()
{
    if (!FStateTimer->isActive())
        FStateTimer->start();
}

void TzqEditToolbars::UpdateToolbarState()
{
    if (!FView->DocumentReady() || !isVisible())
        return;
    // One question at a time: what happens meanwhile is asked for once the answer is in.
    if (FStateAsked) {
        FStateAgain = true;
        return;
    }
    QList<int> ids;
    for (const QAction* a : std::as_const(FStyleItems))
        ids.append(a->data().toInt());
    FStateAsked = true;
    FView->QueryFormatState(ids, [this](const TzqWebEditView::TFormatState& state) {
        FStateAsked = false;
        ++FStateAnswers;
        for (int i = 0; i < FStyleItems.size() && i < state.Status.size(); ++i) {
            const int s = state.Status.at(i);
            QAction* a = FStyleItems.at(i);
            a->setEnabled(s > DECMDF_DISABLED);
            a->setChecked(s > DECMDF_DISABLED && s != DECMDF_ENABLED && s != DECMDF_NINCHED);
        }
        // The boxes show the caret's font unless the user is choosing one.
        if (!cmbFontName->hasFocus()) {
            const int at = cmbFontName->findText(state.FontName, Qt::MatchFixedString);
            cmbFontName->setCurrentIndex(at);
            cmbFontName->setEditText(state.FontName);
        }
        if (!cmbFontSize->hasFocus())
            cmbFontSize->setCurrentIndex(state.FontSize - 1);
        if (FStateAgain) {
            FStateAgain = false;
            RequestToolbarState();
        }
    });
    // A document replaced while the question was out never answers it.
    QTimer::singleShot(2000, this, [this, serial = FStateAnswers] {
        if (FStateAsked && serial == FStateAnswers)
            FStateAsked = false;
    });
}

void TzqEditToolbars::AfterCommand()
{
    UpdateToolbarState();
    FLogic->RestartAutoSave();
    FView->FocusDocument();
}

void TzqEditToolbars::tbiStyleClick(QAction* item)
{
    FLogic->ExecIfEnabled(item->data().toInt(), OLECMDEXECOPT_DONTPROMPTUSER);
    AfterCommand();
}

void TzqEditToolbars::cmbFontNameChange()
{
    const QString name = cmbFontName->currentText().trimmed();
    if (!name.isEmpty())
        FLogic->ExecIfEnabled(DECMD_SETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER, name);
    AfterCommand();
}

void TzqEditToolbars::cmbFontSizeChange()
{
    if (cmbFontSize->currentIndex() >= 0)
        FLogic->ExecIfEnabled(DECMD_SETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER,
                              QString::number(cmbFontSize->currentIndex() + 1));
    AfterCommand();
}

void TzqEditToolbars::clrFontChange()
{
    FLogic->ExecIfEnabled(DECMD_SETFORECOLOR, OLECMDEXECOPT_DODEFAULT,
                          ColorInteger(clrFont->SelectionColor()));
    AfterCommand();
}

void TzqEditToolbars::clrBackChange()
{
    FLogic->ExecIfEnabled(DECMD_SETBACKCOLOR, OLECMDEXECOPT_DODEFAULT,
                          ColorInteger(clrBack->SelectionColor()));
    AfterCommand();
}

void TzqEditToolbars::tbiStrikeClick()
{
    if (FLogic->DocumentReady())
        FView->SetStrike(true);
    AfterCommand();
}

void TzqEditToolbars::tbiNormalClick()
{
    if (FLogic->DocumentReady())
        FView->SetStrike(false);
    AfterCommand();
}

void TzqEditToolbars::tbiShowHtmlTagClick()
{
    FView->SetShowDetails(tbiShowHtmlTag->isChecked());
    FView->FocusDocument();
}

void TzqEditToolbars::ShowPreset(const TzqFormatPreset& preset)
{
    const int at = cmbFontName->findText(preset.FontName, Qt::MatchFixedString);
    cmbFontName->setCurrentIndex(at);
    // A name the machine lacks is still shown and sent: the note names the font for every
    // machine that opens it.
    cmbFontName->setEditText(preset.FontName);
    if (preset.SizeApplies())
        cmbFontSize->setCurrentIndex(preset.FontSize);
    const QSignalBlocker font(clrFont);
    const QSignalBlocker back(clrBack);
    clrFont->SetSelectionColor(ColorOfValue(preset.FontColor));
    clrBack->SetSelectionColor(ColorOfValue(preset.BackColor));
}

void TzqEditToolbars::ApplyFormatPreset(int n)
{
    if (!FLogic->DocumentReady() || n < 1 || n > 9)
        return;
    const TzqFormatPreset preset = ReadFormatPreset(PrjInfo->Ini(), n);
    ShowPreset(preset);
    TzqWebEditView::TFormat f;
    f.FontName = preset.FontName.trimmed();
    f.FontSize = preset.SizeApplies() ? preset.FontSize + 1 : 0;
    f.FontColor = ColorOfValue(preset.FontColor);
    f.BackColor = ColorOfValue(preset.BackColor);
    f.Bold = preset.Bold;
    f.Italic = preset.Italic;
    f.Underline = preset.Under;
    f.Align = preset.Stride == 0   ? DECMD_JUSTIFYLEFT
              : preset.Stride == 1 ? DECMD_JUSTIFYCENTER
                                   : DECMD_JUSTIFYRIGHT;
    FView->ApplyFormat(f);
    AfterCommand();
}
