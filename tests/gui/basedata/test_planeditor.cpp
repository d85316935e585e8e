// The teaching-plan window driven offscreen: adding, the one-teacher rule,
// modify and delete by the right row, the summaries and the input checks.
#include "FakeDialogs.h"
#include "TestDb.h"

#include "core/store/PlanStore.h"
#include "core/store/Sql.h"
#include "gui/basedata/frmClassPlanInput.h"
#include "gui/widgets/AppContext.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

struct School {
    TestDb t;
    AppContext ctx;

    School() {
        t.addClass("11", "一(1)班");
        t.addClass("12", "一(2)班");
        t.addCourse("1", "数学");
        t.addCourse("10", "数学活动");
        t.addCourse("2", "语文");
        t.addTeacher("T2", "李老师");
        t.addTeacher("T1", "张老师");
    }
    std::unique_ptr<frmClassPlanInput> open() {
        t.db.close();
        if (!ctx.db.open(t.path))
            return nullptr;
        auto w = std::make_unique<frmClassPlanInput>(ctx);
        w->show();
        return w;
    }
    long long count(const char* q) { return sql::firstInt(ctx.db.sql(), -1, q); }
    QString planRows() {
        SQLite::Statement st(ctx.db.sql(), "select ClassCode, CourseCode, TeacherCode, Count "
                                           "from ClassPlantb order by rowid");
        QStringList rows;
        while (st.executeStep())
            rows << QStringLiteral("%1/%2/%3/%4")
                        .arg(sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                             sql::text(st.getColumn(2)), sql::text(st.getColumn(3)));
        return rows.join(' ');
    }
};

QStringList listRows(QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = list->topLevelItem(i);
        rows << it->text(0) + "/" + it->text(1) + "/" + it->text(2);
    }
    return rows;
}

void enter(frmClassPlanInput& w, const QString& course, const QString& teacher,
           const QString& count) {
    w.CmbCourse->setCurrentIndex(w.CmbCourse->findText(course));
    w.CmbTeacher->setCurrentIndex(w.CmbTeacher->findText(teacher));
    w.txtCount->setText(count);
}

void select(frmClassPlanInput& w, int row) {
    QTreeWidgetItem* item = w.lstAllRecord->topLevelItem(row);
    const QRect r = w.lstAllRecord->visualItemRect(item);
    QTest::mouseClick(w.lstAllRecord->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

bool isRed(QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(255, 0, 0);
}

} // namespace

class TestPlanEditor : public QObject {
    Q_OBJECT
private slots:
    void lessonCountTexts_data();
    void lessonCountTexts();
    void openingShowsTheFirstClassAndRow();
    void enterAddsAndAddingAgainRaisesTheCount();
    void secondTeacherForACourseIsRefused();
    void inputChecks_data();
    void inputChecks();
    void modifyRewritesTheRememberedRowOnly();
    void modifyOfAVanishedRowChangesNothing();
    void deleteTakesTheClassLessonsAlong();
    void deleteAnsweredNoOrWithoutRowChangesNothing();
    void emptyClassAndClassStepping();
    void teacherStatistics();
    void columnClickSortsByTextAndFlips();
    void doubleLessonsGoWithTheirRow();
    void tabOrder();
    void jointClassesAreChosenForTheRow();
};

void TestPlanEditor::lessonCountTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("99") << "99" << 99;
    QTest::newRow("leading zero") << "07" << 7;
    QTest::newRow("x1") << "x1" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("fraction") << ".5" << -1;
    QTest::newRow("full-width digit") << "５" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestPlanEditor::lessonCountTexts() {
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(ParseLessonCount(text), count);
}

void TestPlanEditor::openingShowsTheFirstClassAndRow() {
    School s;
    s.t.addPlan("11", "2", "T1", 6);
    s.t.addPlan("11", "1", "T2", 5);
    FakeDialogs dialogs;
    auto w = s.open();
    QCOMPARE(w->CmbClass->currentText(), QStringLiteral("一(1)班"));
    QCOMPARE(w->staMsgPanel2->text(), QStringLiteral("一(1)班"));
    QCOMPARE(listRows(w->lstAllRecord), QStringList({"语文/张老师/6", "数学/李老师/5"}));
    QCOMPARE(w->staMsgPanel3->text(), QStringLiteral("2 门"));
    QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("11 节"));
    // The teacher lists are in code order.
    QCOMPARE(w->CmbTeacher->itemText(0), QStringLiteral("张老师"));
    QCOMPARE(w->CmbTeacher->currentText(), QStringLiteral("张老师"));
    QCOMPARE(w->txtCount->text(), QStringLiteral("6"));
    QCOMPARE(w->CmbTeacher2->currentText(), QStringLiteral("张老师"));
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  6  节课"));
    QCOMPARE(w->focusWidget(), w->CmbClass);
    // The arrow keys choose a row as a click does.
    QTest::keyClick(w->lstAllRecord, Qt::Key_Down);
    QCOMPARE(w->CmbCourse->currentText(), QStringLiteral("数学"));
    QCOMPARE(w->txtCount->text(), QStringLiteral("5"));
    QCOMPARE(w->teacherCode(), QStringLiteral("T2"));
    QVERIFY(dialogs.shown.isEmpty());
    // KBXT_SCREENSHOT_DIR=<folder> keeps a picture of the window for review.
    if (qEnvironmentVariableIsSet("KBXT_SCREENSHOT_DIR"))
        w->grab().save(qEnvironmentVariable("KBXT_SCREENSHOT_DIR") + "/frmClassPlanInput.png");
}

