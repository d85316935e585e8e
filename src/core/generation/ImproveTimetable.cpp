#include "core/generation/ImproveTimetable.h"

#include "core/rules/HandMoves.h"
#include "core/rules/HardRules.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <tuple>

namespace {

// Steps of the search per movable lesson: enough for the penalty to settle on
// the benchmark schools (at 400, with joint lessons moving and the teacher's
// spread weighed as a best period, two schools kept a hole), few enough for
// 48 classes in well under the default five seconds.
constexpr long long kStepsPerLesson = 500;
// The temperature falls geometrically from a level that often accepts a
// teacher gap (weight 10) to one that accepts almost nothing worse.
constexpr double kStartTemperature = 12.0;
constexpr double kEndTemperature = 0.2;

constexpr int kSlots = Week::kDays * Week::kMaxLessonsPerDay;

// A small, fast and portable generator: the same steps on every machine.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(0x9E3779B97F4A7C15ULL ^ seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return static_cast<size_t>(next() % n); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t m_state;
};

int slotOf(Period p) {
    return (p.day - 1) * Week::kMaxLessonsPerDay + (p.lessonNo - 1);
}
Period periodOfSlot(int slot) {
    return Period{slot / Week::kMaxLessonsPerDay + 1, slot % Week::kMaxLessonsPerDay + 1};
}

using Breaches = std::set<std::tuple<int, QString, int, int>>;

Breaches faultsOf(const School& s) {
    Breaches out;
    for (const rules::Breach& b : rules::breachesOf(s))
        if (!b.noteOnly)
            out.insert({static_cast<int>(b.rule), b.code, b.period.day, b.period.lessonNo});
    return out;
}

