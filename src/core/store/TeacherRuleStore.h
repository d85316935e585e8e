#pragma once
// Teacher limits and subject groups: TeacherRuletb (a teacher's lessons a day
// and in a row, and their group) and TeacherGrouptb (the groups). Older
// databases have neither table: they read as "no limits, no groups", and the
// tables are made only when a setting is first written. A group's "不排"
// periods are Limittb cells of LimitKind::Group (TimeLimits.h).
//
// The readers throw (SQLite::Exception, DatabaseClosed) on a database failure;
// the writers throw Failure with the reason.
#include "core/model/TeacherRules.h"

#include <QList>
#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>
#include <optional>

class TimetableDb;

// Does the database have the teacher tables (both come together)?
bool HasTeacherRuleTables(SQLite::Database& db);
// Creates them where they are missing; the first write of a setting calls it.
void EnsureTeacherRuleTables(SQLite::Database& db);

// The code of the first group of that name; empty when there is none.
QString GetGroupCode(TimetableDb& db, const QString& name);

// The limits and groups of every teacher, with the groups' names.
TeacherRules ReadTeacherRules(SQLite::Database& db);
TeacherRules ReadTeacherRules(TimetableDb& db);

// Writes one teacher's limits and group (0 and empty: none).
void WriteTeacherRule(TimetableDb& db, const QString& teacherCode, const TeacherRule& rule);
// Sets a limit of every teacher of Teachertb at once, in one transaction; an
// empty optional leaves that limit as it is. Returns the teachers written.
int WriteLimitsOfAllTeachers(TimetableDb& db, std::optional<int> maxPerDay,
                             std::optional<int> maxInRow);
