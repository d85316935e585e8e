#pragma once
// The lessons of one timetable selection as the print and export jobs read them
// from the database: one record type and one set of queries for both.
#include <QString>
#include <vector>

class TimetableDb;

// One lesson. `name` is the group (class name, teacher name, or class short
// name in the whole-school selection); `courseName` is the course short name
// there. `secondLine` is the class short name in teacher selections, the
// teacher name in the whole-school one, and empty for classes. A joint lesson
// (合班) is one record in a teacher's week, its classes' short names joined
// by "、"; the class selections show it in each of its classes.
struct ScheduleRecord {
    QString name;
    QString courseName;
    QString secondLine;
    int day = 0;
    int lessonNo = 0;
};
using ScheduleRecords = std::vector<ScheduleRecord>;

// The five selections of the print and export windows and the command-line tool.
enum class ScheduleKind { Class, AllClasses, Teacher, AllTeachers, Total };

// The lessons of the selection, grouped by consecutive equal name in class- or
// teacher-code order and ordered by LessonNo, Day within a group; two lessons
// in one period keep the order in which they were entered. name is the class
// or teacher shown in the list for ScheduleKind::Class and ScheduleKind::Teacher
// and ignored otherwise; an unknown name yields no records. Throws
// (SQLite::Exception, DatabaseClosed) when the database fails.
ScheduleRecords QueryScheduleRecords(TimetableDb& db, ScheduleKind kind, const QString& name);
