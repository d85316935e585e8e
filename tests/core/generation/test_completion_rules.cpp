// Completion's integer form against the rules: on many small random schools
// and on the benchmark schools, in partial states, the search's "this lesson
// may go to this period without moving anything" is exactly the rules' "no
// hard reason against it" (the teacher's day cap is generation's own
// heuristic, not a rule). Then the school that completion used to throw away.
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "cli/BenchSchool.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/generation/CompletionSearch.h"
#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/RootCauses.h"
#include "core/store/JointStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/SchoolWriter.h"

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <random>

namespace {

bool rulesAcceptPlacing(const School& s, const rules::Placing& p, Period q) {
    for (const rules::Reason& why : rules::reasonsAgainst(s, p, q))
        if (rules::isRule(why.obstacle))
            return false;
    return true;
}

// A school of 1–4 classes and 2–5 courses where one class's first course is
// split between two teachers, now and then a repeated row, rows with double
// lessons (some of them laid as pairs), a midday break now and then not
// after lesson 4, with rooms for 1 to 3 classes and courses' own daily
// maxima, "不排" cells of courses, teachers, classes and subject groups,
// teachers' daily and in-row limits, a few pre-set lessons, now and then a
// lesson without a period of the week, and a random part of the rest placed
// legally.
School randomSchool(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    School s;
    Week week = Week::ofLessons(pick(6, 7));
    s.timetable = Timetable(week);
    const int classes = pick(1, 4), courses = pick(2, 5), teachers = pick(2, 6);
    auto cls = [](int i) { return QStringLiteral("C%1").arg(i); };
    auto course = [](int i) { return QStringLiteral("K%1").arg(i); };
    auto teacher = [](int i) { return QStringLiteral("T%1").arg(i); };
    long long rowid = 0;
    for (int c = 0; c < classes; ++c) {
        int room = week.periodCount();
        for (int k = 0; k < courses && room > 0; ++k) {
            const int t = pick(0, teachers - 1);
            const int n = std::min(room, pick(1, 12));
            room -= n;
            s.plan.push_back({++rowid, cls(c), course(k), teacher(t), n, 0, false});
            // The split row: the same course with a different teacher.
            if ((c == 0 && k == 0) || pick(0, 5) == 0) {
                const int m = std::min(room, pick(1, 6));
                if (m > 0) {
                    room -= m;
                    s.plan.push_back(
                        {++rowid, cls(c), course(k), teacher((t + 1) % teachers), m, 0, false});
                }
            }
        }
    }
    // Now and then a row repeated: equal rows add up.
    if (pick(0, 5) == 0) {
        PlanRow again = s.plan[std::size_t(pick(0, int(s.plan.size()) - 1))];
        again.rowid = ++rowid;
        again.count = pick(1, 3);
        s.plan.push_back(again);
    }
    // Now and then a joint pair (合班): a row of the first class given to
    // another class too, which plans the same count.
    if (classes > 1 && pick(0, 1) == 0) {
        const PlanRow first = s.plan[std::size_t(pick(0, int(s.plan.size()) - 1))];
        const QString other = cls(pick(0, classes - 1));
        long long planned = 0;
        bool already = false;
        for (const PlanRow& r : s.plan)
            if (r.classCode == other) {
                planned += r.weeklyLessons();
                already = already ||
                          (r.courseCode == first.courseCode && r.teacherCode == first.teacherCode);
            }
        if (other != first.classCode && !already &&
            planned + first.weeklyLessons() <= week.periodCount()) {
            // Equal rows add up: the partner plans what the first class has.
            const long long count =
                rules::placingOf(s, first.classCode, first.courseCode, first.teacherCode)
                    .weeklyLessons;
            s.plan.push_back(
                {++rowid, other, first.courseCode, first.teacherCode, count, 0, false});
            s.joints.add(first.classCode, first.courseCode, first.teacherCode, other);
        }
    }
    // A joint row has no double lessons: the plan window and the import
    // refuse them, and loading a school drops them.
    for (PlanRow& r : s.plan)
        if (pick(0, 2) == 0 && !s.joints.rowOf(r.classCode, r.courseCode, r.teacherCode))
            r.doubles = pick(1, int(std::max<long long>(1, r.weeklyLessons() / 2)));
    if (pick(0, 2) == 0)
        s.middayBreak.morningLessons = pick(1, 7);
    for (int k = 0; k < courses; ++k) {
        if (pick(0, 2) == 0)
            s.setCapacity(course(k), pick(1, 3));
        if (pick(0, 3) == 0)
            s.setDailyMax(course(k), pick(1, 3));
    }
    auto cells = [&](LimitKind kind, const QString& code, int odds) {
        week.forEach([&](Period q) {
            if (pick(0, odds) == 0)
                s.limits.add(kind, code, {q, pick(0, 3)});
        });
    };
    for (int k = 0; k < courses; ++k)
        cells(LimitKind::Course, course(k), 5);
    for (int t = 0; t < teachers; ++t)
        cells(LimitKind::Teacher, teacher(t), 6);
    for (int c = 0; c < classes; ++c)
        cells(LimitKind::Class, cls(c), 8);
    // Teachers' limits, tight enough to matter, and a group or two.
    for (int t = 0; t < teachers; ++t) {
        TeacherRule r;
        if (pick(0, 2) == 0)
            r.maxPerDay = pick(1, 5);
        if (pick(0, 2) == 0)
            r.maxInRow = pick(1, 3);
        if (pick(0, 2) == 0)
            r.groupCode = QStringLiteral("G%1").arg(pick(0, 1));
        s.teacherRules.set(teacher(t), r);
    }
    for (int g = 0; g < 2; ++g)
        cells(LimitKind::Group, QStringLiteral("G%1").arg(g), 8);

    // Pre-set lessons never double-book (the pre-set window does not let
    // them) but may sit in a "不排" period or over a daily share.
    std::vector<Period> periods;
    week.forEach([&](Period q) { periods.push_back(q); });
    // Some double lessons laid first, as the rules let them.
    for (const PlanRow& r : s.plan)
        for (long long n = 0; n < r.doubles; ++n) {
            const Period q = periods[std::size_t(pick(0, int(periods.size()) - 1))];
            const rules::Placing p = rules::placingOf(s, r.classCode, r.courseCode, r.teacherCode);
            bool ok = pick(0, 1) == 0;
            for (const rules::Reason& why : rules::reasonsAgainstDouble(s, p, q))
                ok = ok && why.obstacle == rules::Obstacle::TeacherDayCap;
            if (ok)
                for (int half = 0; half < 2; ++half)
                    s.timetable.add({r.classCode,
                                     {q.day, q.lessonNo + half},
                                     r.courseCode,
                                     r.teacherCode,
                                     pick(0, 4) == 0 ? Origin::Preset : Origin::Generated});
        }
    for (const PlanRow& r : s.plan)
        for (long long n = 0; n < r.weeklyLessons(); ++n) {
            const int roll = pick(0, 9);
            const Period q = periods[std::size_t(pick(0, int(periods.size()) - 1))];
            const rules::Placing p = rules::placingOf(s, r.classCode, r.courseCode, r.teacherCode);
            if (s.joints.isFurther(r.classCode, r.courseCode, r.teacherCode))
                break; // placed with its first class
            if (!p.jointClasses.isEmpty()) {
                // A joint lesson, placed legally in all its classes.
                if (roll < 6 && rulesAcceptPlacing(s, p, q))
                    for (const QString& c : QStringList{r.classCode} + p.jointClasses)
                        s.timetable.add({c, q, r.courseCode, r.teacherCode,
                                         roll == 0 ? Origin::Preset : Origin::Generated});
                continue;
            }
            if (roll == 0) {
                if (!rules::classBusy(s, p, q) && !rules::teacherBusy(s, p, q) &&
                    !rules::roomFull(s, p, q))
                    s.timetable.add({r.classCode, q, r.courseCode, r.teacherCode, Origin::Preset});
            } else if (roll == 9 && pick(0, 9) == 0) {
                // Damaged rows: no lesson number, or a lesson beyond the day.
                Lesson l{r.classCode, {pick(1, 5), 7}, r.courseCode, r.teacherCode, Origin::ByHand};
                l.lessonNoEmpty = pick(0, 1) == 0;
                if (l.lessonNoEmpty)
                    l.period.lessonNo = Lesson::kNoLessonNo; // as a Null is read
                if (l.lessonNoEmpty || week.lessonsPerDay() == 6)
                    s.timetable.add(l);
            } else if (roll < 6) {
                bool ok = true;
                for (const rules::Reason& why : rules::reasonsAgainst(s, p, q))
                    ok = ok && why.obstacle == rules::Obstacle::TeacherDayCap;
                if (ok)
                    s.timetable.add({r.classCode, q, r.courseCode, r.teacherCode,
                                     roll == 1 ? Origin::ByHand : Origin::Generated});
            }
        }
    return s;
}

// No reason against that is a rule (generation's teacher day cap is none).
bool rulesAccept(const School& s, const rules::Placing& p, Period q) {
    for (const rules::Reason& r : rules::reasonsAgainst(s, p, q))
        if (rules::isRule(r.obstacle))
            return false;
    return true;
}

bool rulesAcceptDouble(const School& s, const rules::Placing& p, Period q) {
    for (const rules::Reason& r : rules::reasonsAgainstDouble(s, p, q))
        if (rules::isRule(r.obstacle))
            return false;
    return true;
}

// Every movable or missing lesson of the school at every period: the search
// and the rules agree. `sample` limits the placed lessons asked (0: all).
// Returns the first disagreement, empty when there is none; counts the
// questions asked.
QString disagreement(const School& school, long long& asked, std::mt19937* sample = nullptr) {
    School s = school;
    const CompletionTranslation t = TranslateForCompletion(s);
    // The lessons the search takes out to make way for double lessons are
    // not in its state: nor in the one the rules are asked about.
    std::vector<int> dropped = t.dropped;
    std::sort(dropped.rbegin(), dropped.rend());
    for (int index : dropped)
        s.timetable.removeAt(std::size_t(index));
    auto shifted = [&](int index) {
        int before = 0;
        for (int d : dropped)
            before += d < index;
        return index - before;
    };
    const std::vector<std::vector<bool>> open = CompletionOpenPeriods(t.problem);
    const Week week = s.timetable.week();
    const int L = week.lessonsPerDay();
    std::vector<bool> missingAsked(t.problem.units.size() * 2, false);
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        const auto& l = t.problem.lessons[i];
        if (l.fixed)
            continue;
        const int index = t.lessonIndex[i] < 0 ? -1 : shifted(t.lessonIndex[i]);
        const int second = t.secondIndex[i] < 0 ? -1 : shifted(t.secondIndex[i]);
        if (index < 0) {
            // The missing lessons of a row are alike (its double lessons
            // and its single ones): ask for one of each.
            const std::size_t kind = std::size_t(l.unit) * 2 + l.block;
            if (missingAsked[kind])
                continue;
            missingAsked[kind] = true;
        } else if (sample && (*sample)() % 8 != 0) {
            continue;
        }
        School without = s;
        // A joint lesson leaves all its classes, a double lesson both its periods.
        std::vector<int> out{index, second};
        for (int k : t.partnerIndex[i])
            out.push_back(k < 0 ? -1 : shifted(k));
        std::sort(out.rbegin(), out.rend());
        for (int k : out)
            if (k >= 0)
                without.timetable.removeAt(std::size_t(k));
        const PlanRow& row = s.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
        const rules::Placing p =
            rules::placingOf(without, row.classCode, row.courseCode, row.teacherCode);
        for (int q = 0; q < week.periodCount(); ++q) {
            const Period at{q / L + 1, q % L + 1};
            ++asked;
            const bool byRules =
                l.block ? rulesAcceptDouble(without, p, at) : rulesAccept(without, p, at);
            if (byRules != open[i][std::size_t(q)])
                return QStringLiteral("%1 %2 %3 (%4) at day %5 lesson %6: rules %7, search %8")
                    .arg(row.classCode, row.courseCode, row.teacherCode,
                         QStringLiteral("%1%2").arg(
                             index < 0 ? QStringLiteral("missing") : QStringLiteral("placed"),
                             l.block ? QStringLiteral(" double") : QString()))
                    .arg(at.day)
                    .arg(at.lessonNo)
                    .arg(byRules)
                    .arg(bool(open[i][std::size_t(q)]));
        }
    }
    return {};
}

