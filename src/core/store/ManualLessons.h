#pragma once
// Correcting a timetable by hand: swapping and moving lessons of a class,
// placing what generation left unplaced (SetFlag 2) and deleting lessons.
// Every write runs in one transaction: a failure leaves both periods and all
// counters as they were. The writes throw Failure with the reason (a refused
// period, a locked or read-only file); their tryX twins answer false and give
// the reason's text in *why.
#include "core/model/LessonSlots.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class TimetableDb;

// A plan row whose placed lessons differ from its planned count; remain is
// negative for an over-placed row.
struct UnplacedPlanRow {
    QString classCode;
    QString courseCode;
    QString teacherCode;
    int remain = 0;
};

// Plan rows with Count <> BuildCount by class and course. On failure `rows`
// holds what was read and *why (when given) the reason.
[[nodiscard]] bool QueryUnplacedRows(TimetableDb& db, QList<UnplacedPlanRow>& rows,
                                     QString* why = nullptr);

// Fill the class view (course and teacher of each period) or the teacher view
// (class and course). Lessons outside the week's grid are left out. On failure
// the cells hold what was read and *why (when given) the reason.
[[nodiscard]] bool LoadClassSlots(TimetableDb& db, const QString& classCode, LessonSlots& cells,
                                  QString* why = nullptr);
[[nodiscard]] bool LoadTeacherSlots(TimetableDb& db, const QString& teacherCode, LessonSlots& cells,
                                    QString* why = nullptr);

// The periods whose lesson (or emptiness) the class's lesson at `selected` may
// change places with (rules::swapLegal). Throws Failure.
QList<Period> SwappablePeriods(TimetableDb& db, const QString& classCode, const LessonSlots& cells,
                               Period selected);

// Exchanges the lessons of two periods of the class; each period keeps its
// SetFlag, and a move into an empty period inserts a row with SetFlag 2 and
// deletes the old one. On success the two cells are exchanged too. A joint
// lesson (合班) at either period moves as one: the exchange is made in each of
// its classes (JointClassesOfSwap).
//
// Placing and deleting a joint lesson likewise place or delete it in all its
// classes.
// The classes a swap of the class's two periods changes: the class and every
// class of a joint lesson at either period. Throws on a database failure.
QStringList JointClassesOfSwap(TimetableDb& db, const QString& classCode, Period selected,
                               Period target);
void SwapLessons(TimetableDb& db, const QString& classCode, LessonSlots& cells, Period selected,
                 Period target);
[[nodiscard]] bool trySwapLessons(TimetableDb& db, const QString& classCode, LessonSlots& cells,
                                  Period selected, Period target, QString* why = nullptr);

// Moves lessons, by their rows, to new periods at once (a double lesson and
// the lessons it changes places with); each keeps its SetFlag. Refused when a
// lesson is no longer stored.
struct LessonMove {
    long long rowid = 0;
    Period to;
};
void MoveLessons(TimetableDb& db, const std::vector<LessonMove>& moves);

// Places one lesson of the plan row (class, course, teacher) at a period with
// SetFlag 2 and counts it. Refused when the class or the teacher is busy then.
void PlaceLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode, int day, int lessonNo);
[[nodiscard]] bool tryPlaceLesson(TimetableDb& db, const QString& classCode,
                                  const QString& courseCode, const QString& teacherCode, int day,
                                  int lessonNo, QString* why = nullptr);

// Removes the class's lesson at a period whatever its SetFlag; as the
// pre-set window's delete.
void DeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo);
[[nodiscard]] bool tryDeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo,
                                   QString* why = nullptr);
