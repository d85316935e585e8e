#include "core/generation/CompletionSearch.h"

#include <QElapsedTimer>
#include <algorithm>
#include <bit>
#include <random>

namespace {

constexpr int kDays = 5;
constexpr int kNever = 3;
constexpr int kFree = -1;

// Costs: a displaced lesson outweighs every preference, so the search first
// looks for room and only then for comfort.
constexpr int kDisplaceCost = 1000;
constexpr int kAvoidCost = 30;
constexpr int kBestBonus = 10;
constexpr int kCrowdedDayCost = 20;
constexpr int kMaxChain = 40;
// Lessons a step may displace: a double lesson's class, teacher and room
// course at both its periods, each joint partner's class, one lesson over
// each daily share it counts toward, one over the teacher's day and one of
// the teacher's row.
constexpr int kMaxOut = 10 + 3 * CompletionProblem::kMaxPartners;

class Search {
public:
    Search(const CompletionProblem& p, const CompletionOptions& o)
        : m_p(p), m_o(o), m_rng(o.seed), m_P(p.periods()), m_L(p.lessonsPerDay) {
        m_classAt.assign(std::size_t(p.classes) * m_P, kFree);
        m_teacherAt.assign(std::size_t(p.teachers) * m_P, kFree);
        m_roomAt.resize(std::size_t(p.courses) * m_P);
        // Each plan row keeps its own daily share (two rows of one course in a
        // class, two teachers, count apart) unless its course counts the
        // class's rows together: groups take the counters after the units.
        int groups = 0;
        for (const auto& u : p.units) {
            groups = std::max(groups, u.shareGroup + 1);
            for (int g : u.partnerGroups)
                groups = std::max(groups, g + 1);
        }
        const std::size_t counters = p.units.size() + std::size_t(groups);
        m_groupOf.resize(p.units.size());
        m_unitDay.assign(counters * kDays, 0);
        m_unitBase.assign(p.units.size(), 0);
        m_shareDoubles.assign(counters, 0);
        m_shareDoubleUnits.resize(counters);
        // A joint lesson counts toward its own counter and toward the groups
        // of its partner classes, each scanned in that class.
        m_counters.resize(p.units.size());
        for (std::size_t u = 0; u < p.units.size(); ++u) {
            const int g = p.units[u].shareGroup;
            m_groupOf[u] = g >= 0 ? int(p.units.size()) + g : int(u);
            const std::size_t c = std::size_t(m_groupOf[u]);
            m_counters[u].push_back({m_groupOf[u], p.units[u].cls});
            for (std::size_t k = 0; k < p.units[u].partnerGroups.size(); ++k)
                if (const int pg = p.units[u].partnerGroups[k]; pg >= 0)
                    m_counters[u].push_back({int(p.units.size()) + pg, p.units[u].partners[k]});
            for (int d = 0; d < kDays; ++d) {
                m_unitDay[c * kDays + std::size_t(d)] += p.units[u].dayBase[std::size_t(d)];
                m_unitBase[u] += p.units[u].dayBase[std::size_t(d)];
            }
            if (p.units[u].doubles > 0) {
                m_shareDoubles[c] += p.units[u].doubles;
                m_shareDoubleUnits[c].push_back(int(u));
            }
        }
        m_unitBits.assign(p.units.size() * kDays, 0);
        m_unitPlaced.assign(p.units.size(), 0);
        m_shareLessons.resize(counters);
        for (std::size_t i = 0; i < p.lessons.size(); ++i)
            for (const auto& [c, cls] : m_counters[std::size_t(p.lessons[i].unit)])
                m_shareLessons[std::size_t(c)].push_back(int(i));
        m_teacherDay.assign(std::size_t(p.teachers) * kDays, 0);
        // Lessons without a period of the week count for the teacher's day too.
        for (const auto& u : p.units)
            if (u.teacher >= 0)
                for (int d = 0; d < kDays; ++d)
                    m_teacherDay[std::size_t(u.teacher) * kDays + std::size_t(d)] +=
                        u.dayBase[std::size_t(d)];
        m_teacherCap.assign(std::size_t(p.teachers), 0);
        for (const auto& l : p.lessons) {
            const int t = p.units[std::size_t(l.unit)].teacher;
            if (t >= 0)
                m_teacherCap[std::size_t(t)] += l.block ? 2 : 1;
        }
        for (int& c : m_teacherCap)
            c = (c + kDays - 1) / kDays;

        m_period.assign(p.lessons.size(), -1);
        m_tabu.assign(p.lessons.size() * std::size_t(m_P), 0);
        m_moves.assign(p.lessons.size(), 0);
        // Fixed lessons first, so that a movable lesson clashing with one is
        // the one taken out.
        for (int pass = 0; pass < 2; ++pass)
            for (std::size_t i = 0; i < p.lessons.size(); ++i) {
                const auto& l = p.lessons[i];
                if (l.fixed != (pass == 0))
                    continue;
                if (l.period >= 0 && l.period < m_P && startsHere(int(i), l.period) &&
                    fits(int(i), l.period))
                    put(int(i), l.period);
                else if (!l.fixed)
                    m_unplaced.push_back(int(i));
            }
        // Latest first: the unplaced are worked as a stack, which makes the
        // displaced lesson of the last step the next to move on (a chain).
        std::reverse(m_unplaced.begin(), m_unplaced.end());
    }