// The school the old final test refused: one class, 30 lessons in 30
// periods, 语文 split 10 + 4 between two teachers.
void writeSplitSchool(TestDb& t) {
    addLists(t, {{"11", "一（1）班"}}, {{"01", "语文"}, {"02", "数学"}, {"03", "体育"}},
             {{"TA", "王芳"}, {"TB", "李静"}, {"TC", "张敏"}, {"TD", "赵强"}});
    t.addPlan("11", "01", "TA", 10);
    t.addPlan("11", "01", "TB", 4);
    t.addPlan("11", "02", "TC", 10);
    t.addPlan("11", "03", "TD", 6);
}

std::pair<int, QString> cli(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

} // namespace

class TestCompletionRules : public QObject {
    Q_OBJECT
private slots:
    void searchAgreesWithTheRulesOnRandomSchools();
    void searchAgreesWithTheRulesOnBenchmarkSchools();
    void benchmarkWeekKeepsEveryRule();
    void doubleLessonsUnderACourseMaximumAndARowOverItsCount();
    void splitCourseIsCompletedAndChecksClean();
    void jointClassesAreCompletedTogether();
};

void TestCompletionRules::searchAgreesWithTheRulesOnRandomSchools() {
    std::mt19937 rng(20261208);
    long long asked = 0;
    int split = 0, exclusive = 0, room = 0, dailyMax = 0, preset = 0, seven = 0, damaged = 0,
        limited = 0, joint = 0, jointPlaced = 0, jointRoom = 0, jointLimited = 0, jointMax = 0,
        jointBesideDoubles = 0;
    limited = 0;
    int doubles = 0, pairs = 0, doublesUnderMax = 0, overCount = 0;
    for (int n = 0; n < 1200; ++n) {
        const School s = randomSchool(rng);
        const QString diff = disagreement(s, asked);
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("school %1: %2").arg(n).arg(diff)));
        split += s.plan.size() > 1 && s.plan[0].courseCode == s.plan[1].courseCode;
        doubles += std::any_of(s.plan.begin(), s.plan.end(),
                               [](const PlanRow& r) { return r.weeklyDoubles() > 0; });
        doublesUnderMax += std::any_of(s.plan.begin(), s.plan.end(), [&](const PlanRow& r) {
            return r.weeklyDoubles() > 0 && s.dailyMaxOf(r.courseCode) > 0;
        });
        overCount += std::any_of(s.plan.begin(), s.plan.end(), [&](const PlanRow& r) {
            return rules::placingOf(s, r.classCode, r.courseCode, r.teacherCode).weeklyLessons <
                   std::count_if(
                       s.timetable.lessons().begin(), s.timetable.lessons().end(),
                       [&](const Lesson& l) {
                           return r.sameLessons(l.classCode, l.courseCode, l.teacherCode);
                       });
        });
        for (const Lesson& a : s.timetable.lessons())
            for (const Lesson& b : s.timetable.lessons())
                pairs += a.classCode == b.classCode && a.courseCode == b.courseCode &&
                         a.period.day == b.period.day && a.period.lessonNo + 1 == b.period.lessonNo;
        bool hasExclusive = false, hasRoom = false, hasMax = false;
        for (const CourseRule& r : s.courseRules) {
            hasExclusive = hasExclusive || r.maxClasses == 1;
            hasRoom = hasRoom || r.maxClasses > 1;
            hasMax = hasMax || r.maxPerDay;
        }
        exclusive += hasExclusive;
        room += hasRoom;
        dailyMax += hasMax;
        joint += !s.joints.empty();
        bool placedJoint = false;
        for (const Lesson& l : s.timetable.lessons())
            placedJoint =
                placedJoint || s.joints.isFurther(l.classCode, l.courseCode, l.teacherCode);
        jointPlaced += placedJoint;
        // A joint lesson is one lesson of its room and of its teacher's limits.
        for (const JointRow& r : s.joints.rows()) {
            jointRoom += s.capacityOf(r.courseCode) > 0;
            jointMax += s.dailyMaxOf(r.courseCode) > 0;
            // A partner class's double lessons of the course count once in
            // the share the joint lesson joins.
            jointBesideDoubles += std::any_of(s.plan.begin(), s.plan.end(), [&](const PlanRow& p) {
                return r.others.contains(p.classCode) && p.courseCode == r.courseCode &&
                       p.doubles > 0;
            });
            const TeacherRule& limits = s.teacherRules.of(r.teacherCode);
            jointLimited += limits.maxPerDay > 0 || limits.maxInRow > 0;
        }
        seven += s.timetable.week().lessonsPerDay() == 7;
        bool hasPreset = false, hasDamaged = false;
        for (const Lesson& l : s.timetable.lessons()) {
            hasPreset = hasPreset || l.origin == Origin::Preset;
            hasDamaged = hasDamaged || !s.timetable.week().contains(l.period);
        }
        preset += hasPreset;
        damaged += hasDamaged;
        bool hasLimit = false;
        for (const TeacherRule& r : s.teacherRules.all())
            hasLimit = hasLimit || r.maxPerDay > 0 || r.maxInRow > 0;
        limited += hasLimit;
    }
    // The schools were what the test claims to cover.
    QVERIFY(split > 1000);
    QVERIFY(exclusive > 300);
    QVERIFY(room > 300);
    QVERIFY(dailyMax > 300);
    QVERIFY(preset > 300);
    QVERIFY(seven > 300);
    QVERIFY(damaged > 50);
    QVERIFY(limited > 600);
    QVERIFY(joint > 100);
    QVERIFY(jointPlaced > 80);
    QVERIFY(jointRoom > 40);
    QVERIFY(jointMax > 15);
    QVERIFY(jointBesideDoubles > 5);
    QVERIFY(jointLimited > 40);
    QVERIFY(doubles > 600);
    QVERIFY(pairs > 600);
    QVERIFY(doublesUnderMax > 200);
    QVERIFY(overCount > 20);
    QVERIFY(asked > 100000);
}

