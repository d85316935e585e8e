#include "gui/manual/frmManualSetLesson.h"

#include "core/model/Failure.h"
#include "core/rules/HandMoves.h"
#include "core/rules/Placement.h"
#include "core/rules/Quality.h"
#include "core/rules/RootCauses.h"
#include "core/rules/WhyUnplaced.h"
#include "core/store/Lookups.h"
#include "core/store/ManualLessons.h"
#include "core/store/PresetLessons.h"
#include "core/store/SchoolStore.h"
#include "core/store/TimetableCheckStore.h"
#include "gui/manual/BreachMarks.h"
#include "gui/manual/ClassChoice.h"
#include "gui/manual/UndoControls.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/GridMouse.h"
#include "gui/widgets/StatusPanels.h"
#include "gui/widgets/TimetableGrid.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>

namespace {
const QString kHelpIdle = QStringLiteral("鼠标左键－选择欲交换的课时    鼠标右键－删除课时");
const QString kHelpSelected =
    QStringLiteral("鼠标左键－选择欲交换的课时    鼠标右键单击黄色课时（或 Enter）－交换课时    "
                   "鼠标右键单击红色课时（或 Delete）－删除选中的课时    Esc－取消选择");
// While a lesson waits to be moved, another lesson is never deleted: a slip
// onto a white period would otherwise lose a lesson the user did not pick.
const QString kNotWhileSelected = QStringLiteral(
    "选中的课时不能调到这里；调课请选黄色课时，删除请在红色课时上操作，Esc 取消选择");
const QString kHelpUnplaced =
    QStringLiteral("鼠标左键单击青色课时－安排选择欲的未排课时    鼠标右键－删除课时");

// The plan row of an unplaced-list item, kept so that placing counts the
// lesson in that very row even when two teachers share a course of the class.
enum UnplacedRole { ClassCodeRole = Qt::UserRole, CourseCodeRole, TeacherCodeRole };
} // namespace

