#include "core/store/JointStore.h"

#include "core/model/Failure.h"
#include "core/store/DoubleLessons.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

constexpr const char* kTable = "PlanJointtb";

QStringList texts(SQLite::Database& d, const char* q, const QString& a, const QString& b,
                  const QString& c) {
    QStringList out;
    if (!d.tableExists(kTable))
        return out;
    SQLite::Statement st(d, q);
    sql::bind(st, a, b, c);
    while (st.executeStep())
        out << sql::text(st.getColumn(0));
    return out;
}

QString classNameOf(SQLite::Database& d, const QString& code) {
    const QString name =
        sql::firstText(d, "select Name from Classtb where Code=? order by rowid", code);
    return name.isEmpty() ? code : name;
}

} // namespace

QStringList ReadJointClasses(TimetableDb& db, const QString& classCode, const QString& courseCode,
                             const QString& teacherCode) {
    return texts(db.sql(),
                 "select OtherClassCode from PlanJointtb where ClassCode=? and CourseCode=? and "
                 "TeacherCode=? order by rowid",
                 classCode, courseCode, teacherCode);
}

QString ReadJointFirstClass(TimetableDb& db, const QString& classCode, const QString& courseCode,
                            const QString& teacherCode) {
    const QStringList first = texts(db.sql(),
                                    "select ClassCode from PlanJointtb where OtherClassCode=? and "
                                    "CourseCode=? and TeacherCode=? order by rowid",
                                    classCode, courseCode, teacherCode);
    return first.isEmpty() ? QString() : first.front();
}

QString JointClassesRefusal(TimetableDb& db, const QString& classCode, const QString& courseCode,
                            const QString& teacherCode, const QStringList& others) {
    SQLite::Database& d = db.sql();
    if (!sql::hasRow(d,
                     "select 1 from ClassPlantb where ClassCode=? and CourseCode=? and "
                     "TeacherCode=?",
                     classCode, courseCode, teacherCode))
        return QStringLiteral("本班的教学计划中没有这门课（这位老师），不能合班");
    if (!ReadJointFirstClass(db, classCode, courseCode, teacherCode).isEmpty())
        return QStringLiteral("本班这门课已随%1合班，请在%1的教学计划中修改")
            .arg(classNameOf(d, ReadJointFirstClass(db, classCode, courseCode, teacherCode)));
    // A joint lesson is one lesson of several classes; a double lesson of
    // several classes is not something the rules know.
    if (!others.isEmpty() && ReadPlanDoubles(db, classCode, courseCode, teacherCode) > 0)
        return QStringLiteral("这门课有连堂，合班的课不能连堂（先把其中连堂清空）");
    QStringList seen;
    for (const QString& other : others) {
        if (!other.isEmpty() && other != classCode &&
            ReadPlanDoubles(db, other, courseCode, teacherCode) > 0)
            return QStringLiteral("%1的这门课有连堂，合班的课不能连堂").arg(classNameOf(d, other));
        if (other == classCode)
            return QStringLiteral("班级不能与自己合班");
        if (seen.contains(other))
            return QStringLiteral("%1 重复出现").arg(classNameOf(d, other));
        seen << other;
        if (!sql::hasRow(d, "select 1 from Classtb where Code=?", other))
            return QStringLiteral("班级 %1 不在班级名单中").arg(other);
        const QString name = classNameOf(d, other);
        // The class gets this teacher's lessons of the course; another
        // teacher's would be a second 体育 nobody planned together.
        const QString otherTeacher =
            sql::firstText(d,
                           "select TeacherCode from ClassPlantb where ClassCode=? and "
                           "CourseCode=? and TeacherCode<>? order by rowid",
                           other, courseCode, teacherCode);
        if (!otherTeacher.isEmpty())
            return QStringLiteral("%1的这门课由另一位老师（%2）上，不能合班")
                .arg(name,
                     sql::firstText(d, "select Name from Teachertb where Code=?", otherTeacher));
        if (d.tableExists(kTable)) {
            const QString first = sql::firstText(
                d,
                "select ClassCode from PlanJointtb where CourseCode=? and TeacherCode=? and "
                "ClassCode<>? and (ClassCode=? or OtherClassCode=?)",
                courseCode, teacherCode, classCode, other, other);
            if (!first.isEmpty())
                return QStringLiteral("%1的这门课已在另一个合班中（%2）")
                    .arg(name, classNameOf(d, first));
        }
    }
    return {};
}

void WriteJointClasses(TimetableDb& db, const QString& classCode, const QString& courseCode,
                       const QString& teacherCode, const QStringList& others) {
    if (const QString why = JointClassesRefusal(db, classCode, courseCode, teacherCode, others);
        !why.isEmpty())
        throw Failure(why);
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    InsertJointLinks(d, classCode, courseCode, teacherCode, others);
    const long long count = sql::firstInt(d, 0,
                                          "select coalesce(sum(Count),0) from ClassPlantb where "
                                          "ClassCode=? and CourseCode=? and TeacherCode=?",
                                          classCode, courseCode, teacherCode);
    for (const QString& other : others) {
        const int changed =
            sql::exec(d,
                      "update ClassPlantb set Count=? where rowid=(select min(rowid) "
                      "from ClassPlantb where ClassCode=? and CourseCode=? and "
                      "TeacherCode=?)",
                      count, other, courseCode, teacherCode);
        if (changed == 0)
            sql::exec(d,
                      "insert into ClassPlantb (ClassCode,CourseCode,TeacherCode,Count,BuildCount,"
                      "IsAutoBuild) values(?,?,?,?,(select count(*) from LessonListtb where "
                      "ClassCode=? and CourseCode=? and TeacherCode=?),0)",
                      other, courseCode, teacherCode, count, other, courseCode, teacherCode);
    }
    tx.commit();
}

void InsertJointLinks(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, const QStringList& others) {
    if (!d.tableExists(kTable))
        d.exec("CREATE TABLE IF NOT EXISTS PlanJointtb (ClassCode TEXT, CourseCode TEXT, "
               "TeacherCode TEXT, OtherClassCode TEXT)");
    sql::exec(d, "delete from PlanJointtb where ClassCode=? and CourseCode=? and TeacherCode=?",
              classCode, courseCode, teacherCode);
    for (const QString& other : others)
        sql::exec(d, "insert into PlanJointtb values(?,?,?,?)", classCode, courseCode, teacherCode,
                  other);
}

void ForgetJointLinks(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode) {
    if (!d.tableExists(kTable))
        return;
    sql::exec(d,
              "delete from PlanJointtb where CourseCode=? and TeacherCode=? and (ClassCode=? or "
              "OtherClassCode=?)",
              courseCode, teacherCode, classCode, classCode);
}

void FollowJointCount(SQLite::Database& d, const QString& classCode, const QString& courseCode,
                      const QString& teacherCode, int count) {
    if (!d.tableExists(kTable))
        return;
    sql::exec(d,
              "update ClassPlantb set Count=? where CourseCode=? and TeacherCode=? and ClassCode "
              "in (select OtherClassCode from PlanJointtb where ClassCode=? and CourseCode=? and "
              "TeacherCode=?)",
              count, courseCode, teacherCode, classCode, courseCode, teacherCode);
}
