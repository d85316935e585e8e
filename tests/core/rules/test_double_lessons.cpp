// Double lessons (连堂): pairs of adjacent lessons not across the midday
// break, the daily share that counts a double lesson once, the rule that a
// complete row has its double lessons, the block question the hand-placing
// and completion ask, the check's lines and the plan check.
#include "RuleQueries.h"
#include "SchoolBuilder.h"

#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/PlanCheck.h"
#include "core/rules/TimetableCheck.h"

#include <QTest>

namespace {

using rules::Obstacle;
using rules::Rule;

Lesson lesson(int day, int n, const QString& course = "05", Origin origin = Origin::Generated) {
    return Lesson{"11", Period{day, n}, course, "T5", origin, false};
}

// Class 11: 美术 (05) 2 a week as one double lesson (share 1), 语文 (01) 6
// a week without.
School school(long long artCount = 2, long long artDoubles = 1) {
    School s = emptySchool();
    PlanRow art;
    art.classCode = "11";
    art.courseCode = "05";
    art.teacherCode = "T5";
    art.count = artCount;
    art.doubles = artDoubles;
    PlanRow chinese = art;
    chinese.courseCode = "01";
    chinese.teacherCode = "T1";
    chinese.count = 6;
    chinese.doubles = 0;
    s.plan = {art, chinese};
    return s;
}

std::vector<rules::Reason> against(const School& s, Period p) {
    return rules::reasonsAgainst(s, rules::placingOf(s, "11", "05", "T5"), p);
}

std::vector<rules::Reason> againstDouble(const School& s, Period p) {
    return rules::reasonsAgainstDouble(s, rules::placingOf(s, "11", "05", "T5"), p);
}

unsigned bits(std::initializer_list<int> lessons) {
    unsigned b = 0;
    for (int n : lessons)
        b |= 1u << n;
    return b;
}

} // namespace

class TestDoubleLessons : public QObject {
    Q_OBJECT
private slots:
    void pairsAreAdjacentDisjointAndInsideAHalfDay();
    void aDoubleLessonCountsOnceTowardTheShare();
    void aCompleteRowHasItsDoubleLessons();
    void aCourseMaximumCountsADoubleLessonOnce();
    void aDoubleLessonIsAskedAsOneBlock();
    void checkNamesMissingDoubleLessons();
    void planCheckWeighsDoubleLessonsAgainstOpenPairs();
};

void TestDoubleLessons::pairsAreAdjacentDisjointAndInsideAHalfDay() {
    const MiddayBreak four;
    QCOMPARE(rules::doublePairs(bits({1, 2}), 6, four), 1);
    QCOMPARE(rules::doublePairs(bits({1, 2, 3}), 6, four), 1); // no lesson in two pairs
    QCOMPARE(rules::doublePairs(bits({1, 2, 3, 4}), 6, four), 2);
    QCOMPARE(rules::doublePairs(bits({4, 5}), 6, four), 0); // across the break
    QCOMPARE(rules::doublePairs(bits({3, 4, 5, 6}), 6, four), 2);
    QCOMPARE(rules::doublePairs(bits({4, 5}), 6, MiddayBreak{3}), 1);
    QCOMPARE(rules::doublePairs(bits({6, 7}), 6, four), 0); // beyond the day
    QCOMPARE(rules::doublePairs(bits({6, 7}), 7, four), 1);
    QCOMPARE(rules::doublePairs(bits({1, 3, 5}), 7, four), 0);
}

void TestDoubleLessons::aDoubleLessonCountsOnceTowardTheShare() {
    // Kept: 美术's double lesson on Monday fits a share of 1.
    School s = school();
    s.timetable.add(lesson(1, 1));
    s.timetable.add(lesson(1, 2));
    QVERIFY(rules::breachesOf(s, Rule::DailyShare).empty());
    QVERIFY(rules::breachesOf(s).empty());

    // Broken: two lessons apart, or across the break, are two lessons a day.
    for (const auto& [a, b] : {std::pair{1, 3}, std::pair{4, 5}}) {
        School apart = school();
        apart.timetable.add(lesson(1, a));
        apart.timetable.add(lesson(1, b));
        const auto found = rules::breachesOf(apart, Rule::DailyShare);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0].limit, 1LL);
    }
    // More pairs than double lessons: 4 a week with one double lesson
    // cannot have a double lesson on two days.
    School twice = school(4, 1);
    for (int day : {1, 2})
        for (int n : {1, 2})
            twice.timetable.add(lesson(day, n));
    QCOMPARE(rules::breachesOf(twice, Rule::DailyShare).size(), size_t(2));
    School once = school(4, 2);
    once.timetable = twice.timetable;
    QVERIFY(rules::breachesOf(once, Rule::DailyShare).empty());

    // Asked one lesson at a time: beside the first lesson, not apart from it.
    School one = school();
    one.timetable.add(lesson(1, 2));
    QVERIFY(!has(against(one, {1, 1}), Obstacle::DailyShareReached));
    QVERIFY(!has(against(one, {1, 3}), Obstacle::DailyShareReached));
    QVERIFY(has(against(one, {1, 4}), Obstacle::DailyShareReached));
    // A row without double lessons keeps the plain share.
    School plain = school(2, 0);
    plain.timetable.add(lesson(1, 2));
    QVERIFY(has(against(plain, {1, 3}), Obstacle::DailyShareReached));
    QVERIFY(
        rules::describe({Obstacle::DailyShareReached, {}}, rules::placingOf(one, "11", "05", "T5"))
            .contains(QStringLiteral("连堂算一节")));
}

