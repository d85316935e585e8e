// 课表优化: on many small random schools the search keeps every rule, every
// lesson and every pre-set lesson, never ends worse, counts its penalty as
// the quality report does, and gives the same timetable for the same seed;
// then known cases and a database.
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "core/generation/ImproveTimetable.h"
#include "core/rules/HandMoves.h"
#include "core/rules/HardRules.h"
#include "core/store/TimetableCheckStore.h"

#include <QTest>
#include <random>

namespace {

// 1–4 classes with a random plan, "不排", "尽量不排" and best cells, exclusive
// courses and a few pre-set lessons, the rest placed legally at random; with
// `joint`, the first two classes take course KJ of teacher TJ together (合班).
School randomSchool(std::mt19937& rng, bool joint = false) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    School s;
    const Week week = Week::ofLessons(pick(6, 7));
    s.timetable = Timetable(week);
    const int classes = pick(1, 4), courses = pick(2, 5), teachers = pick(2, 5);
    auto cls = [](int i) { return QStringLiteral("C%1").arg(i); };
    auto course = [](int i) { return QStringLiteral("K%1").arg(i); };
    auto teacher = [](int i) { return QStringLiteral("T%1").arg(i); };
    long long rowid = 0;
    joint = joint && classes >= 2;
    const int jointLessons = joint ? pick(1, 3) : 0;
    if (joint)
        s.joints.add(cls(0), "KJ", "TJ", cls(1));
    for (int c = 0; c < classes; ++c) {
        int room = week.periodCount() - pick(0, 8);
        if (c < 2 && joint) {
            s.plan.push_back({++rowid, cls(c), "KJ", "TJ", jointLessons, 0, false});
            room -= jointLessons;
        }
        for (int k = 0; k < courses && room > 0; ++k) {
            const int n = std::min(room, pick(1, 9));
            room -= n;
            s.plan.push_back(
                {++rowid, cls(c), course(k), teacher(pick(0, teachers - 1)), n, 0, false});
        }
    }
    for (int k = 0; k < courses; ++k)
        if (pick(0, 4) == 0)
            s.setCapacity(course(k), 1);
    auto cells = [&](LimitKind kind, const QString& code, int odds) {
        week.forEach([&](Period q) {
            if (pick(0, odds) == 0)
                s.limits.add(kind, code, {q, pick(0, 3)});
        });
    };
    for (int k = 0; k < courses; ++k)
        cells(LimitKind::Course, course(k), 6);
    for (int t = 0; t < teachers; ++t)
        cells(LimitKind::Teacher, teacher(t), 8);
    for (int c = 0; c < classes; ++c)
        cells(LimitKind::Class, cls(c), 10);
    for (const PlanRow& r : s.plan)
        for (long long n = 0;
             n < r.weeklyLessons() && !s.joints.isFurther(r.classCode, r.courseCode, r.teacherCode);
             ++n) {
            const rules::Placing p = rules::placingOf(s, r.classCode, r.courseCode, r.teacherCode);
            std::vector<Period> free;
            week.forEach([&](Period q) {
                if (rules::handReasonsAgainst(s, p, q).empty())
                    free.push_back(q);
            });
            if (free.empty())
                break;
            const Period at = free[size_t(pick(0, int(free.size()) - 1))];
            const Origin origin = pick(0, 9) == 0 ? Origin::Preset : Origin::Generated;
            for (const QString& c : p.jointClasses)
                s.timetable.add(
                    lesson(c, at.day, at.lessonNo, r.courseCode, r.teacherCode, origin));
            s.timetable.add(
                lesson(r.classCode, at.day, at.lessonNo, r.courseCode, r.teacherCode, origin));
        }
    return s;
}

} // namespace