// The school's lessons as small numbers, with the busy periods of every class
// and teacher by day and the quality penalty kept up to date move by move.
// The penalty is the one of rules/Quality.h, day by day (classDayPenalty,
// teacherDayPenalty, lessonPenalty); the test holds it equal to the report.
class Search {
public:
    Search(School& s, int lessonsPerDay) : m_s(s), m_perDay(lessonsPerDay) {
        const Week week = s.timetable.week();
        const auto& lessons = s.timetable.lessons();
        const size_t n = lessons.size();
        m_cls.assign(n, -1);
        m_tch.assign(n, -1);
        m_crs.assign(n, -1);
        m_unit.assign(n, -1);
        m_slot.assign(n, -1);
        m_placing.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const Lesson& l = lessons[i];
            if (l.lessonNoEmpty || !week.contains(l.period) || l.classCode.isEmpty())
                continue; // neither measured nor moved
            m_cls[i] = idOf(m_classIds, l.classCode);
            m_tch[i] = l.teacherCode.isEmpty() ? -1 : idOf(m_teacherIds, l.teacherCode);
            m_crs[i] = idOf(m_courseIds, l.courseCode);
            m_slot[i] = slotOf(l.period);
            m_placing[i] = rules::placingOf(s, l.classCode, l.courseCode, l.teacherCode);
        }
        const size_t classes = static_cast<size_t>(m_classIds.size());
        const size_t teachers = static_cast<size_t>(m_teacherIds.size());
        m_courses = static_cast<size_t>(m_courseIds.size());
        m_classCount.assign(classes, {});
        m_teacherCount.assign(teachers, {});
        m_classSlot.assign(classes, {});
        for (auto& row : m_classSlot)
            row.fill(-1);
        m_teacherSlot.assign(teachers, {});
        for (auto& row : m_teacherSlot)
            row.fill(-1);
        m_courseDay.assign(classes * m_courses, {});
        m_classClosed.assign(classes, {});
        m_teacherClosed.assign(teachers, {});
        for (auto it = m_classIds.cbegin(); it != m_classIds.cend(); ++it) {
            const rules::Placing p = rules::placingOf(s, it.key(), QString(), QString());
            for (int d = 1; d <= Week::kDays; ++d)
                m_classClosed[size_t(it.value())][size_t(d)] =
                    rules::closedOn(s, p, d, lessonsPerDay);
        }
        for (auto it = m_teacherIds.cbegin(); it != m_teacherIds.cend(); ++it) {
            const rules::Placing p = rules::placingOf(s, QString(), QString(), it.key());
            for (int d = 1; d <= Week::kDays; ++d)
                m_teacherClosed[size_t(it.value())][size_t(d)] =
                    rules::closedOn(s, p, d, lessonsPerDay);
        }
        m_countTch = m_tch;
        for (size_t i = 0; i < n; ++i)
            if (m_slot[i] >= 0)
                count(i, m_slot[i], +1);
        m_spreadTarget.assign(classes * m_courses, 0);
        for (auto c = m_classIds.cbegin(); c != m_classIds.cend(); ++c)
            for (auto k = m_courseIds.cbegin(); k != m_courseIds.cend(); ++k) {
                const size_t at = size_t(c.value()) * m_courses + size_t(k.value());
                long long planned = 0;
                for (int d = 1; d <= Week::kDays; ++d)
                    planned += m_courseDay[at][size_t(d)];
                if (planned > 0)
                    m_spreadTarget[at] = rules::spreadDays(s, c.key(), k.key(), planned);
            }
        // Only a lesson alone in its class's period, generated or placed by
        // hand and of a plan row, moves; pre-set ones stay. A joint lesson
        // (合班) moves as one unit in all its classes, and only when each of
        // its lessons could move.
        m_lessonPen.assign(n * kSlots, 0);
        std::vector<bool> free(n, false);
        for (size_t i = 0; i < n; ++i) {
            const Lesson& l = lessons[i];
            free[i] =
                m_slot[i] >= 0 && (l.origin == Origin::Generated || l.origin == Origin::ByHand) &&
                m_placing[i].inPlan && m_classSlot[size_t(m_cls[i])][size_t(m_slot[i])] == int(i);
        }
        formUnits(free);
        for (size_t i = 0; i < n; ++i) {
            if (m_slot[i] < 0)
                continue;
            const Lesson& l = lessons[i];
            const bool movable = free[i] && (m_placing[i].jointClasses.isEmpty() ||
                                             (m_unit[i] >= 0 && m_unitFree[size_t(m_unit[i])]));
            if (movable) {
                m_movable.push_back(i);
                for (int q = 0; q < kSlots; ++q)
                    if (periodOfSlot(q).lessonNo <= lessonsPerDay)
                        m_lessonPen[i * kSlots + size_t(q)] =
                            rules::lessonPenalty(s, m_placing[i], periodOfSlot(q));
            } else {
                m_lessonPen[i * kSlots + size_t(m_slot[i])] =
                    rules::lessonPenalty(s, m_placing[i], l.period);
            }
        }
        m_penalty = fullPenalty();
    }

    const std::vector<size_t>& movable() const { return m_movable; }
    long long penalty() const { return m_penalty; }
    int slot(size_t i) const { return m_slot[i]; }

    // One step: lesson i to slot q, swapping with the class's lesson there.
    // Returns true when the step was made.
    bool tryStep(size_t i, int q, double temperature, Random& rnd) {
        const int p = m_slot[i];
        if (q == p || periodOfSlot(q).lessonNo > m_perDay)
            return false;
        const size_t c = size_t(m_cls[i]);
        const int j = m_classSlot[c][size_t(q)];
        if (j == kCrowded || (j >= 0 && !isMovable(size_t(j))))
            return false;
        // A joint lesson on either side moves in all its classes: a chain.
        if (m_unit[i] >= 0 || (j >= 0 && m_unit[size_t(j)] >= 0))
            return tryChain(i, q, temperature, rnd);
        const int dp = periodOfSlot(p).day, dq = periodOfSlot(q).day;
        const int ti = m_tch[i], tj = j >= 0 ? m_tch[size_t(j)] : -1;

        const int ki = m_crs[i], kj = j >= 0 && m_crs[size_t(j)] != ki ? m_crs[size_t(j)] : -1;
        auto spreads = [&]() {
            return spread(c, ki) + spread(c, kj) + teacherSpread(ti) +
                   (tj != ti ? teacherSpread(tj) : 0);
        };
        const long long before = localPenalty(c, dp, dq, ti, tj) + spreads();
        const long long guideBefore = lateness(c, dp) + (dq != dp ? lateness(c, dq) : 0);
        move(i, j, p, q);
        long long delta = localPenalty(c, dp, dq, ti, tj) + spreads() - before + lessonPen(i, q) -
                          lessonPen(i, p);
        if (j >= 0)
            delta += lessonPen(size_t(j), p) - lessonPen(size_t(j), q);
        const long long guide = lateness(c, dp) + (dq != dp ? lateness(c, dq) : 0) - guideBefore;
        if (!accept(delta + guide, temperature, rnd) || !rulesAllow(i, j, p, q)) {
            move(i, j, q, p);
            return false;
        }
        m_penalty += delta;
        return true;
    }
    // A swap chain: lesson i's period p and period q trade the lessons that
    // would clash — i goes to q, the lesson of its class and of its teacher at
    // q come to p, and so on for theirs — so that no class and no teacher is
    // ever twice in a period. It reaches what single moves cannot: a lesson
    // whose teacher is busy in another class at the period it should take.
    bool tryChain(size_t i, int q, double temperature, Random& rnd) {
        const int p = m_slot[i];
        if (q == p || periodOfSlot(q).lessonNo > m_perDay)
            return false;
        std::vector<size_t> chain;
        auto take = [&](int k) {
            if (k == -1)
                return true;
            if (k == kCrowded || !isMovable(size_t(k)))
                return false;
            auto add = [&](size_t m) {
                if (std::find(chain.begin(), chain.end(), m) == chain.end())
                    chain.push_back(m);
            };
            // A joint lesson brings its lessons in the other classes along.
            if (m_unit[size_t(k)] < 0)
                add(size_t(k));
            else
                for (size_t m : m_units[size_t(m_unit[size_t(k)])])
                    add(m);
            return chain.size() <= kMaxChain;
        };
        if (!take(int(i)))
            return false;
        for (size_t n = 0; n < chain.size(); ++n) {
            const size_t k = chain[n];
            const int other = m_slot[k] == p ? q : p;
            if (!take(m_classSlot[size_t(m_cls[k])][size_t(other)]) ||
                (m_tch[k] >= 0 && !take(m_teacherSlot[size_t(m_tch[k])][size_t(other)])))
                return false;
        }
        if (chain.size() < 2)
            return false; // a plain move: tryStep's
        std::vector<int> classes, teachers;
        std::vector<std::pair<int, int>> courses; // class, course
        for (size_t k : chain) {
            if (std::find(courses.begin(), courses.end(), std::pair{m_cls[k], m_crs[k]}) ==
                courses.end())
                courses.emplace_back(m_cls[k], m_crs[k]);
            if (std::find(classes.begin(), classes.end(), m_cls[k]) == classes.end())
                classes.push_back(m_cls[k]);
            if (m_tch[k] >= 0 &&
                std::find(teachers.begin(), teachers.end(), m_tch[k]) == teachers.end())
                teachers.push_back(m_tch[k]);
        }
        const int dp = periodOfSlot(p).day, dq = periodOfSlot(q).day;
        auto guide = [&]() {
            long long sum = 0;
            for (int c : classes)
                sum += lateness(size_t(c), dp) + (dq != dp ? lateness(size_t(c), dq) : 0);
            return sum;
        };
        auto days = [&]() {
            long long sum = 0;
            for (int c : classes)
                sum += classDay(size_t(c), dp) + (dq != dp ? classDay(size_t(c), dq) : 0);
            for (int t : teachers)
                sum += teacherDay(t, dp) + (dq != dp ? teacherDay(t, dq) : 0) + teacherSpread(t);
            for (size_t k : chain)
                sum += lessonPen(k, m_slot[k]);
            for (const auto& [c, k] : courses)
                sum += spread(size_t(c), k);
            return sum;
        };
        const long long before = days(), guideBefore = guide();
        swapChain(chain, p, q);
        const long long delta = days() - before;
        if (!accept(delta + guide() - guideBefore, temperature, rnd) ||
            !chainAllowed(chain, p, q)) {
            swapChain(chain, p, q);
            return false;
        }
        m_penalty += delta;
        return true;
    }

    // Puts every movable lesson at the given slot, in the school too.
    void restore(const std::vector<int>& target) {
        for (size_t i : m_movable)
            if (m_slot[i] != target[i]) {
                count(i, m_slot[i], -1);
                m_slot[i] = -1;
                m_s.timetable.setPeriod(i, Period{});
            }
        for (size_t i : m_movable)
            if (m_slot[i] < 0) {
                m_slot[i] = target[i];
                count(i, m_slot[i], +1);
                m_s.timetable.setPeriod(i, periodOfSlot(target[i]));
            }
        m_penalty = fullPenalty();
    }
    std::vector<int> positions() const { return m_slot; }