    // Which periods each lesson may take without moving any other lesson; a
    // placed lesson is asked with itself taken out.
    std::vector<std::vector<bool>> openPeriods() {
        std::vector<std::vector<bool>> open(m_p.lessons.size(),
                                            std::vector<bool>(std::size_t(m_P)));
        for (int i = 0; i < int(m_p.lessons.size()); ++i) {
            const int at = m_period[std::size_t(i)];
            if (at >= 0)
                take(i);
            for (int p = 0; p < m_P; ++p) {
                int out[kMaxOut], n = 0;
                open[std::size_t(i)][std::size_t(p)] =
                    usable(i, p) && displaced(i, p, out, n) && n == 0;
            }
            if (at >= 0)
                put(i, at);
        }
        return open;
    }

    CompletionOutcome run() {
        CompletionOutcome out;
        out.unplacedBefore = int(m_unplaced.size());
        dropHopeless(out.hopeless);
        m_best = m_period;
        m_bestUnplaced = int(m_unplaced.size());
        m_bestCost = softCost();
        QElapsedTimer clock;
        clock.start();
        long long step = 0, lastGain = 0;
        // No lesson gained for this long: the rest will not fit (a teacher
        // planned beyond the week, say) and the best found so far stands.
        const long long stall =
            std::max<long long>(200000, 200LL * static_cast<long long>(m_p.lessons.size()));
        while (!m_unplaced.empty() && step < m_o.maxSteps && step - lastGain < stall) {
            if ((step & 1023) == 0) {
                if (m_o.progress && !m_o.progress(m_bestUnplaced)) {
                    out.cancelled = true;
                    break;
                }
                if (clock.elapsed() > qint64(m_o.seconds * 1000)) {
                    out.timedOut = true;
                    break;
                }
            }
            ++step;
            this->step(step);
            const int unplaced = int(m_unplaced.size());
            if (unplaced < m_bestUnplaced) {
                lastGain = step;
                m_best = m_period;
                m_bestUnplaced = unplaced;
                m_bestCost = softCost();
            }
        }
        if (m_unplaced.empty()) {
            m_best = m_period;
            m_bestUnplaced = 0;
        }
        out.steps = step;
        out.period = m_best;
        out.unplacedAfter = m_bestUnplaced + int(out.hopeless.size());
        return out;
    }

private:
    const CompletionProblem::Unit& unit(int i) const {
        return m_p.units[std::size_t(m_p.lessons[std::size_t(i)].unit)];
    }
    int& classAt(int c, int p) { return m_classAt[std::size_t(c) * m_P + p]; }
    int& teacherAt(int t, int p) { return m_teacherAt[std::size_t(t) * m_P + p]; }
    int capacity(const CompletionProblem::Unit& u) const {
        return m_p.capacity[std::size_t(u.course)];
    }
    std::vector<int>& roomAt(int k, int p) { return m_roomAt[std::size_t(k) * m_P + p]; }
    int groupOf(int i) const { return m_groupOf[std::size_t(m_p.lessons[std::size_t(i)].unit)]; }
    const std::vector<std::pair<int, int>>& counters(int i) const {
        return m_counters[std::size_t(m_p.lessons[std::size_t(i)].unit)];
    }
    int& dayCount(int counter, int day) {
        return m_unitDay[std::size_t(counter) * kDays + std::size_t(day)];
    }
    int dayCount(int counter, int day) const {
        return m_unitDay[std::size_t(counter) * kDays + std::size_t(day)];
    }
    // Lesson j counts toward the counter.
    bool counts(int j, int counter) const {
        for (const auto& [c, cls] : counters(j))
            if (c == counter)
                return true;
        return false;
    }
    int size(int i) const { return m_p.lessons[std::size_t(i)].block ? 2 : 1; }
    // A double lesson starts neither at the day's last lesson nor at the
    // morning's.
    bool startsHere(int i, int p) const {
        if (!m_p.lessons[std::size_t(i)].block)
            return true;
        const int n = p % m_L + 1;
        return n < m_L && (n <= m_p.morningLessons) == (n + 1 <= m_p.morningLessons);
    }
    // Period p can take lesson i by its position and its levels alone.
    bool usable(int i, int p) const {
        const auto& level = unit(i).level;
        if (!startsHere(i, p))
            return false;
        for (int k = 0; k < size(i); ++k)
            if (level[std::size_t(p + k)] >= kNever)
                return false;
        return true;
    }
    unsigned bitOf(int p) const { return 1u << (p % m_L + 1); }
    bool sameUnit(int i, int j) const {
        return m_p.lessons[std::size_t(i)].unit == m_p.lessons[std::size_t(j)].unit;
    }

