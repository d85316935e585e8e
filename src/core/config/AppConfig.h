#pragma once
// The settings kept in kbxt.ini in the application directory.
#include <QString>
#include <optional>

QString IniFilePath();
// The database in use: FILENAME of section DB, trimmed, whole however long; the
// default kb.db of the application directory when empty.
QString GetDbFileName();
// True when kbxt.ini names a database (FILENAME is not empty).
bool DbFileNameConfigured();
[[nodiscard]] bool WriteDbFileName(const QString& path);
// LESSON_OF_DAY of section LESSON as decimal text; "6" when missing.
QString GetLessonOfDay();
// The lessons per day the program works with: 7 when the setting is 7 or more,
// otherwise 6, so a damaged setting can never make start-up delete lessons.
int LessonsPerDaySetting();
[[nodiscard]] bool WriteLessonOfDay(int lessons);
// LESSON_OF_DAY read strictly: 6 for 6, 7 for 7 and more; nothing when the key
// is missing or is not a whole number of at least 6.
std::optional<int> ReadLessonsPerDay();
// The school's name (section SCHOOL, key NAME); empty when none is set.
QString GetSchoolName();
// Refuses (false) a name with a line break or other control character.
[[nodiscard]] bool WriteSchoolName(const QString& name);
// The school year, as its first calendar year (section SCHOOL, key YEAR, 2000
// to 2099), and the term (key TERM, 1 or 2); 0 when not set or unreadable.
int GetSchoolYear();
int GetSchoolTerm();
// Both at once; a year or term out of range is refused (false). 0 and 0
// clear them.
[[nodiscard]] bool WriteSchoolTerm(int year, int term);
// The folder the last timetable was printed to or exported into (section
// PATH, key OUTPUT); empty when none was yet or it no longer exists.
QString GetOutputFolder();
// Best effort: not remembering the folder is no reason to trouble the user.
void WriteOutputFolder(const QString& folder);
QString MakeSystemTitle(const QString& schoolName);
