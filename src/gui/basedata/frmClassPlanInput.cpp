#include "gui/basedata/frmClassPlanInput.h"

#include "core/model/PlanRow.h"

#include "core/store/JointStore.h"
#include "core/store/Lookups.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/PlanStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <stdexcept>

namespace {

// List rows keep the codes of their plan row, so a row is found by its key
// and not by a name that another course or teacher may share.
constexpr int kCourseCodeRole = Qt::UserRole;
constexpr int kTeacherCodeRole = Qt::UserRole + 1;
constexpr int kDoublesColumn = 3;
constexpr int kJointColumn = 4;

const QColor kFieldFailed(255, 0, 0);
const QColor kFieldPassed(255, 255, 255);

void place(QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(Twips(x), Twips(y), Twips(width), Twips(height));
}

void mark(QWidget* field, bool failed) {
    QPalette p = field->palette();
    const QColor c = failed ? kFieldFailed : kFieldPassed;
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    field->setPalette(p);
}

void setupReportList(QTreeWidget* list, const QStringList& captions, const QList<int>& twips) {
    list->setColumnCount(static_cast<int>(captions.size()));
    list->setHeaderLabels(captions);
    // The narrow count columns are narrower than the style's default minimum.
    list->header()->setMinimumSectionSize(Twips(300));
    for (int i = 0; i < twips.size(); ++i)
        list->setColumnWidth(i, Twips(twips[i]));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

struct Refused : std::runtime_error {
    Refused() : std::runtime_error("refused") {}
};

} // namespace

frmClassPlanInput::frmClassPlanInput(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    BuildControls();

    connect(CmbClass, &QComboBox::currentIndexChanged, this, &frmClassPlanInput::CmbClass_Click);
    connect(CmdPrevClass, &QPushButton::clicked, this, &frmClassPlanInput::CmdPrevClass_Click);
    connect(CmdNextClass, &QPushButton::clicked, this, &frmClassPlanInput::CmdNextClass_Click);
    connect(CmbTeacher2, &QComboBox::currentIndexChanged, this,
            &frmClassPlanInput::CmbTeacher2_Click);
    // A row chosen with the mouse or the arrow keys is shown in the input fields.
    connect(lstAllRecord, &QTreeWidget::itemClicked, this,
            &frmClassPlanInput::lstAllRecord_ItemClick);
    connect(lstAllRecord, &QTreeWidget::currentItemChanged, this,
            &frmClassPlanInput::lstAllRecord_ItemClick);
    connect(lstAllRecord->header(), &QHeaderView::sectionClicked, this,
            &frmClassPlanInput::lstAllRecord_ColumnClick);
    connect(cmdAppend, &QPushButton::clicked, this, [this] { AppendRecord(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteRecord(); });
    connect(cmdModify, &QPushButton::clicked, this, [this] { ModifyRecord(); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdJoint, &QPushButton::clicked, this, &frmClassPlanInput::cmdJoint_Click);
    lstAllRecord->installEventFilter(this);
    txtCount->installEventFilter(this);
    txtDoubles->installEventFilter(this);

    Form_Load();
}

// ---- events -------------------------------------------------------------------

void frmClassPlanInput::Form_Load() {
    FillClassList();
    FillCourseList();
    FillTeacherList();
    lblTeacherSum->clear();
    LoadClassPlan();
    CmbClass->setFocus();
}

void frmClassPlanInput::CmbClass_Click() {
    mstrClassCode = GetClassCode(m_ctx.db, CmbClass->currentText());
    staMsgPanel2->setText(CmbClass->currentText());
    LoadClassPlan();
}

void frmClassPlanInput::CmdPrevClass_Click() {
    if (CmbClass->currentIndex() > 0)
        CmbClass->setCurrentIndex(CmbClass->currentIndex() - 1);
}

void frmClassPlanInput::CmdNextClass_Click() {
    const int i = CmbClass->currentIndex();
    if (i >= 0 && i < CmbClass->count() - 1)
        CmbClass->setCurrentIndex(i + 1);
}

void frmClassPlanInput::CmbTeacher2_Click() {
    if (CmbTeacher2->currentIndex() < 0) {
        lstTeacherInfo->clear();
        lblTeacherSum->clear();
        return;
    }
    ShowTeacherPlan(CmbTeacher2->currentText());
}

void frmClassPlanInput::lstAllRecord_ItemClick() {
    ShowSelectedRecord();
}

void frmClassPlanInput::lstAllRecord_ColumnClick(int column) {
    if (column == m_sortColumn)
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        m_sortColumn = column;
    m_sorted = true;
    lstAllRecord->sortItems(m_sortColumn, m_sortOrder);
}

bool frmClassPlanInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == lstAllRecord && key == Qt::Key_Delete) {
        DeleteRecord();
        return true;
    }
    if (watched == txtCount || watched == txtDoubles) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!AppendRecord())
                CmbCourse->setFocus();
            return true; // never the dialog's default button
        }
        if (key == Qt::Key_Up) {
            (watched == txtCount ? static_cast<QWidget*>(CmbTeacher) : txtCount)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- procedures ---------------------------------------------------------------

bool frmClassPlanInput::CheckInput() {
    QString message;
    QWidget* focus = nullptr;
    auto check = [&](QWidget* field, bool failed, const QString& text) {
        mark(field, failed);
        if (failed) {
            message = text;
            focus = field;
        }
    };
    // Checked from the last field to the first: the first failing field wins
    // the message and the focus, while every failing field turns red.
    const QString doubles = txtDoubles->text().trimmed();
    const int doublesValue = doubles.isEmpty() ? 0 : ParseLessonCount(doubles);
    if (doublesValue < 0)
        check(txtDoubles, true, "连堂次数必须是数字。");
    else
        check(txtDoubles,
              ParseLessonCount(txtCount->text().trimmed()) >= 0 &&
                  2 * doublesValue > ParseLessonCount(txtCount->text().trimmed()),
              "每次连堂占两节：连堂次数不能超过节数的一半。");
    const QString count = txtCount->text().trimmed();
    if (count.isEmpty())
        check(txtCount, true, "请输入节数。");
    else if (ParseLessonCount(count) < 0)
        check(txtCount, true, "节数必须是数字。");
    else if (const Week week = Week::ofLessons(m_ctx.lessonsPerDay);
             !lessonCountFits(ParseLessonCount(count), week))
        check(txtCount, true, lessonCountRule(week) + QStringLiteral("。"));
    check(CmbTeacher, CmbTeacher->currentText().trimmed().isEmpty(), "请选择教师。");
    check(CmbCourse, CmbCourse->currentText().trimmed().isEmpty(), "请选择课程。");
    check(CmbClass, CmbClass->currentText().trimmed().isEmpty(), "请选择班级。");
    if (!focus)
        return false;
    focus->setFocus();
    ShowInfo(this, QStringLiteral("输入检查信息"), message);
    return true;
}

bool frmClassPlanInput::AppendRecord() {
    if (CheckInput())
        return true;
    QString reason;
    try {
        const QString teacherName = CmbTeacher->currentText();
        const QString course = GetCourseCode(m_ctx.db, CmbCourse->currentText());
        const QString teacher = GetTeacherCode(m_ctx.db, teacherName);
        const int count = ParseLessonCount(txtCount->text().trimmed());
        if (AppendPlanRow(m_ctx.db, mstrClassCode, course, teacher, count, doublesTyped()) ==
            PlanAppend::OtherTeacher) {
            reason = QStringLiteral("不允许一门课多个老师");
            throw Refused();
        }
        staMsgPanel1->setText(QStringLiteral("添加记录成功！添加了1条记录"));
        LoadClassPlan();
        ShowPlanSummary();
        ChooseTeacher2(teacherName);
        ClearInput();
        WarnIfOverfull(mstrClassCode, teacher);
        return false;
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("添加记录失败   ") + reason);
        ShowError(this, QStringLiteral("添加失败"), QStringLiteral("添加记录失败  ") + reason);
        return true;
    }
}

