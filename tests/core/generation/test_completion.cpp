// Completion: the search on small problems, and 自动补排 on databases.
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "core/generation/CompleteTimetable.h"
#include "core/generation/CompletionSearch.h"

#include "core/store/TimetableVersions.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// A problem of one-lesson-a-day classes: every unit normal everywhere.
CompletionProblem problem(int lessonsPerDay, int classes, int teachers, int courses) {
    CompletionProblem p;
    p.lessonsPerDay = lessonsPerDay;
    p.classes = classes;
    p.teachers = teachers;
    p.courses = courses;
    p.capacity.assign(std::size_t(courses), 0);
    return p;
}

int unit(CompletionProblem& p, int cls, int teacher, int course, int share = 1) {
    CompletionProblem::Unit u;
    u.cls = cls;
    u.teacher = teacher;
    u.course = course;
    u.dailyShare = share;
    u.level.assign(std::size_t(p.periods()), 1);
    p.units.push_back(u);
    return int(p.units.size()) - 1;
}

void lesson(CompletionProblem& p, int u, int period, bool fixed = false) {
    p.lessons.push_back({u, period, fixed});
}

// Every hard rule over an outcome; empty when all hold.
QString faults(const CompletionProblem& p, const std::vector<int>& at) {
    const int P = p.periods();
    QHash<qint64, int> seen;
    for (std::size_t i = 0; i < p.lessons.size(); ++i) {
        const int q = at[i];
        if (q < 0)
            continue;
        const auto& u = p.units[std::size_t(p.lessons[i].unit)];
        if (p.lessons[i].fixed && q != p.lessons[i].period)
            return QString("fixed lesson %1 moved").arg(i);
        if (!p.lessons[i].fixed && u.level[std::size_t(q)] >= 3)
            return QString("lesson %1 at a 不排 period").arg(i);
        if (++seen[(1LL << 40) | (qint64(u.cls) << 20) | q] > 1)
            return QString("class %1 twice at %2").arg(u.cls).arg(q);
        if (++seen[(2LL << 40) | (qint64(u.teacher) << 20) | q] > 1)
            return QString("teacher %1 twice at %2").arg(u.teacher).arg(q);
        if (const int cap = p.capacity[std::size_t(u.course)];
            cap > 0 && ++seen[(3LL << 40) | (qint64(u.course) << 20) | q] > cap)
            return QString("course %1 over its room at %2").arg(u.course).arg(q);
        if (++seen[(4LL << 40) | (qint64(u.cls) << 28) | (qint64(u.course) << 8) |
                   (q / p.lessonsPerDay)] > u.dailyShare)
            return QString("daily share of class %1 course %2").arg(u.cls).arg(u.course);
    }
    (void)P;
    return {};
}

} // namespace

class TestCompletion : public QObject {
    Q_OBJECT
private slots:
    void chainsMovesToMakeRoom();
    void neverMovesPresetLessonsNorUsesNever();
    void keepsExclusiveCoursesAndDailyShares();
    void infeasibleLessonsStayAndTheRestIsPlaced();
    void sameSeedSameResultAndCancelChangesNothing();
    void completesADatabaseInOneTransaction();
    void infeasibleTeacherIsNamedByCompleteAndCheck();
};

void TestCompletion::chainsMovesToMakeRoom() {
    // Two classes, a week of one day with two lessons. Teacher 0 teaches both
    // classes; class 0's other lesson (teacher 1) sits at period 1, the only
    // period where teacher 0 could still meet class 0. Moving it to period 0
    // and teacher 0's class-1 lesson to period 1 makes room.
    CompletionProblem p = problem(1, 2, 3, 3);
    p.lessonsPerDay = 2; // 10 periods; close all but the first day's two
    const int a = unit(p, 0, 0, 0, 5), b = unit(p, 0, 1, 1, 5), c = unit(p, 1, 0, 0, 5),
              d = unit(p, 1, 2, 2, 5);
    for (auto& u : p.units)
        for (int q = 2; q < p.periods(); ++q)
            u.level[std::size_t(q)] = 3;
    lesson(p, b, 1);
    lesson(p, c, 0);
    lesson(p, d, -1);
    lesson(p, a, -1);
    const CompletionOutcome out = SearchCompletion(p, {});
    QCOMPARE(out.unplacedBefore, 2);
    QCOMPARE(out.unplacedAfter, 0);
    QVERIFY2(faults(p, out.period).isEmpty(), qPrintable(faults(p, out.period)));
    (void)a;
}

