#include "FakeDialogs.h"
#include "GridCells.h"
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "TimetableInvariants.h"
#include "core/store/Lookups.h"
#include "core/store/PresetLessons.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/widgets/StatusPanels.h"
#include "gui/widgets/TimetableGrid.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

// Class 11 plans 语文 (2, 张), 数学 (1, 李), 英语 (1, 王) and 班会 (1, 陈);
// class 12 plans 数学 (1, 李) and 英语 (2, 王); class 21 has no plan.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班", "一年级（1）班", "一1");
    t.addClass("12", "一（2）班", "一年级（2）班", "一2");
    t.addClass("21", "二（1）班", "二年级（1）班", "二1");
    t.addCourse("1", "语文");
    t.addCourse("2", "数学");
    t.addCourse("3", "英语");
    t.addCourse("5", "班会");
    t.addTeacher("T1", "张老师");
    t.addTeacher("T2", "李老师");
    t.addTeacher("T3", "王老师");
    t.addTeacher("T5", "陈老师");
    t.addTeacher("T6", "周老师");
    t.addPlan("11", "1", "T1", 2);
    t.addPlan("11", "2", "T2", 1);
    t.addPlan("11", "3", "T3", 1);
    t.addPlan("11", "5", "T5", 1);
    t.addPlan("12", "2", "T2", 1);
    t.addPlan("12", "3", "T3", 2);
}

// A lesson already in the timetable, counted in its plan row.
void addCounted(TestDb& t, const QString& cls, int day, int lessonNo, const QString& course,
                const QString& teacher, int setFlag) {
    t.addLesson(cls, day, lessonNo, course, teacher, setFlag);
    t.exec(QStringLiteral("update ClassPlantb set BuildCount=BuildCount+1 where ClassCode='%1'"
                          " and CourseCode='%2' and TeacherCode='%3'")
               .arg(cls, course, teacher));
}

QStringList listed(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

QString selectedCourse(const QListWidget* list) {
    return list->currentItem() ? list->currentItem()->text() : QString();
}

long long buildCount(TestContext& c, const char* cls, const char* course, const char* teacher) {
    return c.count(QStringLiteral("select BuildCount from ClassPlantb where ClassCode='%1' and"
                                  " CourseCode='%2' and TeacherCode='%3'")
                       .arg(cls, course, teacher));
}

} // namespace

class TestSetLesson : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstClassWithCoursesByCode();
    void presetIntoGeneratedPeriodReplacesIt();
    void chosenCourseStaysChosenUntilFullyPreset();
    void cyanOnlyWhereClassAndTeacherHaveNoPresetLesson();
    void presetTakesTheTeacherOutOfAGeneratedLessonElsewhere();
    void separatorAndHeaderClicksIgnored();
    void rightClickDeletesAndLowersOnlyOwnTeachersRow();
    void classWithoutPlanOffersNothing();
    void overPresetCourseNotListed();
    void sevenLessonsReachTheLastRow();
    void failedReplaceChangesNothing();
    void timeOffOfCourseTeacherAndClassNotOffered();
    void closedDatabaseOnlyReportsReadFailure();
};

void TestSetLesson::opensOnFirstClassWithCoursesByCode() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmSetLesson w(c.ctx);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（1）班"));
    QCOMPARE(listed(w.lstCourse), (QStringList{"语文", "数学", "英语", "班会"}));
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("语文"));
    QCOMPARE(w.mstrTeacherCode, QStringLiteral("T1"));
    QCOMPARE(w.staMsg->panelText(1),
             QStringLiteral("鼠标左键单击青色课时 -- 安排课时       鼠标右键 -- 删除设置的课程"));
    QCOMPARE(w.staMsg->panelText(2), QStringLiteral("一（1）班  预排课程"));
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Free).size(), 30);

    w.CmdPrevClass->click(); // at the first class: nothing
    QCOMPARE(w.CmbClass->currentIndex(), 0);
    w.CmdNextClass->click();
    QCOMPARE(w.mstrClassCode, QStringLiteral("12"));
    QCOMPARE(w.staMsg->panelText(2), QStringLiteral("一（2）班  预排课程"));
    QCOMPARE(listed(w.lstCourse), (QStringList{"数学", "英语"}));
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("数学"));
    w.CmdNextClass->click();
    w.CmdNextClass->click(); // at the last class: nothing
    QCOMPARE(w.CmbClass->currentIndex(), 2);
}