bool frmClassPlanInput::DeleteRecord() {
    if (!SelectedRow()) {
        ShowError(this, QStringLiteral("删除失败"),
                  QStringLiteral("请先在列表中选择要删除的记录。"));
        return true;
    }
    if (CheckInput())
        return true;
    const QString courseName = CmbCourse->currentText().trimmed();
    const QString teacherShown = CmbTeacher->currentText();
    const QString teacherName = teacherShown.trimmed();
    try {
        const QString course = GetCourseCode(m_ctx.db, CmbCourse->currentText());
        const QString teacher = GetTeacherCode(m_ctx.db, CmbTeacher->currentText());
        if (!PlanRowExists(m_ctx.db, mstrClassCode, course, teacher)) {
            ShowError(this, QStringLiteral("删除失败"),
                      QStringLiteral("本班的教学计划中没有'") + teacherName +
                          QStringLiteral("'的'") + courseName + QStringLiteral("'，未删除。"));
            return true;
        }
        if (!AskYesNo(this, QStringLiteral("数据删除"),
                      QStringLiteral("警告： 确定要删除 '") + teacherName + QStringLiteral("'的'") +
                          courseName + QStringLiteral("' 吗？(Y/N)？")))
            return true;
        DeletePlanRow(m_ctx.db, mstrClassCode, course, teacher);
        staMsgPanel1->setText(QStringLiteral("删除记录成功！删除了1条记录"));
        {
            // No row stays chosen: the input fields are emptied below, and a
            // modify must not act on a row the user did not pick.
            const QSignalBlocker quiet(lstAllRecord);
            while (QTreeWidgetItem* row = RowOf(course, teacher))
                delete row;
            lstAllRecord->setCurrentItem(nullptr);
            lstAllRecord->clearSelection();
        }
        lstAllRecord->setFocus();
        ShowPlanSummary();
        ChooseTeacher2(teacherShown);
        ClearInput();
        return false;
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("删除记录失败"));
        ShowError(this, QStringLiteral("删除失败"),
                  QStringLiteral("删除记录失败, '") + courseName + QStringLiteral("' 未被删除"));
        return true;
    }
}

