#pragma once
// The week as completion reads and writes it: the plan, the lessons with
// their row ids, the class, course and teacher limits, the exclusive courses.
#include <QSet>
#include <QString>
#include <vector>

class TimetableDb;

struct WeekRecords {
    struct PlanRow {
        QString classCode, courseCode, teacherCode;
        int count = 0;
    };
    struct Lesson {
        long long rowid = 0;
        QString classCode;
        int day = 0, lessonNo = 0; // 0 also for a Null or non-numeric value
        QString courseCode, teacherCode;
        int setFlag = 0;
    };
    struct Limit {
        int kind = 1; // 0 class, 1 course, 2 teacher
        QString code;
        int day = 0, lessonNo = 0;
        int attr = 1; // 0 to 3; any other value reads as 1
    };
    std::vector<PlanRow> plan;
    std::vector<Lesson> lessons;
    std::vector<Limit> limits;
    QSet<QString> exclusiveCourses;
};

// Throws on a database failure.
WeekRecords ReadWeekRecords(TimetableDb& db);

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