void TestPlanEditor::enterAddsAndAddingAgainRaisesTheCount() {
    School s;
    FakeDialogs dialogs;
    auto w = s.open();
    enter(*w, "语文", "张老师", "5");
    w->txtCount->setFocus();
    QTest::keyClick(w->txtCount, Qt::Key_Return);
    QCOMPARE(s.planRows(), QStringLiteral("11/2/T1/5"));
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("添加记录成功！添加了1条记录"));
    QCOMPARE(w->focusWidget(), w->CmbCourse);
    QCOMPARE(w->CmbCourse->currentIndex(), -1);
    QCOMPARE(w->txtCount->text(), QString());

    enter(*w, "语文", "张老师", " 2 ");
    w->cmdAppend->click();
    QCOMPARE(s.planRows(), QStringLiteral("11/2/T1/7"));
    QCOMPARE(listRows(w->lstAllRecord), QStringList({"语文/张老师/7"}));
    QCOMPARE(w->staMsgPanel3->text(), QStringLiteral("1 门"));
    QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("7 节"));
    QCOMPARE(w->CmbTeacher2->currentText(), QStringLiteral("张老师"));
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  7  节课"));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestPlanEditor::secondTeacherForACourseIsRefused() {
    School s;
    s.t.addPlan("11", "2", "T1", 5);
    FakeDialogs dialogs;
    auto w = s.open();
    enter(*w, "语文", "李老师", "3");
    w->txtCount->setFocus();
    QTest::keyClick(w->txtCount, Qt::Key_Enter);
    QCOMPARE(s.planRows(), QStringLiteral("11/2/T1/5"));
    QCOMPARE(dialogs.lastTitle(), QStringLiteral("添加失败"));
    QCOMPARE(dialogs.lastText(), QStringLiteral("添加记录失败  不允许一门课多个老师"));
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Error);
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("添加记录失败   不允许一门课多个老师"));
    QCOMPARE(w->focusWidget(), w->txtCount); // a failed Enter stays put
    // The same teacher for the course in another class is fine.
    w->CmdNextClass->click();
    enter(*w, "语文", "李老师", "3");
    QVERIFY(!w->AppendRecord());
    QCOMPARE(s.planRows(), QStringLiteral("11/2/T1/5 12/2/T2/3"));
}

void TestPlanEditor::inputChecks_data() {
    QTest::addColumn<QString>("course");
    QTest::addColumn<QString>("teacher");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("red"); // fields marked red, in order course, teacher, count
    QTest::newRow("empty count") << "语文"
                                 << "张老师"
                                 << "  "
                                 << "请输入节数。"
                                 << "001";
    QTest::newRow("x1") << "语文"
                        << "张老师"
                        << "x1"
                        << "节数必须是数字。"
                        << "001";
    QTest::newRow("no teacher") << "语文"
                                << ""
                                << "3"
                                << "请选择教师。"
                                << "010";
    QTest::newRow("nothing") << ""
                             << ""
                             << ""
                             << "请选择课程。"
                             << "111";
    QTest::newRow("no course, bad count") << ""
                                          << "张老师"
                                          << "a"
                                          << "请选择课程。"
                                          << "101";
    QTest::newRow("zero passes") << "语文"
                                 << "张老师"
                                 << "0"
                                 << ""
                                 << "000";
}

