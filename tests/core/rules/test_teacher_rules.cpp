// A teacher's own limits (lessons a day, lessons in a row) and a subject
// group's meeting time: each rule broken and kept, asked both ways; what
// check, the explanations and plan-check say of them; generation and
// completion keeping them; and how the settings are stored.
#include "RuleQueries.h"
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/PlanCheck.h"
#include "core/rules/RootCauses.h"
#include "core/rules/TimetableCheck.h"
#include "core/rules/WhyUnplaced.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/TeacherRuleStore.h"

#include <QTest>

namespace {

using rules::Obstacle;
using rules::Rule;

PlanRow row(long long rowid, const QString& cls, const QString& course, const QString& teacher,
            long long count) {
    return PlanRow{rowid, cls, course, teacher, count, 0, false};
}

// Teacher W (王芳) teaches 语文 (01) in classes 11, 12 and 13.
School school(int maxPerDay, int maxInRow) {
    School s = emptySchool(7);
    s.plan = {row(1, "11", "01", "W", 8), row(2, "12", "01", "W", 8), row(3, "13", "01", "W", 8)};
    s.teacherRules.set("W", TeacherRule{maxPerDay, maxInRow, {}});
    return s;
}

std::vector<rules::Reason> against(const School& s, const QString& cls, Period p,
                                   const QString& teacher = "W") {
    return rules::reasonsAgainst(s, rules::placingOf(s, cls, "01", teacher), p);
}

QString names(char kind, const QString& code) {
    if (kind == 't' && code == "W")
        return QStringLiteral("王芳");
    return {};
}

} // namespace

class TestTeacherRules : public QObject {
    Q_OBJECT
private slots:
    void dailyMaximumOfATeacher();
    void lessonsInARowEndAtTheMiddayBreak();
    void groupMeetingClosesItsTeachersPeriods();
    void planCheckWeighsDailyMaximumAndGroupTime();
    void generationAndCompletionKeepTheLimits();
    void storedOnlyWhenWrittenAndReadBack();
};

void TestTeacherRules::dailyMaximumOfATeacher() {
    School s = school(2, 0);
    s.timetable.add(lesson("11", 3, 1, "01", "W"));
    s.timetable.add(lesson("12", 3, 3, "01", "W"));
    QVERIFY(has(against(s, "13", {3, 5}), Obstacle::TeacherDailyMax));
    QVERIFY(!has(against(s, "13", {4, 5}), Obstacle::TeacherDailyMax));
    QVERIFY(rules::breachesOf(s, Rule::TeacherDailyMax).empty());
    // Another teacher is not limited by W's maximum.
    QVERIFY(!has(against(s, "13", {3, 5}, "X"), Obstacle::TeacherDailyMax));

    s.timetable.add(lesson("13", 3, 5, "01", "W"));
    const auto found = rules::breachesOf(s, Rule::TeacherDailyMax);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].period, (Period{3, 0}));
    QCOMPARE(found[0].lessons.size(), size_t(3));
    QVERIFY(!found[0].noteOnly);
    const TimetableCheck check = CheckTimetable(s, 7, names);
    QVERIFY(!check.ok());
    QCOMPARE(check.teacherLimits.size(), qsizetype(1));
    QVERIFY2(check.teacherLimits[0].contains(QStringLiteral("王芳 星期三已上 3 节，每天最多 2 节")),
             qPrintable(check.teacherLimits[0]));

    // Pre-set lessons alone over the maximum are the school's decision: a note.
    School preset = school(1, 0);
    preset.timetable.add(lesson("11", 2, 1, "01", "W", Origin::Preset));
    preset.timetable.add(lesson("12", 2, 2, "01", "W", Origin::Preset));
    QVERIFY(rules::breachesOf(preset, Rule::TeacherDailyMax)[0].noteOnly);
    const TimetableCheck noted = CheckTimetable(preset, 7);
    QVERIFY(noted.teacherLimits.isEmpty());
    QCOMPARE(noted.notes.size(), qsizetype(1));
}