void TestCompletion::neverMovesPresetLessonsNorUsesNever() {
    // One class, a full week of 30: 29 fixed lessons and a free period at
    // Friday's last lesson that is "不排" for the missing lesson. The lesson
    // stays missing and nothing fixed moves.
    CompletionProblem p = problem(6, 1, 30, 30);
    for (int q = 0; q < 29; ++q)
        lesson(p, unit(p, 0, q, q), q, true);
    const int missing = unit(p, 0, 29, 29);
    p.units[std::size_t(missing)].level[29] = 3;
    lesson(p, missing, -1);
    CompletionOutcome out = SearchCompletion(p, {});
    QCOMPARE(out.unplacedAfter, 1);
    QCOMPARE(out.hopeless, std::vector<int>({29}));
    QVERIFY(faults(p, out.period).isEmpty());
    // With the period open it goes there.
    p.units[std::size_t(missing)].level[29] = 2;
    out = SearchCompletion(p, {});
    QCOMPARE(out.unplacedAfter, 0);
    QCOMPARE(out.period[29], 29);
}

void TestCompletion::keepsExclusiveCoursesAndDailyShares() {
    // Six classes, one exclusive course of 5 lessons each: 30 lessons for 30
    // periods, one a day per class; everything starts unplaced.
    CompletionProblem p = problem(6, 6, 6, 1);
    p.capacity[0] = 1;
    for (int c = 0; c < 6; ++c) {
        const int u = unit(p, c, c, 0, 2);
        for (int k = 0; k < 5; ++k)
            lesson(p, u, -1);
    }
    // Share 2 would let a class take two a day; make it one.
    for (auto& u : p.units)
        u.dailyShare = 1;
    const CompletionOutcome out = SearchCompletion(p, {});
    QCOMPARE(out.unplacedAfter, 0);
    QVERIFY2(faults(p, out.period).isEmpty(), qPrintable(faults(p, out.period)));
}

void TestCompletion::infeasibleLessonsStayAndTheRestIsPlaced() {
    // Teacher 0 is planned for 32 lessons in a 30-period week over four
    // classes; the other teachers' lessons all fit.
    CompletionProblem p = problem(6, 4, 5, 2);
    for (int c = 0; c < 4; ++c) {
        const int u = unit(p, c, 0, 0, 2);
        for (int k = 0; k < 8; ++k)
            lesson(p, u, -1);
        const int v = unit(p, c, 1 + c, 1, 5);
        for (int k = 0; k < 20; ++k)
            lesson(p, v, -1);
    }
    CompletionOptions o;
    o.maxSteps = 200000;
    const CompletionOutcome out = SearchCompletion(p, o);
    QCOMPARE(out.unplacedAfter, 2);
    QVERIFY(faults(p, out.period).isEmpty());
    int unplacedOfOthers = 0;
    for (std::size_t i = 0; i < p.lessons.size(); ++i)
        if (out.period[i] < 0 && p.units[std::size_t(p.lessons[i].unit)].teacher != 0)
            ++unplacedOfOthers;
    QCOMPARE(unplacedOfOthers, 0);
}

void TestCompletion::sameSeedSameResultAndCancelChangesNothing() {
    CompletionProblem p = problem(6, 3, 4, 2);
    for (int c = 0; c < 3; ++c) {
        const int u = unit(p, c, 0, 0, 2), v = unit(p, c, 1 + c, 1, 6);
        for (int k = 0; k < 9; ++k)
            lesson(p, u, -1);
        for (int k = 0; k < 21; ++k)
            lesson(p, v, -1);
    }
    CompletionOptions o;
    o.seed = 7;
    const CompletionOutcome a = SearchCompletion(p, o), b = SearchCompletion(p, o);
    QCOMPARE(a.period, b.period);
    QCOMPARE(a.unplacedAfter, 0);
    o.progress = [](int) { return false; };
    const CompletionOutcome c = SearchCompletion(p, o);
    QVERIFY(c.cancelled);
}

