#pragma once
// Shared lookups: windows show names and store codes. Every lookup answers the
// empty text and every predicate false when the statement fails (a closed
// database, a missing table); none of them shows a message.
#include <QString>
#include <QStringList>
#include <functional>

class TimetableDb;

// The names of codes for the rules' messages: kind 'c' class, 'k' course,
// 't' teacher; empty for a code without a name. Holds db by reference.
std::function<QString(char, const QString&)> NameLookup(TimetableDb& db);

QString GetClassName(TimetableDb& db, const QString& classCode);
QString GetClassShortName(TimetableDb& db, const QString& classCode);
QString GetCourseName(TimetableDb& db, const QString& courseCode);
QString GetTeacherName(TimetableDb& db, const QString& teacherCode);
QString GetClassCode(TimetableDb& db, const QString& className);
QString GetCourseCode(TimetableDb& db, const QString& courseName);
QString GetTeacherCode(TimetableDb& db, const QString& teacherName);
QString GetClassRoomCode(TimetableDb& db, const QString& classRoomName);
QString GetPlanTeacher(TimetableDb& db, const QString& classCode, const QString& courseCode);
// The names the rules' sentences use (kind 'c' class, 'k' course, 't' teacher),
// read from db when asked.
std::function<QString(char, const QString&)> NamesOf(TimetableDb& db);

// The names for the class and teacher lists: classes in the order they were
// entered, teachers by code. When the reading fails they hold what was read.
QStringList ClassNameList(TimetableDb& db);
QStringList TeacherNameList(TimetableDb& db);

// True once the timetable holds a lesson beyond the pre-set ones (generated or
// placed by hand). Throws Failure when the database fails.
bool HasTimetable(TimetableDb& db);

// The highest LessonNo in the timetable; 0 when it is empty. Throws Failure
// when it cannot be read.
int HighestLessonNo(TimetableDb& db);

// Deletes the whole timetable and resets the plan counters, in one transaction.
// Throws Failure (nothing changed then).
void DeleteAllLessons(TimetableDb& db);
// The same; true when deleted, false with the reason in *why.
[[nodiscard]] bool tryDeleteAllLessons(TimetableDb& db, QString* why = nullptr);
