#include "gui/manual/frmSetLesson.h"

#include "core/model/Failure.h"
#include "core/rules/Placement.h"
#include "core/rules/WhyUnplaced.h"
#include "core/store/Lookups.h"
#include "core/store/PresetLessons.h"
#include "core/store/SchoolStore.h"
#include "gui/manual/BreachMarks.h"
#include "gui/manual/ClassChoice.h"
#include "gui/manual/UndoControls.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/GridMouse.h"
#include "gui/widgets/StatusPanels.h"
#include "gui/widgets/TimetableGrid.h"
#include "gui/widgets/UiMetrics.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>

namespace {
const QString kHelp =
    QStringLiteral("鼠标左键单击青色课时 -- 安排课时       鼠标右键 -- 删除设置的课程");
} // namespace

frmSetLesson::frmSetLesson(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmSetLesson");
    setWindowTitle(QStringLiteral("预先安排固定课程"));
    setFont(SongTi(9));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    Label1 = new QLabel(
        QStringLiteral("这是自动排课之前的准备工作：先在某些课时安排预先确定的课程"), this);
    lblClass = new QLabel(QStringLiteral("班级"), this);
    CmbClass = new QComboBox(this);
    CmdPrevClass = new QPushButton(QStringLiteral("上一班级(&P)"), this);
    CmdNextClass = new QPushButton(QStringLiteral("下一班级(&N)"), this);
    fraCourse = new QGroupBox(QStringLiteral("课程"), this);
    lstCourse = new QListWidget(fraCourse);
    MSFlexGrid1 = new QTableWidget(this);
    staMsg = new StatusPanels({5, 2, 1}, this);
    cmdOK = new QPushButton(QStringLiteral("退出(&Q)"), this);
    m_undo = new UndoControls(
        this, ctx.db, [this](const QString& classCode) { ShowAfterUndo(classCode); },
        [this](const QString& text) { staMsg->setPanelText(3, text); });
    cmdUndo = m_undo->cmdUndo;
    cmdRedo = m_undo->cmdRedo;
    Label1->setObjectName("Label1");
    lblClass->setObjectName("lblClass");
    CmbClass->setObjectName("CmbClass");
    CmdPrevClass->setObjectName("CmdPrevClass");
    CmdNextClass->setObjectName("CmdNextClass");
    fraCourse->setObjectName("fraCourse");
    lstCourse->setObjectName("lstCourse");
    MSFlexGrid1->setObjectName("MSFlexGrid1");
    staMsg->setObjectName("staMsg");
    cmdOK->setObjectName("cmdOK");

    Label1->setStyleSheet("color: rgb(0,0,160)");
    CmbClass->setMinimumWidth(Twips(2000));
    lstCourse->setMinimumWidth(Twips(1800));
    cmdOK->setAutoDefault(false);
    CmdPrevClass->setAutoDefault(false);
    CmdNextClass->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(lblClass);
    top->addWidget(CmbClass);
    top->addWidget(CmdPrevClass);
    top->addWidget(CmdNextClass);
    top->addStretch();
    auto* courseBox = new QVBoxLayout(fraCourse);
    courseBox->addWidget(lstCourse);
    auto* middle = new QHBoxLayout;
    middle->addWidget(fraCourse);
    middle->addWidget(MSFlexGrid1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdUndo);
    bottom->addWidget(cmdRedo);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* body = new QVBoxLayout;
    body->addWidget(Label1);
    body->addLayout(top);
    body->addLayout(middle);
    body->addLayout(bottom);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* margins = new QWidget(this);
    margins->setLayout(body);
    outer->addWidget(margins, 1);
    outer->addWidget(staMsg);

    connect(CmbClass, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            CmbClass_Click();
    });
    connect(CmdPrevClass, &QPushButton::clicked, this, &frmSetLesson::CmdPrevClass_Click);
    connect(CmdNextClass, &QPushButton::clicked, this, &frmSetLesson::CmdNextClass_Click);
    connect(lstCourse, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            lstCourse_Click();
    });
    OnGridMouseRelease(MSFlexGrid1, [this](Qt::MouseButton button, int row, int col) {
        MSFlexGrid1_MouseUp(button, row, col);
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmSetLesson::cmdOK_Click);

    Form_Load();
}

// ---- events -----------------------------------------------------------------

void frmSetLesson::Form_Load() {
    FillClassList();
    InitGrid();
    LoadPresetGrid();
    RefreshCourseList();
    staMsg->setPanelText(1, kHelp);
}

void frmSetLesson::CmbClass_Click() {
    const QString className = CmbClass->currentText();
    mstrClassCode = GetClassCode(m_ctx.db, className);
    // Another class starts from its own first course.
    mstrCourseCode.clear();
    mstrTeacherCode.clear();
    staMsg->setPanelText(2, className + QStringLiteral("  预排课程"));
    LoadPresetGrid();
    RefreshCourseList();
    if (lstCourse->count() > 0)
        SelectCourse(0);
}