void TestPlanEditor::inputChecks() {
    QFETCH(QString, course);
    QFETCH(QString, teacher);
    QFETCH(QString, count);
    QFETCH(QString, message);
    QFETCH(QString, red);
    School s;
    FakeDialogs dialogs;
    auto w = s.open();
    enter(*w, course, teacher, count);
    QCOMPARE(w->AppendRecord(), !message.isEmpty());
    QCOMPARE(s.count("select count(*) from ClassPlantb"), message.isEmpty() ? 1 : 0);
    if (message.isEmpty())
        return;
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastText(), message);
    QCOMPARE(dialogs.lastTitle(), QStringLiteral("输入检查信息"));
    const QString marks = QString::number(isRed(w->CmbCourse)) +
                          QString::number(isRed(w->CmbTeacher)) +
                          QString::number(isRed(w->txtCount));
    QCOMPARE(marks, red);
    QWidget* first = red[0] == '1'   ? static_cast<QWidget*>(w->CmbCourse)
                     : red[1] == '1' ? static_cast<QWidget*>(w->CmbTeacher)
                                     : w->txtCount;
    QCOMPARE(w->focusWidget(), first);
    QVERIFY(!isRed(w->CmbClass));
}

void TestPlanEditor::modifyRewritesTheRememberedRowOnly() {
    School s;
    // "数学活动" above "数学": a name that begins like another must not be
    // mistaken for it.
    s.t.addPlan("11", "10", "T2", 2);
    s.t.addPlan("11", "1", "T1", 5);
    s.t.addLesson("11", 1, 1, "1", "T1", 1);
    FakeDialogs dialogs;
    auto w = s.open();
    select(*w, 1);
    QCOMPARE(w->courseCode(), QStringLiteral("1"));
    QCOMPARE(w->teacherCode(), QStringLiteral("T1"));
    QCOMPARE(w->count(), 5);
    enter(*w, "语文", "李老师", "3");
    QVERIFY(!w->ModifyRecord());
    QCOMPARE(s.planRows(), QStringLiteral("11/10/T2/2 11/2/T2/3"));
    QCOMPARE(listRows(w->lstAllRecord), QStringList({"数学活动/李老师/2", "语文/李老师/3"}));
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("修改记录成功！修改了1条记录"));
    QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("5 节"));
    QCOMPARE(w->CmbTeacher2->currentText(), QStringLiteral("李老师"));
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  5  节课"));
    // The timetable keeps the lesson as it was given.
    QCOMPARE(s.count("select count(*) from LessonListtb where CourseCode='1' and TeacherCode='T1'"),
             1);
    QCOMPARE(w->courseCode(), QStringLiteral("2"));
    QCOMPARE(w->count(), 3);
    // The remembered key follows the modify: modifying again rewrites the same row.
    enter(*w, "语文", "李老师", "4");
    QVERIFY(!w->ModifyRecord());
    QCOMPARE(s.planRows(), QStringLiteral("11/10/T2/2 11/2/T2/4"));
    QCOMPARE(listRows(w->lstAllRecord), QStringList({"数学活动/李老师/2", "语文/李老师/4"}));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestPlanEditor::modifyOfAVanishedRowChangesNothing() {
    School s;
    s.t.addPlan("11", "1", "T1", 5);
    FakeDialogs dialogs;
    auto w = s.open();
    select(*w, 0);
    sql::exec(s.ctx.db.sql(), "update ClassPlantb set Count=6");
    enter(*w, "语文", "张老师", "3");
    QVERIFY(w->ModifyRecord());
    QCOMPARE(s.planRows(), QStringLiteral("11/1/T1/6"));
    QCOMPARE(dialogs.lastTitle(), QStringLiteral("修改失败"));
    QCOMPARE(dialogs.lastText(), QStringLiteral("修改记录失败！"));
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("修改记录失败"));

    // Nothing chosen in the list: refused before anything is written.
    w->lstAllRecord->clearSelection();
    dialogs.clear();
    enter(*w, "语文", "张老师", "3");
    QVERIFY(w->ModifyRecord());
    QVERIFY(w->DeleteRecord());
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("请先在列表中选择要修改的记录。"));
    QCOMPARE(dialogs.shown[1].text, QStringLiteral("请先在列表中选择要删除的记录。"));
    QCOMPARE(s.planRows(), QStringLiteral("11/1/T1/6"));
}

