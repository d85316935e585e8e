#pragma once
// Checks the timetable held in a database, with the names of its lists.
#include "core/rules/Quality.h"
#include "core/rules/RootCauses.h"
#include "core/rules/TimetableCheck.h"

class TimetableDb;

// Reads the whole timetable and checks it. Throws Failure, naming the file and
// why, when the database cannot be read.
TimetableCheck CheckTimetable(TimetableDb& db, int lessonsPerDay);

// The root causes of the lessons still missing (rules/RootCauses.h), with the
// names of the lists. Throws Failure when the database cannot be read.
std::vector<rules::RootCause> UnplacedCauses(TimetableDb& db, int lessonsPerDay);

// The quality measures of the timetable (rules/Quality.h). Throws Failure when
// the database cannot be read.
rules::QualityReport TimetableQuality(TimetableDb& db, int lessonsPerDay);
