#pragma once
// One row of the teaching plan: a teacher gives a course to a class, so many
// lessons a week.
#include "core/model/Week.h"

#include <QString>
#include <algorithm>
#include <optional>

// The weekly lessons a plan row may ask for: none up to every period of the
// week. The plan editor, the import and loading a school all hold to it.
constexpr bool lessonCountFits(long long count, Week week) {
    return count >= 0 && count <= week.periodCount();
}
// "节数应是 0 到 30 的整数" for the week.
QString lessonCountRule(Week week);

struct PlanRow {
    long long rowid = 0; // the row's place in the table: generation's tie-break
    QString classCode;
    QString courseCode;
    QString teacherCode;
    std::optional<long long> count; // Count as stored; empty when Null
    long long buildCount = 0;       // lessons of the row in the timetable
    bool autoBuilt = false;         // IsAutoBuild: generation is done with the row
    // Double lessons (连堂) among the weekly lessons: two adjacent periods of
    // one day, not across the midday break. Kept per class, course and
    // teacher (PlanDoubletb), so equal rows share one value.
    long long doubles = 0;

    // Lessons planned a week; a negative or empty Count plans none.
    long long weeklyLessons() const { return count && *count > 0 ? *count : 0; }
    // The double lessons the row can hold: no more than half its lessons.
    long long weeklyDoubles() const {
        return std::clamp<long long>(doubles, 0, weeklyLessons() / 2);
    }
    // Count as the plan editor shows it: empty for Null.
    QString countText() const { return count ? QString::number(*count) : QString(); }
    // Generation can place only a row that names a class, a course and a teacher.
    bool isComplete() const {
        return !classCode.isEmpty() && !courseCode.isEmpty() && !teacherCode.isEmpty();
    }
    bool sameLessons(const QString& cls, const QString& course, const QString& teacher) const {
        return classCode == cls && courseCode == course && teacherCode == teacher;
    }
};
