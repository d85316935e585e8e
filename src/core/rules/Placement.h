#pragma once
// The placement rules, each written once, as questions over the school held in
// memory. Generation, the hand-placing and pre-set windows and the checker all
// ask these; none of them repeats a rule of its own.
//
// A lesson may go to a period when
//  - its class has no lesson then,
//  - its teacher has no lesson then, in any class,
//  - the period's level for it is not "不排" (levelAt),
//  - its course's room (同时上课班数) is not full with other classes then,
//  - its class does not already have its daily share of the course that day:
//    the course's own 每天最多节数 for all the class's lessons of the course,
//    else Int(Count/5)+1 for the plan row's lessons.
// Generation also keeps each teacher under a daily cap, tested at the day it
// starts from rather than at each period (see TeacherDayFull's callers).
#include "core/model/School.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace rules {

// A lesson of a plan row about to be placed, with what the rules need to know
// about it resolved once.
struct Placing {
    QString classCode;
    QString courseCode;
    QString teacherCode;
    CodeId cls = kNoCode;
    CodeId course = kNoCode;
    CodeId teacher = kNoCode;
    long long weeklyLessons = 0; // Count of the plan row (0 when there is none)
    bool inPlan = false;         // a complete plan row has this class, course and teacher
    int dailyShare = 1;          // lessons of the course a day the class may have
    // Double lessons (连堂) of the row: each counts once toward the row's
    // daily share, or toward the course's own maximum.
    long long doubles = 0;
    // The share is the course's own maximum and counts every lesson of the
    // course in the class, whichever row it belongs to.
    bool sharePerCourse = false;
    // With sharePerCourse: the double lessons of all the class's rows of the
    // course, which the maximum counts once each, and each row's by teacher
    // (doubleRowsOf), read once here rather than at every period tried.
    long long courseDoubles = 0;
    QHash<QString, long long> courseDoubleRows = {};
    int capacity = 0;   // classes the course's room holds at once; 0: no limit
    int teacherCap = 0; // the teacher's lessons a day, at most
    // The school's own limits of the teacher (0: none) and the teacher's group.
    int teacherMaxPerDay = 0;
    int teacherMaxInRow = 0;
    QString groupCode = {};
    // 合班: the other classes that take this lesson at the same time (every
    // class of its joint row but this one); empty for a lesson of one class.
    QStringList jointClasses = {};
    // The teacher's, the teacher's group's and the class's own limits that
    // raise the course's level:
    // by (day − 1) × 7 + lessonNo − 1, "尽量不排" or "不排" (0: none).
    std::array<std::uint8_t, Week::kDays * Week::kMaxLessonsPerDay> timeOff{};
};

// The lessons of the plan row (class, course, teacher): its weekly count from
// the first such row, the daily share and the teacher's cap from the plan.
// Codes the timetable has not seen yet are added to its indexes.
Placing placingOf(School& school, const QString& classCode, const QString& courseCode,
                  const QString& teacherCode);
// The same for a school that must not change (windows, the checker).
Placing placingOf(const School& school, const QString& classCode, const QString& courseCode,
                  const QString& teacherCode);
// The same with the row's weekly lessons and the teacher's weekly total known.
Placing placingOf(School& school, const QString& classCode, const QString& courseCode,
                  const QString& teacherCode, long long weeklyLessons, long long teacherLessons);

// The double lessons each teacher's row of the class's course plans (equal
// rows share one number, never more than half their lessons); rows without
// any are left out.
QHash<QString, long long> doubleRowsOf(const School& school, const QString& classCode,
                                       const QString& courseCode);
// The double lessons that count once toward the placing's share: the row's,
// or all the class's rows' of the course where the course sets its maximum.
long long shareDoubles(const Placing& p);

// Lessons of a course a class may have on one day: Int(weekly ÷ 5) + 1, so
// 1 to 4 lessons a week allow one a day, 5 to 9 two, 10 to 14 three.
int dailyShareOf(long long weeklyLessons);
// The teacher's daily cap: the weekly lessons of all the teacher's plan rows
// spread over five days, rounded up.
int teacherCapOf(const School& school, const QString& teacherCode);
int teacherCapOf(long long teacherWeeklyLessons);
long long teacherWeeklyLessons(const School& school, const QString& teacherCode);

// The level of the period for the lesson. The course's limits decide first:
// a best cell makes it best, else a period with no cell other than normal is
// normal, else an avoid cell makes it avoid, else (a "不排" cell or a value
// that is no level) never. Cells beyond the day are never used. Then the
// teacher's and the class's cells raise it: "尽量不排" there makes a best or
// normal period avoid, "不排" there makes any period never; their best and
// normal cells change nothing.
LimitLevel levelAt(const School& school, const Placing& p, Period period);
// The lesson numbers of the day at the level at which the class is still free,
// in the order generation draws among them: best and avoid cells in the order
// stored, normal lessons from the first of the day. Best and avoid periods are
// hidden while the class has a lesson without a lesson number that day.
std::vector<int> freeLessonsAtLevel(const School& school, const Placing& p, int day,
                                    LimitLevel level);

