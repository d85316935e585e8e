#pragma once
// The one random generator of the program, used by timetable generation to
// choose among equally good lesson times. It starts from a fixed seed, so the
// same database gives the same timetable after every start of the program.
#include <cstdint>

inline constexpr std::uint32_t kDefaultBuildSeed = 5489u;

// The next number, uniform in [0, 1).
double BuildRandom();
// Restarts the sequence (the command-line tool's --seed; tests).
void SeedBuildRandom(std::uint32_t seed = kDefaultBuildSeed);
