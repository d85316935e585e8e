#pragma once
// Schools for the completion benchmark that are known to have a complete
// timetable: a legal full week is laid first — every class's lessons with
// their teachers, no class or teacher twice at a time, the exclusive course
// once at a time and the shared room (综合实践) twice at most, the daily
// shares (语文 at most two a day by its course's own maximum), the course, teacher and class "不排"
// periods — and the plan is then read off it. Some lessons of the laid week
// are kept as pre-set lessons. With `realRules` the week also holds double
// lessons, the subject groups' afternoons off, and teacher limits read off
// it (some exactly at what the week uses).
#include "core/store/SchoolWriter.h"

#include <cstdint>
#include <vector>

struct BenchSchoolShape {
    int classes = 24;      // a multiple of 6: the same number in each grade
    int lessonsPerDay = 6; // 6 or 7
    int load = 28;         // lessons of every class a week, at most 5 × lessonsPerDay
    std::uint32_t seed = 1;
    // Double lessons, teacher groups with their time off and teacher limits.
    // Off, the school is drawn exactly as before they existed, so older
    // figures stay comparable.
    bool realRules = false;
};

struct BenchSchool {
    SchoolRecords records;                   // what goes into the database
    std::vector<SchoolRecords::Lesson> week; // the full week that was laid
    int planned = 0;
    int preset = 0;
    int teachersWithTimeOff = 0;
    int doubles = 0;         // double lessons planned
    int limitedTeachers = 0; // teachers with a daily or in-row limit
    int tightTeachers = 0;   // of those, limits no higher than the laid week uses
};

BenchSchool BuildBenchSchool(const BenchSchoolShape& shape);

// The benchmark's schools: 12 to 48 classes, loads of 26 to 28 of 30
// periods, full weeks of 30 and of 35; all with the real rules.
std::vector<BenchSchoolShape> BenchSchoolSet();
