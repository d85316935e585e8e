#pragma once
// The lessons per day of the open database, and the start-up trim that keeps
// the timetable within them. Both need the timetable as well as kbxt.ini.
#include <QString>

class TimetableDb;

// The lessons per day for the open database. A setting that cannot be read
// takes the timetable's own: 7 when any lesson is numbered 7 or more, else 6,
// so a damaged or missing setting never costs lessons. With write-back the
// value is then stored, when the key was damaged or the school has 7.
int LessonsPerDayFor(TimetableDb& db, bool writeBack);

// Deletes lessons whose LessonNo lies beyond the lessons per day and recounts
// BuildCount of the plan rows, in one transaction: throws Failure with nothing
// changed.
void TrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay);
// The same; true when done, false with the reason in *why.
[[nodiscard]] bool tryTrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay,
                                           QString* why = nullptr);