private:
    static constexpr int kCrowded = -2; // two lessons of the class in one period
    // A longer chain disturbs too much of the week to be worth its rule checks.
    static constexpr size_t kMaxChain = 12;
    // Above a teacher gap, so that filling a day's first period is worth one.
    static constexpr long long kLateGuide = 20;

    static int idOf(QHash<QString, int>& ids, const QString& code) {
        auto it = ids.constFind(code);
        if (it != ids.constEnd())
            return it.value();
        const int id = int(ids.size());
        ids.insert(code, id);
        return id;
    }
    bool isMovable(size_t i) const {
        return std::binary_search(m_movable.begin(), m_movable.end(), i);
    }
    long long lessonPen(size_t i, int q) const { return m_lessonPen[i * kSlots + size_t(q)]; }

    // Gathers each joint lesson that stands whole (one lesson of the row in
    // each of its classes, alone there) into a unit. Its teacher is counted
    // once, at one of its lessons, as the rules count a joint lesson;
    // the unit may move when each of its lessons may.
    void formUnits(const std::vector<bool>& free) {
        const auto& lessons = m_s.timetable.lessons();
        for (size_t i = 0; i < lessons.size(); ++i) {
            if (m_slot[i] < 0 || m_unit[i] >= 0 || m_placing[i].jointClasses.isEmpty())
                continue;
            std::vector<size_t> unit{i};
            for (const QString& other : m_placing[i].jointClasses) {
                const auto id = m_classIds.constFind(other);
                const int k = id == m_classIds.constEnd()
                                  ? -1
                                  : m_classSlot[size_t(id.value())][size_t(m_slot[i])];
                if (k < 0 || m_crs[size_t(k)] != m_crs[i] || m_tch[size_t(k)] != m_tch[i])
                    break;
                unit.push_back(size_t(k));
            }
            if (unit.size() != size_t(m_placing[i].jointClasses.size()) + 1)
                continue; // not whole: its lessons stay where they are
            bool movable = true;
            for (size_t k : unit) {
                m_unit[k] = int(m_units.size());
                movable = movable && free[k];
            }
            for (size_t n = 1; n < unit.size(); ++n) {
                count(unit[n], m_slot[unit[n]], -1);
                m_countTch[unit[n]] = -1;
                count(unit[n], m_slot[unit[n]], +1);
            }
            m_units.push_back(std::move(unit));
            m_unitFree.push_back(movable);
        }
    }

    void count(size_t i, int q, int d) {
        const size_t c = size_t(m_cls[i]);
        const Period at = periodOfSlot(q);
        auto& cc = m_classCount[c][size_t(q)];
        cc = static_cast<std::uint8_t>(cc + d);
        int& slot = m_classSlot[c][size_t(q)];
        slot = cc == 0 ? -1 : cc == 1 ? (d > 0 ? int(i) : lastIn(c, q, i)) : kCrowded;
        m_courseDay[c * m_courses + size_t(m_crs[i])][size_t(at.day)] += d;
        if (m_countTch[i] >= 0) {
            const size_t t = size_t(m_countTch[i]);
            auto& tc = m_teacherCount[t][size_t(q)];
            tc = static_cast<std::uint8_t>(tc + d);
            int& ts = m_teacherSlot[t][size_t(q)];
            ts = tc == 0   ? -1
                 : tc == 1 ? (d > 0 ? int(i) : lastIn(m_countTch, int(t), q, i))
                           : kCrowded;
        }
    }
    // The one lesson of the class left at slot q after lesson `gone` went.
    int lastIn(size_t c, int q, size_t gone) const { return lastIn(m_cls, int(c), q, gone); }
    int lastIn(const std::vector<int>& owner, int who, int q, size_t gone) const {
        for (size_t k = 0; k < m_slot.size(); ++k)
            if (k != gone && m_slot[k] == q && owner[k] == who)
                return int(k);
        return -1;
    }
    void move(size_t i, int j, int from, int to) {
        count(i, from, -1);
        m_slot[i] = -1;
        if (j >= 0) {
            count(size_t(j), to, -1);
            m_slot[size_t(j)] = -1;
        }
        m_slot[i] = to;
        count(i, to, +1);
        if (j >= 0) {
            m_slot[size_t(j)] = from;
            count(size_t(j), from, +1);
        }
    }

    rules::DayMask classMask(size_t c, int day) const {
        rules::DayMask m = 0;
        for (int n = 1; n <= m_perDay; ++n)
            if (m_classCount[c][size_t(slotOf(Period{day, n}))] > 0)
                m |= rules::DayMask{1} << n;
        return m;
    }
    rules::DayMask teacherMask(size_t t, int day) const {
        rules::DayMask m = 0;
        for (int n = 1; n <= m_perDay; ++n)
            if (m_teacherCount[t][size_t(slotOf(Period{day, n}))] > 0)
                m |= rules::DayMask{1} << n;
        return m;
    }
    bool heaped(size_t c, int day) const {
        for (size_t k = 0; k < m_courses; ++k)
            if (m_courseDay[c * m_courses + k][size_t(day)] >= 3)
                return true;
        return false;
    }
    long long classDay(size_t c, int day) const {
        return rules::classDayPenalty(classMask(c, day), m_classClosed[c][size_t(day)],
                                      heaped(c, day));
    }
    long long teacherDay(int t, int day) const {
        if (t < 0)
            return 0;
        return rules::teacherDayPenalty(teacherMask(size_t(t), day),
                                        m_teacherClosed[size_t(t)][size_t(day)]);
    }
    // Not a measure but a guide for the search: a late start costs the same
    // however late the day starts, so nothing leads the search towards
    // filling its first periods one by one. Each free period before the first
    // lesson (not closed) weighs a little, in the search only.
    long long lateness(size_t c, int day) const {
        const rules::DayMask busy = classMask(c, day);
        if (!rules::startsLate(busy, m_classClosed[c][size_t(day)]))
            return 0;
        long long free = 0;
        for (int n = 1; (busy & (rules::DayMask{1} << n)) == 0; ++n)
            free += (m_classClosed[c][size_t(day)] & (rules::DayMask{1} << n)) == 0 ? 1 : 0;
        return kLateGuide * free;
    }
    static bool accept(long long change, double temperature, Random& rnd) {
        return change <= 0 || rnd.unit() < std::exp(-static_cast<double>(change) / temperature);
    }

    // The weighted days the class's course misses (Measure::CourseSpread);
    // course −1: none.
    long long spread(size_t c, int course) const {
        if (course < 0)
            return 0;
        const size_t at = c * m_courses + size_t(course);
        int days = 0;
        for (int d = 1; d <= Week::kDays; ++d)
            days += m_courseDay[at][size_t(d)] > 0 ? 1 : 0;
        return rules::weights::kCourseSpread * std::max(0, m_spreadTarget[at] - days);
    }

    // The weighted lessons above the teacher's even share of a day
    // (Measure::TeacherSpread); teacher −1: none. The whole week, since a
    // move that clears a clash changes the share itself.
    long long teacherSpread(int t) const {
        if (t < 0)
            return 0;
        std::array<rules::DayMask, Week::kDays + 1> busy{};
        for (int d = 1; d <= Week::kDays; ++d)
            busy[size_t(d)] = teacherMask(size_t(t), d);
        return rules::weights::kTeacherSpread *
               rules::teacherSpreadOf(busy, m_teacherClosed[size_t(t)], m_perDay);
    }

    long long localPenalty(size_t c, int dp, int dq, int ti, int tj) const {
        long long sum = classDay(c, dp) + teacherDay(ti, dp);
        if (tj != ti)
            sum += teacherDay(tj, dp);
        if (dq != dp) {
            sum += classDay(c, dq) + teacherDay(ti, dq);
            if (tj != ti)
                sum += teacherDay(tj, dq);
        }
        return sum;
    }
    long long fullPenalty() const {
        long long sum = 0;
        for (size_t c = 0; c < m_classCount.size(); ++c)
            for (int d = 1; d <= Week::kDays; ++d)
                sum += classDay(c, d);
        for (size_t t = 0; t < m_teacherCount.size(); ++t) {
            for (int d = 1; d <= Week::kDays; ++d)
                sum += teacherDay(int(t), d);
            sum += teacherSpread(int(t));
        }
        for (size_t i = 0; i < m_slot.size(); ++i)
            if (m_slot[i] >= 0)
                sum += lessonPen(i, m_slot[i]);
        for (size_t c = 0; c < m_classCount.size(); ++c)
            for (size_t k = 0; k < m_courses; ++k)
                sum += spread(c, int(k));
        return sum;
    }

    // Every lesson of the chain from its slot (p or q) to the other.
    void swapChain(const std::vector<size_t>& chain, int p, int q) {
        std::vector<int> to(chain.size());
        for (size_t n = 0; n < chain.size(); ++n) {
            to[n] = m_slot[chain[n]] == p ? q : p;
            count(chain[n], m_slot[chain[n]], -1);
            m_slot[chain[n]] = -1;
        }
        for (size_t n = 0; n < chain.size(); ++n) {
            m_slot[chain[n]] = to[n];
            count(chain[n], to[n], +1);
        }
    }
    // The chain's lessons (already at their new slots here) out of the week in
    // the school, then put back one by one, each asked of the rules; a count
    // rule (daily share, room) over its limit stops the last one that makes it.
    bool chainAllowed(const std::vector<size_t>& chain, int p, int q) {
        Timetable& t = m_s.timetable;
        for (size_t k : chain)
            t.setPeriod(k, Period{});
        size_t placed = 0;
        for (; placed < chain.size(); ++placed) {
            const size_t k = chain[placed];
            if (!rules::handReasonsAgainst(m_s, m_placing[k], periodOfSlot(m_slot[k])).empty())
                break;
            t.setPeriod(k, periodOfSlot(m_slot[k]));
        }
        if (placed == chain.size())
            return true;
        for (size_t k : chain) // back where they were: the other slot
            t.setPeriod(k, periodOfSlot(m_slot[k] == p ? q : p));
        return false;
    }

    // The hard rules, asked of the school itself: both lessons out of the
    // week, then each judged at its new period.
    bool rulesAllow(size_t i, int j, int p, int q) {
        Timetable& t = m_s.timetable;
        t.setPeriod(i, Period{});
        if (j >= 0)
            t.setPeriod(size_t(j), Period{});
        bool ok = rules::handReasonsAgainst(m_s, m_placing[i], periodOfSlot(q)).empty();
        if (ok)
            t.setPeriod(i, periodOfSlot(q));
        if (ok && j >= 0) {
            ok = rules::handReasonsAgainst(m_s, m_placing[size_t(j)], periodOfSlot(p)).empty();
            if (ok)
                t.setPeriod(size_t(j), periodOfSlot(p));
        }
        if (!ok) {
            t.setPeriod(i, periodOfSlot(p));
            if (j >= 0)
                t.setPeriod(size_t(j), periodOfSlot(q));
        }
        return ok;
    }

    School& m_s;
    int m_perDay;
    QHash<QString, int> m_classIds, m_teacherIds, m_courseIds;
    size_t m_courses = 0;
    std::vector<int> m_cls, m_tch, m_crs, m_slot;
    // The teacher a lesson is counted for: its teacher, or −1 for a joint
    // lesson's other lessons (one lesson of the unit counts it).
    std::vector<int> m_countTch;
    std::vector<int> m_unit; // the joint unit of each lesson, −1 for none
    std::vector<std::vector<size_t>> m_units;
    std::vector<bool> m_unitFree;
    std::vector<rules::Placing> m_placing;
    std::vector<std::array<std::uint8_t, kSlots>> m_classCount, m_teacherCount;
    std::vector<std::array<int, kSlots>> m_classSlot, m_teacherSlot;
    std::vector<std::array<int, Week::kDays + 1>> m_courseDay; // by class × course
    std::vector<int> m_spreadTarget;                           // likewise: rules::spreadDays
    std::vector<std::array<rules::DayMask, Week::kDays + 1>> m_classClosed, m_teacherClosed;
    std::vector<long long> m_lessonPen; // by lesson × slot
    std::vector<size_t> m_movable;      // ascending
    long long m_penalty = 0;
};

} // namespace

