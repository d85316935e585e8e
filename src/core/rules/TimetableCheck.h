#pragma once
// Checks a timetable against every rule (HardRules.h) and the plan's own
// faults (PlanFaults.h), keeps the plan's counters honest and lists what is
// still missing. Each finding is one line in Chinese.
#include "core/model/School.h"
#include "core/rules/WhyUnplaced.h"

#include <QString>
#include <QStringList>

struct TimetableCheck {
    QStringList classClashes;      // a class with two lessons in one period
    QStringList teacherClashes;    // a teacher with two lessons in one period
    QStringList forbiddenCells;    // a lesson at a period that is "不排" for it
    QStringList exclusiveClashes;  // an exclusive course in two classes at once
    QStringList dailyShareOver;    // a plan row over its daily share on a day
    QStringList teacherLimits;     // a teacher over their lessons a day or in a row
    QStringList doublesMissing;    // a complete plan row without its double lessons
    QStringList outsidePlan;       // lessons of no plan row, or beyond a row's count
    QStringList outsideWeek;       // lessons beyond Friday or the last lesson of the day
    QStringList jointApart;        // a joint lesson (合班) missing from some of its classes
    QStringList planFaults;        // rows naming unknown codes, repeated, counts beyond the week
    QStringList counterMismatches; // BuildCount differs from the row's lessons
    QStringList hiddenCharacters;  // list names holding invisible or control characters
    QStringList notes;             // what pre-set lessons alone do: told, not a fault
    QStringList incompleteRows;    // plan rows without class, course or teacher: never placed
    QStringList unplaced;          // plan rows with lessons still missing
    QStringList unplacedReasons;   // for each of them, why it fits nowhere now
    int unplacedLessons = 0;       // sum of the missing lessons

    // No rule broken, no fault in the plan and every counter right.
    bool ok() const;
    // Every finding and a closing summary, ready to print.
    QStringList report() const;
};

// Checks the school's whole timetable. nameOf gives the names shown in the
// lines; where it has none (or is empty) the code is shown.
TimetableCheck CheckTimetable(const School& school, int lessonsPerDay,
                              const rules::NameOf& nameOf = {});