bool frmClassPlanInput::ModifyRecord() {
    if (!SelectedRow()) {
        ShowError(this, QStringLiteral("修改失败"),
                  QStringLiteral("请先在列表中选择要修改的记录。"));
        return true;
    }
    if (CheckInput())
        return true;
    try {
        const QString teacherShown = CmbTeacher->currentText();
        const QString course = GetCourseCode(m_ctx.db, CmbCourse->currentText());
        const QString teacher = GetTeacherCode(m_ctx.db, teacherShown);
        const int count = ParseLessonCount(txtCount->text().trimmed());
        if (doublesTyped() > 0 && course == mstrCourseCode && teacher == mstrTeacherCode &&
            !JointText(course, teacher).isEmpty()) {
            ShowError(this, QStringLiteral("修改失败"),
                      QStringLiteral("合班的课不能连堂：请先取消合班，或把其中连堂清空。"));
            return true;
        }
        // No row with the remembered key (changed meanwhile): nothing is written.
        if (ModifyPlanRow(m_ctx.db, mstrClassCode, mstrCourseCode, mstrTeacherCode, mintCount,
                          course, teacher, count, doublesTyped()) == 0)
            throw Refused();
        staMsgPanel1->setText(QStringLiteral("修改记录成功！修改了1条记录"));
        QTreeWidgetItem* row = RowOf(mstrCourseCode, mstrTeacherCode);
        if (!row)
            throw Refused();
        row->setText(0, CmbCourse->currentText().trimmed());
        row->setText(1, CmbTeacher->currentText().trimmed());
        row->setText(2, txtCount->text().trimmed());
        row->setText(kDoublesColumn, doublesText(doublesTyped()));
        row->setData(0, kCourseCodeRole, course);
        row->setData(0, kTeacherCodeRole, teacher);
        row->setText(kJointColumn,
                     JointText(course, teacher)); // another teacher or course ends 合班
        mstrCourseCode = course;
        mstrTeacherCode = teacher;
        mintCount = count;
        lstAllRecord->setFocus();
        ShowPlanSummary();
        ChooseTeacher2(teacherShown);
        ClearInput();
        WarnIfOverfull(mstrClassCode, teacher);
        return false;
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("修改记录失败"));
        ShowError(this, QStringLiteral("修改失败"), QStringLiteral("修改记录失败！"));
        return true;
    }
}

