#include "core/rules/PlanCheck.h"

#include "core/model/Week.h"
#include "core/rules/Placement.h"

#include <algorithm>
#include <map>

namespace {

constexpr int kDays = 5;

QString nameOf(const QHash<QString, QString>& names, const QString& code) {
    const QString n = names.value(code);
    return n.isEmpty() ? code : n;
}

// Periods of the week that none of the given "不排" sets closes.
int openPeriods(int lessonsPerDay, std::initializer_list<const QSet<int>*> never) {
    int open = 0;
    for (int p = 0; p < kDays * lessonsPerDay; ++p)
        if (std::none_of(never.begin(), never.end(),
                         [p](const QSet<int>* s) { return s->contains(p); }))
            ++open;
    return open;
}

const QSet<int> kNone;

const QSet<int>* neverOf(const QHash<QString, QSet<int>>& map, const QString& code) {
    auto it = map.constFind(code);
    return it == map.constEnd() ? &kNone : &it.value();
}

// The teacher's lessons a week: the open periods of each day, no more than
// the teacher's daily maximum a day.
int teacherOpen(const PlanCheckInput& in, const QString& teacher) {
    const QSet<int>* never = neverOf(in.teacherNever, teacher);
    const int max = in.teacherMaxPerDay.value(teacher, 0);
    int open = 0;
    for (int day = 0; day < kDays; ++day) {
        int today = 0;
        for (int n = 0; n < in.lessonsPerDay; ++n)
            today += !never->contains(day * in.lessonsPerDay + n);
        open += max > 0 ? std::min(today, max) : today;
    }
    return open;
}

// The course's own daily maximum where it sets one, else the row's share.
int shareOf(const PlanCheckInput& in, const PlanCheckInput::Row& r) {
    const auto it = in.courseRules.constFind(r.courseCode);
    return it != in.courseRules.constEnd() && it->maxPerDay ? *it->maxPerDay
                                                            : rules::dailyShareOf(r.count);
}

int capacityOf(const PlanCheckInput& in, const QString& course) {
    const auto it = in.courseRules.constFind(course);
    return it == in.courseRules.constEnd() ? 0 : it->maxClasses.value_or(0);
}

// A row gets at most its daily share of lessons a day, and only at periods
// that its class, course and teacher all leave open.
int rowCapacity(const PlanCheckInput& in, const PlanCheckInput::Row& r) {
    const int share = shareOf(in, r);
    const QSet<int>* never[] = {neverOf(in.classNever, r.classCode),
                                neverOf(in.courseNever, r.courseCode),
                                neverOf(in.teacherNever, r.teacherCode)};
    int capacity = 0;
    for (int day = 0; day < kDays; ++day) {
        int open = 0;
        for (int n = 0; n < in.lessonsPerDay; ++n) {
            const int p = day * in.lessonsPerDay + n;
            if (std::none_of(std::begin(never), std::end(never),
                             [p](const QSet<int>* s) { return s->contains(p); }))
                ++open;
        }
        capacity += std::min(open, share);
    }
    return capacity;
}

// A row with double lessons: day by day, k double lessons and m single ones
// with k + m within the share (a double lesson counts once), k no more than
// the day's disjoint pairs of adjacent open periods (not across the break),
// 2k + m within its open periods; the most lessons with exactly the row's
// double lessons, or −1 when the week cannot hold them. `pairsFound` is the
// most double lessons the week can hold.
int doubleRowCapacity(const PlanCheckInput& in, const PlanCheckInput::Row& r, int& pairsFound) {
    const int share = shareOf(in, r);
    const QSet<int>* never[] = {neverOf(in.classNever, r.classCode),
                                neverOf(in.courseNever, r.courseCode),
                                neverOf(in.teacherNever, r.teacherCode)};
    const MiddayBreak midday{in.morningLessons};
    constexpr int kNoWay = -1;
    std::vector<int> best(std::size_t(r.doubles) + 1, kNoWay); // by double lessons used
    best[0] = 0;
    pairsFound = 0;
    for (int day = 0; day < kDays; ++day) {
        int open = 0, pairs = 0;
        bool previousOpen = false;
        for (int n = 0; n < in.lessonsPerDay; ++n) {
            const int p = day * in.lessonsPerDay + n;
            const bool isOpen = std::none_of(std::begin(never), std::end(never),
                                             [p](const QSet<int>* s) { return s->contains(p); });
            open += isOpen;
            if (isOpen && previousOpen && !midday.between(n, n + 1)) {
                ++pairs;
                previousOpen = false; // both lessons are taken
            } else {
                previousOpen = isOpen;
            }
        }
        const int most = std::min(pairs, share);
        pairsFound += most;
        std::vector<int> next(best.size(), kNoWay);
        for (std::size_t used = 0; used < best.size(); ++used) {
            if (best[used] == kNoWay)
                continue;
            for (int k = 0; k <= most && used + std::size_t(k) < best.size(); ++k) {
                const int m = std::min(share - k, open - 2 * k);
                const std::size_t to = used + std::size_t(k);
                next[to] = std::max(next[to], best[used] + 2 * k + std::max(0, m));
            }
        }
        best = std::move(next);
    }
    return best.back();
}

// Days on which one of the row's class, course and teacher closes every
// period: the row's lessons must fit the other days.
int openDays(const PlanCheckInput& in, const QSet<int>* never) {
    int days = 0;
    for (int day = 0; day < kDays; ++day)
        for (int n = 0; n < in.lessonsPerDay; ++n)
            if (!never->contains(day * in.lessonsPerDay + n)) {
                ++days;
                break;
            }
    return days;
}

// Why a row does not fit, in the words of its tightest limit: whose closed
// days leave too few days for the daily share, or else the open periods.
QString rowText(const PlanCheckInput& in, const PlanCheckInput::Row& r, int capacity) {
    const int share = shareOf(in, r);
    const QString cls = nameOf(in.classNames, r.classCode),
                  course = nameOf(in.courseNames, r.courseCode),
                  teacher = nameOf(in.teacherNames, r.teacherCode);
    const std::pair<QString, const QSet<int>*> owners[] = {
        {QStringLiteral("老师 %1").arg(teacher), neverOf(in.teacherNever, r.teacherCode)},
        {QStringLiteral("班级 %1").arg(cls), neverOf(in.classNever, r.classCode)},
        {QStringLiteral("课程 %1").arg(course), neverOf(in.courseNever, r.courseCode)}};
    for (const auto& [who, never] : owners) {
        const int days = openDays(in, never);
        if (days < kDays && days * share == capacity)
            return QStringLiteral("%1 %2（%3）：%4 只有 %5 天可上课，本班%6每天最多 %7 节，"
                                  "计划 %8 节")
                .arg(cls, course, teacher, who)
                .arg(days)
                .arg(course)
                .arg(share)
                .arg(r.count);
    }
    return QStringLiteral("%1 %2（%3）：计划 %4 节，课程、老师和班级都可排且每天不超过 "
                          "%5 节的时间只有 %6 节")
        .arg(cls, course, teacher)
        .arg(r.count)
        .arg(share)
        .arg(capacity);
}

std::vector<PlanProblem> check(const PlanCheckInput& in, const QString* onlyClass,
                               const QString* onlyTeacher) {
    std::map<QString, int> classLoad, teacherLoad, exclusiveLoad;
    for (const auto& r : in.rows) {
        if (r.count <= 0)
            continue;
        classLoad[r.classCode] += r.count;
        if (r.joinsAnother)
            continue;
        teacherLoad[r.teacherCode] += r.count;
        if (capacityOf(in, r.courseCode) > 0)
            exclusiveLoad[r.courseCode] += r.count;
    }
    const bool all = !onlyClass && !onlyTeacher;
    auto wantClass = [&](const QString& c) { return all || (onlyClass && *onlyClass == c); };
    auto wantTeacher = [&](const QString& t) { return all || (onlyTeacher && *onlyTeacher == t); };
    auto line = [](const QString& who, int planned, int open) {
        return QStringLiteral("%1：计划 %2 节，每周可上课时间只有 %3 节")
            .arg(who)
            .arg(planned)
            .arg(open);
    };

    std::vector<PlanProblem> out;
    for (const auto& [cls, planned] : classLoad) {
        if (!wantClass(cls))
            continue;
        const int open = openPeriods(in.lessonsPerDay, {neverOf(in.classNever, cls)});
        if (planned > open)
            out.push_back(
                {PlanProblem::Kind::Class,
                 cls,
                 {},
                 {},
                 planned,
                 open,
                 line(QStringLiteral("班级 ") + nameOf(in.classNames, cls), planned, open)});
    }
    for (const auto& [teacher, planned] : teacherLoad) {
        if (!wantTeacher(teacher))
            continue;
        const int open = teacherOpen(in, teacher);
        const int max = in.teacherMaxPerDay.value(teacher, 0);
        if (planned > open)
            out.push_back({PlanProblem::Kind::Teacher,
                           {},
                           {},
                           teacher,
                           planned,
                           open,
                           max > 0
                               ? QStringLiteral("老师 %1：计划 %2 节，每天最多 %3 节，"
                                                "每周可上课时间只有 %4 节")
                                     .arg(nameOf(in.teacherNames, teacher))
                                     .arg(planned)
                                     .arg(max)
                                     .arg(open)
                               : line(QStringLiteral("老师 ") + nameOf(in.teacherNames, teacher),
                                      planned, open)});
    }
    std::vector<const PlanCheckInput::Row*> rows;
    for (const auto& r : in.rows)
        if (r.count > 0 && (wantClass(r.classCode) || wantTeacher(r.teacherCode)))
            rows.push_back(&r);
    std::stable_sort(rows.begin(), rows.end(), [](auto* a, auto* b) {
        return std::tie(a->classCode, a->courseCode, a->teacherCode) <
               std::tie(b->classCode, b->courseCode, b->teacherCode);
    });
    for (const auto* r : rows) {
        if (r->doubles > 0) {
            int pairs = 0;
            const int capacity = doubleRowCapacity(in, *r, pairs);
            const QString row =
                QStringLiteral("%1 %2（%3）")
                    .arg(nameOf(in.classNames, r->classCode), nameOf(in.courseNames, r->courseCode),
                         nameOf(in.teacherNames, r->teacherCode));
            if (capacity < 0)
                out.push_back({PlanProblem::Kind::Row, r->classCode, r->courseCode, r->teacherCode,
                               r->doubles, pairs,
                               QStringLiteral("%1：计划连堂 %2 次，相邻两节都可排（不跨午休）"
                                              "且每天不超过 %3 次的只有 %4 次")
                                   .arg(row)
                                   .arg(r->doubles)
                                   .arg(shareOf(in, *r))
                                   .arg(pairs)});
            else if (r->count > capacity)
                out.push_back({PlanProblem::Kind::Row, r->classCode, r->courseCode, r->teacherCode,
                               r->count, capacity,
                               QStringLiteral("%1：计划 %2 节（连堂 %3 次），可排且每天不超过 "
                                              "%4 节（连堂算一节）的时间只能排 %5 节")
                                   .arg(row)
                                   .arg(r->count)
                                   .arg(r->doubles)
                                   .arg(shareOf(in, *r))
                                   .arg(capacity)});
            continue;
        }
        const int capacity = rowCapacity(in, *r);
        if (r->count > capacity)
            out.push_back({PlanProblem::Kind::Row, r->classCode, r->courseCode, r->teacherCode,
                           r->count, capacity, rowText(in, *r, capacity)});
    }
    if (all)
        for (const auto& [course, planned] : exclusiveLoad) {
            const int open = openPeriods(in.lessonsPerDay, {neverOf(in.courseNever, course)});
            const int capacity = capacityOf(in, course);
            if (planned <= capacity * open)
                continue;
            const QString name = nameOf(in.courseNames, course);
            out.push_back(
                {PlanProblem::Kind::Exclusive,
                 {},
                 course,
                 {},
                 planned,
                 capacity * open,
                 capacity == 1
                     ? QStringLiteral("专用课程 %1：各班共计划 %2 节，每周可上课时间只有 %3 节")
                           .arg(name)
                           .arg(planned)
                           .arg(open)
                     : QStringLiteral("%1同时最多 %2 个班：各班共计划 %3 节，每周可上课时间 "
                                      "%4 节，最多能上 %5 节")
                           .arg(name)
                           .arg(capacity)
                           .arg(planned)
                           .arg(open)
                           .arg(capacity * open)});
        }
    return out;
}

} // namespace

std::vector<PlanProblem> CheckPlan(const PlanCheckInput& in) {
    return check(in, nullptr, nullptr);
}

std::vector<PlanProblem> CheckPlanOf(const PlanCheckInput& in, const QString& classCode,
                                     const QString& teacherCode) {
    return check(in, classCode.isEmpty() ? nullptr : &classCode,
                 teacherCode.isEmpty() ? nullptr : &teacherCode);
}

QStringList PlanProblemLines(const std::vector<PlanProblem>& problems) {
    QStringList lines;
    for (const auto& p : problems)
        lines << p.text;
    return lines;
}
