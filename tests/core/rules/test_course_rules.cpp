// A course's own rules: its room holds so many classes at once (同时上课班数)
// and a class has at most so many of its lessons a day (每天最多节数). Each
// broken and kept, asked both ways, then what check, plan-check and the root
// causes say of them.
#include "RuleQueries.h"
#include "SchoolBuilder.h"

#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/PlanCheck.h"
#include "core/rules/RootCauses.h"
#include "core/rules/TimetableCheck.h"
#include "core/rules/WhyUnplaced.h"

#include <QTest>

namespace {

using rules::Obstacle;
using rules::Rule;

// 体育 (PE) on the playground for classes 11 to 14, one teacher each.
School playground(int capacity) {
    School s = emptySchool();
    for (const char* c : {"11", "12", "13", "14"})
        s.plan.push_back(row(c, "PE", QStringLiteral("T") + c, 4));
    s.setCapacity("PE", capacity);
    return s;
}

} // namespace

class TestCourseRules : public QObject {
    Q_OBJECT
private slots:
    void roomHoldsItsCapacityOfClasses();
    void exclusiveIsCapacityOne();
    void courseDailyMaxCountsEveryRowOfTheClass();
    void withoutCourseMaxEachRowKeepsItsShare();
    void generationKeepsBoth();
    void planCheckWeighsCapacityAndMaximum();
    void rootCausesOfferAWiderRoomAndAHigherMaximum();
};

void TestCourseRules::roomHoldsItsCapacityOfClasses() {
    School s = playground(3);
    s.timetable.add(lesson("11", 1, 1, "PE", "T11"));
    s.timetable.add(lesson("12", 1, 1, "PE", "T12"));
    QVERIFY(!has(against(s, "13", "PE", "T13", {1, 1}), Obstacle::ExclusiveTaken));
    s.timetable.add(lesson("13", 1, 1, "PE", "T13"));
    QVERIFY(rules::breachesOf(s, Rule::Exclusive).empty());
    // The fourth class finds the room full, one reason naming the room.
    const auto reasons = against(s, "14", "PE", "T14", {1, 1});
    QCOMPARE(std::count_if(
                 reasons.begin(), reasons.end(),
                 [](const rules::Reason& r) { return r.obstacle == Obstacle::ExclusiveTaken; }),
             1);
    const rules::Placing p = rules::placingOf(s, "14", "PE", "T14");
    QCOMPARE(rules::describe(reasons.front(), p,
                             [](char kind, const QString& code) {
                                 return kind == 'k' && code == "PE" ? QStringLiteral("操场")
                                                                    : QString();
                             }),
             QStringLiteral("操场同时最多 3 个班，此时已在11等班上课"));
    QVERIFY(!has(against(s, "14", "PE", "T14", {1, 2}), Obstacle::ExclusiveTaken));
    // A class already there is no further class: its own clash says the rest.
    QVERIFY(!has(against(s, "13", "PE", "T13", {1, 1}), Obstacle::ExclusiveTaken));

    s.timetable.add(lesson("14", 1, 1, "PE", "T14", Origin::ByHand));
    const auto found = rules::breachesOf(s, Rule::Exclusive);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].limit, 3LL);
    QCOMPARE(found[0].lessons.size(), std::size_t(4));
    const TimetableCheck c = CheckTimetable(s, 6);
    QCOMPARE(c.exclusiveClashes.size(), 1);
    QVERIFY2(c.exclusiveClashes[0].endsWith(QStringLiteral("（PE同时最多 3 个班）")),
             qPrintable(c.exclusiveClashes[0]));
    // Two lessons of one class in the room are one class.
    School twice = playground(2);
    twice.timetable.add(lesson("11", 2, 1, "PE", "T11"));
    twice.timetable.add(lesson("11", 2, 1, "PE", "T11", Origin::Preset));
    twice.timetable.add(lesson("12", 2, 1, "PE", "T12"));
    QVERIFY(rules::breachesOf(twice, Rule::Exclusive).empty());
}

void TestCourseRules::exclusiveIsCapacityOne() {
    School s = playground(1);
    QVERIFY(s.isExclusive("PE"));
    s.timetable.add(lesson("11", 1, 1, "PE", "T11"));
    const auto reasons = against(s, "12", "PE", "T12", {1, 1});
    QVERIFY(has(reasons, Obstacle::ExclusiveTaken));
    QCOMPARE(rules::describe(reasons.front(), rules::placingOf(s, "12", "PE", "T12")),
             QStringLiteral("专用课程PE此时已在11上课"));
    s.setCapacity("PE", 2);
    QVERIFY(!s.isExclusive("PE"));
    QVERIFY(!has(against(s, "12", "PE", "T12", {1, 1}), Obstacle::ExclusiveTaken));
    s.setCapacity("PE", 0);
    QVERIFY(s.courseRules.isEmpty());
}

