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
// The lessons per day the program works with: 7 when the setting is 7 or more,
// otherwise 6, so a damaged setting can never make start-up delete lessons.
int LessonsPerDaySetting();
bool WriteLessonOfDay(int lessons);
// The school's name (section SCHOOL, key NAME); empty when none is set.
QString GetSchoolName();
bool WriteSchoolName(const QString& name);
QString MakeSystemTitle(const QString& schoolName);

// Deletes lessons whose LessonNo lies beyond the lessons per day and recounts
// BuildCount of the plan rows, in one transaction. True on failure.
bool TrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay);
