#pragma once
// Shorthands for the small schools the suites build: plan rows, lessons and an
// empty week in memory, and the class, course and teacher lists written to a
// test database.
#include "TestDb.h"

#include "core/model/School.h"

#include <QString>
#include <initializer_list>
#include <utility>

// A plan row of `count` lessons a week, without a rowid or double lessons.
inline PlanRow row(const QString& cls, const QString& course, const QString& teacher,
                   long long count) {
    PlanRow r;
    r.classCode = cls;
    r.courseCode = course;
    r.teacherCode = teacher;
    r.count = count;
    return r;
}

// A lesson at day `day`, lesson `n`, placed by generation unless told.
inline Lesson lesson(const QString& cls, int day, int n, const QString& course,
                     const QString& teacher, Origin origin = Origin::Generated) {
    return Lesson{cls, Period{day, n}, course, teacher, origin, false};
}

// A school with nothing in it yet but its week.
inline School emptySchool(int lessonsPerDay = 6) {
    School s;
    s.timetable = Timetable(Week::ofLessons(lessonsPerDay));
    return s;
}

using CodeAndName = std::pair<const char*, const char*>;

// Writes the lists of a school, each entry as code and name.
inline void addLists(TestDb& t, std::initializer_list<CodeAndName> classes,
                     std::initializer_list<CodeAndName> courses,
                     std::initializer_list<CodeAndName> teachers) {
    for (const auto& [code, name] : classes)
        t.addClass(QString::fromUtf8(code), QString::fromUtf8(name));
    for (const auto& [code, name] : courses)
        t.addCourse(QString::fromUtf8(code), QString::fromUtf8(name));
    for (const auto& [code, name] : teachers)
        t.addTeacher(QString::fromUtf8(code), QString::fromUtf8(name));
}