    // May lesson i go to period p as things stand (for the start only).
    bool fits(int i, int p) {
        const auto& u = unit(i);
        const int cap = capacity(u);
        for (int q = p; q < p + size(i); ++q) {
            if (classAt(u.cls, q) != kFree)
                return false;
            for (int c : u.partners)
                if (classAt(c, q) != kFree)
                    return false;
            if (u.teacher >= 0 && teacherAt(u.teacher, q) != kFree)
                return false;
            if (cap > 0 && int(roomAt(u.course, q).size()) >= cap)
                return false;
        }
        return true;
    }

    void put(int i, int p) {
        const auto& u = unit(i);
        m_period[std::size_t(i)] = p;
        for (int q = p; q < p + size(i); ++q) {
            classAt(u.cls, q) = i;
            for (int c : u.partners)
                classAt(c, q) = i;
            if (u.teacher >= 0) {
                teacherAt(u.teacher, q) = i;
                ++m_teacherDay[std::size_t(u.teacher) * kDays + q / m_L];
            }
            if (capacity(u) > 0)
                roomAt(u.course, q).push_back(i);
            for (const auto& [c, cls] : counters(i))
                ++dayCount(c, q / m_L);
            unitBits(i, q / m_L) |= bitOf(q);
        }
        m_unitPlaced[std::size_t(m_p.lessons[std::size_t(i)].unit)] += size(i);
    }

    void take(int i) {
        const auto& u = unit(i);
        const int p = m_period[std::size_t(i)];
        m_period[std::size_t(i)] = -1;
        for (int q = p; q < p + size(i); ++q) {
            if (classAt(u.cls, q) == i)
                classAt(u.cls, q) = kFree;
            for (int c : u.partners)
                if (classAt(c, q) == i)
                    classAt(c, q) = kFree;
            if (u.teacher >= 0) {
                if (teacherAt(u.teacher, q) == i)
                    teacherAt(u.teacher, q) = kFree;
                --m_teacherDay[std::size_t(u.teacher) * kDays + q / m_L];
            }
            if (capacity(u) > 0)
                std::erase(roomAt(u.course, q), i);
            for (const auto& [c, cls] : counters(i))
                --dayCount(c, q / m_L);
            unitBits(i, q / m_L) &= ~bitOf(q);
        }
        m_unitPlaced[std::size_t(m_p.lessons[std::size_t(i)].unit)] -= size(i);
    }
    unsigned& unitBits(int i, int day) {
        return m_unitBits[std::size_t(m_p.lessons[std::size_t(i)].unit) * kDays + std::size_t(day)];
    }

