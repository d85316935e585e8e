#pragma once
// What the title of a printed or exported timetable says besides the class or
// teacher: the school and, once they are set, the school year and term.
#include "core/store/ScheduleRecords.h"

#include <QString>

struct TimetableTitle {
    QString school;
    int year = 0; // first calendar year of the school year; 0: not set
    int term = 0; // 1 or 2; 0: not set

    TimetableTitle() = default;
    // A bare school name, as every caller had before the term was kept.
    TimetableTitle(const QString& schoolName) : school(schoolName) {}
    TimetableTitle(const char* schoolName) : school(QString::fromUtf8(schoolName)) {}
    TimetableTitle(const QString& schoolName, int schoolYear, int schoolTerm)
        : school(schoolName), year(schoolYear), term(schoolTerm) {}

    bool hasTerm() const { return year > 0 && (term == 1 || term == 2); }
    // "2025—2026学年度第一学期"; empty when the year or the term is not set.
    QString termText() const;
    // A class's or teacher's page or block: "阳光小学 2025—2026学年度第一学期     一（1）班".
    QString ofGroup(const QString& name) const;
    // The whole-school table. Without the term it keeps the blanks to fill in
    // by hand, as it always had.
    QString ofTotal() const;
};

// The title as kbxt.ini sets it: school name, school year and term.
TimetableTitle CurrentTimetableTitle();

// The file name a printed or exported timetable is offered under, from what it
// holds: "一（1）班课表", "张老师课表", "全校班级课表", "全校教师课表",
// "全校总课表", with the suffix given (".pdf", ".xlsx"). Characters file
// systems refuse become "_".
QString OfferedFileName(ScheduleKind kind, const QString& name, const QString& suffix);
