// 合班: the lessons of a joint row are one lesson of their teacher and room,
// and stand at the same periods in all its classes. For each rule a week that
// breaks it and one that keeps it, asked both ways.
#include "SchoolBuilder.h"

#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/PlanFaults.h"
#include "core/rules/TimetableCheck.h"

#include <QTest>

namespace {

using rules::Obstacle;
using rules::Rule;

// 体育 (03, T3) of 11 taught together with 12, twice a week; 13 has its own
// 体育 with T3; 语文 (01) with T1 in 11 and 12 apart.
School school() {
    School s = emptySchool();
    s.plan = {row("11", "03", "T3", 2), row("12", "03", "T3", 2), row("13", "03", "T3", 2),
              row("11", "01", "T1", 5), row("12", "01", "T1", 5)};
    s.joints.add("11", "03", "T3", "12");
    return s;
}

std::vector<rules::Breach> breaches(const School& s, Rule rule) {
    return rules::breachesOf(s, rule);
}

std::vector<rules::Reason> against(const School& s, const QString& cls, Period p) {
    return rules::reasonsAgainst(s, rules::placingOf(s, cls, "03", "T3"), p);
}

const rules::Reason* find(const std::vector<rules::Reason>& reasons, Obstacle o) {
    for (const rules::Reason& r : reasons)
        if (r.obstacle == o)
            return &r;
    return nullptr;
}

} // namespace

class TestJointRules : public QObject {
    Q_OBJECT
private slots:
    void jointRowsAreFoundFromEveryClass();
    void teacherGivesAJointLessonOnce();
    void jointLessonStandsInAllItsClasses();
    void otherClassesOfAJointLessonMustBeFree();
    void exclusiveRoomHoldsAJointLessonOnce();
    void planFaultsOfJointRows();
};

void TestJointRules::jointRowsAreFoundFromEveryClass() {
    JointClasses j;
    j.add("11", "03", "T3", "12");
    j.add("11", "03", "T3", "13");
    j.add("11", "03", "T3", "11"); // a class does not join itself
    j.add("12", "03", "T3", "14"); // 12 is already a further class of that lesson
    QCOMPARE(j.rows().size(), size_t(1));
    QCOMPARE(j.rows()[0].classes(), (QStringList{"11", "12", "13"}));
    QVERIFY(j.rowOf("13", "03", "T3") == &j.rows()[0]);
    QVERIFY(!j.rowOf("13", "03", "T4"));
    QVERIFY(j.isFurther("12", "03", "T3"));
    QVERIFY(!j.isFurther("11", "03", "T3"));
    QVERIFY(j.together("12", "13", "03", "T3"));
    QVERIFY(!j.together("12", "14", "03", "T3"));
}

void TestJointRules::teacherGivesAJointLessonOnce() {
    School s = school();
    s.timetable.add(lesson("11", 1, 1, "03", "T3"));
    s.timetable.add(lesson("12", 1, 1, "03", "T3"));
    QVERIFY(breaches(s, Rule::TeacherOnce).empty());
    QVERIFY(breaches(s, Rule::JointTogether).empty());
    // The joint lesson does not keep its own partner out: 12 may take it.
    s.timetable.removeAt(1);
    QVERIFY(!find(against(s, "12", {1, 1}), Obstacle::TeacherBusy));
    // 13's own 体育 with the same teacher then is a second lesson.
    QVERIFY(find(against(s, "13", {1, 1}), Obstacle::TeacherBusy));
    s.timetable.add(lesson("12", 1, 1, "03", "T3"));
    s.timetable.add(lesson("13", 1, 1, "03", "T3"));
    const auto clash = breaches(s, Rule::TeacherOnce);
    QCOMPARE(clash.size(), size_t(1));
    QCOMPARE(clash[0].lessons.size(), size_t(3));
    // Without the link the two classes are two lessons of one teacher.
    School apart = s;
    apart.joints = {};
    apart.timetable.removeAt(2);
    QCOMPARE(breaches(apart, Rule::TeacherOnce).size(), size_t(1));
}

void TestJointRules::jointLessonStandsInAllItsClasses() {
    School s = school();
    s.timetable.add(lesson("11", 2, 3, "03", "T3"));
    s.timetable.add(lesson("12", 2, 3, "03", "T3"));
    QVERIFY(breaches(s, Rule::JointTogether).empty());
    // 11 alone on Wednesday, 12 alone on Thursday: two breaches.
    s.timetable.add(lesson("11", 3, 1, "03", "T3"));
    s.timetable.add(lesson("12", 4, 2, "03", "T3"));
    const auto apart = breaches(s, Rule::JointTogether);
    QCOMPARE(apart.size(), size_t(2));
    QCOMPARE(apart[0].code, QString("11"));
    QCOMPARE(apart[0].period, (Period{3, 1}));
    QCOMPARE(apart[1].period, (Period{4, 2}));
    QCOMPARE(apart[1].lessons.front().classCode, QString("12"));
    // check names it, with the class that lacks the lesson.
    const TimetableCheck check = CheckTimetable(s, 6);
    QVERIFY(!check.ok());
    QCOMPARE(check.jointApart.size(), 2);
    QVERIFY2(check.jointApart[0].contains("11有课，12没有"), qPrintable(check.jointApart[0]));
    // A lesson of 12's 语文 apart from 11's is no joint lesson.
    School other = school();
    other.timetable.add(lesson("12", 1, 1, "01", "T1"));
    QVERIFY(breaches(other, Rule::JointTogether).empty());
}

