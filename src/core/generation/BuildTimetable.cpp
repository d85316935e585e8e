#include "core/generation/BuildTimetable.h"

#include "core/generation/BuildFailure.h"
#include "core/generation/LessonPlacement.h"
#include "core/generation/PlanQueue.h"
#include "core/model/Failure.h"
#include "core/rules/PlanFaults.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The plan's weekly lessons; refuses a plan of nothing and a total no counter
// here can hold.
long long plannedLessons(const School& s) {
    long long planned = 0;
    bool anyCount = false;
    for (const PlanRow& r : s.plan) {
        anyCount = anyCount || r.count.has_value();
        planned += r.weeklyLessons();
        if (r.weeklyLessons() > std::numeric_limits<int>::max() ||
            planned > std::numeric_limits<int>::max())
            throw Failure(QStringLiteral("教学计划的课时数大得不合理，数据已损坏"), {},
                          QStringLiteral("请检查教学计划中每一行的课时数。"));
    }
    if (!anyCount || planned == 0)
        throw Failure(QStringLiteral("教学计划中没有要排的课"), {},
                      QStringLiteral("请先在“基础数据 → 各班教学计划”中录入各班的课程和节数。"));
    return planned;
}

QString lessonsKey(const QString& cls, const QString& course, const QString& teacher) {
    return cls + QChar(0x1f) + course + QChar(0x1f) + teacher;
}

// The rows (of one class, course and teacher) plan double lessons.
bool hasDoubles(const School& s, const std::vector<size_t>& rows) {
    long long weekly = 0, doubles = 0;
    for (size_t i : rows) {
        weekly += s.plan[i].weeklyLessons();
        doubles = std::max(doubles, s.plan[i].doubles);
    }
    return doubles > 0 && weekly >= 2;
}

} // namespace

void ResetGeneratedLessons(School& s) {
    s.timetable.removeIf([](const Lesson& l) {
        return l.origin != Origin::Preset && l.origin != Origin::Unrecorded;
    });
    // Each pre-set lesson counts once for every plan row of its class, course
    // and teacher; a lesson that matches no row counts nowhere.
    QHash<QString, long long> preset;
    for (const Lesson& l : s.timetable.lessons())
        if (l.origin == Origin::Preset && !l.classCode.isEmpty() && !l.courseCode.isEmpty() &&
            !l.teacherCode.isEmpty())
            ++preset[lessonsKey(l.classCode, l.courseCode, l.teacherCode)];
    for (PlanRow& r : s.plan) {
        r.autoBuilt = false;
        r.buildCount =
            r.isComplete() ? preset.value(lessonsKey(r.classCode, r.courseCode, r.teacherCode)) : 0;
    }
}

QString PickNextCourse(const School& s, QString& teacherCode) {
    return PlanQueue(s.plan).nextCourse(teacherCode);
}

QString PickNextClass(const School& s, const QString& courseCode, QString& teacherCode) {
    const auto row = PlanQueue(s.plan).nextRow(courseCode, teacherCode);
    if (!row)
        return {};
    teacherCode = s.plan[*row].teacherCode;
    return s.plan[*row].classCode;
}

int CompletionRate(const School& s) {
    const long long planned = plannedLessons(s);
    long long placed = 0;
    for (const PlanRow& r : s.plan)
        placed += r.buildCount;
    const double rate = double(placed) * 100.0 / double(planned);
    // Halves go to the even neighbour: 12.5 gives 12, 13.5 gives 14.
    double whole = std::floor(rate);
    const double rest = rate - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < -32768.0 || whole > 32767.0)
        throw Failure(QStringLiteral("已排课时数大得不合理，数据已损坏"), {},
                      QStringLiteral("请重新生成课表。"));
    return static_cast<int>(whole);
}

