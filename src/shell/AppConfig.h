#pragma once
// The settings kept in kbxt.ini in the application directory.
#include <QString>

class TimetableDb;

QString IniFilePath();
// The database in use: FILENAME of section DB, trimmed; the default kb.db of the
// application directory when empty.
QString GetDbFileName();
bool WriteDbFileName(const QString& path);
// LESSON_OF_DAY of section LESSON as decimal text; "6" when missing.
QString GetLessonOfDay();
bool WriteLessonOfDay(int lessons);
// The school's name (section SCHOOL, key NAME); empty when none is set.
QString GetSchoolName();
bool WriteSchoolName(const QString& name);
QString MakeSystemTitle(const QString& schoolName);

// Deletes lessons whose LessonNo lies beyond the lessons per day. True on failure.
bool TrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay);