SchoolImprovement ImproveSchool(School& s, const ImproveRun& run) {
    QElapsedTimer clock;
    clock.start();
    SchoolImprovement out;
    ImproveReport& r = out.report;
    r.before = rules::qualityOf(s).school;
    r.penaltyBefore = rules::penaltyOf(r.before);
    const Breaches faultsBefore = faultsOf(s);

    Search search(s, run.lessonsPerDay);
    const std::vector<size_t>& movable = search.movable();
    const std::vector<int> start = search.positions();
    const long long startPenalty = search.penalty();
    std::vector<int> best = start;
    long long bestPenalty = startPenalty;
    const long long steps = static_cast<long long>(movable.size()) * kStepsPerLesson;
    Random rnd(run.seed);
    for (long long k = 0; k < steps && !movable.empty(); ++k) {
        if ((k & 1023) == 0) {
            if (clock.elapsed() > static_cast<qint64>(run.seconds * 1000)) {
                r.timedOut = true;
                break;
            }
            if ((k & 16383) == 0 && run.progress &&
                !run.progress(static_cast<int>(k * 100 / steps))) {
                r.cancelled = true;
                break;
            }
        }
        const double temperature = kStartTemperature * std::pow(kEndTemperature / kStartTemperature,
                                                                double(k) / double(steps));
        const size_t i = movable[rnd.below(movable.size())];
        const int q = int(rnd.below(size_t(kSlots)));
        // A quarter of the steps are swap chains, the rest single moves.
        const bool moved = (k & 3) == 3 ? search.tryChain(i, q, temperature, rnd)
                                        : search.tryStep(i, q, temperature, rnd);
        if (moved && search.penalty() < bestPenalty) {
            bestPenalty = search.penalty();
            best = search.positions();
        }
        r.steps = k + 1;
    }
    search.restore(r.cancelled || bestPenalty >= startPenalty ? start : best);
    r.searchPenalty = search.penalty();
    r.ok = true;
    // Every step was asked of the rules; this asks the whole once more, so
    // that a rule no step could see (one that spans several lessons) is
    // never broken by a move.
    if (!r.cancelled) {
        const Breaches faultsAfter = faultsOf(s);
        if (!std::includes(faultsBefore.begin(), faultsBefore.end(), faultsAfter.begin(),
                           faultsAfter.end())) {
            search.restore(start);
            r.ok = false;
            r.error = QStringLiteral("课表优化的结果不符合排课规则，课表没有改动");
        }
    }
    r.after = rules::qualityOf(s).school;
    r.penaltyAfter = rules::penaltyOf(r.after);
    const auto& lessons = s.timetable.lessons();
    for (size_t i : movable) {
        const int now = search.slot(i);
        if (now == start[i])
            continue;
        const Lesson& l = lessons[i];
        out.changes.push_back(LessonChange{l.rowid, l.classCode, l.courseCode, l.teacherCode,
                                           l.period.day, l.period.lessonNo, setFlagOf(l.origin)});
    }
    r.moved = static_cast<int>(out.changes.size());
    r.ms = double(clock.nsecsElapsed()) / 1e6;
    return out;
}

ImproveReport ImproveTimetable(TimetableDb& db, const ImproveRun& run) {
    QElapsedTimer clock;
    clock.start();
    ImproveReport report;
    try {
        School school = LoadSchool(db, Week::ofLessons(run.lessonsPerDay));
        SchoolImprovement done = ImproveSchool(school, run);
        report = done.report;
        if (report.ok && !report.cancelled && !done.changes.empty())
            SaveLessonChanges(db, done.changes); // one transaction
    } catch (const std::exception& e) {
        report.ok = false;
        report.error =
            QStringLiteral("读写课表数据失败：%1").arg(AsFailure(e, db.path()).message());
    }
    report.ms = double(clock.nsecsElapsed()) / 1e6;
    return report;
}
