#pragma once
// The courses' own rules (课程名单: 同时上课班数, 每天最多节数) in the table
// CourseRuletb, which older copies of the program do not know and ignore. A
// capacity of 1 is also kept in CourseAttrtb, the exclusive mark those copies
// read. A database without CourseRuletb has no such rules beyond
// CourseAttrtb; the table is made when a rule is first written.
#include "core/model/CourseRules.h"

#include <SQLiteCpp/SQLiteCpp.h>

class TimetableDb;

// Every course's rules: CourseRuletb's values where set, and capacity 1 for
// a course in CourseAttrtb that CourseRuletb gives no capacity.
CourseRules ReadCourseRules(SQLite::Database& d);
CourseRules ReadCourseRules(TimetableDb& db);

// Writes one course's rules (an empty rule takes the row out) and keeps
// CourseAttrtb in step with capacity 1. Throws Failure with the reason.
void WriteCourseRule(TimetableDb& db, const QString& courseCode, const CourseRule& rule);
// The same inside the caller's transaction, for a database being filled.
void WriteCourseRule(SQLite::Database& d, const QString& courseCode, const CourseRule& rule);

// The course's row goes with the course.
void DeleteCourseRule(SQLite::Database& d, const QString& courseCode);
