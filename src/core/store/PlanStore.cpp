#include "core/store/PlanStore.h"

#include "core/store/DoubleLessons.h"
#include "core/store/JointStore.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

QList<PlanRow> readPlan(TimetableDb& db, const char* query, const QString& code) {
    const QHash<QString, long long> doubles = ReadPlanDoubles(db.sql());
    SQLite::Statement st(db.sql(), query);
    sql::bind(st, code);
    QList<PlanRow> rows;
    while (st.executeStep()) {
        PlanRow r;
        r.classCode = sql::text(st.getColumn("ClassCode"));
        r.courseCode = sql::text(st.getColumn("CourseCode"));
        r.teacherCode = sql::text(st.getColumn("TeacherCode"));
        if (!st.getColumn("Count").isNull())
            r.count = st.getColumn("Count").getInt64();
        r.doubles = doubles.value(PlanDoubleKey(r.classCode, r.courseCode, r.teacherCode));
        rows.append(r);
    }
    return rows;
}

QStringList readNames(TimetableDb& db, const char* query) {
    SQLite::Statement st(db.sql(), query);
    QStringList names;
    while (st.executeStep())
        names << sql::text(st.getColumn(0));
    return names;
}

} // namespace

QStringList ReadClassNames(TimetableDb& db) {
    return readNames(db, "select Name from Classtb order by rowid");
}

QStringList ReadCourseNames(TimetableDb& db) {
    return readNames(db, "select Name from Coursetb order by rowid");
}

QStringList ReadTeacherNames(TimetableDb& db) {
    return readNames(db, "select Name from Teachertb order by Code");
}

PlanTotals ReadPlanTotals(TimetableDb& db) {
    PlanTotals t;
    t.classes = sql::firstInt(db.sql(), 0, "select count(*) from Classtb");
    t.lessons = sql::firstInt(db.sql(), 0, "select sum(Count) from ClassPlantb");
    return t;
}

QList<PlanRow> ReadPlanOfClass(TimetableDb& db, const QString& classCode) {
    return readPlan(db, "select * from ClassPlantb where ClassCode=? order by rowid", classCode);
}

QList<PlanRow> ReadPlanOfTeacher(TimetableDb& db, const QString& teacherCode) {
    return readPlan(db, "select * from ClassPlantb where TeacherCode=? order by rowid",
                    teacherCode);
}

int ParseLessonCount(const QString& trimmed) {
    if (trimmed.isEmpty() || trimmed.size() > 2)
        return -1;
    for (const QChar c : trimmed)
        if (c < u'0' || c > u'9')
            return -1;
    return trimmed.toInt();
}

PlanAppend AppendPlanRow(TimetableDb& db, const QString& classCode, const QString& courseCode,
                         const QString& teacherCode, int count, int doubles) {
    SQLite::Database& d = db.sql();
    if (sql::hasRow(d,
                    "select CourseCode from ClassPlantb where ClassCode=? and CourseCode=? and "
                    "TeacherCode<>?",
                    classCode, courseCode, teacherCode))
        return PlanAppend::OtherTeacher;
    SQLite::Transaction tx(d);
    SQLite::Statement st(d, "select Count from ClassPlantb where ClassCode=? and CourseCode=? and "
                            "TeacherCode=? order by rowid");
    sql::bind(st, classCode, courseCode, teacherCode);
    PlanAppend result = PlanAppend::Inserted;
    if (!st.executeStep()) {
        st.reset();
        sql::exec(d,
                  "insert into ClassPlantb (ClassCode,CourseCode,TeacherCode,Count) "
                  "values (?,?,?,?)",
                  classCode, courseCode, teacherCode, count);
        // A row deleted by an older copy of the program may have left its
        // double lessons behind: the new row starts with its own.
        WritePlanDoubles(db, classCode, courseCode, teacherCode, doubles);
    } else {
        const long long total = st.getColumn(0).getInt64() + count;
        st.reset();
        sql::exec(d,
                  "update ClassPlantb set Count=? where ClassCode=? and CourseCode=? and "
                  "TeacherCode=?",
                  total, classCode, courseCode, teacherCode);
        if (doubles > 0)
            WritePlanDoubles(db, classCode, courseCode, teacherCode,
                             ReadPlanDoubles(db, classCode, courseCode, teacherCode) + doubles);
        result = PlanAppend::AddedToCount;
    }
    tx.commit();
    return result;
}

bool PlanRowExists(TimetableDb& db, const QString& classCode, const QString& courseCode,
                   const QString& teacherCode) {
    return sql::hasRow(db.sql(),
                       "select Count from ClassPlantb where ClassCode=? and CourseCode=? and "
                       "TeacherCode=?",
                       classCode, courseCode, teacherCode);
}

int DeletePlanRow(TimetableDb& db, const QString& classCode, const QString& courseCode,
                  const QString& teacherCode) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    ForgetJointLinks(d, classCode, courseCode, teacherCode);
    sql::exec(d, "delete from LessonListtb where ClassCode=? and CourseCode=? and TeacherCode=?",
              classCode, courseCode, teacherCode);
    const int deleted =
        sql::exec(d, "delete from ClassPlantb where ClassCode=? and CourseCode=? and TeacherCode=?",
                  classCode, courseCode, teacherCode);
    WritePlanDoubles(db, classCode, courseCode, teacherCode, 0);
    tx.commit();
    return deleted;
}

int ModifyPlanRow(TimetableDb& db, const QString& classCode, const QString& oldCourseCode,
                  const QString& oldTeacherCode, int oldCount, const QString& newCourseCode,
                  const QString& newTeacherCode, int newCount, int newDoubles) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    const int changed = sql::exec(d,
                                  "update ClassPlantb set CourseCode=?, TeacherCode=?, Count=? "
                                  "where ClassCode=? and CourseCode=? and TeacherCode=? and "
                                  "Count=?",
                                  newCourseCode, newTeacherCode, newCount, classCode, oldCourseCode,
                                  oldTeacherCode, oldCount);
    if (changed > 0) {
        const bool renamed = oldCourseCode != newCourseCode || oldTeacherCode != newTeacherCode;
        // A row that takes the course and teacher of another row's double
        // lessons drops them first: the renamed row's go with it.
        if (renamed)
            WritePlanDoubles(db, classCode, newCourseCode, newTeacherCode, 0);
        MovePlanDoubles(db, classCode, oldCourseCode, oldTeacherCode, newCourseCode,
                        newTeacherCode);
        if (newDoubles != kKeepDoubles)
            WritePlanDoubles(db, classCode, newCourseCode, newTeacherCode, newDoubles);
        // 合班 goes with its lessons: another course or teacher ends it,
        // another count is every class's count.
        if (renamed)
            ForgetJointLinks(d, classCode, oldCourseCode, oldTeacherCode);
        else
            FollowJointCount(d, classCode, newCourseCode, newTeacherCode, newCount);
    }
    tx.commit();
    return changed;
}

long long PlannedLessonCount(TimetableDb& db) {
    return sql::firstInt(db.sql(), 0,
                         "select coalesce(sum(case when Count > 0 then Count else 0 end), 0)"
                         " from ClassPlantb");
}
