#pragma once
// The search behind 自动补排: places the lessons that generation (or the
// user) left over by moving the lessons that may move, through chains of
// moves: an unplaced lesson takes the period where it displaces least, the
// lessons it displaces become unplaced and look for a period in turn, and a
// tabu list keeps a displaced lesson from going straight back. Hard rules are
// never broken: one lesson per class and per teacher at a time, no "不排"
// period, a course's room holds at most its capacity of classes at a time,
// the daily share of a plan row (two rows of one course in a class each keep
// their own) or of a class's course where the course sets its own maximum,
// double lessons (a block of two adjacent periods of one day, moved as one),
// a teacher's own daily maximum and lessons in a row. A joint lesson (合班) is
// one lesson of its teacher and its room that holds every one of its classes
// at its period, so it moves in all of them at once. "最佳位置", "尽量不排"
// and a teacher's even day are costs.
//
// The problem is given as small integers so that one step costs a few array
// reads; the caller translates the timetable into it and back.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct CompletionProblem {
    int lessonsPerDay = 6;
    int morningLessons = 4; // the midday break lies after this lesson
    int classes = 0;        // ids 0 .. classes − 1
    int teachers = 0;       // ids 0 .. teachers − 1; −1 on a lesson: no teacher
    int courses = 0;
    // By course id: classes the course's room holds at once; 0: no limit.
    std::vector<int> capacity;
    // By teacher id (may be shorter than teachers: the rest have none): the
    // teacher's most lessons a day and in a row, 0 for no limit. A row ends
    // at the midday break, after morningLessons.
    std::vector<int> teacherMaxPerDay, teacherMaxInRow;

    // Everything a lesson of one plan row shares.
    struct Unit {
        int cls = 0;
        int teacher = -1;
        int course = 0;
        int dailyShare = 1; // most lessons of this unit (or its group) a day
        // −1: the unit's own lessons count toward its share; else the units
        // of one group (a class's rows of a course with its own daily
        // maximum) count together, each with the group's share.
        int shareGroup = -1;
        // Double lessons of the row: each counts once toward the daily share
        // (the group's, in a group), and the row once complete has that
        // many adjacent pairs.
        int doubles = 0;
        // The row's weekly lessons: it never gets more. A problem made by
        // hand may leave it unbounded.
        int weekly = 1 << 20;
        // By day: lessons of the unit that have no period of the week (no
        // lesson number, or one beyond the day) but count for the day.
        std::array<int, 5> dayBase{};
        // By period (day × lessonsPerDay + lesson): 0 最佳位置, 1 正常,
        // 2 尽量不排, 3 不排.
        std::vector<std::uint8_t> level;
        // 合班: the further classes its lessons hold too (at most
        // kMaxPartners); the level above is already the strictest of all.
        std::vector<int> partners;
        // By partner: the share group of that class's course where the course
        // sets its own daily maximum (the joint lesson counts there too), −1
        // where it does not.
        std::vector<int> partnerGroups;
    };
    static constexpr int kMaxPartners = 11;
    std::vector<Unit> units;

    struct Lesson {
        int unit = 0;
        int period = -1;    // −1: unplaced
        bool fixed = false; // pre-set or otherwise not to be moved
        bool block = false; // a double lesson: period and the one after it
    };
    std::vector<Lesson> lessons;

    int periods() const { return 5 * lessonsPerDay; }
};

struct CompletionOptions {
    std::uint32_t seed = 1;
    long long maxSteps = 4'000'000; // the search ends here at the latest
    double seconds = 30;            // and here, whatever the steps
    // Called now and then with the lessons still unplaced; false cancels.
    std::function<bool(int unplaced)> progress;
};

struct CompletionOutcome {
    std::vector<int> period; // by lesson: where it ends (−1 unplaced)
    int unplacedBefore = 0;
    int unplacedAfter = 0;
    long long steps = 0;
    bool cancelled = false;
    bool timedOut = false;
    // Lessons that no period can take whatever moves: every period is "不排"
    // or held by lessons that may not move.
    std::vector<int> hopeless;
};

// Deterministic for the same problem and seed unless the time limit ends the
// search. The outcome never has fewer lessons placed than the problem; the
// lessons of the problem that clash with earlier ones (a second lesson of a
// class at a time) count as unplaced from the start.
CompletionOutcome SearchCompletion(const CompletionProblem& problem,
                                   const CompletionOptions& options);

// The search's own answer to "may this lesson go to this period without
// moving any other lesson", for every lesson (a placed one taken out first)
// and period, from the state the search starts in: by lesson, by period. The
// agreement test holds it against the rules.
std::vector<std::vector<bool>> CompletionOpenPeriods(const CompletionProblem& problem);
