#pragma once
// 自动补排: places the lessons still missing from the timetable by moving the
// generated and hand-placed lessons (never the pre-set ones), keeping every
// placement rule. The timetable is read, the search runs in memory
// (CompletionSearch.h), the result is judged by the rules themselves
// (rules::breachesOf) and written in one transaction; a cancel or a failure
// leaves the timetable as it was. What could be placed is kept even when
// some lessons stay missing.
#include "core/generation/CompletionSearch.h"
#include "core/model/School.h"
#include "core/store/CompletionStore.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

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

// The same in memory: on success the school holds the completed timetable
// (and its rows their BuildCount), and changes what to write to the database.
// run.lessonsPerDay is the school's week.
struct SchoolCompletion {
    CompletionReport report;
    std::vector<LessonChange> changes; // empty when nothing was gained
};
[[nodiscard]] SchoolCompletion CompleteSchool(School& school, const CompletionRun& run);

// The school as small integers for the search: a unit per plan row (equal
// rows make one unit with their counts added, as the rules count them; a
// row's double lessons are lessons of two periods, made of adjacent lessons
// already in the timetable where there are such), the
// level of every period from the rules, the lessons with their periods and
// the missing ones.
// Codes new to the timetable are added to its indexes.
// A joint row (合班) is one unit of its first class's row whose lessons hold
// the further classes too; the further classes' rows make no unit of their own.
struct CompletionTranslation {
    CompletionProblem problem;
    std::vector<int> lessonIndex;   // by problem lesson: index into the lessons, −1 missing
    std::vector<int> planRowOfUnit; // by unit: index into the plan, −1 lessons outside it
    // By problem lesson of a joint unit: for each partner of the unit, the
    // index into the lessons of that class's lesson, −1 where it has none.
    std::vector<std::vector<int>> partnerIndex;
    std::vector<QStringList> partnerClasses; // by unit: the partners' class codes
    // By problem lesson: the second half of a double lesson that is in the
    // timetable (an index into the lessons), −1 otherwise.
    std::vector<int> secondIndex;
    // Single lessons of rows with double lessons beyond the room the double
    // lessons leave: taken out, to come back as halves of double lessons.
    std::vector<int> dropped;
};
CompletionTranslation TranslateForCompletion(School& school);