void TestDoubleLessons::aCompleteRowHasItsDoubleLessons() {
    // Broken: 美术's two lessons on two days leave no double lesson.
    School s = school();
    s.timetable.add(lesson(1, 1));
    QVERIFY(rules::breachesOf(s, Rule::DoubleLessons).empty()); // not complete yet
    QVERIFY(has(against(s, {2, 1}), Obstacle::DoublesMissing));
    QVERIFY(!has(against(s, {1, 2}), Obstacle::DoublesMissing));
    s.timetable.add(lesson(2, 1, "05", Origin::ByHand));
    const auto found = rules::breachesOf(s, Rule::DoubleLessons);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].limit, 1LL);
    QCOMPARE(found[0].lessons.size(), size_t(2));
    QVERIFY(!found[0].noteOnly);

    // Pre-set alone: told, not a fault.
    School preset = school();
    preset.timetable.add(lesson(1, 1, "05", Origin::Preset));
    preset.timetable.add(lesson(2, 1, "05", Origin::Preset));
    const auto note = rules::breachesOf(preset, Rule::DoubleLessons);
    QCOMPARE(note.size(), size_t(1));
    QVERIFY(note[0].noteOnly);

    // Kept: a later morning makes lessons 4 and 5 one double lesson.
    School late = school();
    late.middayBreak.morningLessons = 5;
    late.timetable.add(lesson(3, 4));
    late.timetable.add(lesson(3, 5));
    QVERIFY(rules::breachesOf(late).empty());
    // No double lessons planned: nothing to miss.
    School none = school(2, 0);
    none.timetable.add(lesson(1, 1));
    none.timetable.add(lesson(2, 1));
    QVERIFY(rules::breachesOf(none).empty());
}

void TestDoubleLessons::aCourseMaximumCountsADoubleLessonOnce() {
    // Kept: 美术 at most 1 a day, its double lesson on Monday is one.
    School s = school();
    s.setDailyMax("05", 1);
    s.timetable.add(lesson(1, 1));
    s.timetable.add(lesson(1, 2));
    QVERIFY(rules::breachesOf(s).empty());
    QVERIFY(!has(against(s, {2, 1}), Obstacle::DailyShareReached));
    QVERIFY(has(against(s, {1, 3}), Obstacle::DailyShareReached));

    // Broken: two lessons apart are two; and the maximum does not excuse
    // the row from its double lesson.
    School apart = school();
    apart.setDailyMax("05", 2);
    apart.timetable.add(lesson(1, 1));
    apart.timetable.add(lesson(1, 3));
    QVERIFY(rules::breachesOf(apart, Rule::DailyShare).empty());
    QCOMPARE(rules::breachesOf(apart, Rule::DoubleLessons).size(), size_t(1));
    apart.setDailyMax("05", 1);
    const auto found = rules::breachesOf(apart, Rule::DailyShare);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].limit, 1LL);

    // More pairs than double lessons: both days are over.
    School twice = school(4, 1);
    twice.setDailyMax("05", 1);
    for (int day : {1, 2})
        for (int n : {1, 2})
            twice.timetable.add(lesson(day, n));
    QCOMPARE(rules::breachesOf(twice, Rule::DailyShare).size(), size_t(2));

    // The maximum counts the class's other row of the course beside the
    // pair: 王 (T6) has no double lessons, so his lesson is one more.
    School two = school(2, 1);
    two.setDailyMax("05", 1);
    PlanRow other = two.plan[0];
    other.teacherCode = "T6";
    other.doubles = 0;
    two.plan.push_back(other);
    two.timetable.add(lesson(1, 1));
    two.timetable.add(lesson(1, 2));
    const rules::Placing wang = rules::placingOf(two, "11", "05", "T6");
    QCOMPARE(rules::shareDoubles(wang), 1LL);
    QVERIFY(has(rules::reasonsAgainst(two, wang, {1, 4}), Obstacle::DailyShareReached));
    QVERIFY(!has(rules::reasonsAgainst(two, wang, {2, 4}), Obstacle::DailyShareReached));
    two.timetable.add(Lesson{"11", Period{1, 4}, "05", "T6", Origin::Generated, false});
    QCOMPARE(rules::breachesOf(two, Rule::DailyShare).size(), size_t(1));
    // Adjacent lessons of two teachers are no double lesson.
    School mixed = two;
    mixed.timetable = Timetable(Week::ofLessons(6));
    mixed.timetable.add(lesson(1, 1));
    mixed.timetable.add(Lesson{"11", Period{1, 2}, "05", "T6", Origin::Generated, false});
    QCOMPARE(rules::breachesOf(mixed, Rule::DailyShare).size(), size_t(1));
}

