#pragma once
// What the benchmark commands do alike: a school written to a file of its
// own, the program's whole run on it, and the columns that name the school
// at the start of every line.
#include "cli/BenchSchool.h"
#include "core/generation/ImproveTimetable.h"

#include <QString>
#include <cstddef>

struct ToolArgs;
class TimetableDb;

// Writes the school into a new database file and opens it. False, with the
// reason told, when either fails.
bool OpenBenchFile(const ToolArgs& args, const QString& path, const SchoolRecords& school,
                   TimetableDb& db);

// Generation, completion and 课表优化 (within `seconds`), each from the
// default seed, so that every run of a benchmark places the same lessons.
ImproveReport PlaceBenchSchool(TimetableDb& db, int lessonsPerDay, double seconds);

// "school classes day load" of a line, `number` counting from 1.
QString BenchShapeColumns(std::size_t number, const BenchSchoolShape& s);
