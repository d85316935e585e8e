#include "core/generation/CompleteTimetable.h"

#include "core/generation/BuildTimetable.h"
#include "core/generation/CompletionSearch.h"
#include "core/rules/Placement.h"
#include "core/store/CompletionStore.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>

namespace {

struct Translation {
    CompletionProblem problem;
    std::vector<int> lessonIndex;   // by problem lesson: index into the timetable, −1 missing
    std::vector<int> planRowOfUnit; // −1: lessons outside the plan
};

// The school as small integers: a unit per plan row (a second equal row
// shares the first one's lessons, as everywhere), the level of every period
// from the rules, the lessons with their periods and the missing ones.
Translation translate(School& s) {
    Translation t;
    CompletionProblem& pr = t.problem;
    const Week week = s.timetable.week();
    pr.lessonsPerDay = week.lessonsPerDay();
    const int P = week.periodCount();
    auto periodOf = [&](Period q) { return (q.day - 1) * pr.lessonsPerDay + q.lessonNo - 1; };
    QHash<QString, int> unitOf;
    auto key = [](const QString& a, const QString& b, const QString& c) {
        return a + QChar('\t') + b + QChar('\t') + c;
    };
    auto addUnit = [&](const QString& cls, const QString& course, const QString& teacher,
                       int planRow) {
        const rules::Placing p = rules::placingOf(s, cls, course, teacher);
        CompletionProblem::Unit u;
        u.cls = p.cls;
        u.teacher = p.teacher;
        u.course = p.course;
        u.dailyShare = planRow >= 0 ? p.dailyShare : P;
        u.level.assign(std::size_t(P), std::uint8_t(attrOf(LimitLevel::Normal)));
        if (planRow >= 0)
            week.forEach([&](Period q) {
                u.level[std::size_t(periodOf(q))] = std::uint8_t(attrOf(rules::levelAt(s, p, q)));
            });
        unitOf.insert(key(cls, course, teacher), int(pr.units.size()));
        pr.units.push_back(std::move(u));
        t.planRowOfUnit.push_back(planRow);
        return int(pr.units.size()) - 1;
    };
    for (std::size_t r = 0; r < s.plan.size(); ++r) {
        const PlanRow& row = s.plan[r];
        if (row.isComplete() &&
            !unitOf.contains(key(row.classCode, row.courseCode, row.teacherCode)))
            addUnit(row.classCode, row.courseCode, row.teacherCode, int(r));
    }
    std::vector<long long> inTable(pr.units.size(), 0);
    const auto& lessons = s.timetable.lessons();
    for (std::size_t i = 0; i < lessons.size(); ++i) {
        const Lesson& l = lessons[i];
        // Lessons beyond the week, or of no class, block nobody here.
        if (!week.contains(l.period) || l.lessonNoEmpty || l.classCode.isEmpty())
            continue;
        int unit = unitOf.value(key(l.classCode, l.courseCode, l.teacherCode), -1);
        if (unit < 0) {
            unit = addUnit(l.classCode, l.courseCode, l.teacherCode, -1);
            inTable.push_back(0);
        }
        ++inTable[std::size_t(unit)];
        // Pre-set lessons and lessons outside the plan stay where they are.
        const bool fixed = l.origin == Origin::Preset || l.origin == Origin::Unrecorded ||
                           t.planRowOfUnit[std::size_t(unit)] < 0;
        pr.lessons.push_back({unit, periodOf(l.period), fixed});
        t.lessonIndex.push_back(int(i));
    }
    for (std::size_t u = 0; u < pr.units.size(); ++u) {
        const int r = t.planRowOfUnit[u];
        if (r < 0)
            continue;
        for (long long n = inTable[u]; n < s.plan[std::size_t(r)].weeklyLessons(); ++n) {
            pr.lessons.push_back({int(u), -1, false});
            t.lessonIndex.push_back(-1);
        }
    }
    int classes = 0, teachers = 0, courses = 0;
    for (const auto& u : pr.units) {
        classes = std::max(classes, u.cls + 1);
        teachers = std::max(teachers, u.teacher + 1);
        courses = std::max(courses, u.course + 1);
    }
    pr.classes = classes;
    pr.teachers = teachers;
    pr.courses = courses;
    pr.exclusive.assign(std::size_t(courses), false);
    for (const QString& c : s.exclusiveCourses)
        if (const CodeId id = s.timetable.courseId(c); id >= 0 && id < courses)
            pr.exclusive[std::size_t(id)] = true;
    return t;
}

// The rules once more over the end state, so that a fault of the search can
// never reach the database. Only the lessons completion placed or moved are
// judged: what was there before is not completion's to mend.
bool legal(const CompletionProblem& pr, const std::vector<int>& period) {
    const int P = pr.periods();
    std::vector<int> cls(std::size_t(pr.classes) * P, 0), tea(std::size_t(pr.teachers) * P, 0),
        crs(std::size_t(pr.courses) * P, 0);
    QHash<qint64, int> perDay;
    auto dayKey = [&](const CompletionProblem::Unit& u, int p) {
        return (qint64(u.cls) << 32) | (qint64(u.course) << 3) | (p / pr.lessonsPerDay);
    };
    for (std::size_t i = 0; i < pr.lessons.size(); ++i) {
        if (const int p = period[i]; p >= 0) {
            const auto& u = pr.units[std::size_t(pr.lessons[i].unit)];
            ++cls[std::size_t(u.cls) * P + p];
            if (u.teacher >= 0)
                ++tea[std::size_t(u.teacher) * P + p];
            if (pr.exclusive[std::size_t(u.course)])
                ++crs[std::size_t(u.course) * P + p];
            ++perDay[dayKey(u, p)];
        }
    }
    for (std::size_t i = 0; i < pr.lessons.size(); ++i) {
        const int p = period[i];
        if (p < 0 || pr.lessons[i].fixed || p == pr.lessons[i].period)
            continue;
        const auto& u = pr.units[std::size_t(pr.lessons[i].unit)];
        if (cls[std::size_t(u.cls) * P + p] > 1 ||
            (u.teacher >= 0 && tea[std::size_t(u.teacher) * P + p] > 1) ||
            (pr.exclusive[std::size_t(u.course)] && crs[std::size_t(u.course) * P + p] > 1) ||
            u.level[std::size_t(p)] >= 3 || perDay[dayKey(u, p)] > u.dailyShare)
            return false;
    }
    return true;
}

} // namespace