// 语文 split between two teachers in class 11 (10 + 4): with the course's
// maximum of 2 a day the class has at most two 语文 lessons a day, whoever
// gives them; other classes count apart.
void TestCourseRules::courseDailyMaxCountsEveryRowOfTheClass() {
    School s = emptySchool();
    s.plan = {row("11", "01", "T1", 10), row("11", "01", "T2", 4), row("12", "01", "T1", 5)};
    s.setDailyMax("01", 2);
    s.timetable.add(lesson("11", 1, 1, "01", "T1"));
    QVERIFY(!has(against(s, "11", "01", "T2", {1, 2}), Obstacle::DailyShareReached));
    s.timetable.add(lesson("11", 1, 2, "01", "T2"));
    QVERIFY(rules::breachesOf(s, Rule::DailyShare).empty());
    QVERIFY(has(against(s, "11", "01", "T1", {1, 3}), Obstacle::DailyShareReached));
    QVERIFY(has(against(s, "11", "01", "T2", {1, 3}), Obstacle::DailyShareReached));
    QVERIFY(!has(against(s, "11", "01", "T1", {2, 1}), Obstacle::DailyShareReached));
    QVERIFY(!has(against(s, "12", "01", "T1", {1, 3}), Obstacle::DailyShareReached));
    QCOMPARE(rules::placingOf(s, "11", "01", "T1").dailyShare, 2);

    s.timetable.add(lesson("11", 1, 3, "01", "T1", Origin::ByHand));
    const auto found = rules::breachesOf(s, Rule::DailyShare);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].limit, 2LL);
    QCOMPARE(found[0].lessons.size(), std::size_t(3));
    const TimetableCheck c = CheckTimetable(s, 6);
    QCOMPARE(c.dailyShareOver,
             QStringList{QStringLiteral("超过每天节数：11 星期一 01有 3 节，每天最多 2 节")});

    // A maximum under the row's share holds too: 10 a week would allow 3.
    School low = emptySchool();
    low.plan = {row("11", "01", "T1", 10)};
    low.setDailyMax("01", 1);
    low.timetable.add(lesson("11", 1, 1, "01", "T1"));
    QVERIFY(has(against(low, "11", "01", "T1", {1, 2}), Obstacle::DailyShareReached));
    const rules::Placing p = rules::placingOf(low, "11", "01", "T1");
    QVERIFY(!rules::generationMayUse(low, p, {1, 2}));
    QVERIFY(rules::generationMayUse(low, p, {2, 2}));
}

void TestCourseRules::withoutCourseMaxEachRowKeepsItsShare() {
    School s = emptySchool();
    s.plan = {row("11", "01", "T1", 4), row("11", "01", "T2", 4)};
    s.timetable.add(lesson("11", 1, 1, "01", "T1"));
    s.timetable.add(lesson("11", 1, 2, "01", "T2"));
    QVERIFY(rules::breachesOf(s, Rule::DailyShare).empty());
    s.setDailyMax("01", 1);
    QCOMPARE(rules::breachesOf(s, Rule::DailyShare).size(), std::size_t(1));
    s.setDailyMax("01", 3);
    QVERIFY(rules::breachesOf(s, Rule::DailyShare).empty());
}

// Six classes share a playground for two at a time and have 语文 with a
// maximum of two a day: generation and completion place every lesson and
// break neither rule.
void TestCourseRules::generationKeepsBoth() {
    School s = emptySchool();
    for (int c = 1; c <= 6; ++c) {
        const QString cls = QStringLiteral("1%1").arg(c);
        s.plan.push_back(row(cls, "PE", QStringLiteral("P%1").arg(c % 3), 5));
        s.plan.push_back(row(cls, "01", QStringLiteral("Y%1").arg(c), 8));
        s.plan.push_back(row(cls, "02", QStringLiteral("S%1").arg(c), 6));
    }
    s.setCapacity("PE", 2);
    s.setDailyMax("01", 2);
    (void)GenerateTimetable(s);
    const SchoolCompletion done = CompleteSchool(s, CompletionRun{});
    QVERIFY2(done.report.ok, qPrintable(done.report.error));
    QCOMPARE(s.timetable.lessons().size(), std::size_t(6 * 19));
    for (const rules::Breach& b : rules::breachesOf(s))
        QVERIFY2(b.noteOnly, qPrintable(rules::ruleName(b.rule)));
    QHash<QString, int> perDay;
    for (const Lesson& l : s.timetable.lessons())
        if (l.courseCode == "01")
            QVERIFY(++perDay[l.classCode + QString::number(l.period.day)] <= 2);
}

