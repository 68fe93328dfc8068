#include "tools/frmconfig.h"

#include "app/frmgetdatadir.h"
#include "app/zqprjinfo.h"
#include "editor/rmtextformat.h"
#include "platform/guiutil.h"
#include "platform/zqerror.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QWheelEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SharedMark = u"공유"_s;

TzqGradiButton* NewButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new TzqGradiButton(caption, parent);
    b->setObjectName(name);
    b->SetColors(TzqGradiColors::DialogColors());
    b->setAutoDefault(false);
    b->setMinimumHeight(24);
    return b;
}

QCheckBox* NewCheck(const QString& name, const QString& caption, QWidget* parent)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

} // namespace

TfrmConfig::TfrmConfig(TzqPrjInfo& prj, QWidget* parent) : TfrmBlueDialog(parent), FPrj(prj)
{
    setObjectName(u"TfrmConfig"_s);
    setWindowTitle(u"환경설정"_s);

    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(BuildDataDirGroup(), 1);
    left->addWidget(BuildProgramGroup());
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(BuildFormatGroup());
    right->addWidget(BuildSwitchesGroup());
    right->addStretch(1);
    auto* columns = new QHBoxLayout(Content());
    columns->setContentsMargins(4, 6, 4, 0);
    columns->setSpacing(10);
    columns->addLayout(left, 1);
    columns->addLayout(right, 0);

    FEditDataDir = [this](const QString& caption, TzqDataDirRow& row, const QString& startDir) {
        TfrmGetDataDir dlg(this);
        dlg.setWindowTitle(caption);
        dlg.SetName(row.Name);
        dlg.SetDirData(row.Dir);
        dlg.SetStartDir(startDir);
        dlg.SetIsShare(row.Shared);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        row.Name = dlg.Name().trimmed();
        row.Dir = dlg.DirData();
        row.Shared = dlg.IsShare();
        return true;
    };
    FChooseTextEditor = [this](const QString& start) {
    // Programs on this system carry no ".exe"; every file is offered.
#ifdef Q_OS_WIN
        const QString filter = u"Text Editor(*.exe);;All Files(*.*)"_s;
#else
        const QString filter = u"All Files(*)"_s;
#endif
        return QFileDialog::getOpenFileName(this, u"텍스트 에디터"_s, start, filter);
    };
    FShowError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };

    // Keyboard order is the order of building: the grid and its buttons, the program
    // settings, the presets, the switches; OK and Cancel, built first by the base, go last.
    setTabOrder(chkViewHangulMark, ConfirmButton());
    setTabOrder(ConfirmButton(), CancelButton());
    grd->setFocus();

    LoadValues();
    resize(1010, 690);
}