    // Pairs of adjacent lessons among the bits of a day, none across the
    // break, no two sharing a lesson.
    int pairs(unsigned bits) const {
        int n = 0;
        for (int k = 1; k < m_L; ++k)
            if ((bits >> k & 1u) && (bits >> (k + 1) & 1u) &&
                (k <= m_p.morningLessons) == (k + 1 <= m_p.morningLessons)) {
                ++n;
                ++k;
            }
        return n;
    }

    // The lessons out[0..n) and `also` (when not kFree), all placed, taken
    // out: may lesson i join its row and its share at period p? The row never
    // gets more lessons than it plans. Without double lessons in its share a
    // day holds at most the share. With them, beyond the share a day needs a
    // pair of the share's rows with double lessons for each lesson too many,
    // those pairs are no more than the share's double lessons, and the
    // lessons that complete a row leave it its double lessons.
    // Calls fn for each of the lessons out[0..n) and `also` (when not kFree).
    struct Removed {
        const int* out;
        int n;
        int also;
        template <typename Fn> void operator()(Fn fn) const {
            for (int k = 0; k < n; ++k)
                fn(out[k]);
            if (also != kFree)
                fn(also);
        }
    };

    // The lessons out[0..n) and `also` (when not kFree), all placed, taken
    // out: may lesson i join its row and its shares at period p? A joint
    // lesson counts in its partner classes' shares too.
    bool accepts(int i, int p, const int* out, int n, int also) const {
        if (!ownAccepts(i, p, out, n, also))
            return false;
        int rowPairs = 0;
        for (std::size_t k = 1; k < counters(i).size(); ++k)
            if (!shareTakes(i, p, counters(i)[k].first, Removed{out, n, also}, rowPairs))
                return false;
        return true;
    }

    // The same for the row and its own share only. The row never gets more
    // lessons than it plans, and the lessons that complete it leave it its
    // double lessons.
    bool ownAccepts(int i, int p, const int* out, int n, int also) const {
        const auto& u = unit(i);
        const std::size_t ui = std::size_t(m_p.lessons[std::size_t(i)].unit);
        const Removed removed{out, n, also};
        int total = m_unitPlaced[ui] + m_unitBase[ui] + size(i);
        removed([&](int j) { total -= sameUnit(i, j) ? size(j) : 0; });
        if (total > u.weekly)
            return false;
        int rowPairs = 0;
        if (!shareTakes(i, p, groupOf(i), removed, rowPairs))
            return false;
        return total < u.weekly || rowPairs >= u.doubles;
    }

    // May share counter c take lesson i at period p, the removed lessons
    // gone? Without double lessons in the share a day holds at most the
    // share. With them, beyond the share a day needs a pair of the share's
    // rows with double lessons for each lesson too many, and those pairs are
    // no more than the share's double lessons. rowPairs gets the pairs of
    // i's own row with i, when that row has double lessons in c.
    bool shareTakes(int i, int p, int counter, const Removed& removed, int& rowPairs) const {
        const auto& u = unit(i);
        const std::size_t ui = std::size_t(m_p.lessons[std::size_t(i)].unit);
        const std::size_t c = std::size_t(counter);
        const int day = p / m_L;
        if (m_shareDoubles[c] == 0) {
            int sameDay = dayCount(counter, day) + size(i);
            removed([&](int j) {
                sameDay -=
                    counts(j, counter) && m_period[std::size_t(j)] / m_L == day ? size(j) : 0;
            });
            return sameDay <= u.dailyShare;
        }
        int lessons[kDays];
        for (int d = 0; d < kDays; ++d)
            lessons[d] = m_unitDay[c * kDays + std::size_t(d)];
        removed([&](int j) {
            if (counts(j, counter))
                lessons[m_period[std::size_t(j)] / m_L] -= size(j);
        });
        const int before = std::max(0, lessons[day] - u.dailyShare);
        lessons[day] += size(i);
        int pairsToday = 0;
        for (int v : m_shareDoubleUnits[c]) {
            unsigned bits[kDays];
            std::copy(&m_unitBits[std::size_t(v) * kDays],
                      &m_unitBits[std::size_t(v) * kDays] + kDays, bits);
            removed([&](int j) {
                if (m_p.lessons[std::size_t(j)].unit != v)
                    return;
                const int from = m_period[std::size_t(j)];
                for (int q = from; q < from + size(j); ++q)
                    bits[q / m_L] &= ~bitOf(q);
            });
            if (std::size_t(v) == ui) {
                for (int q = p; q < p + size(i); ++q)
                    bits[day] |= bitOf(q);
                for (int d = 0; d < kDays; ++d)
                    rowPairs += pairs(bits[d]);
            }
            pairsToday += pairs(bits[day]);
        }
        const int over = std::max(0, lessons[day] - u.dailyShare);
        if (over > pairsToday)
            return false;
        int sum = 0;
        for (int d = 0; d < kDays; ++d)
            sum += std::max(0, lessons[d] - u.dailyShare);
        return !(sum > m_shareDoubles[c] && over > before);
    }

