#include "TimetableInvariants.h"

#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

QStringList rowsOf(TimetableDb& db, const char* query, const QString& label) {
    QStringList lines;
    SQLite::Statement st(db.sql(), query);
    while (st.executeStep()) {
        QStringList fields;
        for (int i = 0; i < st.getColumnCount(); ++i)
            fields << sql::text(st.getColumn(i));
        lines << label + QStringLiteral(" ") + fields.join(QStringLiteral(","));
    }
    return lines;
}

} // namespace

QStringList DoubleBookings(TimetableDb& db) {
    return rowsOf(db,
                  "select ClassCode,Day,LessonNo,count(*) from LessonListtb"
                  " group by ClassCode,Day,LessonNo having count(*)>1",
                  QStringLiteral("class double-booked (class,day,lesson,n):")) +
           rowsOf(db,
                  "select TeacherCode,Day,LessonNo,count(*) from LessonListtb"
                  " where TeacherCode<>'' group by TeacherCode,Day,LessonNo having count(*)>1",
                  QStringLiteral("teacher double-booked (teacher,day,lesson,n):"));
}

QStringList CounterMismatches(TimetableDb& db) {
    return rowsOf(db,
                  "select ClassCode,CourseCode,TeacherCode,BuildCount,n from"
                  " (select p.*, (select count(*) from LessonListtb l where"
                  " l.ClassCode=p.ClassCode and l.CourseCode=p.CourseCode and"
                  " l.TeacherCode=p.TeacherCode) as n from ClassPlantb p)"
                  " where BuildCount<>n",
                  QStringLiteral("counter mismatch (class,course,teacher,BuildCount,lessons):"));
}

QStringList TimetableProblems(TimetableDb& db) {
    return DoubleBookings(db) + CounterMismatches(db);
}
