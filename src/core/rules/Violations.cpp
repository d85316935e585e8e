#include "core/rules/Violations.h"

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

std::vector<Clash> clashes(const std::vector<Lesson>& lessons, QString Lesson::*code) {
    std::map<Key, Clash> groups;
    for (const Lesson& l : lessons) {
        if ((l.*code).isEmpty() || !hasPeriod(l))
            continue;
        Clash& c = groups[keyOf(l.*code, l.period)];
        c.code = l.*code;
        c.period = l.period;
        c.lessons.push_back(l);
    }
    std::vector<Clash> out;
    for (auto& [key, c] : groups)
        if (c.lessons.size() > 1)
            out.push_back(std::move(c));
    return out;
}

QString lessonsKey(const QString& a, const QString& b, const QString& c) {
    return a + QChar(0x1f) + b + QChar(0x1f) + c;
}

} // namespace

Violations violationsOf(const School& s) {
    Violations v;
    const Timetable& t = s.timetable;
    const Week week = t.week();
    v.classClashes = clashes(t.lessons(), &Lesson::classCode);
    v.teacherClashes = clashes(t.lessons(), &Lesson::teacherCode);

    std::map<Key, std::vector<Lesson>> never, outside;
    std::map<Key, ExclusiveClash> exclusive;
    std::set<std::tuple<QByteArray, int, int, QString>> neverSeen;
    for (const Lesson& l : t.lessons()) {
        if (!l.lessonNoEmpty && !week.contains(l.period))
            outside[keyOf(l.classCode, l.period)].push_back(l);
        if (!hasPeriod(l) || !week.contains(l.period))
            continue;
        if (!l.courseCode.isEmpty() &&
            levelAt(s, Placing{l.classCode, l.courseCode, l.teacherCode}, l.period) ==
                LimitLevel::Never &&
            neverSeen.insert({l.classCode.toUtf8(), l.period.day, l.period.lessonNo, l.courseCode})
                .second)
            never[keyOf(l.classCode, l.period)].push_back(l);
        if (s.isExclusive(l.courseCode)) {
            ExclusiveClash& e = exclusive[keyOf(l.courseCode, l.period)];
            e.courseCode = l.courseCode;
            e.period = l.period;
            e.lessons.push_back(l);
        }
    }
    for (auto& [key, lessons] : never)
        v.neverPeriods.insert(v.neverPeriods.end(), lessons.begin(), lessons.end());
    for (auto& [key, lessons] : outside)
        v.outsideWeek.insert(v.outsideWeek.end(), lessons.begin(), lessons.end());
    for (auto& [key, e] : exclusive) {
        QSet<QString> classes;
        for (const Lesson& l : e.lessons)
            if (!l.classCode.isEmpty())
                classes.insert(l.classCode);
        if (classes.size() > 1)
            v.exclusiveClashes.push_back(std::move(e));
    }

    QHash<QString, long long> inTimetable;
    for (const Lesson& l : t.lessons())
        ++inTimetable[lessonsKey(l.classCode, l.courseCode, l.teacherCode)];
    for (const PlanRow& r : s.plan) {
        const long long n =
            r.isComplete() ? inTimetable.value(lessonsKey(r.classCode, r.courseCode, r.teacherCode))
                           : 0;
        if (r.buildCount != n)
            v.counterMismatches.push_back({r, n});
        if (!r.isComplete())
            v.incomplete.push_back(r);
        if (r.count && *r.count > r.buildCount)
            v.unplaced.push_back(r);
    }
    return v;
}

} // namespace rules