void frmSetLesson::CmdPrevClass_Click() {
    StepClass(CmbClass, -1, [this] { CmbClass_Click(); });
}

void frmSetLesson::CmdNextClass_Click() {
    StepClass(CmbClass, +1, [this] { CmbClass_Click(); });
}

void frmSetLesson::lstCourse_Click() {
    const QListWidgetItem* item = lstCourse->currentItem();
    mstrCourseCode = item ? GetCourseCode(m_ctx.db, item->text()) : QString();
    mstrTeacherCode = GetPlanTeacher(m_ctx.db, mstrClassCode, mstrCourseCode);
    PaintFreeSlots();
}

void frmSetLesson::MSFlexGrid1_MouseUp(Qt::MouseButton button, int row, int col) {
    // Header cells and the separator hold no lesson.
    if (LessonOfGridRow(row) == 0 || col < 1 || col > kDays)
        return;
    MSFlexGrid1->setCurrentCell(row, col);
    if (button == Qt::LeftButton) {
        if (mstrCourseCode.isEmpty())
            return;
        if (GridCellColour(MSFlexGrid1, row, col) == CellColour::Free && WritePresetLesson()) {
            const QListWidgetItem* course = lstCourse->currentItem();
            SetGridCell(MSFlexGrid1, row, col,
                        course ? course->text() : GetCourseName(m_ctx.db, mstrCourseCode),
                        CellColour::Normal);
        }
    } else if (button == Qt::RightButton) {
        // The course chosen in the list stays chosen.
        const QString deleted = GetCourseCode(m_ctx.db, GridCellText(MSFlexGrid1, row, col));
        if (!deleted.isEmpty() && DeletePresetLesson())
            SetGridCell(MSFlexGrid1, row, col, QString(), CellColour::Normal);
    } else {
        return;
    }
    MarkPresetBreaches();
    RefreshCourseList();
}

void frmSetLesson::cmdOK_Click() {
    close();
}

// ---- procedures -------------------------------------------------------------

void frmSetLesson::FillClassList() {
    FillClassChoice(CmbClass, ClassNameList(m_ctx.db), [this] { CmbClass_Click(); });
}

void frmSetLesson::InitGrid() {
    InitTimetableGrid(MSFlexGrid1, m_ctx.lessonsPerDay, 1500);
}

int frmSetLesson::lessonRows() const {
    return GridRowOfLesson(m_ctx.lessonsPerDay);
}

void frmSetLesson::LoadPresetGrid() {
    QList<PresetLesson> lessons;
    QString why;
    const bool ok = LoadPresetLessons(m_ctx.db, mstrClassCode, lessons, &why);
    InitGrid();
    for (const PresetLesson& l : lessons) {
        if (l.day < 1 || l.day > kDays || l.lessonNo < 1 || l.lessonNo > m_ctx.lessonsPerDay)
            continue;
        SetGridCell(MSFlexGrid1, GridRowOfLesson(l.lessonNo), l.day,
                    GetCourseName(m_ctx.db, l.courseCode), CellColour::Normal);
    }
    staMsg->setPanelText(3, ok ? QStringLiteral("读取成功") : QStringLiteral("读取失败：") + why);
    MarkPresetBreaches();
}

void frmSetLesson::MarkPresetBreaches() {
    // A pre-set lesson that breaks a rule (a "不排" set after it, two
    // teachers' lessons at once) gets its red corner.
    std::vector<rules::Breach> breaches;
    try {
        breaches = rules::breachesOf(LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay)));
    } catch (const Failure&) {
    }
    MarkBreaches(MSFlexGrid1, breaches, [this](const Lesson& l) {
        return l.classCode == mstrClassCode && l.origin == Origin::Preset;
    });
}

// The course chosen stays chosen by its code: the list is rebuilt in another
// order once a course has lessons pre-set, and a course with nothing left to
// pre-set leaves it. Then nothing is chosen, so the next click never pre-sets
// a course the user did not pick.
void frmSetLesson::RefreshCourseList() {
    const QString remembered = mstrCourseCode;
    QStringList courseCodes;
    bool ok = false;
    {
        const QSignalBlocker block(lstCourse);
        lstCourse->clear();
        QString why;
        ok = RemainingPresetCourses(m_ctx.db, mstrClassCode, courseCodes, &why);
        if (!ok)
            staMsg->setPanelText(3, QStringLiteral("读取失败：") + why);
        for (const QString& code : courseCodes)
            lstCourse->addItem(GetCourseName(m_ctx.db, code));
        lstCourse->setCurrentRow(-1);
    }
    if (!ok)
        return;
    const int index = remembered.isEmpty() ? -1 : static_cast<int>(courseCodes.indexOf(remembered));
    if (index >= 0) {
        SelectCourse(index);
        return;
    }
    if (!remembered.isEmpty())
        staMsg->setPanelText(3, staMsg->panelText(3) + QStringLiteral("；") +
                                    GetCourseName(m_ctx.db, remembered) +
                                    QStringLiteral(" 已全部预排，请在列表中选择下一门课程"));
    mstrCourseCode.clear();
    mstrTeacherCode.clear();
    ClearColors();
}

