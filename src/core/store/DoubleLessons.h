#pragma once
// Double lessons (连堂) of the plan and the length of the morning, each in a
// table of its own (PlanDoubletb, Settingtb) so that older copies of the
// program, which know neither, still open the database. A database without
// the tables has no double lessons and the usual morning of four lessons.
// Both settings live in the database rather than in kbxt.ini: they decide
// which timetables are legal, so a database carried to another computer must
// be judged the same there. Every function throws on a database failure.
#include "core/model/Week.h"

#include <QHash>
#include <QString>

class TimetableDb;
namespace SQLite {
class Database;
}

// Double lessons by class, course and teacher (PlanDoubleKey); rows of none
// are not kept.
QString PlanDoubleKey(const QString& classCode, const QString& courseCode,
                      const QString& teacherCode);
QHash<QString, long long> ReadPlanDoubles(SQLite::Database& db);
long long ReadPlanDoubles(TimetableDb& db, const QString& classCode, const QString& courseCode,
                          const QString& teacherCode);
// Sets the double lessons of a plan row (0 removes them); creates the table
// in a database that has none yet. Runs inside a caller's transaction.
void WritePlanDoubles(TimetableDb& db, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, long long doubles);
// A plan row renamed (its course or teacher changed): its double lessons go
// with it. Nothing is written when the database has no table of them.
void MovePlanDoubles(TimetableDb& db, const QString& classCode, const QString& oldCourseCode,
                     const QString& oldTeacherCode, const QString& newCourseCode,
                     const QString& newTeacherCode);

// The year upgrade: the double lessons go up a grade with their plan rows
// (grade 6's leave with theirs). Runs inside the upgrade's transaction.
void UpgradePlanDoubles(SQLite::Database& db);

// Lessons still missing from plan rows with double lessons: generation
// leaves them to completion.
int MissingDoubleRowLessons(TimetableDb& db);

// "上午 N 节": the stored morning, or the default when none is stored or it
// is no sensible number.
MiddayBreak ReadMiddayBreak(SQLite::Database& db);
MiddayBreak ReadMiddayBreak(TimetableDb& db);
// Throws Failure for a morning outside 1 to 7.
void WriteMiddayBreak(TimetableDb& db, MiddayBreak midday);
