#pragma once
// What a published timetable set shows: every class, every teacher and the
// whole school as grids of the week, read once from the database through the
// print queries, so the pages, calendars and pictures say what print says.
#include "core/formats/TimetableTitle.h"
#include "core/model/DaySchedule.h"

#include <QDateTime>
#include <QString>
#include <vector>

class TimetableDb;

struct PublishEntry {
    QString course;
    QString detail; // class pages: the teacher; teacher pages: the class; school: the teacher
    bool operator==(const PublishEntry&) const = default;
};

// One class's, teacher's or (in the school table) class's week.
struct PublishTable {
    QString name;     // 一（1）班, 张老师; the short class name in the school table
    QString fileStem; // class-0101, teacher-07 (pages, pictures and calendars share it)
    // entries at (lessonNo - 1) * 5 + (day - 1); a period may hold several
    // (a double booking, a lesson shared by classes)
    std::vector<std::vector<PublishEntry>> cells;

    const std::vector<PublishEntry>& at(int day, int lessonNo) const {
        return cells.at(static_cast<size_t>((lessonNo - 1) * 5 + (day - 1)));
    }
};

struct PublishSchool {
    QString schoolName;
    // "2026—2027学年度第一学期  2026-09-01 至 2027-01-20"; only the dates while
    // the school year and term are not set.
    QString termTitle;
    int lessonsPerDay = 6;
    DaySchedule times;
    QDateTime written; // UTC
    std::vector<PublishTable> classes;
    std::vector<PublishTable> teachers;
    std::vector<PublishTable> school; // one row per class: short names and teachers
};

// Reads the set. Lessons outside the week of lessonsPerDay are left out, as
// print leaves them out. Throws Failure when the database cannot be read.
// The title gives the school and the school year and term, as print has them.
PublishSchool ReadPublishSchool(TimetableDb& db, int lessonsPerDay, const TimetableTitle& title);
