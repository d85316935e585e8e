#pragma once
// Why lessons stay unplaced, by root cause rather than by period: `check`,
// `complete` and the adjustment window (手工调整课表) show one line per cause
// with the number of lessons it keeps out, and for each cause one change
// that lets more of them in.
//
// A plan row's missing lessons get the first cause that holds, in this order:
//  0. Placeable: the rules accept a lesson of the row somewhere now (nothing
//     keeps it out: completion or the hand placing can put it there);
//  1. ExclusiveCourse: a course with a room is planned for more lessons than
//     its capacity times the periods open to it ("不排" of the course aside);
//  2. Teacher:   a teacher is planned for more lessons than their open periods;
//  3. Class:     a class likewise;
//  4. DailyShare: the row's count is more than its daily share times the
//     days on which any period is open to it;
//  5. Fixed:     with only the lessons completion may not move (pre-set ones)
//     in the week, fewer periods accept the row's lessons than it has;
//  6. Crowded:   room exists in the week of fixed lessons, but the class's
//     free periods are taken by the teacher's other lessons (or the exclusive
//     course's, or the row's daily share). After completion this means that
//     moving lessons did not make room; before it, 自动补排 may still.
// Causes 1–3 group the rows of the course, teacher or class; the others are
// per row.
//
// Each cause's change is tried on a copy of the school in memory before it is
// offered: opening a named "不排" period of the course, teacher or class,
// moving a pre-set lesson, taking the exclusive mark off a course (or one
// class more for a larger room), raising the course's daily maximum, or
// giving the row's missing lessons to a second teacher. It counts as verified when,
// after the change, the rules (reasonsAgainst) accept a lesson of the cause at
// more (row, period) pairs than before — in the timetable as it is, or in the
// week that holds only the lessons completion may not move.
//
// Use: rootCauses(school, nameOf) on the school as loaded (LoadSchool, or
// UnplacedCauses in store/TimetableCheckStore.h for a database); show each
// cause's line and, when not empty, its change (causeLines does both).
#include "core/model/School.h"
#include "core/rules/WhyUnplaced.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace rules {

enum class CauseKind { ExclusiveCourse, Teacher, Class, DailyShare, Fixed, Crowded, Placeable };

struct RootCause {
    CauseKind kind;
    QString code;   // the course (ExclusiveCourse), teacher (Teacher) or class
    QString course; // DailyShare, Fixed, Crowded: the row's course and teacher
    QString teacher;
    int lessons = 0; // unplaced lessons with this cause
    // "信息技术：68 节排不下——专用课程每周只有 28 个可用时间，计划 96 节"
    QString line;
    // "取消老师 王芳 星期三第5节的“不排”"; empty when no single change tried
    // on the copy let more lessons in, and for Placeable.
    QString change;
    // Changes were tried for the cause; false when the time for trying ran
    // out first (a very large school with many causes) or for Placeable.
    bool changeTried = false;
};

// The causes, most lessons first. Empty when nothing of the plan is missing.
std::vector<RootCause> rootCauses(const School& school, const NameOf& nameOf = {});

// The lines to print: a heading, then each cause's line and its change.
QStringList causeLines(const std::vector<RootCause>& causes);

// "星期三第5节"
QString periodText(Period period);

} // namespace rules
