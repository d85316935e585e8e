#pragma once
// Everything the placement rules look at: the plan, the time limits, the
// exclusive courses (CourseAttrtb) and the week's lessons.
#include "core/model/Limits.h"
#include "core/model/PlanRow.h"
#include "core/model/Timetable.h"

#include <QSet>
#include <QString>
#include <vector>

struct School {
    std::vector<PlanRow> plan; // in rowid order
    Limits limits;
    QSet<QString> exclusiveCourses;
    Timetable timetable;

    bool isExclusive(const QString& courseCode) const {
        return exclusiveCourses.contains(courseCode);
    }
};
