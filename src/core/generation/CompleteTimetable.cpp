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
    pr.morningLessons = week.morningLessons();
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
        if (p.teacher >= 0 && (p.teacherMaxPerDay > 0 || p.teacherMaxInRow > 0)) {
            const std::size_t at = std::size_t(p.teacher);
            if (pr.teacherMaxPerDay.size() <= at) {
                pr.teacherMaxPerDay.resize(at + 1, 0);
                pr.teacherMaxInRow.resize(at + 1, 0);
            }
            pr.teacherMaxPerDay[at] = p.teacherMaxPerDay;
            pr.teacherMaxInRow[at] = p.teacherMaxInRow;
        }
        QStringList partners;
        if (planRow >= 0)
            if (const JointRow* joint = s.joints.rowOf(cls, course, teacher))
                partners = joint->others.mid(0, CompletionProblem::kMaxPartners);
        // A joint lesson goes where every class of it may have it: the
        // strictest level and the smallest daily share of them all.
        for (const QString& other : partners) {
            const rules::Placing q = rules::placingOf(s, other, course, teacher);
            u.partners.push_back(q.cls);
            int group = -1;
            if (q.sharePerCourse) {
                const QString k = other + QChar('\t') + course;
                group = shareGroups.value(k, int(shareGroups.size()));
                shareGroups.insert(k, group);
            }
            u.partnerGroups.push_back(group);
            if (q.inPlan)
                u.dailyShare = std::min(u.dailyShare, q.dailyShare);
            week.forEach([&](Period at) {
                LimitLevel level = rules::levelAt(s, q, at);
                if (level != LimitLevel::Normal &&
                    s.timetable.classHasUnnumberedLesson(q.cls, at.day))
                    level = LimitLevel::Never;
                std::uint8_t& cell = u.level[std::size_t(periodOf(at))];
                cell = std::max(cell, std::uint8_t(attrOf(level)));
            });
        }
        weekly.push_back(p.weeklyLessons);
        unitOf.insert(key(cls, course, teacher), int(pr.units.size()));
        pr.units.push_back(std::move(u));
        t.planRowOfUnit.push_back(planRow);
        t.partnerClasses.push_back(partners);
        return int(pr.units.size()) - 1;
    };
    for (std::size_t r = 0; r < s.plan.size(); ++r) {
        const PlanRow& row = s.plan[r];
        // A further class of a joint row takes the first class's lessons.
        if (row.isComplete() &&
            !unitOf.contains(key(row.classCode, row.courseCode, row.teacherCode)) &&
            !s.joints.isFurther(row.classCode, row.courseCode, row.teacherCode))
            addUnit(row.classCode, row.courseCode, row.teacherCode, int(r));
    }
    std::vector<long long> inTable(pr.units.size(), 0);
    const auto& lessons = s.timetable.lessons();
    // A further class's lesson is the joint lesson at its period: found once
    // the first classes' lessons are in.
    std::vector<std::size_t> further;
    QHash<QString, int> jointAt; // unit and period → problem lesson
    auto atKey = [](int unit, int period) { return QStringLiteral("%1:%2").arg(unit).arg(period); };
    for (std::size_t i = 0; i < lessons.size(); ++i) {
        const Lesson& l = lessons[i];
        // A lesson of no class is nobody's.
        if (l.classCode.isEmpty())
            continue;
        if (s.joints.isFurther(l.classCode, l.courseCode, l.teacherCode)) {
            further.push_back(i);
            continue;
        }
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
        const std::size_t partners = t.partnerClasses[std::size_t(unit)].size();
        if (partners > 0)
            jointAt.insert(atKey(unit, periodOf(l.period)), int(pr.lessons.size()));
        pr.lessons.push_back({unit, periodOf(l.period), fixed});
        t.lessonIndex.push_back(int(i));
        t.partnerIndex.emplace_back(partners, -1);
    }
    for (std::size_t i : further) {
        const Lesson& l = lessons[i];
        const JointRow* joint = s.joints.rowOf(l.classCode, l.courseCode, l.teacherCode);
        const int first = unitOf.value(key(joint->classCode, l.courseCode, l.teacherCode), -1);
        const int k =
            first < 0 ? -1 : int(t.partnerClasses[std::size_t(first)].indexOf(l.classCode));
        if (k >= 0 && (!week.contains(l.period) || l.lessonNoEmpty)) {
            if (l.period.day >= 1 && l.period.day <= Week::kDays)
                ++pr.units[std::size_t(first)].dayBase[std::size_t(l.period.day - 1)];
            continue;
        }
        const int at = k < 0 ? -1 : jointAt.value(atKey(first, periodOf(l.period)), -1);
        if (at >= 0 && t.partnerIndex[std::size_t(at)][std::size_t(k)] < 0) {
            t.partnerIndex[std::size_t(at)][std::size_t(k)] = int(i);
            continue;
        }
        // Apart from its first class (a breach already): it stays and blocks.
        int unit = unitOf.value(key(l.classCode, l.courseCode, l.teacherCode), -1);
        if (unit < 0) {
            unit = addUnit(l.classCode, l.courseCode, l.teacherCode, -1);
            inTable.push_back(0);
        }
        if (week.contains(l.period) && !l.lessonNoEmpty) {
            pr.lessons.push_back({unit, periodOf(l.period), true});
            t.lessonIndex.push_back(int(i));
            t.partnerIndex.emplace_back();
        }
    }
    for (std::size_t u = 0; u < pr.units.size(); ++u) {
        const int r = t.planRowOfUnit[u];
        if (r < 0)
            continue;
        for (long long n = inTable[u]; n < weekly[u]; ++n) {
            pr.lessons.push_back({int(u), -1, false});
            t.lessonIndex.push_back(-1);
            t.partnerIndex.emplace_back(t.partnerClasses[u].size(), -1);
        }
    }
    int classes = 0, teachers = 0, courses = 0;
    for (const auto& u : pr.units) {
        classes = std::max(classes, u.cls + 1);
        for (int c : u.partners)
            classes = std::max(classes, c + 1);
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
// Every stored lesson the search's outcome changes: fn(index into the
// lessons or −1 for a new one, its class, the plan row, the new period or −1
// for taken out). A joint lesson changes in each of its classes.
template <class Fn>
void forEachChange(const School& s, const CompletionTranslation& t, const std::vector<int>& period,
                   Fn fn) {
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        const auto& l = t.problem.lessons[i];
        const int to = period[i];
        if (l.fixed || to == l.period || (l.period < 0 && to < 0))
            continue;
        const PlanRow& row = s.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
        fn(t.lessonIndex[i], row.classCode, row, to);
        const QStringList& partners = t.partnerClasses[std::size_t(l.unit)];
        for (qsizetype k = 0; k < partners.size(); ++k) {
            const int index = t.partnerIndex[i][std::size_t(k)];
            if (index >= 0 || to >= 0)
                fn(index, partners[k], row, to);
        }
    }
}

