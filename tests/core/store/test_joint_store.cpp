// 合班 in the database: writing a joint row with its refusals, the plan
// editor's changes that carry it along, and hand placing that places, swaps
// and deletes a joint lesson in all its classes at once.
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "core/model/Failure.h"
#include "core/rules/HandMoves.h"
#include "core/store/DoubleLessons.h"
#include "core/store/JointStore.h"
#include "core/store/Maintenance.h"
#include "core/store/ManualLessons.h"
#include "core/store/PlanStore.h"
#include "core/store/ScheduleRecords.h"
#include "core/store/SchoolStore.h"

#include <QTest>

namespace {

// 一（1）班 11 and 一（2）班 12 with 体育 (03) by 张敏 TC; 13 has 体育 by 李静 TB.
void writeSchool(TestDb& t) {
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}, {"13", "一（3）班"}},
             {{"01", "语文"}, {"03", "体育"}}, {{"TA", "王芳"}, {"TB", "李静"}, {"TC", "张敏"}});
    t.addPlan("11", "03", "TC", 2);
    t.addPlan("11", "01", "TA", 5);
    t.addPlan("12", "01", "TA", 5);
    t.addPlan("13", "03", "TB", 2);
}

QString refusal(TestDb& t, const QStringList& others) {
    return JointClassesRefusal(t.db, "11", "03", "TC", others);
}

} // namespace

class TestJointStore : public QObject {
    Q_OBJECT
private slots:
    void jointRowIsWrittenWithItsClassesPlanRows();
    void planEditsCarryTheJointRow();
    void handPlacingMovesAJointLessonAsOne();
    void teacherWeekShowsAJointLessonOnce();
    void yearUpgradeAndMaintenanceCarryJointRows();
    void jointRowsHaveNoDoubleLessons();
};

void TestJointStore::jointRowIsWrittenWithItsClassesPlanRows() {
    TestDb t;
    writeSchool(t);
    t.exec("drop table PlanJointtb"); // a database of an older copy
    QVERIFY(ReadJointClasses(t.db, "11", "03", "TC").isEmpty());
    QCOMPARE(refusal(t, {"11"}), QStringLiteral("班级不能与自己合班"));
    QCOMPARE(refusal(t, {"19"}), QStringLiteral("班级 19 不在班级名单中"));
    QCOMPARE(refusal(t, {"13"}),
             QStringLiteral("一（3）班的这门课由另一位老师（李静）上，不能合班"));
    QCOMPARE(refusal(t, {"12", "12"}), QStringLiteral("一（2）班 重复出现"));
    QCOMPARE(JointClassesRefusal(t.db, "12", "03", "TC", {"11"}),
             QStringLiteral("本班的教学计划中没有这门课（这位老师），不能合班"));
    // Reading and refusing wrote nothing: the table is still missing.
    QCOMPARE(t.count("select count(*) from sqlite_master where name='PlanJointtb'"), 0LL);
    try {
        WriteJointClasses(t.db, "11", "03", "TC", {"13"});
        QFAIL("written despite the refusal");
    } catch (const Failure& f) {
        QVERIFY(f.reason().contains(QStringLiteral("李静")));
    }

    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    QCOMPARE(ReadJointClasses(t.db, "11", "03", "TC"), QStringList{"12"});
    QCOMPARE(ReadJointFirstClass(t.db, "12", "03", "TC"), QString("11"));
    // 12 plans the same lessons now.
    QCOMPARE(t.count("select Count from ClassPlantb where ClassCode='12' and CourseCode='03'"),
             2LL);
    const School s = LoadSchool(t.db, Week::ofLessons(6));
    QVERIFY(s.joints.together("11", "12", "03", "TC"));
    // 12 is now a further class: it cannot start a row of its own, nor join another.
    QVERIFY(
        JointClassesRefusal(t.db, "12", "03", "TC", {"11"}).contains(QStringLiteral("一（1）班")));
    // Ending the row keeps 12's own plan row.
    WriteJointClasses(t.db, "11", "03", "TC", {});
    QVERIFY(ReadJointClasses(t.db, "11", "03", "TC").isEmpty());
    QCOMPARE(t.count("select count(*) from ClassPlantb where ClassCode='12' and CourseCode='03'"),
             1LL);
}

