#pragma once
// Automatic generation of the timetable from the teaching plan.
//
// A run deletes the lessons of earlier runs and those placed by hand (pre-set
// lessons stay), counts the pre-set lessons into the plan, then repeatedly
// takes the teacher with the most classes still waiting and that teacher's
// most widespread course, and places each waiting plan row of that course
// (LessonPlacement.h). The whole run is one transaction.
#include <QString>
#include <functional>

class TimetableDb;

// Runs one generation with the given lessons per day (6 or 7).
// processEvents is called between plan rows so that a window stays alive.
// Returns the completion rate (placed × 100 ÷ planned, 0 and above; above 100
// when more lessons were pre-set than planned) or −1 when the run failed, the
// plan is empty or plans no lesson. A database failure leaves the data as it
// was before the run.
int BuildTimetable(TimetableDb& db, int lessonsPerDay,
                   const std::function<void()>& processEvents = {});

// Deletes every lesson with SetFlag other than 0, resets the plan counters and
// counts the pre-set lessons into BuildCount. 0, or −1 (nothing changed).
int ResetGeneratedLessons(TimetableDb& db);

// The teacher with the most classes still waiting (ties: the smaller code) goes
// to teacherCode; returns that teacher's course taught in the most waiting
// classes (ties: more weekly lessons, then the smaller code). Empty when no
// plan row waits.
QString PickNextCourse(TimetableDb& db, QString& teacherCode);

// The class of the first waiting plan row of the course taught by teacherCode,
// else of the first waiting row of the course by any teacher (teacherCode then
// becomes that row's teacher). Empty when no waiting row of the course is left.
QString PickNextClass(TimetableDb& db, const QString& courseCode, QString& teacherCode);

// placed × 100 ÷ planned over the whole plan, rounded half to even; −1 when the
// plan is empty, plans no lesson or cannot be read.
int CompletionRate(TimetableDb& db);

// The rate as the result message gives it. With lessons still missing it never
// reads 100 (a rounded 99.9) and names how many are missing.
QString CompletionRateText(int rate, int missing);
