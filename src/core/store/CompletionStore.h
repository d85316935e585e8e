#pragma once
// What completion writes: its moves, placements and removals of lessons, by
// the lessons' rows; and the count of lessons the plan still misses.
#include <QString>
#include <vector>

class TimetableDb;

// One change of completion: a lesson moved (rowid, new day and lesson), a
// lesson placed (rowid 0) or a lesson taken out (day 0).
struct LessonChange {
    long long rowid = 0;
    QString classCode, courseCode, teacherCode;
    int day = 0, lessonNo = 0;
    int setFlag = 1; // for a placed lesson
};

// Writes the changes and recounts every plan row's BuildCount, in one
// transaction: on a failure nothing is changed. Throws on failure.
void SaveLessonChanges(TimetableDb& db, const std::vector<LessonChange>& changes);

// Lessons the plan still wants: the sum over the plan rows of Count −
// BuildCount where that is positive. Throws on a database failure.
int MissingLessons(TimetableDb& db);