void TestJointStore::planEditsCarryTheJointRow() {
    TestDb t;
    writeSchool(t);
    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    // A new count of the first class is every class's count.
    QCOMPARE(ModifyPlanRow(t.db, "11", "03", "TC", 2, "03", "TC", 3), 1);
    QCOMPARE(t.count("select Count from ClassPlantb where ClassCode='12' and CourseCode='03'"),
             3LL);
    // Another teacher ends the joint row.
    QCOMPARE(ModifyPlanRow(t.db, "11", "03", "TC", 3, "03", "TB", 3), 1);
    QVERIFY(ReadJointClasses(t.db, "11", "03", "TC").isEmpty());
    QVERIFY(ReadJointClasses(t.db, "11", "03", "TB").isEmpty());
    // Deleting a further class's row takes it out of the row.
    QCOMPARE(ModifyPlanRow(t.db, "11", "03", "TB", 3, "03", "TC", 3), 1);
    t.addClass("14", "一（4）班");
    WriteJointClasses(t.db, "11", "03", "TC", {"12", "14"});
    QCOMPARE(DeletePlanRow(t.db, "12", "03", "TC"), 1);
    QCOMPARE(ReadJointClasses(t.db, "11", "03", "TC"), QStringList{"14"});
}

void TestJointStore::handPlacingMovesAJointLessonAsOne() {
    TestDb t;
    writeSchool(t);
    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    t.addLesson("12", 1, 2, "01", "TA", 1);
    // 12 has 语文 then: the joint lesson cannot go there, and says why.
    QString why;
    QVERIFY(!tryPlaceLesson(t.db, "11", "03", "TC", 1, 2, &why));
    QCOMPARE(why, QStringLiteral("合班的一（2）班此时已有课"));
    // Placed from either class, it is placed in both and counted in both rows.
    QVERIFY(tryPlaceLesson(t.db, "12", "03", "TC", 1, 1, &why));
    QCOMPARE(t.count("select count(*) from LessonListtb where CourseCode='03' and Day=1 and "
                     "LessonNo=1"),
             2LL);
    QCOMPARE(t.count("select sum(BuildCount) from ClassPlantb where CourseCode='03'"), 2LL);

    // The swap asks the rules about every class it changes: 12's 语文 comes
    // to Monday 1 in 12 only, but 11 loses nothing it needs.
    School s = LoadSchool(t.db, Week::ofLessons(6));
    const auto moves = rules::swapMoves(s, "11", {1, 1}, {1, 2});
    QCOMPARE(moves.size(), size_t(3));
    QVERIFY(rules::objectionsTo(s, moves).empty());
    // 12 never has lessons on Monday 3: moving there is objected to, naming 12.
    t.addLimit(0, "12", 1, 3, 3);
    s = LoadSchool(t.db, Week::ofLessons(6));
    const QStringList lines = rules::describeObjections(
        s, rules::objectionsTo(s, rules::swapMoves(s, "11", {1, 1}, {1, 3})));
    QCOMPARE(lines, QStringList{QStringLiteral("周一第3节是班级 12的“不排”时间")});

    LessonSlots cells(6);
    QVERIFY(LoadClassSlots(t.db, "11", cells));
    SwapLessons(t.db, "11", cells, {1, 1}, {1, 2});
    QCOMPARE(cells.at(1, 2).CourseCode, QString("03"));
    QCOMPARE(t.text("select CourseCode from LessonListtb where ClassCode='12' and Day=1 and "
                    "LessonNo=2"),
             QString("03"));
    QCOMPARE(t.text("select CourseCode from LessonListtb where ClassCode='12' and Day=1 and "
                    "LessonNo=1"),
             QString("01"));
    QCOMPARE(t.count("select count(*) from LessonListtb where ClassCode='11' and Day=1 and "
                     "LessonNo=1"),
             0LL);

    // Deleting it in one class deletes it in both, and both rows count down.
    QVERIFY(tryDeleteLesson(t.db, "12", 1, 2, &why));
    QCOMPARE(t.count("select count(*) from LessonListtb where CourseCode='03'"), 0LL);
    QCOMPARE(t.count("select sum(BuildCount) from ClassPlantb where CourseCode='03'"), 0LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where ClassCode='12'"), 1LL);
}

void TestJointStore::teacherWeekShowsAJointLessonOnce() {
    TestDb t;
    t.addClass("11", "一（1）班", {}, "一1");
    t.addClass("12", "一（2）班", {}, "一2");
    t.addClass("13", "一（3）班", {}, "一3");
    t.addCourse("03", "体育");
    t.addTeacher("TC", "张敏");
    t.addPlan("11", "03", "TC", 2);
    t.addPlan("13", "03", "TC", 2);
    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    for (const char* cls : {"11", "12"})
        t.addLesson(cls, 1, 1, "03", "TC", 1);
    t.addLesson("13", 2, 1, "03", "TC", 1);
    // Two lessons of one teacher at once that are no joint lesson stay two.
    t.addLesson("13", 3, 1, "03", "TC", 1);
    t.addLesson("11", 3, 1, "03", "TC", 1);
    const ScheduleRecords week = QueryScheduleRecords(t.db, ScheduleKind::Teacher, "张敏");
    QCOMPARE(week.size(), size_t(4));
    QCOMPARE(week[0].secondLine, QStringLiteral("一1、一2"));
    QCOMPARE(week[1].secondLine, QStringLiteral("一3"));
    QCOMPARE(QueryScheduleRecords(t.db, ScheduleKind::AllTeachers, {}).size(), size_t(4));
    // Every class shows it.
    QCOMPARE(QueryScheduleRecords(t.db, ScheduleKind::Class, "一（2）班").size(), size_t(1));
    QCOMPARE(QueryScheduleRecords(t.db, ScheduleKind::Total, {}).size(), size_t(5));
}

void TestJointStore::yearUpgradeAndMaintenanceCarryJointRows() {
    TestDb t;
    for (const char* c : {"11", "12", "51", "61", "62"})
        t.addClass(c, QStringLiteral("班") + c);
    addLists(t, {}, {{"01", "语文"}, {"03", "体育"}}, {{"TA", "王芳"}, {"TC", "张敏"}});
    t.addPlan("11", "03", "TC", 2);
    t.addPlan("61", "03", "TC", 2);
    t.addPlan("51", "01", "TA", 2);
    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    WriteJointClasses(t.db, "61", "03", "TC", {"62"});
    WriteJointClasses(t.db, "51", "01", "TA", {"61"});
    UpgradeSchoolYear(t.db);
    // Grade 1 moved up with its joint row; grade 6 left, and with it every
    // joint row it took part in.
    QCOMPARE(ReadJointClasses(t.db, "21", "03", "TC"), QStringList{"22"});
    QCOMPARE(t.count("select count(*) from PlanJointtb"), 1LL);
    QVERIFY(LoadSchool(t.db, Week::ofLessons(6)).joints.together("21", "22", "03", "TC"));
    // A class deleted from the list takes its joint links along at maintenance.
    t.exec("delete from Classtb where Code='22'");
    MaintainData(t.db);
    QCOMPARE(t.count("select count(*) from PlanJointtb"), 0LL);
}

void TestJointStore::jointRowsHaveNoDoubleLessons() {
    TestDb t;
    writeSchool(t);
    t.addPlan("12", "03", "TC", 2);
    WritePlanDoubles(t.db, "11", "03", "TC", 1);
    QCOMPARE(refusal(t, {"12"}),
             QStringLiteral("这门课有连堂，合班的课不能连堂（先把其中连堂清空）"));
    WritePlanDoubles(t.db, "11", "03", "TC", 0);
    WritePlanDoubles(t.db, "12", "03", "TC", 1);
    QCOMPARE(refusal(t, {"12"}), QStringLiteral("一（2）班的这门课有连堂，合班的课不能连堂"));
    WritePlanDoubles(t.db, "12", "03", "TC", 0);
    WriteJointClasses(t.db, "11", "03", "TC", {"12"});
    // Double lessons stored beside a joint row (by hand, or an older copy)
    // do not count: the rules never see both.
    t.exec("insert into PlanDoubletb values ('11', '03', 'TC', 1)");
    const School s = LoadSchool(t.db, Week::ofLessons(6));
    for (const PlanRow& r : s.plan)
        QCOMPARE(r.doubles, 0LL);
}

QTEST_GUILESS_MAIN(TestJointStore)
#include "test_joint_store.moc"
