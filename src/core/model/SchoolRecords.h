#pragma once
// A whole school as plain records, in the order they are stored: the code
// lists, the plan, the limits, the exclusive courses and the lessons. The demo
// and benchmark schools are built as records and written by the store.
#include "core/model/CourseRules.h"
#include "core/model/TeacherRules.h"

#include <QString>
#include <vector>

struct SchoolRecords {
    struct Named {
        QString code, name, fullName, shortName;
    };
    struct Plan {
        QString classCode, courseCode, teacherCode;
        int count = 0;
        int buildCount = 0;
        bool autoBuilt = false; // IsAutoBuild
        int doubles = 0;        // double lessons (PlanDoubletb), written only when some
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
    std::vector<Named> classes, courses, rooms, teachers;
    std::vector<Plan> plan;
    std::vector<Limit> limits;
    std::vector<QString> exclusiveCourses; // CourseAttrtb alone
    struct Rule {
        QString courseCode;
        CourseRule rule;
    };
    std::vector<Rule> courseRules; // CourseRuletb, and CourseAttrtb for capacity 1
    std::vector<Lesson> lessons;
    // Teacher limits and subject groups (TeacherRuletb, TeacherGrouptb): the
    // tables are made only when a school has some. A group's "不排" periods
    // are limits of kind 4.
    std::vector<Named> groups;
    struct TeacherLimit {
        QString teacherCode;
        TeacherRule rule;
    };
    std::vector<TeacherLimit> teacherRules;
};