frmManualSetLesson::frmManualSetLesson(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmManualSetLesson");
    setWindowTitle(QStringLiteral("人工安排课程"));
    setFont(SongTi(9));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    lblClass = new QLabel(QStringLiteral("班级"), this);
    CmbClass = new QComboBox(this);
    CmdPrevClass = new QPushButton(QStringLiteral("上一班级(&P)"), this);
    CmdNextClass = new QPushButton(QStringLiteral("下一班级(&N)"), this);
    MSFlexGrid1 = new QTableWidget(this);
    Label2 = new QLabel(QStringLiteral("任课表"), this);
    CmbTeacher = new QComboBox(this);
    grdTeacher = new QTableWidget(this);
    Label1 = new QLabel(QStringLiteral("未排班级课程课程"), this);
    lstCourse = new QTreeWidget(this);
    lblWhy = new QLabel(this);
    staMsg = new StatusPanels({5, 2, 1}, this);
    cmdOK = new QPushButton(QStringLiteral("退出(&Q)"), this);
    cmdCauses = new QPushButton(QStringLiteral("排不下的根本原因(&W)"), this);
    m_undo = new UndoControls(
        this, ctx.db, [this](const QString& classCode) { ShowAfterUndo(classCode); },
        [this](const QString& text) { staMsg->setPanelText(3, text); });
    cmdUndo = m_undo->cmdUndo;
    cmdRedo = m_undo->cmdRedo;
    lblClass->setObjectName("lblClass");
    CmbClass->setObjectName("CmbClass");
    CmdPrevClass->setObjectName("CmdPrevClass");
    CmdNextClass->setObjectName("CmdNextClass");
    MSFlexGrid1->setObjectName("MSFlexGrid1");
    Label2->setObjectName("Label2");
    CmbTeacher->setObjectName("CmbTeacher");
    grdTeacher->setObjectName("grdTeacher");
    Label1->setObjectName("Label1");
    lstCourse->setObjectName("lstCourse");
    lblWhy->setObjectName("lblWhy");
    lblWhy->setWordWrap(true);
    lblWhy->setStyleSheet("color: rgb(192,0,0)");
    staMsg->setObjectName("staMsg");
    cmdOK->setObjectName("cmdOK");
    cmdCauses->setObjectName("cmdCauses");

    CmbClass->setMinimumWidth(Twips(1800));
    CmbTeacher->setMinimumWidth(Twips(1800));
    for (QPushButton* b : {CmdPrevClass, CmdNextClass, cmdCauses, cmdOK})
        b->setAutoDefault(false);
    lstCourse->setRootIsDecorated(false);
    lstCourse->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstCourse->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* classBar = new QHBoxLayout;
    classBar->addWidget(lblClass);
    classBar->addWidget(CmbClass);
    classBar->addWidget(CmdPrevClass);
    classBar->addWidget(CmdNextClass);
    classBar->addStretch();
    auto* teacherBar = new QHBoxLayout;
    teacherBar->addWidget(Label2);
    teacherBar->addWidget(CmbTeacher);
    teacherBar->addStretch();
    auto* grid = new QGridLayout;
    grid->addLayout(classBar, 0, 0);
    grid->addLayout(teacherBar, 0, 1);
    grid->addWidget(Label1, 0, 2);
    grid->addWidget(MSFlexGrid1, 1, 0);
    grid->addWidget(grdTeacher, 1, 1);
    // Maximised, the two timetables take the room; the list keeps its width.
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(lstCourse, 1);
    listColumn->addWidget(lblWhy);
    grid->addLayout(listColumn, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdUndo);
    bottom->addWidget(cmdRedo);
    bottom->addStretch();
    bottom->addWidget(cmdCauses);
    bottom->addWidget(cmdOK);
    grid->addLayout(bottom, 2, 0, 1, 3);
    auto* margins = new QWidget(this);
    margins->setLayout(grid);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(margins, 1);
    outer->addWidget(staMsg);

    connect(CmbClass, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            CmbClass_Click();
    });
    connect(CmdPrevClass, &QPushButton::clicked, this, &frmManualSetLesson::CmdPrevClass_Click);
    connect(CmdNextClass, &QPushButton::clicked, this, &frmManualSetLesson::CmdNextClass_Click);
    connect(CmbTeacher, &QComboBox::currentIndexChanged, this,
            &frmManualSetLesson::CmbTeacher_Click);
    connect(lstCourse, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { lstCourse_ItemClick(item); });
    // Enter on the chosen row is the keyboard's click.
    connect(lstCourse, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { lstCourse_ItemClick(item); });
    OnGridMouseRelease(MSFlexGrid1, [this](Qt::MouseButton button, int row, int col) {
        MSFlexGrid1_MouseUp(button, row, col);
    });
    OnGridKeysFirst(MSFlexGrid1,
                    [this](int key, int row, int col) { return MSFlexGrid1_Key(key, row, col); });
    OnGridMouseRelease(grdTeacher,
                       [this](Qt::MouseButton, int row, int col) { grdTeacher_MouseUp(row, col); });
    connect(cmdOK, &QPushButton::clicked, this, &frmManualSetLesson::cmdOK_Click);
    connect(cmdCauses, &QPushButton::clicked, this, &frmManualSetLesson::cmdCauses_Click);

    Form_Load();
}

// ---- events -----------------------------------------------------------------

void frmManualSetLesson::Form_Load() {
    ClassSlots.resize(m_ctx.lessonsPerDay);
    TeacherSlots.resize(m_ctx.lessonsPerDay);
    lstCourse->setHeaderLabels(
        {QStringLiteral("班级"), QStringLiteral("课程"), QStringLiteral("节数")});
    // The header's default minimum (from its font) would widen the count column.
    lstCourse->header()->setMinimumSectionSize(1);
    lstCourse->setColumnWidth(0, Twips(1000));
    lstCourse->setColumnWidth(1, Twips(1000));
    lstCourse->setColumnWidth(2, Twips(550));
    lstCourse->header()->setStretchLastSection(false);
    lstCourse->setMinimumWidth(Twips(2550) + 24);
    FillUnplacedList();
    FillClassList();
    FillTeacherList();
    InitGrid();
    LoadClassGrid();
    staMsg->setPanelText(1, kHelpIdle);
}

