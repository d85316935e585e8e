#pragma once
// Placing the lessons of one plan row (one class, one course, one teacher)
// into the week held in memory.
//
// The lessons of a row are spread over the week by 5 ÷ Count days; each lesson
// goes to the first day, from its starting day on, that has a lesson number
// the rules allow (core/rules/Placement.h), trying the best level of the day
// first, then normal, then avoid. Among the lesson numbers that qualify one is
// drawn at random (BuildRandom). Before each lesson the starting day moves on
// while the teacher already has the daily cap of lessons there.
#include "core/rules/Placement.h"

// Places the row's missing lessons (Count − BuildCount) as generated lessons,
// sets the counters of every row of the class, course and teacher and marks
// those rows done. 0 when every lesson is in place (or there was nothing to
// place); −1 when a lesson found no room.
[[nodiscard]] int PlacePlanRow(School& school, const QString& classCode, const QString& courseCode,
                               const QString& teacherCode);
// The same for rows already found: the indexes into school.plan of every row of
// the class, course and teacher (rowid order) and the teacher's weekly lessons.
[[nodiscard]] int PlacePlanRow(School& school, const std::vector<size_t>& rows,
                               long long teacherLessons);

// The indexes of the plan rows of the class, course and teacher, rowid order.
std::vector<size_t> RowsOfLessons(const School& school, const QString& classCode,
                                  const QString& courseCode, const QString& teacherCode);

// Searches the days from Int(dayPosition) forward to Friday, then from Friday
// back to Monday, all three levels on each day. Returns a lesson number with
// dayPosition holding its day (Int of it), or −1 with dayPosition as it was.
int FindDaySlot(const School& school, const rules::Placing& p, double& dayPosition);

// A lesson number on the day at the level, drawn among those that qualify;
// −1 when none does.
int FindLessonInDay(const School& school, const rules::Placing& p, int day, LimitLevel level);
