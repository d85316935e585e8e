#pragma once
// Whole-database commands: data maintenance and the academic-year upgrade.
#include <QString>

class TimetableDb;

// Removes rows that refer to classes, courses, teachers or classrooms that no
// longer exist and recounts BuildCount of every plan row. All or nothing:
// throws Failure with nothing changed.
void MaintainData(TimetableDb& db);
// The same; true when done, false with the reason in *why.
[[nodiscard]] bool tryMaintainData(TimetableDb& db, QString* why = nullptr);

// Moves every class up one grade: grade 6 leaves, grades 1..5 take the next
// grade's code and names, the first grade is set up again empty under last
// year's codes and names. All or nothing: throws Failure with nothing changed.
void UpgradeSchoolYear(TimetableDb& db);
// The same; true when done, false with the reason in *why.
[[nodiscard]] bool tryUpgradeSchoolYear(TimetableDb& db, QString* why = nullptr);

// "三（2）班" → "四（2）班"; names not starting with 一..五 are returned unchanged.
QString NextGradeName(const QString& name);