void frmManualSetLesson::CmbClass_Click() {
    const QString className = CmbClass->currentText();
    mstrClassCode = GetClassCode(m_ctx.db, className);
    staMsg->setPanelText(2, className);
    LoadClassGrid();
}

void frmManualSetLesson::CmdPrevClass_Click() {
    StepClass(CmbClass, -1, [this] { CmbClass_Click(); });
}

void frmManualSetLesson::CmdNextClass_Click() {
    StepClass(CmbClass, +1, [this] { CmbClass_Click(); });
}

void frmManualSetLesson::CmbTeacher_Click() {
    if (CmbTeacher->currentIndex() < 0) {
        TeacherSlots.clear();
        m_teacherShown.clear();
        InitTeacherGrid();
        return;
    }
    LoadTeacherGrid(GetTeacherCode(m_ctx.db, CmbTeacher->currentText()));
}

void frmManualSetLesson::lstCourse_ItemClick(QTreeWidgetItem* item) {
    if (!item)
        return;
    mstrClassCode = item->data(0, ClassCodeRole).toString();
    m_chosenClass = mstrClassCode;
    mstrCourseCode = item->data(0, CourseCodeRole).toString();
    mstrTeacherCode = item->data(0, TeacherCodeRole).toString();
    mintRemainCount = item->text(2).toInt();
    const int classIndex = CmbClass->findText(item->text(0));
    if (classIndex < 0)
        return;
    SelectClass(classIndex);
    PaintPlaceable();
}

void frmManualSetLesson::MSFlexGrid1_MouseUp(Qt::MouseButton button, int row, int col) {
    const int lessonNo = LessonOfGridRow(row);
    if (lessonNo == 0 || col < 1 || col > kDays || !ClassSlots.contains(col, lessonNo))
        return;
    MSFlexGrid1->setCurrentCell(row, col);
    const int day = col;
    const bool empty = GridCellText(MSFlexGrid1, row, col).isEmpty();
    const QColor colour = GridCellColour(MSFlexGrid1, row, col);
    if (button == Qt::LeftButton) {
        if (!empty) {
            if (colour != CellColour::Selected) {
                PaintSwappable(day, lessonNo);
                staMsg->setPanelText(1, kHelpSelected);
            }
        } else if (colour != CellColour::Free) {
            ResetColors();
            ClearWhy();
        } else if (PlaceLesson()) {
            LessonCell& cell = ClassSlots.at(day, lessonNo);
            cell.CourseCode = mstrCourseCode;
            cell.CourseName = GetCourseName(m_ctx.db, mstrCourseCode);
            cell.TeacherCode = mstrTeacherCode;
            cell.TeacherName = GetTeacherName(m_ctx.db, mstrTeacherCode);
            ShowClassCell(day, lessonNo);
            FillUnplacedList();
            FollowChosen();
        }
    } else if (button == Qt::RightButton) {
        if (MovePending() && colour == CellColour::Normal) {
            if (!empty)
                staMsg->setPanelText(3, kNotWhileSelected);
            return;
        }
        if (colour == CellColour::Normal || colour == CellColour::Selected) {
            // An empty white period: nothing at all, the teacher view stays.
            if (empty)
                return;
            if (DeleteLesson()) {
                ClassSlots.at(day, lessonNo).clear();
                ShowClassCell(day, lessonNo);
                FillUnplacedList();
                FollowChosen();
            }
        } else if (colour == CellColour::Swappable) {
            SwapLessons(day, lessonNo);
            ShowClassCell(mintSelDay, mintSelLesson);
            ShowClassCell(day, lessonNo);
            FollowChosen();
        }
    } else {
        return;
    }
    ShowTeacherOf(day, lessonNo);
}

