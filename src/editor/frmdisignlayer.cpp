#include "editor/frmdisignlayer.h"

#include "app/zqinifile.h"
#include "app/zqprjinfo.h"
#include "platform/zqerror.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize ClientSize(420, 262);
const QString PlacementSection = u"TfrmDisignLayer"_s;
const QString LayerPrompt = u"더블클릭으로 내용 입력"_s;

QColor Rgb(quint32 rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF));
}

quint32 RgbOf(const QColor& color)
{
    return color.toRgb().rgb() & 0xFFFFFF;
}

// A colour swatch: the inner colour inside a one-pixel outline; pressing it is a click.
class TSwatch : public QAbstractButton {
public:
    TSwatch(quint32 inner, quint32 outline, const QSize& size, QWidget* parent)
        : QAbstractButton(parent), FInner(inner), FOutline(outline)
    {
        setFixedSize(size);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }
    quint32 Inner() const { return FInner; }
    quint32 Outline() const { return FOutline; }
    void SetColors(quint32 inner, quint32 outline)
    {
        FInner = inner;
        FOutline = outline;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.fillRect(r, Rgb(FInner));
        p.setPen(Rgb(FOutline));
        p.drawRect(r);
        if (isDown() || underMouse()) {
            p.setPen(QColor(0x40, 0x40, 0x40));
            p.drawRect(r.adjusted(-0, -0, 0, 0));
        }
    }
    void enterEvent(QEnterEvent* event) override
    {
        QAbstractButton::enterEvent(event);
        update();
    }
    void leaveEvent(QEvent* event) override
    {
        QAbstractButton::leaveEvent(event);
        update();
    }

private:
    quint32 FInner;
    quint32 FOutline;
};

// The layer as the note will show it: the border colour around a cell in the fill colour,
// the prompt inside it after the margin.
class TLayerPreview : public QWidget {
public:
    TLayerPreview(const TzqLayerOptions* options, QWidget* parent)
        : QWidget(parent), FOptions(options)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const TzqLayerOptions& o = *FOptions;
        QRect cell = rect();
        if (!o.Border && !o.Fill) {
            // A layer without colours: only its place, drawn as a guide.
            p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1, Qt::DotLine));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        } else {
            if (o.Border) {
                p.fillRect(cell, Rgb(o.BorderColor));
                cell.adjust(o.BorderWidth, o.BorderWidth, -o.BorderWidth, -o.BorderWidth);
            }
            p.fillRect(cell, o.Fill ? Rgb(o.FillColor) : palette().color(QPalette::Base));
        }
        const int m = (o.Border || o.Fill) ? o.Margin : 0;
        QFont f = font();
        f.setPointSizeF(9);
        p.setFont(f);
        p.setPen(QColor(0x33, 0x33, 0x33));
        p.drawText(cell.adjusted(m + 1, m, -m, -m), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   LayerPrompt);
    }

private:
    const TzqLayerOptions* FOptions;
};

} // namespace

const QList<TfrmDisignLayer::TSwatchColors>& TfrmDisignLayer::PaletteColors()
{
    static const QList<TSwatchColors> colors{
        {0xFFFFFF, 0xCECFCE}, {0xF7F7F7, 0xE7E7E7}, {0xF7F7F7, 0xCECFCE}, {0xFFFFF7, 0xDEEBAD},
        {0xFFF7F7, 0xFFD7D6}, {0xFFF7FF, 0xEFDBF7}, {0xF7F7FF, 0xDEDFF7}, {0xEFFBF7, 0xD6EFDE},
        {0xFFFFDE, 0xFFEF10}, {0xE7E7E7, 0xB9B9B9}, {0xEFEFE7, 0xB5B591}, {0xD6EB89, 0xB3C473},
        {0xF4BFE9, 0xC455AC}, {0xFF8E6E, 0xBD2B00}, {0x94FFAB, 0x007D1D}, {0x8080FF, 0x00008A},
        {0xFFFF80, 0x979700}, {0xFFFFFF, 0x000000},
    };
    return colors;
}

TfrmDisignLayer::TfrmDisignLayer(QWidget* parent, TzqIniFile* ini)
    : TfrmBlueDialog(parent), FIni(ini)
{
    setObjectName(u"TfrmDisignLayer"_s);
    setWindowTitle(u"Layer option"_s);
    BuildControls();
    setFixedSize(ClientSize);
}

