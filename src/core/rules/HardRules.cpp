#include "core/rules/HardRules.h"

#include "core/rules/Placement.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <set>
#include <tuple>

namespace rules {

namespace {

// A code, day and lesson in the order the database sorts them.
using Key = std::tuple<QByteArray, int, int>;

Key keyOf(const QString& code, Period p) {
    return {code.toUtf8(), p.day, p.lessonNo};
}

bool hasPeriod(const Lesson& l) {
    return !l.lessonNoEmpty && l.period.lessonNo != Lesson::kNoLessonNo;
}

// A lesson at a period of the week: the only lessons that can clash.
bool placedInWeek(const School& s, const Lesson& l) {
    return hasPeriod(l) && s.timetable.week().contains(l.period);
}

QString rowKey(const QString& cls, const QString& course, const QString& teacher) {
    return cls + QChar(0x1f) + course + QChar(0x1f) + teacher;
}

// The weekly count of each (class, course, teacher) of the plan: equal rows
// add up, as generation places each of them.
QHash<QString, long long> plannedCounts(const School& s) {
    QHash<QString, long long> counts;
    for (const PlanRow& r : s.plan)
        if (r.isComplete())
            counts[rowKey(r.classCode, r.courseCode, r.teacherCode)] += r.weeklyLessons();
    return counts;
}

// The weekly double lessons of each (class, course, teacher) of the plan
// that plans any, no more than half its lessons.
QHash<QString, long long> plannedDoubles(const School& s, const QHash<QString, long long>& counts) {
    QHash<QString, long long> doubles;
    for (const PlanRow& r : s.plan)
        if (r.isComplete() && r.doubles > 0) {
            const QString key = rowKey(r.classCode, r.courseCode, r.teacherCode);
            doubles[key] = std::clamp<long long>(std::max(doubles.value(key), r.doubles), 0,
                                                 counts.value(key) / 2);
        }
    return doubles;
}

// A plan row's lessons through the week: by day, the lesson numbers of the
// week as bits, and the lessons that count for the day without a period of
// the week (no lesson number, beyond the day, or a second lesson at a period).
struct RowWeek {
    std::array<unsigned, Week::kDays> bits{};
    std::array<int, Week::kDays> others{};

    void add(const School& s, const Lesson& l) {
        if (l.period.day < 1 || l.period.day > Week::kDays)
            return;
        addAt(s, l.period, placedInWeek(s, l));
    }
    void addAt(const School& s, Period q, bool numbered) {
        const auto d = static_cast<size_t>(q.day - 1);
        const unsigned bit = 1u << q.lessonNo;
        if (numbered && s.timetable.week().contains(q) && !(bits[d] & bit))
            bits[d] |= bit;
        else
            ++others[d];
    }
    int onDay(size_t d) const { return std::popcount(bits[d]) + others[d]; }
    int total() const {
        int n = 0;
        for (size_t d = 0; d < Week::kDays; ++d)
            n += onDay(d);
        return n;
    }
    int pairs(const School& s, size_t d) const {
        return doublePairs(bits[d], s.timetable.week().lessonsPerDay(), s.middayBreak);
    }
    int pairs(const School& s) const {
        int n = 0;
        for (size_t d = 0; d < Week::kDays; ++d)
            n += pairs(s, d);
        return n;
    }
    // Lessons beyond the share on the day; each needs a double lesson.
    int excess(size_t d, int share) const { return std::max(0, onDay(d) - share); }
    int excess(int share) const {
        int n = 0;
        for (size_t d = 0; d < Week::kDays; ++d)
            n += excess(d, share);
        return n;
    }
};

// The lessons of the placing's class and course with `teacherCode` as they
// stand, read through the timetable's indexes.
RowWeek rowWeekOf(const School& s, const Placing& p, const QString& teacherCode) {
    RowWeek w;
    const Timetable& t = s.timetable;
    const CodeId teacher = t.teacherId(teacherCode);
    int onDays = 0;
    for (int day = 1; day <= Week::kDays; ++day)
        onDays += t.classRowLessonsOnDay(p.cls, p.course, teacher, day);
    // One pass over the lessons, and none for a row with no lesson yet: this
    // is asked for every period a search tries.
    if (onDays > 0)
        for (size_t i : t.classLessons(t.classId(p.classCode))) {
            const Lesson& l = t.lessons()[i];
            if (!l.lessonNoEmpty && l.period.day >= 1 && l.period.day <= Week::kDays &&
                l.period.lessonNo >= 1 && l.period.lessonNo <= t.week().lessonsPerDay() &&
                l.courseCode == p.courseCode && l.teacherCode == teacherCode)
                w.bits[static_cast<size_t>(l.period.day - 1)] |= 1u << l.period.lessonNo;
        }
    for (int day = 1; day <= Week::kDays; ++day) {
        const auto d = static_cast<size_t>(day - 1);
        w.others[d] =
            t.classRowLessonsOnDay(p.cls, p.course, teacher, day) - std::popcount(w.bits[d]);
    }
    return w;
}

RowWeek rowWeekOf(const School& s, const Placing& p) {
    return rowWeekOf(s, p, p.teacherCode);
}

// A class's lessons of a course with its own daily maximum, day by day, and
// the pairs of adjacent lessons its rows with double lessons have: the
// maximum counts a double lesson once, as a row's share does, for as many
// double lessons as the class's rows of the course plan together.
struct CourseWeek {
    std::array<int, Week::kDays> lessons{};
    std::array<int, Week::kDays> pairs{};
    long long doubles = 0;