void frmClassPlanInput::WarnIfOverfull(const QString& classCode, const QString& teacherCode) {
    std::vector<PlanProblem> problems;
    try {
        problems =
            CheckPlanOf(ReadPlanCheckInput(m_ctx.db, m_ctx.lessonsPerDay), classCode, teacherCode);
    } catch (const std::exception&) {
        return; // the row is written; a check that cannot read warns of nothing
    }
    // Only the class and the teacher: a row that misses its daily share is
    // for the check before generation to say.
    QStringList lines;
    for (const PlanProblem& p : problems)
        if (p.kind == PlanProblem::Kind::Class || p.kind == PlanProblem::Kind::Teacher)
            lines << p.text;
    if (!lines.isEmpty())
        ShowWarning(this, QStringLiteral("教学计划排不下"),
                    lines.join('\n') + QStringLiteral("\n多出的课自动排课时排不进课表。"));
}

void frmClassPlanInput::FillClassList() {
    try {
        const QStringList names = ReadClassNames(m_ctx.db);
        {
            const QSignalBlocker quiet(CmbClass);
            CmbClass->addItems(names);
            CmbClass->setCurrentIndex(-1);
        }
        if (!names.isEmpty())
            CmbClass->setCurrentIndex(0);
    } catch (const std::exception&) {
    }
}

void frmClassPlanInput::FillCourseList() {
    try {
        const QSignalBlocker quiet(CmbCourse);
        CmbCourse->addItems(ReadCourseNames(m_ctx.db));
        CmbCourse->setCurrentIndex(-1);
    } catch (const std::exception&) {
    }
}

void frmClassPlanInput::FillTeacherList() {
    try {
        const QStringList names = ReadTeacherNames(m_ctx.db);
        const QSignalBlocker quiet(CmbTeacher);
        const QSignalBlocker quiet2(CmbTeacher2);
        CmbTeacher->addItems(names);
        CmbTeacher2->addItems(names);
        CmbTeacher->setCurrentIndex(-1);
        CmbTeacher2->setCurrentIndex(-1);
    } catch (const std::exception&) {
    }
}

void frmClassPlanInput::LoadClassPlan() {
    mstrClassCode = GetClassCode(m_ctx.db, CmbClass->currentText());
    QList<PlanRow> rows;
    try {
        rows = ReadPlanOfClass(m_ctx.db, mstrClassCode);
    } catch (const std::exception&) {
        return;
    }
    const QSignalBlocker quiet(lstAllRecord);
    lstAllRecord->clear();
    for (const PlanRow& r : rows) {
        auto* item = new QTreeWidgetItem(lstAllRecord);
        item->setText(0, GetCourseName(m_ctx.db, r.courseCode));
        item->setText(1, GetTeacherName(m_ctx.db, r.teacherCode));
        item->setText(2, r.countText());
        item->setText(kJointColumn, JointText(r.courseCode, r.teacherCode));
        item->setToolTip(kJointColumn, item->text(kJointColumn));
        item->setText(kDoublesColumn, doublesText(r.doubles));
        item->setData(0, kCourseCodeRole, r.courseCode);
        item->setData(0, kTeacherCodeRole, r.teacherCode);
    }
    if (m_sorted)
        lstAllRecord->sortItems(m_sortColumn, m_sortOrder);
    // A filled list starts with its first row chosen, so the input fields show
    // it at once.
    if (QTreeWidgetItem* first = lstAllRecord->topLevelItem(0))
        lstAllRecord->setCurrentItem(first);
    ShowPlanSummary();
    ShowSelectedRecord();
}