void TestSetLesson::presetIntoGeneratedPeriodReplacesIt() {
    TestDb t;
    fillSchool(t);
    addCounted(t, "11", 1, 1, "1", "T1", 1); // generated 语文 on Monday, lesson 1
    TestContext c(t);
    frmSetLesson w(c.ctx);
    w.lstCourse->setCurrentRow(1); // 数学
    QCOMPARE(w.mstrCourseCode, QStringLiteral("2"));
    QCOMPARE(GridCellColour(w.MSFlexGrid1, 1, 1), CellColour::Free);

    ClickCell(w.MSFlexGrid1, 1, 1);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 1LL);
    QCOMPARE(c.text("select CourseCode||TeacherCode||SetFlag from LessonListtb"
                    " where ClassCode='11' and Day=1 and LessonNo=1"),
             QStringLiteral("2T20"));
    QCOMPARE(buildCount(c, "11", "1", "T1"), 0LL);
    QCOMPARE(buildCount(c, "11", "2", "T2"), 1LL);
    QCOMPARE(GridCellText(w.MSFlexGrid1, 1, 1), QStringLiteral("数学"));
    QCOMPARE(GridCellColour(w.MSFlexGrid1, 1, 1), CellColour::Normal);
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("写入成功；数学 已全部预排")));
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestSetLesson::chosenCourseStaysChosenUntilFullyPreset() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmSetLesson w(c.ctx);

    // 英语 of 一（2）班 moves to the top once it has a lesson pre-set: it
    // stays the chosen course, so the next click pre-sets 英语 again.
    w.CmdNextClass->click();
    w.lstCourse->setCurrentRow(1);
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("英语"));
    ClickCell(w.MSFlexGrid1, 1, 1);
    QCOMPARE(listed(w.lstCourse), (QStringList{"英语", "数学"}));
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("英语"));
    ClickCell(w.MSFlexGrid1, 1, 2);
    QCOMPARE(c.count("select count(*) from LessonListtb where ClassCode='12' and CourseCode='3'"),
             2LL);
    QCOMPARE(c.count("select count(*) from LessonListtb where ClassCode='12' and CourseCode='2'"),
             0LL);

    // 数学 of 一（1）班 has one lesson: once fixed it leaves and nothing is
    // chosen in its place; a click on the grid then pre-sets nothing.
    w.CmdPrevClass->click();
    w.lstCourse->setCurrentRow(1);
    ClickCell(w.MSFlexGrid1, 2, 1);
    QCOMPARE(listed(w.lstCourse), (QStringList{"语文", "英语", "班会"}));
    QCOMPARE(selectedCourse(w.lstCourse), QString());
    QVERIFY(w.mstrCourseCode.isEmpty());
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QVERIFY(w.staMsg->panelText(3).contains(QStringLiteral("数学 已全部预排")));
    ClickCell(w.MSFlexGrid1, 3, 1);
    QCOMPARE(c.count("select count(*) from LessonListtb where ClassCode='11'"), 1LL);

    // Deleting brings the course back; the course chosen stays chosen.
    w.lstCourse->setCurrentRow(0);
    ClickCell(w.MSFlexGrid1, 2, 1, Qt::RightButton);
    QCOMPARE(listed(w.lstCourse), (QStringList{"语文", "数学", "英语", "班会"}));
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("语文"));
    QCOMPARE(c.count("select count(*) from LessonListtb where SetFlag=0"), 2LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestSetLesson::cyanOnlyWhereClassAndTeacherHaveNoPresetLesson() {
    TestDb t;
    fillSchool(t);
    addCounted(t, "12", 2, 2, "2", "T2", 0); // 李 fixed in class 12 on Tuesday 2
    addCounted(t, "12", 3, 3, "3", "T3", 1); // 王 generated in class 12: no block
    addCounted(t, "11", 4, 4, "5", "T5", 0); // class 11's own fixed 班会
    addCounted(t, "11", 5, 6, "1", "T1", 1); // class 11's generated 语文: may be replaced
    TestContext c(t);
    frmSetLesson w(c.ctx);

    w.lstCourse->setCurrentRow(1); // 数学, 李
    QStringList cyan = CellsOfColour(w.MSFlexGrid1, CellColour::Free);
    QCOMPARE(cyan.size(), 28);
    QVERIFY(!cyan.contains("2-2"));
    QVERIFY(!cyan.contains("4-4"));
    QVERIFY(cyan.contains("5-6"));

    w.lstCourse->setCurrentRow(2); // 英语, 王
    cyan = CellsOfColour(w.MSFlexGrid1, CellColour::Free);
    QCOMPARE(cyan.size(), 29);
    QVERIFY(cyan.contains("3-3"));
    QVERIFY(cyan.contains("2-2"));

    // A left click on a non-cyan cell writes nothing.
    ClickCell(w.MSFlexGrid1, 4, 4);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 4LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

// After a generation the teacher may still be fixed at a period where a
// generated lesson of another class holds them: that lesson becomes unplaced
// instead of leaving the teacher in two classes at once.
void TestSetLesson::presetTakesTheTeacherOutOfAGeneratedLessonElsewhere() {
    TestDb t;
    fillSchool(t);
    addCounted(t, "12", 2, 2, "2", "T2", 2); // 李 placed by hand in class 12
    addCounted(t, "12", 3, 3, "3", "T3", 1); // 王 generated in class 12
    addCounted(t, "12", 4, 4, "3", "T3", 1); // and once more, elsewhere
    TestContext c(t);
    frmSetLesson w(c.ctx);
    for (const char* course : {"数学", "英语"}) {
        w.lstCourse->setCurrentItem(w.lstCourse->findItems(course, Qt::MatchExactly).value(0));
        const int period = w.mstrTeacherCode == "T2" ? 2 : 3;
        QCOMPARE(GridCellColour(w.MSFlexGrid1, period, period), CellColour::Free);
        ClickCell(w.MSFlexGrid1, period, period);
    }
    QCOMPARE(c.text("select group_concat(ClassCode||Day||LessonNo||SetFlag) from LessonListtb"),
             QStringLiteral("12441,11220,11330"));
    QCOMPARE(buildCount(c, "12", "2", "T2"), 0LL);
    QCOMPARE(buildCount(c, "12", "3", "T3"), 1LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestSetLesson::separatorAndHeaderClicksIgnored() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmSetLesson w(c.ctx);
    for (auto button : {Qt::LeftButton, Qt::RightButton}) {
        ClickCell(w.MSFlexGrid1, kSeparatorRow, 2, button);
        ClickCell(w.MSFlexGrid1, 0, 2, button);
        ClickCell(w.MSFlexGrid1, 3, 0, button);
    }
    QCOMPARE(c.count("select count(*) from LessonListtb"), 0LL);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("读取成功"));
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Free).size(), 30);

    ClickCell(w.MSFlexGrid1, 6, 2);
    QCOMPARE(c.text("select Day||LessonNo||CourseCode from LessonListtb"), QStringLiteral("251"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, 6, 2), QStringLiteral("语文"));
}