// The keyboard's own meanings beside the mouse's: Enter puts the selected
// lesson on a yellow period, Delete never reaches past the selected lesson,
// and Esc lets go of the selection before it closes the window.
bool frmManualSetLesson::MSFlexGrid1_Key(int key, int row, int col) {
    if (!MovePending())
        return false;
    const QColor colour = GridCellColour(MSFlexGrid1, row, col);
    switch (key) {
    case Qt::Key_Escape:
        FollowChosen();
        staMsg->setPanelText(3, QStringLiteral("已取消选择"));
        return true;
    case Qt::Key_Return:
        if (colour != CellColour::Swappable)
            return false;
        MSFlexGrid1_MouseUp(Qt::RightButton, row, col);
        return true;
    case Qt::Key_Delete:
        if (colour == CellColour::Selected)
            return false;
        staMsg->setPanelText(3, kNotWhileSelected);
        return true;
    default:
        return false;
    }
}

void frmManualSetLesson::grdTeacher_MouseUp(int row, int col) {
    const int lessonNo = LessonOfGridRow(row);
    if (lessonNo == 0 || col < 1 || col > kDays || !TeacherSlots.contains(col, lessonNo))
        return;
    grdTeacher->setCurrentCell(row, col);
    const LessonCell& cell = TeacherSlots.at(col, lessonNo);
    if (cell.ClassName.isEmpty())
        return;
    const int classIndex = CmbClass->findText(cell.ClassName);
    if (classIndex >= 0 && classIndex != CmbClass->currentIndex())
        CmbClass->setCurrentIndex(classIndex);
    MSFlexGrid1->setCurrentCell(row, col);
}

void frmManualSetLesson::cmdOK_Click() {
    close();
}

// ---- procedures -------------------------------------------------------------

void frmManualSetLesson::cmdCauses_Click() {
    const QString title = QStringLiteral("排不下的根本原因");
    std::vector<rules::RootCause> causes;
    try {
        const WaitCursor wait;
        causes = UnplacedCauses(m_ctx.db, m_ctx.lessonsPerDay);
    } catch (const Failure& f) {
        ShowError(this, title, QStringLiteral("读取课表数据失败：") + f.message());
        return;
    }
    ShowInfo(this, title,
             causes.empty() ? QStringLiteral("教学计划的课都已排上。")
                            : rules::causeLines(causes).join('\n'));
}

void frmManualSetLesson::FillUnplacedList() {
    lstCourse->clear();
    QList<UnplacedPlanRow> rows;
    // A failed read lists what was read before it.
    QString why;
    if (!QueryUnplacedRows(m_ctx.db, rows, &why))
        staMsg->setPanelText(3, QStringLiteral("读取失败：") + why);
    for (const UnplacedPlanRow& r : rows) {
        auto* item = new QTreeWidgetItem(lstCourse);
        item->setText(0, GetClassName(m_ctx.db, r.classCode));
        item->setText(1, GetCourseName(m_ctx.db, r.courseCode));
        item->setText(2, QString::number(r.remain));
        item->setData(0, ClassCodeRole, r.classCode);
        item->setData(0, CourseCodeRole, r.courseCode);
        item->setData(0, TeacherCodeRole, r.teacherCode);
    }
}

void frmManualSetLesson::FillClassList() {
    FillClassChoice(CmbClass, ClassNameList(m_ctx.db), [this] { CmbClass_Click(); });
}

void frmManualSetLesson::SelectClass(int index) {
    ChooseClass(CmbClass, index, [this] { CmbClass_Click(); });
}

void frmManualSetLesson::FillTeacherList() {
    const QSignalBlocker block(CmbTeacher);
    CmbTeacher->clear();
    CmbTeacher->addItems(TeacherNameList(m_ctx.db));
    CmbTeacher->setCurrentIndex(-1);
}

void frmManualSetLesson::InitGrid() {
    InitClassGrid();
    InitTeacherGrid();
}

void frmManualSetLesson::InitClassGrid() {
    InitTimetableGrid(MSFlexGrid1, m_ctx.lessonsPerDay, 1000);
}