void TestCompletion::completesADatabaseInOneTransaction() {
    TestDb t;
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}},
             {{"01", "语文"}, {"02", "数学"}, {"03", "班队会"}},
             {{"T1", "王芳"}, {"T2", "李静"}, {"T3", "张敏"}});
    // 王芳 teaches 语文 in both classes: 15 each, 30 in all, the whole week.
    t.addPlan("11", "01", "T1", 15);
    t.addPlan("12", "01", "T1", 14);
    t.addPlan("11", "02", "T2", 15);
    t.addPlan("12", "02", "T3", 15, 1);
    t.addPlan("12", "03", "T3", 1, 1);
    t.addLesson("12", 5, 6, "03", "T3", 0);
    // 王芳 teaches class 11 in the last three lessons of every day, exactly
    // where class 12 is still free: her class-11 lessons must change places
    // with that class's 数学 before class 12 gets any 语文.
    for (int day = 1; day <= 5; ++day)
        for (int n = 1; n <= 3; ++n) {
            t.addLesson("11", day, n + 3, "01", "T1", 1);
            t.addLesson("12", day, n, "02", "T3", 2);
            t.addLesson("11", day, n, "02", "T2", 1);
        }
    t.exec("update ClassPlantb set BuildCount=15 where ClassCode='11'");
    t.exec("update ClassPlantb set BuildCount=15 where ClassCode='12' and CourseCode='02'");
    CompletionRun run;
    CompletionReport r = CompleteTimetable(t.db, run);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.missingBefore, 14);
    QCOMPARE(r.placed, 14);
    QCOMPARE(r.remaining, 0);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 60LL);
    QCOMPARE(t.count("select count(*) from ClassPlantb where BuildCount<>Count"), 0LL);
    QCOMPARE(t.count("select count(*) from (select 1 from LessonListtb group by ClassCode,Day,"
                     "LessonNo having count(*)>1)"),
             0LL);
    QCOMPARE(t.count("select count(*) from (select 1 from LessonListtb group by TeacherCode,Day,"
                     "LessonNo having count(*)>1)"),
             0LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=0 and ClassCode='12' and "
                     "Day=5 and LessonNo=6"),
             1LL);
    // Moved hand-placed lessons stay hand-placed; new ones are generated.
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=2"), 15LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where CourseCode='01' and ClassCode='12' "
                     "and SetFlag=1"),
             14LL);
    // Nothing left: a second run changes nothing.
    r = CompleteTimetable(t.db, run);
    QVERIFY(r.ok);
    QCOMPARE(r.placed, 0);
    QCOMPARE(r.moved, 0);

    // A database that cannot be read is told in the program's own words.
    t.exec("drop table ClassPlantb");
    r = CompleteTimetable(t.db, run);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, "读写课表数据失败：课表数据库操作失败：" + t.path);
}

void TestCompletion::infeasibleTeacherIsNamedByCompleteAndCheck() {
    TestDb t;
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}}, {{"01", "语文"}, {"02", "数学"}},
             {{"T9", "赵敏"}, {"T2", "李静"}, {"T3", "张敏"}});
    t.addPlan("11", "01", "T9", 16); // 16 + 15: one lesson beyond her week
    t.addPlan("12", "01", "T9", 15);
    t.addPlan("11", "02", "T2", 10);
    t.addPlan("12", "02", "T3", 10);
    t.addLimit(2, "T2", 3, 5, 3); // 李静 has Wednesday afternoon off
    t.addLimit(2, "T2", 3, 6, 3);
    const QString path = t.path;
    CloseTimetableDb(t.db);
    auto cli = [](const QStringList& args) {
        QProcess p;
        p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
        p.waitForFinished(60000);
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    QCOMPARE(cli({"generate", "--lessons-per-day", "6", path}).first, 0);
    const auto [code, out] = cli({"complete", "--lessons-per-day", "6", path});
    QCOMPARE(code, 3);
    QVERIFY2(out.contains(QRegularExpression(
                 "^自动补排：补排 [0-9]+ 节，仍未排 1 节\n"
                 "课表完成率统计:  9[0-9]％，未排 1 节\n"
                 "未排：一（[12]）班 语文（赵敏） 计划1[56]节，已排1[45]节，缺1节\n"
                 "    原因：老师 赵敏 在本班空闲的 [0-9]+ 个时间都有课\n"
                 "排不下的根本原因：\n"
                 "  老师 赵敏：1 节排不下——每周只有 30 个可上课时间，计划 31 节\n"
                 "    可以：把一（[12]）班的语文课分 1 节给老师 (李静|张敏)（已在副本上试过.*\n$")),
             qPrintable(out));
    // The generated timetable was kept before completion changed it.
    const auto [versionsCode, versions] = cli({"versions", path});
    QCOMPARE(versionsCode, 0);
    QVERIFY2(versions.contains(VersionCause::Completion), qPrintable(versions));
    const auto [checkCode, report] = cli({"check", "--lessons-per-day", "6", path});
    QCOMPARE(checkCode, 0);
    QVERIFY2(
        report.contains(QRegularExpression("    原因：老师 赵敏 在本班空闲的 [0-9]+ 个时间都有课")),
        qPrintable(report));
    QVERIFY2(report.contains("不排时间上课 0 节"), qPrintable(report));
    QVERIFY2(report.contains("  老师 赵敏：1 节排不下——每周只有 30 个可上课时间，计划 31 节\n"),
             qPrintable(report));
}

QTEST_GUILESS_MAIN(TestCompletion)
#include "test_completion.moc"
