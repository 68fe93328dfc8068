#include "editor/rmtextformat.h"

#include "app/zqinifile.h"
#include "editor/colorvalue.h"
#include "editor/editfonts.h"
#include "widgets/colorpickerbutton.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

T_rmTextFormat::T_rmTextFormat(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"rmTextFormat"_s);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);

    labCtrl = new QLabel(this);
    labCtrl->setObjectName(u"labCtrl"_s);
    labCtrl->setMinimumWidth(labCtrl->fontMetrics().horizontalAdvance(u"Ctrl-9 "_s));
    row->addWidget(labCtrl);

    cmbFontName = new QComboBox(this);
    cmbFontName->setObjectName(u"cmbFontName"_s);
    cmbFontName->setToolTip(u"글꼴"_s);
    // Editable: a stored name this machine lacks is shown and kept.
    cmbFontName->setEditable(true);
    cmbFontName->setInsertPolicy(QComboBox::NoInsert);
    cmbFontName->addItems(EditorFontNames(QFontDatabase::families()));
    cmbFontName->setMinimumContentsLength(8);
    cmbFontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    row->addWidget(cmbFontName);

    cmbFontSize = new QComboBox(this);
    cmbFontSize->setObjectName(u"cmbFontSize"_s);
    cmbFontSize->setToolTip(u"글 크기"_s);
    for (int i = 1; i <= 7; ++i)
        cmbFontSize->addItem(QString::number(i));
    row->addWidget(cmbFontSize);

    auto picker = [this, row](const QString& name, const QString& hint, const QString& text,
                              const QString& icon) {
        auto* p = new TColorPickerButton(this);
        p->setObjectName(name);
        p->setToolTip(hint);
        p->SetDefaultText(text);
        p->SetCustomText(u"사용자 색상"_s);
        p->SetGlyph(QIcon(u":/icons/"_s + icon + u".png"_s));
        row->addWidget(p);
        return p;
    };
    clrFont = picker(u"clrFont"_s, u"글자색상"_s, u"글자 색상"_s, u"font-color"_s);
    clrBack = picker(u"clrBack"_s, u"배경색"_s, u"배경 색상"_s, u"back-color"_s);

    tbStyle = new QToolBar(this);
    tbStyle->setObjectName(u"tbStyle"_s);
    tbStyle->setIconSize(QSize(16, 16));
    tbStyle->setStyleSheet(u"QToolBar { border: none; spacing: 1px; }"_s);
    row->addWidget(tbStyle);
    tbiBold = NewItem(u"tbiBold"_s, u"굵게"_s, u"format-bold"_s);
    tbiItalic = NewItem(u"tbiItalic"_s, u"기울임"_s, u"format-italic"_s);
    tbiUnderLine = NewItem(u"tbiUnderLine"_s, u"밑줄"_s, u"format-underline"_s);
    tbStyle->addSeparator();
    auto* align = new QActionGroup(this);
    align->setExclusive(true);
    tbiAlignLeft = NewItem(u"tbiAlignLeft"_s, u"왼쪽 정렬"_s, u"align-left"_s);
    tbiAlignCenter = NewItem(u"tbiAlignCenter"_s, u"중앙 정렬"_s, u"align-center"_s);
    tbiAlignRight = NewItem(u"tbiAlignRight"_s, u"오른쪽 정렬"_s, u"align-right"_s);
    for (QAction* a : {tbiAlignLeft, tbiAlignCenter, tbiAlignRight})
        align->addAction(a);
    row->addStretch(1);
}

QAction* T_rmTextFormat::NewItem(const QString& name, const QString& hint, const QString& icon)
{
    QAction* a = tbStyle->addAction(QIcon(u":/icons/"_s + icon + u".png"_s), hint);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setCheckable(true);
    return a;
}

void T_rmTextFormat::Load(const TzqIniFile& ini, int n)
{
    FNumber = n;
    FLoaded = ReadFormatPreset(ini, n);
    labCtrl->setText(u"Ctrl-%1"_s.arg(n));
    const TzqFormatPreset& p = FLoaded;
    cmbFontName->setCurrentIndex(cmbFontName->findText(p.FontName, Qt::MatchFixedString));
    cmbFontName->setEditText(p.FontName);
    cmbFontSize->setCurrentIndex(p.SizeApplies() ? p.FontSize : -1);
    clrFont->SetSelectionColor(ColorOfValue(p.FontColor));
    clrBack->SetSelectionColor(ColorOfValue(p.BackColor));
    tbiBold->setChecked(p.Bold);
    tbiItalic->setChecked(p.Italic);
    tbiUnderLine->setChecked(p.Under);
    (p.Stride == 0   ? tbiAlignLeft
     : p.Stride == 1 ? tbiAlignCenter
                     : tbiAlignRight)
        ->setChecked(true);
}

TzqFormatPreset T_rmTextFormat::Preset() const
{
    TzqFormatPreset p = FLoaded;
    p.FontName = cmbFontName->currentText();
    // A stored size the box cannot show stays as it was.
    if (cmbFontSize->currentIndex() >= 0 || FLoaded.SizeApplies())
        p.FontSize = cmbFontSize->currentIndex();
    p.FontColor = ValueOfColor(clrFont->SelectionColor());
    p.BackColor = ValueOfColor(clrBack->SelectionColor());
    p.Bold = tbiBold->isChecked();
    p.Italic = tbiItalic->isChecked();
    p.Under = tbiUnderLine->isChecked();
    const int stride = tbiAlignLeft->isChecked() ? 0 : tbiAlignCenter->isChecked() ? 1 : 2;
    // An odd stored alignment that still means the same one stays as written.
    if (stride != FLoaded.StrideValue())
        p.Stride = stride;
    return p;
}

void T_rmTextFormat::Save(TzqIniFile& ini) const
{
    if (FNumber >= 1 && FNumber <= 9)
        WriteFormatPreset(ini, FNumber, Preset());
}