void frmManualSetLesson::InitTeacherGrid() {
    InitTimetableGrid(grdTeacher, m_ctx.lessonsPerDay, 1000);
}

int frmManualSetLesson::lessonRows() const {
    return GridRowOfLesson(m_ctx.lessonsPerDay);
}

void frmManualSetLesson::LoadClassGrid() {
    QString why;
    const bool ok = LoadClassSlots(m_ctx.db, mstrClassCode, ClassSlots, &why);
    InitClassGrid();
    mintSelDay = 0;
    mintSelLesson = 0;
    for (int day = 1; day <= kDays; ++day)
        for (int lessonNo = 1; lessonNo <= m_ctx.lessonsPerDay; ++lessonNo)
            ShowClassCell(day, lessonNo);
    staMsg->setPanelText(3, ok ? QStringLiteral("读取成功") : QStringLiteral("读取失败：") + why);
    ClearWhy();
    MarkBreaches();
    // A fresh grid has no selection and no cyan cells; the help says so.
    staMsg->setPanelText(1, kHelpIdle);
}

void frmManualSetLesson::LoadTeacherGrid(const QString& teacherCode) {
    // A failed read shows what was read before it; the class grid reports it.
    (void)LoadTeacherSlots(m_ctx.db, teacherCode, TeacherSlots);
    m_teacherShown = teacherCode;
    InitTeacherGrid();
    for (int day = 1; day <= kDays; ++day) {
        for (int lessonNo = 1; lessonNo <= m_ctx.lessonsPerDay; ++lessonNo) {
            const LessonCell& cell = TeacherSlots.at(day, lessonNo);
            if (!cell.isEmpty())
                SetGridCell(grdTeacher, GridRowOfLesson(lessonNo), day,
                            cell.CourseName + QStringLiteral("\n") + cell.ClassShortName,
                            CellColour::Normal);
        }
    }
    MarkBreaches();
}

// The class grid shows what ClassSlots holds for the period, in white.
void frmManualSetLesson::ShowClassCell(int day, int lessonNo) {
    if (ClassSlots.contains(day, lessonNo))
        SetGridCell(MSFlexGrid1, GridRowOfLesson(lessonNo), day,
                    ClassSlots.at(day, lessonNo).CourseName, CellColour::Normal);
}

void frmManualSetLesson::ResetColors() {
    mintSelDay = 0;
    mintSelLesson = 0;
    for (int row = 1; row <= lessonRows(); ++row)
        if (row != kSeparatorRow)
            for (int day = 1; day <= kDays; ++day) {
                SetGridCellColour(MSFlexGrid1, row, day, CellColour::Normal);
                MSFlexGrid1->item(row, day)->setForeground(palette().color(QPalette::Text));
            }
    staMsg->setPanelText(1, kHelpIdle);
}

// Colours the periods where the chosen unplaced lesson may go and tells, on
// each period, why it may not; both from one answer of the rules, so a cyan
// period never says it is closed. The sentence under the list is titled
// "排不下的原因" only when no period is open.
void frmManualSetLesson::PaintPlaceable() {
    ResetColors();
    ClearWhy();
    if (mstrCourseCode.isEmpty() || mintRemainCount <= 0 || m_chosenClass != mstrClassCode)
        return;
    std::optional<School> school;
    try {
        school = LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay));
    } catch (const Failure& e) {
        staMsg->setPanelText(3, QStringLiteral("读取失败：") + e.message());
        return;
    }
    const rules::NameOf nameOf = NamesOf(m_ctx.db);
    const rules::Placing placing =
        rules::placingOf(*school, mstrClassCode, mstrCourseCode, mstrTeacherCode);
    int open = 0;
    school->timetable.week().forEach([&](Period period) {
        QTableWidgetItem* item = MSFlexGrid1->item(GridRowOfLesson(period.lessonNo), period.day);
        if (!item)
            return;
        const std::vector<rules::Reason> reasons =
            rules::handReasonsAgainst(*school, placing, period);
        if (reasons.empty()) {
            ++open;
            SetGridCellColour(MSFlexGrid1, GridRowOfLesson(period.lessonNo), period.day,
                              CellColour::Free);
            item->setToolTip(QStringLiteral("可以排在这里"));
        } else {
            item->setToolTip(rules::describeAll(*school, placing, period, reasons, nameOf));
        }
    });
    staMsg->setPanelText(1, kHelpUnplaced);
    if (open > 0)
        lblWhy->setText(QStringLiteral("%1 还可以排在青色的 %2 个时间")
                            .arg(nameOf('k', mstrCourseCode))
                            .arg(open));
    else
        lblWhy->setText(QStringLiteral("排不下的原因：") +
                        rules::whyUnplaced(*school, placing, nameOf).summary);
}