    int excess(size_t d, int max) const { return std::max(0, lessons[d] - max); }
    int excess(int max) const {
        int n = 0;
        for (size_t d = 0; d < Week::kDays; ++d)
            n += excess(d, max);
        return n;
    }
    // Beyond the maximum on day d, or through it beyond the double lessons.
    bool over(size_t d, int max) const {
        const int e = excess(d, max);
        return e > pairs[d] || (e > 0 && excess(max) > doubles);
    }
};

// The course week of the placing's class and course, with `added` lessons of
// the placing's row (none: as it stands).
CourseWeek courseWeekOf(const School& s, const Placing& p, const std::vector<Period>& added) {
    CourseWeek w;
    w.doubles = p.courseDoubles;
    for (int day = 1; day <= Week::kDays; ++day)
        w.lessons[static_cast<size_t>(day - 1)] =
            s.timetable.classCourseLessonsOnDay(p.cls, p.course, day);
    for (Period q : added)
        ++w.lessons[static_cast<size_t>(q.day - 1)];
    const QHash<QString, long long>& rows = p.courseDoubleRows;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        RowWeek row = rowWeekOf(s, p, it.key());
        if (it.key() == p.teacherCode)
            for (Period q : added)
                row.addAt(s, q, true);
        for (size_t d = 0; d < Week::kDays; ++d)
            w.pairs[d] += row.pairs(s, d);
    }
    return w;
}

// Where a class or a teacher has two lessons at once.
void clashes(const School& s, QString Lesson::*code, Rule rule, std::vector<Breach>& out) {
    std::map<Key, Breach> groups;
    for (const Lesson& l : s.timetable.lessons()) {
        if ((l.*code).isEmpty() || !hasPeriod(l))
            continue;
        Breach& b =
            groups.try_emplace(keyOf(l.*code, l.period), Breach{rule, {}, {}, {}}).first->second;
        b.code = l.*code;
        b.period = l.period;
        b.lessons.push_back(l);
    }
    for (auto& [key, b] : groups)
        if (b.lessons.size() > 1)
            out.push_back(std::move(b));
}

// ---- The rules. Each has its "may it go here" (against) and its "which
// lessons break it" (breaches); nothing else in the program restates them.

struct ClassOnce {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        for (size_t i : s.timetable.classLessonIndexes(p.classCode, q))
            out.push_back({Obstacle::ClassBusy, s.timetable.lessons()[i]});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        clashes(s, &Lesson::classCode, Rule::ClassOnce, out);
    }
};

// The lesson being placed is one lesson with `l` of a joint row.
bool joinsPlacing(const Placing& p, const Lesson& l) {
    return !p.jointClasses.isEmpty() && l.courseCode == p.courseCode &&
           l.teacherCode == p.teacherCode &&
           (l.classCode == p.classCode || p.jointClasses.contains(l.classCode));
}

// How many separate lessons `lessons` are: those of one joint row count once.
int separateLessons(const School& s, const std::vector<Lesson>& lessons) {
    int n = 0;
    for (size_t i = 0; i < lessons.size(); ++i) {
        bool counted = false;
        for (size_t j = 0; j < i && !counted; ++j)
            counted = sameJointLesson(s, lessons[i], lessons[j]);
        n += counted ? 0 : 1;
    }
    return n;
}

// The classes `lessons` bring into a room at one period: two lessons of one
// class are one class (its own clash), a joint row's classes are one lesson.
int roomOccupants(const School& s, const std::vector<Lesson>& lessons) {
    std::vector<Lesson> classes;
    for (const Lesson& l : lessons) {
        bool seen = l.classCode.isEmpty();
        for (const Lesson& c : classes)
            seen = seen || c.classCode == l.classCode;
        if (!seen)
            classes.push_back(l);
    }
    return s.joints.empty() ? static_cast<int>(classes.size()) : separateLessons(s, classes);
}

