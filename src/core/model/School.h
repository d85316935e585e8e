#pragma once
// Everything the placement rules look at: the plan, the time limits, the
// exclusive courses (CourseAttrtb) and the week's lessons.
#include "core/model/Limits.h"
#include "core/model/PlanRow.h"
#include "core/model/Timetable.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct School {
    // The codes of the class, course and teacher lists, where the school was
    // read from a database: a plan row naming another code is a fault. A
    // school made in memory without lists does not check its codes.
    struct Codes {
        QSet<QString> classes, courses, teachers;
    };
    std::optional<Codes> knownCodes;
    // With the lists: names holding characters no name may have (TextRules.h),
    // one line each.
    QStringList hiddenCharacterNames;

    std::vector<PlanRow> plan; // in rowid order
    Limits limits;
    QSet<QString> exclusiveCourses;
    MiddayBreak middayBreak;
    Timetable timetable;

    bool isExclusive(const QString& courseCode) const {
        return exclusiveCourses.contains(courseCode);
    }
};