void TfrmDisignLayer::BuildControls()
{
    chkBorder = new QCheckBox(u"테두리 색상"_s, Content());
    chkBorder->setObjectName(u"chkBorder"_s);
    chkFill = new QCheckBox(u"내부 색상"_s, Content());
    chkFill->setObjectName(u"chkFill"_s);
    auto* border = new TSwatch(FOptions.BorderColor, 0x808080, QSize(40, 18), Content());
    border->setObjectName(u"shpBorder"_s);
    border->setToolTip(u"테두리 색상"_s);
    shpBorder = border;
    auto* fill = new TSwatch(FOptions.FillColor, 0x808080, QSize(40, 18), Content());
    fill->setObjectName(u"shpFill"_s);
    fill->setToolTip(u"내부 색상"_s);
    shpFill = fill;

    auto* labBorder = new QLabel(u"테두리 두께:"_s, Content());
    spnBorder = new QSpinBox(Content());
    spnBorder->setObjectName(u"spnBorder"_s);
    spnBorder->setRange(LayerBorderWidthMin, LayerBorderWidthMax);
    auto* labMargin = new QLabel(u"여백 두께:"_s, Content());
    spnMargin = new QSpinBox(Content());
    spnMargin->setObjectName(u"spnMargin"_s);
    spnMargin->setRange(LayerMarginMin, LayerMarginMax);
    for (QSpinBox* s : {spnBorder, spnMargin}) {
        s->setFixedWidth(56);
        s->setAlignment(Qt::AlignRight);
        labBorder->setBuddy(spnBorder);
        labMargin->setBuddy(spnMargin);
    }
    spnBorder->setValue(FOptions.BorderWidth);
    spnMargin->setValue(FOptions.Margin);

    panel = new QFrame(Content());
    panel->setObjectName(u"panel"_s);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    panel->setMinimumSize(180, 150);
    shape = new TLayerPreview(&FOptions, panel);
    shape->setObjectName(u"shape"_s);
    auto* inPanel = new QVBoxLayout(panel);
    inPanel->setContentsMargins(10, 10, 10, 10);
    inPanel->addWidget(shape);

    auto* labPalette = new QLabel(u"색상 조합"_s, Content());
    auto* swatches = new QGridLayout;
    swatches->setSpacing(4);
    const QList<TSwatchColors>& colors = PaletteColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto* s = new TSwatch(colors[i].Inner, colors[i].Outline, QSize(24, 18), Content());
        s->setObjectName(u"shpTemp%1"_s.arg(i + 1));
        connect(s, &QAbstractButton::pressed, this, [this, i] { shpTempMouseDown(i); });
        swatches->addWidget(s, i / 6, i % 6);
    }

    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(8);
    choices->setVerticalSpacing(6);
    choices->addWidget(chkBorder, 0, 0);
    choices->addWidget(shpBorder, 0, 1, Qt::AlignLeft);
    choices->addWidget(chkFill, 1, 0);
    choices->addWidget(shpFill, 1, 1, Qt::AlignLeft);
    choices->addWidget(labBorder, 2, 0);
    choices->addWidget(spnBorder, 2, 1, Qt::AlignLeft);
    choices->addWidget(labMargin, 3, 0);
    choices->addWidget(spnMargin, 3, 1, Qt::AlignLeft);

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addLayout(choices);
    left->addSpacing(8);
    left->addWidget(labPalette);
    left->addLayout(swatches);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(panel);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(Content());
    layout->setContentsMargins(4, 2, 0, 0);
    layout->setSpacing(14);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    connect(chkBorder, &QCheckBox::toggled, this, [this] { StyleChange(); });
    connect(chkFill, &QCheckBox::toggled, this, [this] { StyleChange(); });
    connect(spnBorder, &QSpinBox::valueChanged, this, [this] { StyleChange(); });
    connect(spnMargin, &QSpinBox::valueChanged, this, [this] { StyleChange(); });
    connect(shpBorder, &QAbstractButton::clicked, this, [this] { shpBorderMouseUp(false); });
    connect(shpFill, &QAbstractButton::clicked, this, [this] { shpBorderMouseUp(true); });
}

TzqIniFile* TfrmDisignLayer::Settings() const
{
    if (FIni)
        return FIni;
    return PrjInfo ? &PrjInfo->Ini() : nullptr;
}

TzqLayerOptions TfrmDisignLayer::Options() const
{
    return FOptions;
}

void TfrmDisignLayer::SetBorderColor(quint32 rgb)
{
    FOptions.BorderColor = rgb & 0xFFFFFF;
    static_cast<TSwatch*>(shpBorder)->SetColors(FOptions.BorderColor, 0x808080);
    shape->update();
}