void frmClassPlanInput::ShowPlanSummary() {
    const int rows = lstAllRecord->topLevelItemCount();
    double total = 0;
    for (int i = 0; i < rows; ++i)
        total = std::round(total + lstAllRecord->topLevelItem(i)->text(2).toDouble());
    staMsgPanel3->setText(QString::number(rows) + QStringLiteral(" 门"));
    staMsgPanel4->setText(QString::number(static_cast<long long>(total)) + QStringLiteral(" 节"));
}

void frmClassPlanInput::ShowTeacherPlan(const QString& teacherName) {
    QList<PlanRow> rows;
    JointClasses joints;
    try {
        rows = ReadPlanOfTeacher(m_ctx.db, GetTeacherCode(m_ctx.db, teacherName));
        joints = LoadJoints(m_ctx.db);
    } catch (const std::exception&) {
        return;
    }
    lstTeacherInfo->clear();
    long long total = 0;
    for (const PlanRow& r : rows) {
        auto* item = new QTreeWidgetItem(lstTeacherInfo);
        item->setText(0, GetClassName(m_ctx.db, r.classCode));
        item->setText(1, GetCourseName(m_ctx.db, r.courseCode));
        item->setText(2, r.countText());
        // The narrow columns cut longer class and course names short.
        item->setToolTip(0, item->text(0));
        item->setToolTip(1, item->text(1));
        // A further class of a joint row sits in the first class's lessons:
        // the teacher gives them once.
        if (const JointRow* j = joints.rowOf(r.classCode, r.courseCode, r.teacherCode);
            j && j->classCode != r.classCode) {
            item->setToolTip(
                2, QStringLiteral("随%1合班，不另计").arg(GetClassName(m_ctx.db, j->classCode)));
            item->setForeground(2, Qt::gray);
            continue;
        }
        total += r.count.value_or(0);
    }
    lblTeacherSum->setText(QStringLiteral("共  ") + QString::number(total) +
                           QStringLiteral("  节课"));
}

void frmClassPlanInput::ShowSelectedRecord() {
    QTreeWidgetItem* row = SelectedRow();
    const int course = row ? CmbCourse->findText(row->text(0)) : -1;
    const int teacher = row ? CmbTeacher->findText(row->text(1)) : -1;
    if (course < 0) {
        ClearInput();
        return;
    }
    CmbCourse->setCurrentIndex(course);
    if (teacher < 0) {
        ClearInput();
        return;
    }
    CmbTeacher->setCurrentIndex(teacher);
    txtCount->setText(row->text(2));
    txtDoubles->setText(row->text(kDoublesColumn));
    mstrCourseCode = row->data(0, kCourseCodeRole).toString();
    mstrTeacherCode = row->data(0, kTeacherCodeRole).toString();
    mintCount = row->text(2).toInt();
    txtJoint->setText(row->text(kJointColumn));
    ChooseTeacher2(row->text(1));
}

void frmClassPlanInput::ClearInput() {
    CmbCourse->setCurrentIndex(-1);
    CmbTeacher->setCurrentIndex(-1);
    txtCount->clear();
    txtJoint->clear();
    txtDoubles->clear();
}

int frmClassPlanInput::doublesTyped() const {
    return std::max(0, ParseLessonCount(txtDoubles->text().trimmed()));
}

QString frmClassPlanInput::doublesText(long long doubles) {
    return doubles > 0 ? QString::number(doubles) : QString();
}

// ---- 合班 -----------------------------------------------------------------------

QStringList frmClassPlanInput::JointNames(const QString& courseCode,
                                          const QString& teacherCode) const {
    QStringList names;
    try {
        for (const QString& c : ReadJointClasses(m_ctx.db, mstrClassCode, courseCode, teacherCode))
            names << GetClassName(m_ctx.db, c);
    } catch (const std::exception&) {
    }
    return names;
}

QString frmClassPlanInput::JointText(const QString& courseCode, const QString& teacherCode) const {
    try {
        const QString first = ReadJointFirstClass(m_ctx.db, mstrClassCode, courseCode, teacherCode);
        if (!first.isEmpty())
            return QStringLiteral("随") + GetClassName(m_ctx.db, first);
    } catch (const std::exception&) {
        return {};
    }
    return JointNames(courseCode, teacherCode).join(QStringLiteral("、"));
}

