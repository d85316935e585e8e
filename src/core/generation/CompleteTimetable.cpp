#include "core/generation/CompleteTimetable.h"

#include "core/generation/CompletionSearch.h"
#include "core/store/WeekRecords.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>

namespace {

constexpr int kDays = 5;

class Ids {
public:
    int of(const QString& code) {
        auto it = m_ids.constFind(code);
        if (it != m_ids.constEnd())
            return it.value();
        const int n = int(m_ids.size());
        m_ids.insert(code, n);
        return n;
    }
    int size() const { return int(m_ids.size()); }
    int find(const QString& code) const { return m_ids.value(code, -1); }

private:
    QHash<QString, int> m_ids;
};

struct Translation {
    CompletionProblem problem;
    std::vector<long long> rowid;   // by problem lesson; 0 for a missing one
    std::vector<int> planRowOfUnit; // −1: a lesson outside the plan
};

// The level of each period for a plan row: the course limit, raised to
// "尽量不排" or "不排" where the teacher's or the class's limit says so.
std::vector<std::uint8_t> levels(const WeekRecords& w, const WeekRecords::PlanRow& row,
                                 int lessonsPerDay) {
    const int P = kDays * lessonsPerDay;
    std::vector<std::uint8_t> level(std::size_t(P), 1);
    std::vector<std::uint8_t> raise(std::size_t(P), 0);
    for (const auto& l : w.limits) {
        if (l.day < 1 || l.day > kDays || l.lessonNo < 1 || l.lessonNo > lessonsPerDay)
            continue;
        const std::size_t p = std::size_t((l.day - 1) * lessonsPerDay + l.lessonNo - 1);
        if (l.kind == 1 && l.code == row.courseCode)
            level[p] = std::uint8_t(l.attr);
        else if ((l.kind == 2 && l.code == row.teacherCode) ||
                 (l.kind == 0 && l.code == row.classCode))
            raise[p] = std::max(raise[p], std::uint8_t(l.attr));
    }
    for (std::size_t p = 0; p < level.size(); ++p)
        if (raise[p] >= 2)
            level[p] = std::max(level[p], raise[p]);
    return level;
}

Translation translate(const WeekRecords& w, int lessonsPerDay) {
    Translation t;
    CompletionProblem& pr = t.problem;
    pr.lessonsPerDay = lessonsPerDay;
    Ids classes, teachers, courses;
    QHash<QString, int> unitOfRow; // class \t course \t teacher -> unit
    auto key = [](const QString& a, const QString& b, const QString& c) {
        return a + QChar('\t') + b + QChar('\t') + c;
    };
    for (std::size_t r = 0; r < w.plan.size(); ++r) {
        const auto& row = w.plan[r];
        const QString k = key(row.classCode, row.courseCode, row.teacherCode);
        if (unitOfRow.contains(k))
            continue; // a second equal row shares the first one's lessons
        CompletionProblem::Unit u;
        u.cls = classes.of(row.classCode);
        u.teacher = teachers.of(row.teacherCode);
        u.course = courses.of(row.courseCode);
        u.dailyShare = std::max(row.count, 0) / kDays + 1;
        u.level = levels(w, row, lessonsPerDay);
        unitOfRow.insert(k, int(pr.units.size()));
        pr.units.push_back(std::move(u));
        t.planRowOfUnit.push_back(int(r));
    }
    std::vector<int> inTable(pr.units.size(), 0);
    const int P = kDays * lessonsPerDay;
    for (const auto& l : w.lessons) {
        // Lessons beyond the week are nobody's business here.
        if (l.day < 1 || l.day > kDays || l.lessonNo < 1 || l.lessonNo > lessonsPerDay)
            continue;
        const QString k = key(l.classCode, l.courseCode, l.teacherCode);
        int unit = unitOfRow.value(k, -1);
        const bool planned = unit >= 0;
        if (!planned) {
            // Outside the plan: it stays where it is and takes its place.
            CompletionProblem::Unit u;
            u.cls = classes.of(l.classCode);
            u.teacher = teachers.of(l.teacherCode);
            u.course = courses.of(l.courseCode);
            u.dailyShare = P;
            u.level.assign(std::size_t(P), 1);
            unit = int(pr.units.size());
            unitOfRow.insert(k, unit);
            pr.units.push_back(std::move(u));
            t.planRowOfUnit.push_back(-1);
            inTable.push_back(0);
        }
        ++inTable[std::size_t(unit)];
        const bool fixed = l.setFlag == 0 || t.planRowOfUnit[std::size_t(unit)] < 0;
        pr.lessons.push_back({unit, (l.day - 1) * lessonsPerDay + l.lessonNo - 1, fixed});
        t.rowid.push_back(l.rowid);
    }
    for (std::size_t u = 0; u < pr.units.size(); ++u) {
        const int r = t.planRowOfUnit[u];
        if (r < 0)
            continue;
        for (int n = inTable[u]; n < w.plan[std::size_t(r)].count; ++n) {
            pr.lessons.push_back({int(u), -1, false});
            t.rowid.push_back(0);
        }
    }
    pr.classes = classes.size();
    pr.teachers = teachers.size();
    pr.courses = courses.size();
    pr.exclusive.assign(std::size_t(pr.courses), false);
    for (const QString& c : w.exclusiveCourses)
        if (const int id = courses.find(c); id >= 0)
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
        if (cls[std::size_t(u.cls) * P + p] > 1 || tea[std::size_t(u.teacher) * P + p] > 1 ||
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
        const WeekRecords week = ReadWeekRecords(db);
        const Translation t = translate(week, run.lessonsPerDay);
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
            if (l.fixed || to == l.period)
                continue;
            const auto& row = week.plan[std::size_t(t.planRowOfUnit[std::size_t(l.unit)])];
            LessonChange c{t.rowid[i],
                           row.classCode,
                           row.courseCode,
                           row.teacherCode,
                           to < 0 ? 0 : to / L + 1,
                           to < 0 ? 0 : to % L + 1,
                           1};
            if (c.rowid == 0 && to < 0)
                continue;
            if (c.rowid != 0)
                ++report.moved;
            changes.push_back(c);
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
    } catch (const std::exception& e) {
        report.error = QStringLiteral("读写课表数据失败：%1").arg(QString::fromUtf8(e.what()));
    }
    report.ms = double(clock.nsecsElapsed()) / 1e6;
    return report;
}