class TestImprove : public QObject {
    Q_OBJECT
private slots:
    void randomSchoolsKeepEveryRuleAndLesson() {
        std::mt19937 rng(20261208);
        int jointMoved = 0;
        for (int n = 0; n < 300; ++n) {
            School s = randomSchool(rng, n >= 200); // the last hundred with a joint row
            const School before = s;
            const bool clean = rules::breachesOf(s).empty();
            ImproveRun run;
            run.lessonsPerDay = s.timetable.week().lessonsPerDay();
            run.seed = std::uint32_t(n);
            const SchoolImprovement done = ImproveSchool(s, run);
            const ImproveReport& r = done.report;
            const QByteArray where = QByteArray::number(n);
            QVERIFY2(r.ok, where);
            QVERIFY2(r.penaltyAfter <= r.penaltyBefore, where);
            QCOMPARE(r.searchPenalty, r.penaltyAfter);
            QCOMPARE(r.penaltyAfter, rules::penaltyOf(rules::qualityOf(s).school));
            if (clean)
                QVERIFY2(rules::breachesOf(s).empty(), where);
            // The same lessons, the pre-set ones where they were.
            QCOMPARE(s.timetable.lessons().size(), before.timetable.lessons().size());
            int changed = 0;
            for (size_t i = 0; i < s.timetable.lessons().size(); ++i) {
                const Lesson& a = before.timetable.lessons()[i];
                const Lesson& b = s.timetable.lessons()[i];
                QVERIFY(a.classCode == b.classCode && a.courseCode == b.courseCode &&
                        a.teacherCode == b.teacherCode);
                if (a.origin == Origin::Preset)
                    QVERIFY2(a.period == b.period, where);
                changed += a.period == b.period ? 0 : 1;
                jointMoved += a.courseCode == "KJ" && a.period != b.period ? 1 : 0;
            }
            QCOMPARE(size_t(changed), done.changes.size());
            // Deterministic for the seed.
            School again = before;
            (void)ImproveSchool(again, run);
            for (size_t i = 0; i < s.timetable.lessons().size(); ++i)
                QVERIFY2(again.timetable.lessons()[i].period == s.timetable.lessons()[i].period,
                         where);
        }
        QVERIFY(jointMoved > 0); // joint lessons do move, in all their classes
    }

    void closesAHoleAndAStartButLeavesPresetLessons() {
        School s = emptySchool();
        s.plan = {{1, "11", "01", "T1", 5, 0, false}, {2, "11", "02", "T2", 1, 0, false}};
        s.timetable.add(lesson("11", 1, 2, "01", "T1")); // Monday starts late
        s.timetable.add(lesson("11", 1, 4, "01", "T1")); // and has a hole at 3
        s.timetable.add(lesson("11", 2, 3, "01", "T1", Origin::Preset));
        s.timetable.add(lesson("11", 2, 1, "02", "T2")); // hole at 2, fixed by the pre-set
        ImproveRun run;
        const SchoolImprovement done = ImproveSchool(s, run);
        const rules::QualityReport q = rules::qualityOf(s);
        QCOMPARE(rules::at(q.school, rules::Measure::ClassHoles), 0LL);
        QCOMPARE(rules::at(q.school, rules::Measure::LateStarts), 0LL);
        QCOMPARE(s.timetable.lessons()[2].period, (Period{2, 3}));
        QVERIFY(done.report.penaltyAfter < done.report.penaltyBefore);
        QVERIFY(rules::breachesOf(s).empty());
    }

    void movesAJointLessonInAllItsClasses() {
        // 体育 of 11 and 12 together at Monday 3 leaves both a hole at 2.
        School s;
        s.timetable = Timetable(Week::ofLessons(6));
        s.plan = {{1, "11", "01", "T1", 1, 0, false},
                  {2, "12", "02", "T2", 1, 0, false},
                  {3, "11", "03", "T3", 1, 0, false},
                  {4, "12", "03", "T3", 1, 0, false}};
        s.joints.add("11", "03", "T3", "12");
        s.timetable.add(lesson("11", 1, 1, "01", "T1"));
        s.timetable.add(lesson("12", 1, 1, "02", "T2"));
        s.timetable.add(lesson("11", 1, 3, "03", "T3"));
        s.timetable.add(lesson("12", 1, 3, "03", "T3"));
        QCOMPARE(rules::at(rules::qualityOf(s).school, rules::Measure::ClassHoles), 2LL);
        const SchoolImprovement done = ImproveSchool(s, ImproveRun{});
        QVERIFY(done.report.ok);
        QCOMPARE(rules::at(done.report.after, rules::Measure::ClassHoles), 0LL);
        QCOMPARE(rules::at(done.report.after, rules::Measure::LateStarts), 0LL);
        QCOMPARE(s.timetable.lessons()[2].period, s.timetable.lessons()[3].period);
        QVERIFY(rules::breachesOf(s).empty());
    }

