#pragma once
// What is wrong with a whole timetable, by the same rules that place lessons:
// double bookings, lessons at "不排" periods, exclusive courses in two classes
// at once, plan counters that disagree with the lessons, lessons outside the
// week and plan rows generation cannot place. Each list is ordered as a
// report reads it: by code (in the database's text order), day and lesson.
#include "core/model/School.h"

#include <vector>

namespace rules {

struct Clash {
    QString code; // the class or teacher
    Period period;
    std::vector<Lesson> lessons; // in the order stored
};
struct ExclusiveClash {
    QString courseCode;
    Period period;
    std::vector<Lesson> lessons; // every lesson of the course then, in the order stored
};
struct CounterMismatch {
    PlanRow row;
    long long inTimetable = 0; // lessons of its class, course and teacher
};

struct Violations {
    std::vector<Clash> classClashes;
    std::vector<Clash> teacherClashes;
    std::vector<Lesson> neverPeriods; // lessons at a period whose level for them is "不排"
    std::vector<ExclusiveClash> exclusiveClashes;
    std::vector<CounterMismatch> counterMismatches;
    std::vector<PlanRow> unplaced;   // Count above BuildCount
    std::vector<PlanRow> incomplete; // without class, course or teacher: never placed
    std::vector<Lesson> outsideWeek;
};

Violations violationsOf(const School& school);

} // namespace rules