void TfrmDisignLayer::SetFillColor(quint32 rgb)
{
    FOptions.FillColor = rgb & 0xFFFFFF;
    static_cast<TSwatch*>(shpFill)->SetColors(FOptions.FillColor, 0x808080);
    shape->update();
}

void TfrmDisignLayer::StyleChange()
{
    FOptions.Border = chkBorder->isChecked();
    FOptions.Fill = chkFill->isChecked();
    FOptions.BorderWidth = spnBorder->value();
    FOptions.Margin = spnMargin->value();
    shpBorder->setEnabled(FOptions.Border);
    shpFill->setEnabled(FOptions.Fill);
    shape->update();
}

void TfrmDisignLayer::shpBorderMouseUp(bool fill)
{
    const quint32 current = fill ? FOptions.FillColor : FOptions.BorderColor;
    const std::optional<QColor> chosen =
        ChooseColor(Rgb(current), fill ? u"내부 색상"_s : u"테두리 색상"_s);
    if (!chosen || !chosen->isValid())
        return;
    if (fill)
        SetFillColor(RgbOf(*chosen));
    else
        SetBorderColor(RgbOf(*chosen));
}

void TfrmDisignLayer::shpTempMouseDown(int index)
{
    const QList<TSwatchColors>& colors = PaletteColors();
    if (index < 0 || index >= colors.size())
        return;
    SetFillColor(colors[index].Inner);
    SetBorderColor(colors[index].Outline);
}

std::optional<QColor> TfrmDisignLayer::ChooseColor(const QColor& initial, const QString& title)
{
    const QColor c = QColorDialog::getColor(initial, this, title);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

void TfrmDisignLayer::frmZqNoCaptionActivate()
{
    // Read when the dialog is shown, not at every activation: coming back from the colour
    // dialog must not undo what the user just set.
    TzqLayerOptions stored;
    if (TzqIniFile* ini = Settings())
        stored = ReadLayerOptions(*ini);
    chkBorder->setChecked(stored.Border);
    chkFill->setChecked(stored.Fill);
    spnBorder->setValue(stored.BorderWidth);
    spnMargin->setValue(stored.Margin);
    StyleChange();
}

void TfrmDisignLayer::frmZqNoCaptionShow()
{
    TzqIniFile* ini = Settings();
    if (!ini || !ini->SectionExists(PlacementSection))
        return;
    const QPoint at(ini->ReadInteger(PlacementSection, u"Left"_s, 0),
                    ini->ReadInteger(PlacementSection, u"Top"_s, 0));
    // The size is the dialog's own; only a place on a screen that is still there is taken.
    const QRect wanted(at, size());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(wanted.center())) {
            move(at);
            return;
        }
    }
}

void TfrmDisignLayer::frmZqNoCaptionClose()
{
    // The place is stored only when the user moved the dialog, so closing it as it was
    // opened writes nothing.
    TzqIniFile* ini = Settings();
    if (!ini || pos() == FShownAt)
        return;
    const QRect r = geometry();
    try {
        ini->WriteInteger(PlacementSection, u"Left"_s, r.left());
        ini->WriteInteger(PlacementSection, u"Top"_s, r.top());
        ini->WriteInteger(PlacementSection, u"Width"_s, r.width());
        ini->WriteInteger(PlacementSection, u"Height"_s, r.height());
    } catch (const EzqError&) {
        // A place that cannot be stored is not worth a message while the dialog closes.
    }
}

void TfrmDisignLayer::showEvent(QShowEvent* event)
{
    TfrmBlueDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FMarkup.clear();
    // Each opening starts from the initial colours.
    const TzqLayerOptions initial;
    SetBorderColor(initial.BorderColor);
    SetFillColor(initial.FillColor);
    frmZqNoCaptionShow();
    FShownAt = pos();
    frmZqNoCaptionActivate();
}

void TfrmDisignLayer::btnConfirmClick()
{
    StyleChange();
    FMarkup = LayerMarkup(FOptions);
    // The layer is inserted even when the settings file cannot be written; the user hears why
    // the choices will not be there next time.
    try {
        if (TzqIniFile* ini = Settings())
            WriteLayerOptions(*ini, FOptions);
    } catch (const EzqError& e) {
        QMessageBox::warning(this, windowTitle(), e.Message());
    }
    accept();
}

void TfrmDisignLayer::done(int result)
{
    if (isVisible())
        frmZqNoCaptionClose();
    TfrmBlueDialog::done(result);
}
