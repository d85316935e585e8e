#pragma once
// Checks a timetable for the faults that must never happen after generation
// and lists what is still missing. Each finding is one line in Chinese.
#include "core/model/School.h"
#include "core/rules/WhyUnplaced.h"

#include <QString>
#include <QStringList>

struct TimetableCheck {
    QStringList classClashes;      // a class with two lessons in one period
    QStringList teacherClashes;    // a teacher with two lessons in one period
    QStringList forbiddenCells;    // a lesson at a period that is "不排" for it
    QStringList exclusiveClashes;  // an exclusive course in two classes at once
    QStringList counterMismatches; // BuildCount differs from the row's lessons
    QStringList incompleteRows;    // plan rows without class, course or teacher: never placed
    QStringList unplaced;          // plan rows with lessons still missing
    QStringList unplacedReasons;   // for each of them, why it fits nowhere now
    QStringList outsideWeek;       // lessons beyond Friday or the last lesson of the day
    int unplacedLessons = 0;       // sum of the missing lessons

    // No double booking and every counter right.
    bool ok() const {
        return classClashes.isEmpty() && teacherClashes.isEmpty() && counterMismatches.isEmpty();
    }
    // Every finding and a closing summary, ready to print.
    QStringList report() const;
};

// Checks the school's whole timetable. nameOf gives the names shown in the
// lines; where it has none (or is empty) the code is shown.
TimetableCheck CheckTimetable(const School& school, int lessonsPerDay,
                              const rules::NameOf& nameOf = {});