// After a change: the chosen unplaced lesson's remaining count as the list now
// has it, and its periods and reasons worked out afresh.
void frmManualSetLesson::FollowChosen() {
    mintRemainCount = 0;
    for (int i = 0; i < lstCourse->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lstCourse->topLevelItem(i);
        if (item->data(0, ClassCodeRole).toString() == m_chosenClass &&
            item->data(0, CourseCodeRole).toString() == mstrCourseCode &&
            item->data(0, TeacherCodeRole).toString() == mstrTeacherCode)
            mintRemainCount = item->text(2).toInt();
    }
    PaintPlaceable();
    MarkBreaches();
}

// The red corners of both grids: the lessons shown that break a rule, as the
// check lists them.
void frmManualSetLesson::MarkBreaches() {
    std::vector<rules::Breach> breaches;
    try {
        breaches = rules::breachesOf(LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay)));
    } catch (const Failure&) {
        // The grids' own reads say that the timetable cannot be read.
    }
    ::MarkBreaches(MSFlexGrid1, breaches,
                   [this](const Lesson& l) { return l.classCode == mstrClassCode; });
    ::MarkBreaches(grdTeacher, breaches, [this](const Lesson& l) {
        return !m_teacherShown.isEmpty() && l.teacherCode == m_teacherShown;
    });
}

void frmManualSetLesson::ClearWhy() {
    lblWhy->clear();
    for (int row = 1; row < MSFlexGrid1->rowCount(); ++row)
        for (int col = 1; col < MSFlexGrid1->columnCount(); ++col)
            if (QTableWidgetItem* item = MSFlexGrid1->item(row, col))
                item->setToolTip(QString());
}

void frmManualSetLesson::PaintSwappable(int day, int lessonNo) {
    ResetColors();
    // The reasons told the chosen unplaced lesson's story; yellow tells another.
    ClearWhy();
    mintSelDay = day;
    mintSelLesson = lessonNo;
    QList<Period> swappable;
    try {
        swappable = SwappablePeriods(m_ctx.db, mstrClassCode, ClassSlots, {day, lessonNo});
    } catch (const Failure& e) {
        staMsg->setPanelText(3, QStringLiteral("读取失败：") + e.message());
    }
    for (const Period& p : swappable)
        SetGridCellColour(MSFlexGrid1, GridRowOfLesson(p.lessonNo), p.day, CellColour::Swappable);
    SetGridCellColour(MSFlexGrid1, GridRowOfLesson(lessonNo), day, CellColour::Selected);
    // Black on the dark red would be hard to read.
    MSFlexGrid1->item(GridRowOfLesson(lessonNo), day)->setForeground(Qt::white);
    MSFlexGrid1->setCurrentCell(GridRowOfLesson(lessonNo), day);
}

