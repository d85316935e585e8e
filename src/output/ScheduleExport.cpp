#include "output/ScheduleExport.h"

#include "db/Lookups.h"
#include "db/Sql.h"
#include "db/TimetableDb.h"

namespace {

const char* const kClassQuery =
    "select ? as Name, B.Name as CourseName, '' as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B "
    "where A.CourseCode = B.Code and A.ClassCode = ? order by A.LessonNo, A.Day";
const char* const kAllClassesQuery =
    "select C.Name as Name, B.Name as CourseName, '' as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B, Classtb C "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code "
    "order by A.ClassCode, A.LessonNo, A.Day";
const char* const kTeacherQuery =
    "select ? as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, A.LessonNo "
    "from LessonListtb A, Coursetb B, Classtb C "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = ? "
    "order by A.LessonNo, A.Day";
const char* const kAllTeachersQuery =
    "select D.Name as Name, B.Name as CourseName, C.ShortName as ClassShortName, A.Day, "
    "A.LessonNo from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = D.Code "
    "order by A.TeacherCode, A.LessonNo, A.Day";
const char* const kTotalQuery =
    "select C.ShortName as Name, B.ShortName as CourseName, D.Name as TeacherShortName, A.Day, "
    "A.LessonNo from LessonListtb A, Coursetb B, Classtb C, Teachertb D "
    "where A.CourseCode = B.Code and A.ClassCode = C.Code and A.TeacherCode = D.Code "
    "order by A.ClassCode, A.LessonNo, A.Day";

ScheduleRecords Read(SQLite::Statement& st) {
    ScheduleRecords records;
    while (st.executeStep())
        records.push_back({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                           sql::text(st.getColumn(2)), st.getColumn(3).getInt(),
                           st.getColumn(4).getInt()});
    return records;
}

} // namespace

ScheduleRecords ReadExportRecords(TimetableDb& db, ExportKind kind, const QString& selectedName) {
    switch (kind) {
    case ExportKind::Class: {
        const QString code = GetClassCode(db, selectedName);
        SQLite::Statement st(db.sql(), kClassQuery);
        sql::bind(st, selectedName, code);
        return Read(st);
    }
    case ExportKind::Teacher: {
        const QString code = GetTeacherCode(db, selectedName);
        SQLite::Statement st(db.sql(), kTeacherQuery);
        sql::bind(st, selectedName, code);
        return Read(st);
    }
    case ExportKind::AllClasses: {
        SQLite::Statement st(db.sql(), kAllClassesQuery);
        return Read(st);
    }
    case ExportKind::AllTeachers: {
        SQLite::Statement st(db.sql(), kAllTeachersQuery);
        return Read(st);
    }
    case ExportKind::Total: {
        SQLite::Statement st(db.sql(), kTotalQuery);
        return Read(st);
    }
    }
    return {};
}

short ExportSchedule(TimetableDb& db, ExportKind kind, const QString& selectedName,
                     const QString& fileName, int lessonsPerDay, const QString& schoolName) {
    const ScheduleRecords records = ReadExportRecords(db, kind, selectedName);
    if (records.empty())
        return kExportNoData;
    switch (kind) {
    case ExportKind::Class:
    case ExportKind::AllClasses:
        return WriteClassWorkbook(fileName, records, lessonsPerDay, schoolName);
    case ExportKind::Teacher:
    case ExportKind::AllTeachers:
        return WriteTeacherWorkbook(fileName, records, lessonsPerDay, schoolName);
    case ExportKind::Total:
        return WriteTotalWorkbook(fileName, records, lessonsPerDay, schoolName);
    }
    return kExportFailed;
}
