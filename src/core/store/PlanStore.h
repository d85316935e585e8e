#pragma once
// The teaching plan in ClassPlantb: which teacher gives which course to a class,
// and how many lessons a week. Every function throws on a database failure.
#include "core/model/PlanRow.h"

#include <QList>
#include <QString>
#include <QStringList>

class TimetableDb;

// The names the plan window offers: classes and courses in the order they were
// entered, teachers by code.
QStringList ReadClassNames(TimetableDb& db);
QStringList ReadCourseNames(TimetableDb& db);
QStringList ReadTeacherNames(TimetableDb& db);

// How big the school is: its classes and the lessons its plan asks for a week.
struct PlanTotals {
    long long classes = 0;
    long long lessons = 0;
};
PlanTotals ReadPlanTotals(TimetableDb& db);

QList<PlanRow> ReadPlanOfClass(TimetableDb& db, const QString& classCode);
QList<PlanRow> ReadPlanOfTeacher(TimetableDb& db, const QString& teacherCode);

// A lesson count as typed: whole numbers 0 to 99 only. Returns -1 for any
// other text (the box takes two characters, so a sign or a point would leave
// a count nobody means).
// The lessons the whole plan asks for (negative counts as none). Throws when
// the plan cannot be read.
long long PlannedLessonCount(TimetableDb& db);

int ParseLessonCount(const QString& trimmed);

enum class PlanAppend {
    Inserted,     // a new row
    AddedToCount, // the class already had this course from this teacher
    OtherTeacher, // another teacher gives this course to the class: nothing written
};
// The double lessons (连堂) go with the count: added to the row's when the
// class already has it.
PlanAppend AppendPlanRow(TimetableDb& db, const QString& classCode, const QString& courseCode,
                         const QString& teacherCode, int count, int doubles = 0);

bool PlanRowExists(TimetableDb& db, const QString& classCode, const QString& courseCode,
                   const QString& teacherCode);
// Deletes the class's plan rows of the course and teacher together with the
// class's lessons of them and their double lessons, in one transaction.
// Returns the plan rows deleted.
int DeletePlanRow(TimetableDb& db, const QString& classCode, const QString& courseCode,
                  const QString& teacherCode);
// Rewrites the row found by its old course, teacher and count, in one
// transaction; its double lessons go with it (kKeepDoubles) or become
// newDoubles. Returns the rows changed.
inline constexpr int kKeepDoubles = -1;
int ModifyPlanRow(TimetableDb& db, const QString& classCode, const QString& oldCourseCode,
                  const QString& oldTeacherCode, int oldCount, const QString& newCourseCode,
                  const QString& newTeacherCode, int newCount, int newDoubles = kKeepDoubles);
