#pragma once
// 自动补排: places the lessons still missing from the timetable by moving the
// generated and hand-placed lessons (never the pre-set ones), keeping every
// placement rule. The timetable is read, the search runs in memory
// (CompletionSearch.h) and the result is written in one transaction; a
// cancel or a failure leaves the timetable as it was.
#include <QString>
#include <cstdint>
#include <functional>

class TimetableDb;

struct CompletionReport {
    bool ok = false;
    QString error; // why it failed, in Chinese
    bool cancelled = false;
    bool timedOut = false;
    int missingBefore = 0; // lessons the plan still wanted
    int placed = 0;        // of those, now placed
    int remaining = 0;     // still missing
    int moved = 0;         // lessons that changed period to make room
    long long steps = 0;
    double ms = 0;
};

struct CompletionRun {
    int lessonsPerDay = 6;
    std::uint32_t seed = 1;
    double seconds = 10;
    // Called now and then with the lessons still missing; false cancels.
    std::function<bool(int missing)> progress;
};

[[nodiscard]] CompletionReport CompleteTimetable(TimetableDb& db, const CompletionRun& run);