void TestPlanEditor::deleteTakesTheClassLessonsAlong() {
    School s;
    s.t.addPlan("11", "10", "T1", 2);
    s.t.addPlan("11", "1", "T1", 5);
    s.t.addPlan("12", "1", "T1", 4);
    s.t.addLesson("11", 1, 1, "1", "T1", 1);
    s.t.addLesson("11", 1, 2, "1", "T1", 0);
    s.t.addLesson("11", 2, 1, "10", "T1", 1);
    s.t.addLesson("12", 1, 3, "1", "T1", 1);
    FakeDialogs dialogs;
    dialogs.answers.enqueue(UiDialogs::Answer::Yes);
    auto w = s.open();
    select(*w, 1);
    QTest::keyClick(w->lstAllRecord, Qt::Key_Delete);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastTitle(), QStringLiteral("数据删除"));
    QCOMPARE(dialogs.lastText(), QStringLiteral("警告： 确定要删除 '张老师'的'数学' 吗？(Y/N)？"));
    QCOMPARE(dialogs.shown.last().buttons, UiDialogs::Buttons::YesNo);
    QCOMPARE(s.planRows(), QStringLiteral("11/10/T1/2 12/1/T1/4"));
    QCOMPARE(s.count("select count(*) from LessonListtb where ClassCode='11' and CourseCode='1'"),
             0);
    QCOMPARE(s.count("select count(*) from LessonListtb"), 2);
    QCOMPARE(listRows(w->lstAllRecord), QStringList({"数学活动/张老师/2"}));
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("删除记录成功！删除了1条记录"));
    QCOMPARE(w->staMsgPanel3->text(), QStringLiteral("1 门"));
    QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("2 节"));
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  6  节课"));
    QCOMPARE(w->txtCount->text(), QString());
    QVERIFY(w->lstAllRecord->selectedItems().isEmpty());
}

void TestPlanEditor::deleteAnsweredNoOrWithoutRowChangesNothing() {
    School s;
    s.t.addPlan("11", "1", "T1", 5);
    s.t.addLesson("11", 1, 1, "1", "T1", 1);
    FakeDialogs dialogs;
    dialogs.answers.enqueue(UiDialogs::Answer::No);
    auto w = s.open();
    select(*w, 0);
    QVERIFY(w->DeleteRecord());
    QCOMPARE(dialogs.shown.size(), 1);
    // The input names a teacher who does not give this course: no question, no change.
    enter(*w, "数学", "李老师", "5");
    QVERIFY(w->DeleteRecord());
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.lastTitle(), QStringLiteral("删除失败"));
    QCOMPARE(s.planRows(), QStringLiteral("11/1/T1/5"));
    QCOMPARE(s.count("select count(*) from LessonListtb"), 1);
    QCOMPARE(w->lstAllRecord->topLevelItemCount(), 1);
}

void TestPlanEditor::emptyClassAndClassStepping() {
    School s;
    s.t.addPlan("11", "1", "T1", 5);
    FakeDialogs dialogs;
    auto w = s.open();
    w->CmdPrevClass->click();
    QCOMPARE(w->CmbClass->currentIndex(), 0);
    w->CmdNextClass->click();
    QCOMPARE(w->classCode(), QStringLiteral("12"));
    QCOMPARE(w->staMsgPanel2->text(), QStringLiteral("一(2)班"));
    QCOMPARE(w->lstAllRecord->topLevelItemCount(), 0);
    QCOMPARE(w->staMsgPanel3->text(), QStringLiteral("0 门"));
    QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("0 节"));
    QCOMPARE(w->CmbCourse->currentIndex(), -1);
    QCOMPARE(w->CmbTeacher->currentIndex(), -1);
    QCOMPARE(w->txtCount->text(), QString());
    w->CmdNextClass->click();
    QCOMPARE(w->CmbClass->currentIndex(), 1);
}

