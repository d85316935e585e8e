#pragma once
// 合班 in PlanJointtb: the further classes that take a plan row's lessons
// together with its class. A database written before 合班 has no such table;
// it is created the first time a joint row is written. Every function throws
// on a database failure.
#include <QString>
#include <QStringList>

class TimetableDb;
namespace SQLite {
class Database;
}

// The further classes of the row whose first class is classCode, in the
// order stored; empty when the row has none.
QStringList ReadJointClasses(TimetableDb& db, const QString& classCode, const QString& courseCode,
                             const QString& teacherCode);
// The first class of the joint row that classCode takes part in as a further
// class; empty when it is none.
QString ReadJointFirstClass(TimetableDb& db, const QString& classCode, const QString& courseCode,
                            const QString& teacherCode);

// Why the first class's row may not be taught together with `others` (codes);
// empty when it may. Names come from the class list.
QString JointClassesRefusal(TimetableDb& db, const QString& classCode, const QString& courseCode,
                            const QString& teacherCode, const QStringList& others);

// Replaces the further classes of the row, in one transaction: each further
// class gets a plan row of the course and teacher with the first row's count
// (a new row, or its row's count set), so that its lessons are planned; a
// class dropped from the row keeps its own row. An empty list ends the joint
// row. Throws Failure with the reason when JointClassesRefusal has one.
void WriteJointClasses(TimetableDb& db, const QString& classCode, const QString& courseCode,
                       const QString& teacherCode, const QStringList& others);

// Inside a caller's transaction: the links of the first class's row to
// `others`, replacing any it had (the plan rows are the caller's); creates
// PlanJointtb in an older database.
void InsertJointLinks(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, const QStringList& others);

// For the plan editor's own writes, inside its transaction: the class's
// row of course and teacher is deleted or changes course or teacher, so its
// joint links go (as first class: the whole joint row).
void ForgetJointLinks(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode);
// The first class's row has a new count: its further classes plan the same.
void FollowJointCount(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, int count);
