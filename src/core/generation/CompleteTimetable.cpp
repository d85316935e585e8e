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

namespace {

// The lessons of a row with double lessons, in the week, as the search takes
// them: adjacent lessons alike in being fixed or not become double lessons,
// as many as the row plans; the rest stay single, as many as the room the
// double lessons leave (those beyond are dropped and come back as halves of
// double lessons); then the missing double and single lessons.
void translateDoubles(CompletionTranslation& t, int unit,
                      std::vector<CompletionProblem::Lesson> placed, std::vector<int> index) {
    CompletionProblem& pr = t.problem;
    const CompletionProblem::Unit& u = pr.units[std::size_t(unit)];
    const int L = pr.lessonsPerDay;
    std::vector<std::size_t> order(placed.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return placed[a].period < placed[b].period;
    });
    auto add = [&](const CompletionProblem::Lesson& l, int first, int second) {
        pr.lessons.push_back(l);
        t.lessonIndex.push_back(first);
        t.secondIndex.push_back(second);
        t.partnerIndex.emplace_back(); // a joint row has no double lessons
    };
    int blocks = 0;
    std::vector<std::size_t> singles;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto& a = placed[order[k]];
        if (k + 1 < order.size() && blocks < u.doubles) {
            const auto& b = placed[order[k + 1]];
            const int n = a.period % L + 1;
            if (b.period == a.period + 1 && n < L && a.fixed == b.fixed &&
                (n <= pr.morningLessons) == (n + 1 <= pr.morningLessons)) {
                CompletionProblem::Lesson block = a;
                block.block = true;
                add(block, index[order[k]], index[order[k + 1]]);
                ++blocks;
                ++k;
                continue;
            }
        }
        singles.push_back(order[k]);
    }
    int fixedSingles = 0;
    for (int d = 0; d < 5; ++d)
        fixedSingles += u.dayBase[std::size_t(d)];
    for (std::size_t k : singles)
        fixedSingles += placed[k].fixed;
    const int room = u.weekly - 2 * blocks - fixedSingles;
    const int newBlocks = std::min(u.doubles - blocks, std::max(0, room) / 2);
    int singleRoom = room - 2 * newBlocks;
    for (std::size_t k : singles) {
        if (!placed[k].fixed && singleRoom <= 0) {
            t.dropped.push_back(index[k]);
            continue;
        }
        singleRoom -= !placed[k].fixed;
        add(placed[k], index[k], -1);
    }
    for (int n = 0; n < newBlocks; ++n) {
        CompletionProblem::Lesson block{unit, -1, false};
        block.block = true;
        add(block, -1, -1);
    }
    for (; singleRoom > 0; --singleRoom)
        add({unit, -1, false}, -1, -1);
}

} // namespace

CompletionTranslation TranslateForCompletion(School& s) {
    CompletionTranslation t;
    CompletionProblem& pr = t.problem;
    const Week week = s.timetable.week();
    pr.lessonsPerDay = week.lessonsPerDay();
    pr.morningLessons = s.middayBreak.morningLessons;
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
        u.doubles = planRow >= 0 ? int(p.doubles) : 0;
        u.weekly = int(std::min<long long>(p.weeklyLessons, P));
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
    // Lessons of rows with double lessons wait here until the row is whole.
    std::map<int, std::vector<CompletionProblem::Lesson>> pending;
    std::map<int, std::vector<int>> pendingIndex;
    auto push = [&](const CompletionProblem::Lesson& l, int index, int second) {
        pr.lessons.push_back(l);
        t.lessonIndex.push_back(index);
        t.secondIndex.push_back(second);
        t.partnerIndex.emplace_back(t.partnerClasses[std::size_t(l.unit)].size(), -1);
    };
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
        if (pr.units[std::size_t(unit)].doubles > 0) {
            pending[unit].push_back({unit, periodOf(l.period), fixed});
            pendingIndex[unit].push_back(int(i));
            continue;
        }
        if (!t.partnerClasses[std::size_t(unit)].isEmpty())
            jointAt.insert(atKey(unit, periodOf(l.period)), int(pr.lessons.size()));
        push({unit, periodOf(l.period), fixed}, int(i), -1);
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
        if (week.contains(l.period) && !l.lessonNoEmpty)
            push({unit, periodOf(l.period), true}, int(i), -1);
    }
    for (std::size_t u = 0; u < pr.units.size(); ++u) {
        const int r = t.planRowOfUnit[u];
        if (r < 0)
            continue;
        if (pr.units[u].doubles > 0) {
            translateDoubles(t, int(u), pending[int(u)], pendingIndex[int(u)]);
            continue;
        }
        for (long long n = inTable[u]; n < weekly[u]; ++n)
            push({int(u), -1, false}, -1, -1);
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
// for taken out). A joint lesson changes in each of its classes, a double
// lesson in both its periods.
template <class Fn>
void forEachChange(const School& s, const CompletionTranslation& t, const std::vector<int>& period,
                   Fn fn) {
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        const auto& l = t.problem.lessons[i];
        const int to = period[i];
        if (l.fixed || to == l.period || (l.period < 0 && to < 0))
            continue;
        const PlanRow& row = s.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
        for (int half = 0; half < (l.block ? 2 : 1); ++half) {
            const int index = half == 0 ? t.lessonIndex[i] : t.secondIndex[i];
            if (index >= 0 || to >= 0)
                fn(index, row.classCode, row, to < 0 ? -1 : to + half);
        }
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
    for (int index : t.dropped)
        gone[std::size_t(index)] = true;
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
    const bool byRow = b.rule == rules::Rule::DailyShare || b.rule == rules::Rule::InPlan ||
                       b.rule == rules::Rule::DoubleLessons;
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
    // Lessons of the timetable: a double lesson is two, and the lessons
    // dropped to make way for double lessons were placed before.
    int placedThen = int(t.dropped.size()), placedNow = 0;
    report.missingBefore = -int(t.dropped.size());
    for (std::size_t i = 0; i < t.problem.lessons.size(); ++i) {
        // A joint lesson is a lesson of each of its classes, a double
        // lesson two.
        const auto& l = t.problem.lessons[i];
        const int n = (1 + int(t.partnerClasses[std::size_t(l.unit)].size())) * (l.block ? 2 : 1);
        report.missingBefore += l.period < 0 ? n : 0;
        placedThen += l.period >= 0 ? n : 0;
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
    for (int index : t.dropped) {
        const Lesson& l = school.timetable.lessons()[std::size_t(index)];
        result.changes.push_back({l.rowid, l.classCode, l.courseCode, l.teacherCode, 0, 0,
                                  setFlagOf(Origin::Generated)});
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
