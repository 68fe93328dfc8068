#include "editor/frmcharsgrid.h"

#include "editor/charsgrid.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmCharsGrid::TfrmCharsGrid(QWidget* parent) : QFrame(parent)
{
    setObjectName(u"frmCharsGrid"_s);
    grd = new QTableWidget(0, ColCount, this);
    grd->setObjectName(u"grd"_s);
    grd->horizontalHeader()->hide();
    grd->verticalHeader()->hide();
    // Each section holds its cell and the grid line at its right or bottom edge.
    const int section = CellSize + GridLineWidth;
    for (QHeaderView* header : {grd->horizontalHeader(), grd->verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setDefaultSectionSize(section);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    grd->setShowGrid(true);
    grd->setFrameShape(QFrame::NoFrame);
    grd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd->setSelectionMode(QAbstractItemView::SingleSelection);
    // The caret stays in the note while characters are picked.
    grd->setFocusPolicy(Qt::NoFocus);
    QPalette pal = grd->palette();
    pal.setColor(QPalette::Base, Qt::white);
    grd->setPalette(pal);
    QFont font(u"굴림체"_s);
    font.setPixelSize(12);
    grd->setFont(font);
    connect(grd, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { grdMouseUp(index); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grd);
    setFixedWidth(ColCount * section);
}

void TfrmCharsGrid::LoadCharsGrid(const QString& fileName)
{
    const QStringList cells = LoadCharsGridCells(fileName);
    grd->clearContents();
    grd->setRowCount(static_cast<int>((cells.size() + ColCount - 1) / ColCount));
    for (qsizetype i = 0; i < cells.size(); ++i) {
        auto* item = new QTableWidgetItem(cells.at(i));
        item->setTextAlignment(Qt::AlignCenter);
        grd->setItem(static_cast<int>(i / ColCount), static_cast<int>(i % ColCount), item);
    }
}

void TfrmCharsGrid::grdMouseUp(const QModelIndex& index)
{
    const QString text = index.data().toString();
    if (!text.isEmpty())
        Q_EMIT CharClicked(text);
}