// The lesson being placed joins a lesson of its joint row already at the
// period: it adds no lesson to its teacher's day or row.
bool joinsLessonAt(const School& s, const Placing& p, Period q) {
    if (p.jointClasses.isEmpty())
        return false;
    for (size_t i : s.timetable.teacherLessonIndexes(p.teacherCode, q))
        if (joinsPlacing(p, s.timetable.lessons()[i]))
            return true;
    return false;
}

// A teacher gives one lesson at a time; the classes of a joint row take it
// together.
struct TeacherOnce {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        for (size_t i : s.timetable.teacherLessonIndexes(p.teacherCode, q))
            if (!joinsPlacing(p, s.timetable.lessons()[i]))
                out.push_back({Obstacle::TeacherBusy, s.timetable.lessons()[i]});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        std::vector<Breach> found;
        clashes(s, &Lesson::teacherCode, Rule::TeacherOnce, found);
        for (Breach& b : found)
            if (s.joints.empty() || separateLessons(s, b.lessons) > 1)
                out.push_back(std::move(b));
    }
};

// "不排" of the course, the teacher or the class (levelAt joins the three).
struct NeverPeriod {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        const LimitLevel level = levelAt(s, p, q);
        if (level == LimitLevel::Never)
            out.push_back({Obstacle::NeverAtPeriod, {}});
        else if (level != LimitLevel::Normal && s.timetable.classHasUnnumberedLesson(p.cls, q.day))
            out.push_back({Obstacle::HiddenByUnnumbered, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        std::map<Key, Breach> found;
        std::set<std::tuple<QByteArray, int, int, QString>> seen;
        for (const Lesson& l : s.timetable.lessons()) {
            if (!placedInWeek(s, l) || l.courseCode.isEmpty())
                continue;
            if (levelAt(s, placingOf(s, l.classCode, l.courseCode, l.teacherCode), l.period) !=
                LimitLevel::Never)
                continue;
            // Two equal lessons in one cell are one finding (the clash says the rest).
            if (!seen.insert({l.classCode.toUtf8(), l.period.day, l.period.lessonNo, l.courseCode})
                     .second)
                continue;
            Breach& b = found
                            .try_emplace(keyOf(l.classCode, l.period),
                                         Breach{Rule::NeverPeriod, l.classCode, l.period, {}})
                            .first->second;
            b.lessons.push_back(l);
        }
        for (auto& [key, b] : found)
            for (const Lesson& l : b.lessons)
                out.push_back({Rule::NeverPeriod, b.code, b.period, {l}});
    }
};

// A course's room holds at most its capacity of classes at one period
// (同时上课班数; 1 is the exclusive course of CourseAttrtb). Two lessons of one
// class there are the class's clash, not the room's.
struct Exclusive {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        const int capacity = s.capacityOf(p.courseCode);
        // The course's lessons at the period bound its other classes there.
        if (capacity == 0 || s.timetable.courseLessonsAt(p.courseCode, q) < capacity)
            return;
        std::vector<Lesson> others;
        for (const Lesson& l : s.timetable.lessons())
            if (l.period == q && !l.lessonNoEmpty && l.courseCode == p.courseCode &&
                !l.classCode.isEmpty() && l.classCode != p.classCode && !joinsPlacing(p, l))
                others.push_back(l);
        if (roomOccupants(s, others) < capacity)
            return;
        // One class in the way is named; a full room of many is one reason.
        if (capacity == 1)
            for (const Lesson& l : others)
                out.push_back({Obstacle::ExclusiveTaken, l});
        else
            out.push_back({Obstacle::ExclusiveTaken, others.front()});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        std::map<Key, Breach> found;
        for (const Lesson& l : s.timetable.lessons())
            if (placedInWeek(s, l) && s.capacityOf(l.courseCode) > 0) {
                Breach& b = found
                                .try_emplace(keyOf(l.courseCode, l.period),
                                             Breach{Rule::Exclusive, l.courseCode, l.period, {}})
                                .first->second;
                b.lessons.push_back(l);
            }
        for (auto& [key, b] : found) {
            b.limit = s.capacityOf(b.code);
            if (roomOccupants(s, b.lessons) > b.limit)
                out.push_back(std::move(b));
        }
    }
};

