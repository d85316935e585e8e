#include "core/generation/CompleteTimetable.h"

#include "core/generation/BuildTimetable.h"
#include "core/generation/CompletionSearch.h"
#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"
#include "core/rules/RootCauses.h"
#include "core/store/CompletionStore.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

CompletionTranslation TranslateForCompletion(School& s) {
    CompletionTranslation t;
    CompletionProblem& pr = t.problem;
    const Week week = s.timetable.week();
    pr.lessonsPerDay = week.lessonsPerDay();
    const int P = week.periodCount();
    auto periodOf = [&](Period q) { return (q.day - 1) * pr.lessonsPerDay + q.lessonNo - 1; };
    QHash<QString, int> unitOf;
    std::vector<long long> weekly; // by unit: the lessons its rows plan
    auto key = [](const QString& a, const QString& b, const QString& c) {
        return a + QChar('\t') + b + QChar('\t') + c;
    };
    // A course with its own daily maximum counts all the class's lessons of
    // it together, whichever row (or none) they belong to.
    QHash<QString, int> shareGroups;
    auto addUnit = [&](const QString& cls, const QString& course, const QString& teacher,
                       int planRow) {
        const rules::Placing p = rules::placingOf(s, cls, course, teacher);
        CompletionProblem::Unit u;
        u.cls = p.cls;
        u.teacher = p.teacher;
        u.course = p.course;
        u.dailyShare = planRow >= 0 ? p.dailyShare : P;
        if (p.sharePerCourse) {
            const QString k = cls + QChar('\t') + course;
            u.shareGroup = shareGroups.value(k, int(shareGroups.size()));
            shareGroups.insert(k, u.shareGroup);
        }
        u.level.assign(std::size_t(P), std::uint8_t(attrOf(LimitLevel::Normal)));
        if (planRow >= 0)
            week.forEach([&](Period q) {
                LimitLevel level = rules::levelAt(s, p, q);
                // A lesson without lesson number hides the day's best and
                // avoid periods from its class; such lessons never move here.
                if (level != LimitLevel::Normal &&
                    s.timetable.classHasUnnumberedLesson(p.cls, q.day))
                    level = LimitLevel::Never;
                u.level[std::size_t(periodOf(q))] = std::uint8_t(attrOf(level));
            });
        weekly.push_back(p.weeklyLessons);
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
        // A lesson of no class is nobody's.
        if (l.classCode.isEmpty())
            continue;
        int unit = unitOf.value(key(l.classCode, l.courseCode, l.teacherCode), -1);
        if (unit < 0) {
            unit = addUnit(l.classCode, l.courseCode, l.teacherCode, -1);
            inTable.push_back(0);
        }
        ++inTable[std::size_t(unit)];
        // A lesson without a period of the week blocks no period, but it
        // counts for its row's day, as the rules count it.
        if (!week.contains(l.period) || l.lessonNoEmpty) {
            if (l.period.day >= 1 && l.period.day <= Week::kDays)
                ++pr.units[std::size_t(unit)].dayBase[std::size_t(l.period.day - 1)];
            continue;
        }
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
        for (long long n = inTable[u]; n < weekly[u]; ++n) {
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
    pr.capacity.assign(std::size_t(courses), 0);
    for (auto it = s.courseRules.constBegin(); it != s.courseRules.constEnd(); ++it)
        if (const CodeId id = s.timetable.courseId(it.key()); id >= 0 && id < courses)
            pr.capacity[std::size_t(id)] = it->maxClasses.value_or(0);
    return t;
}

namespace {

// The school with the search's outcome applied: moved lessons at their new
// periods, placed ones added as generated, lessons taken out gone, and every
// row's BuildCount recounted as the store recounts it.
School applied(const School& s, const CompletionTranslation& t, const std::vector<int>& period) {
    School after = s;
    const int L = t.problem.lessonsPerDay;
    std::vector<Lesson> lessons = s.timetable.lessons();
    std::vector<bool> gone(lessons.size(), false);
    std::vector<Lesson> added;
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        const auto& l = t.problem.lessons[i];
        const int to = period[i];
        if (l.fixed || to == l.period || (l.period < 0 && to < 0))
            continue;
        const Period at{to / L + 1, to % L + 1};
        if (t.lessonIndex[i] >= 0) {
            if (to < 0)
                gone[std::size_t(t.lessonIndex[i])] = true;
            else
                lessons[std::size_t(t.lessonIndex[i])].period = at;
            continue;
        }
        const PlanRow& row = s.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
        added.push_back({row.classCode, at, row.courseCode, row.teacherCode, Origin::Generated});
    }
    after.timetable = Timetable(s.timetable.week());
    QHash<QString, long long> perRow;
    auto key = [](const Lesson& l) {
        return l.classCode + QChar('\t') + l.courseCode + QChar('\t') + l.teacherCode;
    };
    for (std::size_t i = 0; i < lessons.size(); ++i)
        if (!gone[i]) {
            after.timetable.add(lessons[i]);
            ++perRow[key(lessons[i])];
        }
    for (const Lesson& l : added) {
        after.timetable.add(l);
        ++perRow[key(l)];
    }
    for (PlanRow& r : after.plan)
        r.buildCount =
            perRow.value(r.classCode + QChar('\t') + r.courseCode + QChar('\t') + r.teacherCode);
    return after;
}

// Where a breach is: its rule, code and period, and for the rules about a
// plan row, the row.
using BreachAt = std::tuple<int, QString, int, int, QString, QString>;
BreachAt whereOf(const rules::Breach& b) {
    const bool byRow = b.rule == rules::Rule::DailyShare || b.rule == rules::Rule::InPlan;
    const Lesson* l = byRow && !b.lessons.empty() ? &b.lessons.front() : nullptr;
    return {int(b.rule),
            b.code,
            b.period.day,
            b.period.lessonNo,
            l ? l->courseCode : QString(),
            l ? l->teacherCode : QString()};
}

// The first breach of `after` that `before` did not have: a new place, or
// more lessons in one. Notes are no breaches. Empty when there is none.
std::optional<rules::Breach> firstNewBreach(const School& before, const School& after) {
    std::map<BreachAt, std::size_t> had;
    for (const rules::Breach& b : rules::breachesOf(before))
        if (!b.noteOnly) {
            std::size_t& n = had[whereOf(b)];
            n = std::max(n, b.lessons.size());
        }
    for (const rules::Breach& b : rules::breachesOf(after)) {
        if (b.noteOnly)
            continue;
        const auto it = had.find(whereOf(b));
        if (it == had.end() || b.lessons.size() > it->second)
            return b;
    }
    return std::nullopt;
}

} // namespace

SchoolCompletion CompleteSchool(School& school, const CompletionRun& run) {
    SchoolCompletion result;
    CompletionReport& report = result.report;
    QElapsedTimer clock;
    clock.start();
    const CompletionTranslation t = TranslateForCompletion(school);
    CompletionOptions options;
    options.seed = run.seed;
    options.seconds = run.seconds;
    options.progress = run.progress;
    const CompletionOutcome out = SearchCompletion(t.problem, options);
    report.steps = out.steps;
    report.cancelled = out.cancelled;
    report.timedOut = out.timedOut;
    int placedThen = 0, placedNow = 0;
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        report.missingBefore += t.problem.lessons[i].period < 0;
        placedThen += t.problem.lessons[i].period >= 0;
        placedNow += out.period[i] >= 0;
    }
    report.remaining = report.missingBefore;
    auto done = [&] {
        report.ms = double(clock.nsecsElapsed()) / 1e6;
        return result;
    };
    // Nothing gained (or cancelled): the timetable stays exactly as it was.
    if (out.cancelled || placedNow <= placedThen) {
        report.ok = !out.cancelled;
        return done();
    }
    School after = applied(school, t, out.period);
    // The rules themselves judge the end state, so that a fault of the search
    // never reaches the database; what was wrong before is not completion's
    // to mend.
    if (const auto breach = firstNewBreach(school, after)) {
        const Lesson* l = breach->lessons.empty() ? nullptr : &breach->lessons.front();
        report.error = QStringLiteral("自动补排的结果不符合排课规则（%1：%2 %3），课表没有改动。")
                           .arg(rules::ruleName(breach->rule), l ? l->classCode : breach->code,
                                rules::periodText(breach->period));
        return done();
    }
    const int L = t.problem.lessonsPerDay;
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        const auto& l = t.problem.lessons[i];
        const int to = out.period[i];
        if (l.fixed || to == l.period || (l.period < 0 && to < 0))
            continue;
        const PlanRow& row = school.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
        const long long rowid =
            t.lessonIndex[i] < 0 ? 0
                                 : school.timetable.lessons()[std::size_t(t.lessonIndex[i])].rowid;
        result.changes.push_back({rowid, row.classCode, row.courseCode, row.teacherCode,
                                  to < 0 ? 0 : to / L + 1, to < 0 ? 0 : to % L + 1,
                                  setFlagOf(Origin::Generated)});
        if (rowid != 0)
            ++report.moved;
    }
    report.placed = placedNow - placedThen;
    report.remaining = report.missingBefore - report.placed;
    report.ok = true;
    school = std::move(after);
    return done();
}

CompletionReport CompleteTimetable(TimetableDb& db, const CompletionRun& run) {
    QElapsedTimer clock;
    clock.start();
    CompletionReport report;
    try {
        School school = LoadSchool(db, Week::ofLessons(run.lessonsPerDay));
        // A count beyond the week would make the search hold that many lessons.
        RefuseUnrunnable(school, NameLookup(db));
        SchoolCompletion done = CompleteSchool(school, run);
        report = done.report;
        if (!done.changes.empty())
            SaveLessonChanges(db, done.changes); // the one place completion writes
    } catch (const UnrunnableSchool& e) {
        report.ok = false;
        report.error = e.message();
    } catch (const std::exception& e) {
        // SQLite's own texts are English; the user reads the Chinese reason.
        report.ok = false;
        report.error =
            QStringLiteral("读写课表数据失败：%1").arg(AsFailure(e, db.path()).message());
    }
    report.ms = double(clock.nsecsElapsed()) / 1e6;
    return report;
}
