#include "core/store/PlanCheckStore.h"

#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/Sql.h"
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
    // its lessons as double lessons.
    const QHash<QString, long long> doubles = ReadPlanDoubles(d);
    for (auto& r : in.rows)
        r.doubles = int(std::clamp<long long>(
            doubles.value(PlanDoubleKey(r.classCode, r.courseCode, r.teacherCode)), 0,
            std::max(0, r.count) / 2));
    {
        SQLite::Statement st(d, "select Kind,Code,Day,LessonNo from Limittb where Attr=3 and "
                                "Kind in (0,1,2) and Day between 1 and 5 and LessonNo between 1 "
                                "and ? order by rowid");
        st.bind(1, lessonsPerDay);
        while (st.executeStep()) {
            const int kind = st.getColumn(0).getInt();
            const int period =
                (st.getColumn(2).getInt() - 1) * lessonsPerDay + st.getColumn(3).getInt() - 1;
            auto& owner = kind == 0 ? in.classNever : kind == 1 ? in.courseNever : in.teacherNever;
            owner[sql::text(st.getColumn(1))].insert(period);
        }
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