void TestSetLesson::rightClickDeletesAndLowersOnlyOwnTeachersRow() {
    TestDb t;
    fillSchool(t);
    t.addPlan("11", "1", "T6", 1); // 语文 of class 11 is shared with 周
    addCounted(t, "11", 1, 1, "1", "T1", 0);
    addCounted(t, "11", 2, 1, "1", "T6", 1);
    TestContext c(t);
    frmSetLesson w(c.ctx);
    QCOMPARE(GridCellText(w.MSFlexGrid1, 1, 1), QStringLiteral("语文"));

    ClickCell(w.MSFlexGrid1, 1, 1, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("删除成功"));
    QVERIFY(GridCellText(w.MSFlexGrid1, 1, 1).isEmpty());
    QCOMPARE(buildCount(c, "11", "1", "T1"), 0LL);
    QCOMPARE(buildCount(c, "11", "1", "T6"), 1LL);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 1LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);

    // An empty cell: nothing to delete, the course selection comes back.
    QCOMPARE(listed(w.lstCourse), (QStringList{"语文", "语文", "数学", "英语", "班会"}));
    w.lstCourse->setCurrentRow(3);
    ClickCell(w.MSFlexGrid1, 3, 3, Qt::RightButton);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 1LL);
    QCOMPARE(selectedCourse(w.lstCourse), QStringLiteral("英语"));
    QCOMPARE(w.mstrCourseCode, QStringLiteral("3"));
}

void TestSetLesson::classWithoutPlanOffersNothing() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmSetLesson w(c.ctx);
    w.CmbClass->setCurrentIndex(2);
    QCOMPARE(w.mstrClassCode, QStringLiteral("21"));
    QCOMPARE(w.lstCourse->count(), 0);
    QVERIFY(w.mstrCourseCode.isEmpty());
    QVERIFY(w.mstrTeacherCode.isEmpty());
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    ClickCell(w.MSFlexGrid1, 1, 1);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 0LL);
}

void TestSetLesson::overPresetCourseNotListed() {
    TestDb t;
    fillSchool(t);
    addCounted(t, "11", 1, 1, "2", "T2", 0);
    addCounted(t, "11", 1, 2, "2", "T2", 0); // 数学 planned once, fixed twice
    TestContext c(t);
    frmSetLesson w(c.ctx);
    QCOMPARE(listed(w.lstCourse), (QStringList{"语文", "英语", "班会"}));
}

