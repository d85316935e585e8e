#pragma once
// Checks the timetable held in a database, with the names of its lists.
#include "core/rules/TimetableCheck.h"

class TimetableDb;

// Reads the whole timetable. Returns false (leaving result empty) when the
// database cannot be read.
[[nodiscard]] bool CheckTimetable(TimetableDb& db, int lessonsPerDay, TimetableCheck& result);
