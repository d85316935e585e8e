#pragma once
// Writes a whole school given as plain records into an empty database: the
// lists, the plan, the limits, the exclusive courses and the lessons. Used by
// the demo and benchmark schools; one transaction.
#include "core/model/SchoolRecords.h"

#include <QString>

class TimetableDb;

// Throws on a database failure; nothing is written then.
void WriteSchool(TimetableDb& db, const SchoolRecords& school);

// Writes a new database file holding the school. Refuses an existing file.
// Returns the empty text on success, else a message for the user (nothing is
// left behind then).
QString MakeSchoolFile(const QString& path, const SchoolRecords& school);
