#pragma once
// A realistic primary school to try the program on, for demonstrations, tests
// and the benchmark: one, four, eight or (for the benchmark) 32 classes in each grade 一 to 六, the
// usual courses with their weekly lessons, teachers with the usual loads,
// course time limits, one exclusive course (信息技术, one computer room) and a
// pre-set 班队会 lesson in every class. The same seed gives the same school.
#include <QString>
#include <cstdint>

class TimetableDb;

enum class DemoSize { Small, Medium, Large, Huge };

// "small", "medium", "large", "huge".
bool ParseDemoSize(const QString& text, DemoSize& size);
int DemoClassesPerGrade(DemoSize size);

// Fills an open database that has the tables but no data. Throws on failure.
void FillDemoSchool(TimetableDb& db, DemoSize size, std::uint32_t seed);

// Writes a new database file holding the demo school. Refuses an existing file.
// Returns the empty text on success, else a message for the user (nothing is
// left behind then).
QString MakeDemoSchool(const QString& path, DemoSize size, std::uint32_t seed);
