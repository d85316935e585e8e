#include "core/store/ScheduleRecords.h"

#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
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

// The teacher selections also read the codes (columns 5 to 7), so that a
// joint lesson can be shown once.
constexpr const char* kTeacherQuery =
    "select ? as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, A.LessonNo, "
    "A.ClassCode, A.CourseCode, A.TeacherCode "
    "from LessonListtb A, Coursetb B, Classtb C "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = ? "
    "order by A.LessonNo, A.Day, A.rowid";

constexpr const char* kAllTeachersQuery =
    "select D.Name as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, "
    "A.LessonNo, A.ClassCode, A.CourseCode, A.TeacherCode "
    "from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
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
    // 合班 in a teacher's week: the lessons of one joint row at one period are
    // one lesson, shown once with its classes named together.
    const bool teacherWeek = st.getColumnCount() > 5;
    const JointClasses joints = teacherWeek ? LoadJoints(db) : JointClasses{};
    struct Codes {
        QString cls, course, teacher;
    };
    std::vector<Codes> codes;
    while (st.executeStep()) {
        ScheduleRecord r{sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                         sql::text(st.getColumn(2)), st.getColumn(3).getInt(),
                         st.getColumn(4).getInt()};
        if (!teacherWeek || joints.empty()) {
            records.push_back(std::move(r));
            continue;
        }
        const Codes c{sql::text(st.getColumn(5)), sql::text(st.getColumn(6)),
                      sql::text(st.getColumn(7))};
        bool joined = false;
        for (size_t i = records.size(); i-- > 0 && !joined;) {
            const ScheduleRecord& o = records[i];
            if (o.name != r.name || o.day != r.day || o.lessonNo != r.lessonNo)
                break; // the lessons of one period come together in this order
            if (codes[i].course == c.course && codes[i].teacher == c.teacher &&
                joints.together(codes[i].cls, c.cls, c.course, c.teacher)) {
                records[i].secondLine += QStringLiteral("、") + r.secondLine;
                joined = true;
            }
        }
        if (!joined) {
            records.push_back(std::move(r));
            codes.push_back(c);
        }
    }
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
