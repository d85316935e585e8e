#include "output/PrintQueries.h"

#include "db/Lookups.h"
#include "db/Sql.h"
#include "db/TimetableDb.h"

namespace {

// Two lessons in one period keep the order in which they were entered.
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
    "select C.ShortName as Name, B.ShortName as CourseName, D.Name as ClassShortName, A.Day, "
    "A.LessonNo from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = D.Code "
    "order by A.ClassCode, A.LessonNo, A.Day, A.rowid";

template <class... A>
std::vector<PrintRecord> Query(TimetableDb& db, const char* statement, const A&... args) {
    SQLite::Statement st(db.sql(), statement);
    sql::bind(st, args...);
    std::vector<PrintRecord> records;
    while (st.executeStep()) {
        PrintRecord r;
        r.name = sql::text(st.getColumn("Name"));
        r.courseName = sql::text(st.getColumn("CourseName"));
        r.classShortName = sql::text(st.getColumn("ClassShortName"));
        r.day = st.getColumn("Day").getInt();
        r.lessonNo = st.getColumn("LessonNo").getInt();
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace

std::vector<PrintRecord> QueryClassPrintRecords(TimetableDb& db, const QString& className) {
    const QString classCode = GetClassCode(db, className);
    return Query(db, kClassQuery, className, classCode);
}

std::vector<PrintRecord> QueryAllClassesPrintRecords(TimetableDb& db) {
    return Query(db, kAllClassesQuery);
}

std::vector<PrintRecord> QueryTeacherPrintRecords(TimetableDb& db, const QString& teacherName) {
    const QString teacherCode = GetTeacherCode(db, teacherName);
    return Query(db, kTeacherQuery, teacherName, teacherCode);
}

std::vector<PrintRecord> QueryAllTeachersPrintRecords(TimetableDb& db) {
    return Query(db, kAllTeachersQuery);
}

std::vector<PrintRecord> QueryTotalPrintRecords(TimetableDb& db) {
    return Query(db, kTotalQuery);
}

std::vector<PrintRecord> QueryPrintRecords(TimetableDb& db, PrintKind kind, const QString& name) {
    switch (kind) {
    case PrintKind::Class:
        return QueryClassPrintRecords(db, name);
    case PrintKind::AllClasses:
        return QueryAllClassesPrintRecords(db);
    case PrintKind::Teacher:
        return QueryTeacherPrintRecords(db, name);
    case PrintKind::AllTeachers:
        return QueryAllTeachersPrintRecords(db);
    case PrintKind::Total:
        break;
    }
    return QueryTotalPrintRecords(db);
}

int WritePrintDocument(PrintKind kind, const QString& path, const std::vector<PrintRecord>& records,
                       int lessonsPerDay, const QString& schoolName) {
    return kind == PrintKind::Total ? WriteTotalXml(path, records, lessonsPerDay, schoolName)
                                    : WriteScheduleXml(path, records, lessonsPerDay, schoolName);
}

QString PrintTemplateFileName(PrintKind kind, int lessonsPerDay) {
    const QString n = QString::number(lessonsPerDay);
    switch (kind) {
    case PrintKind::Class:
    case PrintKind::AllClasses:
        return "ClassSchd" + n + ".xml";
    case PrintKind::Teacher:
    case PrintKind::AllTeachers:
        return "TeacherSchd" + n + ".xml";
    case PrintKind::Total:
        break;
    }
    return "TotalSchd" + n + "A3.xml";
}
