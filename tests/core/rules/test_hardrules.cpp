// The catalogue of hard rules: for each rule a timetable that breaks it and
// one that keeps it, asked both ways — "which lessons break it" and "may this
// lesson go here" — on schools built in memory.
#include "RuleQueries.h"
#include "SchoolBuilder.h"

#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/PlanFaults.h"
#include "core/rules/TimetableCheck.h"

#include <QTest>

namespace {

using rules::Obstacle;
using rules::Rule;

// Class 11 with 语文 (01, 张 T1, 4 a week: one a day) and 数学 (02, 李 T2, 5).
School school() {
    School s = emptySchool();
    s.plan = {row("11", "01", "T1", 4), row("11", "02", "T2", 5), row("12", "01", "T1", 4),
              row("12", "03", "T3", 2)};
    return s;
}

} // namespace

class TestHardRules : public QObject {
    Q_OBJECT
private slots:
    void classAndTeacherOncePerPeriod();
    void neverPeriodsOfCourseTeacherAndClass();
    void exclusiveCourseInOneClassAtATime();
    void dailySharePerPlanRow();
    void lessonsInsideTheWeek();
    void lessonsBelongToThePlan();
    void planFaults();
    void checkFailsOnEveryBrokenRule();
};

void TestHardRules::classAndTeacherOncePerPeriod() {
    School s = school();
    s.timetable.add(lesson("11", 1, 1, "01", "T1"));
    QVERIFY(rules::breachesOf(s).empty());
    QVERIFY(has(against(s, "11", "02", "T2", {1, 1}), Obstacle::ClassBusy));
    QVERIFY(has(against(s, "12", "01", "T1", {1, 1}), Obstacle::TeacherBusy));
    QVERIFY(against(s, "11", "02", "T2", {1, 2}).empty());

    s.timetable.add(lesson("11", 1, 1, "02", "T2"));
    s.timetable.add(lesson("12", 1, 1, "01", "T1"));
    const auto classes = rules::breachesOf(s, Rule::ClassOnce);
    QCOMPARE(classes.size(), size_t(1));
    QCOMPARE(classes[0].lessons.size(), size_t(2));
    QCOMPARE(rules::breachesOf(s, Rule::TeacherOnce).size(), size_t(1));
}

void TestHardRules::neverPeriodsOfCourseTeacherAndClass() {
    School s = school();
    s.limits.add(LimitKind::Course, "01", LimitCell{{1, 1}, 3});
    s.limits.add(LimitKind::Teacher, "T2", LimitCell{{2, 1}, 3});
    s.limits.add(LimitKind::Class, "11", LimitCell{{3, 1}, 3});
    s.limits.add(LimitKind::Teacher, "T2", LimitCell{{4, 1}, 2}); // 尽量不排: no fault
    for (const auto& [course, teacher, day] :
         {std::tuple{"01", "T1", 1}, std::tuple{"02", "T2", 2}, std::tuple{"02", "T2", 3}}) {
        QVERIFY(has(against(s, "11", course, teacher, {day, 1}), Obstacle::NeverAtPeriod));
        School broken = s;
        broken.timetable.add(lesson("11", day, 1, course, teacher));
        const auto found = rules::breachesOf(broken, Rule::NeverPeriod);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0].period, (Period{day, 1}));
    }
    s.timetable.add(lesson("11", 4, 1, "02", "T2"));
    s.timetable.add(lesson("11", 1, 2, "01", "T1"));
    QVERIFY(rules::breachesOf(s, Rule::NeverPeriod).empty());
}

void TestHardRules::exclusiveCourseInOneClassAtATime() {
    School s = school();
    s.plan.push_back(row("11", "03", "T3", 2));
    s.setCapacity("03", 1);
    s.timetable.add(lesson("12", 1, 1, "03", "T3"));
    QVERIFY(has(against(s, "11", "03", "T4", {1, 1}), Obstacle::ExclusiveTaken));
    QVERIFY(!has(against(s, "11", "03", "T4", {1, 2}), Obstacle::ExclusiveTaken));
    QVERIFY(rules::breachesOf(s, Rule::Exclusive).empty());
    s.timetable.add(lesson("11", 1, 1, "03", "T4", Origin::Preset));
    QCOMPARE(rules::breachesOf(s, Rule::Exclusive).size(), size_t(1));
}

