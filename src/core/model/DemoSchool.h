#pragma once
// A realistic primary school to try the program on, for demonstrations, tests
// and the benchmark: one, four, eight or (for the benchmark) 32 classes in each grade 一 to 六, the
// usual courses with their weekly lessons, teachers with the usual loads,
// course time limits, one exclusive course (信息技术, one computer room) and a
// pre-set 班队会 lesson in every class. The same seed gives the same school.
#include "core/model/SchoolRecords.h"

#include <QString>
#include <cstdint>

enum class DemoSize { Small, Medium, Large, Huge };

// "small", "medium", "large", "huge".
bool ParseDemoSize(const QString& text, DemoSize& size);
int DemoClassesPerGrade(DemoSize size);

// The school's records, for WriteSchool (into an open empty database) or
// MakeSchoolFile (a new file) of the store.
SchoolRecords DemoSchool(DemoSize size, std::uint32_t seed);