    bool movable(int i) const { return !m_p.lessons[std::size_t(i)].fixed; }

    int teacherLimit(const std::vector<int>& limits, int t) const {
        return t >= 0 && std::size_t(t) < limits.size() ? limits[std::size_t(t)] : 0;
    }

    // The teacher's own limits for lesson i at period p (and the next, for a
    // double lesson), with the lessons out[0..n) gone: one of the teacher's
    // lessons that day leaves when the day is full, one of the row when the
    // row would be too long. False when no movable lesson makes room.
    bool teacherRoom(int i, int p, int out[kMaxOut], int& n) {
        const int t = unit(i).teacher;
        const int maxDay = teacherLimit(m_p.teacherMaxPerDay, t);
        const int maxRow = teacherLimit(m_p.teacherMaxInRow, t);
        if (maxDay <= 0 && maxRow <= 0)
            return true;
        const int day = p / m_L, s = size(i);
        auto gone = [&](int j) { return std::find(out, out + n, j) != out + n; };
        // The least moved of the candidates, or kFree.
        auto leastMoved = [&](auto candidate) {
            int pick = kFree;
            for (int q = day * m_L; q < (day + 1) * m_L; ++q) {
                const int j = teacherAt(t, q);
                if (j == kFree || gone(j) || !movable(j) || !candidate(q))
                    continue;
                if (pick == kFree || m_moves[std::size_t(j)] < m_moves[std::size_t(pick)])
                    pick = j;
            }
            return pick;
        };
        if (maxDay > 0) {
            int today = m_teacherDay[std::size_t(t) * kDays + std::size_t(day)];
            for (int k = 0; k < n; ++k)
                if (m_period[std::size_t(out[k])] / m_L == day && unit(out[k]).teacher == t)
                    today -= size(out[k]);
            if (today + s > maxDay) {
                const int pick = leastMoved([](int) { return true; });
                if (pick == kFree || today - size(pick) + s > maxDay)
                    return false;
                out[n++] = pick;
            }
        }
        if (maxRow > 0) {
            const int lesson = p % m_L, end = lesson + s - 1;
            auto half = [&](int l) { return l < m_p.morningLessons; };
            auto busy = [&](int l) {
                if (l < 0 || l >= m_L || half(l) != half(lesson))
                    return false;
                const int j = teacherAt(t, day * m_L + l);
                return j != kFree && !gone(j);
            };
            int first = lesson, last = end;
            while (busy(first - 1))
                --first;
            while (busy(last + 1))
                ++last;
            if (last - first + 1 > maxRow) {
                // A lesson of the row whose leaving splits it into rows short enough.
                const int pick = leastMoved([&](int q) {
                    const int l = q % m_L;
                    return l >= first && l <= last && (l < lesson || l > end) &&
                           l - first <= maxRow && last - l <= maxRow;
                });
                if (pick == kFree)
                    return false;
                out[n++] = pick;
            }
        }
        return true;
    }

