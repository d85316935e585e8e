#pragma once
// Why a generation run reported failure, for the message the user sees: a plan
// with nothing to place is the school's to fill in, anything else a problem
// with the database file.
#include "core/model/Failure.h"

class TimetableDb;

Failure ExplainBuildFailure(TimetableDb& db);