// On one day a class has at most the course's own maximum of the course's
// lessons where the course sets one (every row and lesson of the course in
// the class counts: "每天最多" as a school means it), else each plan row at
// most its share. Generation counts all the class's lessons of the course
// instead, which is stricter (generationMayUse). A row with double lessons
// may go beyond its share by one lesson for each pair of adjacent lessons
// that day, as long as the pairs so counted in the week are no more than its
// double lessons; under a course's maximum the same holds for the class's
// lessons of the course, with the pairs and double lessons of all its rows.
struct DailyShare {
    static void against(const School& s, const Placing& p, const std::vector<Period>& added,
                        std::vector<Reason>& out) {
        if (reached(s, p, added))
            out.push_back({Obstacle::DailyShareReached, {}});
    }
    static bool reached(const School& s, const Placing& p, const std::vector<Period>& added) {
        const int day = added.front().day;
        if (shareDoubles(p) <= 0) {
            const int now = p.sharePerCourse
                                ? s.timetable.classCourseLessonsOnDay(p.cls, p.course, day)
                                : s.timetable.classRowLessonsOnDay(p.cls, p.course, p.teacher, day);
            return now + static_cast<int>(added.size()) - 1 >= p.dailyShare;
        }
        const auto d = static_cast<size_t>(day - 1);
        if (p.sharePerCourse) {
            const CourseWeek before = courseWeekOf(s, p, {});
            const CourseWeek after = courseWeekOf(s, p, added);
            const int over = after.excess(d, p.dailyShare);
            if (over > after.pairs[d])
                return true;
            return after.excess(p.dailyShare) > after.doubles &&
                   over > before.excess(d, p.dailyShare);
        }
        const RowWeek before = rowWeekOf(s, p);
        RowWeek after = before;
        for (Period q : added)
            after.addAt(s, q, true);
        const int over = after.excess(d, p.dailyShare);
        if (over > after.pairs(s, d))
            return true;
        return after.excess(p.dailyShare) > p.doubles && over > before.excess(d, p.dailyShare);
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        const QHash<QString, long long> counts = plannedCounts(s);
        const QHash<QString, long long> doubles = plannedDoubles(s, counts);
        // By class, course, teacher (empty for a course's own maximum) and
        // day, in the database's order of codes.
        std::map<std::tuple<QByteArray, QByteArray, QByteArray, int>, std::vector<Lesson>> days;
        QHash<QString, RowWeek> weeks;      // rows with double lessons
        QHash<QString, CourseWeek> courses; // a class's course with its own maximum
        for (const Lesson& l : s.timetable.lessons()) {
            if (l.period.day < 1 || l.period.day > Week::kDays)
                continue;
            const QString key = rowKey(l.classCode, l.courseCode, l.teacherCode);
            const bool perCourse = s.dailyMaxOf(l.courseCode) > 0 && !l.classCode.isEmpty();
            if (!perCourse && !counts.contains(key))
                continue; // outside the plan: InPlan says so
            days[{l.classCode.toUtf8(), l.courseCode.toUtf8(),
                  perCourse ? QByteArray() : l.teacherCode.toUtf8(), l.period.day}]
                .push_back(l);
            if (perCourse)
                ++courses[rowKey(l.classCode, l.courseCode, {})]
                      .lessons[static_cast<size_t>(l.period.day - 1)];
            if (doubles.contains(key))
                weeks[key].add(s, l);
        }
        // A course's maximum counts the pairs of all the class's rows of it.
        for (auto it = doubles.cbegin(); it != doubles.cend(); ++it) {
            const QStringList parts = it.key().split(QChar(0x1f));
            const auto c = courses.find(rowKey(parts[0], parts[1], {}));
            if (c == courses.end())
                continue;
            c->doubles += *it;
            const RowWeek& w = weeks[it.key()];
            for (size_t d = 0; d < Week::kDays; ++d)
                c->pairs[d] += w.pairs(s, d);
        }
        for (auto& [key, lessons] : days) {
            const Lesson& first = lessons.front();
            const QString row = rowKey(first.classCode, first.courseCode, first.teacherCode);
            const int max = s.dailyMaxOf(first.courseCode);
            const int share = max > 0 ? max : dailyShareOf(counts.value(row));
            const bool broken = max > 0
                                    ? courses[rowKey(first.classCode, first.courseCode, {})].over(
                                          static_cast<size_t>(first.period.day - 1), max)
                                    : over(s, weeks, doubles.value(row), row, share, lessons);
            if (!broken)
                continue;
            bool presetOnly = true;
            for (const Lesson& l : lessons)
                presetOnly = presetOnly && l.origin == Origin::Preset;
            out.push_back({Rule::DailyShare, first.classCode, Period{first.period.day, 0},
                           std::move(lessons), share, presetOnly});
        }
    }
    static bool over(const School& s, const QHash<QString, RowWeek>& weeks, long long doubles,
                     const QString& row, int share, const std::vector<Lesson>& lessons) {
        if (doubles <= 0)
            return static_cast<int>(lessons.size()) > share;
        const RowWeek& w = weeks[row];
        const auto d = static_cast<size_t>(lessons.front().period.day - 1);
        const int excess = w.excess(d, share);
        return excess > w.pairs(s, d) || (excess > 0 && w.excess(share) > doubles);
    }
};