QWidget* TfrmConfig::BuildDataDirGroup()
{
    auto* group = new QGroupBox(u"데이터 디렉토리"_s, Content());
    group->setObjectName(u"grpDataDir"_s);

    grd = new QTableWidget(TzqDataDirRows::Count, 3, group);
    grd->setObjectName(u"grd"_s);
    grd->setHorizontalHeaderLabels({u"이름"_s, u"경로"_s, u"공유"_s});
    QStringList numbers;
    for (int n = 1; n <= TzqDataDirRows::Count; ++n)
        numbers.append(QString::number(n));
    grd->setVerticalHeaderLabels(numbers);
    grd->setSelectionBehavior(QAbstractItemView::SelectRows);
    grd->setSelectionMode(QAbstractItemView::SingleSelection);
    grd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd->setTabKeyNavigation(false);
    grd->setWordWrap(false);
    grd->setTextElideMode(Qt::ElideMiddle);
    grd->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grd->verticalHeader()->setDefaultSectionSize(20);
    grd->verticalHeader()->setMinimumWidth(24);
    grd->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grd->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    grd->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    grd->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
    grd->horizontalHeader()->setHighlightSections(false);
    grd->verticalHeader()->setHighlightSections(false);
    grd->setColumnWidth(0, 120);
    grd->setColumnWidth(2, 40);
    grd->setShowGrid(true);
    grd->setStyleSheet(u"QTableWidget#grd { gridline-color: #EAEAEA; }"
                       u"QTableWidget#grd QHeaderView::section { background: #E7E2DC; "
                       u"border: none; border-right: 1px solid #EAEAEA; "
                       u"border-bottom: 1px solid #EAEAEA; padding: 0 2px; }"
                       u"QTableWidget#grd QTableCornerButton::section { background: #E7E2DC; "
                       u"border: none; }"_s);
    for (int r = 0; r < TzqDataDirRows::Count; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem;
            if (c == 2)
                item->setTextAlignment(Qt::AlignCenter);
            grd->setItem(r, c, item);
        }
    }
    grd->viewport()->installEventFilter(this);
    connect(grd, &QTableWidget::currentCellChanged, this, [this] { UpdateGridActions(); });
    connect(grd, &QTableWidget::cellDoubleClicked, this, [this] { btnModifyDirClick(); });

    btnInsert = NewButton(u"btnInsert"_s, u"행 추가"_s, group);
    btnModifyDir = NewButton(u"btnModifyDir"_s, u"수정"_s, group);
    btnDelDir = NewButton(u"btnDelDir"_s, u"삭제"_s, group);
    connect(btnInsert, &QAbstractButton::clicked, this, [this] { btnInsertClick(); });
    connect(btnModifyDir, &QAbstractButton::clicked, this, [this] { btnModifyDirClick(); });
    connect(btnDelDir, &QAbstractButton::clicked, this, [this] { btnDelDirClick(); });

    actMoveUp = new QAction(u"위로"_s, this);
    actMoveUp->setObjectName(u"actMoveUp"_s);
    actMoveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    actMoveUp->setShortcutContext(Qt::WidgetShortcut);
    actMoveDown = new QAction(u"아래로"_s, this);
    actMoveDown->setObjectName(u"actMoveDown"_s);
    actMoveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    actMoveDown->setShortcutContext(Qt::WidgetShortcut);
    grd->addAction(actMoveUp);
    grd->addAction(actMoveDown);
    connect(actMoveUp, &QAction::triggered, this, [this] { actMoveUpExecute(); });
    connect(actMoveDown, &QAction::triggered, this, [this] { actMoveDownExecute(); });

    auto arrow = [group](const QString& name, Qt::ArrowType type, QAction* action) {
        auto* b = new QToolButton(group);
        b->setObjectName(name);
        b->setDefaultAction(action);
        b->setArrowType(type);
        b->setFixedSize(26, 24);
        b->setToolTip(action->text() + u" (Ctrl+휠)"_s);
        return b;
    };
    QToolButton* btnScrollUpBtnSites = arrow(u"btnScrollUpBtnSites"_s, Qt::UpArrow, actMoveUp);
    QToolButton* btnScrollDnBtnSites = arrow(u"btnScrollDnBtnSites"_s, Qt::DownArrow, actMoveDown);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(btnInsert);
    buttons->addWidget(btnModifyDir);
    buttons->addWidget(btnDelDir);
    buttons->addStretch(1);
    buttons->addWidget(btnScrollUpBtnSites);
    buttons->addWidget(btnScrollDnBtnSites);

    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(grd, 1);
    layout->addLayout(buttons);
    return group;
}