void TestJointRules::otherClassesOfAJointLessonMustBeFree() {
    School s = school();
    s.timetable.add(lesson("12", 1, 2, "01", "T1"));
    s.limits.add(LimitKind::Class, "12", {Period{2, 4}, attrOf(LimitLevel::Never)});
    // 12's 语文 holds the period: said of 12, naming the lesson.
    const auto busy = against(s, "11", {1, 2});
    const rules::Reason* r = find(busy, Obstacle::ClassBusy);
    QVERIFY(r);
    QCOMPARE(r->jointClass, QString("12"));
    QCOMPARE(r->other.courseCode, QString("01"));
    const rules::Placing p = rules::placingOf(s, "11", "03", "T3");
    const QString text = rules::describe(*r, p, [](char kind, const QString& code) {
        return kind == 'c'    ? code + QStringLiteral("班")
               : code == "01" ? QStringLiteral("语文")
                              : QString();
    });
    QCOMPARE(text, QStringLiteral("合班12班：12班此时已有语文课"));
    // 12's "不排" keeps the joint lesson out, asked from either class.
    QVERIFY(find(against(s, "11", {2, 4}), Obstacle::NeverAtPeriod));
    QVERIFY(find(against(s, "12", {2, 4}), Obstacle::NeverAtPeriod));
    // 12's daily share of 体育 (one a day) is reached by a lesson apart.
    s.timetable.add(lesson("12", 3, 5, "03", "T3"));
    const std::vector<rules::Reason> reasons = against(s, "11", {3, 1});
    const rules::Reason* share = find(reasons, Obstacle::DailyShareReached);
    QVERIFY(share);
    QCOMPARE(share->jointClass, QString("12"));
    // A period free in both classes is open; the lessons of 13 are no matter.
    s.timetable.add(lesson("13", 5, 1, "01", "T1"));
    QVERIFY(against(s, "11", {5, 1}).empty());
}

void TestJointRules::exclusiveRoomHoldsAJointLessonOnce() {
    School s = school();
    s.setCapacity("03", 1);
    s.timetable.add(lesson("11", 1, 1, "03", "T3"));
    s.timetable.add(lesson("12", 1, 1, "03", "T3"));
    QVERIFY(breaches(s, Rule::Exclusive).empty());
    s.timetable.removeAt(1);
    QVERIFY(!find(against(s, "12", {1, 1}), Obstacle::ExclusiveTaken));
    QVERIFY(find(rules::reasonsAgainst(s, rules::placingOf(s, "13", "03", "T4"), {1, 1}),
                 Obstacle::ExclusiveTaken));
    s.timetable.add(lesson("12", 1, 1, "03", "T3"));
    s.timetable.add(lesson("13", 1, 1, "03", "T4"));
    QCOMPARE(breaches(s, Rule::Exclusive).size(), size_t(1));
}

void TestJointRules::planFaultsOfJointRows() {
    School s = school();
    QVERIFY(rules::planFaultsOf(s).empty());
    s.plan[1].count = 3;                  // 12 plans another count
    s.joints.add("11", "03", "T3", "14"); // 14 has no 体育 row at all
    s.knownCodes = School::Codes{{"11", "12", "13"}, {"01", "03"}, {"T1", "T3"}};
    s.joints.add("11", "03", "T3", "15");
    s.knownCodes->classes.insert("14");
    const auto faults = rules::planFaultsOf(s);
    QCOMPARE(faults.size(), size_t(3));
    QCOMPARE(faults[0].kind, rules::PlanFault::Kind::JointCountDiffers);
    QCOMPARE(faults[1].kind, rules::PlanFault::Kind::JointNoRow);
    QCOMPARE(faults[1].otherClass, QString("14"));
    QCOMPARE(faults[2].kind, rules::PlanFault::Kind::JointUnknownClass);
    const QStringList lines = rules::planFaultLines(faults, s.timetable.week());
    QVERIFY2(lines[0].startsWith(QStringLiteral("合班错误：11 03（T3） 与12合班")),
             qPrintable(lines[0]));
    // The further class's row adds nothing to the teacher's lessons.
    QCOMPARE(rules::teacherWeeklyLessons(school(), "T3"), 4LL);
}

QTEST_APPLESS_MAIN(TestJointRules)
#include "test_jointrules.moc"
