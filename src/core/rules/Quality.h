#pragma once
// How good a timetable is, beyond the hard rules: the quality measures as a
// catalogue, each written once and counted per class or per teacher. The
// report (课表质量, `kbxt-cli quality`) and the optimisation ask here.
//
// The measures:
//  - ClassHoles:   free periods inside a class's day (between its first and
//                  last lesson), where the class sits without a teacher;
//  - LateStarts:   class days with lessons that leave lesson 1 free;
//  - TeacherGaps:  free periods between a teacher's first and last lesson of
//                  a day;
//  - BestCells:    lessons at a "最佳位置" of their course, teacher or class;
//  - AvoidCells:   lessons at a "尽量不排" period (course, teacher or class);
//  - CourseHeaps:  class days with three or more lessons of one course;
//  - LongRuns:     teacher days with more than four lessons in a row;
//  - CourseSpread: days a class's course misses that its lessons could have
//                  covered (five lessons of 数学 on four days miss one; the
//                  days the course or class cannot have it do not count);
//  - TeacherSpread: a teacher's lessons above the even share of a day, the
//                  share being the week's lessons over the days open to the
//                  teacher, rounded up (18 lessons on 4 open days: 5 a day;
//                  a day of 6 counts 1). A joint lesson is one lesson here.
// Periods closed by "不排" (of the class for class measures, of the teacher
// for teacher measures) are neither holes nor gaps: nobody could teach then.
//
// Beside the measures the report tells how many of the planned double lessons
// (连堂) and joint lessons (合班) the week keeps; the hard rules hold both,
// so they only fall short in a week edited by hand or not yet complete.
#include "core/model/School.h"
#include "core/rules/Placement.h"
#include "core/rules/WhyUnplaced.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace rules {

enum class Measure {
    ClassHoles,
    LateStarts,
    TeacherGaps,
    BestCells,
    AvoidCells,
    CourseHeaps,
    LongRuns,
    CourseSpread,
    TeacherSpread
};
inline constexpr int kMeasureCount = 9;

// Counts per measure, indexed by Measure.
using Figures = std::array<long long, kMeasureCount>;

inline long long& at(Figures& f, Measure m) {
    return f[static_cast<size_t>(m)];
}
inline long long at(const Figures& f, Measure m) {
    return f[static_cast<size_t>(m)];
}

// The weights of the measures, most important first, in one place. A weight
// says how many "points" one unit of the measure costs; a negative weight is
// a reward. The optimisation lowers the weighted sum; the report ranks the
// worst classes and teachers by it.
namespace weights {
// Children of a primary school stay in their room all day: a free period in
// the middle of the day leaves them without a teacher. Nothing is worse.
inline constexpr long long kClassHole = 100;
// A day that starts late sends the children to school for nothing.
inline constexpr long long kLateStart = 100;
// A teacher waiting between lessons loses time, but an adult can use it.
inline constexpr long long kTeacherGap = 10;
// The school asked for this period to be avoided.
inline constexpr long long kAvoidCell = 6;
// Three lessons of one subject on one day tire the children and leave other
// days without it.
inline constexpr long long kCourseHeap = 4;
// More than four lessons in a row wear a teacher out: worse than a wait. At
// less than a gap the search closed gaps by making such days (on the
// benchmark's largest school, 8 days became 25).
inline constexpr long long kLongRun = 12;
// A course met every day is learnt better than one heaped on fewer days;
// weighed as much as a preferred period, so that the search gives up neither
// for the other (on the benchmark both improve).
inline constexpr long long kCourseSpread = 2;
// A teacher with six lessons on Monday and two on Friday tires on one day and
// waits on the other; weighed as the course's spread and a preferred period:
// at half that the search sold it for preferred periods and left teachers'
// weeks less even than before (on the benchmark); at this weight both gain.
inline constexpr long long kTeacherSpread = 2;
// The school's preferred periods, a reward, smaller than any fault but the
// spreads (which it equals) so that it buys none of the others.
inline constexpr long long kBestCell = -2;
} // namespace weights

