#pragma once
// 课表优化: after generation and completion, a local search (moves and swaps
// of lessons within their class, simulated annealing) that lowers the quality
// penalty of rules/Quality.h — empty periods inside class days and late
// starts first, then teacher gaps, avoid and best periods, heaps of one
// course and long teacher runs. Every move is judged by the hard rules
// (rules::handReasonsAgainst) before it is made; a joint lesson (合班) moves
// in all its classes at once; pre-set lessons never move;
// no lesson is added or taken out. The result is the best timetable seen,
// judged once more by rules::breachesOf, and written in one transaction.
//
// Deterministic for a school and a seed: the search runs a fixed number of
// steps for the size of the school; the time limit only stops a slow machine
// early (and says so).
#include "core/model/School.h"
#include "core/rules/Quality.h"
#include "core/store/CompletionStore.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class TimetableDb;

struct ImproveRun {
    int lessonsPerDay = 6;
    std::uint32_t seed = 1;
    double seconds = 5;
    // Called now and then with the share of the search done (0–100); false
    // cancels, leaving the timetable as it was.
    std::function<bool(int percent)> progress;
};

struct ImproveReport {
    bool ok = false;
    QString error; // why it failed, in Chinese
    bool cancelled = false;
    bool timedOut = false;
    rules::Figures before{}, after{};
    long long penaltyBefore = 0, penaltyAfter = 0;
    // The search's own running count of the penalty it ended with: equal to
    // penaltyAfter when its fast count agrees with the report.
    long long searchPenalty = 0;
    int moved = 0; // lessons at another period than before
    long long steps = 0;
    double ms = 0;
};

// In memory: on success the school holds the improved timetable, and changes
// what to write to the database (empty when nothing was gained).
struct SchoolImprovement {
    ImproveReport report;
    std::vector<LessonChange> changes;
};
[[nodiscard]] SchoolImprovement ImproveSchool(School& school, const ImproveRun& run);

// Reads the timetable, improves it and writes the moves. The caller keeps
// the version first ("课表优化之前").
[[nodiscard]] ImproveReport ImproveTimetable(TimetableDb& db, const ImproveRun& run);