bool frmClassPlanInput::SetJointClasses(const QStringList& classNames) {
    const QString title = QStringLiteral("合班");
    if (!SelectedRow() || mstrCourseCode.isEmpty()) {
        ShowError(this, title, QStringLiteral("请先在列表中选择要合班的课。"));
        return true;
    }
    try {
        QStringList codes;
        for (const QString& name : classNames) {
            const QString code = GetClassCode(m_ctx.db, name);
            if (code.isEmpty()) {
                ShowError(this, title, QStringLiteral("班级名单中没有%1。").arg(name));
                return true;
            }
            codes << code;
        }
        const QString why =
            JointClassesRefusal(m_ctx.db, mstrClassCode, mstrCourseCode, mstrTeacherCode, codes);
        if (!why.isEmpty()) {
            staMsgPanel1->setText(QStringLiteral("合班未改：") + why);
            ShowError(this, title, why + QStringLiteral("。"));
            return true;
        }
        WriteJointClasses(m_ctx.db, mstrClassCode, mstrCourseCode, mstrTeacherCode, codes);
    } catch (const std::exception& e) {
        const QString why = AsFailure(e, m_ctx.db.path()).message();
        staMsgPanel1->setText(QStringLiteral("合班未改"));
        ShowError(this, title, QStringLiteral("合班未改：") + why);
        return true;
    }
    staMsgPanel1->setText(classNames.isEmpty()
                              ? QStringLiteral("已取消合班")
                              : QStringLiteral("合班：") + classNames.join(QStringLiteral("、")));
    const QString teacherName = CmbTeacher->currentText();
    if (QTreeWidgetItem* row = RowOf(mstrCourseCode, mstrTeacherCode)) {
        row->setText(kJointColumn, JointText(mstrCourseCode, mstrTeacherCode));
        row->setToolTip(kJointColumn, row->text(kJointColumn));
        txtJoint->setText(row->text(kJointColumn));
    }
    ChooseTeacher2(teacherName);
    return false;
}