struct InsideWeek {
    static void against(const School& s, const Placing&, Period q, std::vector<Reason>& out) {
        if (!s.timetable.week().contains(q))
            out.push_back({Obstacle::OutsideWeek, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        std::map<Key, Breach> found;
        for (const Lesson& l : s.timetable.lessons()) {
            const bool outside = l.lessonNoEmpty ? l.period.day < 1 || l.period.day > Week::kDays
                                                 : !s.timetable.week().contains(l.period);
            if (!outside)
                continue;
            Breach& b = found
                            .try_emplace(keyOf(l.classCode, l.period),
                                         Breach{Rule::InsideWeek, l.classCode, l.period, {}})
                            .first->second;
            b.lessons.push_back(l);
        }
        for (auto& [key, b] : found)
            out.push_back(std::move(b));
    }
};

constexpr long long kNoRow = -1;

// Every generated or hand-placed lesson belongs to a plan row, and no row
// has more lessons than its count. Pre-set lessons (and lessons whose origin
// was never recorded) are the school's own decision and may lie outside it.
long long rowLessons(const School& s, const Placing& p) {
    long long placed = 0;
    for (int day = 1; day <= Week::kDays; ++day)
        placed += s.timetable.classRowLessonsOnDay(p.cls, p.course, p.teacher, day);
    return placed;
}

struct InPlan {
    static void against(const School& s, const Placing& p, const std::vector<Period>& added,
                        std::vector<Reason>& out) {
        if (!p.inPlan) {
            out.push_back({Obstacle::NotInPlan, {}});
            return;
        }
        if (rowLessons(s, p) + static_cast<long long>(added.size()) > p.weeklyLessons)
            out.push_back({Obstacle::RowComplete, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        const QHash<QString, long long> counts = plannedCounts(s);
        std::map<std::tuple<QByteArray, QByteArray, QByteArray>, std::vector<Lesson>> rows;
        std::map<Key, Breach> outside;
        for (const Lesson& l : s.timetable.lessons()) {
            const QString key = rowKey(l.classCode, l.courseCode, l.teacherCode);
            if (counts.contains(key)) {
                rows[{l.classCode.toUtf8(), l.courseCode.toUtf8(), l.teacherCode.toUtf8()}]
                    .push_back(l);
            } else if (l.origin == Origin::Generated || l.origin == Origin::ByHand) {
                Breach& b =
                    outside
                        .try_emplace(keyOf(l.classCode, l.period),
                                     Breach{Rule::InPlan, l.classCode, l.period, {}, kNoRow})
                        .first->second;
                b.lessons.push_back(l);
            }
        }
        for (auto& [key, b] : outside)
            out.push_back(std::move(b));
        for (auto& [key, lessons] : rows) {
            const Lesson& first = lessons.front();
            const long long count =
                counts.value(rowKey(first.classCode, first.courseCode, first.teacherCode));
            if (static_cast<long long>(lessons.size()) <= count)
                continue;
            bool presetOnly = true;
            for (const Lesson& l : lessons)
                presetOnly = presetOnly && l.origin == Origin::Preset;
            out.push_back(
                {Rule::InPlan, first.classCode, Period{}, std::move(lessons), count, presetOnly});
        }
    }
};

// 合班: a joint row's lesson stands at one period in all its classes. Asked
// of a placing, it tells what keeps the other classes from taking the lesson
// there: the rules of a class's own (ClassOnce, NeverPeriod, DailyShare,
// InPlan) asked for each of them, marked with that class.
struct JointTogether {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        for (const QString& other : p.jointClasses) {
            const Placing there = placingOf(s, other, p.courseCode, p.teacherCode);
            std::vector<Reason> reasons;
            for (size_t i : s.timetable.classLessonIndexes(other, q))
                if (!joinsPlacing(p, s.timetable.lessons()[i]))
                    reasons.push_back({Obstacle::ClassBusy, s.timetable.lessons()[i]});
            NeverPeriod::against(s, there, q, reasons);
            // The lesson already there in that class is the one this joins.
            bool joined = false;
            for (size_t i : s.timetable.classLessonIndexes(other, q))
                joined = joined || joinsPlacing(p, s.timetable.lessons()[i]);
            if (!joined) {
                DailyShare::against(s, there, {q}, reasons);
                InPlan::against(s, there, {q}, reasons);
            }
            for (Reason& r : reasons) {
                r.jointClass = other;
                out.push_back(std::move(r));
            }
        }
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        for (const JointRow& row : s.joints.rows()) {
            const QStringList classes = row.classes();
            std::map<std::pair<int, int>, std::vector<Lesson>> at;
            for (const QString& cls : classes)
                for (const Lesson& l : s.timetable.lessons())
                    if (l.classCode == cls && l.courseCode == row.courseCode &&
                        l.teacherCode == row.teacherCode && placedInWeek(s, l))
                        at[{l.period.day, l.period.lessonNo}].push_back(l);
            for (auto& [period, lessons] : at) {
                QSet<QString> present;
                for (const Lesson& l : lessons)
                    present.insert(l.classCode);
                if (present.size() < classes.size())
                    out.push_back({Rule::JointTogether, row.classCode,
                                   Period{period.first, period.second}, std::move(lessons)});
            }
        }
    }
};

// A row with double lessons has them once all its lessons are there: asked
// of the lessons that complete the row, and of every complete row.
struct DoubleLessons {
    static void against(const School& s, const Placing& p, const std::vector<Period>& added,
                        std::vector<Reason>& out) {
        if (p.doubles <= 0 ||
            rowLessons(s, p) + static_cast<long long>(added.size()) < p.weeklyLessons)
            return;
        RowWeek after = rowWeekOf(s, p);
        for (Period q : added)
            after.addAt(s, q, true);
        if (after.pairs(s) < p.doubles)
            out.push_back({Obstacle::DoublesMissing, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        const QHash<QString, long long> counts = plannedCounts(s);
        const QHash<QString, long long> doubles = plannedDoubles(s, counts);
        if (doubles.isEmpty())
            return;
        std::map<std::tuple<QByteArray, QByteArray, QByteArray>, std::vector<Lesson>> rows;
        for (const Lesson& l : s.timetable.lessons())
            if (l.period.day >= 1 && l.period.day <= Week::kDays &&
                doubles.contains(rowKey(l.classCode, l.courseCode, l.teacherCode)))
                rows[{l.classCode.toUtf8(), l.courseCode.toUtf8(), l.teacherCode.toUtf8()}]
                    .push_back(l);
        for (auto& [key, lessons] : rows) {
            const Lesson& first = lessons.front();
            const QString row = rowKey(first.classCode, first.courseCode, first.teacherCode);
            RowWeek w;
            for (const Lesson& l : lessons)
                w.add(s, l);
            const long long wanted = doubles.value(row);
            if (w.total() < counts.value(row) || w.pairs(s) >= wanted)
                continue;
            bool presetOnly = true;
            for (const Lesson& l : lessons)
                presetOnly = presetOnly && l.origin == Origin::Preset;
            out.push_back({Rule::DoubleLessons, first.classCode, Period{}, std::move(lessons),
                           wanted, presetOnly});
        }
    }
};

bool presetOnly(const std::vector<Lesson>& lessons) {
    return std::all_of(lessons.begin(), lessons.end(),
                       [](const Lesson& l) { return l.origin == Origin::Preset; });
}

// The teachers with a limit, in the database's order of codes.
template <class Limit>
std::map<QByteArray, std::pair<QString, int>> limitedTeachers(const School& s, Limit limit) {
    std::map<QByteArray, std::pair<QString, int>> out;
    for (auto it = s.teacherRules.all().constBegin(); it != s.teacherRules.all().constEnd(); ++it)
        if (!it.key().isEmpty() && limit(it.value()) > 0)
            out[it.key().toUtf8()] = {it.key(), limit(it.value())};
    return out;
}

// How many lessons of one teacher `lessons` are: the classes of a joint row
// at one period of the week take one lesson.
int teacherLessonCount(const School& s, const std::vector<Lesson>& lessons) {
    int n = 0;
    for (size_t i = 0; i < lessons.size(); ++i) {
        bool counted = false;
        if (!s.joints.empty() && placedInWeek(s, lessons[i]))
            for (size_t j = 0; j < i && !counted; ++j)
                counted = lessons[j].period == lessons[i].period && placedInWeek(s, lessons[j]) &&
                          sameJointLesson(s, lessons[i], lessons[j]);
        n += counted ? 0 : 1;
    }
    return n;
}

// A teacher gives at most their daily maximum a day, in all classes, with
// lessons without lesson number counted for their day.
struct TeacherDailyMax {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        if (teacherDailyMaxReached(s, p, q.day) && !joinsLessonAt(s, p, q))
            out.push_back({Obstacle::TeacherDailyMax, {}});
    }
    // A double lesson adds two lessons to the day.
    static void againstDouble(const School& s, const Placing& p, Period first,
                              std::vector<Reason>& out) {
        if (teacherDailyMaxReached(s, p, first.day, 2))
            out.push_back({Obstacle::TeacherDailyMax, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        for (const auto& [key, teacher] :
             limitedTeachers(s, [](const TeacherRule& r) { return r.maxPerDay; })) {
            std::vector<Lesson> days[Week::kDays];
            for (const Lesson& l : s.timetable.lessons())
                if (l.teacherCode == teacher.first && l.period.day >= 1 &&
                    l.period.day <= Week::kDays)
                    days[l.period.day - 1].push_back(l);
            for (int day = 1; day <= Week::kDays; ++day) {
                std::vector<Lesson>& lessons = days[day - 1];
                if (teacherLessonCount(s, lessons) <= teacher.second)
                    continue;
                const bool note = presetOnly(lessons);
                out.push_back({Rule::TeacherDailyMax, teacher.first, Period{day, 0},
                               std::move(lessons), teacher.second, note});
            }
        }
    }
};

// A teacher gives at most so many lessons one after another; the midday
// break ends a row.
struct TeacherInRow {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        if (teacherRowTooLong(s, p, q) && !joinsLessonAt(s, p, q))
            out.push_back({Obstacle::TeacherInRow, {}});
    }
    static void againstDouble(const School& s, const Placing& p, Period first,
                              std::vector<Reason>& out) {
        if (teacherRowTooLong(s, p, first, 2))
            out.push_back({Obstacle::TeacherInRow, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        const Week week = s.timetable.week();
        for (const auto& [key, teacher] :
             limitedTeachers(s, [](const TeacherRule& r) { return r.maxInRow; })) {
            for (int day = 1; day <= Week::kDays; ++day) {
                std::vector<Lesson> row;
                int first = 0;
                auto close = [&] {
                    // Two lessons at one period are one step of the row.
                    std::set<int> periods;
                    for (const Lesson& l : row)
                        periods.insert(l.period.lessonNo);
                    if (static_cast<int>(periods.size()) > teacher.second) {
                        const bool note = presetOnly(row);
                        out.push_back({Rule::TeacherInRow, teacher.first, Period{day, first},
                                       std::move(row), teacher.second, note});
                    }
                    row.clear();
                };
                for (int n = 1; n <= week.lessonsPerDay(); ++n) {
                    const std::vector<size_t> here =
                        s.timetable.teacherLessonIndexes(teacher.first, Period{day, n});
                    if (here.empty() || (!row.empty() && s.middayBreak.between(n - 1, n))) {
                        close();
                        if (here.empty())
                            continue;
                    }
                    if (row.empty())
                        first = n;
                    for (size_t i : here)
                        row.push_back(s.timetable.lessons()[i]);
                }
                close();
            }
        }
    }
};

template <class R> void breachesOfRule(const School& s, std::vector<Breach>& out) {
    R::breaches(s, out);
}

} // namespace

std::vector<Reason> reasonsAgainst(const School& s, const Placing& p, Period period) {
    std::vector<Reason> reasons;
    InsideWeek::against(s, p, period, reasons);
    if (!reasons.empty())
        return reasons; // nothing else can be said of a period that does not exist
    ClassOnce::against(s, p, period, reasons);
    TeacherOnce::against(s, p, period, reasons);
    NeverPeriod::against(s, p, period, reasons);
    Exclusive::against(s, p, period, reasons);
    DailyShare::against(s, p, {period}, reasons);
    InPlan::against(s, p, {period}, reasons);
    DoubleLessons::against(s, p, {period}, reasons);
    TeacherDailyMax::against(s, p, period, reasons);
    TeacherInRow::against(s, p, period, reasons);
    JointTogether::against(s, p, period, reasons);
    // Not a rule: generation's way of spreading a teacher's week, told so
    // that its leftovers can be explained. A lesson outside the plan has no
    // cap to keep.
    if (p.weeklyLessons > 0 && teacherDayFull(s, p, period.day))
        reasons.push_back({Obstacle::TeacherDayCap, {}});
    return reasons;
}

std::optional<Period> doubleSecond(const School& s, Period first) {
    const Period second{first.day, first.lessonNo + 1};
    const Week week = s.timetable.week();
    if (!week.contains(first) || !week.contains(second) ||
        s.middayBreak.between(first.lessonNo, second.lessonNo))
        return std::nullopt;
    return second;
}

std::vector<Reason> reasonsAgainstDouble(const School& s, const Placing& p, Period first) {
    std::vector<Reason> reasons;
    InsideWeek::against(s, p, first, reasons);
    if (!reasons.empty())
        return reasons;
    const std::optional<Period> second = doubleSecond(s, first);
    if (!second)
        return {{Obstacle::NoDoubleHere, {}}};
    for (Period q : {first, *second}) {
        ClassOnce::against(s, p, q, reasons);
        TeacherOnce::against(s, p, q, reasons);
        NeverPeriod::against(s, p, q, reasons);
        Exclusive::against(s, p, q, reasons);
    }
    DailyShare::against(s, p, {first, *second}, reasons);
    InPlan::against(s, p, {first, *second}, reasons);
    DoubleLessons::against(s, p, {first, *second}, reasons);
    TeacherDailyMax::againstDouble(s, p, first, reasons);
    TeacherInRow::againstDouble(s, p, first, reasons);
    if (p.weeklyLessons > 0 && teacherDayFull(s, p, first.day))
        reasons.push_back({Obstacle::TeacherDayCap, {}});
    return reasons;
}

int doublePairs(unsigned lessons, int lessonsPerDay, MiddayBreak midday) {
    int pairs = 0;
    for (int n = 1; n < lessonsPerDay; ++n)
        if ((lessons >> n & 1u) && (lessons >> (n + 1) & 1u) && !midday.between(n, n + 1)) {
            ++pairs;
            ++n; // the next lesson is taken
        }
    return pairs;
}

int doublePairsOf(const School& s, const std::vector<Lesson>& lessons) {
    RowWeek w;
    for (const Lesson& l : lessons)
        w.add(s, l);
    return w.pairs(s);
}

long long doublesStillMissing(const School& s, const Placing& p) {
    return p.doubles <= 0 ? 0 : std::max(0LL, p.doubles - rowWeekOf(s, p).pairs(s));
}

bool isRule(Obstacle o) {
    return o != Obstacle::TeacherDayCap;
}

bool sameJointLesson(const School& s, const Lesson& a, const Lesson& b) {
    return a.courseCode == b.courseCode && a.teacherCode == b.teacherCode &&
           a.classCode != b.classCode &&
           s.joints.together(a.classCode, b.classCode, a.courseCode, a.teacherCode);
}

std::vector<Breach> breachesOf(const School& s, Rule rule) {
    std::vector<Breach> out;
    switch (rule) {
    case Rule::ClassOnce:
        breachesOfRule<ClassOnce>(s, out);
        break;
    case Rule::TeacherOnce:
        breachesOfRule<TeacherOnce>(s, out);
        break;
    case Rule::NeverPeriod:
        breachesOfRule<NeverPeriod>(s, out);
        break;
    case Rule::Exclusive:
        breachesOfRule<Exclusive>(s, out);
        break;
    case Rule::DailyShare:
        breachesOfRule<DailyShare>(s, out);
        break;
    case Rule::InsideWeek:
        breachesOfRule<InsideWeek>(s, out);
        break;
    case Rule::InPlan:
        breachesOfRule<InPlan>(s, out);
        break;
    case Rule::DoubleLessons:
        breachesOfRule<DoubleLessons>(s, out);
        break;
    case Rule::TeacherDailyMax:
        breachesOfRule<TeacherDailyMax>(s, out);
        break;
    case Rule::TeacherInRow:
        breachesOfRule<TeacherInRow>(s, out);
        break;
    case Rule::JointTogether:
        breachesOfRule<JointTogether>(s, out);
        break;
    }
    return out;
}

std::vector<Breach> breachesOf(const School& s) {
    std::vector<Breach> out;
    for (Rule r : kAllRules) {
        std::vector<Breach> more = breachesOf(s, r);
        out.insert(out.end(), std::make_move_iterator(more.begin()),
                   std::make_move_iterator(more.end()));
    }
    return out;
}

QString ruleName(Rule rule) {
    switch (rule) {
    case Rule::ClassOnce:
        return QStringLiteral("班级冲突");
    case Rule::TeacherOnce:
        return QStringLiteral("老师冲突");
    case Rule::NeverPeriod:
        return QStringLiteral("不排时间上课");
    case Rule::Exclusive:
        return QStringLiteral("专用课程冲突");
    case Rule::DailyShare:
        return QStringLiteral("超过每天节数");
    case Rule::InsideWeek:
        return QStringLiteral("课表外的课");
    case Rule::InPlan:
        return QStringLiteral("计划外的课");
    case Rule::DoubleLessons:
        return QStringLiteral("连堂不足");
    case Rule::TeacherDailyMax:
        return QStringLiteral("超过老师每天节数");
    case Rule::TeacherInRow:
        return QStringLiteral("超过老师连上节数");
    case Rule::JointTogether:
        return QStringLiteral("合班不同时");
    }
    return {};
}

} // namespace rules