void TestCompletionRules::searchAgreesWithTheRulesOnBenchmarkSchools() {
    std::mt19937 rng(5);
    long long asked = 0;
    for (const BenchSchoolShape& shape :
         {BenchSchoolShape{12, 6, 30, 115}, BenchSchoolShape{24, 6, 27, 103},
          BenchSchoolShape{30, 7, 35, 123}, BenchSchoolShape{18, 6, 28, 104, true}}) {
        TestDb t;
        WriteSchool(t.db, BuildBenchSchool(shape).records);
        School s = LoadSchool(t.db, Week::ofLessons(shape.lessonsPerDay));
        (void)GenerateTimetable(s);
        // A partial state: every lesson of one in five plan rows taken out.
        QHash<QString, bool> out;
        for (const PlanRow& r : s.plan)
            if (rng() % 5 == 0)
                out.insert(r.classCode + r.courseCode + r.teacherCode, true);
        s.timetable.removeIf([&](const Lesson& l) {
            return l.origin != Origin::Preset &&
                   out.contains(l.classCode + l.courseCode + l.teacherCode);
        });
        const QString diff = disagreement(s, asked, &rng);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
    QVERIFY(asked > 10000);
}

// The benchmark's promise: the week it laid is a complete timetable under
// every rule it wrote — double lessons, joint 体育 pairs, group afternoons
// off and teacher limits (some exactly what the week uses) included.
void TestCompletionRules::benchmarkWeekKeepsEveryRule() {
    for (const BenchSchoolShape& shape :
         {BenchSchoolShape{18, 6, 28, 104, true}, BenchSchoolShape{12, 6, 30, 111, true},
          BenchSchoolShape{12, 7, 35, 121, true}}) {
        const BenchSchool bench = BuildBenchSchool(shape);
        QVERIFY(bench.doubles > shape.classes / 2);
        QVERIFY(bench.tightTeachers > 0);
        QVERIFY(bench.limitedTeachers > bench.tightTeachers);
        TestDb t;
        WriteSchool(t.db, bench.records);
        School s = LoadSchool(t.db, Week::ofLessons(shape.lessonsPerDay));
        QCOMPARE(s.teacherRules.groupNames.size(), qsizetype{3});
        // Joint pairs come back from the database, each a single further class.
        QVERIFY(bench.joints > 0);
        QCOMPARE(int(s.joints.rows().size()), bench.joints);
        for (const JointRow& j : s.joints.rows())
            QCOMPARE(j.others.size(), qsizetype{1});
        long long planned = 0;
        for (const PlanRow& r : s.plan)
            planned += r.weeklyDoubles();
        QCOMPARE(planned, bench.doubles);
        s.timetable.removeIf([](const Lesson&) { return true; });
        for (const auto& l : bench.week)
            s.timetable.add({l.classCode,
                             {l.day, l.lessonNo},
                             l.courseCode,
                             l.teacherCode,
                             originOfSetFlag(l.setFlag)});
        for (const rules::Breach& b : rules::breachesOf(s))
            QVERIFY2(b.noteOnly,
                     qPrintable(rules::ruleName(b.rule) + QStringLiteral(" ") + b.code));
    }
}

void TestCompletionRules::doubleLessonsUnderACourseMaximumAndARowOverItsCount() {
    // Class 11: 美术 (05) at most one a day, 4 a week with 李 (T1) as two
    // double lessons and 2 with 王 (T2); 语文 (01) fills the week; 体育
    // (03) plans 2 but has 3 after the plan was cut.
    School s = emptySchool();
    s.plan = {{1, "11", "05", "T1", 4, 0, false, 2},
              {2, "11", "05", "T2", 2, 0, false, 0},
              {3, "11", "01", "T3", 21, 0, false, 0},
              {4, "11", "03", "T4", 2, 0, false, 0}};
    s.setDailyMax("05", 1);
    for (int n : {1, 2, 3})
        s.timetable.add({"11", {5, n}, "03", "T4", Origin::Generated});
    long long asked = 0;
    const QString diff = disagreement(s, asked);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    const SchoolCompletion done = CompleteSchool(s, CompletionRun{});
    QVERIFY2(done.report.ok, qPrintable(done.report.error));
    QCOMPARE(done.report.remaining, 0);
    // The pairs count once under the maximum, and both are there.
    for (const rules::Breach& b : rules::breachesOf(s, rules::Rule::DailyShare))
        QCOMPARE(b.lessons.front().courseCode, QStringLiteral("03"));
    QVERIFY(rules::breachesOf(s, rules::Rule::DoubleLessons).empty());
    std::vector<Lesson> li;
    for (const Lesson& l : s.timetable.lessons())
        if (l.teacherCode == "T1")
            li.push_back(l);
    QCOMPARE(rules::doublePairsOf(s, li), 2);
}

void TestCompletionRules::splitCourseIsCompletedAndChecksClean() {
    // Through the core: generation leaves some out, completion places them all.
    {
        TestDb t;
        writeSplitSchool(t);
        School s = LoadSchool(t.db, Week::ofLessons(6));
        (void)GenerateTimetable(s);
        const int generated = int(s.timetable.lessons().size());
        const SchoolCompletion done = CompleteSchool(s, CompletionRun{});
        QVERIFY2(done.report.ok, qPrintable(done.report.error));
        QCOMPARE(done.report.placed, 30 - generated);
        QCOMPARE(int(s.timetable.lessons().size()), 30);
        for (const rules::Breach& b : rules::breachesOf(s))
            QVERIFY2(b.noteOnly, qPrintable(rules::ruleName(b.rule)));
        QVERIFY(rules::rootCauses(s).empty());
    }
    // Through kbxt-cli.
    TestDb t;
    writeSplitSchool(t);
    const QString path = t.path;
    CloseTimetableDb(t.db);
    QCOMPARE(cli({"generate", "--lessons-per-day", "6", path}).first, 0);
    const auto [code, out] = cli({"complete", "--lessons-per-day", "6", path});
    QVERIFY2(code == 0, qPrintable(out));
    QVERIFY2(out.startsWith(QStringLiteral("自动补排：补排 ")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("，仍未排 0 节")), qPrintable(out));
    const auto [checkCode, report] = cli({"check", "--lessons-per-day", "6", path});
    QVERIFY2(checkCode == 0, qPrintable(report));
    QVERIFY2(!report.contains(QStringLiteral("排不下")), qPrintable(report));
}

void TestCompletionRules::jointClassesAreCompletedTogether() {
    // Two classes, each full to the last period: 语文 apart, 体育 together.
    auto write = [](TestDb& t) {
        addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}}, {{"01", "语文"}, {"03", "体育"}},
                 {{"TA", "王芳"}, {"TB", "李静"}, {"TC", "张敏"}});
        t.addPlan("11", "01", "TA", 20);
        t.addPlan("12", "01", "TB", 20);
        t.addPlan("11", "03", "TC", 10);
        // An older database: the table comes with the first joint row.
        t.db.sql().exec("drop table PlanJointtb");
        QVERIFY(LoadSchool(t.db, Week::ofLessons(6)).joints.empty());
        WriteJointClasses(t.db, "11", "03", "TC", {"12"});
        QCOMPARE(ReadJointClasses(t.db, "11", "03", "TC"), QStringList{"12"});
    };
    {
        TestDb t;
        write(t);
        School s = LoadSchool(t.db, Week::ofLessons(6));
        QVERIFY(s.joints.isFurther("12", "03", "TC"));
        (void)GenerateTimetable(s);
        // Generation leaves the joint row to completion.
        for (const Lesson& l : s.timetable.lessons())
            QVERIFY(l.courseCode != "03");
        const SchoolCompletion done = CompleteSchool(s, CompletionRun{});
        QVERIFY2(done.report.ok, qPrintable(done.report.error));
        QCOMPARE(done.report.remaining, 0);
        QCOMPARE(int(s.timetable.lessons().size()), 60);
        int together = 0;
        for (const Lesson& l : s.timetable.lessons())
            if (l.classCode == "11" && l.courseCode == "03") {
                const Lesson* other = rules::shownLesson(s.timetable, "12", l.period);
                QVERIFY(other && other->courseCode == "03" && other->teacherCode == "TC");
                ++together;
            }
        QCOMPARE(together, 10);
        for (const rules::Breach& b : rules::breachesOf(s))
            QVERIFY2(b.noteOnly, qPrintable(rules::ruleName(b.rule)));
    }
    // Through kbxt-cli: written to every class, counted in every row.
    TestDb t;
    write(t);
    const QString path = t.path;
    CloseTimetableDb(t.db);
    QCOMPARE(cli({"generate", "--lessons-per-day", "6", path}).first, 0);
    const auto [code, out] = cli({"complete", "--lessons-per-day", "6", path});
    QVERIFY2(code == 0, qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("，仍未排 0 节")), qPrintable(out));
    const auto [checkCode, report] = cli({"check", "--lessons-per-day", "6", path});
    QVERIFY2(checkCode == 0, qPrintable(report));
}

QTEST_GUILESS_MAIN(TestCompletionRules)
#include "test_completion_rules.moc"