void TestCourseRules::planCheckWeighsCapacityAndMaximum() {
    PlanCheckInput in;
    in.lessonsPerDay = 6;
    // Four classes with 10 lessons of PE each: 40 > 30 periods for one class
    // at a time, but a room for two holds 60.
    for (const char* c : {"11", "12", "13", "14"})
        in.rows.push_back({c, "PE", QStringLiteral("T") + c, 10});
    in.courseRules["PE"].maxClasses = 2;
    in.courseNever["PE"] = {24, 25, 26, 27, 28, 29}; // Friday off: 2 × 24 = 48
    QVERIFY(CheckPlan(in).empty());
    in.rows.push_back({"15", "PE", "T15", 10});
    auto problems = CheckPlan(in);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].kind, PlanProblem::Kind::Exclusive);
    QCOMPARE(problems[0].available, 48);
    QCOMPARE(problems[0].text, QStringLiteral("PE同时最多 2 个班：各班共计划 50 节，每周可上课时间 "
                                              "24 节，最多能上 48 节"));
    // A row against the course's maximum on its open days: 10 lessons, at
    // most 2 a day on four days.
    in.rows = {{"11", "PE", "T11", 10}};
    in.courseRules["PE"].maxPerDay = 2;
    problems = CheckPlan(in);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].kind, PlanProblem::Kind::Row);
    QCOMPARE(problems[0].available, 8);
    in.courseRules["PE"].maxPerDay = 3;
    QVERIFY(CheckPlan(in).empty());
}

void TestCourseRules::rootCausesOfferAWiderRoomAndAHigherMaximum() {
    // A room for two and three classes with 21 lessons each: 63 lessons,
    // but the week holds 2 × 30. Each pair of classes has a third of the
    // periods; every class misses one lesson, which a room for three takes.
    School s = emptySchool();
    for (const char* c : {"11", "12", "13"})
        s.plan.push_back(row(c, "PE", QStringLiteral("T") + c, 21));
    s.setCapacity("PE", 2);
    const char* pairs[3][2] = {{"11", "12"}, {"12", "13"}, {"11", "13"}};
    int k = 0;
    s.timetable.week().forEach([&](Period q) {
        for (const char* c : pairs[k++ % 3])
            s.timetable.add(lesson(c, q.day, q.lessonNo, "PE", QStringLiteral("T") + c));
    });
    auto causes = rules::rootCauses(s);
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].kind, rules::CauseKind::ExclusiveCourse);
    QCOMPARE(causes[0].line,
             QStringLiteral("PE：3 节排不下——同时最多 2 个班，每周最多能上 60 节，计划 63 节"));
    QCOMPARE(causes[0].change, QStringLiteral("把PE的同时上课班数改为 3"));

    // Four lessons of a row whose class is off from Wednesday: one a day
    // leaves two out, two a day lets them in.
    School d = emptySchool();
    d.plan = {row("11", "01", "T1", 4)};
    for (int day = 3; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            d.limits.add(LimitKind::Class, "11", LimitCell{{day, n}, attrOf(LimitLevel::Never)});
    d.timetable.add(lesson("11", 1, 1, "01", "T1"));
    d.timetable.add(lesson("11", 2, 1, "01", "T1"));
    causes = rules::rootCauses(d);
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].kind, rules::CauseKind::DailyShare);
    QCOMPARE(causes[0].change, QStringLiteral("把01的每天最多节数改为 2"));
    // Already at a maximum of 2: the offer is 3.
    d.setDailyMax("01", 2);
    d.plan = {row("11", "01", "T1", 6)};
    d.timetable.add(lesson("11", 1, 2, "01", "T1"));
    d.timetable.add(lesson("11", 2, 2, "01", "T1"));
    causes = rules::rootCauses(d);
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].change, QStringLiteral("把01的每天最多节数改为 3"));
}

QTEST_GUILESS_MAIN(TestCourseRules)
#include "test_course_rules.moc"