bool frmManualSetLesson::SwapLessons(int day, int lessonNo) {
    if (const std::optional<bool> moved =
            MoveDoubleLesson({mintSelDay, mintSelLesson}, {day, lessonNo}))
        return *moved;
    QString effect;
    const QStringList broken =
        SwapObjections({mintSelDay, mintSelLesson}, {day, lessonNo}, &effect);
    if (!broken.isEmpty() &&
        !AskYesNo(this, windowTitle(),
                  broken.join(QStringLiteral("；\n")) + QStringLiteral("，仍要调到这里吗？")))
        return false;
    const bool done = m_undo->record(
        mstrClassCode, {QStringLiteral("换课成功"), QStringLiteral("换课失败")}, [&] {
            ::SwapLessons(m_ctx.db, mstrClassCode, ClassSlots, {mintSelDay, mintSelLesson},
                          {day, lessonNo});
        });
    // What the change did to the quality, beside the result.
    if (done && !effect.isEmpty())
        staMsg->setPanelText(3, QStringLiteral("换课成功；") + effect);
    return done;
}

// A double lesson (连堂) moves whole: both halves, and the lessons at their
// new periods take the periods they leave. Empty when the chosen lesson is no
// half of a double lesson (the plain swap runs).
std::optional<bool> frmManualSetLesson::MoveDoubleLesson(Period selected, Period target) {
    School school;
    try {
        school = LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay));
    } catch (const Failure&) {
        return std::nullopt; // the plain swap then says why the file fails
    }
    const std::vector<size_t> shown = school.timetable.classLessonIndexes(mstrClassCode, selected);
    if (shown.empty() || !rules::doublePartner(school, shown.back()))
        return std::nullopt;
    const std::vector<rules::HandMove> moves =
        rules::unitSwapMoves(school, mstrClassCode, selected, target);
    if (moves.empty()) {
        ShowWarning(this, windowTitle(),
                    QStringLiteral("连堂课两节一起调动：调到这里会超出当天或跨过午休。"));
        return false;
    }
    const QStringList broken =
        rules::describeObjections(school, rules::objectionsTo(school, moves), NamesOf(m_ctx.db));
    if (!broken.isEmpty() &&
        !AskYesNo(this, windowTitle(),
                  broken.join(QStringLiteral("；\n")) + QStringLiteral("，仍要调到这里吗？")))
        return false;
    std::vector<LessonMove> rows;
    for (const rules::HandMove& m : moves)
        rows.push_back({school.timetable.lessons()[m.lesson].rowid, m.to});
    const bool made = m_undo->record(mstrClassCode,
                                     {QStringLiteral("连堂课调动成功"), QStringLiteral("换课失败")},
                                     [&] { MoveLessons(m_ctx.db, rows); });
    if (made) {
        // Up to four periods changed: show the class afresh, status kept.
        (void)LoadClassSlots(m_ctx.db, mstrClassCode, ClassSlots);
        for (int day = 1; day <= kDays; ++day)
            for (int lessonNo = 1; lessonNo <= m_ctx.lessonsPerDay; ++lessonNo)
                ShowClassCell(day, lessonNo);
    }
    return made;
}

// The other half of the double lesson shown at the period, if any.
std::optional<Period> frmManualSetLesson::DoublePartnerAt(Period period) {
    try {
        const School school = LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay));
        const std::vector<size_t> shown =
            school.timetable.classLessonIndexes(mstrClassCode, period);
        if (shown.empty())
            return std::nullopt;
        if (const std::optional<size_t> other = rules::doublePartner(school, shown.back()))
            return school.timetable.lessons()[*other].period;
    } catch (const Failure&) {
    }
    return std::nullopt;
}

// What the swap or move would break, one sentence each, and what it would do
// to the quality (*effect); a timetable that cannot be read raises no
// objection (the write then says why it failed).
QStringList frmManualSetLesson::SwapObjections(Period selected, Period target, QString* effect) {
    try {
        const School school = LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay));
        const rules::NameOf nameOf = NamesOf(m_ctx.db);
        const std::vector<rules::HandMove> moves =
            rules::swapMoves(school, mstrClassCode, selected, target);
        std::vector<std::pair<size_t, Period>> changes;
        for (const rules::HandMove& m : moves)
            changes.push_back({m.lesson, m.to});
        *effect = rules::qualityEffect(school, changes, nameOf);
        return rules::describeObjections(school, rules::objectionsTo(school, moves), nameOf);
    } catch (const Failure&) {
        return {};
    }
}

