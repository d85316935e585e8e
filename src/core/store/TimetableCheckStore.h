#pragma once
// Checks the timetable held in a database, with the names of its lists.
#include "core/rules/RootCauses.h"
#include "core/rules/TimetableCheck.h"

class TimetableDb;

// Reads the whole timetable. Returns false (leaving result empty) when the
// database cannot be read.
[[nodiscard]] bool CheckTimetable(TimetableDb& db, int lessonsPerDay, TimetableCheck& result);

// The root causes of the lessons still missing (rules/RootCauses.h), with the
// names of the lists. Returns false (leaving causes empty) when the database
// cannot be read.
[[nodiscard]] bool UnplacedCauses(TimetableDb& db, int lessonsPerDay,
                                  std::vector<rules::RootCause>& causes);