void TestTeacherRules::lessonsInARowEndAtTheMiddayBreak() {
    School s = school(0, 2);
    s.timetable.add(lesson("11", 1, 3, "01", "W"));
    s.timetable.add(lesson("12", 1, 4, "01", "W"));
    // Lessons 3 and 4 are a row of two; 5 comes after the break.
    QVERIFY(has(against(s, "13", {1, 2}), Obstacle::TeacherInRow));
    QVERIFY(!has(against(s, "13", {1, 5}), Obstacle::TeacherInRow));
    QVERIFY(!has(against(s, "13", {1, 1}), Obstacle::TeacherInRow));
    s.timetable.add(lesson("13", 1, 5, "01", "W"));
    s.timetable.add(lesson("11", 1, 6, "01", "W"));
    QVERIFY(rules::breachesOf(s, Rule::TeacherInRow).empty());
    // Joining two rows through the gap between them is too long as well.
    s.timetable.add(lesson("12", 2, 1, "01", "W"));
    s.timetable.add(lesson("13", 2, 3, "01", "W"));
    QCOMPARE(rules::teacherRowWith(s, rules::placingOf(s, "11", "01", "W"), {2, 2}), 3);
    QVERIFY(has(against(s, "11", {2, 2}), Obstacle::TeacherInRow));

    // With three lessons before the break, 3-4-5 is no longer split.
    School three = s;
    three.middayBreak.morningLessons = 3;
    const auto found = rules::breachesOf(three, Rule::TeacherInRow);
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(found[0].period, (Period{1, 4}));
    QCOMPARE(found[0].lessons.size(), size_t(3));
    const TimetableCheck check = CheckTimetable(three, 7, names);
    QVERIFY2(check.teacherLimits.join('\n').contains(
                 QStringLiteral("王芳 星期一 第4节起连上 3 节，最多连上 2 节")),
             qPrintable(check.teacherLimits.join('\n')));
}

void TestTeacherRules::groupMeetingClosesItsTeachersPeriods() {
    School s = school(0, 0);
    s.plan.push_back(row(4, "11", "02", "Y", 4));
    s.teacherRules.set("W", TeacherRule{0, 0, "G1"});
    s.teacherRules.groupNames.insert("G1", QStringLiteral("语文组"));
    s.limits.add(LimitKind::Group, "G1", LimitCell{{3, 5}, 3});
    QVERIFY(has(against(s, "11", {3, 5}), Obstacle::NeverAtPeriod));
    QVERIFY(against(s, "11", {3, 4}).empty());
    // A teacher outside the group is free then.
    QVERIFY(rules::reasonsAgainst(s, rules::placingOf(s, "11", "02", "Y"), {3, 5}).empty());

    const rules::Placing p = rules::placingOf(s, "11", "01", "W");
    QCOMPARE(rules::neverOwners(s, p, {3, 5}), QStringList{QStringLiteral("语文组教研活动")});
    s.timetable.add(lesson("11", 3, 5, "01", "W"));
    QCOMPARE(rules::breachesOf(s, Rule::NeverPeriod).size(), size_t(1));
    const TimetableCheck check = CheckTimetable(s, 7, names);
    QVERIFY2(check.forbiddenCells.join('\n').contains(QStringLiteral("语文组教研活动")),
             qPrintable(check.forbiddenCells.join('\n')));
}

void TestTeacherRules::planCheckWeighsDailyMaximumAndGroupTime() {
    TestDb t;
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}}, {{"01", "语文"}}, {{"W", "王芳"}});
    t.addPlan("11", "01", "W", 9);
    t.addPlan("12", "01", "W", 9);
    // 18 lessons fit 30 periods, but not 3 a day over five days.
    WriteTeacherRule(t.db, "W", TeacherRule{3, 0, "G1"});
    auto lines = PlanProblemLines(CheckPlan(ReadPlanCheckInput(t.db, 6)));
    QVERIFY2(lines.join('\n').contains(
                 QStringLiteral("老师 王芳：计划 18 节，每天最多 3 节，每周可上课时间只有 15 节")),
             qPrintable(lines.join('\n')));
    WriteTeacherRule(t.db, "W", TeacherRule{4, 0, "G1"});
    QVERIFY(CheckPlan(ReadPlanCheckInput(t.db, 6)).empty());
    // The group's Monday closes Monday to W: 4 days × 4 lessons.
    for (int n = 1; n <= 6; ++n)
        t.addLimit(4, "G1", 1, n, 3);
    lines = PlanProblemLines(CheckPlan(ReadPlanCheckInput(t.db, 6)));
    QVERIFY2(lines.join('\n').contains(QStringLiteral("只有 16 节")), qPrintable(lines.join('\n')));
    // The root causes weigh the teacher alike: what generation leaves over
    // is the teacher's, not the rows'.
    School s = LoadSchool(t.db, Week::ofLessons(6));
    (void)GenerateTimetable(s);
    QVERIFY(CompleteSchool(s, CompletionRun{}).report.ok);
    const auto causes = rules::rootCauses(s);
    QVERIFY(!causes.empty());
    QCOMPARE(causes.front().kind, rules::CauseKind::Teacher);
}