long long weightOf(Measure m);
// The weighted sum: lower is better.
long long penaltyOf(const Figures& f);

// The measure's name for reports ("班级空堂").
QString measureName(Measure m);
// Its unit ("节", "天").
QString measureUnit(Measure m);

struct ObjectQuality {
    QString code;
    Figures figures{};
    long long penalty = 0;
};

// The double and joint lessons planned and kept, for the whole school.
struct Kept {
    long long doublesPlanned = 0; // double lessons of the plan rows
    long long doublesLaid = 0;    // of those, laid as two adjacent lessons
    long long jointPlanned = 0;   // lessons of the joint rows (one per period)
    long long jointTogether = 0;  // periods where all the row's classes have it
};

struct QualityReport {
    Figures school{};
    Kept kept{};
    std::vector<ObjectQuality> classes;  // in the order the classes first appear
    std::vector<ObjectQuality> teachers; // likewise

    // The worst n objects (highest penalty first; ties by code), only those
    // with something to mend.
    static std::vector<ObjectQuality> worst(const std::vector<ObjectQuality>& objects, size_t n);

    // One line per measure, the double and joint lessons kept (where the
    // plan has any), then the worst five classes and teachers.
    QStringList lines(const NameOf& nameOf = {}) const;
    // "连堂：排成 10 个，计划 12 个", "合班：同时上课 8 节，计划 8 节"; only for
    // what the plan has.
    QStringList keptLines() const;
};

// The measures of one day, shared by the report and the optimisation so that
// both count alike. Bit n of a mask is lesson n of the day.
using DayMask = std::uint32_t;
// Free periods between the first and the last busy one that are not closed.
long long freeInside(DayMask busy, DayMask closed);
// Busy, lesson 1 free and not closed.
bool startsLate(DayMask busy, DayMask closed);
int longestRun(DayMask busy);
// The weighted measures of a class day (holes, late start, a course three
// times: heaped) and of a teacher day (gaps, a run over four).
long long classDayPenalty(DayMask busy, DayMask closed, bool heaped);
long long teacherDayPenalty(DayMask busy, DayMask closed);
// A teacher's lessons above the even share of a day (Measure::TeacherSpread),
// from the week's busy and closed periods by day (index 1 to 5). A day closed
// in all its lessonsPerDay periods is not open; a teacher without open days
// has no share to keep.
long long teacherSpreadOf(const std::array<DayMask, Week::kDays + 1>& busy,
                          const std::array<DayMask, Week::kDays + 1>& closed, int lessonsPerDay);
// The periods of the day that "不排" closes for the placing's class (course
// and teacher empty) or teacher (class and course empty).
DayMask closedOn(const School& school, const Placing& p, int day, int lessonsPerDay);
// A lesson at a "最佳位置" of its course, teacher or class, unless the period
// is to be avoided; and at a "尽量不排" period.
bool atBest(const School& school, const Placing& p, Period q);
bool atAvoid(const School& school, const Placing& p, Period q);
// The days a class's course should cover: its lessons in the week, at most
// the days on which some period is open to the course and the class.
int spreadDays(const School& school, const QString& classCode, const QString& courseCode,
               long long lessons);
// The weighted best and avoid measures of a lesson at a period.
long long lessonPenalty(const School& school, const Placing& p, Period q);

// What moving lessons by hand does to the quality, in a few words for a status
// line: "本班空堂 +1，老师 王芳 空堂 -1，尽量不排 -1"; "课表质量不变" when nothing
// changes. moves: (index into the timetable's lessons, new period).
QString qualityEffect(const School& school, const std::vector<std::pair<size_t, Period>>& moves,
                      const NameOf& nameOf = {});

// Measures every lesson inside the week.
QualityReport qualityOf(const School& school);

} // namespace rules
