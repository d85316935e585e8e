#pragma once
// Writes a whole school given as plain records into an empty database: the
// lists, the plan, the limits, the exclusive courses and the lessons. Used by
// the benchmark's school builder; one transaction.
#include <QString>
#include <vector>

class TimetableDb;

struct SchoolRecords {
    struct Named {
        QString code, name, fullName, shortName;
    };
    struct Plan {
        QString classCode, courseCode, teacherCode;
        int count = 0;
        int buildCount = 0;
        bool autoBuilt = false; // IsAutoBuild
    };
    struct Limit {
        int kind = 1; // 0 class, 1 course, 2 teacher
        QString code;
        int day = 1, lessonNo = 1, attr = 1;
    };
    struct Lesson {
        QString classCode;
        int day = 1, lessonNo = 1;
        QString courseCode, teacherCode;
        int setFlag = 0;
    };
    std::vector<Named> classes, courses, teachers;
    std::vector<Plan> plan;
    std::vector<Limit> limits;
    std::vector<QString> exclusiveCourses;
    std::vector<Lesson> lessons;
};

// Throws on a database failure; nothing is written then.
void WriteSchool(TimetableDb& db, const SchoolRecords& school);

// Writes a new database file holding the school. Refuses an existing file.
// Returns the empty text on success, else a message (no file is left then).
QString MakeSchoolFile(const QString& path, const SchoolRecords& school);