QWidget* TfrmConfig::BuildProgramGroup()
{
    auto* box = new QWidget(Content());
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);

    auto* grpStart = new QGroupBox(u"프로그램 시작"_s, box);
    grpStart->setObjectName(u"radPrgStart"_s);
    radPrgStart = new QButtonGroup(grpStart);
    auto* startLayout = new QVBoxLayout(grpStart);
    startLayout->setContentsMargins(8, 4, 8, 4);
    startLayout->setSpacing(2);
    const QString items[] = {u"이전 크기로 시작"_s, u"최대 화면으로 시작"_s,
                             u"트레이 아이콘으로 숨기"_s};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(items[i], grpStart);
        r->setObjectName(u"radPrgStart%1"_s.arg(i));
        radPrgStart->addButton(r, i);
        startLayout->addWidget(r);
    }

    auto* checks = new QVBoxLayout;
    checks->setSpacing(2);
    chkDupEx = NewCheck(u"chkDupEx"_s, u"중복실행 허용"_s, box);
    chkToTray = NewCheck(u"chkToTray"_s, u"최소화 시 트레이로 이동"_s, box);
    chkCharsGrid = NewCheck(u"chkCharsGrid"_s, u"실행 시 특수문자 그리드 보이기"_s, box);
    chkFindRootOption = NewCheck(u"chkFindRootOption"_s, u"Root에서 검색 기본"_s, box);
    for (QCheckBox* c : {chkDupEx, chkToTray, chkCharsGrid, chkFindRootOption})
        checks->addWidget(c);
    checks->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(grpStart);
    top->addLayout(checks, 1);
    grid->addLayout(top, 0, 0, 1, 4);

    auto label = [box](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, box);
        l->setBuddy(buddy);
        return l;
    };

    spnAutoInterval = new QSpinBox(box);
    spnAutoInterval->setObjectName(u"spnAutoInterval"_s);
    spnAutoInterval->setRange(0, TzqConfigValues::MaxAutoInterval);
    auto* auto_ = new QHBoxLayout;
    auto_->addWidget(spnAutoInterval);
    auto_->addWidget(new QLabel(u"분"_s, box));
    auto_->addStretch(1);
    grid->addWidget(label(u"자동 저장 시간 간격"_s, spnAutoInterval), 1, 0);
    grid->addLayout(auto_, 1, 1, 1, 3);

    edtMyName = new QLineEdit(box);
    edtMyName->setObjectName(u"edtMyName"_s);
    grid->addWidget(label(u"나의 별명:"_s, edtMyName), 2, 0);
    grid->addWidget(edtMyName, 2, 1, 1, 3);

    edtDateFormat = new QLineEdit(box);
    edtDateFormat->setObjectName(u"edtDateFormat"_s);
    grid->addWidget(label(u"날짜 시간 형식 :"_s, edtDateFormat), 3, 0);
    grid->addWidget(edtDateFormat, 3, 1, 1, 3);

    pnlTextEditor = new QLabel(box);
    pnlTextEditor->setObjectName(u"pnlTextEditor"_s);
    pnlTextEditor->setFixedHeight(22);
    pnlTextEditor->setMinimumWidth(120);
    pnlTextEditor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    pnlTextEditor->setStyleSheet(u"QLabel#pnlTextEditor { background: #F1F1EF; border: 1px solid "
                                 u"#CECEC6; padding-left: 3px; }"_s);
    btnTextEditor = NewButton(u"btnTextEditor"_s, u"..."_s, box);
    btnTextEditor->setFixedSize(26, 22);
    btnTextEditor->setToolTip(u"텍스트 에디터 선택"_s);
    btnEraseEdito = NewButton(u"btnEraseEdito"_s, u"X"_s, box);
    btnEraseEdito->setFixedSize(26, 22);
    btnEraseEdito->setToolTip(u"텍스트 에디터 지우기"_s);
    connect(btnTextEditor, &QAbstractButton::clicked, this, [this] { btnTextEditorClick(); });
    connect(btnEraseEdito, &QAbstractButton::clicked, this, [this] { btnEraseEditoClick(); });
    grid->addWidget(label(u"텍스트 에디터:"_s, btnTextEditor), 4, 0);
    grid->addWidget(pnlTextEditor, 4, 1);
    grid->addWidget(btnTextEditor, 4, 2);
    grid->addWidget(btnEraseEdito, 4, 3);

    edtCharSet = new QLineEdit(box);
    edtCharSet->setObjectName(u"edtCharSet"_s);
    edtCharSet->setMaximumWidth(160);
    auto* charset = new QHBoxLayout;
    charset->addWidget(edtCharSet);
    charset->addStretch(1);
    grid->addWidget(label(u"charset="_s, edtCharSet), 5, 0);
    grid->addLayout(charset, 5, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* TfrmConfig::BuildFormatGroup()
{
    grpTextFormat = new QGroupBox(u"텍스트 포맷"_s, Content());
    grpTextFormat->setObjectName(u"grpTextFormat"_s);
    auto* layout = new QVBoxLayout(grpTextFormat);
    layout->setContentsMargins(5, 6, 5, 4);
    layout->setSpacing(1);
    for (int n = 1; n <= 9; ++n) {
        auto* frame = new T_rmTextFormat(grpTextFormat);
        frame->setObjectName(u"frm%1"_s.arg(n));
        layout->addWidget(frame);
        FFormatFrames[n - 1] = frame;
    }
    return grpTextFormat;
}

QWidget* TfrmConfig::BuildSwitchesGroup()
{
    auto* group = new QGroupBox(Content());
    group->setObjectName(u"grpSwitches"_s);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(3);
    chkFilesPanel = NewCheck(u"chkFilesPanel"_s, u"수정 시 파일 목록 보이기"_s, group);
    chkCtrlDrag = NewCheck(u"chkCtrlDrag"_s, u"트리에서 Ctrl 키와 함께 마우스 드래그하기"_s, group);
    chkChangeMsg = NewCheck(u"chkChangeMsg"_s,
                            u"외부에서 노트가 변경되었을 때 변경 확인 메시지 출력"_s, group);
    chkNoSplitter = NewCheck(u"chkNoSplitter"_s, u"트리 감추기/보이기 버튼 감추기"_s, group);
    chkInsertNoteAppend = NewCheck(u"chkInsertNoteAppend"_s, u"파임 첨부 시 노트에 삽입"_s, group);
    chkViewHangulMark = NewCheck(u"chkViewHangulMark"_s, u"한글/영문모드 표시"_s, group);
    for (QCheckBox* c : {chkFilesPanel, chkCtrlDrag, chkChangeMsg, chkNoSplitter,
                         chkInsertNoteAppend, chkViewHangulMark})
        layout->addWidget(c);
    return group;
}

void TfrmConfig::LoadValues()
{
    FValues = TzqConfigValues::Load(FPrj);
    FLastDataDir.clear();
    FTextEditorPath = FValues.TextEditor;
    ShowTextEditorPath();

    if (QAbstractButton* b = radPrgStart->button(FValues.BootMode))
        b->setChecked(true);
    chkDupEx->setChecked(FValues.Dex);
    chkToTray->setChecked(FValues.MiniTray);
    chkCharsGrid->setChecked(FValues.CharsGrid);
    chkFindRootOption->setChecked(FValues.FindRootOption);
    chkFilesPanel->setChecked(FValues.FilesPanel);
    chkCtrlDrag->setChecked(FValues.CtrlDrag);
    chkChangeMsg->setChecked(FValues.ChangeMsg);
    chkNoSplitter->setChecked(FValues.NoSplitter);
    chkInsertNoteAppend->setChecked(FValues.InsertNoteAppend);
    chkViewHangulMark->setChecked(FValues.ViewHangulMark);
    edtDateFormat->setText(FValues.DateFormat);
    edtCharSet->setText(FValues.CharSet);
    spnAutoInterval->setValue(FValues.AutoInterval);

    LoadDataDirGrid();
    CreateFormatFrames();
    edtMyName->setText(FValues.MyName);
}

void TfrmConfig::LoadDataDirGrid()
{
    for (int n = 1; n <= TzqDataDirRows::Count; ++n)
        ShowRow(n);
    SelectRow(1);
}

void TfrmConfig::CreateFormatFrames()
{
    for (int n = 1; n <= 9; ++n)
        FFormatFrames[n - 1]->Load(FPrj.Ini(), n);
}

void TfrmConfig::ShowRow(int n)
{
    const TzqDataDirRow& row = FValues.DataDirs.Row(n);
    grd->item(n - 1, 0)->setText(row.Name);
    grd->item(n - 1, 1)->setText(QDir::toNativeSeparators(row.Dir));
    grd->item(n - 1, 1)->setToolTip(QDir::toNativeSeparators(row.Dir));
    grd->item(n - 1, 2)->setText(row.IsEmpty() || !row.Shared ? QString() : SharedMark);
}

int TfrmConfig::CurrentRow() const
{
    return std::clamp(grd->currentRow() + 1, 1, int(TzqDataDirRows::Count));
}

void TfrmConfig::SelectRow(int n)
{
    grd->setCurrentCell(n - 1, std::max(grd->currentColumn(), 0));
    UpdateGridActions();
}

void TfrmConfig::UpdateGridActions()
{
    const int n = CurrentRow();
    btnInsert->setEnabled(FValues.DataDirs.CanInsert(n));
    btnInsert->setToolTip(btnInsert->isEnabled()
                              ? QString()
                              : u"50개의 행이 모두 사용 중입니다. 먼저 행을 삭제하여 주십시오."_s);
    actMoveUp->setEnabled(FValues.DataDirs.CanMoveUp(n));
    actMoveDown->setEnabled(FValues.DataDirs.CanMoveDown(n));
}

void TfrmConfig::ShowTextEditorPath()
{
    pnlTextEditor->setToolTip(QDir::toNativeSeparators(FTextEditorPath));
    pnlTextEditor->setText(FTextEditorPath.isEmpty()
                               ? QString()
                               : ShortenPathToWidth(QDir::toNativeSeparators(FTextEditorPath),
                                                    pnlTextEditor->font(),
                                                    pnlTextEditor->width() - 10));
}

void TfrmConfig::resizeEvent(QResizeEvent* event)
{
    TfrmBlueDialog::resizeEvent(event);
    ShowTextEditorPath();
}

bool TfrmConfig::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grd->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta < 0)
                actMoveDown->trigger();
            else if (delta > 0)
                actMoveUp->trigger();
            return true;
        }
    }
    return TfrmBlueDialog::eventFilter(watched, event);
}

