// Unplaced lessons by root cause, on schools built in memory: each cause is
// found, counted and named, and the change it offers does let a lesson in.
#include "SchoolBuilder.h"

#include "core/rules/Placement.h"
#include "core/rules/RootCauses.h"

#include <QTest>

namespace {

void never(School& s, LimitKind kind, const QString& code, Period q) {
    s.limits.add(kind, code, LimitCell{q, attrOf(LimitLevel::Never)});
}

// Every lesson of the plan row placed at the first periods where the rules
// take it, at most n of them.
void place(School& s, const QString& cls, const QString& course, const QString& teacher, int n,
           Origin origin = Origin::Generated) {
    s.timetable.week().forEach([&](Period q) {
        if (n == 0)
            return;
        const rules::Placing p = rules::placingOf(s, cls, course, teacher);
        for (const rules::Reason& r : rules::reasonsAgainst(s, p, q))
            if (r.obstacle != rules::Obstacle::TeacherDayCap)
                return;
        s.timetable.add({cls, q, course, teacher, origin});
        --n;
    });
}

const rules::RootCause* causeOf(const std::vector<rules::RootCause>& causes, rules::CauseKind k) {
    for (const rules::RootCause& c : causes)
        if (c.kind == k)
            return &c;
    return nullptr;
}

} // namespace

class TestRootCauses : public QObject {
    Q_OBJECT
private slots:
    void exclusiveCourseBeyondItsPeriods();
    void teacherBeyondTheirPeriodsGetsAPeriodOpened();
    void dailyShareOverTooFewDays();
    void presetLessonsLeaveTooLittleRoom();
    void crowdedRowGoesToASecondTeacher();
    void nothingMissingNothingSaid();
};

void TestRootCauses::exclusiveCourseBeyondItsPeriods() {
    // 信息技术 is exclusive and open on Monday only (6 periods); three classes
    // want 5 each (two a day). 9 of 15 stay out.
    School s = emptySchool();
    s.setCapacity("IT", 1);
    for (int day = 2; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            never(s, LimitKind::Course, "IT", {day, n});
    for (const QString cls : {"11", "12", "13"}) {
        s.plan.push_back(row(cls, "IT", "T" + cls, 5));
        place(s, cls, "IT", "T" + cls, 5);
    }
    const auto causes = rules::rootCauses(s, [](char kind, const QString& code) {
        return kind == 'k' && code == "IT" ? QStringLiteral("信息技术") : QString();
    });
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].kind, rules::CauseKind::ExclusiveCourse);
    QCOMPARE(causes[0].lessons, 9);
    QCOMPARE(causes[0].line,
             QStringLiteral("信息技术：9 节排不下——专用课程每周只有 6 个可用时间，计划 15 节"));
    // A Tuesday period opened: a class still missing a lesson is free then.
    QVERIFY2(causes[0].change.startsWith(QStringLiteral("取消课程 信息技术 星期二第")),
             qPrintable(causes[0].change));
    const QStringList lines = rules::causeLines(causes);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[2].contains(causes[0].change));
}

void TestRootCauses::teacherBeyondTheirPeriodsGetsAPeriodOpened() {
    // 王芳 is off all Friday (24 open periods) and planned for 13 + 13.
    School s = emptySchool();
    for (int n = 1; n <= 6; ++n)
        never(s, LimitKind::Teacher, "TW", {5, n});
    s.plan = {row("11", "01", "TW", 13), row("12", "01", "TW", 13)};
    place(s, "11", "01", "TW", 13);
    place(s, "12", "01", "TW", 13);
    const auto causes = rules::rootCauses(s);
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].kind, rules::CauseKind::Teacher);
    QCOMPARE(causes[0].code, QStringLiteral("TW"));
    QCOMPARE(causes[0].lessons, 2);
    QCOMPARE(causes[0].line,
             QStringLiteral("老师 TW：2 节排不下——每周只有 24 个可上课时间，计划 26 节"));
    QVERIFY2(causes[0].change.startsWith(QStringLiteral("取消老师 TW 星期五第")),
             qPrintable(causes[0].change));
}