// Two rows of one course in a class keep their own shares: 语文 10 with one
// teacher (3 a day) and 4 with another (1 a day) may meet on one day.
void TestHardRules::dailySharePerPlanRow() {
    School s = school();
    s.plan = {row("11", "01", "T1", 10), row("11", "01", "T2", 4)};
    for (int n = 1; n <= 3; ++n)
        s.timetable.add(lesson("11", 1, n, "01", "T1"));
    s.timetable.add(lesson("11", 1, 4, "01", "T2"));
    QVERIFY(rules::breachesOf(s, Rule::DailyShare).empty());
    QVERIFY(has(against(s, "11", "01", "T1", {1, 5}), Obstacle::DailyShareReached));
    QVERIFY(has(against(s, "11", "01", "T2", {1, 5}), Obstacle::DailyShareReached));
    QVERIFY(!has(against(s, "11", "01", "T2", {2, 1}), Obstacle::DailyShareReached));

    School over = s;
    over.timetable.add(lesson("11", 1, 5, "01", "T2", Origin::ByHand));
    const auto found = rules::breachesOf(over, Rule::DailyShare);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].limit, 1LL);
    QVERIFY(!found[0].noteOnly);
    QVERIFY(!CheckTimetable(over, 6).ok());

    // Pre-set lessons alone over the share: told, not a fault.
    School preset = school();
    preset.timetable.add(lesson("11", 2, 1, "01", "T1", Origin::Preset));
    preset.timetable.add(lesson("11", 2, 2, "01", "T1", Origin::Preset));
    const auto note = rules::breachesOf(preset, Rule::DailyShare);
    QCOMPARE(note.size(), size_t(1));
    QVERIFY(note[0].noteOnly);
    const TimetableCheck c = CheckTimetable(preset, 6);
    QCOMPARE(c.notes.size(), 1);
    QVERIFY(c.dailyShareOver.isEmpty());
}

void TestHardRules::lessonsInsideTheWeek() {
    School s = school();
    s.timetable.add(lesson("11", 5, 6, "02", "T2"));
    QVERIFY(rules::breachesOf(s, Rule::InsideWeek).empty());
    QVERIFY(has(against(s, "11", "02", "T2", {5, 7}), Obstacle::OutsideWeek));
    s.timetable.add(lesson("11", 5, 7, "02", "T2"));
    s.timetable.add(lesson("11", 100000, 1, "02", "T2"));
    QCOMPARE(rules::breachesOf(s, Rule::InsideWeek).size(), size_t(2));
    // Lesson 7 of a six-lesson week is reported; day 100000 stops every run.
    QCOMPARE(rules::unrunnableReasons(s).size(), 1);
}

void TestHardRules::lessonsBelongToThePlan() {
    School s = school();
    s.timetable.add(lesson("11", 1, 1, "09", "T9", Origin::Preset)); // the school's own
    s.timetable.add(lesson("11", 2, 1, "02", "T2"));
    QVERIFY(rules::breachesOf(s, Rule::InPlan).empty());
    QVERIFY(has(against(s, "11", "09", "T9", {3, 1}), Obstacle::NotInPlan));

    School outside = s;
    outside.timetable.add(lesson("11", 3, 1, "02", "T9", Origin::ByHand));
    const auto found = rules::breachesOf(outside, Rule::InPlan);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].limit, -1LL);

    School full = s;
    full.plan[1].count = 1;
    QVERIFY(has(against(full, "11", "02", "T2", {3, 1}), Obstacle::RowComplete));
    full.timetable.add(lesson("11", 3, 1, "02", "T2"));
    const auto over = rules::breachesOf(full, Rule::InPlan);
    QCOMPARE(over.size(), size_t(1));
    QCOMPARE(over[0].lessons.size(), size_t(2));
}

void TestHardRules::planFaults() {
    School s = school();
    QVERIFY(rules::planFaultsOf(s).empty()); // a school without lists checks no codes
    s.knownCodes = School::Codes{{"11", "12"}, {"01", "02"}, {"T1", "T2"}};
    s.plan.push_back(row("11", "01", "T1", 1));          // repeated
    s.plan.push_back(row("11", "02", "T2", 2147483647)); // repeated, beyond the week
    std::vector<rules::PlanFault::Kind> kinds;
    for (const rules::PlanFault& f : rules::planFaultsOf(s))
        kinds.push_back(f.kind);
    using K = rules::PlanFault::Kind;
    QCOMPARE(kinds, (std::vector<K>{K::UnknownCourse, K::UnknownTeacher, K::Duplicate,
                                    K::CountOutOfRange, K::Duplicate}));
    QCOMPARE(rules::unrunnableReasons(s).size(), 1);
    QVERIFY(lessonCountFits(30, Week::ofLessons(6)));
    QVERIFY(!lessonCountFits(31, Week::ofLessons(6)));
    QVERIFY(lessonCountFits(35, Week::ofLessons(7)));
    QVERIFY(!lessonCountFits(-1, Week::ofLessons(7)));
}

void TestHardRules::checkFailsOnEveryBrokenRule() {
    School clean = school();
    clean.plan[0].buildCount = 1;
    clean.timetable.add(lesson("11", 1, 1, "01", "T1"));
    QVERIFY2(CheckTimetable(clean, 6).ok(),
             qPrintable(CheckTimetable(clean, 6).report().join('\n')));

    // The teacher's time-off, which check used to miss.
    School timeOff = clean;
    timeOff.limits.add(LimitKind::Teacher, "T1", LimitCell{{1, 1}, 3});
    const TimetableCheck c = CheckTimetable(timeOff, 6);
    QVERIFY(!c.ok());
    QCOMPARE(c.forbiddenCells.size(), 1);
    QVERIFY2(c.forbiddenCells[0].contains(QStringLiteral("老师 T1")),
             qPrintable(c.forbiddenCells[0]));
}

QTEST_GUILESS_MAIN(TestHardRules)
#include "test_hardrules.moc"
