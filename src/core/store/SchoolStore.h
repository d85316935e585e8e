#pragma once
// Reading a school into memory and writing a generated timetable back. Every
// function throws (SQLite::Exception, DatabaseClosed) when the database fails.
#include "core/model/School.h"

class TimetableDb;

// The plan (rowid order), the limits of every kind, the exclusive courses and
// every lesson (rowid order).
School LoadSchool(TimetableDb& db, Week week);
// Only the joint rows (合班); none in a database written before them.
JointClasses LoadJoints(TimetableDb& db);
// Only the lessons, in the order stored.
Timetable LoadTimetable(TimetableDb& db, Week week);

// Writes what generation decided, in one transaction (a savepoint, so that it
// also nests in a caller's transaction): the lessons generation and the hand
// placing had made are replaced by the school's generated lessons, in their
// order, and every plan row gets its BuildCount and IsAutoBuild. On failure
// nothing is changed.
void SaveGeneratedTimetable(TimetableDb& db, const School& school);
