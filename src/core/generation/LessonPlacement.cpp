#include "core/generation/LessonPlacement.h"

#include "core/generation/BuildRandom.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kDays = Week::kDays;
constexpr LimitLevel kLevels[] = {LimitLevel::Best, LimitLevel::Normal, LimitLevel::Avoid};

int intPart(double x) {
    return static_cast<int>(std::floor(x));
}

void finishRows(School& s, const std::vector<size_t>& rows, const long long* built) {
    for (size_t i : rows) {
        if (built)
            s.plan[i].buildCount = *built;
        s.plan[i].autoBuilt = true;
    }
}

} // namespace

int FindLessonInDay(const School& s, const rules::Placing& p, int day, LimitLevel level) {
    std::vector<int> qualifying;
    for (int n : rules::freeLessonsAtLevel(s, p, day, level))
        if (rules::generationMayUse(s, p, Period{day, n}))
            qualifying.push_back(n);
    if (qualifying.empty())
        return -1;
    const auto pick = static_cast<std::size_t>(BuildRandom() * double(qualifying.size()));
    return qualifying[pick];
}

int FindDaySlot(const School& s, const rules::Placing& p, double& dayPosition) {
    const double entry = dayPosition;
    // Forward: the position's day (or, past the middle of it, half of the time
    // the next day), then the following days up to Friday.
    while (dayPosition < kDays + 1) {
        int day = intPart(dayPosition);
        const double fraction = dayPosition - day;
        if (fraction >= 0.5 && day < kDays && intPart(BuildRandom() * 2) == 1) {
            day = day + 1;
            dayPosition = day;
        }
        for (LimitLevel level : kLevels) {
            const int lesson = FindLessonInDay(s, p, day, level);
            if (lesson > 0)
                return lesson;
        }
        day = day + 1;
        dayPosition = day;
    }
    // Backward: from Friday down to Monday.
    while (dayPosition > 0) {
        dayPosition = intPart(dayPosition);
        while (dayPosition > kDays)
            dayPosition -= 1;
        for (LimitLevel level : kLevels) {
            const int lesson = FindLessonInDay(s, p, intPart(dayPosition), level);
            if (lesson > 0)
                return lesson;
        }
        dayPosition -= 1;
    }
    dayPosition = entry;
    return -1;
}

std::vector<size_t> RowsOfLessons(const School& s, const QString& cls, const QString& course,
                                  const QString& teacher) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < s.plan.size(); ++i)
        if (s.plan[i].sameLessons(cls, course, teacher))
            rows.push_back(i);
    return rows;
}

int PlacePlanRow(School& s, const QString& cls, const QString& course, const QString& teacher) {
    return PlacePlanRow(s, RowsOfLessons(s, cls, course, teacher),
                        rules::teacherWeeklyLessons(s, teacher));
}

int PlacePlanRow(School& s, const std::vector<size_t>& rows, long long teacherLessons) {
    if (rows.empty())
        return -1;
    // The counters of the first row of the class, course and teacher; a second
    // such row is finished with the first.
    const PlanRow& row = s.plan[rows.front()];
    const QString cls = row.classCode, course = row.courseCode, teacher = row.teacherCode;
    const long long count = row.weeklyLessons();
    long long built = row.buildCount;
    if (count <= 0) {
        // Nothing is planned: finished as it is (and no division by zero below).
        finishRows(s, rows, nullptr);
        return 0;
    }
    const rules::Placing p = rules::placingOf(s, cls, course, teacher, count, teacherLessons);
    const double step = double(kDays) / double(count);
    bool placedAny = false;
    int result = 0;
    if (built < count) {
        double dayPosition = 1.0;
        for (;;) {
            // The cap is tested at the starting day only. Beyond Friday no
            // lessons are counted; stopping there also ends the loop when the
            // teacher's plan adds up to nothing.
            while (dayPosition < kDays + 1 && rules::teacherDayFull(s, p, intPart(dayPosition)))
                dayPosition = intPart(dayPosition) + 1;
            const int lesson = FindDaySlot(s, p, dayPosition);
            if (lesson < 0) {
                result = -1;
                break;
            }
            s.timetable.add(Lesson{cls, Period{intPart(dayPosition), lesson}, course, teacher,
                                   Origin::Generated, false});
            built = built + 1;
            placedAny = true;
            if (built == count)
                break;
            dayPosition = dayPosition + step;
        }
    }
    finishRows(s, rows, placedAny ? &built : nullptr);
    return result;
}
