#pragma once
// Everything the placement rules look at: the plan, the time limits, the
// courses' own rules (rooms and daily maxima), the joint classes and the
// week's lessons.
#include "core/model/CourseRules.h"
#include "core/model/JointClasses.h"
#include "core/model/Limits.h"
#include "core/model/PlanRow.h"
#include "core/model/TeacherRules.h"
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
    CourseRules courseRules;
    TeacherRules teacherRules; // daily and in-row limits, subject groups
    JointClasses joints;       // 合班 (PlanJointtb)
    MiddayBreak middayBreak;
    Timetable timetable;

    // Classes the course's room holds at once; 0: no limit.
    int capacityOf(const QString& courseCode) const {
        auto it = courseRules.constFind(courseCode);
        return it == courseRules.constEnd() ? 0 : it->maxClasses.value_or(0);
    }
    bool isExclusive(const QString& courseCode) const { return capacityOf(courseCode) == 1; }
    // Lessons of the course a class may have on one day; 0: the plan row's
    // share decides.
    int dailyMaxOf(const QString& courseCode) const {
        auto it = courseRules.constFind(courseCode);
        return it == courseRules.constEnd() ? 0 : it->maxPerDay.value_or(0);
    }
    // n = 0 takes the setting off.
    void setCapacity(const QString& courseCode, int n) {
        set(courseCode, &CourseRule::maxClasses, n);
    }
    void setDailyMax(const QString& courseCode, int n) {
        set(courseCode, &CourseRule::maxPerDay, n);
    }

private:
    void set(const QString& courseCode, std::optional<int> CourseRule::*field, int n) {
        CourseRule& r = courseRules[courseCode];
        r.*field = n > 0 ? std::optional<int>(n) : std::nullopt;
        if (r.isEmpty())
            courseRules.remove(courseCode);
    }
};
