// The plan check: what no timetable can place, before generation tries.
#include "TestDb.h"
#include "core/rules/PlanCheck.h"
#include "core/store/PlanCheckStore.h"

#include <QProcess>
#include <QTest>

namespace {

PlanCheckInput week(int lessonsPerDay = 6) {
    PlanCheckInput in;
    in.lessonsPerDay = lessonsPerDay;
    in.classNames = {{"11", "一（1）班"}, {"12", "一（2）班"}};
    in.courseNames = {{"01", "语文"}, {"09", "信息技术"}};
    in.teacherNames = {{"T1", "王芳"}, {"T2", "李静"}};
    return in;
}

QSet<int> dayOff(int day, int lessonsPerDay = 6) {
    QSet<int> s;
    for (int n = 0; n < lessonsPerDay; ++n)
        s.insert((day - 1) * lessonsPerDay + n);
    return s;
}

} // namespace

class TestPlanCheck : public QObject {
    Q_OBJECT
private slots:
    void aFittingPlanHasNoProblems();
    void overfullClassAndTeacher();
    void teacherTimeOffShrinksTheWeek();
    void dailyShareAndLimitsBoundARow();
    void exclusiveCourseOverAllClasses();
    void onlyTheEditedClassAndTeacher();
    void readsTheDatabaseAndTheCommandSaysSo();
};

void TestPlanCheck::aFittingPlanHasNoProblems() {
    PlanCheckInput in = week();
    in.rows = {{"11", "01", "T1", 30}, {"12", "01", "T2", 29}};
    in.classNever["11"] = {}; // an owner without "不排" cells changes nothing
    QVERIFY(CheckPlan(in).empty());
}

void TestPlanCheck::overfullClassAndTeacher() {
    PlanCheckInput in = week();
    // 一（1）班 has 32 in a 30-period week; 王芳 teaches 20 + 12 = 32.
    in.rows = {{"11", "01", "T1", 20},
               {"11", "02", "T2", 12},
               {"12", "01", "T1", 12},
               {"12", "03", "T2", 0}};
    const auto problems = CheckPlan(in);
    QCOMPARE(PlanProblemLines(problems),
             QStringList({"班级 一（1）班：计划 32 节，每周可上课时间只有 30 节",
                          "老师 王芳：计划 32 节，每周可上课时间只有 30 节"}));
    QCOMPARE(int(problems[1].kind), int(PlanProblem::Kind::Teacher));
    // Seven lessons a day make room for both.
    in.lessonsPerDay = 7;
    QVERIFY(CheckPlan(in).empty());
}

void TestPlanCheck::teacherTimeOffShrinksTheWeek() {
    PlanCheckInput in = week();
    in.rows = {{"11", "01", "T1", 25}};
    in.teacherNever["T1"] = dayOff(3); // Wednesday off: 24 periods left
    QCOMPARE(PlanProblemLines(CheckPlan(in)).value(0),
             QString("老师 王芳：计划 25 节，每周可上课时间只有 24 节"));
    // A class's time-off counts for the class the same way.
    in.teacherNever.clear();
    in.classNever["11"] = dayOff(5);
    QCOMPARE(PlanProblemLines(CheckPlan(in)).value(0),
             QString("班级 一（1）班：计划 25 节，每周可上课时间只有 24 节"));
}

void TestPlanCheck::dailyShareAndLimitsBoundARow() {
    PlanCheckInput in = week();
    // Four lessons: at most one a day. With Monday and Tuesday closed by three
    // different owners only three days remain.
    in.rows = {{"11", "01", "T1", 4}};
    in.courseNever["01"] = dayOff(1);
    in.teacherNever["T1"] = {6, 7, 8};
    in.classNever["11"] = {9, 10, 11};
    auto problems = CheckPlan(in);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].text,
             QString("一（1）班 语文（王芳）：计划 4 节，课程、老师和班级都可排且每天不超过 1 "
                     "节的时间只有 3 节"));
    QCOMPARE(problems[0].available, 3);
    // Ten lessons may take three a day: 3 × 3 = 9 on the three open days.
    in.rows = {{"11", "01", "T1", 10}};
    problems = CheckPlan(in);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].available, 9);
    in.classNever.clear();
    QVERIFY(CheckPlan(in).empty()); // Tuesday's second half opens again
}

void TestPlanCheck::exclusiveCourseOverAllClasses() {
    PlanCheckInput in = week();
    in.courseRules["09"].maxClasses = 1;
    in.courseNever["09"] = dayOff(5);
    in.rows = {{"11", "09", "T1", 5},
               {"12", "09", "T2", 5},
               {"13", "09", "T1", 5},
               {"14", "09", "T2", 5},
               {"15", "09", "T1", 5}};
    QCOMPARE(PlanProblemLines(CheckPlan(in)),
             QStringList({"专用课程 信息技术：各班共计划 25 节，每周可上课时间只有 24 节"}));
}

void TestPlanCheck::onlyTheEditedClassAndTeacher() {
    PlanCheckInput in = week();
    in.rows = {{"11", "01", "T1", 31}, {"12", "01", "T2", 31}};
    // Two classes, two teachers and two rows (31 lessons at most 7 a day).
    QCOMPARE(CheckPlan(in).size(), std::size_t(6));
    const auto mine = CheckPlanOf(in, "12", "T2");
    QCOMPARE(mine.size(), std::size_t(3));
    QCOMPARE(mine[0].classCode, QString("12"));
    QCOMPARE(mine[1].teacherCode, QString("T2"));
    QCOMPARE(int(mine[2].kind), int(PlanProblem::Kind::Row));
}

void TestPlanCheck::readsTheDatabaseAndTheCommandSaysSo() {
    TestDb t;
    t.addClass("11", "一（1）班");
    t.addCourse("01", "语文");
    t.addTeacher("T1", "王芳");
    t.addPlan("11", "01", "T1", 28);
    t.addLimit(2, "T1", 2, 1, 3);
    t.addLimit(2, "T1", 2, 2, 3);
    t.addLimit(2, "T1", 2, 3, 2); // "尽量不排" leaves the period open
    t.addLimit(2, "T1", 2, 7, 3); // beyond a six-lesson day
    t.addLimit(2, "T1", 3, 1, 3);
    t.addLimit(1, "01", 3, 1, 3); // the same period closed twice counts once
    const PlanCheckInput in = ReadPlanCheckInput(t.db, 6);
    QCOMPARE(in.teacherNever.value("T1").size(), 3);
    QCOMPARE(PlanProblemLines(CheckPlan(in)),
             QStringList({"老师 王芳：计划 28 节，每周可上课时间只有 27 节",
                          "一（1）班 语文（王芳）：计划 28 节，课程、老师和班级都可排且每天不超过 "
                          "6 节的时间只有 27 节"}));
    const QString path = t.path;
    CloseTimetableDb(t.db);

    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli",
            {"plan-check", "--lessons-per-day", "6", path});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 3);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.contains("老师 王芳：计划 28 节，每周可上课时间只有 27 节"), qPrintable(out));
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli",
            {"plan-check", "--lessons-per-day", "7", path});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPlanCheck)
#include "test_plancheck.moc"