void TestPlanEditor::teacherStatistics() {
    School s;
    s.t.addPlan("11", "1", "T1", 5);
    s.t.addPlan("12", "2", "T1", 7);
    s.t.addPlan("12", "1", "T2", 4);
    FakeDialogs dialogs;
    auto w = s.open();
    w->CmbTeacher2->setCurrentIndex(w->CmbTeacher2->findText("张老师"));
    QCOMPARE(listRows(w->lstTeacherInfo), QStringList({"一(1)班/数学/5", "一(2)班/语文/7"}));
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  12  节课"));
    w->CmbTeacher2->setCurrentIndex(-1);
    QCOMPARE(w->lstTeacherInfo->topLevelItemCount(), 0);
    QCOMPARE(w->lblTeacherSum->text(), QString());
}

void TestPlanEditor::columnClickSortsByTextAndFlips() {
    School s;
    s.t.addPlan("11", "2", "T1", 9);
    s.t.addPlan("11", "1", "T2", 10);
    s.t.addPlan("11", "10", "T1", 5);
    FakeDialogs dialogs;
    auto w = s.open();
    auto counts = [&] {
        QStringList c;
        for (int i = 0; i < w->lstAllRecord->topLevelItemCount(); ++i)
            c << w->lstAllRecord->topLevelItem(i)->text(2);
        return c;
    };
    emit w->lstAllRecord->header()->sectionClicked(2);
    QCOMPARE(counts(), QStringList({"10", "5", "9"}));
    emit w->lstAllRecord->header()->sectionClicked(2);
    QCOMPARE(counts(), QStringList({"9", "5", "10"}));
    emit w->lstAllRecord->header()->sectionClicked(1);
    QCOMPARE(w->lstAllRecord->topLevelItem(0)->text(1), QStringLiteral("李老师"));
    QCOMPARE(w->lstAllRecord->topLevelItem(2)->text(1), QStringLiteral("张老师"));
}

void TestPlanEditor::doubleLessonsGoWithTheirRow() {
    School s;
    FakeDialogs dialogs;
    auto w = s.open();
    const char* doubles = "select group_concat(ClassCode||'/'||CourseCode||'/'||TeacherCode||'/'||"
                          "DoubleCount,' ') from PlanDoubletb";
    const char* rows = "select count(*) from PlanDoubletb";
    // A row without double lessons has none stored.
    enter(*w, "数学", "李老师", "5");
    QVERIFY(!w->AppendRecord());
    QCOMPARE(s.count(rows), 0);

    // More double lessons than half the count: refused, nothing written.
    enter(*w, "语文", "张老师", "6");
    w->txtDoubles->setText("4");
    QVERIFY(w->AppendRecord());
    QVERIFY(isRed(w->txtDoubles));
    QVERIFY(dialogs.lastText().contains(QStringLiteral("连堂次数不能超过节数的一半")));
    QCOMPARE(s.count(rows), 0);
    w->txtDoubles->setText("x");
    QVERIFY(w->AppendRecord());
    QCOMPARE(dialogs.lastText(), QStringLiteral("连堂次数必须是数字。"));

    // Entered by keyboard: Enter in the field adds the row with them.
    w->txtDoubles->setText("2");
    w->txtDoubles->setFocus();
    QTest::keyClick(w->txtDoubles, Qt::Key_Return);
    QCOMPARE(s.planRows(), QStringLiteral("11/1/T2/5 11/2/T1/6"));
    QCOMPARE(sql::firstText(s.ctx.db.sql(), doubles), QStringLiteral("11/2/T1/2"));
    QCOMPARE(w->lstAllRecord->topLevelItem(1)->text(3), QStringLiteral("2"));
    QCOMPARE(w->lstAllRecord->topLevelItem(0)->text(3), QString());

    // Modified to another teacher and one double lesson: they go along.
    select(*w, 1);
    QCOMPARE(w->txtDoubles->text(), QStringLiteral("2"));
    enter(*w, "语文", "李老师", "6");
    w->txtDoubles->setText("1");
    QVERIFY(!w->ModifyRecord());
    QCOMPARE(sql::firstText(s.ctx.db.sql(), doubles), QStringLiteral("11/2/T2/1"));
    QCOMPARE(w->lstAllRecord->topLevelItem(1)->text(3), QStringLiteral("1"));

    // Deleted: none left behind for a later row of the same key.
    dialogs.answers.enqueue(UiDialogs::Answer::Yes);
    select(*w, 1);
    QVERIFY(!w->DeleteRecord());
    QCOMPARE(s.count(rows), 0);
}

