#include "core/store/PlanCheckStore.h"

#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/SchoolStore.h"
#include "core/store/Sql.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimetableDb.h"

#include <algorithm>

PlanCheckInput ReadPlanCheckInput(TimetableDb& db, int lessonsPerDay) {
    SQLite::Database& d = db.sql();
    PlanCheckInput in;
    in.lessonsPerDay = lessonsPerDay;
    in.morningLessons = ReadMiddayBreak(d).morningLessons;
    {
        SQLite::Statement st(d, "select ClassCode,CourseCode,TeacherCode,Count from ClassPlantb "
                                "order by rowid");
        while (st.executeStep())
            in.rows.push_back({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                               sql::text(st.getColumn(2)), st.getColumn(3).getInt(), 0});
    }
    // Equal rows share their double lessons; a row holds no more than half
    // its lessons as double lessons, and a joint row (合班) none.
    const QHash<QString, long long> doubles = ReadPlanDoubles(d);
    const JointClasses joints = LoadJoints(db);
    for (auto& r : in.rows) {
        r.joinsAnother = joints.isFurther(r.classCode, r.courseCode, r.teacherCode);
        r.doubles =
            joints.rowOf(r.classCode, r.courseCode, r.teacherCode)
                ? 0
                : int(std::clamp<long long>(
                      doubles.value(PlanDoubleKey(r.classCode, r.courseCode, r.teacherCode)), 0,
                      std::max(0, r.count) / 2));
    }
    QHash<QString, QSet<int>> groupNever;
    {
        SQLite::Statement st(d, "select Kind,Code,Day,LessonNo from Limittb where Attr=3 and "
                                "Kind in (0,1,2,4) and Day between 1 and 5 and LessonNo between 1 "
                                "and ? order by rowid");
        st.bind(1, lessonsPerDay);
        while (st.executeStep()) {
            const int kind = st.getColumn(0).getInt();
            const int period =
                (st.getColumn(2).getInt() - 1) * lessonsPerDay + st.getColumn(3).getInt() - 1;
            auto& owner = kind == 0   ? in.classNever
                          : kind == 1 ? in.courseNever
                          : kind == 2 ? in.teacherNever
                                      : groupNever;
            owner[sql::text(st.getColumn(1))].insert(period);
        }
    }
    // A group's meeting closes its periods to each of its teachers.
    const TeacherRules teachers = ReadTeacherRules(d);
    for (auto it = teachers.all().constBegin(); it != teachers.all().constEnd(); ++it) {
        if (it.value().maxPerDay > 0)
            in.teacherMaxPerDay.insert(it.key(), it.value().maxPerDay);
        if (const auto g = groupNever.constFind(it.value().groupCode); g != groupNever.constEnd())
            in.teacherNever[it.key()].unite(g.value());
    }
    in.courseRules = ReadCourseRules(d);
    auto names = [&](const char* q, QHash<QString, QString>& out) {
        SQLite::Statement st(d, q);
        while (st.executeStep()) {
            const QString code = sql::text(st.getColumn(0));
            if (!out.contains(code)) // the first of two equal codes, as the lookups
                out.insert(code, sql::text(st.getColumn(1)));
        }
    };
    names("select Code,Name from Classtb order by rowid", in.classNames);
    names("select Code,Name from Coursetb order by rowid", in.courseNames);
    names("select Code,Name from Teachertb order by rowid", in.teacherNames);
    return in;
}
