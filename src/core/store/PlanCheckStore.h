#pragma once
// Reads what the plan check weighs: the plan rows, the "不排" periods of
// classes, courses and teachers, the exclusive courses and the names.
#include "core/rules/PlanCheck.h"

class TimetableDb;

// Throws on a database failure.
PlanCheckInput ReadPlanCheckInput(TimetableDb& db, int lessonsPerDay);
