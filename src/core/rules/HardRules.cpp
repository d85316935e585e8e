#include "core/rules/HardRules.h"

#include "core/rules/Placement.h"

#include <QHash>
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

struct Exclusive {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        if (!s.isExclusive(p.courseCode))
            return;
        for (const Lesson& l : s.timetable.lessons())
            if (l.period == q && !l.lessonNoEmpty && l.courseCode == p.courseCode &&
                l.classCode != p.classCode && !joinsPlacing(p, l))
                out.push_back({Obstacle::ExclusiveTaken, l});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        std::map<Key, Breach> found;
        for (const Lesson& l : s.timetable.lessons())
            if (placedInWeek(s, l) && s.isExclusive(l.courseCode)) {
                Breach& b = found
                                .try_emplace(keyOf(l.courseCode, l.period),
                                             Breach{Rule::Exclusive, l.courseCode, l.period, {}})
                                .first->second;
                b.lessons.push_back(l);
            }
        for (auto& [key, b] : found) {
            // Classes in the room at once; a joint row's classes are one lesson.
            std::vector<Lesson> classes;
            for (const Lesson& l : b.lessons) {
                bool seen = l.classCode.isEmpty();
                for (const Lesson& c : classes)
                    seen = seen || c.classCode == l.classCode;
                if (!seen)
                    classes.push_back(l);
            }
            if (separateLessons(s, classes) > 1)
                out.push_back(std::move(b));
        }
    }
};

// On one day a plan row has at most its share. Generation counts all the
// class's lessons of the course instead, which is stricter (generationMayUse).
struct DailyShare {
    static void against(const School& s, const Placing& p, Period q, std::vector<Reason>& out) {
        if (dailyShareReached(s, p, q.day))
            out.push_back({Obstacle::DailyShareReached, {}});
    }
    static void breaches(const School& s, std::vector<Breach>& out) {
        const QHash<QString, long long> counts = plannedCounts(s);
        // By class, course, teacher and day, in the database's order of codes.
        std::map<std::tuple<QByteArray, QByteArray, QByteArray, int>, std::vector<Lesson>> days;
        for (const Lesson& l : s.timetable.lessons()) {
            if (l.period.day < 1 || l.period.day > Week::kDays)
                continue;
            if (!counts.contains(rowKey(l.classCode, l.courseCode, l.teacherCode)))
                continue; // outside the plan: InPlan says so
            days[{l.classCode.toUtf8(), l.courseCode.toUtf8(), l.teacherCode.toUtf8(),
                  l.period.day}]
                .push_back(l);
        }
        for (auto& [key, lessons] : days) {
            const Lesson& first = lessons.front();
            const int share = dailyShareOf(
                counts.value(rowKey(first.classCode, first.courseCode, first.teacherCode)));
            if (static_cast<int>(lessons.size()) <= share)
                continue;
            bool presetOnly = true;
            for (const Lesson& l : lessons)
                presetOnly = presetOnly && l.origin == Origin::Preset;
            out.push_back({Rule::DailyShare, first.classCode, Period{first.period.day, 0},
                           std::move(lessons), share, presetOnly});
        }
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
struct InPlan {
    static void against(const School& s, const Placing& p, Period, std::vector<Reason>& out) {
        if (!p.inPlan) {
            out.push_back({Obstacle::NotInPlan, {}});
            return;
        }
        long long placed = 0;
        for (int day = 1; day <= Week::kDays; ++day)
            placed += s.timetable.classRowLessonsOnDay(p.cls, p.course, p.teacher, day);
        if (placed >= p.weeklyLessons)
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
                DailyShare::against(s, there, q, reasons);
                InPlan::against(s, there, q, reasons);
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
    DailyShare::against(s, p, period, reasons);
    InPlan::against(s, p, period, reasons);
    JointTogether::against(s, p, period, reasons);
    // Not a rule: generation's way of spreading a teacher's week, told so
    // that its leftovers can be explained. A lesson outside the plan has no
    // cap to keep.
    if (p.weeklyLessons > 0 && teacherDayFull(s, p, period.day))
        reasons.push_back({Obstacle::TeacherDayCap, {}});
    return reasons;
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
    case Rule::JointTogether:
        return QStringLiteral("合班不同时");
    }
    return {};
}

} // namespace rules