void TestTeacherRules::generationAndCompletionKeepTheLimits() {
    // Four classes share two teachers, each with limits, and W in a group
    // that meets on Wednesday afternoon: W's 20 lessons need nearly every
    // period the limits leave (5 a day, 2 in a row: 1 2 _ 4 | 5 6).
    School s = emptySchool();
    long long id = 0;
    for (const char* cls : {"11", "12", "13", "14"}) {
        s.plan.push_back(row(++id, cls, "01", "W", 5));
        s.plan.push_back(row(++id, cls, "02", "Z", 5));
        s.plan.push_back(row(++id, cls, "03", QStringLiteral("P%1").arg(cls), 20));
    }
    s.teacherRules.set("W", TeacherRule{5, 2, "G1"});
    s.teacherRules.set("Z", TeacherRule{5, 3, {}});
    s.teacherRules.groupNames.insert("G1", QStringLiteral("语文组"));
    for (int n = 5; n <= 6; ++n)
        s.limits.add(LimitKind::Group, "G1", LimitCell{{3, n}, 3});
    (void)GenerateTimetable(s);
    for (Rule r : {Rule::TeacherDailyMax, Rule::TeacherInRow, Rule::NeverPeriod})
        QVERIFY2(rules::breachesOf(s, r).empty(), qPrintable(rules::ruleName(r)));
    const SchoolCompletion done = CompleteSchool(s, CompletionRun{});
    QVERIFY2(done.report.ok, qPrintable(done.report.error));
    QCOMPARE(int(s.timetable.lessons().size()), 120);
    for (const rules::Breach& b : rules::breachesOf(s))
        QVERIFY2(b.noteOnly, qPrintable(rules::ruleName(b.rule)));
    int wednesdayAfternoon = 0;
    for (const Lesson& l : s.timetable.lessons())
        wednesdayAfternoon += l.teacherCode == "W" && l.period.day == 3 && l.period.lessonNo >= 5;
    QCOMPARE(wednesdayAfternoon, 0);
}

void TestTeacherRules::storedOnlyWhenWrittenAndReadBack() {
    TestDb t;
    t.addTeacher("W", "王芳");
    t.addTeacher("Z", "张敏");
    // An older database: no tables, no settings, and reading makes none.
    t.exec("drop table TeacherRuletb");
    t.exec("drop table TeacherGrouptb");
    QVERIFY(ReadTeacherRules(t.db).empty());
    (void)LoadSchool(t.db, Week::ofLessons(6));
    QVERIFY(!HasTeacherRuleTables(t.db.sql()));

    WriteTeacherRule(t.db, "W", TeacherRule{4, 2, "G1"});
    t.exec("insert into TeacherGrouptb (Code,Name) values ('G1','语文组')");
    t.addLimit(4, "G1", 3, 5, 3);
    School s = LoadSchool(t.db, Week::ofLessons(6));
    QCOMPARE(s.teacherRules.of("W").maxPerDay, 4);
    QCOMPARE(s.teacherRules.of("W").maxInRow, 2);
    QCOMPARE(s.teacherRules.groupName("G1"), QStringLiteral("语文组"));
    QCOMPARE(s.limits.cellsOn(LimitKind::Group, "G1", 3).size(), size_t(1));
    QCOMPARE(s.teacherRules.of("Z").maxPerDay, 0);

    // One step for all: the daily maximum changes, each teacher's row limit
    // and group stay.
    QCOMPARE(WriteLimitsOfAllTeachers(t.db, 5, std::nullopt), 2);
    s = LoadSchool(t.db, Week::ofLessons(6));
    QCOMPARE(s.teacherRules.of("W").maxPerDay, 5);
    QCOMPARE(s.teacherRules.of("W").maxInRow, 2);
    QCOMPARE(s.teacherRules.of("W").groupCode, QStringLiteral("G1"));
    QCOMPARE(s.teacherRules.of("Z").maxPerDay, 5);
    // Clearing every setting leaves no row behind.
    WriteTeacherRule(t.db, "Z", TeacherRule{});
    QCOMPARE(t.count("select count(*) from TeacherRuletb where TeacherCode='Z'"), 0LL);
    // Damaged values read as no limit.
    t.exec("update TeacherRuletb set MaxPerDay='x', MaxInRow=-2 where TeacherCode='W'");
    QCOMPARE(ReadTeacherRules(t.db).of("W").maxPerDay, 0);
    QCOMPARE(ReadTeacherRules(t.db).of("W").maxInRow, 0);
}

QTEST_GUILESS_MAIN(TestTeacherRules)
#include "test_teacher_rules.moc"