bool frmManualSetLesson::PlaceLesson() {
    if (mstrCourseCode.isEmpty())
        return false;
    const int day = MSFlexGrid1->currentColumn();
    const int lessonNo = LessonOfGridRow(MSFlexGrid1->currentRow());
    return m_undo->record(
        mstrClassCode, {QStringLiteral("写入成功"), QStringLiteral("写入失败")}, [&] {
            ::PlaceLesson(m_ctx.db, mstrClassCode, mstrCourseCode, mstrTeacherCode, day, lessonNo);
        });
}

bool frmManualSetLesson::DeleteLesson() {
    const int row = MSFlexGrid1->currentRow();
    const int day = MSFlexGrid1->currentColumn();
    if (GridCellText(MSFlexGrid1, row, day).isEmpty())
        return false;
    // Half of a double lesson: both go, or this one only, as the user says.
    if (const std::optional<Period> other = DoublePartnerAt({day, LessonOfGridRow(row)})) {
        if (!AskYesNo(this, windowTitle(),
                      QStringLiteral("这节课和%1是一次连堂课。\n两节一起删去吗？"
                                     "（选“否”只删这一节，连堂就拆开了）")
                          .arg(rules::periodName(*other))))
            return m_undo->record(
                mstrClassCode, {QStringLiteral("删除成功"), QStringLiteral("删除失败")},
                [&] { ::DeleteLesson(m_ctx.db, mstrClassCode, day, LessonOfGridRow(row)); });
        const bool made = m_undo->record(
            mstrClassCode, {QStringLiteral("连堂课删除成功"), QStringLiteral("删除失败")}, [&] {
                ::DeleteLesson(m_ctx.db, mstrClassCode, day, LessonOfGridRow(row));
                ::DeleteLesson(m_ctx.db, mstrClassCode, other->day, other->lessonNo);
            });
        if (made) {
            ClassSlots.at(other->day, other->lessonNo).clear();
            ShowClassCell(other->day, other->lessonNo);
        }
        return made;
    }
    return m_undo->record(
        mstrClassCode, {QStringLiteral("删除成功"), QStringLiteral("删除失败")},
        [&] { ::DeleteLesson(m_ctx.db, mstrClassCode, day, LessonOfGridRow(row)); });
}

// After an undo or redo: the class the step was made in, the unplaced list and
// the teacher view read afresh; no lesson stays chosen.
void frmManualSetLesson::ShowAfterUndo(const QString& classCode) {
    mintSelDay = 0;
    mintSelLesson = 0;
    FillUnplacedList();
    const int index = CmbClass->findText(GetClassName(m_ctx.db, classCode));
    if (index >= 0 && index != CmbClass->currentIndex())
        SelectClass(index);
    else
        CmbClass_Click();
    CmbTeacher_Click();
    FollowChosen();
    // The cursor goes where the change shows; reloading the grid left it on
    // a header cell no key can act on.
    const QList<Period> changed = m_undo->lastPeriods();
    const Period at = changed.isEmpty() ? Period{1, 1} : changed.first();
    if (ClassSlots.contains(at.day, at.lessonNo))
        MSFlexGrid1->setCurrentCell(GridRowOfLesson(at.lessonNo), at.day);
}

// The teacher view follows the period: its teacher's timetable, reloaded even
// when that teacher is shown already so that a swap or move shows at once.
void frmManualSetLesson::ShowTeacherOf(int day, int lessonNo) {
    const QString teacherName = ClassSlots.at(day, lessonNo).TeacherName;
    const int index = teacherName.isEmpty() ? -1 : CmbTeacher->findText(teacherName);
    if (index != CmbTeacher->currentIndex())
        CmbTeacher->setCurrentIndex(index);
    else
        CmbTeacher_Click();
    if (index >= 0)
        grdTeacher->setCurrentCell(GridRowOfLesson(lessonNo), day);
}
