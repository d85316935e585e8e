#include "core/store/ScheduleRecords.h"

#include "core/store/Lookups.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

constexpr const char* kClassQuery =
    "select ? as Name, B.Name as CourseName, '' as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B "
    "where A.CourseCode = B.Code and A.ClassCode = ? order by A.LessonNo, A.Day, A.rowid";

constexpr const char* kAllClassesQuery =
    "select C.Name as Name, B.Name as CourseName, '' as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B, Classtb C "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code "
    "order by A.ClassCode, A.LessonNo, A.Day, A.rowid";

constexpr const char* kTeacherQuery =
    "select ? as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B, Classtb C "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = ? "
    "order by A.LessonNo, A.Day, A.rowid";

constexpr const char* kAllTeachersQuery =
    "select D.Name as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, "
    "A.LessonNo from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = D.Code "
    "order by A.TeacherCode, A.LessonNo, A.Day, A.rowid";

constexpr const char* kTotalQuery =
    "select C.ShortName as Name, B.ShortName as CourseName, D.Name as TeacherName, A.Day, "
    "A.LessonNo from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = D.Code "
    "order by A.ClassCode, A.LessonNo, A.Day, A.rowid";

template <class... A>
ScheduleRecords Query(TimetableDb& db, const char* statement, const A&... args) {
    SQLite::Statement st(db.sql(), statement);
    sql::bind(st, args...);
    ScheduleRecords records;
    while (st.executeStep())
        records.push_back({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                           sql::text(st.getColumn(2)), st.getColumn(3).getInt(),
                           st.getColumn(4).getInt()});
    return records;
}

} // namespace

ScheduleRecords QueryScheduleRecords(TimetableDb& db, ScheduleKind kind, const QString& name) {
    switch (kind) {
    case ScheduleKind::Class: {
        // The title shows the stored name, whichever form the caller typed.
        const QString code = GetClassCode(db, name);
        return Query(db, kClassQuery, code.isEmpty() ? name : GetClassName(db, code), code);
    }
    case ScheduleKind::AllClasses:
        return Query(db, kAllClassesQuery);
    case ScheduleKind::Teacher:
        return Query(db, kTeacherQuery, name, GetTeacherCode(db, name));
    case ScheduleKind::AllTeachers:
        return Query(db, kAllTeachersQuery);
    case ScheduleKind::Total:
        break;
    }
    return Query(db, kTotalQuery);
}
