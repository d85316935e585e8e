#pragma once
// The hard rules as a catalogue: each rule is written once and answers both
// questions the program asks of it — "may this lesson go to this period, and
// if not, why" (reasonsAgainst in Placement.h asks every rule) and "which
// lessons of this timetable break it" (breachesOf). Generation, completion,
// hand placing, pre-setting, check and the explanations all ask here.
//
// The rules:
//  - ClassOnce:     a class has at most one lesson in a period;
//  - TeacherOnce:   a teacher has at most one lesson in a period;
//  - NeverPeriod:   no lesson in a "不排" period of its course, teacher, the
//                   teacher's group (教研组) or class;
//  - Exclusive:     a course's room holds at most its 同时上课班数 of classes
//                   at a time (1: the exclusive course of CourseAttrtb);
//  - DailyShare:    on one day a class has at most the course's own
//                   每天最多节数 of the course's lessons, all its rows
//                   together; a course without one leaves each plan row its
//                   share Int(Count/5)+1 (two rows of one course in a class
//                   each keep their own). Either way a double lesson counts
//                   once, for as many double lessons as the row (or the
//                   class's rows of the course) plan; a day over its
//                   share through pre-set lessons alone is a note, not a
//                   fault;
//  - InsideWeek:    every lesson lies inside the week;
//  - InPlan:        every generated or hand-placed lesson belongs to a plan
//                   row, and no row has more lessons than its count;
//  - DoubleLessons: a row with d double lessons (连堂), once it has all its
//                   lessons, has d pairs of adjacent lessons on one day, no
//                   two pairs sharing a lesson and none across the midday
//                   break (School::middayBreak);
//  - TeacherDailyMax: a teacher with a daily maximum gives at most that many
//                   lessons a day, in all classes;
//  - TeacherInRow:  a teacher with a limit in a row gives at most that many
//                   lessons one after another; the midday break ends a row;
//  - JointTogether: the lessons of a joint row (合班, JointClasses.h) stand at
//                   the same periods in all its classes; a lesson in one class
//                   without its partners breaks it.
// The two teacher limits, like DailyShare, are a note only when pre-set
// lessons alone break them. The lessons of one joint row at one period are
// one lesson of their teacher (TeacherOnce, TeacherDailyMax, TeacherInRow)
// and of their room (Exclusive).
#include "core/model/School.h"
#include "core/rules/Placement.h"

#include <QString>
#include <vector>

namespace rules {

enum class Rule {
    ClassOnce,
    TeacherOnce,
    NeverPeriod,
    Exclusive,
    DailyShare,
    InsideWeek,
    InPlan,
    DoubleLessons,
    TeacherDailyMax,
    TeacherInRow,
    JointTogether,
};
inline constexpr Rule kAllRules[] = {
    Rule::ClassOnce,       Rule::TeacherOnce,  Rule::NeverPeriod,   Rule::Exclusive,
    Rule::DailyShare,      Rule::InsideWeek,   Rule::InPlan,        Rule::DoubleLessons,
    Rule::TeacherDailyMax, Rule::TeacherInRow, Rule::JointTogether,
};

// One place where a timetable breaks a rule.
struct Breach {
    Rule rule;
    // The class (ClassOnce, DailyShare, InsideWeek, InPlan, NeverPeriod,
    // DoubleLessons; the joint row's first class for JointTogether), the
    // teacher (TeacherOnce, TeacherDailyMax, TeacherInRow) or the course
    // (Exclusive) concerned.
    QString code;
    // The period; for DailyShare and TeacherDailyMax lessonNo is 0 (the day),
    // for TeacherInRow the first lesson of the row.
    Period period;
    std::vector<Lesson> lessons; // the lessons that break it, in the order stored
    // DailyShare: the share (the course's maximum where it sets one, and the
    // lessons are then all the class's of the course); Exclusive: the room's
    // capacity; InPlan: the row's count, −1 for lessons that no plan row has;
    // DoubleLessons: the double lessons planned; TeacherDailyMax,
    // TeacherInRow: the teacher's limit.
    long long limit = 0;
    // Pre-set lessons alone put the day over its share: reported, not a fault.
    bool noteOnly = false;
};

// Every breach of every rule, rule by rule in the order above, each rule's
// breaches by code (in the database's text order), day and lesson.
std::vector<Breach> breachesOf(const School& school);

// The breaches of one rule only.
std::vector<Breach> breachesOf(const School& school, Rule rule);

// 合班: two lessons that are one lesson of a joint row (same course and
// teacher, both classes in the row), so they may share the teacher and room.
bool sameJointLesson(const School& school, const Lesson& a, const Lesson& b);

// Pairs of adjacent lessons on one day among the lesson numbers set in
// `lessons` (bit n for lesson n), none across the break and no two sharing a
// lesson: as many as can be found.
int doublePairs(unsigned lessons, int lessonsPerDay, MiddayBreak midday);
// The same over the week for the given lessons of one plan row.
int doublePairsOf(const School& school, const std::vector<Lesson>& lessons);
// The double lessons the plan row of the placing still misses: what it plans
// beyond the pairs it has.
long long doublesStillMissing(const School& school, const Placing& p);

// The rule's name for lists and messages ("不排时间", "每天节数").
QString ruleName(Rule rule);

} // namespace rules