void TestPlanEditor::tabOrder() {
    School s;
    auto w = s.open();
    QStringList chain;
    QWidget* next = w->CmbClass;
    for (int i = 0; i < 15; ++i) {
        chain << next->objectName();
        do
            next = next->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || next->objectName().isEmpty());
    }
    QCOMPARE(chain,
             QStringList({"CmbClass", "CmdPrevClass", "CmdNextClass", "CmbCourse", "CmbTeacher",
                          "txtCount", "txtDoubles", "cmdJoint", "cmdAppend", "cmdDelete",
                          "cmdModify", "cmdOK", "lstAllRecord", "lstTeacherInfo", "CmbTeacher2"}));
}

void TestPlanEditor::jointClassesAreChosenForTheRow() {
    School s;
    s.t.addClass("13", "一(3)班");
    s.t.addPlan("11", "2", "T1", 5);
    s.t.addPlan("11", "1", "T1", 4);
    s.t.addPlan("12", "1", "T2", 4);
    FakeDialogs dialogs;
    auto w = s.open();
    select(*w, 0); // 语文, 张老师
    QVERIFY(w->SetJointClasses({"一(1)班"}));
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("班级不能与自己合班。"));
    QVERIFY(w->SetJointClasses({"一(9)班"}));
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("班级名单中没有一(9)班。"));
    select(*w, 1); // 数学, 张老师: 一(2)班 has 数学 with 李老师
    QVERIFY(w->SetJointClasses({"一(2)班"}));
    QCOMPARE(dialogs.shown.last().text,
             QStringLiteral("一(2)班的这门课由另一位老师（李老师）上，不能合班。"));
    QCOMPARE(s.count("select count(*) from ClassPlantb"), 3LL);

    select(*w, 0);
    QVERIFY(!w->SetJointClasses({"一(2)班", "一(3)班"}));
    QCOMPARE(w->lstAllRecord->topLevelItem(0)->text(4), QStringLiteral("一(2)班、一(3)班"));
    QCOMPARE(w->txtJoint->text(), QStringLiteral("一(2)班、一(3)班"));
    // The teacher gives a joint lesson once: 语文 5 and 数学 4, not 5 three times.
    QCOMPARE(w->lblTeacherSum->text(), QStringLiteral("共  9  节课"));
    // The other classes plan the lessons too, and the teacher's week shows them.
    QCOMPARE(s.planRows(), QStringLiteral("11/2/T1/5 11/1/T1/4 12/1/T2/4 12/2/T1/5 13/2/T1/5"));
    w->CmbClass->setCurrentIndex(w->CmbClass->findText("一(3)班"));
    QCOMPARE(w->lstAllRecord->topLevelItem(0)->text(4), QStringLiteral("随一(1)班"));
    // A joint row takes no double lessons.
    w->CmbClass->setCurrentIndex(w->CmbClass->findText("一(1)班"));
    select(*w, 0);
    w->txtDoubles->setText("1");
    QVERIFY(w->ModifyRecord());
    QCOMPARE(dialogs.shown.last().text,
             QStringLiteral("合班的课不能连堂：请先取消合班，或把其中连堂清空。"));
    QCOMPARE(s.count("select count(*) from PlanDoubletb where DoubleCount > 0"), 0LL);
    w->CmbClass->setCurrentIndex(w->CmbClass->findText("一(3)班"));

    // The chooser offers every other class, checked where it joins; Space
    // toggles, Enter takes it.
    w->CmbClass->setCurrentIndex(w->CmbClass->findText("一(1)班"));
    select(*w, 0);
    std::unique_ptr<QDialog> chooser(w->JointChooser({"一(3)班"}));
    auto* list = chooser->findChild<QListWidget*>("lstJointClasses");
    QVERIFY(list);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("一(2)班"));
    QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(list->item(1)->checkState(), Qt::Checked);
    chooser->show();
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->item(0)->checkState(), Qt::Checked);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(chooser->result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestPlanEditor)
#include "test_planeditor.moc"
