#include "core/store/DoubleLessons.h"

#include "core/model/Failure.h"
#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

constexpr const char* kMorningSetting = "MorningLessons";

bool hasTable(SQLite::Database& d, const char* table) {
    return sql::hasRow(d, "select name from sqlite_master where type='table' and name=?", table);
}

} // namespace

QString PlanDoubleKey(const QString& classCode, const QString& courseCode,
                      const QString& teacherCode) {
    return classCode + QChar(0x1f) + courseCode + QChar(0x1f) + teacherCode;
}

QHash<QString, long long> ReadPlanDoubles(SQLite::Database& d) {
    QHash<QString, long long> doubles;
    if (!hasTable(d, "PlanDoubletb"))
        return doubles;
    SQLite::Statement st(
        d, "select ClassCode,CourseCode,TeacherCode,DoubleCount from PlanDoubletb order by rowid");
    while (st.executeStep()) {
        if (st.getColumn(3).getType() != SQLite::INTEGER)
            continue; // damaged: no double lessons
        const long long n = st.getColumn(3).getInt64();
        if (n > 0)
            doubles.insert(PlanDoubleKey(sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                                         sql::text(st.getColumn(2))),
                           n);
    }
    return doubles;
}

long long ReadPlanDoubles(TimetableDb& db, const QString& classCode, const QString& courseCode,
                          const QString& teacherCode) {
    return ReadPlanDoubles(db.sql()).value(PlanDoubleKey(classCode, courseCode, teacherCode));
}

void WritePlanDoubles(TimetableDb& db, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, long long doubles) {
    SQLite::Database& d = db.sql();
    if (doubles <= 0 && !hasTable(d, "PlanDoubletb"))
        return; // nothing to take away, and no reason to add a table
    Savepoint sp(d);
    d.exec("CREATE TABLE IF NOT EXISTS PlanDoubletb (ClassCode TEXT, CourseCode TEXT, "
           "TeacherCode TEXT, DoubleCount INTEGER)");
    sql::exec(d, "delete from PlanDoubletb where ClassCode=? and CourseCode=? and TeacherCode=?",
              classCode, courseCode, teacherCode);
    if (doubles > 0)
        sql::exec(d,
                  "insert into PlanDoubletb (ClassCode,CourseCode,TeacherCode,DoubleCount) "
                  "values (?,?,?,?)",
                  classCode, courseCode, teacherCode, doubles);
    sp.release();
}

void MovePlanDoubles(TimetableDb& db, const QString& classCode, const QString& oldCourseCode,
                     const QString& oldTeacherCode, const QString& newCourseCode,
                     const QString& newTeacherCode) {
    SQLite::Database& d = db.sql();
    if (!hasTable(d, "PlanDoubletb"))
        return;
    sql::exec(d,
              "update PlanDoubletb set CourseCode=?, TeacherCode=? where ClassCode=? and "
              "CourseCode=? and TeacherCode=?",
              newCourseCode, newTeacherCode, classCode, oldCourseCode, oldTeacherCode);
}

void UpgradePlanDoubles(SQLite::Database& d) {
    if (!hasTable(d, "PlanDoubletb"))
        return;
    d.exec("delete from PlanDoubletb where substr(ClassCode,1,1)='6'");
    d.exec("update PlanDoubletb set ClassCode = (cast(substr(ClassCode,1,1) as integer)+1)"
           " || substr(ClassCode,2) where substr(ClassCode,1,1)>'0'");
}

int MissingDoubleRowLessons(TimetableDb& db) {
    SQLite::Database& d = db.sql();
    if (!hasTable(d, "PlanDoubletb"))
        return 0;
    return int(sql::firstInt(
        d, 0,
        "select coalesce(sum(Count-BuildCount),0) from ClassPlantb P where Count>BuildCount and "
        "exists (select 1 from PlanDoubletb D where D.ClassCode=P.ClassCode and "
        "D.CourseCode=P.CourseCode and D.TeacherCode=P.TeacherCode and D.DoubleCount>0)"));
}

MiddayBreak ReadMiddayBreak(SQLite::Database& d) {
    MiddayBreak midday;
    if (!hasTable(d, "Settingtb"))
        return midday;
    SQLite::Statement st(d, "select Value from Settingtb where Name=? order by rowid desc");
    sql::bind(st, kMorningSetting);
    if (st.executeStep() && st.getColumn(0).getType() == SQLite::INTEGER) {
        const long long n = st.getColumn(0).getInt64();
        if (MiddayBreak::fits(n))
            midday.morningLessons = static_cast<int>(n);
    }
    return midday;
}

MiddayBreak ReadMiddayBreak(TimetableDb& db) {
    return ReadMiddayBreak(db.sql());
}

void WriteMiddayBreak(TimetableDb& db, MiddayBreak midday) {
    if (!MiddayBreak::fits(midday.morningLessons))
        throw Failure(QStringLiteral("上午节数应是 %1 到 %2 的整数")
                          .arg(MiddayBreak::kMinMorning)
                          .arg(MiddayBreak::kMaxMorning));
    SQLite::Database& d = db.sql();
    Savepoint sp(d);
    d.exec("CREATE TABLE IF NOT EXISTS Settingtb (Name TEXT, Value)");
    sql::exec(d, "delete from Settingtb where Name=?", kMorningSetting);
    sql::exec(d, "insert into Settingtb (Name,Value) values (?,?)", kMorningSetting,
              midday.morningLessons);
    sp.release();
}