void TfrmConfig::btnTextEditorClick()
{
    const QString start =
        FTextEditorPath.isEmpty() ? QString() : QFileInfo(FTextEditorPath).absolutePath();
    const QString chosen = FChooseTextEditor(start);
    if (chosen.isEmpty())
        return;
    if (const QString refusal = TzqConfigValues::CheckTextEditor(chosen); !refusal.isEmpty()) {
        FShowError(refusal);
        return;
    }
    FTextEditorPath = chosen;
    ShowTextEditorPath();
}

void TfrmConfig::btnEraseEditoClick()
{
    FTextEditorPath.clear();
    ShowTextEditorPath();
}

void TfrmConfig::btnModifyDirClick()
{
    const int n = CurrentRow();
    TzqDataDirRow row = FValues.DataDirs.Row(n);
    if (!FEditDataDir(u"수정: "_s + row.Name, row, FLastDataDir))
        return;
    FValues.DataDirs.SetRow(n, row.Name, row.Dir, row.Shared);
    FLastDataDir = row.Dir;
    ShowRow(n);
    UpdateGridActions();
}

void TfrmConfig::btnDelDirClick()
{
    const int n = CurrentRow();
    FValues.DataDirs.Delete(n);
    for (int r = n; r <= TzqDataDirRows::Count; ++r)
        ShowRow(r);
    UpdateGridActions();
}

