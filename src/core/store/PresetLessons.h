#pragma once
// Fixing lessons of a class before generation: they are stored with SetFlag 0
// and every generation run keeps them. The reads answer false with the reason
// in *why (when given); the writes throw Failure, their tryX twins answer
// false with the reason; a failed write changes nothing.
#include <QList>
#include <QString>
#include <QStringList>

class TimetableDb;

struct PresetLesson {
    int day = 0;
    int lessonNo = 0;
    QString courseCode;
};

// The pre-set lessons of a class. On failure `lessons` holds what was read.
[[nodiscard]] bool LoadPresetLessons(TimetableDb& db, const QString& classCode,
                                     QList<PresetLesson>& lessons, QString* why = nullptr);

// Course codes of the class still to pre-set: first the courses that already
// have pre-set lessons and planned lessons left, then the plan courses with no
// pre-set lesson yet, each group by course code.
[[nodiscard]] bool RemainingPresetCourses(TimetableDb& db, const QString& classCode,
                                          QStringList& courseCodes, QString* why = nullptr);

// Fixes the course at a period of the class. A lesson that generation or the
// user placed there is replaced and its plan row counts one lesson fewer; so is
// a lesson of the same teacher at that period in another class.
// Refused when the course is empty or the class or the teacher already has a
// pre-set lesson at that period.
void WritePresetLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                       const QString& teacherCode, int day, int lessonNo);
[[nodiscard]] bool tryWritePresetLesson(TimetableDb& db, const QString& classCode,
                                        const QString& courseCode, const QString& teacherCode,
                                        int day, int lessonNo, QString* why = nullptr);

// Removes the class's lesson at a period, whatever its SetFlag, and lowers the
// counter of the plan row it belongs to (its own class, course and teacher).
// Succeeds, changing nothing, when the period is empty.
void DeletePresetLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo);
[[nodiscard]] bool tryDeletePresetLesson(TimetableDb& db, const QString& classCode, int day,
                                         int lessonNo, QString* why = nullptr);
