#pragma once
// Does the teaching plan fit into the week at all? Before generating, the
// plan is weighed against the periods its class, teacher and course leave
// open: a class or teacher planned beyond those periods, a row that cannot
// get its lessons within the course's daily share (or the course's own
// maximum; or its double lessons in adjacent open periods of a day, not
// across the midday break), a course with a room whose lessons in all
// classes exceed its capacity times the periods open to it. What is listed
// here cannot be
// placed by any timetable, so generation and completion will leave it over.
#include "core/model/CourseRules.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

struct PlanCheckInput {
    struct Row {
        QString classCode;
        QString courseCode;
        QString teacherCode;
        int count = 0;
        int doubles = 0; // double lessons (连堂) among count
        // A further class of a joint row (合班): its lessons are the first
        // class's, so they add nothing to the teacher or the room.
        bool joinsAnother = false;
    };
    int lessonsPerDay = 6;
    int morningLessons = 4; // the midday break lies after this lesson
    std::vector<Row> rows;
    // The "不排" periods of each class, course and teacher that has any, by
    // period index (day − 1) × lessonsPerDay + (lesson − 1); a teacher's
    // include those of the teacher's group.
    QHash<QString, QSet<int>> classNever, courseNever, teacherNever;
    // The teachers' own daily maximum, where they have one.
    QHash<QString, int> teacherMaxPerDay;
    CourseRules courseRules;
    // Names for the messages; a code without a name is shown as it is.
    QHash<QString, QString> classNames, courseNames, teacherNames;
};

struct PlanProblem {
    enum class Kind { Class, Teacher, Row, Exclusive };
    Kind kind;
    QString classCode;   // Class and Row
    QString courseCode;  // Row and Exclusive (a course with a room)
    QString teacherCode; // Teacher and Row
    // Lessons planned and the room for them; for a row whose double lessons
    // do not fit, the double lessons planned and the room for them.
    int planned = 0;
    int available = 0;
    QString text; // one line in Chinese
};

// Every overfull class, teacher, plan row and course room, in that
// order, each group by code.
std::vector<PlanProblem> CheckPlan(const PlanCheckInput& in);

// Only what concerns this class or this teacher (either may be empty): what
// the plan editor warns about after a row changed.
std::vector<PlanProblem> CheckPlanOf(const PlanCheckInput& in, const QString& classCode,
                                     const QString& teacherCode);

QStringList PlanProblemLines(const std::vector<PlanProblem>& problems);