// Selecting runs the course click even when the entry is selected already.
void frmSetLesson::SelectCourse(int index) {
    {
        const QSignalBlocker block(lstCourse);
        lstCourse->setCurrentRow(index);
    }
    lstCourse_Click();
}

// A course may be pre-set where neither the class nor the teacher has a
// pre-set lesson and no "不排" of the course, the teacher or the class closes
// the period; a closed period says whose "不排" it is on hover.
void frmSetLesson::PaintFreeSlots() {
    // A school that cannot be read shows no free period.
    std::optional<School> school;
    try {
        school = LoadSchool(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay));
    } catch (const Failure& e) {
        staMsg->setPanelText(3, QStringLiteral("读取失败：") + e.message());
    }
    std::optional<rules::Placing> placing;
    if (school)
        placing = rules::placingOf(*school, mstrClassCode, mstrCourseCode, mstrTeacherCode);
    const rules::NameOf nameOf = NamesOf(m_ctx.db);
    for (int row = 1; row <= lessonRows(); ++row) {
        if (row == kSeparatorRow)
            continue;
        for (int day = 1; day <= kDays; ++day) {
            const Period period{day, LessonOfGridRow(row)};
            const bool never =
                placing && rules::levelAt(*school, *placing, period) == LimitLevel::Never;
            const bool free =
                GridCellText(MSFlexGrid1, row, day).isEmpty() && school && !never &&
                rules::freeForPreset(school->timetable, mstrClassCode, mstrTeacherCode, period);
            SetGridCellColour(MSFlexGrid1, row, day, free ? CellColour::Free : CellColour::Normal);
            QString tip;
            if (never) {
                const QStringList owners = rules::neverOwners(*school, *placing, period, nameOf);
                tip = (owners.isEmpty() ? nameOf('k', mstrCourseCode)
                                        : owners.join(QStringLiteral("、"))) +
                      QStringLiteral("此时间不排");
            }
            MSFlexGrid1->item(row, day)->setToolTip(tip);
        }
    }
}

void frmSetLesson::ClearColors() {
    for (int row = 1; row <= lessonRows(); ++row)
        if (row != kSeparatorRow)
            for (int day = 1; day <= kDays; ++day) {
                SetGridCellColour(MSFlexGrid1, row, day, CellColour::Normal);
                MSFlexGrid1->item(row, day)->setToolTip(QString());
            }
}

bool frmSetLesson::WritePresetLesson() {
    if (mstrCourseCode.isEmpty())
        return false;
    const int day = MSFlexGrid1->currentColumn();
    const int lessonNo = LessonOfGridRow(MSFlexGrid1->currentRow());
    return m_undo->record(mstrClassCode, {QStringLiteral("写入成功"), QStringLiteral("写入失败")},
                          [&] {
                              ::WritePresetLesson(m_ctx.db, mstrClassCode, mstrCourseCode,
                                                  mstrTeacherCode, day, lessonNo);
                          });
}

bool frmSetLesson::DeletePresetLesson() {
    const int row = MSFlexGrid1->currentRow();
    const int day = MSFlexGrid1->currentColumn();
    if (GridCellText(MSFlexGrid1, row, day).isEmpty())
        return false;
    return m_undo->record(
        mstrClassCode, {QStringLiteral("删除成功"), QStringLiteral("删除失败")},
        [&] { ::DeletePresetLesson(m_ctx.db, mstrClassCode, day, LessonOfGridRow(row)); });
}

// After an undo or redo: the class the step was made in, its pre-set lessons
// and the courses still to pre-set read afresh.
void frmSetLesson::ShowAfterUndo(const QString& classCode) {
    const int index = CmbClass->findText(GetClassName(m_ctx.db, classCode));
    if (index >= 0 && index != CmbClass->currentIndex()) {
        CmbClass->setCurrentIndex(index); // runs the class click
    } else {
        LoadPresetGrid();
        RefreshCourseList();
        if (lstCourse->currentRow() >= 0)
            lstCourse_Click();
    }
    // The rebuilt grid left its cursor on a header cell.
    const QList<Period> changed = m_undo->lastPeriods();
    const Period at = changed.isEmpty() ? Period{1, 1} : changed.first();
    if (at.day >= 1 && at.day <= kDays && at.lessonNo >= 1 && at.lessonNo <= m_ctx.lessonsPerDay)
        MSFlexGrid1->setCurrentCell(GridRowOfLesson(at.lessonNo), at.day);
}