bool classBusy(const School& school, const Placing& p, Period period);
bool teacherBusy(const School& school, const Placing& p, Period period);
// The course's room already holds its capacity of lessons at the period.
bool roomFull(const School& school, const Placing& p, Period period);
// The class has its daily share that day: of the course where the course sets
// its maximum, else of the plan row (class, course and teacher).
bool dailyShareReached(const School& school, const Placing& p, int day);
// Generation's own, stricter test: all the class's lessons of the course count
// toward the share.
bool classCourseShareReached(const School& school, const Placing& p, int day);
bool teacherDayFull(const School& school, const Placing& p, int day);
// `adding` more lessons that day (2: a double lesson) would take the teacher
// over the school's daily maximum (any class).
bool teacherDailyMaxReached(const School& school, const Placing& p, int day, int adding = 1);
// The lessons the teacher would give one after another with this lesson at
// the period (and the next `length` − 1, for a double lesson): those periods
// and the teacher's lessons right before and after them on that half of the
// day (the midday break ends a row).
int teacherRowWith(const School& school, const Placing& p, Period period, int length = 1);
// A lesson at the period would make the teacher's row longer than allowed.
bool teacherRowTooLong(const School& school, const Placing& p, Period period, int length = 1);

// What generation checks for a lesson number that is free for the class at
// the level it is trying: teacher, the course's room, daily share and the
// teacher's own daily and in-row limits.
bool generationMayUse(const School& school, const Placing& p, Period period);

// Why a lesson cannot go to a period.
enum class Obstacle {
    OutsideWeek,        // not a period of the week
    ClassBusy,          // the class has a lesson then: other = that lesson
    TeacherBusy,        // the teacher has a lesson then: other = that lesson
    NeverAtPeriod,      // the period's level is "不排"
    HiddenByUnnumbered, // the class has a lesson without lesson number that day
    ExclusiveTaken,     // the course's room is full with other classes then: other = one of them
    DailyShareReached,  // the plan row has its daily share that day
    NotInPlan,          // no plan row has this class, course and teacher
    RowComplete,        // the plan row has all its lessons already
    TeacherDailyMax,    // the teacher has the school's daily maximum that day
    TeacherInRow,       // the teacher would give more lessons in a row than allowed
    NoDoubleHere,       // a double lesson cannot start here: the day or the morning ends
    DoublesMissing,     // the row's last lessons would leave too few double lessons
    TeacherDayCap,      // generation's daily cap for the teacher: not a rule
};
// Every obstacle but generation's teacher cap is a rule (HardRules.h).
bool isRule(Obstacle o);
struct Reason {
    Obstacle obstacle;
    Lesson other; // the lesson in the way, where there is one
    // 合班: the other class of the lesson that the reason is about; empty
    // when it is about the lesson's own class.
    QString jointClass = {};
};
// Every reason why the lesson cannot go to the period; empty when it may.
// Asks each rule of HardRules.h, then tells generation's teacher cap.
std::vector<Reason> reasonsAgainst(const School& school, const Placing& p, Period period);
// Every reason why a double lesson of the row cannot take `first` and the
// period after it; the reasons of both periods, each told once.
std::vector<Reason> reasonsAgainstDouble(const School& school, const Placing& p, Period first);
// The period after `first` when a double lesson may start there: inside the
// day and not across the midday break.
std::optional<Period> doubleSecond(const School& school, Period first);
// A Chinese sentence for a reason, with names where the caller has them
// (nameOf: kind 'c' class, 'k' course, 't' teacher → name; may be empty).
QString describe(const Reason& reason, const Placing& p,
                 const std::function<QString(char, const QString&)>& nameOf = {});

// Hand placing: the class and the teacher are free at the period (any lesson
// counts); pre-setting: neither has a pre-set lesson then.
bool freeForHand(const Timetable& t, const QString& classCode, const QString& teacherCode,
                 Period period);
bool freeForPreset(const Timetable& t, const QString& classCode, const QString& teacherCode,
                   Period period);
// The teacher teaches a class other than classCode at the period. A period
// without a teacher blocks nobody.
bool teachesElsewhere(const Timetable& t, const QString& teacherCode, const QString& classCode,
                      Period period);

// The lesson of the class that a window shows at the period: the last stored
// when there are several; nullptr when there is none.
const Lesson* shownLesson(const Timetable& t, const QString& classCode, Period period);
// Whether the class's lesson at `selected` may change places with the period
// `target`: the target holds another course (or nothing), the selected
// lesson's teacher teaches no other class at the target period and the target
// lesson's teacher no other class at the selected period.
bool swapLegal(const Timetable& t, const QString& classCode, Period selected, Period target);

} // namespace rules
