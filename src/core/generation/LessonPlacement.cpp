#include "core/generation/LessonPlacement.h"

#include "core/generation/BuildRandom.h"
#include "core/generation/BuildSession.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kDays = 5;

int intPart(double x) {
    return static_cast<int>(std::floor(x));
}

// The lesson numbers of one limit level at which the class is still free, in
// the order they are checked.
std::vector<int> gatherLessons(BuildSession& s, const QString& classCode, const QString& courseCode,
                               int day, int level) {
    std::vector<int> lessons;
    const auto& cells = s.courseLimits(courseCode, day);
    if (level == 0 || level == 2) {
        // The cells are chosen by "LessonNo not in (the class's lessons of the
        // day)", which no cell passes once one of those lessons has a Null
        // LessonNo.
        if (s.classHasNullLesson(classCode, day))
            return lessons;
        // The cells of that level, as stored. Cells beyond the school day (left
        // over from a 7-lesson week) are skipped: a lesson there would be
        // invisible and deleted at the next start.
        for (const auto& c : cells)
            if (c.isLevel(level) && c.lessonNo >= 1 && c.lessonNo <= s.lessonsPerDay() &&
                !s.classBusy(classCode, day, c.lessonNo))
                lessons.push_back(c.lessonNo);
        return lessons;
    }
    // Normal level: every lesson number of the day that carries no other limit.
    for (int n = 1; n <= s.lessonsPerDay(); ++n) {
        bool limited = false;
        for (const auto& c : cells)
            if (c.lessonNo == n && c.notNormal())
                limited = true;
        if (!limited && !s.classBusy(classCode, day, n))
            lessons.push_back(n);
    }
    return lessons;
}

} // namespace

bool TeacherDayFull(BuildSession& s, const QString& teacherCode, double dayPosition,
                    int teacherCap) {
    return s.teacherLessonsOnDay(teacherCode, intPart(dayPosition)) >= teacherCap;
}

bool CourseDayFull(BuildSession& s, const QString& classCode, const QString& courseCode, int day,
                   double frequency) {
    return s.classCourseLessonsOnDay(classCode, courseCode, day) >= intPart(frequency) + 1;
}

int FindLessonInDay(BuildSession& s, const QString& classCode, const QString& courseCode,
                    const QString& teacherCode, int day, double frequency, int level) {
    std::vector<int> qualifying;
    for (int n : gatherLessons(s, classCode, courseCode, day, level)) {
        if (s.teacherBusy(teacherCode, day, n))
            continue;
        if (s.exclusiveTaken(courseCode, day, n))
            continue;
        if (CourseDayFull(s, classCode, courseCode, day, frequency))
            continue;
        qualifying.push_back(n);
    }
    if (qualifying.empty())
        return -1;
    const auto pick = static_cast<std::size_t>(BuildRandom() * double(qualifying.size()));
    return qualifying[pick];
}

int FindDaySlot(BuildSession& s, const QString& classCode, const QString& courseCode,
                const QString& teacherCode, double& dayPosition, double frequency) {
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
        for (int level = 0; level <= 2; ++level) {
            const int lesson =
                FindLessonInDay(s, classCode, courseCode, teacherCode, day, frequency, level);
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
        for (int level = 0; level <= 2; ++level) {
            const int lesson = FindLessonInDay(s, classCode, courseCode, teacherCode,
                                               intPart(dayPosition), frequency, level);
            if (lesson > 0)
                return lesson;
        }
        dayPosition -= 1;
    }
    dayPosition = entry;
    return -1;
}

void build_detail::markPlanRowDone(TimetableDb& db, const QString& classCode,
                                   const QString& courseCode, const QString& teacherCode) {
    sql::exec(db.sql(),
              "update ClassPlantb set IsAutoBuild=1 where ClassCode=? and CourseCode=? and "
              "TeacherCode=?",
              classCode, courseCode, teacherCode);
}

int MarkPlanRowDone(TimetableDb& db, const QString& classCode, const QString& courseCode,
                    const QString& teacherCode) {
    try {
        build_detail::markPlanRowDone(db, classCode, courseCode, teacherCode);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int build_detail::placePlanRow(BuildSession& s, const QString& classCode, const QString& courseCode,
                               const QString& teacherCode) {
    SQLite::Database& d = s.db().sql();
    // The row's own counters: two teachers of one course in one class each keep
    // theirs.
    SQLite::Statement row(d, "select Count,BuildCount from ClassPlantb where ClassCode=? and "
                             "CourseCode=? and TeacherCode=? order by rowid");
    sql::bind(row, classCode, courseCode, teacherCode);
    if (!row.executeStep())
        return -1;
    const int count = row.getColumn(0).getInt();
    int built = row.getColumn(1).getInt();
    row.reset();
    if (count <= 0) {
        // Nothing is planned: finished as it is (and no division by zero below).
        markPlanRowDone(s.db(), classCode, courseCode, teacherCode);
        return 0;
    }
    const double step = double(kDays) / count;
    const long long teacherTotal =
        sql::firstInt(d, 0, "select sum(Count) from ClassPlantb where TeacherCode=?", teacherCode);
    const int teacherCap = static_cast<int>(std::ceil(double(teacherTotal) / kDays));

    if (built < count) {
        double dayPosition = 1.0;
        for (;;) {
            // The cap is tested at the starting day only. Beyond Friday no
            // lessons are counted; stopping there also ends the loop when the
            // teacher's plan adds up to nothing.
            while (dayPosition < kDays + 1 &&
                   TeacherDayFull(s, teacherCode, dayPosition, teacherCap))
                dayPosition = intPart(dayPosition) + 1;
            const int lesson = FindDaySlot(s, classCode, courseCode, teacherCode, dayPosition,
                                           double(count) / kDays);
            if (lesson < 0) {
                markPlanRowDone(s.db(), classCode, courseCode, teacherCode);
                return -1;
            }
            s.insertLesson(classCode, intPart(dayPosition), lesson, courseCode, teacherCode);
            built = built + 1;
            s.writeBuildCount(classCode, courseCode, teacherCode, built);
            if (built == count)
                break;
            dayPosition = dayPosition + step;
        }
    }
    markPlanRowDone(s.db(), classCode, courseCode, teacherCode);
    return 0;
}

int PlacePlanRow(BuildSession& s, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode) {
    try {
        return build_detail::placePlanRow(s, classCode, courseCode, teacherCode);
    } catch (const std::exception&) {
        // A row whose statements fail is still finished with, when possible.
        MarkPlanRowDone(s.db(), classCode, courseCode, teacherCode);
        return -1;
    }
}