void TestSetLesson::sevenLessonsReachTheLastRow() {
    TestDb t;
    fillSchool(t);
    TestContext c(t, 7);
    frmSetLesson w(c.ctx);
    QCOMPARE(w.MSFlexGrid1->rowCount(), 9);
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Free).size(), 35);
    ClickCell(w.MSFlexGrid1, 8, 5);
    QCOMPARE(c.text("select Day||LessonNo from LessonListtb"), QStringLiteral("57"));
}

void TestSetLesson::failedReplaceChangesNothing() {
    TestDb t;
    fillSchool(t);
    addCounted(t, "11", 1, 1, "1", "T1", 1);
    // The last statement of the replacement, counting the new lesson, fails.
    t.exec("create trigger failRaise before update on ClassPlantb"
           " when new.BuildCount > old.BuildCount begin select raise(abort, 'disk full'); end");
    QString why;
    QVERIFY(!tryWritePresetLesson(t.db, "11", "2", "T2", 1, 1, &why));
    QVERIFY(why.startsWith(QStringLiteral("课表数据库操作失败")));
    QCOMPARE(t.text("select CourseCode||SetFlag from LessonListtb"), QStringLiteral("11"));
    QCOMPARE(t.count("select BuildCount from ClassPlantb where CourseCode='1' and"
                     " ClassCode='11'"),
             1LL);
    VERIFY_TIMETABLE_SOUND(t.db);

    // The window reports it and keeps the cell as it was.
    TestContext c(t);
    FakeDialogs dialogs;
    frmSetLesson w(c.ctx);
    w.lstCourse->setCurrentRow(1);
    ClickCell(w.MSFlexGrid1, 1, 1);
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("写入失败：课表数据库操作失败")));
    QVERIFY(dialogs.lastText().startsWith(QStringLiteral("写入失败！\n课表数据库操作失败")));
    QVERIFY(GridCellText(w.MSFlexGrid1, 1, 1).isEmpty());
}

void TestSetLesson::timeOffOfCourseTeacherAndClassNotOffered() {
    TestDb t;
    fillSchool(t);
    t.addLimit(1, "1", 1, 1, 3);  // 语文 never on Monday 1
    t.addLimit(2, "T1", 2, 2, 3); // 张 never on Tuesday 2
    t.addLimit(0, "11", 3, 3, 3); // class 11 never on Wednesday 3
    t.addLimit(2, "T1", 4, 4, 2); // 尽量不排 stays on offer
    t.addLimit(0, "12", 5, 5, 3); // another class's time-off is not 11's
    TestContext c(t);
    frmSetLesson w(c.ctx);
    QCOMPARE(w.mstrCourseCode, QStringLiteral("1"));
    QCOMPARE(sorted(CellsOfColour(w.MSFlexGrid1, CellColour::Free)),
             sorted(allPeriodsBut({"1-1", "2-2", "3-3"})));
    QCOMPARE(w.MSFlexGrid1->item(GridRowOfLesson(2), 2)->toolTip(),
             QStringLiteral("老师 张老师此时间不排"));
    QCOMPARE(w.MSFlexGrid1->item(GridRowOfLesson(3), 3)->toolTip(),
             QStringLiteral("班级 一（1）班此时间不排"));
    QVERIFY(w.MSFlexGrid1->item(GridRowOfLesson(4), 4)->toolTip().isEmpty());

    // A click on a closed period pre-sets nothing.
    ClickCell(w.MSFlexGrid1, GridRowOfLesson(2), 2);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 0LL);

    // 数学 is taught by 李, who has no time-off: only the class's stays closed.
    w.lstCourse->setCurrentRow(1);
    QCOMPARE(sorted(CellsOfColour(w.MSFlexGrid1, CellColour::Free)),
             sorted(allPeriodsBut({"3-3"})));
}

void TestSetLesson::closedDatabaseOnlyReportsReadFailure() {
    AppContext ctx; // nothing open
    frmSetLesson preset(ctx);
    QCOMPARE(preset.CmbClass->count(), 0);
    // The reason comes with it, not only the word.
    QVERIFY(preset.staMsg->panelText(3).startsWith(QStringLiteral("读取失败：")));
    QVERIFY(preset.staMsg->panelText(3).size() > 5);
    ClickCell(preset.MSFlexGrid1, 1, 1);
    ClickCell(preset.MSFlexGrid1, 1, 1, Qt::RightButton);

    frmManualSetLesson manual(ctx);
    QVERIFY(manual.staMsg->panelText(3).startsWith(QStringLiteral("读取失败：")));
    ClickCell(manual.MSFlexGrid1, 1, 1);
    ClickCell(manual.MSFlexGrid1, 1, 1, Qt::RightButton);
    QCOMPARE(manual.CmbTeacher->count(), 0);
}

QTEST_MAIN(TestSetLesson)
#include "test_set_lesson.moc"
