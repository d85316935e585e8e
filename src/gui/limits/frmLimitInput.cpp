#include "gui/limits/frmLimitInput.h"

#include "core/model/Failure.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/GridMouse.h"
#include "gui/widgets/TimetableGrid.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kWritten = QStringLiteral("写入成功");
const QString kWriteFailed = QStringLiteral("写入失败");
const QString kRead = QStringLiteral("读取成功");
const QString kReadFailed = QStringLiteral("读取失败");
} // namespace

frmLimitInput::frmLimitInput(LimitKind kind, AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_family(LimitFamilyOf(kind)),
      m_lessons(LimitLessonsPerDay(m_family, ctx.lessonsPerDay)) {
    setObjectName(m_family.formName);
    setWindowTitle(QString::fromUtf8(m_family.caption));
    setFont(SongTi(12));

    lblObject = new QLabel(QString::fromUtf8(m_family.labelText), this);
    cmbObject = new QComboBox(this);
    cmdPrevObject = new QPushButton(QString::fromUtf8(m_family.prevText), this);
    cmdNextObject = new QPushButton(QString::fromUtf8(m_family.nextText), this);
    MSFlexGrid1 = new QTableWidget(this);
    cmdNormalAll = new QPushButton(QStringLiteral("全部正常(&A)"), this);
    cmdOK = new QPushButton(QStringLiteral("退出(&Q)"), this);
    staMsg = new QStatusBar(this);
    staMsgPanel1 = new QLabel(staMsg);
    staMsgPanel2 = new QLabel(staMsg);
    lblObject->setObjectName(m_family.labelName);
    cmbObject->setObjectName(m_family.comboName);
    cmdPrevObject->setObjectName(m_family.prevName);
    cmdNextObject->setObjectName(m_family.nextName);
    MSFlexGrid1->setObjectName("MSFlexGrid1");
    cmdNormalAll->setObjectName("cmdNormalAll");
    cmdOK->setObjectName("cmdOK");
    staMsg->setObjectName("staMsg");
    staMsgPanel1->setObjectName("staMsgPanel1");
    staMsgPanel2->setObjectName("staMsgPanel2");
    staMsg->setSizeGripEnabled(false);
    staMsg->addWidget(staMsgPanel1, 1);
    staMsg->addWidget(staMsgPanel2, 2);
    cmbObject->setMinimumWidth(Twips(2400));
    for (QPushButton* b : {cmdPrevObject, cmdNextObject, cmdNormalAll, cmdOK})
        b->setAutoDefault(false);

    PopMenu = new QMenu(this);
    PopMenu->setObjectName("PopMenu");
    QAction** items[] = {&mnuZuiJiaWeiZhi, &mnuNormal, &mnuJinLiangBuPai, &mnuBuPai};
    for (int attr = 0; attr <= 3; ++attr) {
        QAction* a = PopMenu->addAction(LimitMenuText(attr));
        a->setObjectName(LimitMenuObjectName(attr));
        connect(a, &QAction::triggered, this, [this, attr] { PopMenuItem_Click(attr); });
        *items[attr] = a;
    }

    auto* top = new QHBoxLayout;
    top->addWidget(lblObject);
    top->addWidget(cmbObject);
    top->addSpacing(Twips(300));
    top->addWidget(cmdPrevObject);
    top->addWidget(cmdNextObject);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdNormalAll);
    bottom->addWidget(cmdOK);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(Twips(180), Twips(120), Twips(180), Twips(60));
    body->addLayout(top);
    body->addWidget(MSFlexGrid1);
    body->addLayout(bottom);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(body);
    layout->addWidget(staMsg);
    // Maximised, the grid takes the room.
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    connect(cmbObject, &QComboBox::currentIndexChanged, this, &frmLimitInput::cmbObject_Click);
    connect(cmdPrevObject, &QPushButton::clicked, this, &frmLimitInput::cmdPrevObject_Click);
    connect(cmdNextObject, &QPushButton::clicked, this, &frmLimitInput::cmdNextObject_Click);
    connect(cmdNormalAll, &QPushButton::clicked, this, &frmLimitInput::cmdNormalAll_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    MSFlexGrid1->viewport()->installEventFilter(this);
    MSFlexGrid1->installEventFilter(this);
    // The keys act as the buttons would on the middle of the current cell.
    OnGridKeys(MSFlexGrid1, [this](Qt::MouseButton button, int row, int col) {
        MSFlexGrid1_MouseUp(
            button, MSFlexGrid1->visualRect(MSFlexGrid1->model()->index(row, col)).center());
    });

    InitLimitGrid();
    Form_Load();
}

// ---- events -------------------------------------------------------------------

void frmLimitInput::Form_Load() {
    FillNameList();
    LoadLimitGrid();
}

void frmLimitInput::cmbObject_Click(int index) {
    if (index < 0)
        return;
    const QString name = cmbObject->itemText(index);
    m_code = m_family.codeOfName(m_ctx.db, name);
    staMsgPanel2->setText(name + QStringLiteral("  限制特征"));
    LoadLimitGrid();
}

void frmLimitInput::cmdPrevObject_Click() {
    if (cmbObject->currentIndex() > 0)
        cmbObject->setCurrentIndex(cmbObject->currentIndex() - 1);
}

void frmLimitInput::cmdNextObject_Click() {
    const int i = cmbObject->currentIndex();
    if (i >= 0 && i < cmbObject->count() - 1)
        cmbObject->setCurrentIndex(i + 1);
}

bool frmLimitInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MSFlexGrid1 && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->modifiers() == Qt::ControlModifier && HeaderKey(e->key()))
            return true;
    }
    if (watched == MSFlexGrid1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        MSFlexGrid1_MouseUp(e->button(), e->position().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

void frmLimitInput::MSFlexGrid1_MouseUp(Qt::MouseButton button, const QPoint& pos) {
    const QModelIndex index = MSFlexGrid1->indexAt(pos);
    if (!index.isValid() || index.row() == kSeparatorRow)
        return;
    const QPoint global = MSFlexGrid1->viewport()->mapToGlobal(pos);
    // A day's or a lesson's header, by either button, sets it whole.
    if (index.row() == 0 && index.column() >= 1 && index.column() <= kDays &&
        button != Qt::MiddleButton) {
        PopupForDay(index.column(), global);
        return;
    }
    if (index.column() == 0 && index.row() > 0 && button != Qt::MiddleButton) {
        PopupForLesson(index.row(), global);
        return;
    }
    m_row = index.row();
    m_col = index.column();
    m_scope = Scope::Cell;
    if (button == Qt::RightButton && IsLessonCell(m_row, m_col))
        PopMenu->popup(global);
}

void frmLimitInput::PopupForDay(int col, const QPoint& globalPos) {
    if (m_code.isEmpty() || col < 1 || col > kDays)
        return;
    m_scope = Scope::Day;
    m_col = col;
    staMsgPanel1->setText(DayHeader(col) + QStringLiteral("整天"));
    PopMenu->popup(globalPos);
}

void frmLimitInput::PopupForLesson(int row, const QPoint& globalPos) {
    const int lessonNo = LessonOfGridRow(row);
    if (m_code.isEmpty() || lessonNo < 1 || lessonNo > m_lessons)
        return;
    m_scope = Scope::Lesson;
    m_row = row;
    staMsgPanel1->setText(QStringLiteral("每天第%1节").arg(lessonNo));
    PopMenu->popup(globalPos);
}

// Ctrl+D: the current cell's whole day; Ctrl+L: its lesson on every day.
bool frmLimitInput::HeaderKey(int key) {
    const int row = MSFlexGrid1->currentRow(), col = MSFlexGrid1->currentColumn();
    if (!IsLessonCell(row, col))
        return false;
    if (key == Qt::Key_D) {
        PopupForDay(col,
                    MSFlexGrid1->viewport()->mapToGlobal(
                        MSFlexGrid1->visualRect(MSFlexGrid1->model()->index(0, col)).center()));
        return true;
    }
    if (key == Qt::Key_L) {
        PopupForLesson(row,
                       MSFlexGrid1->viewport()->mapToGlobal(
                           MSFlexGrid1->visualRect(MSFlexGrid1->model()->index(row, 0)).center()));
        return true;
    }
    return false;
}

void frmLimitInput::PopMenuItem_Click(int attr) {
    if (m_code.isEmpty())
        return;
    if (m_scope != Scope::Cell) {
        QList<Period> periods;
        if (m_scope == Scope::Day)
            for (int n = 1; n <= m_lessons; ++n)
                periods.append(Period{m_col, n});
        else
            for (int day = 1; day <= kDays; ++day)
                periods.append(Period{day, LessonOfGridRow(m_row)});
        m_scope = Scope::Cell;
        try {
            WriteLimits(m_ctx.db, m_family.kind, m_code, periods, attr);
        } catch (const Failure& e) {
            staMsgPanel1->setText(kWriteFailed + QStringLiteral("：") + e.message());
            return;
        }
        for (const Period& p : periods)
            PaintCell(GridRowOfLesson(p.lessonNo), p.day, attr);
        staMsgPanel1->setText(kWritten);
        return;
    }
    if (!IsLessonCell(m_row, m_col))
        return;
    PaintCell(m_row, m_col, attr);
    SaveLimitCell();
}

void frmLimitInput::cmdNormalAll_Click() {
    NormalAll();
}

// ---- procedures ---------------------------------------------------------------

QColor frmLimitInput::CellColour(int attr) {
    switch (attr) {
    case 0:
        return QColor(128, 255, 255);
    case 2:
        return QColor(192, 192, 192);
    case 3:
        return QColor(128, 128, 128);
    default:
        return QApplication::palette().color(QPalette::Base);
    }
}

int frmLimitInput::FillNameList() {
    try {
        const QStringList names = LimitObjectNames(m_ctx.db, m_family);
        {
            // Filling alone must not count as a choice; the choice below does.
            const QSignalBlocker quiet(cmbObject);
            cmbObject->clear();
            cmbObject->addItems(names);
            cmbObject->setCurrentIndex(-1);
        }
        if (!names.isEmpty())
            cmbObject->setCurrentIndex(0);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int frmLimitInput::InitLimitGrid() {
    InitTimetableGrid(MSFlexGrid1, m_lessons, 1500, m_lessons == 7 ? 700 : 800);
    return 0;
}

int frmLimitInput::LoadLimitGrid() {
    // With no object there is nothing to show, and writing normal rows for an
    // empty code would leave rows that belong to nobody.
    if (m_code.isEmpty()) {
        InitLimitGrid();
        if (cmbObject->currentIndex() < 0)
            return 0;
        // A chosen name without a code: the lookup failed or the object is gone.
        staMsgPanel1->setText(kReadFailed);
        return -1;
    }
    QList<LimitCell> cells;
    try {
        cells = ReadLimits(m_ctx.db, m_family.kind, m_code);
    } catch (const std::exception&) {
        staMsgPanel1->setText(kReadFailed);
        return -1;
    }
    InitLimitGrid();
    if (!m_family.writesNormalWhenEmpty)
        PaintAllNormal();
    else if (cells.isEmpty() && NormalAll() != 0)
        return -1;
    for (const LimitCell& c : cells) {
        const int attr = c.attr.value_or(-1);
        if (c.period.day < 1 || c.period.day > kDays || c.period.lessonNo < 1 ||
            c.period.lessonNo > m_lessons || LimitAttrText(attr).isEmpty())
            continue;
        PaintCell(GridRowOfLesson(c.period.lessonNo), c.period.day, attr);
    }
    staMsgPanel1->setText(kRead);
    return 0;
}

int frmLimitInput::SaveLimitCell() {
    const int day = m_col;
    const int lessonNo = LessonOfGridRow(m_row);
    const int attr = LimitAttrOfText(GridCellText(MSFlexGrid1, m_row, m_col));
    try {
        if (!IsLessonCell(m_row, m_col) || attr < 0 || m_code.isEmpty())
            throw std::invalid_argument("not a lesson cell with a value");
        WriteLimit(m_ctx.db, m_family.kind, m_code, day, lessonNo, attr);
        staMsgPanel1->setText(kWritten);
        return 0;
    } catch (const std::exception&) {
        staMsgPanel1->setText(kWriteFailed);
        return -1;
    }
}

// Every lesson time of the object becomes normal, written in one transaction so
// that a failure leaves both the table and the grid as they were.
int frmLimitInput::NormalAll() {
    if (m_code.isEmpty())
        return 0;
    try {
        WriteAllNormal(m_ctx.db, m_family.kind, m_code, m_lessons);
    } catch (const std::exception&) {
        staMsgPanel1->setText(kWriteFailed);
        return -1;
    }
    PaintAllNormal();
    staMsgPanel1->setText(kWritten);
    return 0;
}

void frmLimitInput::PaintAllNormal() {
    for (int lessonNo = 1; lessonNo <= m_lessons; ++lessonNo)
        for (int day = 1; day <= kDays; ++day)
            PaintCell(GridRowOfLesson(lessonNo), day, attrOf(LimitLevel::Normal));
}

void frmLimitInput::PaintCell(int row, int col, int attr) {
    SetGridCell(MSFlexGrid1, row, col, LimitAttrText(attr), CellColour(attr));
}

bool frmLimitInput::IsLessonCell(int row, int col) const {
    const int lessonNo = LessonOfGridRow(row);
    return col >= 1 && col <= kDays && lessonNo >= 1 && lessonNo <= m_lessons;
}