CompletionReport CompleteTimetable(TimetableDb& db, const CompletionRun& run) {
    CompletionReport report;
    QElapsedTimer clock;
    clock.start();
    try {
        School school = LoadSchool(db, Week::ofLessons(run.lessonsPerDay));
        // A count beyond the week would make the search hold that many lessons.
        RefuseUnrunnable(school, NameLookup(db));
        const Translation t = translate(school);
        CompletionOptions options;
        options.seed = run.seed;
        options.seconds = run.seconds;
        options.progress = run.progress;
        const CompletionOutcome out = SearchCompletion(t.problem, options);
        report.steps = out.steps;
        report.cancelled = out.cancelled;
        report.timedOut = out.timedOut;
        for (std::size_t i = 0; i < t.problem.lessons.size(); ++i)
            if (t.problem.lessons[i].period < 0)
                ++report.missingBefore;
        if (out.cancelled) {
            report.remaining = report.missingBefore;
            report.ms = double(clock.nsecsElapsed()) / 1e6;
            return report;
        }
        if (!legal(t.problem, out.period)) {
            report.error = QStringLiteral("自动补排的结果不符合排课规则，课表没有改动。");
            return report;
        }
        std::vector<LessonChange> changes;
        const int L = run.lessonsPerDay;
        for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
            const auto& l = t.problem.lessons[i];
            const int to = out.period[i];
            if (l.fixed || to == l.period || (l.period < 0 && to < 0))
                continue;
            const PlanRow& row = school.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
            const long long rowid =
                t.lessonIndex[i] < 0
                    ? 0
                    : school.timetable.lessons()[std::size_t(t.lessonIndex[i])].rowid;
            changes.push_back({rowid, row.classCode, row.courseCode, row.teacherCode,
                               to < 0 ? 0 : to / L + 1, to < 0 ? 0 : to % L + 1,
                               setFlagOf(Origin::Generated)});
            if (rowid != 0)
                ++report.moved;
        }
        int placedNow = 0, placedThen = 0;
        for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
            placedThen += t.problem.lessons[i].period >= 0;
            placedNow += out.period[i] >= 0;
        }
        report.placed = placedNow - placedThen;
        report.remaining = report.missingBefore - report.placed;
        if (report.placed > 0) {
            SaveLessonChanges(db, changes); // the one place completion writes
        } else {
            // Nothing gained: the timetable stays exactly as it was.
            report.placed = 0;
            report.remaining = report.missingBefore;
            report.moved = 0;
        }
        report.ok = true;
    } catch (const UnrunnableSchool& e) {
        report.error = e.message();
    } catch (const std::exception& e) {
        // SQLite's own texts are English; the user reads the Chinese reason.
        report.error =
            QStringLiteral("读写课表数据失败：%1").arg(AsFailure(e, db.path()).message());
    }
    report.ms = double(clock.nsecsElapsed()) / 1e6;
    return report;
}