void TestDoubleLessons::aDoubleLessonIsAskedAsOneBlock() {
    School s = school();
    QVERIFY(againstDouble(s, {1, 1}).empty());
    QVERIFY(againstDouble(s, {1, 5}).empty());
    // Across the break, at the day's last lesson, outside the week.
    QVERIFY(has(againstDouble(s, {1, 4}), Obstacle::NoDoubleHere));
    QVERIFY(has(againstDouble(s, {1, 6}), Obstacle::NoDoubleHere));
    QVERIFY(has(againstDouble(s, {6, 1}), Obstacle::OutsideWeek));
    // Either period busy or closed keeps the block out.
    s.timetable.add(Lesson{"11", Period{2, 2}, "01", "T1", Origin::Generated, false});
    s.limits.add(LimitKind::Teacher, "T5", LimitCell{{3, 2}, attrOf(LimitLevel::Never)});
    QVERIFY(has(againstDouble(s, {2, 1}), Obstacle::ClassBusy));
    QVERIFY(has(againstDouble(s, {3, 1}), Obstacle::NeverAtPeriod));
    QVERIFY(againstDouble(s, {3, 3}).empty());
    // A row with one lesson placed has no room for two more.
    s.timetable.add(lesson(4, 1));
    QVERIFY(has(againstDouble(s, {5, 1}), Obstacle::RowComplete));
}

void TestDoubleLessons::checkNamesMissingDoubleLessons() {
    School s = school();
    s.timetable.add(lesson(1, 1));
    s.timetable.add(lesson(2, 3));
    const TimetableCheck broken = CheckTimetable(s, 6);
    QVERIFY(!broken.ok());
    QCOMPARE(broken.doublesMissing.size(), qsizetype(1));
    QVERIFY2(broken.doublesMissing[0].contains(QStringLiteral("计划连堂 1 次，课表中只有 0 次")),
             qPrintable(broken.doublesMissing[0]));
    QVERIFY(broken.report().join('\n').contains(QStringLiteral("连堂不足 1 处")));

    School kept = school();
    kept.timetable.add(lesson(1, 5));
    kept.timetable.add(lesson(1, 6));
    const TimetableCheck fine = CheckTimetable(kept, 6);
    QVERIFY(fine.doublesMissing.isEmpty());
    QVERIFY(!fine.report().join('\n').contains(QStringLiteral("连堂")));
}

void TestDoubleLessons::planCheckWeighsDoubleLessonsAgainstOpenPairs() {
    PlanCheckInput in;
    in.rows = {{"11", "05", "T5", 2, 1}};
    QVERIFY(CheckPlan(in).empty());
    // Every other period closed: no two adjacent lessons anywhere.
    for (int p = 0; p < 30; p += 2)
        in.classNever["11"].insert(p);
    auto found = CheckPlan(in);
    QVERIFY2(found.size() == 1, qPrintable(PlanProblemLines(found).join('\n')));
    QVERIFY2(found[0].text.contains(QStringLiteral("计划连堂 1 次")), qPrintable(found[0].text));
    QVERIFY2(found[0].text.contains(QStringLiteral("只有 0 次")), qPrintable(found[0].text));

    // Only lessons 4 and 5 of Monday open: across the break unless the
    // morning has five lessons.
    PlanCheckInput late;
    late.rows = {{"11", "05", "T5", 2, 1}};
    for (int p = 0; p < 30; ++p)
        if (p != 3 && p != 4)
            late.courseNever["05"].insert(p);
    QCOMPARE(CheckPlan(late).size(), size_t(1));
    late.morningLessons = 5;
    QVERIFY(CheckPlan(late).empty());

    // 10 a week as 5 double lessons (share 3): a double lesson a day needs
    // two adjacent open periods every day.
    PlanCheckInput full;
    full.rows = {{"11", "01", "T1", 10, 5}};
    for (int day = 0; day < 5; ++day)
        for (int n = 3; n < 6; ++n)
            full.teacherNever["T1"].insert(day * 6 + n);
    QVERIFY(CheckPlan(full).empty());
    for (int day = 0; day < 5; ++day)
        full.teacherNever["T1"].insert(day * 6 + 2);
    QVERIFY(CheckPlan(full).empty()); // a double lesson a day, nothing else
    // Monday's lessons 1 and 3 instead: as many periods, no pair.
    full.teacherNever["T1"].remove(2);
    full.teacherNever["T1"].insert(1);
    found = CheckPlan(full);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].planned, 5);
    QCOMPARE(found[0].available, 4);

    // A course's own maximum is the share: 10 a week with 2 double lessons
    // at most one a day needs 8 days.
    PlanCheckInput capped;
    capped.rows = {{"11", "01", "T1", 10, 2}};
    QVERIFY(CheckPlan(capped).empty());
    capped.courseRules["01"].maxPerDay = 1;
    found = CheckPlan(capped);
    QCOMPARE(found.size(), size_t(1));
    QVERIFY2(found[0].text.contains(QStringLiteral("每天不超过 1 节")), qPrintable(found[0].text));
}

QTEST_GUILESS_MAIN(TestDoubleLessons)
#include "test_double_lessons.moc"
