#include "core/generation/BuildTimetable.h"

#include "core/generation/BuildSession.h"
#include "core/generation/LessonPlacement.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A savepoint works both alone and inside a caller's transaction; on failure
// everything since it started is undone.
class Savepoint {
public:
    explicit Savepoint(SQLite::Database& db) : m_db(db) { m_db.exec("SAVEPOINT kbxt_build"); }
    ~Savepoint() {
        if (m_done)
            return;
        try {
            m_db.exec("ROLLBACK TO kbxt_build");
            m_db.exec("RELEASE kbxt_build");
        } catch (const std::exception&) {
        }
    }
    void release() {
        m_db.exec("RELEASE kbxt_build");
        m_done = true;
    }

private:
    SQLite::Database& m_db;
    bool m_done = false;
};

void resetGeneratedLessons(SQLite::Database& d) {
    d.exec("delete from LessonListtb where SetFlag<>0");
    d.exec("update ClassPlantb set IsAutoBuild=0,BuildCount=0");
    // Each pre-set lesson counts once for every plan row of its class, course
    // and teacher; a lesson that matches no row counts nowhere.
    d.exec("update ClassPlantb set BuildCount=(select count(*) from LessonListtb L where "
           "L.SetFlag=0 and L.ClassCode=ClassPlantb.ClassCode and "
           "L.CourseCode=ClassPlantb.CourseCode and L.TeacherCode=ClassPlantb.TeacherCode)");
}

QString pickNextCourse(SQLite::Database& d, QString& teacherCode) {
    teacherCode.clear();
    {
        SQLite::Statement st(d, "select count(TeacherCode) as ClassCount,TeacherCode from "
                                "(select ClassCode,TeacherCode from ClassPlantb where "
                                "IsAutoBuild=0 group by TeacherCode,ClassCode) "
                                "group by TeacherCode order by TeacherCode");
        long long best = 0;
        while (st.executeStep()) {
            const long long n = st.getColumn(0).getInt64();
            if (n > best) {
                best = n;
                teacherCode = sql::text(st.getColumn(1));
            }
        }
        if (best == 0)
            return {};
    }
    SQLite::Statement st(d, "select count(CourseCode) as ClassCount,CourseCode,"
                            "sum(SumCount) as SumSumCount from "
                            "(select ClassCode,CourseCode,sum(Count) as SumCount from ClassPlantb "
                            "where TeacherCode=? and IsAutoBuild=0 group by CourseCode,ClassCode) "
                            "as Temptb group by CourseCode order by CourseCode");
    sql::bind(st, teacherCode);
    QString course;
    long long bestClasses = 0;
    double bestLessons = 0;
    while (st.executeStep()) {
        const long long classes = st.getColumn(0).getInt64();
        const double lessons = st.getColumn(2).getDouble();
        if (classes > bestClasses) {
            course = sql::text(st.getColumn(1));
            bestClasses = classes;
            bestLessons = lessons;
        } else if (classes == bestClasses && lessons > bestLessons) {
            course = sql::text(st.getColumn(1));
            bestLessons = lessons;
        }
    }
    return course;
}

struct PlanRow {
    long long rowid;
    QString classCode;
    QString teacherCode;
};

std::optional<PlanRow> pickNextPlanRow(SQLite::Database& d, const QString& courseCode,
                                       const QString& teacherCode) {
    auto first = [&](SQLite::Statement& st) -> std::optional<PlanRow> {
        if (!st.executeStep())
            return std::nullopt;
        return PlanRow{st.getColumn(0).getInt64(), sql::text(st.getColumn(1)),
                       sql::text(st.getColumn(2))};
    };
    SQLite::Statement own(d, "select rowid,ClassCode,TeacherCode from ClassPlantb where "
                             "IsAutoBuild=0 and CourseCode=? and TeacherCode=? order by rowid");
    sql::bind(own, courseCode, teacherCode);
    if (auto row = first(own))
        return row;
    SQLite::Statement any(d, "select rowid,ClassCode,TeacherCode from ClassPlantb where "
                             "IsAutoBuild=0 and CourseCode=? order by rowid");
    sql::bind(any, courseCode);
    return first(any);
}

int completionRate(SQLite::Database& d) {
    SQLite::Statement st(d, "select sum(Count) as SumCount,sum(BuildCount) as SumBuildCount "
                            "from ClassPlantb");
    if (!st.executeStep() || st.getColumn(0).isNull() || st.getColumn(1).isNull())
        return -1;
    const long long planned = st.getColumn(0).getInt64();
    const long long placed = st.getColumn(1).getInt64();
    if (planned == 0)
        return -1;
    const double rate = double(placed) * 100.0 / double(planned);
    // Halves go to the even neighbour: 12.5 gives 12, 13.5 gives 14.
    double whole = std::floor(rate);
    const double rest = rate - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < -32768.0 || whole > 32767.0)
        return -1;
    return static_cast<int>(whole);
}

} // namespace

int ResetGeneratedLessons(TimetableDb& db) {
    try {
        Savepoint sp(db.sql());
        resetGeneratedLessons(db.sql());
        sp.release();
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

QString PickNextCourse(TimetableDb& db, QString& teacherCode) {
    try {
        return pickNextCourse(db.sql(), teacherCode);
    } catch (const std::exception&) {
        return {};
    }
}

QString PickNextClass(TimetableDb& db, const QString& courseCode, QString& teacherCode) {
    try {
        auto row = pickNextPlanRow(db.sql(), courseCode, teacherCode);
        if (!row)
            return {};
        teacherCode = row->teacherCode;
        return row->classCode;
    } catch (const std::exception&) {
        return {};
    }
}

int CompletionRate(TimetableDb& db) {
    try {
        return completionRate(db.sql());
    } catch (const std::exception&) {
        return -1;
    }
}

int BuildTimetable(TimetableDb& db, int lessonsPerDay, const std::function<void()>& processEvents) {
    auto yield = [&] {
        if (processEvents)
            processEvents();
    };
    try {
        SQLite::Database& d = db.sql();
        Savepoint sp(d);
        resetGeneratedLessons(d);
        BuildSession session(db, lessonsPerDay);
        SQLite::Statement finish(d, "update ClassPlantb set IsAutoBuild=1 where rowid=?");
        QString teacherCode;
        for (;;) {
            yield();
            const QString courseCode = pickNextCourse(d, teacherCode);
            if (courseCode.isEmpty())
                break;
            for (;;) {
                yield();
                const auto row = pickNextPlanRow(d, courseCode, teacherCode);
                if (!row)
                    break;
                teacherCode = row->teacherCode;
                // A row without a class cannot be placed; it is only finished with.
                if (!row->classCode.isEmpty())
                    build_detail::placePlanRow(session, row->classCode, courseCode, teacherCode);
                // Whatever its codes hold, the row picked is never offered again.
                finish.reset();
                finish.bind(1, static_cast<int64_t>(row->rowid));
                finish.exec();
            }
        }
        const int rate = completionRate(d);
        if (rate < 0)
            return -1; // nothing to keep from a run that reports failure
        sp.release();
        return rate;
    } catch (const std::exception&) {
        return -1;
    }
}

QString CompletionRateText(int rate, int missing) {
    if (missing <= 0)
        return QStringLiteral("课表完成率统计:  %1％").arg(rate);
    return QStringLiteral("课表完成率统计:  %1％，未排 %2 节").arg(std::min(rate, 99)).arg(missing);
}