QDialog* frmClassPlanInput::JointChooser(const QStringList& chosen) {
    auto* dialog = new QDialog(this);
    dialog->setObjectName("frmJointClasses");
    dialog->setWindowTitle(QStringLiteral("合班：与本班同时上这门课的班级"));
    auto* layout = new QVBoxLayout(dialog);
    auto* hint = new QLabel(
        QStringLiteral("勾选与%1一起上%2（%3）的班级（空格键勾选）：")
            .arg(CmbClass->currentText(), CmbCourse->currentText(), CmbTeacher->currentText()),
        dialog);
    hint->setObjectName("lblJointHint");
    hint->setWordWrap(true);
    auto* list = new QListWidget(dialog);
    list->setObjectName("lstJointClasses");
    for (int i = 0; i < CmbClass->count(); ++i) {
        const QString name = CmbClass->itemText(i);
        if (i == CmbClass->currentIndex())
            continue; // a class does not join itself
        auto* item = new QListWidgetItem(name, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("btnJoint");
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdJointOK");
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdJointCancel");
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(hint);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog->resize(Twips(4200), Twips(5200));
    return dialog;
}

void frmClassPlanInput::cmdJoint_Click() {
    if (!SelectedRow() || mstrCourseCode.isEmpty()) {
        ShowError(this, QStringLiteral("合班"), QStringLiteral("请先在列表中选择要合班的课。"));
        return;
    }
    QDialog* dialog = JointChooser(JointNames(mstrCourseCode, mstrTeacherCode));
    if (dialog->exec() == QDialog::Accepted) {
        QStringList names;
        const auto* list = dialog->findChild<QListWidget*>("lstJointClasses");
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                names << list->item(i)->text();
        SetJointClasses(names);
    }
    delete dialog;
}

// Choosing the teacher that is already chosen still refreshes the statistics,
// which may have changed with the plan.
void frmClassPlanInput::ChooseTeacher2(const QString& teacherName) {
    const int index = CmbTeacher2->findText(teacherName);
    if (index == CmbTeacher2->currentIndex())
        CmbTeacher2_Click();
    else
        CmbTeacher2->setCurrentIndex(index);
}

QTreeWidgetItem* frmClassPlanInput::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = lstAllRecord->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* frmClassPlanInput::RowOf(const QString& courseCode,
                                          const QString& teacherCode) const {
    for (int i = 0; i < lstAllRecord->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lstAllRecord->topLevelItem(i);
        if (item->data(0, kCourseCodeRole).toString() == courseCode &&
            item->data(0, kTeacherCodeRole).toString() == teacherCode)
            return item;
    }
    return nullptr;
}

void frmClassPlanInput::BuildControls() {
    setObjectName("frmClassPlanInput");
    setWindowTitle(QStringLiteral("班级计划"));
    setFont(SongTi(12));
    setFixedSize(Twips(8670), Twips(8040));

    fraClass = new QGroupBox(this);
    lblClass = new QLabel(QStringLiteral("班级"), fraClass);
    CmbClass = new QComboBox(fraClass);
    CmdPrevClass = new QPushButton(QStringLiteral("上一班级(&P)"), fraClass);
    CmdNextClass = new QPushButton(QStringLiteral("下一班级(&N)"), fraClass);
    place(fraClass, 120, 60, 8430, 720);
    place(lblClass, 240, 210, 600, 330);
    place(CmbClass, 840, 150, 2700, 420);
    place(CmdPrevClass, 3840, 135, 1800, 450);
    place(CmdNextClass, 5820, 135, 1800, 450);

    fraData = new QGroupBox(this);
    lblCourse = new QLabel(QStringLiteral("课程"), fraData);
    CmbCourse = new QComboBox(fraData);
    lblFullName = new QLabel(QStringLiteral("老师"), fraData);
    CmbTeacher = new QComboBox(fraData);
    lblCount = new QLabel(QStringLiteral("节数"), fraData);
    txtCount = new QLineEdit(fraData);
    txtCount->setMaxLength(2);
    place(fraData, 120, 840, 5220, 2430);
    place(lblCourse, 300, 285, 800, 330);
    place(CmbCourse, 1200, 240, 3720, 420);
    place(lblFullName, 300, 825, 800, 330);
    place(CmbTeacher, 1200, 780, 3720, 420);
    place(lblCount, 300, 1365, 800, 330);
    place(txtCount, 1200, 1320, 900, 420);
    lblDoubles = new QLabel(QStringLiteral("其中连堂"), fraData);
    txtDoubles = new QLineEdit(fraData);
    txtDoubles->setMaxLength(2);
    txtDoubles->setToolTip(
        QStringLiteral("连堂次数：同一天相邻两节（不跨午休）算一次；不填即没有连堂"));
    place(lblDoubles, 2400, 1365, 1300, 330);
    place(txtDoubles, 3720, 1320, 900, 420);
    lblJoint = new QLabel(QStringLiteral("合班"), fraData);
    txtJoint = new QLineEdit(fraData);
    txtJoint->setReadOnly(true);
    txtJoint->setFocusPolicy(Qt::NoFocus); // shown only: 合班 is chosen with cmdJoint
    cmdJoint = new QPushButton(QStringLiteral("合班(&J)…"), fraData);
    cmdJoint->setAutoDefault(false);
    place(lblJoint, 300, 1905, 800, 330);
    place(txtJoint, 1200, 1860, 2700, 420);
    place(cmdJoint, 3990, 1860, 1110, 420);

    fraOp = new QGroupBox(this);
    cmdAppend = new QPushButton(QStringLiteral("添加(&A)"), fraOp);
    cmdDelete = new QPushButton(QStringLiteral("删除(&D)"), fraOp);
    cmdModify = new QPushButton(QStringLiteral("修改(&M)"), fraOp);
    cmdOK = new QPushButton(QStringLiteral("退出(&Q)"), fraOp);
    place(fraOp, 5460, 840, 3090, 2430);
    int y = 150;
    for (QPushButton* b : {cmdAppend, cmdDelete, cmdModify, cmdOK}) {
        place(b, 645, y, 1800, 390);
        b->setAutoDefault(false);
        y += 435;
    }
    for (QPushButton* b : {CmdPrevClass, CmdNextClass})
        b->setAutoDefault(false);

    lstAllRecord = new QTreeWidget(this);
    setupReportList(lstAllRecord,
                    {QStringLiteral("课程"), QStringLiteral("老师"), QStringLiteral("节数"),
                     QStringLiteral("连堂"), QStringLiteral("合班")},
                    {1400, 1300, 600, 600, 1300});
    place(lstAllRecord, 120, 3390, 5220, 4095);

    fraTeacher = new QGroupBox(QStringLiteral("老师任课统计"), this);
    CmbTeacher2 = new QComboBox(fraTeacher);
    lblTeacherName = new QLabel(QStringLiteral("任课计划"), fraTeacher);
    lstTeacherInfo = new QTreeWidget(fraTeacher);
    setupReportList(lstTeacherInfo,
                    {QStringLiteral("班级"), QStringLiteral("课程"), QStringLiteral("节数")},
                    {1050, 1000, 550});
    lblTeacherSum = new QLabel(fraTeacher);
    place(fraTeacher, 5460, 3390, 3090, 4095);
    place(CmbTeacher2, 195, 390, 2700, 420);
    place(lblTeacherName, 195, 870, 2700, 300);
    place(lstTeacherInfo, 195, 1200, 2700, 2775);
    place(lblTeacherSum, 195, 4245, 2700, 330);

    staMsg = new QStatusBar(this);
    staMsg->setSizeGripEnabled(false);
    staMsgPanel1 = new QLabel(staMsg);
    staMsgPanel2 = new QLabel(staMsg);
    staMsgPanel3 = new QLabel(staMsg);
    staMsgPanel4 = new QLabel(staMsg);
    staMsg->addWidget(staMsgPanel1, 4);
    staMsg->addWidget(staMsgPanel2, 2);
    staMsg->addWidget(staMsgPanel3, 1);
    staMsg->addWidget(staMsgPanel4, 1);
    place(staMsg, 0, 7620, 8670, 420);

    const std::pair<QWidget*, const char*> names[] = {
        {fraClass, "fraClass"},
        {lblClass, "lblClass"},
        {CmbClass, "CmbClass"},
        {CmdPrevClass, "CmdPrevClass"},
        {CmdNextClass, "CmdNextClass"},
        {fraData, "fraData"},
        {lblCourse, "lblCourse"},
        {CmbCourse, "CmbCourse"},
        {lblFullName, "lblFullName"},
        {CmbTeacher, "CmbTeacher"},
        {lblCount, "lblCount"},
        {txtCount, "txtCount"},
        {lblDoubles, "lblDoubles"},
        {txtDoubles, "txtDoubles"},
        {fraOp, "fraOp"},
        {cmdAppend, "cmdAppend"},
        {cmdDelete, "cmdDelete"},
        {cmdModify, "cmdModify"},
        {cmdOK, "cmdOK"},
        {lstAllRecord, "lstAllRecord"},
        {fraTeacher, "fraTeacher"},
        {CmbTeacher2, "CmbTeacher2"},
        {lblTeacherName, "lblTeacherName"},
        {lstTeacherInfo, "lstTeacherInfo"},
        {lblTeacherSum, "lblTeacherSum"},
        {staMsg, "staMsg"},
        {staMsgPanel1, "staMsgPanel1"},
        {staMsgPanel2, "staMsgPanel2"},
        {staMsgPanel3, "staMsgPanel3"},
        {staMsgPanel4, "staMsgPanel4"},
        {lblJoint, "lblJoint"},
        {txtJoint, "txtJoint"},
        {cmdJoint, "cmdJoint"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(name);

    QWidget* order[] = {CmbClass,  CmdPrevClass, CmdNextClass, CmbCourse,      CmbTeacher,
                        txtCount,  txtDoubles,   cmdJoint,     cmdAppend,      cmdDelete,
                        cmdModify, cmdOK,        lstAllRecord, lstTeacherInfo, CmbTeacher2};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}