    // The lessons that must leave for lesson i to take period p, or false when
    // one of them may not move: the class's, the teacher's and one from a
    // full room at each of its periods, one over the daily share, one over
    // the teacher's day and one of a row too long.
    bool displaced(int i, int p, int out[kMaxOut], int& n) {
        n = 0;
        const auto& u = unit(i);
        auto add = [&](int j) {
            if (j == kFree)
                return true;
            if (!movable(j))
                return false;
            for (int k = 0; k < n; ++k)
                if (out[k] == j)
                    return true;
            out[n++] = j;
            return true;
        };
        for (int q = p; q < p + size(i); ++q) {
            if (!add(classAt(u.cls, q)))
                return false;
            for (int c : u.partners)
                if (!add(classAt(c, q)))
                    return false;
            if (u.teacher >= 0 && !add(teacherAt(u.teacher, q)))
                return false;
            if (const int cap = capacity(u); cap > 0) {
                // A full room makes way for one class: the one moved least.
                const std::vector<int>& room = roomAt(u.course, q);
                int left = int(room.size()), pick = kFree;
                for (int j : room) {
                    if (std::find(out, out + n, j) != out + n) {
                        --left;
                        continue;
                    }
                    if (movable(j) &&
                        (pick == kFree || m_moves[std::size_t(j)] < m_moves[std::size_t(pick)]))
                        pick = j;
                }
                if (left >= cap) {
                    if (pick == kFree)
                        return false;
                    out[n++] = pick;
                }
            }
        }
        if (accepts(i, p, out, n, kFree))
            return teacherRoom(i, p, out, n);
        const int day = p / m_L;
        if (!ownAccepts(i, p, out, n, kFree)) {
            int pick = kFree;
            if (m_shareDoubles[std::size_t(groupOf(i))] == 0) {
                // Over the share: one lesson of the share that day makes
                // room, the one moved least. A row with all its lessons has
                // no room.
                for (int q = day * m_L; q < (day + 1) * m_L; ++q) {
                    const int j = classAt(u.cls, q);
                    if (j == kFree || std::find(out, out + n, j) != out + n || !movable(j) ||
                        !counts(j, groupOf(i)))
                        continue;
                    if (pick == kFree || m_moves[std::size_t(j)] < m_moves[std::size_t(pick)])
                        pick = j;
                }
                if (pick == kFree || !ownAccepts(i, p, out, n, pick))
                    return false;
            } else {
                // One lesson of the share leaves, the one moved least that
                // makes room.
                for (int j : m_shareLessons[std::size_t(groupOf(i))]) {
                    if (j == i || m_period[std::size_t(j)] < 0 || !movable(j) ||
                        std::find(out, out + n, j) != out + n)
                        continue;
                    if (pick != kFree && m_moves[std::size_t(j)] >= m_moves[std::size_t(pick)])
                        continue;
                    if (ownAccepts(i, p, out, n, j))
                        pick = j;
                }
                if (pick == kFree)
                    return false;
            }
            out[n++] = pick;
        }
        // A joint lesson's partner classes: one lesson leaves each share it
        // would overfill, the one moved least that makes room.
        for (std::size_t k = 1; k < counters(i).size(); ++k) {
            const int counter = counters(i)[k].first;
            int rowPairs = 0;
            if (shareTakes(i, p, counter, Removed{out, n, kFree}, rowPairs))
                continue;
            int pick = kFree;
            for (int j : m_shareLessons[std::size_t(counter)]) {
                if (j == i || m_period[std::size_t(j)] < 0 || !movable(j) ||
                    std::find(out, out + n, j) != out + n)
                    continue;
                if (pick != kFree && m_moves[std::size_t(j)] >= m_moves[std::size_t(pick)])
                    continue;
                if (shareTakes(i, p, counter, Removed{out, n, j}, rowPairs))
                    pick = j;
            }
            if (pick == kFree)
                return false;
            out[n++] = pick;
        }
        if (counters(i).size() > 1 && !accepts(i, p, out, n, kFree))
            return false;
        return teacherRoom(i, p, out, n);
    }

    int levelCost(int i, int p) const {
        int cost = 0;
        for (int q = p; q < p + size(i); ++q) {
            const int level = unit(i).level[std::size_t(q)];
            cost += level == 2 ? kAvoidCost : level == 0 ? -kBestBonus : 0;
        }
        return cost;
    }

    int preference(int i, int p) const {
        const auto& u = unit(i);
        int cost = levelCost(i, p);
        if (u.teacher >= 0 && m_teacherDay[std::size_t(u.teacher) * kDays + p / m_L] >=
                                  m_teacherCap[std::size_t(u.teacher)])
            cost += kCrowdedDayCost;
        return cost;
    }

    long long softCost() const {
        long long cost = 0;
        for (std::size_t i = 0; i < m_period.size(); ++i)
            if (m_period[i] >= 0 && movable(int(i)))
                cost += levelCost(int(i), m_period[i]);
        return cost;
    }