    void spreadsATeachersDay() {
        // 王芳 teaches both her courses on Monday; 02 fills the other days.
        School s = emptySchool();
        s.plan = {{1, "11", "01", "T1", 1, 0, false},
                  {2, "11", "03", "T1", 1, 0, false},
                  {3, "11", "02", "T2", 4, 0, false}};
        s.timetable.add(lesson("11", 1, 1, "01", "T1"));
        s.timetable.add(lesson("11", 1, 2, "03", "T1"));
        for (int day = 2; day <= 5; ++day)
            s.timetable.add(lesson("11", day, 1, "02", "T2"));
        QCOMPARE(rules::at(rules::qualityOf(s).school, rules::Measure::TeacherSpread), 1LL);
        const SchoolImprovement done = ImproveSchool(s, ImproveRun{});
        QVERIFY(done.report.ok);
        QCOMPARE(rules::at(done.report.after, rules::Measure::TeacherSpread), 0LL);
        QCOMPARE(done.report.penaltyAfter, 0LL);
        QVERIFY(rules::breachesOf(s).empty());
    }

    void nothingToGainChangesNothing() {
        School s = emptySchool();
        s.plan = {{1, "11", "01", "T1", 2, 0, false}};
        s.timetable.add(lesson("11", 1, 1, "01", "T1"));
        s.timetable.add(lesson("11", 2, 1, "01", "T1"));
        const SchoolImprovement done = ImproveSchool(s, ImproveRun{});
        QVERIFY(done.report.ok);
        QVERIFY(done.changes.empty());
        QCOMPARE(done.report.moved, 0);
    }

    void cancelLeavesTheTimetable() {
        std::mt19937 rng(7);
        School s = randomSchool(rng);
        const std::vector<Lesson> before = s.timetable.lessons();
        ImproveRun run;
        run.lessonsPerDay = s.timetable.week().lessonsPerDay();
        run.progress = [](int) { return false; };
        const SchoolImprovement done = ImproveSchool(s, run);
        QVERIFY(done.report.cancelled);
        QVERIFY(done.changes.empty());
        for (size_t i = 0; i < before.size(); ++i)
            QCOMPARE(s.timetable.lessons()[i].period, before[i].period);
    }

    void writesTheMovesToTheDatabase() {
        TestDb t;
        t.addClass("11", "一（1）班");
        t.addCourse("01", "语文");
        t.addTeacher("T1", "王芳");
        t.addPlan("11", "01", "T1", 3, 3, 1);
        t.addLesson("11", 1, 1, "01", "T1", 1);
        t.addLesson("11", 1, 3, "01", "T1", 1);
        t.addLesson("11", 1, 5, "01", "T1", 1);
        ImproveRun run;
        const ImproveReport r = ImproveTimetable(t.db, run);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.moved >= 2);
        QCOMPARE(r.penaltyAfter, 0LL);
        QCOMPARE(rules::at(TimetableQuality(t.db, 6).school, rules::Measure::ClassHoles), 0LL);
        QCOMPARE(t.count("select count(*) from LessonListtb where LessonNo=1"),
                 t.count("select count(distinct Day) from LessonListtb"));
        QCOMPARE(t.count("select BuildCount from ClassPlantb"), 3LL);
    }
};

QTEST_APPLESS_MAIN(TestImprove)
#include "test_improve.moc"