void TestRootCauses::dailyShareOverTooFewDays() {
    // 4 lessons a week (one a day) but the class is off Wednesday to Friday.
    School s = emptySchool();
    for (int day = 3; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            never(s, LimitKind::Class, "11", {day, n});
    s.plan = {row("11", "01", "T1", 4)};
    place(s, "11", "01", "T1", 4);
    QCOMPARE(s.timetable.lessons().size(), std::size_t(2));
    const auto causes = rules::rootCauses(s);
    QCOMPARE(causes.size(), std::size_t(1));
    QCOMPARE(causes[0].kind, rules::CauseKind::DailyShare);
    QCOMPARE(causes[0].line,
             QStringLiteral("11 01（T1）：2 节排不下——每天最多 1 节，只有 2 天可排，计划 4 节"));
    // The course's own daily maximum is the first change tried: one
    // setting lets both missing lessons in.
    QCOMPARE(causes[0].change, QStringLiteral("把01的每天最多节数改为 2"));
}

void TestRootCauses::presetLessonsLeaveTooLittleRoom() {
    // T1 gives 27 pre-set lessons in class 12; of the three periods left
    // (Friday 4–6), class 11 has two pre-set already and the third holds one
    // of its three lessons with T1: two stay out.
    School s = emptySchool();
    s.plan = {row("12", "02", "T1", 27), row("11", "01", "T1", 3), row("11", "03", "T3", 2)};
    s.timetable.week().forEach([&](Period q) {
        if (q.day < 5 || q.lessonNo < 4)
            s.timetable.add({"12", q, "02", "T1", Origin::Preset});
    });
    s.timetable.add({"11", {5, 4}, "03", "T3", Origin::Preset});
    s.timetable.add({"11", {5, 5}, "03", "T3", Origin::Preset});
    s.timetable.add({"11", {5, 6}, "01", "T1", Origin::Generated});
    const auto causes = rules::rootCauses(s);
    const rules::RootCause* c = causeOf(causes, rules::CauseKind::Fixed);
    QVERIFY(c);
    QCOMPARE(c->lessons, 2);
    QCOMPARE(c->line, QStringLiteral("11 01（T1）：2 节排不下——预先固定的课和“不排”时间只留下 1 "
                                     "个可排的时间，计划 3 节"));
    // Moving one of class 12's pre-set lessons to where class 11 is busy
    // anyway frees 王芳 for it.
    QCOMPARE(c->change, QStringLiteral("把12星期一第1节预先固定的02课移到星期五第4节"));
}

void TestRootCauses::crowdedRowGoesToASecondTeacher() {
    // Class 11 is free at Friday 6 only, where its 语文 teacher teaches class
    // 12. Nothing closes a period: the lesson is crowded out, and a second
    // teacher of 语文 who is free then lets it in.
    School s = emptySchool();
    s.plan = {row("11", "01", "T1", 1), row("11", "02", "T2", 29), row("12", "01", "T1", 29),
              row("13", "01", "T3", 1), row("13", "02", "T2", 1)};
    s.timetable.week().forEach([&](Period q) {
        if (q != Period{5, 6})
            s.timetable.add({"11", q, "02", "T2", Origin::Generated});
        if (q != Period{1, 1})
            s.timetable.add({"12", q, "01", "T1", Origin::Generated});
    });
    place(s, "13", "01", "T3", 1);
    s.timetable.add({"13", {5, 6}, "02", "T2", Origin::Generated});
    const auto causes = rules::rootCauses(s);
    const rules::RootCause* c = causeOf(causes, rules::CauseKind::Crowded);
    QVERIFY(c);
    QCOMPARE(c->lessons, 1);
    QCOMPARE(c->change, QStringLiteral("把11的01课分 1 节给老师 T3"));
    // Once 王芳 is free where class 11 is, nothing keeps the lesson out.
    s.timetable.removeIf([](const Lesson& l) {
        return l.classCode == "12" && l.period == Period{5, 6};
    });
    s.plan[2].count = 28;
    const auto now = rules::rootCauses(s);
    QCOMPARE(now.size(), std::size_t(1));
    QCOMPARE(now[0].kind, rules::CauseKind::Placeable);
    QCOMPARE(now[0].line, QStringLiteral("11 01（T1）：1 节还没排——现在有 1 个时间可以直接排进去"));
    QCOMPARE(rules::causeLines(now).size(), 2);
}

void TestRootCauses::nothingMissingNothingSaid() {
    School s = emptySchool();
    s.plan = {row("11", "01", "T1", 2)};
    place(s, "11", "01", "T1", 2);
    QVERIFY(rules::rootCauses(s).empty());
    QVERIFY(rules::causeLines({}).isEmpty());
    QCOMPARE(rules::periodText({3, 5}), QStringLiteral("星期三第5节"));
}

QTEST_GUILESS_MAIN(TestRootCauses)
#include "test_root_causes.moc"