int CompletionRate(TimetableDb& db) {
    try {
        return CompletionRate(LoadSchool(db, Week()));
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryCompletionRate(TimetableDb& db, int* rate, QString* why) {
    return TryOrSay(why, [&] {
        const int r = CompletionRate(db);
        if (rate)
            *rate = r;
    });
}

void RefuseUnrunnable(const School& s, const std::function<QString(char, const QString&)>& nameOf) {
    const QStringList why = rules::unrunnableReasons(s, nameOf);
    if (why.isEmpty())
        return;
    QString reason = why.first();
    if (why.size() > 1)
        reason += QStringLiteral("（另有 %1 处）").arg(why.size() - 1);
    throw UnrunnableSchool(
        reason, {},
        QStringLiteral("请先改正教学计划中的节数，或删去课表外的课（检查课表列出全部）。"));
}

int GenerateTimetable(School& s, const std::function<void()>& processEvents) {
    auto yield = [&] {
        if (processEvents)
            processEvents();
    };
    plannedLessons(s); // an empty or damaged plan is refused before anything changes
    RefuseUnrunnable(s);
    ResetGeneratedLessons(s);

    // Rows of one class, course and teacher are placed and finished together;
    // the teacher's weekly lessons set the daily cap.
    QHash<QString, std::vector<size_t>> rowsOfLessons;
    QHash<QString, long long> teacherLessons;
    for (size_t i = 0; i < s.plan.size(); ++i) {
        const PlanRow& r = s.plan[i];
        rowsOfLessons[lessonsKey(r.classCode, r.courseCode, r.teacherCode)].push_back(i);
        // A further class of a joint row shares the first class's lessons.
        if (!r.teacherCode.isEmpty() &&
            !s.joints.isFurther(r.classCode, r.courseCode, r.teacherCode))
            teacherLessons[r.teacherCode] += r.weeklyLessons();
    }

    PlanQueue queue(s.plan);
    QString teacherCode;
    for (;;) {
        yield();
        const QString courseCode = queue.nextCourse(teacherCode);
        if (courseCode.isEmpty())
            break;
        for (;;) {
            yield();
            const auto row = queue.nextRow(courseCode, teacherCode);
            if (!row)
                break;
            const PlanRow& r = s.plan[*row];
            teacherCode = r.teacherCode;
            const std::vector<size_t>& rows =
                rowsOfLessons[lessonsKey(r.classCode, courseCode, teacherCode)];
            // A lesson that found no room stays unplaced and shows in the rate.
            // Joint rows and rows with double lessons are left to completion,
            // which places a lesson in all its classes at once and a double
            // lesson as one block.
            if (!s.joints.rowOf(r.classCode, courseCode, teacherCode) && !hasDoubles(s, rows))
                (void)PlacePlanRow(s, rows, teacherLessons.value(teacherCode));
            // Whatever happened, the row picked and its twins are never offered again.
            for (size_t i : rows)
                queue.finish(i);
            queue.finish(*row);
        }
    }
    // Rows without a class, a course or a teacher were skipped; the run is
    // done with them too.
    for (PlanRow& r : s.plan)
        r.autoBuilt = true;
    return CompletionRate(s);
}

int BuildTimetable(TimetableDb& db, Week week, const std::function<void()>& processEvents) {
    std::optional<int> rate;
    try {
        School school = LoadSchool(db, week);
        RefuseUnrunnable(school, NameLookup(db));
        rate = GenerateTimetable(school, processEvents);
        SaveGeneratedTimetable(db, school);
    } catch (const UnrunnableSchool&) {
        throw; // the data's own fault, named; nothing was written
    } catch (const std::exception&) {
        rate.reset();
    }
    // The user is told the cause as the file shows it now, after the rollback.
    if (!rate)
        throw ExplainBuildFailure(db);
    return *rate;
}

bool tryBuildTimetable(TimetableDb& db, Week week, int* rate, QString* why,
                       const std::function<void()>& processEvents) {
    return TryOrSay(why, [&] {
        const int r = BuildTimetable(db, week, processEvents);
        if (rate)
            *rate = r;
    });
}

QString DoublesLeftText(int missing) {
    if (missing <= 0)
        return {};
    return QStringLiteral("有连堂的教学计划留给自动补排：其中 %1 节请用“自动补排”排入")
        .arg(missing);
}

QString CompletionRateText(int rate, int missing) {
    if (missing <= 0)
        return QStringLiteral("课表完成率统计:  %1％").arg(rate);
    return QStringLiteral("课表完成率统计:  %1％，未排 %2 节").arg(std::min(rate, 99)).arg(missing);
}