    // Lessons for which no period is open at all, whatever moves: set aside.
    void dropHopeless(std::vector<int>& hopeless) {
        std::vector<int> keep;
        for (int i : m_unplaced) {
            bool any = false;
            int out[kMaxOut], n = 0;
            for (int p = 0; p < m_P && !any; ++p)
                any = usable(i, p) && displaced(i, p, out, n);
            (any ? keep : hopeless).push_back(i);
        }
        m_unplaced = keep;
    }

    void step(long long now) {
        // The displaced lesson of the last step moves on next, which makes a
        // chain; a chain that does not end (no room anywhere for one lesson
        // too many) is cut after a while so the other lessons get their turn.
        std::size_t at = m_unplaced.size() - 1;
        if (++m_chain > kMaxChain) {
            at = std::size_t(m_rng() % m_unplaced.size());
            m_chain = 0;
        }
        const int i = m_unplaced[at];
        m_unplaced.erase(m_unplaced.begin() + std::ptrdiff_t(at));
        int bestP = -1;
        long long bestCost = 0;
        int bestOut[kMaxOut], bestN = 0;
        std::uniform_int_distribution<int> noise(0, 99);
        for (int p = 0; p < m_P; ++p) {
            if (!usable(i, p))
                continue;
            int out[kMaxOut], n = 0;
            if (!displaced(i, p, out, n))
                continue;
            // A period the lesson was just pushed out of is closed for a
            // while, unless it is free now.
            if (n > 0 && m_tabu[std::size_t(i) * m_P + p] > now)
                continue;
            long long cost = preference(i, p) + noise(m_rng);
            for (int k = 0; k < n; ++k)
                // Lessons moved often cost more to move again, which breaks cycles.
                cost += kDisplaceCost + 50LL * m_moves[std::size_t(out[k])];
            if (bestP < 0 || cost < bestCost) {
                bestP = p;
                bestCost = cost;
                std::copy(out, out + n, bestOut);
                bestN = n;
            }
        }
        if (bestP < 0) {
            // Every open period is closed by the tabu list for now: wait
            // underneath the others.
            m_unplaced.insert(m_unplaced.begin(), i);
            return;
        }
        if (bestN == 0)
            m_chain = 0;
        for (int k = 0; k < bestN; ++k) {
            const int j = bestOut[k];
            const int from = m_period[std::size_t(j)];
            take(j);
            ++m_moves[std::size_t(j)];
            m_tabu[std::size_t(j) * m_P + from] = now + 7 + (m_rng() % 8);
            m_unplaced.push_back(j);
        }
        put(i, bestP);
    }

    const CompletionProblem& m_p;
    const CompletionOptions& m_o;
    std::mt19937 m_rng;
    int m_P, m_L;
    std::vector<int> m_classAt, m_teacherAt;
    std::vector<std::vector<int>> m_roomAt; // by course and period: the lessons there
    std::vector<int> m_groupOf;             // by unit: its counter in m_unitDay
    // By unit: every counter in m_unitDay it counts toward, with the class
    // whose lessons make up that counter.
    std::vector<std::vector<std::pair<int, int>>> m_counters;
    std::vector<int> m_unitDay, m_teacherDay, m_teacherCap;
    std::vector<unsigned> m_unitBits; // by unit and day: its lessons' numbers as bits
    std::vector<int> m_unitPlaced;    // by unit: its lessons placed in the week
    std::vector<int> m_unitBase;      // by unit: its lessons counted without a period
    // By share counter (a unit, or a group after the units): the double
    // lessons of its units, the units that have any, and all its lessons.
    std::vector<int> m_shareDoubles;
    std::vector<std::vector<int>> m_shareDoubleUnits, m_shareLessons;
    std::vector<int> m_period, m_unplaced, m_moves;
    std::vector<long long> m_tabu;
    std::vector<int> m_best;
    int m_chain = 0;
    int m_bestUnplaced = 0;
    long long m_bestCost = 0;
};

} // namespace

CompletionOutcome SearchCompletion(const CompletionProblem& problem,
                                   const CompletionOptions& options) {
    Search s(problem, options);
    return s.run();
}

std::vector<std::vector<bool>> CompletionOpenPeriods(const CompletionProblem& problem) {
    const CompletionOptions options;
    Search s(problem, options);
    return s.openPeriods();
}
