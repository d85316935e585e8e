#pragma once
// Automatic generation of the timetable from the teaching plan.
//
// A run deletes the lessons of earlier runs and those placed by hand (pre-set
// lessons stay), counts the pre-set lessons into the plan, then repeatedly
// takes the teacher with the most classes still waiting and that teacher's
// most widespread course (PlanQueue.h), and places each waiting plan row of
// that course (LessonPlacement.h). Rows with double lessons (连堂) are left
// to completion (CompleteTimetable.h). Plan rows without a class, a course or a
// teacher are never placed and count as unplaced. The school is read once,
// the run works in memory, and the result is written in one transaction.
#include "core/model/Failure.h"
#include "core/model/School.h"

#include <QString>
#include <functional>

class TimetableDb;

// A school no run may work on: a plan count beyond the week, a lesson at a
// day or lesson number no week has. Nothing is changed when it is thrown.
class UnrunnableSchool : public Failure {
public:
    using Failure::Failure;
};
// Throws UnrunnableSchool naming the first such fault (and how many more).
void RefuseUnrunnable(const School& school,
                      const std::function<QString(char, const QString&)>& nameOf = {});

// Runs one generation on the database. processEvents is called before each
// choice of a course and of a plan row so that a window stays alive.
// Returns the completion rate (placed × 100 ÷ planned, 0 and above; above 100
// when more lessons were pre-set than planned). Throws Failure, with the data
// as it was, when the plan plans no lesson or is damaged or the database
// cannot be read or written; the Failure says which (ExplainBuildFailure).
[[nodiscard]] int BuildTimetable(TimetableDb& db, Week week,
                                 const std::function<void()>& processEvents = {});
// The same; true with the rate in *rate, false with the reason in *why.
[[nodiscard]] bool tryBuildTimetable(TimetableDb& db, Week week, int* rate, QString* why = nullptr,
                                     const std::function<void()>& processEvents = {});

// The same run on a school in memory; the school then holds the result.
// Returns the completion rate as above. Throws Failure when the plan plans no
// lesson or its weekly lessons add up beyond what a count here holds (damaged
// data).
[[nodiscard]] int GenerateTimetable(School& school,
                                    const std::function<void()>& processEvents = {});

// Takes out every lesson not pre-set (SetFlag other than 0; an empty SetFlag
// stays), marks every plan row waiting and counts the pre-set lessons of its
// class, course and teacher into its BuildCount.
void ResetGeneratedLessons(School& school);

// The next course and teacher as a run would choose them now (PlanQueue).
QString PickNextCourse(const School& school, QString& teacherCode);
// The class of the next waiting row of the course (see PlanQueue::nextRow);
// teacherCode becomes that row's teacher. Empty when no row of the course waits.
QString PickNextClass(const School& school, const QString& courseCode, QString& teacherCode);

// placed × 100 ÷ planned over the whole plan, rounded half to even (a
// negative Count plans nothing). Throws Failure when the plan is empty or
// plans no lesson, when its weekly lessons add up beyond what a count here
// holds, or when the rate is beyond any sensible value (damaged data).
[[nodiscard]] int CompletionRate(const School& school);
// The same for the plan as stored; throws Failure also when it cannot be read.
[[nodiscard]] int CompletionRate(TimetableDb& db);
// The same; true with the rate in *rate, false with the reason in *why.
[[nodiscard]] bool tryCompletionRate(TimetableDb& db, int* rate, QString* why = nullptr);

// The rate as the result message gives it. With lessons still missing it never
// reads 100 (a rounded 99.9) and names how many are missing.
QString CompletionRateText(int rate, int missing);
// After generation, the line that says how many of the missing lessons
// belong to rows with double lessons, left to completion; empty for none.
QString DoublesLeftText(int missing);