void TfrmConfig::btnInsertClick()
{
    const int n = CurrentRow();
    if (!FValues.DataDirs.Insert(n))
        return;
    for (int r = n; r <= TzqDataDirRows::Count; ++r)
        ShowRow(r);
    UpdateGridActions();
}

void TfrmConfig::actMoveUpExecute()
{
    const int n = CurrentRow();
    if (!FValues.DataDirs.MoveUp(n))
        return;
    ShowRow(n);
    ShowRow(n - 1);
    SelectRow(n - 1);
}

void TfrmConfig::actMoveDownExecute()
{
    const int n = CurrentRow();
    if (!FValues.DataDirs.MoveDown(n))
        return;
    ShowRow(n);
    ShowRow(n + 1);
    SelectRow(n + 1);
}

TzqConfigValues TfrmConfig::Values() const
{
    TzqConfigValues v = FValues;
    v.MyName = edtMyName->text();
    v.BootMode = std::max(radPrgStart->checkedId(), 0);
    v.Dex = chkDupEx->isChecked();
    v.MiniTray = chkToTray->isChecked();
    v.CharsGrid = chkCharsGrid->isChecked();
    v.FindRootOption = chkFindRootOption->isChecked();
    v.AutoInterval = spnAutoInterval->value();
    v.DateFormat = edtDateFormat->text();
    v.TextEditor = FTextEditorPath;
    v.CharSet = edtCharSet->text();
    v.FilesPanel = chkFilesPanel->isChecked();
    v.CtrlDrag = chkCtrlDrag->isChecked();
    v.ChangeMsg = chkChangeMsg->isChecked();
    v.NoSplitter = chkNoSplitter->isChecked();
    v.InsertNoteAppend = chkInsertNoteAppend->isChecked();
    v.ViewHangulMark = chkViewHangulMark->isChecked();
    for (int n = 1; n <= 9; ++n)
        v.Presets[n - 1] = FFormatFrames[n - 1]->Preset();
    return v;
}

void TfrmConfig::btnConfirmClick()
{
    const TzqConfigValues values = Values();
    const TzqConfigRefusal refusal = values.Validate();
    if (refusal.Field != TzqConfigRefusal::None) {
        FShowError(refusal.Message);
        QWidget* field = refusal.Field == TzqConfigRefusal::MyName       ? edtMyName
                         : refusal.Field == TzqConfigRefusal::DateFormat ? edtDateFormat
                         : refusal.Field == TzqConfigRefusal::CharSet
                             ? static_cast<QWidget*>(edtCharSet)
                             : btnTextEditor;
        field->setFocus();
        return;
    }
    try {
        values.Save(FPrj);
    } catch (const EzqError& e) {
        FShowError(
            u"설정을 저장하지 못했습니다. 아무것도 바뀌지 않았습니다.\n%1"_s.arg(e.Message()));
        return;
    }
    accept();
}

bool TfrmConfig::Execute(TzqPrjInfo& prj, QWidget* parent, const QIcon& icon)
{
    TfrmConfig dlg(prj, parent);
    if (!icon.isNull())
        dlg.setWindowIcon(icon);
    return dlg.exec() == QDialog::Accepted;
}