School applied(const School& s, const CompletionTranslation& t, const std::vector<int>& period) {
    School after = s;
    const int L = t.problem.lessonsPerDay;
    std::vector<Lesson> lessons = s.timetable.lessons();
    std::vector<bool> gone(lessons.size(), false);
    std::vector<Lesson> added;
    forEachChange(s, t, period, [&](int index, const QString& cls, const PlanRow& row, int to) {
        const Period at{to / L + 1, to % L + 1};
        if (index >= 0) {
            if (to < 0)
                gone[std::size_t(index)] = true;
            else
                lessons[std::size_t(index)].period = at;
            return;
        }
        added.push_back({cls, at, row.courseCode, row.teacherCode, Origin::Generated});
    });
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
        // A joint lesson is a lesson of each of its classes.
        const int n = 1 + int(t.partnerClasses[std::size_t(t.problem.lessons[i].unit)].size());
        report.missingBefore += t.problem.lessons[i].period < 0 ? n : 0;
        placedThen += t.problem.lessons[i].period >= 0 ? n : 0;
        placedNow += out.period[i] >= 0 ? n : 0;
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
    forEachChange(school, t, out.period,
                  [&](int index, const QString& cls, const PlanRow& row, int to) {
                      const long long rowid =
                          index < 0 ? 0 : school.timetable.lessons()[std::size_t(index)].rowid;
                      result.changes.push_back({rowid, cls, row.courseCode, row.teacherCode,
                                                to < 0 ? 0 : to / L + 1, to < 0 ? 0 : to % L + 1,
                                                setFlagOf(Origin::Generated)});
                      if (rowid != 0)
                          ++report.moved;
                  });
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
